// X keysyms to Windows virtual-key codes, and X button states to key-state words.
#include "host/keysym_codes.h"

namespace marvolet {
namespace {

constexpr int32_t kVkMenu = 0x12;  // Alt
constexpr int32_t kVkF1 = 0x70;
constexpr int32_t kVkF10 = 0x79;
constexpr int32_t kVkNumpad0 = 0x60;

struct Mapping {
  uint32_t keysym;
  int32_t virtualKey;
};

// Keys outside the letter, digit, keypad-digit and function-key runs.
// clang-format off
constexpr Mapping kMappings[] = {
    {0x0020, 0x20},                                                  // space
    {0x0027, 0xDE}, {0x002C, 0xBC}, {0x002D, 0xBD}, {0x002E, 0xBE},  // ' , - .
    {0x002F, 0xBF}, {0x003B, 0xBA}, {0x003D, 0xBB}, {0x005B, 0xDB},  // / ; = [
    {0x005C, 0xDC}, {0x005D, 0xDD}, {0x0060, 0xC0},                  // \ ] `
    {0xFF08, 0x08}, {0xFF09, 0x09}, {0xFF0D, 0x0D}, {0xFF13, 0x13},  // BackSpace Tab Return Pause
    {0xFF14, 0x91}, {0xFF1B, 0x1B},                                  // Scroll_Lock Escape
    {0xFF50, 0x24}, {0xFF51, 0x25}, {0xFF52, 0x26}, {0xFF53, 0x27},  // Home Left Up Right
    {0xFF54, 0x28}, {0xFF55, 0x21}, {0xFF56, 0x22}, {0xFF57, 0x23},  // Down Prior Next End
    {0xFF61, 0x2C}, {0xFF63, 0x2D}, {0xFF67, 0x5D}, {0xFF7F, 0x90},  // Print Insert Menu Num_Lock
    {0xFF8D, 0x0D},                                                  // KP_Enter
    {0xFF95, 0x24}, {0xFF96, 0x25}, {0xFF97, 0x26}, {0xFF98, 0x27},  // keypad without NumLock
    {0xFF99, 0x28}, {0xFF9A, 0x21}, {0xFF9B, 0x22}, {0xFF9C, 0x23},
    {0xFF9D, 0x0C}, {0xFF9E, 0x2D}, {0xFF9F, 0x2E},
    {0xFFAA, 0x6A}, {0xFFAB, 0x6B}, {0xFFAC, 0x6C}, {0xFFAD, 0x6D},  // KP * + , -
    {0xFFAE, 0x6E}, {0xFFAF, 0x6F},                                  // KP . /
    {0xFFE1, 0x10}, {0xFFE2, 0x10}, {0xFFE3, 0x11}, {0xFFE4, 0x11},  // Shift Control
    {0xFFE5, 0x14}, {0xFFEB, 0x5B}, {0xFFEC, 0x5C},                  // Caps_Lock Super
    {0xFE03, kVkMenu},                                               // AltGr (Ctrl+Alt there)
    {0xFFFF, 0x2E},                                                  // Delete
};
// clang-format on

// Meta_L, Meta_R, Alt_L, Alt_R.
bool isAltKey(uint32_t keysym) {
  return keysym >= 0xFFE7 && keysym <= 0xFFEA;
}

int32_t virtualKeyFor(uint32_t keysym) {
  if (keysym >= 'a' && keysym <= 'z') return static_cast<int32_t>(keysym - 'a' + 'A');
  if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= '0' && keysym <= '9')) {
    return static_cast<int32_t>(keysym);
  }
  if (keysym >= 0xFFB0 && keysym <= 0xFFB9)
    return kVkNumpad0 + static_cast<int32_t>(keysym - 0xFFB0);
  if (keysym >= 0xFFBE && keysym <= 0xFFD5) return kVkF1 + static_cast<int32_t>(keysym - 0xFFBE);
  if (isAltKey(keysym)) return kVkMenu;
  for (const Mapping& mapping : kMappings) {
    if (mapping.keysym == keysym) return mapping.virtualKey;
  }
  return 0;
}

}  // namespace

KeyPressCode keyCodeFor(uint32_t keysym, uint32_t state) {
  const int32_t virtualKey = virtualKeyFor(keysym);
  const bool altWithoutControl = (state & kXAltMask) != 0 && (state & kXControlMask) == 0;
  const bool systemKey = virtualKey == kVkF10 || isAltKey(keysym) || altWithoutControl;
  return {virtualKey, systemKey};
}

int32_t buttonKeyState(uint32_t button, uint32_t state) {
  constexpr int32_t kLeft = 0x01, kRight = 0x02, kShift = 0x04, kControl = 0x08, kMiddle = 0x10;
  int32_t word = 0;
  switch (button) {
    case 1:
      word = kLeft;
      break;
    case 2:
      word = kMiddle;
      break;
    case 3:
      word = kRight;
      break;
    default:
      return -1;
  }
  // The state is taken before the press; Windows reports the pressed button as held.
  if (state & kXButton1Mask) word |= kLeft;
  if (state & kXButton2Mask) word |= kMiddle;
  if (state & kXButton3Mask) word |= kRight;
  if (state & kXShiftMask) word |= kShift;
  if (state & kXControlMask) word |= kControl;
  return word;
}

}  // namespace marvolet
