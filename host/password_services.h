// The Windows 9x password services, reached through a seam so that the branches a modern
// platform never takes (a 9x platform with PASSWORD.CPL present) can still be exercised.
#pragma once

#include <cstddef>
#include <cstdint>

namespace marvolet {

constexpr const char* kVerifyLibrary = "PASSWORD.CPL";
constexpr const char* kVerifyEntry = "VerifyScreenSavePwd";
constexpr const char* kChangeLibrary = "MPR.DLL";
constexpr const char* kChangeEntry = "PwdChangePasswordA";
constexpr const char* kPasswordCategory = "SCRSAVE";

// The platform calls behind verifyPassword and changePassword. Libraries and entry points are
// opaque handles; null means missing.
class PasswordPlatform {
 public:
  virtual ~PasswordPlatform() = default;
  virtual bool isNtFamily() = 0;
  // Loads `fileName` from the system directory only, never from the program's own folder or
  // the current directory, so that a planted copy cannot run in the saver's process.
  virtual void* loadSystemLibrary(const char* fileName) = 0;
  virtual void* findEntry(void* library, const char* name) = 0;
  virtual void freeLibrary(void* library) = 0;
  // Calls VerifyScreenSavePwd(window); blocks until the service is done.
  virtual int32_t callVerify(void* entry, uintptr_t window) = 0;
  // Calls PwdChangePasswordA(category, owner, 0, 0); blocks until the service is done.
  virtual void callChange(void* entry, const char* category, uintptr_t owner) = 0;
};

// Non-zero when the saver may close: always on the NT family and wherever the service is
// missing; otherwise the service's own answer.
int32_t verifyPasswordWith(PasswordPlatform& platform, uintptr_t window);

// Runs the platform's password change for the screen saver, owned by `owner`; does nothing
// where the service is missing.
void changePasswordWith(PasswordPlatform& platform, uintptr_t owner);

// Writes "<systemDirectory>\<fileName>" (one backslash between them) into `out`. False, with
// `out` empty, when the directory is empty or the result with its NUL exceeds `outSize`.
bool systemLibraryPath(const char* systemDirectory, const char* fileName, char* out,
                       size_t outSize);

}  // namespace marvolet
