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
//   wine_helper list <id>           "list <selected> <count> <selected item's text>" of a
//                                   drop-down list of the dialog.
//   wine_helper choose <id> <index> Selects a drop-down list's item as the user would.
//   wine_helper lock-key <path>     Creates HKCU\<path> with a DACL that grants nothing, so that
//                                   no program may open it for writing; "locked" or "failed".
//   wine_helper platform            "platform <id>" from GetVersionExA.
//   wine_helper version             "version <major>.<minor>.<build>" as the system reports
//                                   itself (RtlGetVersion: no compatibility shims).
//   wine_helper dpi                 "dpi <dots per inch> screen <width> <height>" of the primary.
//   wine_helper dialog-layout <scr> One line per control of the dialog: "fits <id> <text>" or
//                                   "clipped <id> <text>: <why>", then "dialog <w> <h> <n>",
//                                   once the dialog shows (waiting up to 5 s).
//                                   Text is measured in the font the dialog resource in <scr>
//                                   names, at the screen's DPI (another process's font handle
//                                   cannot be used here).
//   wine_helper text <id>           "text <hex>": the dialog control's text (WM_GETTEXT) as
//                                   UTF-8, each byte in two hex digits, so that no code page
//                                   stands between the control and the test.
//   wine_helper reg-text <key> <value>
//                                   "reg <type> <hex>": a value under HKCU read through the wide
//                                   API, its text as hex UTF-8 ("reg none" when missing).
//   wine_helper set-reg-text <key> <value> <hex>
//                                   Stores hex UTF-8 text as REG_SZ through the wide API.
//   wine_helper pick-file <browse-id> <hex>
//       Clicks the dialog's Browse button <browse-id>, types the path (hex UTF-8) into the file
//       picker that opens, as a user would, and presses its Open button: "picked", or
//       "no-picker" when none opened.
//   wine_helper run <program> [argument...]
//       Runs the program and ends with its exit code as Windows reports it (the low 8 bits
//       reach the shell). Wine's own exit status can differ: Wine 10 at times ends an exiting
//       process with SIGKILL (status 137) after its code is set.
//   wine_helper monitors            "monitor <left> <top> <right> <bottom>" for each monitor, in
//                                   the system's order.
//   wine_helper settle <limit-ms> [hold]
//       Waits for the prefix to finish booting: the service manager answers and no service, the
//       driver host's drivers included, is starting or stopping, with every service's state
//       unchanged for a second. Reports "settled <running services>", or "unsettled <why>" after
//       limit-ms. With hold it then stays until killed, keeping the Wine session (and with it
//       the booted system processes) up for the programs that follow.
// The helper is DPI aware, so every size it reports is in the screen's own pixels.
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
constexpr int kConfigDialogId = 104;

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

// Starts `commandLine`; false, with the reason reported, when it cannot be started.
bool startProcess(std::string commandLine, PROCESS_INFORMATION* process) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, process)) {
    return true;
  }
  report("error no-process %lu", GetLastError());
  return false;
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
  PROCESS_INFORMATION process = {};
  if (!startProcess(commandLine, &process)) return 1;

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

// Text as UTF-8 bytes in hex, and back; the command line and the console keep to ASCII.
std::string hexOf(const std::wstring& text) {
  std::string utf8(
      static_cast<size_t>(WideCharToMultiByte(
          CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr)),
      '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &utf8[0],
                      static_cast<int>(utf8.size()), nullptr, nullptr);
  std::string hex;
  char digits[3];
  for (unsigned char c : utf8) {
    std::snprintf(digits, sizeof digits, "%02x", c);
    hex += digits;
  }
  return hex;
}
std::wstring fromHex(const char* hex) {
  std::string utf8;
  for (const char* p = hex; p[0] != '\0' && p[1] != '\0'; p += 2) {
    const char pair[3] = {p[0], p[1], '\0'};
    utf8 += static_cast<char>(std::strtoul(pair, nullptr, 16));
  }
  std::wstring text(static_cast<size_t>(MultiByteToWideChar(
                        CP_UTF8, 0, utf8.c_str(), static_cast<int>(utf8.size()), nullptr, 0)),
                    L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), static_cast<int>(utf8.size()), &text[0],
                      static_cast<int>(text.size()));
  return text;
}
std::wstring wideFrom(const char* ascii) {
  return std::wstring(ascii, ascii + std::strlen(ascii));
}

// Sent, not GetWindowTextW: for another process's control that gives only a caption.
std::wstring windowText(HWND window) {
  wchar_t text[4096] = {};
  SendMessageW(window, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text));
  return text;
}

HWND dialogControl(int id) {
  HWND dialog = findDialog();
  return dialog != nullptr ? found(GetDlgItem(dialog, id)) : nullptr;
}

int controlText(int id) {
  HWND control = dialogControl(id);
  if (control == nullptr) return 1;
  report("text %s", hexOf(windowText(control)).c_str());
  return 0;
}

int regText(const char* key, const char* value) {
  wchar_t data[4096] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  DWORD type = REG_NONE;
  if (RegGetValueW(HKEY_CURRENT_USER, wideFrom(key).c_str(), wideFrom(value).c_str(),
                   RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) != ERROR_SUCCESS) {
    report("reg none");
    return 0;
  }
  const char* name = type == REG_SZ ? "REG_SZ" : type == REG_DWORD ? "REG_DWORD" : "other";
  report("reg %s %s", name, hexOf(type == REG_SZ ? data : L"").c_str());
  return 0;
}

int setRegText(const char* key, const char* value, const char* hex) {
  const std::wstring text = fromHex(hex);
  const LSTATUS status =
      RegSetKeyValueW(HKEY_CURRENT_USER, wideFrom(key).c_str(), wideFrom(value).c_str(), REG_SZ,
                      text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  report(status == ERROR_SUCCESS ? "stored" : "failed");
  return status == ERROR_SUCCESS ? 0 : 1;
}

// The picker's box for the file name: the combo box's edit in the Explorer-style picker
// (cmb13, 1148), else the old style's edit (edt1, 1152).
HWND pickerNameBox(HWND picker) {
  HWND combo = GetDlgItem(picker, 1148);
  if (combo != nullptr) {
    HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    return edit != nullptr ? edit : combo;
  }
  return GetDlgItem(picker, 1152);
}

int pickFile(int browseId, const char* hex) {
  HWND dialog = findDialog();
  HWND browse = dialog != nullptr ? found(GetDlgItem(dialog, browseId)) : nullptr;
  if (browse == nullptr) return 1;
  // Posted: the picker runs its own loop inside the dialog's handling of the click.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(browseId, BN_CLICKED),
               reinterpret_cast<LPARAM>(browse));
  HWND picker = nullptr;
  for (int i = 0; i < 200 && picker == nullptr; ++i) {
    Sleep(100);
    for (HWND w = FindWindowW(L"#32770", nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
      if (w != dialog && GetWindow(w, GW_OWNER) == dialog && pickerNameBox(w) != nullptr) {
        picker = w;
      }
    }
  }
  if (picker == nullptr) {
    report("no-picker");
    return 1;
  }
  // The picker fills its lists and its name box after it shows, slowly on a loaded machine, and
  // may overwrite a name typed too early: the name goes in again while the picker stays.
  for (int attempt = 0; attempt < 3 && IsWindow(picker); ++attempt) {
    Sleep(500 + 1000 * attempt);
    SendMessageW(pickerNameBox(picker), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(fromHex(hex).c_str()));
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(picker, IDOK)));
    for (int i = 0; i < 50 && IsWindow(picker); ++i) Sleep(100);
  }
  report(IsWindow(picker) ? "picker-stays" : "picked");
  return IsWindow(picker) ? 1 : 0;
}

int listState(int id) {
  HWND list = dialogControl(id);
  if (list == nullptr) return 1;
  const LRESULT selected = SendMessageA(list, CB_GETCURSEL, 0, 0);
  const LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
  // The saver's lists hold UTF-16 items; read as such, whatever this program's code page.
  wchar_t item[256] = {};
  if (selected >= 0 && SendMessageW(list, CB_GETLBTEXTLEN, selected, 0) < 255) {
    SendMessageW(list, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(item));
  }
  char text[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, item, -1, text, sizeof text, nullptr, nullptr);
  report("list %ld %ld %s", static_cast<long>(selected), static_cast<long>(count), text);
  return 0;
}

// As a pick from the opened list: the selection, then the notification the dialog gets.
int chooseItem(int id, int index) {
  HWND list = dialogControl(id);
  if (list == nullptr || SendMessageA(list, CB_SETCURSEL, index, 0) == CB_ERR) return 1;
  SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  report("chose %d", index);
  return 0;
}

int run(int argc, char** argv) {
  std::string commandLine = std::string("\"") + argv[2] + "\"";
  for (int i = 3; i < argc; ++i) commandLine += std::string(" ") + argv[i];
  PROCESS_INFORMATION process = {};
  if (!startProcess(commandLine, &process)) return 126;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  return static_cast<int>(code);
}

BOOL CALLBACK reportMonitor(HMONITOR, HDC, LPRECT rect, LPARAM) {
  report("monitor %ld %ld %ld %ld", rect->left, rect->top, rect->right, rect->bottom);
  return TRUE;
}

int monitors() {
  return EnumDisplayMonitors(nullptr, nullptr, reportMonitor, 0) ? 0 : 1;
}

bool pending(DWORD state) {
  return state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
         state == SERVICE_CONTINUE_PENDING || state == SERVICE_PAUSE_PENDING;
}

// Every service's name, state and process as one line; the names of those pending and running.
bool serviceStates(SC_HANDLE manager, std::string* all, std::string* inProgress,
                   std::string* running) {
  all->clear();
  inProgress->clear();
  running->clear();
  std::string buffer(64 * 1024, '\0');
  DWORD resume = 0;
  for (;;) {
    DWORD needed = 0, count = 0;
    const BOOL done =
        EnumServicesStatusExA(manager, SC_ENUM_PROCESS_INFO, SERVICE_DRIVER | SERVICE_WIN32,
                              SERVICE_STATE_ALL, reinterpret_cast<BYTE*>(&buffer[0]),
                              static_cast<DWORD>(buffer.size()), &needed, &count, &resume, nullptr);
    if (!done && GetLastError() != ERROR_MORE_DATA) return false;
    const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSA*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      const SERVICE_STATUS_PROCESS& status = services[i].ServiceStatusProcess;
      const std::string name = services[i].lpServiceName;
      *all += name + ":" + std::to_string(status.dwCurrentState) + ":" +
              std::to_string(status.dwProcessId) + " ";
      if (pending(status.dwCurrentState)) *inProgress += " " + name;
      if (status.dwCurrentState == SERVICE_RUNNING) *running += " " + name;
    }
    if (done) return true;
    if (count == 0) buffer.resize(needed > buffer.size() ? needed : 2 * buffer.size());
  }
}

int settle(DWORD limitMs, bool hold) {
  const DWORD start = GetTickCount();
  const auto late = [&] { return GetTickCount() - start >= limitMs; };
  // Opening the manager waits for services.exe to have started the services that start with it.
  SC_HANDLE manager = nullptr;
  while ((manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE)) == nullptr) {
    if (late()) {
      report("unsettled no service manager (error %lu)", GetLastError());
      return 1;
    }
    Sleep(250);
  }
  constexpr int kQuietLooks = 4;  // 250 ms apart
  std::string last, all, inProgress, running;
  int quiet = 0;
  while (quiet < kQuietLooks) {
    if (late()) {
      report("unsettled still starting or stopping:%s", inProgress.c_str());
      return 1;
    }
    Sleep(250);
    const bool read = serviceStates(manager, &all, &inProgress, &running);
    quiet = read && inProgress.empty() && all == last ? quiet + 1 : 0;
    last = all;
  }
  CloseServiceHandle(manager);
  report("settled%s", running.c_str());
  if (hold) Sleep(INFINITE);
  return 0;
}

int version() {
  using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto getVersion = reinterpret_cast<GetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (getVersion == nullptr || getVersion(&info) != 0) {
    report("error no-version");
    return 1;
  }
  report("version %lu.%lu.%lu", info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
  return 0;
}

int dpi() {
  HDC screen = GetDC(nullptr);
  report("dpi %d screen %d %d", GetDeviceCaps(screen, LOGPIXELSX), GetSystemMetrics(SM_CXSCREEN),
         GetSystemMetrics(SM_CYSCREEN));
  ReleaseDC(nullptr, screen);
  return 0;
}

// Text of a control without its mnemonic ampersands, as drawn.
std::string shownText(HWND control) {
  char text[256] = {};
  GetWindowTextA(control, text, sizeof text);
  std::string shown;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '&' && c[1] != '\0') ++c;
    shown += *c;
  }
  return shown;
}

// Skips a name-or-ordinal field of a dialog template; returns the string if it is one.
const WORD* skipField(const WORD* p, std::wstring* text = nullptr) {
  if (*p == 0xFFFF) return p + 2;
  const WORD* start = p;
  while (*p != 0) ++p;
  if (text != nullptr) text->assign(start, p);
  return p + 1;
}

// The font the dialog manager creates for dialog `id` of `module` at `dpi`, or null.
HFONT dialogFont(const char* module, int id, int dpi) {
  HMODULE data = LoadLibraryExA(module, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = data != nullptr ? FindResourceA(data, MAKEINTRESOURCEA(id), RT_DIALOG) : nullptr;
  const WORD* p = found != nullptr
                      ? static_cast<const WORD*>(LockResource(LoadResource(data, found)))
                      : nullptr;
  if (p == nullptr) return nullptr;
  const bool extended = p[1] == 0xFFFF;
  DWORD style;
  std::memcpy(&style, extended ? p + 6 : p, sizeof style);
  p += extended ? 13 : 9;                  // the header up to the menu field
  p = skipField(skipField(skipField(p)));  // menu, class, title
  if ((style & DS_SETFONT) == 0) return nullptr;
  const int points = *p++;
  int weight = FW_NORMAL;
  BYTE italic = FALSE, charset = DEFAULT_CHARSET;
  if (extended) {
    weight = *p++;
    italic = LOBYTE(*p);
    charset = HIBYTE(*p++);
  }
  std::wstring face;
  skipField(p, &face);
  return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, weight, italic, FALSE, FALSE, charset,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     face.c_str());
}

// Why a control's text would not show whole, or "" if it does. The room a check box leaves its
// label is the box and the gap after it, which scale with the dialog's DPI.
std::string clipping(HWND dialog, HWND control, int dpi, HFONT font) {
  RECT client;
  GetClientRect(dialog, &client);
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  if (!IsWindowVisible(control)) return "hidden";
  if (rect.left < 0 || rect.top < 0 || rect.right > client.right || rect.bottom > client.bottom) {
    return "outside the dialog";
  }
  const std::string text = shownText(control);
  if (text.empty()) return "";
  char className[32] = {};
  GetClassNameA(control, className, sizeof className);
  const LONG style = GetWindowLongA(control, GWL_STYLE);
  // An edit box scrolls its text, and a line that ends in an ellipsis is cut by design: only
  // their place counts.
  if (lstrcmpiA(className, "Edit") == 0) return "";
  const bool staticText = lstrcmpiA(className, "Static") == 0;
  const bool oneLine = staticText && (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP;
  if (staticText && (style & SS_ELLIPSISMASK) != 0) return "";
  const int type = style & BS_TYPEMASK;
  const bool button = lstrcmpiA(className, "Button") == 0;
  const bool box =
      button && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                 type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
  int room = rect.right - rect.left;
  if (box) room -= MulDiv(16, dpi, 96);
  if (button && !box) room -= 2 * GetSystemMetrics(SM_CXEDGE);

  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, font);
  // A drop-down list shows any of its items in the field left of its arrow button.
  if (lstrcmpiA(className, "ComboBox") == 0) {
    room -= GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 2;
    const LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      wchar_t item[256] = {};
      if (SendMessageW(control, CB_GETLBTEXTLEN, i, 0) >= 255) continue;
      SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      RECT needed = {0, 0, room, 0};
      DrawTextW(dc, item, -1, &needed, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
      if (needed.right > room) {
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        char why[96] = "";
        std::snprintf(why, sizeof why, "item %ld needs %ld px across, has %d", static_cast<long>(i),
                      needed.right, room);
        return why;
      }
    }
  }
  // A static wraps at word breaks, so what matters is whether the wrapped lines fit its height.
  RECT needed = {0, 0, room, 0};
  DrawTextA(dc, text.c_str(), -1, &needed,
            DT_CALCRECT | DT_NOPREFIX | (button || oneLine ? DT_SINGLELINE : DT_WORDBREAK));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  char why[96] = "";
  if (needed.right > room) {
    std::snprintf(why, sizeof why, "needs %ld px across, has %d", needed.right, room);
  } else if (needed.bottom > rect.bottom - rect.top) {
    std::snprintf(why, sizeof why, "needs %ld px down, has %ld", needed.bottom,
                  rect.bottom - rect.top);
  }
  return why;
}

int dialogLayout(const char* module) {
  HWND dialog = findDialog();
  if (dialog == nullptr) return 1;
  // The dialog's X window exists before the dialog shows; until then every control is hidden.
  for (int i = 0; i < 50 && !IsWindowVisible(dialog); ++i) Sleep(100);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  HFONT font = dialogFont(module, kConfigDialogId, dpi);
  if (font == nullptr) {
    report("error no-dialog-font");
    return 1;
  }
  int controls = 0;
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    ++controls;
    const std::string why = clipping(dialog, control, dpi, font);
    const int id = GetDlgCtrlID(control);
    if (why.empty()) {
      report("fits %d %s", id, shownText(control).c_str());
    } else {
      report("clipped %d %s: %s", id, shownText(control).c_str(), why.c_str());
    }
  }
  RECT rect;
  GetWindowRect(dialog, &rect);
  report("dialog %ld %ld %d", rect.right - rect.left, rect.bottom - rect.top, controls);
  DeleteObject(font);
  return 0;
}

int platform() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  report("platform %lu", info.dwPlatformId);
  return 0;
}

// Per-monitor aware, as the display settings that host a preview are on Windows 10 and 11; where
// that is missing, aware of the system's DPI.
void becomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext")));
  const HANDLE perMonitor = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3));
  if (setContext == nullptr || !setContext(perMonitor)) SetProcessDPIAware();
}

}  // namespace

// An empty DACL (not a null one, which would grant everything) denies every access right.
int lockKey(const char* path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    std::printf("failed\n");
    return 1;
  }
  ACL acl;
  SECURITY_DESCRIPTOR descriptor;
  const bool locked =
      InitializeAcl(&acl, sizeof acl, ACL_REVISION) &&
      InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
      SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE) &&
      RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
  RegCloseKey(key);
  std::printf(locked ? "locked\n" : "failed\n");
  return locked ? 0 : 1;
}

int main(int argc, char** argv) {
  becomeDpiAware();
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
  if (command == "list" && argc == 3) return listState(std::atoi(argv[2]));
  if (command == "choose" && argc == 4) return chooseItem(std::atoi(argv[2]), std::atoi(argv[3]));
  if (command == "lock-key" && argc == 3) return lockKey(argv[2]);
  if (command == "platform") return platform();
  if (command == "version") return version();
  if (command == "dpi") return dpi();
  if (command == "dialog-layout" && argc == 3) return dialogLayout(argv[2]);
  if (command == "run" && argc >= 3) return run(argc, argv);
  if (command == "text" && argc == 3) return controlText(std::atoi(argv[2]));
  if (command == "reg-text" && argc == 4) return regText(argv[2], argv[3]);
  if (command == "set-reg-text" && argc == 5) return setRegText(argv[2], argv[3], argv[4]);
  if (command == "pick-file" && argc == 4) return pickFile(std::atoi(argv[2]), argv[3]);
  if (command == "monitors") return monitors();
  if (command == "settle" && (argc == 3 || (argc == 4 && std::string(argv[3]) == "hold"))) {
    return settle(static_cast<DWORD>(std::atoi(argv[2])), argc == 4);
  }
  std::fprintf(stderr, "usage: see the top of wine_helper.cpp\n");
  return 2;
}
