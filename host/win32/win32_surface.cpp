// The Win32 surface's step order.
#include "host/win32/win32_surface.h"

namespace marvolet {

namespace {

struct FailureText {
  SetupFailure failure;
  const char* text;
};

constexpr FailureText kFailureTexts[] = {
    {SetupFailure::WindowClass, kRegisterClassFailed},
    {SetupFailure::NoPixelFormat, kChoosePixelFormatFailed},
    {SetupFailure::PixelFormatRefused, kSetPixelFormatFailed},
    {SetupFailure::NoContext, kCreateContextFailed},
    {SetupFailure::ContextNotCurrent, kMakeCurrentFailed},
    {SetupFailure::NoRenderer, kRendererFailed},
};

}  // namespace

const char* win32FailureText(SetupFailure failure) {
  for (const FailureText& entry : kFailureTexts) {
    if (entry.failure == failure) return entry.text;
  }
  return nullptr;
}

SetupFailure Win32Surface::create() {
  if (!registerClass()) return SetupFailure::WindowClass;
  if (!createWindow()) return SetupFailure::Window;
  if (mode_ == Saver) {
    setScreenSaverRunning(true);
    running_ = true;
  }
  acquireDeviceContext();
  deviceContext_ = true;
  if (!choosePixelFormat()) return SetupFailure::NoPixelFormat;
  if (!setPixelFormat()) return SetupFailure::PixelFormatRefused;
  // A renderer built without a current context would draw nowhere, so these fail the mode.
  if (!createContext()) return SetupFailure::NoContext;
  context_ = true;
  if (!makeCurrent()) return SetupFailure::ContextNotCurrent;
  current_ = true;
  return SetupFailure::NoFailure;
}

void Win32Surface::abandon(SetupFailure failure) {
  if (current_) releaseCurrent();
  if (context_) deleteContext();
  current_ = context_ = false;
  if (const char* text = win32FailureText(failure)) showError(text);
  if (deviceContext_) releaseDeviceContext();
  if (running_) setScreenSaverRunning(false);
  deviceContext_ = running_ = false;
}

void Win32Surface::destroy() {
  releaseCurrent();
  releaseDeviceContext();
  deleteContext();
  if (running_) setScreenSaverRunning(false);
  current_ = context_ = deviceContext_ = running_ = false;
}

}  // namespace marvolet
