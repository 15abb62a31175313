// The frame clock on a hand-set counter: the delay's adaptation once a second, time across the
// counter's wrap and over weeks, and which gaps count as pauses.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/frame_clock.h"
#include "test_clock.h"

namespace marvolet {
namespace {

// A clock started at the counter's current reading, and the delay it hands back, as the renderer
// keeps it.
struct Ticking {
  FrameClock clock;
  int32_t delay = 60;
  Ticking() { clock.start(); }
  void tick() { delay = clock.tick(delay); }
};

// Ticks `frames` frames 100 ms apart, then one at exactly a second after the window start.
void runOneWindow(Ticking& ticking, testing::ScopedTestClock& counter, int32_t frames) {
  const uint32_t windowStart = counter.now();
  for (int32_t i = 0; i < frames; ++i) {
    counter.advance(100);
    ticking.tick();
  }
  counter.set(windowStart + 1000);
  ticking.tick();
}

TEST(FrameClock, TheDelayAdaptsOnceASecondFromThePreviousWindowsRate) {
  testing::ScopedTestClock counter;
  {
    Ticking plain;
    EXPECT_FLOAT_EQ(plain.clock.fps(), 50.0f);  // the start value
    runOneWindow(plain, counter, 9);
    EXPECT_EQ(plain.delay, 66);  // (33 - 1000/50) / 2 = 6
    EXPECT_FLOAT_EQ(plain.clock.fps(), 9.0f);
    EXPECT_EQ(plain.clock.frameCount(), 0);
  }
  {
    Ticking stars;
    stars.clock.setFps(20.0f);  // what the star field's warm-up hands over
    runOneWindow(stars, counter, 9);
    EXPECT_EQ(stars.delay, 52);  // (33 - 1000/20) / 2 = -8, towards zero
  }
  {
    Ticking edges;
    struct Case {
      float previousFps;
      int32_t delayBefore;
      int32_t delayAfter;
    };
    const Case cases[] = {
        {0.5f, 60, 60},                         // a rate below 1 truncates to 0: no adjustment
        {0.5f, -5, 1},                          // ... but the clamp still applies
        {0.5f, 5000, 1000}, {1500.0f, 60, 76},  // 1000 / 1500 is 0, so the delay grows by 33 / 2
        {10.0f, 1, 1},                          // 1 + (33 - 100) / 2 clamps to 1
        {1.0f, 999, 516},                       // 999 + (33 - 1000) / 2
    };
    for (const Case& c : cases) {
      edges.clock.setFps(c.previousFps);
      edges.delay = c.delayBefore;
      runOneWindow(edges, counter, 3);
      EXPECT_EQ(edges.delay, c.delayAfter) << "previous fps " << c.previousFps;
    }
  }
  {
    // The window is one second, inclusive.
    Ticking window;
    const uint32_t windowStart = counter.now();
    counter.set(windowStart + 999);
    window.tick();
    EXPECT_EQ(window.clock.frameCount(), 1);  // 0.999 s counts the frame
    EXPECT_EQ(window.delay, 60);
    counter.set(windowStart + 1000);
    window.tick();
    EXPECT_EQ(window.clock.frameCount(), 0);  // exactly 1.0 s measures
    EXPECT_FLOAT_EQ(window.clock.fps(), 1.0f);
    EXPECT_EQ(window.delay, 66);
  }
}

TEST(FrameClock, TimeRunsForwardAcrossTheCounterWrapAndKeepsMillisecondsAfterWeeks) {
  testing::ScopedTestClock counter;
  for (uint32_t start : {0x7FFFFF00u, 0xFFFFFF00u}) {
    counter.set(start);
    Ticking ticking;
    double previous = 0.0;
    // A day and a half in 2-second frames crosses the 2^31 and 2^32 points of the counter.
    for (int i = 1; i <= 65000; ++i) {
      counter.advance(2000);
      ticking.tick();
      ASSERT_NEAR(ticking.clock.seconds() - previous, 2.0, 1e-9) << "frame " << i;
      previous = ticking.clock.seconds();
    }
    EXPECT_DOUBLE_EQ(ticking.clock.seconds(), 130000.0);
  }
  // 40 days in 3-second frames, then one 1 ms frame: a float total would have lost it.
  Ticking weeks;
  for (int i = 0; i < 40 * 24 * 1200; ++i) {
    counter.advance(FrameClock::PauseMilliseconds);
    weeks.tick();
  }
  const double before = weeks.clock.seconds();
  ASSERT_DOUBLE_EQ(before, 40.0 * 24 * 3600);
  counter.advance(1);
  weeks.tick();
  EXPECT_NEAR(weeks.clock.seconds() - before, 0.001, 1e-9);
}

// Seconds after each of `gaps`, ticked one after the other from start().
std::vector<double> secondsAfter(testing::ScopedTestClock& counter,
                                 const std::vector<uint32_t>& gaps) {
  Ticking ticking;
  std::vector<double> seconds;
  for (uint32_t gap : gaps) {
    counter.advance(gap);
    ticking.tick();
    seconds.push_back(ticking.clock.seconds());
  }
  return seconds;
}

// A pause (a dark display, a stopped process) counts as one frame; a machine whose every frame
// takes seconds is no pause and keeps moving, from its very first frame on.
TEST(FrameClock, OnlyAGapFarBeyondTheRecentFramesIsAPause) {
  testing::ScopedTestClock counter;
  struct Case {
    const char* what;
    std::vector<uint32_t> gaps;
    std::vector<double> seconds;
  };
  const Case cases[] = {
      {"a frame every 5 s from the start: the first gap capped at 3 s, then each in full",
       {5000, 5000, 5000, 5000},
       {3.0, 8.0, 13.0, 18.0}},
      {"a frame every 3.1 s from the start", {3100, 3100, 3100}, {3.0, 6.1, 9.2}},
      {"an hour before the first frame counts 3 s", {3600000, 40, 40}, {3.0, 3.04, 3.08}},
      {"a first gap below the pause counts in full", {2900, 40}, {2.9, 2.94}},
      {"fast frames, then a minute stopped: one frame",
       {40, 40, 60000, 40},
       {0.04, 0.08, 0.12, 0.16}},
      {"two-second frames, then five seconds: not far beyond them",
       {2000, 2000, 5000},
       {2.0, 4.0, 9.0}},
      {"four-second frames, then a minute: one frame",
       {4000, 4000, 60000, 4000},
       {3.0, 7.0, 11.0, 15.0}},
      {"frames in the same millisecond, then every 3.1 s",
       {0, 3100, 3100, 3100},
       {0.0, 0.0, 3.1, 6.2}},
  };
  for (const Case& c : cases) {
    const std::vector<double> got = secondsAfter(counter, c.gaps);
    ASSERT_EQ(got.size(), c.seconds.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i], c.seconds[i], 1e-9) << c.what << ", after gap " << i + 1;
    }
  }

  // A pause keeps the rate measured before it and starts a new measuring window.
  Ticking ticking;
  for (int i = 0; i < 30; ++i) {
    counter.advance(40);
    ticking.tick();
  }
  const float fps = ticking.clock.fps();
  ASSERT_GT(fps, 20.0f);
  counter.advance(60000);
  ticking.tick();
  EXPECT_FLOAT_EQ(ticking.clock.fps(), fps);
  EXPECT_EQ(ticking.clock.frameCount(), 0);
}

// The host halves the target on battery: the delay follows within seconds, both ways. Each
// frame costs 5 ms of drawing besides the delay the host sleeps; the adaptation overshoots and
// settles, as it always has, so the rate is judged once it is meant to have settled.
TEST(FrameClock, TheTargetRateSetByTheHostSteersTheDelayBothWays) {
  testing::ScopedTestClock counter;
  Ticking ticking;
  // Over ten seconds at `target`: the frames of the last four, and the second whose frames first
  // came within a fifth of `target` (-1 if never).
  struct Run {
    float meanOfLastFour;
    int32_t firstNear;
  };
  const auto run = [&](int32_t target) {
    ticking.clock.setTargetFps(target);
    Run result{0.0f, -1};
    for (int32_t second = 0; second < 10; ++second) {
      int32_t frames = 0;
      for (const uint32_t end = counter.now() + 1000; counter.now() < end; ++frames) {
        counter.advance(5 + static_cast<uint32_t>(ticking.delay));
        ticking.tick();
      }
      if (result.firstNear < 0 && std::abs(frames - target) <= target / 5)
        result.firstNear = second;
      if (second >= 6) result.meanOfLastFour += static_cast<float>(frames) / 4.0f;
    }
    return result;
  };
  run(30);
  const Run battery = run(15);
  EXPECT_LE(battery.firstNear, 3);
  EXPECT_GE(battery.firstNear, 0);
  EXPECT_NEAR(battery.meanOfLastFour, 15.0f, 3.0f);
  const Run mains = run(30);
  EXPECT_LE(mains.firstNear, 3);
  EXPECT_GE(mains.firstNear, 0);
  EXPECT_NEAR(mains.meanOfLastFour, 30.0f, 4.0f);
}

}  // namespace
}  // namespace marvolet
