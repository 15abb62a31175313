// X keys and buttons as the Windows codes the renderer and the closing rules see.
#include <gtest/gtest.h>

#include "host/keysym_codes.h"

namespace marvolet {
namespace {

// Keysyms, as fixed by the X protocol.
constexpr uint32_t kKpDown = 0xFF99, kKp2 = 0xFFB2, kF4 = 0xFFC1, kF10 = 0xFFC7, kAltL = 0xFFE9;
constexpr uint32_t kMetaR = 0xFFE8, kEscape = 0xFF1B, kShiftL = 0xFFE1, kAltGr = 0xFE03;

TEST(KeysymCodes, BAndSReachTheRendererAsTheirLetterCodes) {
  for (uint32_t state : {0u, kXShiftMask, kXControlMask}) {
    EXPECT_EQ(keyCodeFor('b', state).virtualKey, 0x42);
    EXPECT_EQ(keyCodeFor('B', state).virtualKey, 0x42);
    EXPECT_EQ(keyCodeFor('s', state).virtualKey, 0x53);
    EXPECT_EQ(keyCodeFor('S', state).virtualKey, 0x53);
    EXPECT_FALSE(keyCodeFor('s', state).systemKey);
  }
  // As on Windows, keypad 2 (with NumLock) and F4 carry the lower-case codes too.
  EXPECT_EQ(keyCodeFor(kKp2, 0).virtualKey, 0x62);
  EXPECT_EQ(keyCodeFor(kF4, 0).virtualKey, 0x73);
  EXPECT_EQ(keyCodeFor(kKpDown, 0).virtualKey, 0x28);  // keypad 2 without NumLock: VK_DOWN
}

TEST(KeysymCodes, NoOtherKeyCarriesARendererCode) {
  for (uint32_t keysym = 0; keysym <= 0xFFFF; ++keysym) {
    if (keysym == 'b' || keysym == 'B' || keysym == 's' || keysym == 'S' || keysym == kKp2 ||
        keysym == kF4) {
      continue;
    }
    const int32_t code = keyCodeFor(keysym, 0).virtualKey;
    EXPECT_TRUE(code != 0x42 && code != 0x62 && code != 0x53 && code != 0x73)
        << std::hex << keysym << " gives " << code;
  }
}

TEST(KeysymCodes, SystemKeysAreThoseWindowsSendsAsSuch) {
  EXPECT_TRUE(keyCodeFor(kF10, 0).systemKey);
  EXPECT_TRUE(keyCodeFor(kAltL, 0).systemKey);
  EXPECT_TRUE(keyCodeFor(kMetaR, 0).systemKey);
  EXPECT_TRUE(keyCodeFor('a', kXAltMask).systemKey);
  EXPECT_TRUE(keyCodeFor(kF4, kXAltMask).systemKey);  // Alt+F4 does not close the saver
  EXPECT_FALSE(keyCodeFor('a', kXAltMask | kXControlMask).systemKey);
  EXPECT_FALSE(keyCodeFor(kAltGr, 0).systemKey);
  for (uint32_t keysym : {uint32_t{'a'}, uint32_t{' '}, kEscape, kShiftL, kF4, 0x1234u}) {
    EXPECT_FALSE(keyCodeFor(keysym, 0).systemKey) << std::hex << keysym;
  }
  EXPECT_EQ(keyCodeFor(kEscape, 0).virtualKey, 0x1B);
  EXPECT_EQ(keyCodeFor(kShiftL, 0).virtualKey, 0x10);
  EXPECT_EQ(keyCodeFor('7', 0).virtualKey, '7');
}

TEST(KeysymCodes, ButtonsGiveTheKeyStateWordAndTheWheelNothing) {
  EXPECT_EQ(buttonKeyState(1, 0), 0x01);
  EXPECT_EQ(buttonKeyState(3, 0), 0x02);
  EXPECT_EQ(buttonKeyState(2, 0), 0x10);
  EXPECT_EQ(buttonKeyState(1, kXShiftMask | kXControlMask), 0x0D);
  EXPECT_EQ(buttonKeyState(3, kXButton1Mask | kXButton2Mask), 0x13);
  EXPECT_EQ(buttonKeyState(1, kXButton1Mask), 0x01);
  for (uint32_t wheelOrSide : {4u, 5u, 6u, 7u, 8u, 9u}) {
    EXPECT_EQ(buttonKeyState(wheelOrSide, 0), -1) << wheelOrSide;
  }
}

}  // namespace
}  // namespace marvolet
