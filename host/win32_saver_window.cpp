// The saver window on Win32: window class, WGL context, frame loop and window procedure.
#include <new>

#include "host/closing_rules.h"
#include "host/saver_window.h"
#include "host/win32_host.h"
#include "render/renderer.h"

namespace marvolet {
namespace {

constexpr const char* kClassName = "OpenGL";
constexpr const char* kWindowName = "SaverWindow";

class Win32WindowPort : public SaverWindowPort {
 public:
  CursorPoint cursorPosition() override {
    POINT point = {0, 0};
    GetCursorPos(&point);
    return {point.x, point.y};
  }
  uint32_t tickCount() override { return GetTickCount(); }
  void postClose() override { PostMessageA(window(), WM_CLOSE, 0, 0); }
  void destroyWindow() override { DestroyWindow(window()); }
  void refreshCursor() override { SendMessageA(window(), WM_SETCURSOR, 0, 0); }
  bool verifyPassword() override { return marvolet::verifyPassword(window()) != FALSE; }
  void keyCommand(int32_t code) override {
    if (currentRenderer != nullptr) currentRenderer->keyCommand(code);
  }

 private:
  static HWND window() { return windowFromNumber(saverSettings->window); }
};

class Win32SaverWindowSystem : public SaverWindowSystem {
 public:
  Win32SaverWindowSystem(HWND parent, int showCommand)
      : parent_(parent), showCommand_(showCommand) {}

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
    if (saverMode == Preview) {
      // The parent's size is taken once; later resizes of the preview are not followed.
      RECT rect = {0, 0, 0, 0};
      GetWindowRect(parent_, &rect);
      width_ = rect.right - rect.left;
      height_ = rect.bottom - rect.top;
      style = WS_CHILD | WS_VISIBLE;
      parent = parent_;
    } else {
      width_ = GetSystemMetrics(SM_CXSCREEN);
      height_ = GetSystemMetrics(SM_CYSCREEN);
    }
    window_ = CreateWindowExA(0, kClassName, kWindowName, style, 0, 0, width_, height_, parent,
                              nullptr, instanceHandle, nullptr);
    return window_ != nullptr;
  }

  void setScreenSaverRunning(bool running) override {
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &previousState_, 0);
  }

  void acquireDeviceContext() override { deviceContext_ = GetDC(window_); }

  bool choosePixelFormat() override {
    // Colour only: no depth, stencil, accumulation or alpha bits are asked for.
    pixelFormatRequest_ = {};
    pixelFormatRequest_.nSize = sizeof pixelFormatRequest_;  // 40
    pixelFormatRequest_.nVersion = 1;
    pixelFormatRequest_.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pixelFormatRequest_.iPixelType = PFD_TYPE_RGBA;
    pixelFormatRequest_.cColorBits = 32;
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

  bool makeCurrent() override { return wglMakeCurrent(deviceContext_, glContext_) != FALSE; }

  void showError(const char* text) override { MessageBoxA(nullptr, text, "Error", MB_OK); }

  bool createRenderer(RenderFlags flags) override {
    renderer_ = new (std::nothrow) Renderer(width_, height_, flags);
    currentRenderer = renderer_;
    return renderer_ != nullptr;
  }

  void showWindow() override { ShowWindow(window_, showCommand_); }

  PumpResult pumpMessage() override {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return PumpResult::Empty;
    if (message.message == WM_QUIT) return PumpResult::Quit;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return PumpResult::Dispatched;
  }

  bool renderFrame() override { return renderer_->renderFrame(); }
  int32_t frameDelay() override { return renderer_->frameDelay; }
  void swapBuffers() override { SwapBuffers(deviceContext_); }
  void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }

  void deleteRenderer() override {
    delete renderer_;
    renderer_ = nullptr;
    currentRenderer = nullptr;
  }

  void releaseCurrent() override { wglMakeCurrent(nullptr, nullptr); }
  void releaseDeviceContext() override { ReleaseDC(window_, deviceContext_); }
  void deleteContext() override { wglDeleteContext(glContext_); }

 private:
  HWND parent_;
  int showCommand_;
  HWND window_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  BOOL previousState_ = FALSE;
  HDC deviceContext_ = nullptr;
  PIXELFORMATDESCRIPTOR pixelFormatRequest_ = {};
  int pixelFormat_ = 0;
  HGLRC glContext_ = nullptr;
  Renderer* renderer_ = nullptr;
};

}  // namespace

void runSaverWindow(HWND parent, int showCommand) {
  Win32SaverWindowSystem system(parent, showCommand);
  runSaverWindowWith(saverMode, renderFlagsFor(*saverSettings), system);
}

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32WindowPort port;
  ClosingRules rules(saverMode, *saverSettings, port);
  switch (message) {
    case WM_CREATE:
      rules.windowCreated(windowNumber(window));
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      rules.activationChanged(LOWORD(wParam) == 0);
      break;
    case WM_CLOSE:
      if (!rules.closeMessage()) return 0;
      break;
    case WM_SETCURSOR:
      SetCursor(rules.cursorHidden() ? nullptr
                                     : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
      break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      rules.keyOrButtonPressed(static_cast<int32_t>(wParam));
      break;
    case WM_SYSCOMMAND:
      if (rules.swallowsSystemCommand(static_cast<uint32_t>(wParam))) return 0;
      break;
    case WM_MOUSEMOVE:
      rules.mouseMoved();
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace marvolet
