// X11 key and button events turned into the Windows codes that Renderer::keyCommand and the
// closing rules expect. Plain numbers (keysyms and state masks are fixed by the X protocol), so
// no X header is needed and the table is testable anywhere.
#pragma once

#include <cstdint>

namespace marvolet {

// X event state bits (KeyPress/ButtonPress `state`).
constexpr uint32_t kXShiftMask = 1u << 0;
constexpr uint32_t kXControlMask = 1u << 2;
constexpr uint32_t kXAltMask = 1u << 3;  // Mod1
constexpr uint32_t kXButton1Mask = 1u << 8;
constexpr uint32_t kXButton2Mask = 1u << 9;
constexpr uint32_t kXButton3Mask = 1u << 10;

struct KeyPressCode {
  int32_t virtualKey;  // the Windows virtual-key code, 0 for keys without one here
  // Windows delivers it as a system key (F10, Alt, or a key held with Alt but not Ctrl), which
  // neither closes the saver nor reaches the renderer.
  bool systemKey;
};

// `keysym` is the key's symbol with NumLock applied but not Shift (so both 'b' and 'B' give
// 0x42, keypad 2 gives VK_NUMPAD2 0x62 with NumLock and VK_DOWN without); `state` is the
// event's modifier state.
KeyPressCode keyCodeFor(uint32_t keysym, uint32_t state);

// The key-state word (MK_* bits) that Windows passes with a button press, for X button
// `button` (1 left, 2 middle, 3 right) pressed with modifier state `state`. Other buttons (the
// wheel, 4 to 7, and the side buttons) give -1: on Windows they do not close the saver.
int32_t buttonKeyState(uint32_t button, uint32_t state);

}  // namespace marvolet
