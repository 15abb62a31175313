// X11 key and button presses as the saver sees them: whether they count at all, and the
// renderer's command. Plain numbers (keysyms and state masks are fixed by the X protocol), so
// no X header is needed and the mapping is testable anywhere.
#pragma once

#include <cstdint>

#include "render/render_types.h"

namespace marvolet {

// X event state bits (KeyPress `state`).
constexpr uint32_t kXShiftMask = 1u << 0;
constexpr uint32_t kXControlMask = 1u << 2;
constexpr uint32_t kXAltMask = 1u << 3;  // Mod1

struct X11Key {
  // F10, Alt, or a key held with Alt but not Ctrl: as on Windows, such a key neither closes
  // the saver nor reaches the renderer.
  bool systemKey;
  KeyCommand command;
};

// `keysym` is the key's symbol with NumLock applied but not Shift: b or B toggles the glow,
// and so does keypad 2 with NumLock (not without: that is KP_Down); s, S and F4 toggle the
// frame rate. `state` is the event's modifier state.
X11Key x11KeyFor(uint32_t keysym, uint32_t state);

// Whether a press of X button `button` closes the full-screen saver: the left, middle and
// right buttons (1 to 3) do; the wheel (4 to 7) and the side buttons do not, as on Windows.
bool x11ButtonCloses(uint32_t button);

}  // namespace marvolet
