// The saver window on Win32: the surface over a window class and a WGL context, and the window
// procedure, which reaches the surface through the window's user data.
#include <vector>

#include "host/closing_rules.h"
#include "host/monitor_layout.h"
#include "host/saver_session.h"
#include "host/swap_control.h"
#include "host/win32/win32_host.h"
#include "host/win32/win32_keys.h"
#include "host/win32/win32_power_source.h"
#include "host/win32/win32_surface.h"

#include <GL/gl.h>
#include <mmsystem.h>

namespace marvolet {
namespace {

constexpr const char* kClassName = "OpenGL";
constexpr const char* kWindowName = "SaverWindow";

constexpr DWORD kMonitorCheckMilliseconds = 1000;

// WM_DPICHANGED (Windows 8.1 on), which older headers lack.
constexpr UINT kDpiChanged = 0x02E0;

// GUID_CONSOLE_DISPLAY_STATE, spelt out so that no GUID library needs to be linked.
const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// Present from Windows Vista on; looked up at run time so the saver still starts without them.
using RegisterPowerSettingNotificationFn = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterPowerSettingNotificationFn = BOOL(WINAPI*)(HPOWERNOTIFY);

template <typename Function>
Function user32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    reinterpret_cast<std::vector<Monitor>*>(list)->push_back(
        {{r.left, r.top, r.right - r.left, r.bottom - r.top},
         (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

// The primary display's refresh in Hz from its current mode; 0 where the driver reports the
// hardware's default (0 or 1) rather than a rate. The other monitors' copies follow its pace.
double primaryRefresh() {
  DEVMODEA mode = {};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0.0;
  return mode.dmDisplayFrequency > 1 ? static_cast<double>(mode.dmDisplayFrequency) : 0.0;
}

void* wglFunction(const char* name) {
  return reinterpret_cast<void*>(wglGetProcAddress(name));
}

// WGL's own extension list, from the EXT query or the ARB one (which wants the device context).
const char* wglExtensions(HDC deviceContext) {
  using ExtFn = const char*(WINAPI*)();
  using ArbFn = const char*(WINAPI*)(HDC);
  if (auto ext = reinterpret_cast<ExtFn>(wglFunction("wglGetExtensionsStringEXT"))) return ext();
  if (auto arb = reinterpret_cast<ArbFn>(wglFunction("wglGetExtensionsStringARB"))) {
    return arb(deviceContext);
  }
  return nullptr;
}

// Every monitor's rectangle in the virtual screen, and the primary screen at (0, 0).
MonitorReading readVirtualScreen() {
  MonitorReading reading;
  reading.screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&reading.monitors));
  return reading;
}

// The window over the virtual screen. With one picture alone (one monitor, or mirrored ones)
// the window is the primary screen at (0, 0), as it always was.
SaverLayout virtualScreenLayout() {
  const MonitorReading reading = readVirtualScreen();
  return fullScreenLayout(reading.monitors, reading.screen);
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class Win32SaverSurface final : public Win32Surface, public SaverWindowPort {
 public:
  Win32SaverSurface(SaverMode mode, const SaverSettings& settings, HWND parent, int showCommand)
      : Win32Surface(mode), settings_(settings), parent_(parent), showCommand_(showCommand) {}

  ~Win32SaverSurface() override {
    // A window left standing after a failed set-up must not reach this surface once it is gone.
    if (window_ != nullptr &&
        GetWindowLongPtrA(window_, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
      SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    }
    if (powerNotification_ == nullptr) return;
    auto unregister =
        user32Function<UnregisterPowerSettingNotificationFn>("UnregisterPowerSettingNotification");
    if (unregister != nullptr) unregister(powerNotification_);
  }

  // Where key commands, monitor changes and power-source changes go.
  void attach(SaverSession& session, BatteryPace& pace) {
    session_ = &session;
    pace_ = &pace;
  }

  // The window procedure's work, for a window created by this surface.
  LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  const SaverLayout& layout() const override { return layout_; }

  // A preview stays inside its parent, whatever the monitors do.
  bool readMonitors(MonitorReading& reading) override {
    if (mode() == Preview) return false;
    reading = readVirtualScreen();
    return true;
  }

  void adoptLayout(const SaverLayout& layout) override {
    layout_ = layout;
    const PixelRect& area = layout_.window;
    SetWindowPos(window_, nullptr, area.x, area.y, area.width, area.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void show() override { ShowWindow(window_, showCommand_); }

  PumpResult pump() override {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      checkMonitorsNow();
      return PumpResult::Empty;
    }
    if (message.message == WM_QUIT) return PumpResult::Quit;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return PumpResult::Dispatched;
  }

  bool displayAsleep() override { return displayOff_ || suspending_; }

  // Sent messages (WM_POWERBROADCAST among them) wake it as well as posted ones.
  void waitForEvents() override {
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }

  void present() override { SwapBuffers(deviceContext_); }
  double refreshRate() override { return primaryRefresh(); }
  bool setSwapInterval(int32_t interval) override { return swapControl_.set(interval); }
  // The deadline's waits need Sleep to the millisecond, not to the default 15.6 ms tick; the
  // finer timer is asked for only once the saver paces by sleeping, and given back at destroy.
  void sleep(uint32_t milliseconds) override {
    if (!fineTimer_) fineTimer_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    Sleep(milliseconds);
  }

  // SaverWindowPort: the window is the one the closing rules recorded at WM_CREATE, as messages
  // arrive before CreateWindowEx returns.
  CursorPoint cursorPosition() override {
    POINT point = {0, 0};
    GetCursorPos(&point);
    return {point.x, point.y};
  }
  uint32_t tickCount() override { return GetTickCount(); }
  void postClose() override { PostMessageA(closingWindow(), WM_CLOSE, 0, 0); }
  void destroyWindow() override { DestroyWindow(closingWindow()); }
  void refreshCursor() override { SendMessageA(closingWindow(), WM_SETCURSOR, 0, 0); }
  bool verifyPassword() override { return marvolet::verifyPassword(closingWindow()) != FALSE; }
  void keyCommand(KeyCommand command) override {
    if (session_ != nullptr) session_->keyCommand(command);
  }

 private:
  HWND closingWindow() const { return windowFromNumber(closing_.window); }
  ClosingRules rules() { return ClosingRules(mode(), settings_, closing_, *this); }

  // WM_DISPLAYCHANGE does not always come: Wine, for one, updates the monitors after an X screen
  // resize without sending it. So the monitors are also looked at once a second, which costs
  // next to nothing; the session moves nothing while they are as they were.
  void checkMonitorsNow() {
    const DWORD now = GetTickCount();
    if (now - monitorsCheckedAt_ < kMonitorCheckMilliseconds) return;
    monitorsCheckedAt_ = now;
    if (session_ != nullptr) session_->monitorsChanged();
  }

  bool registerClass() override {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = saverWindowProc;
    windowClass.hInstance = instanceHandle;
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
  }

  bool createWindow() override {
    DWORD style = WS_POPUP | WS_VISIBLE;
    HWND parent = nullptr;
    if (mode() == Preview) {
      // The parent's size is taken once; later resizes of the preview are not followed.
      RECT rect = {0, 0, 0, 0};
      GetWindowRect(parent_, &rect);
      style = WS_CHILD | WS_VISIBLE;
      parent = parent_;
      layout_ = layoutMonitors({}, {0, 0, rect.right - rect.left, rect.bottom - rect.top});
    } else {
      layout_ = virtualScreenLayout();
    }
    const PixelRect& area = layout_.window;
    // The window procedure attaches the window to this surface at WM_NCCREATE.
    window_ = CreateWindowExA(0, kClassName, kWindowName, style, area.x, area.y, area.width,
                              area.height, parent, nullptr, instanceHandle, this);
    if (window_ == nullptr) return false;
    displayOff_ = false;
    suspending_ = false;
    auto registerFor =
        user32Function<RegisterPowerSettingNotificationFn>("RegisterPowerSettingNotification");
    if (registerFor != nullptr) {
      powerNotification_ = registerFor(window_, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    return true;
  }

  void setScreenSaverRunning(bool running) override {
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &previousState_, 0);
  }

  void acquireDeviceContext() override { deviceContext_ = GetDC(window_); }

  bool choosePixelFormat() override {
    // Colour and 8 bits of alpha, which the one-pass glow needs in the frame (a format without
    // gets the layer-by-layer glow); no depth, stencil or accumulation bits are asked for.
    pixelFormatRequest_ = {};
    pixelFormatRequest_.nSize = sizeof pixelFormatRequest_;  // 40
    pixelFormatRequest_.nVersion = 1;
    pixelFormatRequest_.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pixelFormatRequest_.iPixelType = PFD_TYPE_RGBA;
    pixelFormatRequest_.cColorBits = 32;
    pixelFormatRequest_.cAlphaBits = 8;
    pixelFormat_ = ChoosePixelFormat(deviceContext_, &pixelFormatRequest_);
    return pixelFormat_ != 0;
  }

  bool setPixelFormat() override {
    return SetPixelFormat(deviceContext_, pixelFormat_, &pixelFormatRequest_) != FALSE;
  }

  bool createContext() override {
    glContext_ = wglCreateContext(deviceContext_);
    return glContext_ != nullptr;
  }

  // Swap control is chosen once, with the context current.
  bool makeCurrent() override {
    if (wglMakeCurrent(deviceContext_, glContext_) == FALSE) return false;
    swapControl_ =
        SwapControl::forWgl(wglExtensions(deviceContext_),
                            reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), wglFunction);
    return true;
  }

  void showError(const char* text) override { MessageBoxA(nullptr, text, "Error", MB_OK); }
  void releaseCurrent() override { wglMakeCurrent(nullptr, nullptr); }
  void releaseDeviceContext() override { ReleaseDC(window_, deviceContext_); }
  void deleteContext() override {
    wglDeleteContext(glContext_);
    if (fineTimer_) timeEndPeriod(1);
    fineTimer_ = false;
  }

  const SaverSettings& settings_;
  ClosingState closing_;
  SaverSession* session_ = nullptr;
  BatteryPace* pace_ = nullptr;
  HWND parent_;
  int showCommand_;
  HWND window_ = nullptr;
  // From WM_POWERBROADCAST: nobody can see a frame.
  bool displayOff_ = false;
  bool suspending_ = false;
  SaverLayout layout_;
  HPOWERNOTIFY powerNotification_ = nullptr;
  DWORD monitorsCheckedAt_ = GetTickCount();
  BOOL previousState_ = FALSE;
  HDC deviceContext_ = nullptr;
  PIXELFORMATDESCRIPTOR pixelFormatRequest_ = {};
  int pixelFormat_ = 0;
  HGLRC glContext_ = nullptr;
  SwapControl swapControl_;  // the context's, found when it is made current
  bool fineTimer_ = false;   // timeBeginPeriod(1) is in force
};

LRESULT Win32SaverSurface::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      rules().windowCreated(windowNumber(window));
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      rules().activationChanged(LOWORD(wParam) == 0);
      break;
    case WM_CLOSE:
      if (!rules().closeMessage()) return 0;
      break;
    case WM_SETCURSOR:
      SetCursor(rules().cursorHidden() ? nullptr
                                       : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
      break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      rules().keyOrButtonPressed(keyCommandForWindowsCode(static_cast<int32_t>(wParam)));
      break;
    case WM_SYSCOMMAND:
      if (rules().swallowsSystemCommand(static_cast<uint32_t>(wParam))) return 0;
      break;
    case WM_MOUSEMOVE:
      rules().mouseMoved();
      break;
    case WM_DISPLAYCHANGE:
    case kDpiChanged:
      // Monitors added, removed, resized or rearranged, or a monitor's scale changed: the session
      // lays the window out afresh rather than taking the suggested rectangle of one monitor.
      if (session_ != nullptr) session_->monitorsChanged();
      if (message == kDpiChanged) return 0;
      break;
    case WM_POWERBROADCAST:
      if (wParam == PBT_POWERSETTINGCHANGE) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        if (setting != nullptr && IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) &&
            setting->DataLength >= sizeof(DWORD)) {
          DWORD state = 0;  // 0 off, 1 on, 2 dimmed (still visible)
          CopyMemory(&state, setting->Data, sizeof state);
          displayOff_ = state == 0;
        }
      } else if (wParam == PBT_APMPOWERSTATUSCHANGE) {
        if (pace_ != nullptr) pace_->recheck();
      } else if (wParam == PBT_APMSUSPEND) {
        suspending_ = true;
      } else if (wParam == PBT_APMRESUMESUSPEND || wParam == PBT_APMRESUMEAUTOMATIC) {
        suspending_ = false;
      }
      return TRUE;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Messages that come before WM_NCCREATE, or after a failed set-up's surface is gone, get the
// default handling.
LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* surface = reinterpret_cast<Win32SaverSurface*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (surface == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return surface->handle(window, message, wParam, lParam);
}

}  // namespace

void runSaverWindow(SaverMode mode, const SaverSettings& settings,
                    const SessionOptions& sessionOptions, HWND parent, int showCommand) {
  Win32SaverSurface surface(mode, settings, parent, showCommand);
  RendererPicture picture(renderFlagsFor(settings, mode == Saver), settings.mainMonitorOnly != 0,
                          sessionOptions.drawPath, sessionOptions.content);
  Win32PowerSource power;
  BatteryPace pace(power);
  SessionOptions running = sessionOptions;
  running.pace = settings.batteryPace != 0 ? &pace : nullptr;
  running.frameRate = frameRateChoiceOf(settings.frameRate);
  SaverSession session(surface, picture, running);
  surface.attach(session, pace);
  session.run();
}

}  // namespace marvolet
