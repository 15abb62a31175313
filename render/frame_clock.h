// The renderer's frame clock: seconds since it started, the measured frame rate, and the
// adaptive pause between frames that aims at TargetFps.
#pragma once

#include <cstdint>

namespace marvolet {

class FrameClock {
 public:
  // The rate the pause between frames aims at unless the host sets another, frames per second.
  static constexpr int32_t TargetFps = 30;

  // A gap between two ticks, milliseconds, is a pause rather than a frame only when it is longer
  // than this and more than PauseFactor times the last ordinary frame: longer than the slowest
  // pacing the delay allows (1 s) plus a slow software frame, short enough that the
  // one-character-per-drawing scroll works off what it leaves within a second. Measured against
  // the machine's own frames, so that one whose every frame takes seconds still animates.
  static constexpr uint32_t PauseMilliseconds = 3000;
  static constexpr uint32_t PauseFactor = 4;

  // Starts from the platform's millisecond counter now: 0 seconds, fps 50, an empty window.
  void start();
  // Reads the counter for a new frame. Within a measuring window (1 s) it only counts the frame;
  // at its end it measures fps and returns `frameDelay` moved halfway from the previous window's
  // rate towards the target rate's, within 1 to 1000 ms. Otherwise returns `frameDelay` unchanged.
  // After a pause seconds() moves on by the ordinary frame before it instead, and a new
  // measuring window starts; fps() stays as it was. Before any ordinary frame there is nothing
  // to compare with, so the first gap counts in full up to PauseMilliseconds; a longer one
  // counts as PauseMilliseconds and starts a new window. A pause that follows a pause is
  // judged against PauseMilliseconds, so that a clock whose ticks all come seconds apart moves.
  int32_t tick(int32_t frameDelay);

  // Animation seconds since start(): time less the pauses. Double, from a 64-bit millisecond total,
  // so that neither the 32-bit counter's wrap nor float rounding disturbs a saver left running for
  // weeks.
  double seconds() const { return seconds_; }
  // Animation seconds the last tick moved on: the frame's own time, or what a pause counts as.
  double frameSeconds() const { return frameSeconds_; }
  float fps() const { return fps_; }  // frames per second over the last measuring window
  int32_t frameCount() const { return frameCount_; }  // frames in the current window so far

  // Takes `fps` as the last window's rate, as if measured (the star field's warm-up hands over
  // the rate it assumed this way).
  void setFps(float fps) { fps_ = fps; }
  // Poses the clock at `seconds` without reading the counter, for tests and tools that need a
  // moment of their choosing; the next tick() measures from the counter again.
  void setSeconds(double seconds) { seconds_ = seconds; }
  // The rate the pause aims at from the next measuring window on (the host lowers it on
  // battery); clamped to 1..1000 frames per second.
  void setTargetFps(int32_t fps) { targetFps_ = fps < 1 ? 1 : (fps > 1000 ? 1000 : fps); }
  int32_t targetFps() const { return targetFps_; }

 private:
  uint32_t windowStart_ = 0;  // counter reading at the start of the measuring window
  uint32_t lastReading_ = 0;  // counter reading at the last tick, to extend across the wrap
  uint64_t elapsed_ = 0;      // animation milliseconds from start() to lastReading_
  uint32_t lastStep_ = 0;     // the last ordinary frame, milliseconds: what a pause counts as
  bool stepKnown_ = false;    // whether any tick has come since start()
  double seconds_ = 0.0;
  double frameSeconds_ = 0.0;
  float fps_ = 10.0f;
  int32_t frameCount_ = 0;
  int32_t targetFps_ = TargetFps;
};

}  // namespace marvolet
