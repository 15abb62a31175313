// The life of the saver window: set-up steps, failure reports, the message/frame loop and the
// teardown order, over a window-system interface so each failure path can be driven in tests.
#pragma once

#include <cstdint>

#include "host/command_line.h"
#include "render/renderer.h"

namespace marvolet {

// Texts of the boxes titled "Error"; two blanks after the colon.
constexpr const char* kRegisterClassFailed =
    "RegisterClass() failed:  Cannot register window class.";
constexpr const char* kChoosePixelFormatFailed =
    "ChoosePixelFormat() failed:  Cannot find a suitable pixel format.";
constexpr const char* kSetPixelFormatFailed =
    "SetPixelFormat() failed:  Cannot set format specified.";
constexpr const char* kCreateContextFailed =
    "wglCreateContext() failed:  Cannot create an OpenGL context.";
constexpr const char* kMakeCurrentFailed =
    "wglMakeCurrent() failed:  Cannot make the OpenGL context current.";
constexpr const char* kRendererFailed = "new Renderer() failed:  Out of memory.";

// One queue step of the message loop.
enum class PumpResult { Empty, Dispatched, Quit };

// The window-system and GL calls behind runSaverWindow, in the order they are made.
class SaverWindowSystem {
 public:
  virtual ~SaverWindowSystem() = default;
  virtual bool registerClass() = 0;
  // Creates the full-screen popup (Saver) or the child of the preview parent (Preview). The
  // window procedure records the start state during creation. False when creation fails.
  virtual bool createWindow() = 0;
  virtual void setScreenSaverRunning(bool running) = 0;
  virtual void acquireDeviceContext() = 0;
  virtual bool choosePixelFormat() = 0;
  virtual bool setPixelFormat() = 0;
  virtual bool createContext() = 0;
  virtual bool makeCurrent() = 0;
  // A message box with no owner, caption "Error" and an OK button; returns when dismissed.
  virtual void showError(const char* text) = 0;
  // Builds the renderer at the window's size with a current context; false when it cannot.
  virtual bool createRenderer(RenderFlags flags) = 0;
  virtual void showWindow() = 0;
  // Takes one pending message, dispatching it unless it is the quit message.
  virtual PumpResult pumpMessage() = 0;
  // True while the display is off or the machine is suspending: nobody can see a frame.
  virtual bool displayAsleep() = 0;
  // Blocks until a message may be pending. A platform that must poll for the display's state
  // returns after about a second without one.
  virtual void waitForMessage() = 0;
  // Composes the frame in the back buffer, every monitor's part of it; true means "present it".
  virtual bool renderFrame() = 0;
  virtual int32_t frameDelay() = 0;  // milliseconds
  virtual void swapBuffers() = 0;
  virtual void sleep(uint32_t milliseconds) = 0;
  virtual void deleteRenderer() = 0;
  virtual void releaseCurrent() = 0;
  virtual void releaseDeviceContext() = 0;
  virtual void deleteContext() = 0;
};

// Runs the saver window for Saver or Preview mode until the window is destroyed. Set-up
// failures are reported in a box (except a failed window creation, which is silent), undo what
// was set up and return.
void runSaverWindowWith(SaverMode mode, RenderFlags flags, SaverWindowSystem& system);

// The renderer's command for a Windows virtual-key code or mouse key-state word (a key or
// button message's wParam): B and VK_NUMPAD2 (0x62) toggle the glow, S and VK_F4 (0x73) the
// frame rate, anything else nothing.
KeyCommand keyCommandForWindowsCode(int32_t code);

// The drawing path a saver's renderer uses: MARVOLET_DRAW_PATH=literal selects the reference
// path (a GL call per glyph, the glow layer by layer), for comparing the two on a real display.
DrawPath saverDrawPath();

}  // namespace marvolet
