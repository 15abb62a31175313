// Set-up, failure rule, frame loop and teardown order of the saver window, on a fake system.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "host/saver_window.h"

namespace marvolet {
namespace {

// Logs every call by name; a step named in `failing` reports failure.
class FakeWindowSystem : public SaverWindowSystem {
 public:
  std::vector<std::string> log;
  std::string failing;
  std::deque<PumpResult> queue;  // messages pending before the frames start
  int framesBeforeQuit = 1;
  int32_t delay = 60;
  // Answers of displayAsleep in turn; awake once they run out.
  std::deque<bool> asleep;
  // Messages that arrive during each wait, in turn.
  std::deque<std::deque<PumpResult>> arrivals;

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
  bool createRenderer(RenderFlags flags) override {
    return step("createRenderer " + std::to_string(flags));
  }
  void showWindow() override { log.push_back("show"); }
  PumpResult pumpMessage() override {
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
  void waitForMessage() override {
    log.push_back("wait");
    if (arrivals.empty()) return;
    for (PumpResult message : arrivals.front()) queue.push_back(message);
    arrivals.pop_front();
  }
  bool renderFrame() override {
    log.push_back("frame");
    return true;
  }
  int32_t frameDelay() override { return delay; }
  void swapBuffers() override { log.push_back("swap"); }
  void sleep(uint32_t ms) override { log.push_back("sleep " + std::to_string(ms)); }
  void deleteRenderer() override { log.push_back("deleteRenderer"); }
  void releaseCurrent() override { log.push_back("releaseCurrent"); }
  void releaseDeviceContext() override { log.push_back("releaseDC"); }
  void deleteContext() override { log.push_back("deleteContext"); }

 private:
  bool step(const std::string& name) {
    log.push_back(name);
    return name.rfind(failing, 0) != 0 || failing.empty();
  }
};

using Log = std::vector<std::string>;

const Log kSetUp = {"registerClass",     "createWindow",   "running on",    "getDC",
                    "choosePixelFormat", "setPixelFormat", "createContext", "makeCurrent"};

Log concat(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(SaverWindowLife, SaverRunsAFrameThenTearsDownInOrder) {
  FakeWindowSystem system;
  runSaverWindowWith(Saver, 6, system);
  EXPECT_EQ(system.log, concat(kSetUp, {"createRenderer 6", "show", "frame", "swap", "sleep 60",
                                        "quit", "deleteRenderer", "releaseCurrent", "releaseDC",
                                        "deleteContext", "running off"}));
}

TEST(SaverWindowLife, PreviewNeverTouchesTheScreenSaverRunningState) {
  FakeWindowSystem system;
  runSaverWindowWith(Preview, 1, system);
  for (const std::string& entry : system.log) EXPECT_EQ(entry.find("running"), std::string::npos);
  EXPECT_EQ(system.log.back(), "deleteContext");
}

TEST(SaverWindowLife, EveryPendingMessageIsHandledBeforeTheNextFrame) {
  FakeWindowSystem system;
  system.queue = {PumpResult::Dispatched, PumpResult::Dispatched, PumpResult::Dispatched};
  system.framesBeforeQuit = 2;
  system.delay = 7;
  runSaverWindowWith(Preview, 0, system);
  const Log expectedLoop = {"dispatch", "dispatch", "dispatch", "frame",   "swap",
                            "sleep 7",  "frame",    "swap",     "sleep 7", "quit"};
  const Log loop(system.log.begin() + 9, system.log.begin() + 9 + expectedLoop.size());
  EXPECT_EQ(loop, expectedLoop);
}

TEST(SaverWindowLife, QuitEndsTheLoopAtOnce) {
  FakeWindowSystem system;
  system.queue = {PumpResult::Quit, PumpResult::Dispatched};
  runSaverWindowWith(Saver, 0, system);
  EXPECT_EQ(system.queue.size(), 1u);  // the message behind the quit is not taken
  EXPECT_EQ(std::count(system.log.begin(), system.log.end(), "frame"), 0);
}

TEST(SaverWindowLife, ADarkDisplayGetsNoFramesButItsMessagesAndWakesToDrawAgain) {
  FakeWindowSystem system;
  // Dark for three checks: a wait with nothing, a wait that brings a mouse move, then
  // (still dark) a wait with nothing; then the display is back for two frames.
  system.asleep = {true, true, true};
  system.arrivals = {{}, {PumpResult::Dispatched}, {}};
  system.framesBeforeQuit = 5;  // counts the empty queues: three dark ones and two frames
  runSaverWindowWith(Saver, 6, system);
  const Log expectedLoop = {"wait",     "wait",  "dispatch", "wait",     "frame", "swap",
                            "sleep 60", "frame", "swap",     "sleep 60", "quit"};
  const auto show = std::find(system.log.begin(), system.log.end(), "show");
  ASSERT_NE(show, system.log.end());
  EXPECT_EQ(Log(show + 1, system.log.end()),
            concat(expectedLoop, {"deleteRenderer", "releaseCurrent", "releaseDC", "deleteContext",
                                  "running off"}));
}

TEST(SaverWindowLife, AClosingMessageWhileDarkEndsTheSaverWithoutAFrame) {
  FakeWindowSystem system;
  system.asleep = {true, true, true, true};
  system.arrivals = {{}, {PumpResult::Dispatched, PumpResult::Quit}};
  runSaverWindowWith(Saver, 6, system);
  EXPECT_EQ(std::count(system.log.begin(), system.log.end(), "frame"), 0);
  EXPECT_EQ(std::count(system.log.begin(), system.log.end(), "sleep 60"), 0);
  const Log teardown = {"quit",      "deleteRenderer", "releaseCurrent",
                        "releaseDC", "deleteContext",  "running off"};
  EXPECT_EQ(Log(system.log.end() - 6, system.log.end()), teardown);
}

TEST(SaverWindowLife, RegisterFailureShowsBoxAndDoesNothingElse) {
  FakeWindowSystem system;
  system.failing = "registerClass";
  runSaverWindowWith(Saver, 6, system);
  EXPECT_EQ(system.log,
            (Log{"registerClass", "box RegisterClass() failed:  Cannot register window class."}));
}

TEST(SaverWindowLife, WindowCreationFailureIsSilent) {
  FakeWindowSystem system;
  system.failing = "createWindow";
  runSaverWindowWith(Preview, 6, system);
  EXPECT_EQ(system.log, (Log{"registerClass", "createWindow"}));
}

struct FailureCase {
  const char* step;
  const char* box;
  Log cleanUp;  // after the box
};

TEST(SaverWindowLife, SetUpFailuresReportReleaseAndResetTheRunningState) {
  const FailureCase cases[] = {
      {"choosePixelFormat",
       "ChoosePixelFormat() failed:  Cannot find a suitable pixel format.",
       {"releaseDC", "running off"}},
      {"setPixelFormat",
       "SetPixelFormat() failed:  Cannot set format specified.",
       {"releaseDC", "running off"}},
      {"createContext",
       "wglCreateContext() failed:  Cannot create an OpenGL context.",
       {"releaseDC", "running off"}},
      {"makeCurrent",
       "wglMakeCurrent() failed:  Cannot make the OpenGL context current.",
       {"releaseDC", "running off"}},
      {"createRenderer", "new Renderer() failed:  Out of memory.", {"releaseDC", "running off"}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.step);
    FakeWindowSystem system;
    system.failing = c.step;
    runSaverWindowWith(Saver, 6, system);
    auto box = std::find(system.log.begin(), system.log.end(), std::string("box ") + c.box);
    ASSERT_NE(box, system.log.end());
    EXPECT_EQ(Log(box + 1, system.log.end()), c.cleanUp);
    // No renderer is built, nothing is shown and no frame is drawn after a failure.
    EXPECT_EQ(std::count(system.log.begin(), system.log.end(), "show"), 0);
    EXPECT_EQ(std::count(system.log.begin(), system.log.end(), "frame"), 0);
  }
}

TEST(SaverWindowLife, ContextIsReleasedAndDeletedWhenLaterStepsFail) {
  FakeWindowSystem makeCurrent;
  makeCurrent.failing = "makeCurrent";
  runSaverWindowWith(Preview, 6, makeCurrent);
  EXPECT_EQ(
      Log(makeCurrent.log.end() - 3, makeCurrent.log.end()),
      (Log{"deleteContext", "box wglMakeCurrent() failed:  Cannot make the OpenGL context current.",
           "releaseDC"}));

  FakeWindowSystem renderer;
  renderer.failing = "createRenderer";
  runSaverWindowWith(Preview, 6, renderer);
  EXPECT_EQ(Log(renderer.log.end() - 4, renderer.log.end()),
            (Log{"releaseCurrent", "deleteContext", "box new Renderer() failed:  Out of memory.",
                 "releaseDC"}));
}

TEST(SaverWindowLife, NegativeFrameDelayNeverSleepsForAges) {
  FakeWindowSystem system;
  system.delay = -5;
  runSaverWindowWith(Preview, 0, system);
  EXPECT_NE(std::find(system.log.begin(), system.log.end(), "sleep 0"), system.log.end());
}

TEST(SaverKeys, WindowsCodesOfBAndSAndTheirNumericTwinsToggleTheSwitches) {
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
