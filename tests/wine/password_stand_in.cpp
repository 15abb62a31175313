// Test-only stand-in for the platform's password libraries (MPR.DLL, PASSWORD.CPL): records each
// call, with the path it was loaded from, to the file named by MARVOLET_STAND_IN_LOG, and
// answers the n-th VerifyScreenSavePwd call with the n-th digit of MARVOLET_STAND_IN_ANSWERS
// (1 accepts, 0 refuses; accept once the digits run out). The saver loads and frees the library
// for every check, so the calls are counted in the log, not in memory.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HMODULE self = nullptr;

int earlierVerifyCalls() {
  const char* path = std::getenv("MARVOLET_STAND_IN_LOG");
  FILE* log = path != nullptr ? std::fopen(path, "r") : nullptr;
  if (log == nullptr) return 0;
  int calls = 0;
  char line[512];
  while (std::fgets(line, sizeof line, log) != nullptr) {
    if (std::strncmp(line, "VerifyScreenSavePwd", 19) == 0) ++calls;
  }
  std::fclose(log);
  return calls;
}

void record(const char* line) {
  const char* path = std::getenv("MARVOLET_STAND_IN_LOG");
  if (path == nullptr) return;
  char module[MAX_PATH] = "?";
  GetModuleFileNameA(self, module, MAX_PATH);
  if (FILE* log = std::fopen(path, "a")) {
    std::fprintf(log, "%s from %s\n", line, module);
    std::fclose(log);
  }
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

__declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR category, HWND owner, DWORD a, LPVOID b) {
  char line[256];
  std::snprintf(line, sizeof line, "PwdChangePasswordA %s %lld %lu %p", category,
                static_cast<long long>(reinterpret_cast<intptr_t>(owner)), a, b);
  record(line);
  return 0;
}

__declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  const char* answers = std::getenv("MARVOLET_STAND_IN_ANSWERS");
  const int call = earlierVerifyCalls();
  BOOL result = 1;
  if (answers != nullptr && static_cast<int>(std::strlen(answers)) > call) {
    result = answers[call] == '0' ? 0 : 1;
  }
  char line[128];
  std::snprintf(line, sizeof line, "VerifyScreenSavePwd %lld -> %d",
                static_cast<long long>(reinterpret_cast<intptr_t>(window)), result);
  record(line);
  return result;
}

}  // extern "C"
