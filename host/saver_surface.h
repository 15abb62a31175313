// The seam between the portable saver session and a window system: a surface is the saver's
// window with a current GL context. Each platform implements it; the session drives it.
#pragma once

#include <cstdint>
#include <vector>

#include "host/monitor_layout.h"

namespace marvolet {

// Why a surface or the picture on it could not be set up. Each platform reports these in its
// own words; Window is reported by whoever saw why, if anyone.
enum class SetupFailure {
  NoFailure,           // not None, which Xlib defines as a macro
  WindowClass,         // the window system would not take the saver's window kind
  Window,              // no window
  NoPixelFormat,       // no GL pixel format or visual fit for the renderer
  PixelFormatRefused,  // the window would not take the chosen pixel format
  NoContext,           // no GL context
  ContextNotCurrent,   // the context could not be made current
  NoRenderer,          // out of memory for the renderer
};

// One step of the event pump.
enum class PumpResult { Empty, Dispatched, Quit };

class SaverSession;

// The monitors as a window system has them at one moment, and its screen (virtual-screen
// pixels), which stands in for them where it reports none.
struct MonitorReading {
  std::vector<Monitor> monitors;
  PixelRect screen;
};

class SaverSurface {
 public:
  virtual ~SaverSurface() = default;
  // Creates the window for the surface's mode and a GL context for it, and makes the context
  // current. On failure the surface keeps what it made until abandon() is called.
  virtual SetupFailure create() = 0;
  // Gives up a surface whose set-up failed, or whose picture could not be built: releases what
  // was made and reports `failure`, in the order the platform does both.
  virtual void abandon(SetupFailure failure) = 0;
  // The window and, in its pixels, where the renderer draws and where copies go. Valid after a
  // successful create(); a surface that changes it tells the session (followLayout).
  virtual const SaverLayout& layout() const = 0;
  // The full-screen surface reads its monitors afresh; false for a surface that does not follow
  // them (a preview, a borrowed window) or cannot read them.
  virtual bool readMonitors(MonitorReading& reading) {
    (void)reading;
    return false;
  }
  // Moves the window over `layout.window`; layout() is `layout` from then on.
  virtual void adoptLayout(const SaverLayout& layout) { (void)layout; }
  virtual void show() = 0;
  // Handles one pending event, if any; Quit once the window is closed or the process told to end.
  virtual PumpResult pump() = 0;
  // True while the display is off or the machine is suspending: nobody can see a frame.
  virtual bool displayAsleep() = 0;
  // Blocks until an event may be pending. A platform that must poll for the display's state
  // returns after about a second without one.
  virtual void waitForEvents() = 0;
  // Shows the back buffer.
  virtual void present() = 0;
  // The primary monitor's refresh rate in Hz (the copies on other monitors follow it); 0 where
  // the platform cannot tell, as on a virtual display. Read after create() and whenever the
  // monitors change.
  virtual double refreshRate() { return 0.0; }
  // Asks the GL to show each frame for `interval` refreshes, 0 for at once. False where the
  // GL, as found at create(), offers no swap control or refuses the interval: the session then
  // paces by deadline.
  virtual bool setSwapInterval(int32_t interval) {
    (void)interval;
    return false;
  }
  virtual void sleep(uint32_t milliseconds) = 0;
  // Releases the context and the window's resources. Called once the picture is gone.
  virtual void destroy() = 0;
};

}  // namespace marvolet
