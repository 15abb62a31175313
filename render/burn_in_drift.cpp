// The burn-in guard's path: two triangle waves with unrelated periods, rounded to pixels.
#include "render/burn_in_drift.h"

#include <cmath>

namespace marvolet {
namespace {

// -reach to reach: up from 0 over the first quarter, down to -reach by three quarters, back.
int32_t triangle(double seconds, double period, int32_t reach) {
  if (reach <= 0 || !(seconds >= 0.0)) return 0;
  const double phase = std::fmod(seconds, period) / period;
  double wave = 4.0 * phase;
  if (phase >= 0.25) wave = 2.0 - 4.0 * phase;
  if (phase >= 0.75) wave = 4.0 * phase - 4.0;
  return static_cast<int32_t>(std::lround(wave * reach));
}

}  // namespace

int32_t burnInReach(int32_t height) {
  return height > 0 ? static_cast<int32_t>(int64_t{height} * 15 / 1000) : 0;
}

DriftOffset burnInDrift(double seconds, int32_t height) {
  const int32_t reach = burnInReach(height);
  return {triangle(seconds, BurnInPeriodX, reach), triangle(seconds, BurnInPeriodY, reach)};
}

}  // namespace marvolet
