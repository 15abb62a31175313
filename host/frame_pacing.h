// How the saver paces its frames: a swap interval in step with the display's refresh where the
// GL offers swap control, otherwise a deadline on the monotonic millisecond counter.
#pragma once

#include <cstdint>

namespace marvolet {

// The user's frame-rate choice, in the order of its names in the option table (30, 60,
// refresh); SaverSettings::frameRate holds it as that index.
enum class FrameRateChoice : int32_t { Thirty, Sixty, DisplayRefresh };

// The choice's index as stored; an index no choice has gives Thirty.
FrameRateChoice frameRateChoiceOf(int32_t index);

// Frames a second the choice wants on mains power, before the battery halves it: 30, 60, or
// the display's refresh (`refreshHz`); 60 when the refresh is unknown (0 or less), the rate of
// most displays, as the deadline can keep it where no refresh is told.
double wantedFrameRate(FrameRateChoice choice, double refreshHz);

// Refreshes each frame stays up: the largest whole n for which refreshHz / n is still at least
// targetFps, so the rate is the divisor of the refresh nearest the target at or above it (30 on
// 60 and 120 Hz, 36 on 144, 33 on 165, 37.5 on 75). A refresh within 1% of a multiple counts as
// that multiple, so that 59.94 Hz paces at 29.97 rather than at its full rate. At least 1; 0
// when the refresh is unknown (0 or less) or the target is not positive: pace by deadline then.
int32_t swapIntervalFor(double refreshHz, double targetFps);

// Frames presented when `frameRate` a second are wanted, spaced by a deadline on the wrapping
// millisecond counter. Deadlines are spaced from the schedule's start, not from the last frame,
// so that rounding to whole milliseconds never accumulates into drift. Lateness of less than a
// period is caught up an eighth of a period a frame: each present comes at least seven eighths
// of a period after the one before (reckoned with what a frame costs as a rule), so a late
// frame is not followed by a short one, both uneven to the eye, and the rate holds over a
// second while lateness comes slower than that. A frame late by more than a quarter of a second
// (a stopped process) starts the schedule afresh from itself, as catching up would take long.
class FrameDeadline {
 public:
  // Milliseconds to wait after the frame that began drawing at `startMs` and was presented at
  // `nowMs` before drawing the next one. A new rate (the battery's, the user's choice) starts
  // the schedule afresh.
  uint32_t waitAfterFrame(uint32_t startMs, uint32_t nowMs, double frameRate);
  // Forgets the schedule: the next frame starts a new one (after a dark display).
  void reset() { started_ = false; }

 private:
  bool started_ = false;
  double frameRate_ = 0.0;
  uint32_t lastMs_ = 0;    // the counter at the last frame, to extend across its wrap
  int64_t elapsedUs_ = 0;  // microseconds from the schedule's start to lastMs_
  double dueUs_ = 0.0;     // the next frame's due time, microseconds from the start
  double costUs_ = 0.0;    // what a frame costs as a rule, start to present, microseconds
};

// Whether presents under a swap interval really wait for the refresh. A GL may accept the
// interval and ignore it (a virtual display, a driver setting that forces it off); the saver
// would then run at full speed, so after a second of frames faster than half again the rate
// the interval promises, the check fails for good and the deadline takes over.
class SwapIntervalCheck {
 public:
  // Counts the frame presented at `nowMs`; false once the frames came too fast.
  bool honoured(uint32_t nowMs, double promisedRate);
  // Starts counting afresh (a new interval, after a dark display).
  void reset() { counting_ = false; }

 private:
  bool counting_ = false;
  bool failed_ = false;
  uint32_t startMs_ = 0;
  int32_t frames_ = 0;
};

}  // namespace marvolet
