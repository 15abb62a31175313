// When the saver window closes: mouse threshold, key and button presses, loss of activation,
// the password delay and the password check. Window-system neutral, so every host (and the
// tests, with a fake clock and cursor) drives the same decisions.
#pragma once

#include <cstdint>

#include "host/command_line.h"
#include "host/saver_settings.h"
#include "render/render_types.h"

namespace marvolet {

struct CursorPoint {
  int32_t x = 0;  // screen pixels
  int32_t y = 0;
};

// What the closing rules remember about one saver window between its messages. The surface
// that owns the window owns its record, so two windows never share a close request or a
// password check.
struct ClosingState {
  uintptr_t window = 0;     // the saver window, opaque to portable code; 0 until created
  CursorPoint startCursor;  // reference position for the mouse threshold
  uint32_t startTick = 0;   // platform tick count (milliseconds) at window creation
  bool checkingPassword = false;
  bool closeRequested = false;  // only ever goes from false to true
};

// System commands that a running saver swallows (WM_SYSCOMMAND wParam values).
constexpr uint32_t kSysCommandClose = 0xF060;       // SC_CLOSE, e.g. Alt+F4
constexpr uint32_t kSysCommandScreenSave = 0xF140;  // SC_SCREENSAVE

// What the rules need from the window system. All calls happen on the window's thread.
class SaverWindowPort {
 public:
  virtual ~SaverWindowPort() = default;
  virtual CursorPoint cursorPosition() = 0;  // screen pixels
  virtual uint32_t tickCount() = 0;          // milliseconds, wrapping modulo 2^32
  // Queues a close message to the saver window; it comes back through closeMessage().
  virtual void postClose() = 0;
  virtual void destroyWindow() = 0;
  // Re-applies the cursor at once (the window system asks cursorHidden() again).
  virtual void refreshCursor() = 0;
  // Runs the platform's password check and blocks until it ends; true lets the saver close.
  // The window system may deliver messages to the rules while it runs.
  virtual bool verifyPassword() = 0;
  // Offers a key's command to the renderer, if there is one.
  virtual void keyCommand(KeyCommand command) = 0;
};

// True when the cursor has moved more than `threshold` pixels from `start` along either axis,
// each axis tested alone. A negative threshold is exceeded even without movement.
bool beyondMouseThreshold(CursorPoint start, CursorPoint now, int32_t threshold);

// True while no more than `delaySeconds` × 1000 milliseconds have passed since `startTick`,
// all in unsigned 32-bit arithmetic so a wrap of the tick count does no harm.
bool withinPasswordDelay(uint32_t startTick, uint32_t now, int32_t delaySeconds);

// The window's decisions, one call per window message. Cheap to construct: it holds only
// references, so a window procedure can make one per message. `settings` gives the limits
// (password delay, mouse threshold); `state` is the window's own record, which it updates.
class ClosingRules {
 public:
  ClosingRules(SaverMode mode, const SaverSettings& settings, ClosingState& state,
               SaverWindowPort& port)
      : mode_(mode), settings_(settings), state_(state), port_(port) {}

  // Saver mode with no password check running: the only state in which input closes.
  bool activeSaver() const { return mode_ == Saver && !state_.checkingPassword; }

  // Window created (every mode): records the window, start cursor and start tick.
  void windowCreated(uintptr_t window);
  // Activation changed; `losing` when the window or the application loses it.
  void activationChanged(bool losing);
  // A close message arrived. True when the window system's default handling (destroying the
  // window) should follow; in Saver mode the closing rule decides instead and this is false.
  bool closeMessage();
  // Whether the cursor over the window is hidden (else the arrow shows).
  bool cursorHidden() const { return activeSaver(); }
  // A key went down or a mouse button was pressed that may close the saver; `command` is what
  // the platform's key mapping makes of it.
  void keyOrButtonPressed(KeyCommand command);
  // True when the system command must be swallowed (result 0, no default handling).
  bool swallowsSystemCommand(uint32_t command) const;
  // The mouse moved; the position is taken from the port, not from the message.
  void mouseMoved();

  // Marks the close as requested and queues the close message.
  void requestClose();
  // Shows the cursor for the check and keeps nested messages from requesting another close.
  void beginPasswordCheck();
  // Hides the cursor again and measures later movement from where the cursor now is.
  void endPasswordCheck();

 private:
  SaverMode mode_;
  const SaverSettings& settings_;
  ClosingState& state_;
  SaverWindowPort& port_;
};

}  // namespace marvolet
