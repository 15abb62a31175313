// X keysyms to key commands and system keys.
#include "host/x11/x11_keys.h"

namespace marvolet {
namespace {

constexpr uint32_t kKeypad2 = 0xFFB2;
constexpr uint32_t kF4 = 0xFFC1;
constexpr uint32_t kF10 = 0xFFC7;

// Meta_L, Meta_R, Alt_L, Alt_R.
bool isAltKey(uint32_t keysym) {
  return keysym >= 0xFFE7 && keysym <= 0xFFEA;
}

}  // namespace

X11Key x11KeyFor(uint32_t keysym, uint32_t state) {
  const bool altWithoutControl = (state & kXAltMask) != 0 && (state & kXControlMask) == 0;
  const bool systemKey = keysym == kF10 || isAltKey(keysym) || altWithoutControl;
  KeyCommand command = KeyCommand::Nothing;
  if (keysym == 'b' || keysym == 'B' || keysym == kKeypad2) {
    command = KeyCommand::ToggleLightEffects;
  } else if (keysym == 's' || keysym == 'S' || keysym == kF4) {
    command = KeyCommand::ToggleFrameRate;
  }
  return {systemKey, command};
}

bool x11ButtonCloses(uint32_t button) {
  return button >= 1 && button <= 3;
}

}  // namespace marvolet
