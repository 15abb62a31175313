// The swap interval's choice, the frame deadline and the check that a swap interval holds.
#include "host/frame_pacing.h"

#include <algorithm>
#include <cmath>

namespace marvolet {
namespace {

// A schedule this far behind (a stopped process, a display woken) starts afresh.
constexpr double kForgottenLateUs = 250000.0;

}  // namespace

FrameRateChoice frameRateChoiceOf(int32_t index) {
  switch (index) {
    case 1:
      return FrameRateChoice::Sixty;
    case 2:
      return FrameRateChoice::DisplayRefresh;
    default:
      return FrameRateChoice::Thirty;
  }
}

double wantedFrameRate(FrameRateChoice choice, double refreshHz) {
  switch (choice) {
    case FrameRateChoice::Sixty:
      return 60.0;
    case FrameRateChoice::DisplayRefresh:
      return refreshHz > 0.0 ? refreshHz : 60.0;
    case FrameRateChoice::Thirty:
      break;
  }
  return 30.0;
}

int32_t swapIntervalFor(double refreshHz, double targetFps) {
  if (!(refreshHz > 0.0) || !(targetFps > 0.0)) return 0;
  const double whole = std::floor(refreshHz / targetFps * 1.01);
  if (whole < 1.0) return 1;
  // No display refreshes a thousand times a second; the bound keeps the cast defined.
  return whole > 1000.0 ? 1000 : static_cast<int32_t>(whole);
}

uint32_t FrameDeadline::waitAfterFrame(uint32_t startMs, uint32_t nowMs, double frameRate) {
  const double periodUs = 1e6 / (frameRate > 0.0 ? frameRate : 1.0);
  const bool fresh = !started_ || frameRate != frameRate_;
  if (fresh) {
    started_ = true;
    frameRate_ = frameRate;
    lastMs_ = nowMs;
    elapsedUs_ = 0;
    dueUs_ = 0.0;
  }
  // Unsigned difference: the counter's wrap does not stop the schedule.
  elapsedUs_ += int64_t{static_cast<uint32_t>(nowMs - lastMs_)} * 1000;
  lastMs_ = nowMs;
  dueUs_ += periodUs;
  const double now = static_cast<double>(elapsedUs_);
  // Lateness the catching up would take seconds to make good is forgotten instead.
  if (dueUs_ + kForgottenLateUs < now) dueUs_ = now + periodUs;
  // A start after `nowMs` (a caller's mistake) counts as at it.
  const double costUs = (nowMs - startMs <= 0x7FFFFFFFu ? nowMs - startMs : 0u) * 1000.0;
  // The next present, a usual cost after the next start, comes 7/8 of a period after this one
  // at the soonest; this one's own cost counts where it was less.
  if (fresh) costUs_ = costUs;
  const double earliest = now + periodUs * 7.0 / 8.0 - std::min(costUs, costUs_);
  // What a frame costs as a rule, from start to present: a frame slowed by the machine moves it
  // an eighth of the way, and only for the frames after it.
  costUs_ += (costUs - costUs_) / 8.0;
  const double wake = dueUs_ > earliest ? dueUs_ : earliest;
  if (wake <= now) return 0;
  // The counter reads whole milliseconds, half a millisecond behind on average.
  return static_cast<uint32_t>(std::lround((wake - now) / 1000.0));
}

bool SwapIntervalCheck::honoured(uint32_t nowMs, double promisedRate) {
  if (failed_) return false;
  if (!counting_) {
    counting_ = true;
    startMs_ = nowMs;
    frames_ = 0;
    return true;
  }
  frames_ += 1;
  const uint32_t spent = nowMs - startMs_;
  if (spent < 1000) return true;
  failed_ = frames_ * 1000.0 / spent > promisedRate * 1.5;
  startMs_ = nowMs;
  frames_ = 0;
  return !failed_;
}

}  // namespace marvolet
