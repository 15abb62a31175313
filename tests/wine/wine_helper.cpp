// A small Win32 console program the end-to-end tests run under Wine to do what X11 tools cannot:
// host a preview, post messages, and read the state of the saver's windows and dialog.
//
//   wine_helper preview <scr> <width> <height> <hold-ms>
//       Creates a borderless parent window of width × height at (100, 100), starts
//       "<scr> /p <hwnd>", and reports: "child <w> <h>" once the saver's child window exists,
//       "alive <0|1>" after hold-ms (the saver must still run), then destroys the parent and
//       reports "exit <code>" when the saver ends (or "exit timeout").
//   wine_helper post-close          Posts WM_CLOSE to the saver window; "posted" or "no-window".
//   wine_helper power <suspend|resume>
//       Sends the saver window WM_POWERBROADCAST with PBT_APMSUSPEND or PBT_APMRESUMESUSPEND,
//       as the platform does around a sleep; "sent" or "no-window".
//   wine_helper saver-rect          "rect <left> <top> <width> <height>" of the saver window.
//   wine_helper dialog              "boxes <1001> ... <1006>" check states of the dialog.
//   wine_helper click <id>          Clicks a control of the dialog as the user would.
//   wine_helper platform            "platform <id>" from GetVersionExA.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kWaitLimitMs = 20000;

void report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::printf("\n");
  std::fflush(stdout);
}

// Handles this thread's messages for `ms` milliseconds, or until `process` ends if given.
void pumpFor(DWORD ms, HANDLE process = nullptr) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    const DWORD passed = GetTickCount() - start;
    if (passed >= ms) return;
    const DWORD count = process != nullptr ? 1 : 0;
    const DWORD result =
        MsgWaitForMultipleObjects(count, &process, FALSE, ms - passed, QS_ALLINPUT);
    if (process != nullptr && result == WAIT_OBJECT_0) return;
  }
}

// The window, or null after reporting "no-window".
HWND found(HWND window) {
  if (window == nullptr) report("no-window");
  return window;
}
HWND findSaverWindow() {
  return found(FindWindowA("OpenGL", "SaverWindow"));
}
HWND findDialog() {
  return found(FindWindowA(nullptr, "Config dialog"));
}

int preview(const char* scr, int width, int height, DWORD holdMs) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = "PreviewParent";
  RegisterClassA(&windowClass);
  HWND parent =
      CreateWindowExA(0, "PreviewParent", "Preview parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                      100, 100, width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (parent == nullptr) {
    report("error no-parent");
    return 1;
  }
  pumpFor(200);

  std::string commandLine =
      std::string("\"") + scr + "\" /p " +
      std::to_string(static_cast<long long>(reinterpret_cast<intptr_t>(parent)));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    report("error no-process %lu", GetLastError());
    return 1;
  }

  HWND child = nullptr;
  const DWORD start = GetTickCount();
  while (child == nullptr && GetTickCount() - start < kWaitLimitMs) {
    pumpFor(100);
    child = FindWindowExA(parent, nullptr, "OpenGL", "SaverWindow");
  }
  if (child == nullptr) {
    report("error no-child");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  RECT rect;
  GetWindowRect(child, &rect);
  report("child %ld %ld", rect.right - rect.left, rect.bottom - rect.top);

  pumpFor(holdMs);
  const bool alive = WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
  report("alive %d", alive ? 1 : 0);

  DestroyWindow(parent);
  pumpFor(kWaitLimitMs, process.hProcess);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  if (code == STILL_ACTIVE) {
    report("exit timeout");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  report("exit %lu", code);
  return 0;
}

int postClose() {
  HWND saver = findSaverWindow();
  if (saver == nullptr) return 1;
  PostMessageA(saver, WM_CLOSE, 0, 0);
  report("posted");
  return 0;
}

int power(const std::string& what) {
  HWND saver = findSaverWindow();
  if (saver == nullptr) return 1;
  const WPARAM event = what == "suspend" ? PBT_APMSUSPEND : PBT_APMRESUMESUSPEND;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(saver, WM_POWERBROADCAST, event, 0, SMTO_NORMAL, kWaitLimitMs, &result);
  report("sent");
  return 0;
}

int saverRect() {
  HWND saver = findSaverWindow();
  if (saver == nullptr) return 1;
  RECT rect;
  GetWindowRect(saver, &rect);
  report("rect %ld %ld %ld %ld", rect.left, rect.top, rect.right - rect.left,
         rect.bottom - rect.top);
  return 0;
}

int dialogBoxes() {
  HWND dialog = findDialog();
  if (dialog == nullptr) return 1;
  std::string states = "boxes";
  for (int id = 1001; id <= 1006; ++id)
    states += " " + std::to_string(IsDlgButtonChecked(dialog, id));
  report("%s", states.c_str());
  return 0;
}

int clickControl(int id) {
  HWND dialog = findDialog();
  HWND control = dialog != nullptr ? found(GetDlgItem(dialog, id)) : nullptr;
  if (control == nullptr) return 1;
  SendMessageA(control, BM_CLICK, 0, 0);
  report("clicked %d", id);
  return 0;
}

int platform() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  report("platform %lu", info.dwPlatformId);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "preview" && argc == 6) {
    return preview(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                   static_cast<DWORD>(std::atoi(argv[5])));
  }
  if (command == "post-close") return postClose();
  if (command == "saver-rect") return saverRect();
  if (command == "power" && argc == 3) return power(argv[2]);
  if (command == "dialog") return dialogBoxes();
  if (command == "click" && argc == 3) return clickControl(std::atoi(argv[2]));
  if (command == "platform") return platform();
  std::fprintf(stderr, "usage: see the top of wine_helper.cpp\n");
  return 2;
}
