// The saver window's closing rules, driven with a fake clock, cursor and window system.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/closing_rules.h"

namespace marvolet {
namespace {

// Records what the rules ask of the window system; posted closes queue up like messages.
class FakeWindow : public SaverWindowPort {
 public:
  CursorPoint cursor{100, 200};
  uint32_t now = 1000;
  bool passwordAccepted = true;
  // Runs inside the password check, as the platform's modal dialog would deliver messages.
  std::function<void()> duringCheck;

  int postedCloses = 0;
  int destroyed = 0;
  int passwordChecks = 0;
  std::vector<bool> cursorRefreshes;  // checkingPassword at each refresh
  std::vector<KeyCommand> keyCommands;
  ClosingState* state = nullptr;

  CursorPoint cursorPosition() override { return cursor; }
  uint32_t tickCount() override { return now; }
  void postClose() override { ++postedCloses; }
  void destroyWindow() override { ++destroyed; }
  void refreshCursor() override { cursorRefreshes.push_back(state->checkingPassword); }
  bool verifyPassword() override {
    ++passwordChecks;
    if (duringCheck) duringCheck();
    return passwordAccepted;
  }
  void keyCommand(KeyCommand command) override { keyCommands.push_back(command); }
};

class ClosingRulesTest : public ::testing::Test {
 protected:
  ClosingRulesTest() { window.state = &closing; }

  ClosingRules rules(SaverMode mode = Saver) {
    return ClosingRules(mode, settings, closing, window);
  }
  // Creates the window and then lets `seconds` pass.
  void createAndWait(double seconds, SaverMode mode = Saver) {
    rules(mode).windowCreated(0x1234);
    window.now += static_cast<uint32_t>(seconds * 1000.0);
  }
  void moveCursorBy(int32_t dx, int32_t dy) {
    window.cursor = {closing.startCursor.x + dx, closing.startCursor.y + dy};
    rules().mouseMoved();
  }
  // Delivers the close message that requestClose posted.
  void deliverClose(SaverMode mode = Saver) { rules(mode).closeMessage(); }

  SaverSettings settings;
  ClosingState closing;
  FakeWindow window;
};

TEST_F(ClosingRulesTest, CreationRecordsWindowCursorAndTick) {
  window.cursor = {-5, 7};
  window.now = 0xFFFFFF00u;
  rules(Preview).windowCreated(0xABCD);
  EXPECT_EQ(closing.window, 0xABCDu);
  EXPECT_EQ(closing.startCursor.x, -5);
  EXPECT_EQ(closing.startCursor.y, 7);
  EXPECT_EQ(closing.startTick, 0xFFFFFF00u);
}

TEST_F(ClosingRulesTest, MouseThresholdIsTestedPerAxis) {
  createAndWait(1);
  moveCursorBy(50, 0);
  moveCursorBy(0, -50);
  moveCursorBy(50, 50);  // diagonal: each axis within the threshold
  moveCursorBy(-50, -50);
  EXPECT_EQ(window.postedCloses, 0);
  EXPECT_FALSE(closing.closeRequested);
  moveCursorBy(51, 0);
  EXPECT_EQ(window.postedCloses, 1);
  EXPECT_TRUE(closing.closeRequested);
  moveCursorBy(0, -51);
  EXPECT_EQ(window.postedCloses, 2);
}

TEST_F(ClosingRulesTest, ZeroAndNegativeThresholds) {
  settings.mouseThreshold = 0;
  createAndWait(1);
  moveCursorBy(0, 0);
  EXPECT_EQ(window.postedCloses, 0);
  moveCursorBy(1, 0);
  EXPECT_EQ(window.postedCloses, 1);

  settings.mouseThreshold = -1;
  moveCursorBy(0, 0);  // a mouse-move message without any movement
  EXPECT_EQ(window.postedCloses, 2);
}

TEST_F(ClosingRulesTest, ThresholdArithmeticDoesNotOverflow) {
  EXPECT_TRUE(beyondMouseThreshold({INT32_MIN, 0}, {INT32_MAX, 0}, INT32_MAX));
  EXPECT_FALSE(beyondMouseThreshold({INT32_MIN, INT32_MIN}, {INT32_MIN, INT32_MIN}, 0));
  EXPECT_TRUE(beyondMouseThreshold({0, 0}, {0, 0}, INT32_MIN));
}

TEST_F(ClosingRulesTest, KeysAndButtonsGoToTheRendererAndClose) {
  createAndWait(1);
  // B: the renderer acts on it, and the saver still closes.
  rules().keyOrButtonPressed(KeyCommand::ToggleLightEffects);
  EXPECT_EQ(window.keyCommands, std::vector<KeyCommand>{KeyCommand::ToggleLightEffects});
  EXPECT_EQ(window.postedCloses, 1);
  rules().keyOrButtonPressed(KeyCommand::Nothing);  // a button press
  EXPECT_EQ(window.keyCommands,
            (std::vector<KeyCommand>{KeyCommand::ToggleLightEffects, KeyCommand::Nothing}));
  EXPECT_EQ(window.postedCloses, 2);
}

TEST_F(ClosingRulesTest, LosingActivationCloses) {
  createAndWait(1);
  rules().activationChanged(false);
  EXPECT_EQ(window.postedCloses, 0);
  rules().activationChanged(true);
  EXPECT_EQ(window.postedCloses, 1);
}

TEST_F(ClosingRulesTest, WithinTheDelayCloseDestroysWithoutPassword) {
  createAndWait(10);
  rules().keyOrButtonPressed(KeyCommand::Nothing);
  deliverClose();
  EXPECT_EQ(window.destroyed, 1);
  EXPECT_EQ(window.passwordChecks, 0);
}

TEST_F(ClosingRulesTest, DelayBoundaryIsInclusive) {
  createAndWait(15);  // exactly 15 000 ms
  rules().requestClose();
  deliverClose();
  EXPECT_EQ(window.passwordChecks, 0);
  EXPECT_EQ(window.destroyed, 1);

  EXPECT_TRUE(withinPasswordDelay(0, 15000, 15));
  EXPECT_FALSE(withinPasswordDelay(0, 15001, 15));
  EXPECT_FALSE(withinPasswordDelay(0, 1, 0));  // a delay of 0 asks after any time at all
  EXPECT_TRUE(withinPasswordDelay(0, 0, 0));
}

TEST_F(ClosingRulesTest, DelayHoldsAcrossTickCountWrap) {
  window.now = 0xFFFFF000u;
  createAndWait(10);  // the tick count wraps through zero
  EXPECT_LT(window.now, 0xFFFFF000u);
  rules().requestClose();
  deliverClose();
  EXPECT_EQ(window.passwordChecks, 0);
  EXPECT_EQ(window.destroyed, 1);
}

TEST_F(ClosingRulesTest, DelayIsUnsigned32BitMilliseconds) {
  // 5 000 000 s overflows a signed product; taken modulo 2^32 it is 705 032 704 ms.
  EXPECT_TRUE(withinPasswordDelay(0, 705032704u, 5000000));
  EXPECT_FALSE(withinPasswordDelay(0, 705032705u, 5000000));
  // A negative delay reads as a huge unsigned one.
  EXPECT_TRUE(withinPasswordDelay(0, 0x7FFFFFFFu, -1));
}

TEST_F(ClosingRulesTest, AfterTheDelayAnAcceptedPasswordCloses) {
  createAndWait(16);
  window.passwordAccepted = true;
  rules().keyOrButtonPressed(KeyCommand::Nothing);
  deliverClose();
  EXPECT_EQ(window.passwordChecks, 1);
  EXPECT_EQ(window.destroyed, 1);
  // The cursor shows before the service runs and hides again right after it.
  EXPECT_EQ(window.cursorRefreshes, (std::vector<bool>{true, false}));
  EXPECT_FALSE(closing.checkingPassword);
}

TEST_F(ClosingRulesTest, RefusedPasswordKeepsRunningFromTheNewCursor) {
  createAndWait(16);
  window.passwordAccepted = false;
  window.duringCheck = [this] { window.cursor = {400, 400}; };  // the user moved to type
  moveCursorBy(80, 0);
  deliverClose();
  EXPECT_EQ(window.passwordChecks, 1);
  EXPECT_EQ(window.destroyed, 0);
  EXPECT_TRUE(closing.closeRequested);
  EXPECT_FALSE(closing.checkingPassword);
  EXPECT_EQ(closing.startCursor.x, 400);
  EXPECT_EQ(closing.startCursor.y, 400);

  // Movement is measured from where the check ended; the start tick is not renewed.
  const int posted = window.postedCloses;
  moveCursorBy(30, 30);
  EXPECT_EQ(window.postedCloses, posted);
  moveCursorBy(0, 51);
  EXPECT_EQ(window.postedCloses, posted + 1);
  window.duringCheck = nullptr;
  window.passwordAccepted = true;
  deliverClose();
  EXPECT_EQ(window.passwordChecks, 2);
  EXPECT_EQ(window.destroyed, 1);
}

TEST_F(ClosingRulesTest, NestedMessagesDuringTheCheckDoNothing) {
  createAndWait(20);
  window.passwordAccepted = false;
  int postedInside = -1;
  window.duringCheck = [this, &postedInside] {
    const int before = window.postedCloses;
    EXPECT_FALSE(rules().cursorHidden());  // the arrow shows while the service asks
    rules().keyOrButtonPressed(KeyCommand::Nothing);
    rules().activationChanged(true);
    window.cursor = {5000, 5000};
    rules().mouseMoved();
    rules().closeMessage();  // a nested close is ignored
    postedInside = window.postedCloses - before;
  };
  rules().requestClose();
  deliverClose();
  EXPECT_EQ(postedInside, 0);
  EXPECT_EQ(window.passwordChecks, 1);
  EXPECT_TRUE(window.keyCommands.empty());
  EXPECT_TRUE(rules().cursorHidden());
}

TEST_F(ClosingRulesTest, CloseWithoutARequestIsIgnored) {
  createAndWait(1);
  EXPECT_FALSE(rules().closeMessage());  // no default handling either
  EXPECT_EQ(window.destroyed, 0);
  createAndWait(100);
  EXPECT_FALSE(rules().closeMessage());
  EXPECT_EQ(window.passwordChecks, 0);
  EXPECT_EQ(window.destroyed, 0);
}

TEST_F(ClosingRulesTest, SaverSwallowsCloseAndScreenSaveSystemCommands) {
  EXPECT_TRUE(rules().swallowsSystemCommand(kSysCommandClose));
  EXPECT_TRUE(rules().swallowsSystemCommand(kSysCommandScreenSave));
  EXPECT_FALSE(rules().swallowsSystemCommand(0xF100));      // SC_KEYMENU
  EXPECT_FALSE(rules().swallowsSystemCommand(0xF060 | 2));  // exact values only
  EXPECT_FALSE(rules(Preview).swallowsSystemCommand(kSysCommandClose));
}

TEST_F(ClosingRulesTest, PreviewIgnoresInputAndShowsTheArrow) {
  createAndWait(100, Preview);
  ClosingRules preview = rules(Preview);
  window.cursor = {9999, 9999};
  preview.mouseMoved();
  preview.keyOrButtonPressed(KeyCommand::ToggleLightEffects);
  preview.activationChanged(true);
  EXPECT_EQ(window.postedCloses, 0);
  EXPECT_TRUE(window.keyCommands.empty());
  EXPECT_FALSE(closing.closeRequested);
  EXPECT_FALSE(preview.cursorHidden());
  // Close goes to default handling: the window is simply destroyed by the platform.
  EXPECT_TRUE(preview.closeMessage());
  EXPECT_EQ(window.passwordChecks, 0);
}

// Each window keeps its own record: a password check running on one, and where its cursor was
// when the check ended, leave the other's closing as it was.
TEST(ClosingRecords, TwoWindowsCloseIndependently) {
  SaverSettings settings;
  ClosingState first, second;
  FakeWindow firstWindow, secondWindow;
  firstWindow.state = &first;
  secondWindow.state = &second;
  const auto firstRules = [&] { return ClosingRules(Saver, settings, first, firstWindow); };
  const auto secondRules = [&] { return ClosingRules(Saver, settings, second, secondWindow); };
  firstWindow.cursor = {0, 0};
  secondWindow.cursor = {1000, 0};
  secondWindow.now = 5000;
  firstRules().windowCreated(1);
  secondRules().windowCreated(2);
  EXPECT_EQ(first.window, 1u);
  EXPECT_EQ(second.window, 2u);

  // The first asks for its password (past its delay) and is refused; meanwhile the second
  // sees the mouse move and still closes.
  firstWindow.now += 20000;
  firstWindow.passwordAccepted = false;
  firstWindow.duringCheck = [&] {
    firstWindow.cursor = {300, 300};
    secondWindow.cursor = {1051, 0};
    secondRules().mouseMoved();
  };
  firstRules().requestClose();
  firstRules().closeMessage();
  EXPECT_EQ(firstWindow.passwordChecks, 1);
  EXPECT_EQ(firstWindow.destroyed, 0);
  EXPECT_EQ(secondWindow.postedCloses, 1);
  EXPECT_TRUE(second.closeRequested);
  EXPECT_FALSE(second.checkingPassword);
  EXPECT_EQ(second.startCursor.x, 1000);
  EXPECT_EQ(first.startCursor.x, 300);

  // Within its own delay the second goes without a password; the first still runs.
  secondWindow.now = 6000;
  secondRules().closeMessage();
  EXPECT_EQ(secondWindow.passwordChecks, 0);
  EXPECT_EQ(secondWindow.destroyed, 1);
  EXPECT_TRUE(firstRules().activeSaver());
}

}  // namespace
}  // namespace marvolet
