// Password verification and change through the platform's optional services.
#include "host/password_services.h"

#include <cstring>

namespace marvolet {

int32_t verifyPasswordWith(PasswordPlatform& platform, uintptr_t window) {
  // The NT family asks for the password itself, at the secure desktop.
  if (platform.isNtFamily()) return 1;
  void* library = platform.loadSystemLibrary(kVerifyLibrary);
  if (library == nullptr) return 1;
  void* entry = platform.findEntry(library, kVerifyEntry);
  if (entry == nullptr) {
    platform.freeLibrary(library);
    return 1;
  }
  const int32_t result = platform.callVerify(entry, window);
  platform.freeLibrary(library);
  return result;
}

void changePasswordWith(PasswordPlatform& platform, uintptr_t owner) {
  void* library = platform.loadSystemLibrary(kChangeLibrary);
  if (library == nullptr) return;
  void* entry = platform.findEntry(library, kChangeEntry);
  if (entry != nullptr) platform.callChange(entry, kPasswordCategory, owner);
  platform.freeLibrary(library);
}

bool systemLibraryPath(const char* systemDirectory, const char* fileName, char* out,
                       size_t outSize) {
  if (outSize == 0) return false;
  out[0] = '\0';
  const size_t dirLength = std::strlen(systemDirectory);
  if (dirLength == 0) return false;
  const bool hasSeparator = systemDirectory[dirLength - 1] == '\\';
  const size_t nameLength = std::strlen(fileName);
  const size_t total = dirLength + (hasSeparator ? 0 : 1) + nameLength + 1;
  if (total > outSize) return false;
  std::memcpy(out, systemDirectory, dirLength);
  size_t pos = dirLength;
  if (!hasSeparator) out[pos++] = '\\';
  std::memcpy(out + pos, fileName, nameLength + 1);
  return true;
}

}  // namespace marvolet
