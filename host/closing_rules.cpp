// The saver window's closing rules.
#include "host/closing_rules.h"

namespace marvolet {

bool beyondMouseThreshold(CursorPoint start, CursorPoint now, int32_t threshold) {
  // 64-bit differences: screen coordinates far apart must not overflow.
  const int64_t dx = static_cast<int64_t>(now.x) - start.x;
  const int64_t dy = static_cast<int64_t>(now.y) - start.y;
  return (dx < 0 ? -dx : dx) > threshold || (dy < 0 ? -dy : dy) > threshold;
}

bool withinPasswordDelay(uint32_t startTick, uint32_t now, int32_t delaySeconds) {
  const uint32_t elapsed = now - startTick;
  return elapsed <= static_cast<uint32_t>(delaySeconds) * 1000u;
}

void ClosingRules::windowCreated(uintptr_t window) {
  state_.window = window;
  state_.startCursor = port_.cursorPosition();
  state_.startTick = port_.tickCount();
}

void ClosingRules::activationChanged(bool losing) {
  if (activeSaver() && losing) requestClose();
}

bool ClosingRules::closeMessage() {
  if (mode_ != Saver) return true;
  // A close nobody asked for (another program's, or one queued before a refused password
  // check) and a close during the check are both ignored.
  if (!state_.closeRequested || state_.checkingPassword) return false;
  if (withinPasswordDelay(state_.startTick, port_.tickCount(), settings_.passwordDelay)) {
    port_.destroyWindow();
    return false;
  }
  beginPasswordCheck();
  const bool accepted = port_.verifyPassword();
  endPasswordCheck();
  // Refused: closeRequested stays true and startTick unchanged, so every later close asks again.
  if (accepted) port_.destroyWindow();
  return false;
}

void ClosingRules::keyOrButtonPressed(KeyCommand command) {
  if (!activeSaver()) return;
  // The renderer acts on the keys it knows; the saver closes all the same.
  port_.keyCommand(command);
  requestClose();
}

bool ClosingRules::swallowsSystemCommand(uint32_t command) const {
  return mode_ == Saver && (command == kSysCommandScreenSave || command == kSysCommandClose);
}

void ClosingRules::mouseMoved() {
  if (!activeSaver()) return;
  if (beyondMouseThreshold(state_.startCursor, port_.cursorPosition(), settings_.mouseThreshold)) {
    requestClose();
  }
}

void ClosingRules::requestClose() {
  state_.closeRequested = true;
  port_.postClose();
}

void ClosingRules::beginPasswordCheck() {
  state_.checkingPassword = true;
  port_.refreshCursor();
}

void ClosingRules::endPasswordCheck() {
  state_.checkingPassword = false;
  port_.refreshCursor();
  state_.startCursor = port_.cursorPosition();
}

}  // namespace marvolet
