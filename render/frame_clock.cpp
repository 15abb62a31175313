// The frame clock's counter arithmetic and the adaptive frame delay.
#include "render/frame_clock.h"

#include "platform/clock.h"

namespace marvolet {

void FrameClock::start() {
  const uint32_t now = platform::milliseconds();
  windowStart_ = now;
  lastReading_ = now;
  elapsed_ = 0;
  lastStep_ = 0;
  stepKnown_ = false;
  frameCount_ = 0;
  fps_ = 50.0f;
  seconds_ = 0.0;
  frameSeconds_ = 0.0;
}

int32_t FrameClock::tick(int32_t frameDelay) {
  const uint32_t now = platform::milliseconds();
  // Unsigned differences of the wrapping counter, summed in 64 bits: time only moves forward,
  // across 2^31 and 2^32 alike, as long as frames come less than 49 days apart.
  const uint32_t step = now - lastReading_;
  const double before = seconds_;
  lastReading_ = now;
  const bool first = !stepKnown_;
  stepKnown_ = true;
  const bool pause = step > PauseMilliseconds &&
                     (first || uint64_t{step} > uint64_t{PauseFactor} * uint64_t{lastStep_});
  if (pause) {
    // Nobody watched the pause (a dark display, a suspended machine, a stopped process), so
    // the animation takes it as one ordinary frame: the scroll and the parameters go on from
    // where they were instead of working off the whole gap. The measuring window starts afresh
    // and keeps the rate measured before it, which a window holding the gap would drag to 0.
    // With no frame to go by (the first gap, or the next gap after a pause), the longest gap
    // that is surely a frame stands in: a machine that only ever manages a frame every few
    // seconds still moves, and its next gap is judged against that rather than against 0.
    elapsed_ += first ? PauseMilliseconds : lastStep_;
    seconds_ = static_cast<double>(elapsed_) * 0.001;
    frameSeconds_ = seconds_ - before;
    lastStep_ = PauseMilliseconds;
    windowStart_ = now;
    frameCount_ = 0;
    return frameDelay;
  }
  lastStep_ = step;
  elapsed_ += step;
  seconds_ = static_cast<double>(elapsed_) * 0.001;
  frameSeconds_ = seconds_ - before;

  const double elapsed = static_cast<double>(static_cast<uint32_t>(now - windowStart_)) * 0.001;
  if (elapsed < 1.0) {
    frameCount_ += 1;
    return frameDelay;
  }
  // The delay adapts from the rate of the window before this one.
  const int32_t previous = static_cast<int32_t>(fps_);
  // A window that holds no frame but the one closing it (frames a second or more apart) counts
  // that one: a rate of 0 would fly every star out of sight at once.
  fps_ = static_cast<float>((frameCount_ > 0 ? frameCount_ : 1) / elapsed);
  frameCount_ = 0;
  windowStart_ = now;
  if (previous > 0) frameDelay += ((1000 / targetFps_) - (1000 / previous)) / 2;
  if (frameDelay < 1) frameDelay = 1;
  if (frameDelay > 1000) frameDelay = 1000;
  return frameDelay;
}

}  // namespace marvolet
