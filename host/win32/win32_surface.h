// The Win32 surface's set-up and teardown order and its error texts. Free of Windows headers so
// the order can be checked anywhere; win32_saver_window.cpp supplies the window-system steps.
#pragma once

#include "host/command_line.h"
#include "host/saver_surface.h"

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

// The box text for a set-up failure; null for NoFailure and Window, which show no box.
const char* win32FailureText(SetupFailure failure);

// Saver and Preview modes' surface. create() runs RegisterClass, CreateWindowEx, the
// screen-saver-running flag (Saver mode), GetDC, ChoosePixelFormat, SetPixelFormat,
// wglCreateContext and wglMakeCurrent, stopping at the first that fails.
class Win32Surface : public SaverSurface {
 public:
  explicit Win32Surface(SaverMode mode) : mode_(mode) {}

  SetupFailure create() final;
  // Releases the current context and deletes the context as far as they were made, shows the
  // box, then releases the device context and clears the running flag. The window itself goes
  // when the process ends.
  void abandon(SetupFailure failure) final;
  // Context released, device context released, context deleted, running flag cleared.
  void destroy() final;

 protected:
  SaverMode mode() const { return mode_; }

 private:
  virtual bool registerClass() = 0;
  // The full-screen popup (Saver) or the child of the preview parent (Preview). The window
  // procedure records the start state during creation.
  virtual bool createWindow() = 0;
  virtual void setScreenSaverRunning(bool running) = 0;
  virtual void acquireDeviceContext() = 0;
  virtual bool choosePixelFormat() = 0;
  virtual bool setPixelFormat() = 0;
  virtual bool createContext() = 0;
  virtual bool makeCurrent() = 0;
  // A message box with no owner, caption "Error" and an OK button; returns when dismissed.
  virtual void showError(const char* text) = 0;
  virtual void releaseCurrent() = 0;
  virtual void releaseDeviceContext() = 0;
  virtual void deleteContext() = 0;

  SaverMode mode_;
  bool running_ = false;  // the running flag was set
  bool deviceContext_ = false;
  bool context_ = false;
  bool current_ = false;
};

}  // namespace marvolet
