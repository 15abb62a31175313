// The X11 saver's arguments: modes, window ids, overrides and xscreensaver's window variable.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "host/linux/linux_command_line.h"

namespace marvolet {
namespace {

HackOptions parse(std::initializer_list<const char*> args) {
  std::vector<const char*> argv{"marvolet"};
  argv.insert(argv.end(), args.begin(), args.end());
  return parseHackArguments(static_cast<int>(argv.size()), argv.data());
}

TEST(HackArguments, SelectsEachMode) {
  EXPECT_EQ(parse({}).mode, HackMode::Unset);
  for (const char* fullScreen : {"-s", "/s", "-S", "/S", "/s:junk"}) {
    EXPECT_EQ(parse({fullScreen}).mode, HackMode::FullScreen) << fullScreen;
  }
  for (const char* config : {"-config", "--config", "/c", "-c", "/C", "/c:1234", "-c:99"}) {
    EXPECT_EQ(parse({config}).mode, HackMode::Config) << config;
  }
  EXPECT_EQ(parse({"-window"}).mode, HackMode::Window);
  EXPECT_EQ(parse({"-root"}).mode, HackMode::Root);
  EXPECT_EQ(parse({"--root"}).mode, HackMode::Root);  // how xscreensaver 6 runs its hacks
  EXPECT_EQ(parse({"/a:5"}).mode, HackMode::ChangePassword);
  EXPECT_EQ(parse({"-window", "-root"}).mode, HackMode::Root);  // the last mode counts
  EXPECT_TRUE(parse({"-help"}).help);
  EXPECT_TRUE(parse({"--help"}).help);
}

TEST(HackArguments, ReadsTheWindowToDrawInto) {
  struct Case {
    std::initializer_list<const char*> args;
    uint32_t window;
  };
  for (const Case& c :
       {Case{{"-window-id", "0x1a00003"}, 0x1a00003u}, Case{{"-window-id", "4194307"}, 4194307u},
        Case{{"-window-id", "0XFFFFFFFF"}, 0xFFFFFFFFu}, Case{{"--window-id=0x10"}, 16u},
        Case{{"-window-id=77"}, 77u}, Case{{"/p", "1234"}, 1234u}, Case{{"/p:1234"}, 1234u},
        Case{{"-p", "55"}, 55u}, Case{{"/l:9"}, 9u}}) {
    const HackOptions options = parse(c.args);
    EXPECT_EQ(options.mode, HackMode::WindowId) << *c.args.begin();
    EXPECT_EQ(options.windowId, c.window) << *c.args.begin();
    EXPECT_TRUE(options.error.empty()) << options.error;
  }
}

TEST(HackArguments, RejectsWhatItDoesNotUnderstand) {
  for (std::initializer_list<const char*> args : {std::initializer_list<const char*>{"-window-id"},
                                                  {"-window-id", "0"},
                                                  {"-window-id", "0x"},
                                                  {"-window-id", "12abc"},
                                                  {"-window-id", "-5"},
                                                  {"-window-id", "0x100000000"},
                                                  {"-window-id", "99999999999"},
                                                  {"/p"},
                                                  {"-p", "-fps"},
                                                  {"-foo"},
                                                  {"-sfoo"},
                                                  {"-x"},
                                                  {"/x"},
                                                  {"stars"}}) {
    EXPECT_FALSE(parse(args).error.empty()) << *args.begin();
  }
  // The first bad argument stops parsing: nothing after it is taken.
  const HackOptions options = parse({"-bogus", "-s"});
  EXPECT_EQ(options.mode, HackMode::Unset);
}

TEST(HackArguments, OptionsOverrideTheStoredSettingsForThisRunOnly) {
  const HackOptions options = parse({"-s", "-no-stars", "-trails", "-fps"});
  EXPECT_EQ(options.mode, HackMode::FullScreen);
  EXPECT_TRUE(options.showFps);
  SaverSettings settings;  // stored: stars 1, light effects 1, trails 0
  settings.options.numberOf("UseBlur") = 5;
  applyOverrides(options, settings);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 0);
  EXPECT_EQ(settings.options.numberOf("UseBlur"),
            5);  // not named on the command line: left as stored
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 1);
  EXPECT_EQ(renderFlagsFor(settings), Trails | LightEffects);

  SaverSettings other;
  other.options.numberOf("UseStars") = 0;
  other.options.numberOf("UseTrails") = 1;
  applyOverrides(parse({"-stars", "-no-trails", "-no-light-effects", "-light-effects"}), other);
  EXPECT_EQ(renderFlagsFor(other), Stars | LightEffects);
  EXPECT_FALSE(parse({"-root"}).showFps);

  SaverSettings screens;  // stored: guard 1, main monitor only 0, battery pace 1
  applyOverrides(parse({"-no-burn-in-guard", "--main-monitor-only", "-no-battery-pace"}), screens);
  EXPECT_EQ(screens.options.numberOf("BurnInGuard"), 0);
  EXPECT_EQ(screens.options.numberOf("MainMonitorOnly"), 1);
  EXPECT_EQ(screens.options.numberOf("BatteryPace"), 0);
  applyOverrides(parse({"-burn-in-guard", "-no-main-monitor-only", "-battery-pace"}), screens);
  EXPECT_EQ(screens.options.numberOf("BurnInGuard"), 1);
  EXPECT_EQ(screens.options.numberOf("MainMonitorOnly"), 0);
  EXPECT_EQ(screens.options.numberOf("BatteryPace"), 1);
}

// The burn-in guard belongs where the picture covers a screen, xscreensaver's window included,
// and not in a trial window or a window someone else handed over (a preview).
TEST(HackArguments, OnlyScreenFillingModesFillTheScreen) {
  EXPECT_TRUE(fillsScreen(parse({"-s"})));
  EXPECT_TRUE(fillsScreen(parse({"/s"})));
  EXPECT_TRUE(fillsScreen(parse({"-root"})));
  EXPECT_TRUE(fillsScreen(withScreensaverWindow(parse({"-root"}), "0x400007")));
  EXPECT_TRUE(fillsScreen(withScreensaverWindow(parse({}), "0x400007")));
  EXPECT_FALSE(fillsScreen(parse({"-window"})));
  EXPECT_FALSE(fillsScreen(parse({"-window-id", "9"})));
  EXPECT_FALSE(fillsScreen(withScreensaverWindow(parse({"/p", "9"}), "123")));
}

TEST(HackArguments, XscreensaverWindowReplacesRootOrNoMode) {
  EXPECT_EQ(withScreensaverWindow(parse({"-root"}), "0x400007").windowId, 0x400007u);
  EXPECT_EQ(withScreensaverWindow(parse({"-root"}), "0x400007").mode, HackMode::WindowId);
  EXPECT_EQ(withScreensaverWindow(parse({"-no-stars"}), "123").mode, HackMode::WindowId);
  EXPECT_EQ(withScreensaverWindow(parse({"-no-stars"}), "123").windowId, 123u);
  // An explicit choice is kept.
  EXPECT_EQ(withScreensaverWindow(parse({"-window-id", "9"}), "123").windowId, 9u);
  EXPECT_EQ(withScreensaverWindow(parse({"-s"}), "123").mode, HackMode::FullScreen);
  EXPECT_EQ(withScreensaverWindow(parse({"-window"}), "123").mode, HackMode::Window);
  EXPECT_EQ(withScreensaverWindow(parse({"-config"}), "123").mode, HackMode::Config);
  // No variable: the root window, or the dialog.
  EXPECT_EQ(withScreensaverWindow(parse({"-root"}), nullptr).mode, HackMode::Root);
  EXPECT_EQ(withScreensaverWindow(parse({"-root"}), "").mode, HackMode::Root);
  EXPECT_TRUE(withScreensaverWindow(parse({"-root"}), "").error.empty());
  // One that names no window is an error rather than a picture on the root window; where the
  // variable is not consulted it does not matter.
  for (const char* junk : {"window", "0", "0x", "12345678901", "-1"}) {
    EXPECT_NE(withScreensaverWindow(parse({"-root"}), junk).error.find(junk), std::string::npos);
    EXPECT_FALSE(withScreensaverWindow(parse({}), junk).error.empty()) << junk;
    EXPECT_TRUE(withScreensaverWindow(parse({"-window"}), junk).error.empty()) << junk;
  }
}

}  // namespace
}  // namespace marvolet
