// The swap interval's choice over refreshes, targets and the user's frame-rate choices, the frame
// deadline's schedule (steady, drift-free, no bursts after a stall, across the counter's wrap), and
// the check that catches a swap interval the GL ignores.
#include "host/frame_pacing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace marvolet {
namespace {

TEST(FramePacing, TheSwapIntervalGivesTheDivisorOfTheRefreshNearestTheTargetAtOrAboveIt) {
  struct Row {
    double refresh, target;
    int32_t interval;
  };
  const Row rows[] = {
      {60, 30, 2},     {120, 30, 4}, {144, 30, 4},       {165, 30, 5}, {75, 30, 2},
      {59.94, 30, 2},  {240, 30, 8}, {30, 30, 1},        {24, 30, 1},  {60, 60, 1},
      {144, 60, 2},    {165, 60, 2}, {60, 15, 4},        {144, 15, 9}, {144, 144, 1},
      {143.9, 144, 1}, {0, 30, 0},   {-60, 30, 0},       {60, 0, 0},   {60, -1, 0},
      {NAN, 30, 0},    {60, NAN, 0}, {1e9, 0.001, 1000},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(swapIntervalFor(row.refresh, row.target), row.interval)
        << row.refresh << " Hz, " << row.target << " a second";
  }
}

// Each choice on the displays users have: the refreshes each frame stays up, on mains and on
// battery (half the rate), and the rate the deadline keeps where the refresh is not known.
TEST(FramePacing, EachFrameRateChoiceGivesItsIntervalOnMainsAndOnBattery) {
  struct Row {
    int32_t stored;  // the choice's index as the settings hold it
    double refresh;
    int32_t onMains, onBattery;  // swap intervals
    double rate;                 // frames a second wanted on mains
  };
  const Row rows[] = {
      {0, 60, 2, 4, 30},   {0, 144, 4, 9, 30},  {0, 165, 5, 11, 30},     {1, 60, 1, 2, 60},
      {1, 120, 2, 4, 60},  {1, 144, 2, 4, 60},  {1, 165, 2, 5, 60},      {2, 60, 1, 2, 60},
      {2, 144, 1, 2, 144}, {2, 165, 1, 2, 165}, {2, 59.94, 1, 2, 59.94}, {2, 0, 0, 0, 60},
      {1, 0, 0, 0, 60},    {0, 0, 0, 0, 30},    {3, 144, 4, 9, 30},      {-1, 60, 2, 4, 30},
  };
  for (const Row& row : rows) {
    const double rate = wantedFrameRate(frameRateChoiceOf(row.stored), row.refresh);
    EXPECT_EQ(rate, row.rate) << "choice " << row.stored << " at " << row.refresh << " Hz";
    EXPECT_EQ(swapIntervalFor(row.refresh, rate), row.onMains)
        << "choice " << row.stored << " at " << row.refresh << " Hz";
    EXPECT_EQ(swapIntervalFor(row.refresh, rate / 2), row.onBattery)
        << "choice " << row.stored << " at " << row.refresh << " Hz on battery";
  }
}

// Frames that all cost the same start exactly on schedule from the first present on: each gap
// between starts the period to a millisecond either way. Frames whose costs vary up to most of
// a period keep the rate: a thousand periods take a thousand periods, less than one either
// way. Both across the counter's wrap.
TEST(FramePacing, TheDeadlineHoldsTheRateWithoutDriftWhateverEachFrameCosts) {
  for (const double rate : {30.0, 15.0, 60.0, 37.5}) {
    for (const bool varying : {false, true}) {
      SCOPED_TRACE(std::to_string(rate) + (varying ? " a second, varying" : " a second"));
      FrameDeadline deadline;
      const double period = 1000.0 / rate;
      uint32_t now = 0xFFFFFFFFu - 5000;  // wraps a few seconds in
      uint32_t first = now;
      uint32_t previous = now;
      uint32_t seed = 7;
      for (int frame = 1; frame <= 1001; ++frame) {
        if (frame == 2) first = now;
        if (frame > 2 && !varying) {
          const uint32_t gap = now - previous;
          EXPECT_LE(std::abs(static_cast<double>(gap) - period), 1.0) << "frame " << frame;
        }
        previous = now;
        seed = seed * 1103515245u + 12345u;
        // A drawing and present of 0 to 60% of the period, or 40% each, then the wait.
        const uint32_t start = now;
        now += varying ? (seed >> 16) % static_cast<uint32_t>(period * 0.6)
                       : static_cast<uint32_t>(period * 0.4);
        now += deadline.waitAfterFrame(start, now, rate);
      }
      EXPECT_NEAR(static_cast<double>(static_cast<uint32_t>(now - first)), 1000 * period,
                  varying ? period : 1.0);
    }
  }
}

// Frames that cost nothing but the one noted; each returns the wait after it.
TEST(FramePacing, LatenessIsCaughtUpAnEighthOfAPeriodAFrameAndALongStallStartsAfresh) {
  FrameDeadline deadline;
  uint32_t now = 1000;
  const auto frame = [&](uint32_t cost) {
    const uint32_t start = now;
    now += cost;
    const uint32_t wait = deadline.waitAfterFrame(start, now, 30.0);
    now += wait;
    return wait;
  };
  for (int i = 0; i < 10; ++i) frame(0);
  // A frame 17 ms late: the next starts 29 ms (seven eighths of 33.3) after it, rather than
  // 16.7, and so on until the schedule is met again, 33.3 ms apart from then on.
  now += 17;
  EXPECT_EQ(frame(0), 29u);
  EXPECT_EQ(frame(0), 29u);
  EXPECT_EQ(frame(0), 29u);
  EXPECT_EQ(frame(0), 30u);  // back on the schedule, at 1000 + 14 periods
  EXPECT_EQ(frame(0), 33u);
  EXPECT_EQ(now, 1500u);
  EXPECT_EQ(frame(0), 33u);
  EXPECT_EQ(frame(0), 34u);
  // A frame that itself costs more than a period is presented late; the next present still
  // comes 7/8 of a period after it, not at once.
  EXPECT_EQ(frame(50), 29u);
  EXPECT_EQ(frame(0), 29u);
  // A stall of three periods is caught up all the same, 4.2 ms a frame, so the schedule
  // holds: 40 frames from a new schedule's start take 40 periods.
  deadline.reset();
  const uint32_t scheduleStart = now;
  for (int i = 0; i < 10; ++i) frame(0);
  now += 100;
  for (int i = 0; i < 23; ++i) EXPECT_EQ(frame(0), 29u);
  for (int i = 0; i < 7; ++i) frame(0);
  EXPECT_NEAR(now - scheduleStart, 40 * 1000 / 30.0, 1.0);
  // A stall of two seconds: no burst of frames to catch up, a full period after it.
  now += 2000;
  EXPECT_EQ(frame(0), 33u);
  EXPECT_EQ(frame(0), 34u);  // 66.7 ms after the stall's frame
  // A new rate, or a reset after a dark display, starts from the frame at hand.
  EXPECT_EQ(deadline.waitAfterFrame(now, now, 15.0), 67u);
  deadline.reset();
  EXPECT_EQ(deadline.waitAfterFrame(now + 500, now + 500, 15.0), 67u);
  // Frames dearer than the period, as a rule: after the schedule's first, each follows the
  // last at once.
  deadline.reset();
  EXPECT_EQ(frame(40), 33u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(frame(40), 0u);
}

TEST(FramePacing, ASwapIntervalThatDoesNotWaitFailsAfterASecondForGood) {
  SwapIntervalCheck honest;
  uint32_t now = 0xFFFFFF00u;
  for (int frame = 0; frame < 200; ++frame, now += 33) EXPECT_TRUE(honest.honoured(now, 30.0));
  // Up to half again the promise passes: a refresh a little faster than reported.
  SwapIntervalCheck quick;
  for (int frame = 0; frame < 200; ++frame, now += 23) EXPECT_TRUE(quick.honoured(now, 30.0));

  SwapIntervalCheck ignored;
  int frames = 0;
  for (; frames < 1000 && ignored.honoured(now, 30.0); ++frames) now += 5;
  EXPECT_EQ(frames, 200);  // a full second at 200 a second
  now += 1000;
  EXPECT_FALSE(ignored.honoured(now, 30.0));
  ignored.reset();
  EXPECT_FALSE(ignored.honoured(now + 33, 30.0));
}

}  // namespace
}  // namespace marvolet
