// The Windows 9x password services, loaded at run time from the system directory.
#include "host/password_services.h"
#include "host/win32/win32_host.h"

namespace marvolet {
namespace {

using VerifyScreenSavePwd = BOOL(WINAPI*)(HWND window);
using PwdChangePasswordA = DWORD(WINAPI*)(LPCSTR category, HWND owner, DWORD reserved1,
                                          LPVOID reserved2);

class Win32PasswordPlatform : public PasswordPlatform {
 public:
  bool isNtFamily() override {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;  // 148
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)  // deprecated; the platform id is all we want, not a version
#endif
    GetVersionExA(&info);
#if defined(_MSC_VER)
#pragma warning(pop)
#endif
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  }

  void* loadSystemLibrary(const char* fileName) override {
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    char path[MAX_PATH + 16];
    if (!systemLibraryPath(directory, fileName, path, sizeof path)) return nullptr;
    // A full path loads exactly that file; the altered search path resolves the library's own
    // imports from its folder too, rather than from the saver's.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }

  void* findEntry(void* library, const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
  }

  void freeLibrary(void* library) override {
    FreeLibrary(static_cast<HMODULE>(library));
  }

  int32_t callVerify(void* entry, uintptr_t window) override {
    return reinterpret_cast<VerifyScreenSavePwd>(entry)(windowFromNumber(window));
  }

  void callChange(void* entry, const char* category, uintptr_t owner) override {
    reinterpret_cast<PwdChangePasswordA>(entry)(category, windowFromNumber(owner), 0, nullptr);
  }
};

}  // namespace

BOOL verifyPassword(HWND window) {
  Win32PasswordPlatform platform;
  return verifyPasswordWith(platform, windowNumber(window));
}

void changePassword(HWND owner) {
  Win32PasswordPlatform platform;
  changePasswordWith(platform, windowNumber(owner));
}

}  // namespace marvolet
