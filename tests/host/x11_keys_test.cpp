// X keys and buttons as the key commands and closing presses the saver sees.
#include <gtest/gtest.h>

#include "host/x11/x11_keys.h"

namespace marvolet {
namespace {

// Keysyms, as fixed by the X protocol.
constexpr uint32_t kKpDown = 0xFF99, kKp2 = 0xFFB2, kF4 = 0xFFC1, kF10 = 0xFFC7, kAltL = 0xFFE9;
constexpr uint32_t kMetaR = 0xFFE8, kEscape = 0xFF1B, kShiftL = 0xFFE1, kAltGr = 0xFE03;

TEST(X11Keys, BAndSToggleTheSwitchesWhateverShiftOrControlSay) {
  for (uint32_t state : {0u, kXShiftMask, kXControlMask}) {
    EXPECT_EQ(x11KeyFor('b', state).command, KeyCommand::ToggleLightEffects);
    EXPECT_EQ(x11KeyFor('B', state).command, KeyCommand::ToggleLightEffects);
    EXPECT_EQ(x11KeyFor('s', state).command, KeyCommand::ToggleFrameRate);
    EXPECT_EQ(x11KeyFor('S', state).command, KeyCommand::ToggleFrameRate);
    EXPECT_FALSE(x11KeyFor('s', state).systemKey);
  }
  // As on Windows, keypad 2 (with NumLock) and F4 toggle them too.
  EXPECT_EQ(x11KeyFor(kKp2, 0).command, KeyCommand::ToggleLightEffects);
  EXPECT_EQ(x11KeyFor(kF4, 0).command, KeyCommand::ToggleFrameRate);
  EXPECT_EQ(x11KeyFor(kKpDown, 0).command, KeyCommand::Nothing);  // keypad 2 without NumLock
}

TEST(X11Keys, NoOtherKeyCarriesACommand) {
  for (uint32_t keysym = 0; keysym <= 0xFFFF; ++keysym) {
    if (keysym == 'b' || keysym == 'B' || keysym == 's' || keysym == 'S' || keysym == kKp2 ||
        keysym == kF4) {
      continue;
    }
    EXPECT_EQ(x11KeyFor(keysym, 0).command, KeyCommand::Nothing) << std::hex << keysym;
  }
}

TEST(X11Keys, SystemKeysAreThoseWindowsSendsAsSuch) {
  EXPECT_TRUE(x11KeyFor(kF10, 0).systemKey);
  EXPECT_TRUE(x11KeyFor(kAltL, 0).systemKey);
  EXPECT_TRUE(x11KeyFor(kMetaR, 0).systemKey);
  EXPECT_TRUE(x11KeyFor('a', kXAltMask).systemKey);
  EXPECT_TRUE(x11KeyFor(kF4, kXAltMask).systemKey);  // Alt+F4 does not close the saver
  EXPECT_FALSE(x11KeyFor('a', kXAltMask | kXControlMask).systemKey);
  EXPECT_FALSE(x11KeyFor(kAltGr, 0).systemKey);
  for (uint32_t keysym :
       {uint32_t{'a'}, uint32_t{' '}, uint32_t{'7'}, kEscape, kShiftL, kF4, 0x1234u}) {
    EXPECT_FALSE(x11KeyFor(keysym, 0).systemKey) << std::hex << keysym;
  }
}

TEST(X11Keys, TheThreeMainButtonsCloseAndTheWheelAndSideButtonsDoNot) {
  for (uint32_t button : {1u, 2u, 3u}) EXPECT_TRUE(x11ButtonCloses(button)) << button;
  for (uint32_t wheelOrSide : {0u, 4u, 5u, 6u, 7u, 8u, 9u}) {
    EXPECT_FALSE(x11ButtonCloses(wheelOrSide)) << wheelOrSide;
  }
}

}  // namespace
}  // namespace marvolet
