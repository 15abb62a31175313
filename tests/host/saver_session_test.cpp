// The saver's session on a fake surface and picture: set-up failures, the loop's rules, key
// commands and teardown order; and the Win32 surface's step order beneath it.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/saver_session.h"
#include "host/win32/win32_surface.h"
#include "test_clock.h"

namespace marvolet {
namespace {

using Log = std::vector<std::string>;

Log concat(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string name(SetupFailure failure) {
  return std::to_string(static_cast<int>(failure));
}

// Logs the picture's calls into the surface's log.
class FakePicture : public SaverPicture {
 public:
  explicit FakePicture(Log& log) : log_(log) {}
  bool failing = false;

  bool create(const SaverLayout& layout) override {
    log_.push_back("createRenderer " + std::to_string(layout.primary.width));
    return !failing;
  }
  void draw(const SaverLayout&) override { log_.push_back("frame"); }
  void follow(const SaverLayout& layout) override {
    log_.push_back("follow " + std::to_string(layout.primary.width));
    followed = layout;
  }
  SaverLayout followed;  // the layout of the last follow
  void keyCommand(KeyCommand command) override {
    log_.push_back("key " + std::to_string(static_cast<int>(command)));
  }
  void destroy() override { log_.push_back("deleteRenderer"); }

 private:
  Log& log_;
};

// The loop's side of a surface over `Base`, logged: a queue of events, a display that may be
// dark, and waits that bring events.
template <typename Base>
class WithFakeEvents : public Base {
 public:
  using Base::Base;
  Log log;
  std::deque<PumpResult> queue;  // events pending before the frames start
  int framesBeforeQuit = 1;
  // Answers of displayAsleep in turn; awake once they run out.
  std::deque<bool> asleep;
  // Events that arrive during each wait, in turn.
  std::deque<std::deque<PumpResult>> arrivals;
  // Runs at each pump, as the platform's event handlers would.
  std::function<void()> duringPump;
  SaverLayout current = layoutMonitors({}, {0, 0, 640, 480});

  const SaverLayout& layout() const override { return current; }
  void show() override { log.push_back("show"); }
  PumpResult pump() override {
    if (duringPump) duringPump();
    if (!queue.empty()) {
      const PumpResult next = queue.front();
      queue.pop_front();
      log.push_back(next == PumpResult::Quit ? "quit" : "dispatch");
      return next;
    }
    if (framesBeforeQuit-- <= 0) {
      log.push_back("quit");
      return PumpResult::Quit;
    }
    return PumpResult::Empty;
  }
  bool displayAsleep() override {
    if (asleep.empty()) return false;
    const bool dark = asleep.front();
    asleep.pop_front();
    return dark;
  }
  void waitForEvents() override {
    log.push_back("wait");
    if (arrivals.empty()) return;
    for (PumpResult event : arrivals.front()) queue.push_back(event);
    arrivals.pop_front();
  }
  // What readMonitors finds; none for a surface that does not follow monitors.
  std::optional<MonitorReading> monitorsNow;
  bool readMonitors(MonitorReading& reading) override {
    log.push_back("readMonitors");
    if (!monitorsNow) return false;
    reading = *monitorsNow;
    return true;
  }
  void adoptLayout(const SaverLayout& layout) override {
    const PixelRect& w = layout.window;
    log.push_back("move " + std::to_string(w.x) + "," + std::to_string(w.y) + " " +
                  std::to_string(w.width) + "x" + std::to_string(w.height));
    current = layout;
  }
  // Each present takes `presentMs` of the test clock, as one that waits for the refresh does.
  uint32_t presentMs = 0;
  void present() override {
    log.push_back("swap");
    clock.advance(presentMs);
  }
  void sleep(uint32_t ms) override {
    log.push_back("sleep " + std::to_string(ms));
    clock.advance(ms);
  }
  // The refresh reported and whether the GL takes a swap interval; none by default.
  double refreshHz = 0.0;
  bool swapControl = false;
  double refreshRate() override { return refreshHz; }
  bool setSwapInterval(int32_t interval) override {
    log.push_back("interval " + std::to_string(interval));
    return swapControl;
  }
  testing::ScopedTestClock clock{1000};
};

class FakeSurface : public WithFakeEvents<SaverSurface> {
 public:
  SetupFailure failure = SetupFailure::NoFailure;

  SetupFailure create() override {
    log.push_back("create");
    return failure;
  }
  void abandon(SetupFailure why) override { log.push_back("abandon " + name(why)); }
  void destroy() override { log.push_back("destroy"); }
};

class SaverSessionTest : public ::testing::Test {
 protected:
  void run(SessionOptions options = {}) {
    SaverSession session(surface, picture, options);
    session.run();
  }
  Log loopPart() const {
    const auto show = std::find(surface.log.begin(), surface.log.end(), "show");
    return show == surface.log.end() ? Log{} : Log(show + 1, surface.log.end());
  }
  FakeSurface surface;
  FakePicture picture{surface.log};
};

TEST_F(SaverSessionTest, ARendererAtThePrimarysSizeAFrameThenThePictureGoesBeforeTheSurface) {
  surface.current = layoutMonitors({{{0, 0, 300, 200}, true}, {{300, 0, 400, 300}, false}}, {});
  run();
  EXPECT_EQ(surface.log, (Log{"create", "createRenderer 300", "show", "frame", "swap", "sleep 33",
                              "quit", "deleteRenderer", "destroy"}));
}

TEST_F(SaverSessionTest, EveryPendingEventIsHandledBeforeTheNextFrame) {
  surface.queue = {PumpResult::Dispatched, PumpResult::Dispatched, PumpResult::Dispatched};
  surface.framesBeforeQuit = 2;
  run();
  EXPECT_EQ(loopPart(), (Log{"dispatch", "dispatch", "dispatch", "frame", "swap", "sleep 33",
                             "frame", "swap", "sleep 34", "quit", "deleteRenderer", "destroy"}));
}

TEST_F(SaverSessionTest, QuitEndsTheLoopAtOnce) {
  surface.queue = {PumpResult::Quit, PumpResult::Dispatched};
  run();
  EXPECT_EQ(surface.queue.size(), 1u);  // the event behind the quit is not taken
  EXPECT_EQ(std::count(surface.log.begin(), surface.log.end(), "frame"), 0);
}

TEST_F(SaverSessionTest, ADarkDisplayGetsNoFramesButItsEventsAndWakesToDrawAgain) {
  // Dark for three checks: a wait with nothing, a wait that brings a mouse move, then
  // (still dark) a wait with nothing; then the display is back for two frames.
  surface.asleep = {true, true, true};
  surface.arrivals = {{}, {PumpResult::Dispatched}, {}};
  surface.framesBeforeQuit = 5;  // counts the empty queues: three dark, two frames
  run();
  EXPECT_EQ(loopPart(), (Log{"wait", "wait", "dispatch", "wait", "frame", "swap", "sleep 33",
                             "frame", "swap", "sleep 34", "quit", "deleteRenderer", "destroy"}));
}

TEST_F(SaverSessionTest, AClosingEventWhileDarkEndsTheSaverWithoutAFrame) {
  surface.asleep = {true, true, true, true};
  surface.arrivals = {{}, {PumpResult::Dispatched, PumpResult::Quit}};
  run();
  EXPECT_EQ(std::count(surface.log.begin(), surface.log.end(), "frame"), 0);
  EXPECT_EQ(std::count(surface.log.begin(), surface.log.end(), "swap"), 0);
  EXPECT_EQ(Log(surface.log.end() - 3, surface.log.end()),
            (Log{"quit", "deleteRenderer", "destroy"}));
}

TEST_F(SaverSessionTest, SetUpFailuresAreTheSurfacesToReportAndUndo) {
  for (SetupFailure failure : {SetupFailure::WindowClass, SetupFailure::Window,
                               SetupFailure::NoPixelFormat, SetupFailure::PixelFormatRefused,
                               SetupFailure::NoContext, SetupFailure::ContextNotCurrent}) {
    SCOPED_TRACE(name(failure));
    surface.log.clear();
    surface.failure = failure;
    run();
    // No renderer is built, nothing is shown and no frame is drawn after a failure.
    EXPECT_EQ(surface.log, (Log{"create", "abandon " + name(failure)}));
  }
}

TEST_F(SaverSessionTest, ARendererFailureAbandonsTheSurfaceWithoutShowingIt) {
  picture.failing = true;
  run();
  EXPECT_EQ(surface.log,
            (Log{"create", "createRenderer 640", "abandon " + name(SetupFailure::NoRenderer)}));
}

// A delay out of bounds or not a number must not stall the saver: it forces none.
TEST(SessionOptionsFromEnvironment, OnlyABoundedDelayAndTheLiteralNameTakeEffect) {
  const SessionOptions unset = sessionOptionsFromEnvironment(nullptr, nullptr);
  EXPECT_EQ(unset.drawPath, DrawPath::Fast);
  EXPECT_EQ(unset.forcedFrameDelay, 0);
  EXPECT_EQ(sessionOptionsFromEnvironment("literal", "250").drawPath, DrawPath::Literal);
  EXPECT_EQ(sessionOptionsFromEnvironment("LITERAL", nullptr).drawPath, DrawPath::Fast);
  EXPECT_EQ(sessionOptionsFromEnvironment(nullptr, "250").forcedFrameDelay, 250);
  EXPECT_EQ(sessionOptionsFromEnvironment(nullptr, "60000").forcedFrameDelay, 60000);
  for (const char* ignored : {"0", "-5", "60001", "99999999999999999999", "soon", ""}) {
    EXPECT_EQ(sessionOptionsFromEnvironment(nullptr, ignored).forcedFrameDelay, 0) << ignored;
  }
}

TEST_F(SaverSessionTest, TheFrameRateOptionTogglesItBeforeTheFirstFrame) {
  run({true, 0});
  const std::string toggle = "key " + std::to_string(static_cast<int>(KeyCommand::ToggleFrameRate));
  EXPECT_EQ(surface.log, (Log{"create", "createRenderer 640", toggle, "show", "frame", "swap",
                              "sleep 33", "quit", "deleteRenderer", "destroy"}));
}

// How the loop waits between frames: with a known refresh and swap control, the interval once
// and no sleeping; without either, the deadline; the battery halves the rate either way; a GL
// that refuses the interval, or takes it and ignores it, leaves the pacing to the deadline; a
// forced delay wins over all of them.
TEST_F(SaverSessionTest, SwapIntervalWhereTheGlKeepsItOtherwiseTheDeadline) {
  struct Unplugged : PowerSource {
    bool onBattery() override { return true; }
  } power;
  BatteryPace pace(power);
  const auto count = [&](const std::string& entry) {
    return std::count(surface.log.begin(), surface.log.end(), entry);
  };
  const auto sleeps = [&] {
    return std::count_if(surface.log.begin(), surface.log.end(),
                         [](const std::string& entry) { return entry.rfind("sleep", 0) == 0; });
  };

  // 144 Hz in step: four refreshes a frame (36 a second), set once, the present waits.
  surface.refreshHz = 144.0;
  surface.swapControl = true;
  surface.presentMs = 28;
  surface.framesBeforeQuit = 100;
  run();
  EXPECT_EQ(count("interval 4"), 1);
  EXPECT_EQ(count("frame"), 100);
  EXPECT_EQ(sleeps(), 0);

  // On battery at 60 Hz: 15 a second, four refreshes.
  surface.log.clear();
  surface.refreshHz = 60.0;
  surface.presentMs = 67;
  surface.framesBeforeQuit = 3;
  SessionOptions onBattery;
  onBattery.pace = &pace;
  run(onBattery);
  EXPECT_EQ(count("interval 4"), 1);
  EXPECT_EQ(sleeps(), 0);

  // No refresh known: the deadline at 15 a second on battery, with no interval asked for.
  surface.log.clear();
  surface.refreshHz = 0.0;
  surface.presentMs = 0;
  surface.framesBeforeQuit = 2;
  run(onBattery);
  EXPECT_EQ(loopPart(), (Log{"frame", "swap", "sleep 67", "frame", "swap", "sleep 66", "quit",
                             "deleteRenderer", "destroy"}));

  // A GL that refuses the interval is asked once; the deadline paces every frame.
  surface.log.clear();
  surface.refreshHz = 60.0;
  surface.swapControl = false;
  surface.framesBeforeQuit = 3;
  run();
  EXPECT_EQ(loopPart(), (Log{"frame", "swap", "interval 2", "sleep 33", "frame", "swap", "sleep 34",
                             "frame", "swap", "sleep 33", "quit", "deleteRenderer", "destroy"}));

  // A GL that takes the interval and presents at once (200 a second for 30 promised): after a
  // second the interval is dropped and the deadline paces.
  surface.log.clear();
  surface.swapControl = true;
  surface.presentMs = 5;
  surface.framesBeforeQuit = 210;
  run();
  EXPECT_EQ(count("interval 2"), 1);
  ASSERT_EQ(count("interval 0"), 1);
  const auto dropped = std::find(surface.log.begin(), surface.log.end(), "interval 0");
  EXPECT_GE(std::count(surface.log.begin(), dropped, "frame"), 200);
  EXPECT_EQ(std::next(dropped)->rfind("sleep", 0), 0u);
  EXPECT_EQ(count("frame") - sleeps(), std::count(surface.log.begin(), dropped, "frame") - 1);

  // The display's refresh at 144 Hz is one refresh a frame, two on battery; 60 a second is two.
  surface.log.clear();
  surface.swapControl = true;
  surface.refreshHz = 144.0;
  surface.presentMs = 7;
  surface.framesBeforeQuit = 3;
  SessionOptions everyRefresh;
  everyRefresh.frameRate = FrameRateChoice::DisplayRefresh;
  run(everyRefresh);
  EXPECT_EQ(count("interval 1"), 1);
  EXPECT_EQ(sleeps(), 0);
  surface.log.clear();
  surface.framesBeforeQuit = 3;
  everyRefresh.pace = &pace;
  run(everyRefresh);
  EXPECT_EQ(count("interval 2"), 1);
  surface.log.clear();
  surface.framesBeforeQuit = 3;
  SessionOptions sixty;
  sixty.frameRate = FrameRateChoice::Sixty;
  run(sixty);
  EXPECT_EQ(count("interval 2"), 1);

  // With no refresh known, the display's refresh is paced by deadline at 60 a second.
  surface.log.clear();
  surface.refreshHz = 0.0;
  surface.presentMs = 0;
  surface.framesBeforeQuit = 3;
  everyRefresh.pace = nullptr;
  run(everyRefresh);
  EXPECT_EQ(loopPart(), (Log{"frame", "swap", "sleep 17", "frame", "swap", "sleep 16", "frame",
                             "swap", "sleep 17", "quit", "deleteRenderer", "destroy"}));

  // A forced delay sleeps exactly that, with no interval.
  surface.log.clear();
  surface.framesBeforeQuit = 2;
  run({false, 25});
  EXPECT_EQ(loopPart(), (Log{"frame", "swap", "sleep 25", "frame", "swap", "sleep 25", "quit",
                             "deleteRenderer", "destroy"}));
}

TEST_F(SaverSessionTest, KeysAndLayoutChangesReachThePictureOnlyWhileItExists) {
  SaverSession session(surface, picture);
  session.keyCommand(KeyCommand::ToggleLightEffects);
  session.followLayout();
  surface.duringPump = [&] {
    surface.current = layoutMonitors({}, {0, 0, 800, 600});
    session.followLayout();
    session.keyCommand(KeyCommand::ToggleLightEffects);
    surface.duringPump = nullptr;
  };
  session.run();
  session.keyCommand(KeyCommand::ToggleLightEffects);
  session.followLayout();
  const std::string toggle =
      "key " + std::to_string(static_cast<int>(KeyCommand::ToggleLightEffects));
  EXPECT_EQ(surface.log, (Log{"create", "createRenderer 640", "show", "follow 800", toggle, "frame",
                              "swap", "sleep 33", "quit", "deleteRenderer", "destroy"}));
}

TEST_F(SaverSessionTest, MonitorChangesAreReadOnceBeforeTheNextFrameAndWindowAndPictureFollow) {
  // A 1920 x 1080 primary with a 1280 x 1024 monitor to its right.
  const Monitor wide = {{0, 0, 1920, 1080}, true}, square = {{1920, 0, 1280, 1024}, false};
  const PixelRect screen = {0, 0, 3200, 1080};
  surface.current = fullScreenLayout({wide, square}, screen);
  struct Change {
    const char* what;
    std::vector<Monitor> monitors;
    PixelRect screen;
    const char* move;  // the window's new place, or null: the layout stands
  };
  const Change changes[] = {
      {"the outputs swapped at the same screen size",
       {{{1280, 0, 1920, 1080}, true}, {{0, 0, 1280, 1024}, false}},
       screen,
       "move 0,0 3200x1080"},
      {"the other monitor made primary",
       {{wide.rect, false}, {square.rect, true}},
       screen,
       "move 0,0 3200x1080"},
      {"a monitor placed left of the primary, at a negative origin",
       {wide, {{-1280, 56, 1280, 1024}, false}},
       screen,
       "move -1280,0 3200x1080"},
      {"the second monitor unplugged", {wide}, {0, 0, 1920, 1080}, "move 0,0 1920x1080"},
      {"a report that changed nothing", {wide, square}, screen, nullptr},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    const SaverLayout expected = fullScreenLayout(change.monitors, change.screen);
    surface.log.clear();
    surface.monitorsNow = MonitorReading{change.monitors, change.screen};
    surface.current = fullScreenLayout({wide, square}, screen);
    surface.framesBeforeQuit = 2;
    SaverSession session(surface, picture);
    // Three reports (RandR sends one per output and crtc) while events are pending.
    surface.queue = {PumpResult::Dispatched};
    surface.duringPump = [&] {
      for (int i = 0; i < 3; ++i) session.monitorsChanged();
      surface.duringPump = nullptr;
    };
    session.run();
    Log loop = {"dispatch", "readMonitors"};
    if (change.move != nullptr)
      loop = concat(loop, {change.move, "follow " + std::to_string(expected.primary.width)});
    EXPECT_EQ(loopPart(), concat(loop, {"frame", "swap", "sleep 33", "frame", "swap", "sleep 34",
                                        "quit", "deleteRenderer", "destroy"}));
    EXPECT_TRUE(surface.current == expected);
    if (change.move != nullptr) {
      EXPECT_TRUE(picture.followed == expected);
    }
  }
  // The primary's picture moved to the swapped primary's place, and a copy on the other.
  const SaverLayout swapped = fullScreenLayout(changes[0].monitors, screen);
  EXPECT_EQ(swapped.primary, (PixelRect{1280, 0, 1920, 1080}));
  ASSERT_EQ(swapped.copies.size(), 1u);
  EXPECT_EQ(swapped.copies[0].monitor, (PixelRect{0, 0, 1280, 1024}));
}

TEST_F(SaverSessionTest, MonitorsChangedWhileDarkAreFollowedWithoutAFrame) {
  surface.monitorsNow = MonitorReading{{{{0, 0, 1600, 1200}, true}}, {0, 0, 1600, 1200}};
  surface.asleep = {true, true};
  surface.framesBeforeQuit = 2;  // two dark checks, then the quit
  SaverSession session(surface, picture);
  surface.duringPump = [&] {
    session.monitorsChanged();
    surface.duringPump = nullptr;
  };
  session.run();
  EXPECT_EQ(loopPart(), (Log{"readMonitors", "move 0,0 1600x1200", "follow 1600", "wait", "wait",
                             "quit", "deleteRenderer", "destroy"}));
}

TEST_F(SaverSessionTest, ASurfaceThatDoesNotFollowMonitorsKeepsItsLayout) {
  const SaverLayout before = surface.current;
  SaverSession session(surface, picture);
  surface.duringPump = [&] {
    session.monitorsChanged();
    surface.duringPump = nullptr;
  };
  session.run();
  EXPECT_EQ(loopPart(), (Log{"readMonitors", "frame", "swap", "sleep 33", "quit", "deleteRenderer",
                             "destroy"}));
  EXPECT_TRUE(surface.current == before);
}

// The Win32 surface's steps, logged by the names the window system knows them by; a step named
// in `failing` reports failure.
class FakeWin32Surface : public WithFakeEvents<Win32Surface> {
 public:
  using WithFakeEvents::WithFakeEvents;
  std::string failing;

 private:
  bool registerClass() override { return step("registerClass"); }
  bool createWindow() override { return step("createWindow"); }
  void setScreenSaverRunning(bool running) override {
    log.push_back(running ? "running on" : "running off");
  }
  void acquireDeviceContext() override { log.push_back("getDC"); }
  bool choosePixelFormat() override { return step("choosePixelFormat"); }
  bool setPixelFormat() override { return step("setPixelFormat"); }
  bool createContext() override { return step("createContext"); }
  bool makeCurrent() override { return step("makeCurrent"); }
  void showError(const char* text) override { log.push_back(std::string("box ") + text); }
  void releaseCurrent() override { log.push_back("releaseCurrent"); }
  void releaseDeviceContext() override { log.push_back("releaseDC"); }
  void deleteContext() override { log.push_back("deleteContext"); }

  bool step(const std::string& stepName) {
    log.push_back(stepName);
    return failing.empty() || stepName != failing;
  }
};

// A Win32 surface in `mode` under a session, with the picture failing when `failing` names it.
Log runWin32(SaverMode mode, const std::string& failing) {
  FakeWin32Surface surface(mode);
  surface.current = layoutMonitors({}, {0, 0, 6, 6});
  surface.failing = failing;
  FakePicture picture(surface.log);
  picture.failing = failing == "createRenderer";
  SaverSession session(surface, picture);
  session.run();
  return surface.log;
}

const Log kSetUp = {"registerClass",     "createWindow",   "running on",    "getDC",
                    "choosePixelFormat", "setPixelFormat", "createContext", "makeCurrent"};

TEST(Win32Surface, SaverRunsAFrameThenTearsDownInOrder) {
  EXPECT_EQ(runWin32(Saver, ""),
            concat(kSetUp, {"createRenderer 6", "show", "frame", "swap", "sleep 33", "quit",
                            "deleteRenderer", "releaseCurrent", "releaseDC", "deleteContext",
                            "running off"}));
}

TEST(Win32Surface, PreviewNeverTouchesTheScreenSaverRunningState) {
  const Log log = runWin32(Preview, "");
  for (const std::string& entry : log) EXPECT_EQ(entry.find("running"), std::string::npos);
  EXPECT_EQ(log.back(), "deleteContext");
}

TEST(Win32Surface, RegisterFailureShowsBoxAndDoesNothingElse) {
  EXPECT_EQ(runWin32(Saver, "registerClass"),
            (Log{"registerClass", "box RegisterClass() failed:  Cannot register window class."}));
}

TEST(Win32Surface, WindowCreationFailureIsSilent) {
  EXPECT_EQ(runWin32(Preview, "createWindow"), (Log{"registerClass", "createWindow"}));
}

struct FailureCase {
  const char* step;
  const char* box;
};

TEST(Win32Surface, SetUpFailuresReportReleaseAndResetTheRunningState) {
  const FailureCase cases[] = {
      {"choosePixelFormat", "ChoosePixelFormat() failed:  Cannot find a suitable pixel format."},
      {"setPixelFormat", "SetPixelFormat() failed:  Cannot set format specified."},
      {"createContext", "wglCreateContext() failed:  Cannot create an OpenGL context."},
      {"makeCurrent", "wglMakeCurrent() failed:  Cannot make the OpenGL context current."},
      {"createRenderer", "new Renderer() failed:  Out of memory."},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.step);
    const Log log = runWin32(Saver, c.step);
    auto box = std::find(log.begin(), log.end(), std::string("box ") + c.box);
    ASSERT_NE(box, log.end());
    EXPECT_EQ(Log(box + 1, log.end()), (Log{"releaseDC", "running off"}));
    // Nothing is shown and no frame is drawn after a failure.
    EXPECT_EQ(std::count(log.begin(), log.end(), "show"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "frame"), 0);
  }
}

TEST(Win32Surface, ContextIsReleasedAndDeletedWhenLaterStepsFail) {
  const Log makeCurrent = runWin32(Preview, "makeCurrent");
  EXPECT_EQ(
      Log(makeCurrent.end() - 3, makeCurrent.end()),
      (Log{"deleteContext", "box wglMakeCurrent() failed:  Cannot make the OpenGL context current.",
           "releaseDC"}));

  const Log renderer = runWin32(Preview, "createRenderer");
  EXPECT_EQ(Log(renderer.end() - 4, renderer.end()),
            (Log{"releaseCurrent", "deleteContext", "box new Renderer() failed:  Out of memory.",
                 "releaseDC"}));
}

}  // namespace
}  // namespace marvolet
