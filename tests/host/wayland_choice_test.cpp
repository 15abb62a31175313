// Which window system a run uses, and the Wayland host's placement of copies and buttons.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "host/linux/linux_command_line.h"
#include "host/wayland/wayland_rules.h"
#include "host/x11/x11_keys.h"

namespace marvolet {
namespace {

HackOptions parsed(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv = {"marvolet"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return parseHackArguments(static_cast<int>(argv.size()), argv.data());
}

TEST(WindowSystemChoice, WaylandDisplayDecidesUnlessForcedAndXWindowsStayX11) {
  const WindowSystem x11 = WindowSystem::X11, wayland = WindowSystem::Wayland;
  EXPECT_EQ(chooseWindowSystem(parsed({"-s"}), "wayland-1"), wayland);
  EXPECT_EQ(chooseWindowSystem(parsed({"-window"}), "wayland-1"), wayland);
  EXPECT_EQ(chooseWindowSystem(parsed({"-s"}), nullptr), x11);
  EXPECT_EQ(chooseWindowSystem(parsed({"-s"}), ""), x11);  // set but empty: no compositor
  EXPECT_EQ(chooseWindowSystem(parsed({"-s", "-x11"}), "wayland-1"), x11);
  EXPECT_EQ(chooseWindowSystem(parsed({"/s", "-wayland"}), nullptr), wayland);
  EXPECT_EQ(chooseWindowSystem(parsed({"-wayland", "-x11", "-s"}), nullptr), x11);  // the last
  // The modes that name an X window, and the dialog, whatever is asked for.
  for (const auto& arguments : {parsed({"-root", "-wayland"}), parsed({"-window-id", "0x2a"}),
                                parsed({"-config", "-wayland"}), parsed({"-wayland"})}) {
    EXPECT_EQ(chooseWindowSystem(arguments, "wayland-1"), x11);
  }
  EXPECT_EQ(chooseWindowSystem(withScreensaverWindow(parsed({"-wayland"}), "0x2a"), "wayland-1"),
            x11);
}

TEST(WaylandCopies, KeepThePicturesAspectCentredBottomUp) {
  // Wider: bars left and right.
  PixelRect at = copyPlacement(640, 480, 960, 480);
  EXPECT_EQ(at, (PixelRect{160, 0, 640, 480}));
  // Taller: bars above and below, measured from the bottom as glViewport takes them.
  at = copyPlacement(640, 480, 640, 960);
  EXPECT_EQ(at, (PixelRect{0, 240, 640, 480}));
  // Smaller and scaled down, the whole output's height used.
  at = copyPlacement(1920, 1080, 800, 600);
  EXPECT_EQ(at, (PixelRect{0, 75, 800, 450}));
  EXPECT_EQ(copyPlacement(640, 480, 640, 480), (PixelRect{0, 0, 640, 480}));
  EXPECT_EQ(copyPlacement(0, 480, 640, 480), PixelRect{});
  EXPECT_EQ(copyPlacement(640, 480, 640, 0), PixelRect{});
}

TEST(WaylandButtons, TheThreeMainButtonsCloseTheRestDoNot) {
  EXPECT_EQ(xButtonForInputCode(0x110), 1u);  // BTN_LEFT
  EXPECT_EQ(xButtonForInputCode(0x112), 2u);  // BTN_MIDDLE
  EXPECT_EQ(xButtonForInputCode(0x111), 3u);  // BTN_RIGHT
  for (uint32_t code : {0x110u, 0x111u, 0x112u})
    EXPECT_TRUE(x11ButtonCloses(xButtonForInputCode(code)));
  // Side, extra, forward, back, task, and codes that are no mouse button at all.
  for (uint32_t code : {0x113u, 0x114u, 0x115u, 0x116u, 0x117u, 0x118u, 0x100u, 0u}) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(x11ButtonCloses(xButtonForInputCode(code)));
  }
}

}  // namespace
}  // namespace marvolet
