// The burn-in guard's path over two hours of frames: inside its box, in whole pixels a step at
// a time, slow cycles, and no place held for more than a few minutes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "render/burn_in_drift.h"

namespace marvolet {
namespace {

constexpr int32_t kFps = 30;
constexpr int32_t kFrames = 2 * 3600 * kFps;

// Follows one axis: its extremes, the longest time it held one value, and when it reached its
// top end.
struct Axis {
  int32_t low = 0, high = 0;
  int32_t value = 0;
  double since = 0.0, longestHold = 0.0;
  std::vector<double> topArrivals;

  void step(int32_t next, double seconds, int32_t reach) {
    ASSERT_LE(std::abs(next - value), 1) << "a jump at " << seconds << " s";
    if (next == value) return;
    if (seconds - since > longestHold) longestHold = seconds - since;
    if (next == reach) topArrivals.push_back(seconds);
    value = next;
    since = seconds;
    if (next < low) low = next;
    if (next > high) high = next;
  }
};

TEST(BurnInDrift, StaysInsideItsBoxAPixelAtATimeAndNeverRestsLong) {
  for (int32_t height : {2160, 1080, 720, 200, 66}) {
    const int32_t reach = burnInReach(height);
    EXPECT_LE(reach, height * 15 / 1000) << height;
    EXPECT_EQ(reach, height * 15 / 1000) << "the box is not used: " << height;
    const DriftOffset start = burnInDrift(0.0, height);
    EXPECT_EQ(start.x, 0);
    EXPECT_EQ(start.y, 0);
    Axis x, y;
    for (int32_t frame = 1; frame <= kFrames; ++frame) {
      const double seconds = static_cast<double>(frame) / kFps;
      const DriftOffset drift = burnInDrift(seconds, height);
      ASSERT_LE(std::abs(drift.x), reach) << height << " px at " << seconds << " s";
      ASSERT_LE(std::abs(drift.y), reach) << height << " px at " << seconds << " s";
      x.step(drift.x, seconds, reach);
      y.step(drift.y, seconds, reach);
      if (::testing::Test::HasFatalFailure()) return;
    }
    EXPECT_EQ(x.low, -reach) << height;
    EXPECT_EQ(x.high, reach) << height;
    EXPECT_EQ(y.low, -reach) << height;
    EXPECT_EQ(y.high, reach) << height;
    if (reach == 0) continue;
    // An edge leaves its pixels within three minutes, on both axes.
    EXPECT_LE(x.longestHold, 180.0) << height;
    EXPECT_LE(y.longestHold, 180.0) << height;
    // A full cycle, from one arrival at the far end to the next, takes ten minutes or more.
    for (const Axis* axis : {&x, &y}) {
      ASSERT_GE(axis->topArrivals.size(), 2u) << height;
      for (size_t i = 1; i < axis->topArrivals.size(); ++i) {
        EXPECT_GE(axis->topArrivals[i] - axis->topArrivals[i - 1], 600.0) << height;
      }
    }
  }
}

TEST(BurnInDrift, NonsenseTimesAndSizesStayStill) {
  for (double seconds : {-1.0, std::nan(""), 1e300}) {
    const DriftOffset drift = burnInDrift(seconds, 1080);
    EXPECT_LE(std::abs(drift.x), 16);
    EXPECT_LE(std::abs(drift.y), 16);
  }
  EXPECT_EQ(burnInDrift(300.0, 0).x, 0);
  EXPECT_EQ(burnInDrift(300.0, -5).y, 0);
}

}  // namespace
}  // namespace marvolet
