// Set-up, loop and teardown of the saver window.
#include "host/saver_window.h"

#include <cstdlib>

namespace marvolet {
namespace {

// After the device context was taken: release it and tell the platform the saver stopped.
// The window itself goes when the process ends.
void abandonSetup(SaverMode mode, SaverWindowSystem& system, const char* message) {
  system.showError(message);
  system.releaseDeviceContext();
  if (mode == Saver) system.setScreenSaverRunning(false);
}

// Dispatches every pending message before each frame; returns when the quit message arrives.
// A dark display gets no frames, only messages, so the closing rules still hold; the frame
// clock runs on meanwhile and the animation resumes where the clock says.
void runLoop(SaverWindowSystem& system) {
  for (;;) {
    const PumpResult pumped = system.pumpMessage();
    if (pumped == PumpResult::Quit) return;
    if (pumped == PumpResult::Dispatched) continue;
    if (system.displayAsleep()) {
      system.waitForMessage();
      continue;
    }
    if (system.renderFrame()) system.swapBuffers();
    const int32_t delay = system.frameDelay();
    system.sleep(delay > 0 ? static_cast<uint32_t>(delay) : 0u);
  }
}

}  // namespace

void runSaverWindowWith(SaverMode mode, RenderFlags flags, SaverWindowSystem& system) {
  if (!system.registerClass()) {
    system.showError(kRegisterClassFailed);
    return;
  }
  if (!system.createWindow()) return;
  if (mode == Saver) system.setScreenSaverRunning(true);
  system.acquireDeviceContext();
  if (!system.choosePixelFormat()) return abandonSetup(mode, system, kChoosePixelFormatFailed);
  if (!system.setPixelFormat()) return abandonSetup(mode, system, kSetPixelFormatFailed);
  // A renderer built without a current context would draw nowhere, so these fail the mode.
  if (!system.createContext()) return abandonSetup(mode, system, kCreateContextFailed);
  if (!system.makeCurrent()) {
    system.deleteContext();
    return abandonSetup(mode, system, kMakeCurrentFailed);
  }
  if (!system.createRenderer(flags)) {
    system.releaseCurrent();
    system.deleteContext();
    return abandonSetup(mode, system, kRendererFailed);
  }
  system.showWindow();
  runLoop(system);

  // The renderer releases GL objects, so it goes while its context is still current.
  system.deleteRenderer();
  system.releaseCurrent();
  system.releaseDeviceContext();
  system.deleteContext();
  if (mode == Saver) system.setScreenSaverRunning(false);
}

KeyCommand keyCommandForWindowsCode(int32_t code) {
  switch (code) {
    case 0x42:
    case 0x62:
      return KeyCommand::ToggleLightEffects;
    case 0x53:
    case 0x73:
      return KeyCommand::ToggleFrameRate;
    default:
      return KeyCommand::Nothing;
  }
}

DrawPath saverDrawPath() {
  return drawPathFromName(std::getenv("MARVOLET_DRAW_PATH"));
}

}  // namespace marvolet
