// Windows key codes as the renderer's key commands.
#include <gtest/gtest.h>

#include "host/win32/win32_keys.h"

namespace marvolet {
namespace {

TEST(Win32Keys, WindowsCodesOfBAndSAndTheirNumericTwinsToggleTheSwitches) {
  EXPECT_EQ(keyCommandForWindowsCode(0x42), KeyCommand::ToggleLightEffects);
  EXPECT_EQ(keyCommandForWindowsCode(0x62), KeyCommand::ToggleLightEffects);
  EXPECT_EQ(keyCommandForWindowsCode(0x53), KeyCommand::ToggleFrameRate);
  EXPECT_EQ(keyCommandForWindowsCode(0x73), KeyCommand::ToggleFrameRate);
  for (int32_t other : {0x41, 0x43, 0x20, 0, -1, 0x142}) {
    EXPECT_EQ(keyCommandForWindowsCode(other), KeyCommand::Nothing) << other;
  }
}

}  // namespace
}  // namespace marvolet
