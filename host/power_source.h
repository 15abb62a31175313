// Whether the machine runs on battery, and the frame rate the saver aims at because of it.
#pragma once

#include <cstdint>

#include "render/frame_clock.h"

namespace marvolet {

// The platform's power reading. Each call may read the system afresh.
class PowerSource {
 public:
  virtual ~PowerSource() = default;
  // True while the machine draws on a battery; false on mains and whenever it cannot tell.
  virtual bool onBattery() = 0;
};

// Frames per second aimed at on mains (the frame clock's own target) and on battery (half).
constexpr int32_t kMainsFps = FrameClock::TargetFps;
constexpr int32_t kBatteryFps = FrameClock::TargetFps / 2;
// How often the source is read while the saver runs, milliseconds of the platform counter.
constexpr uint32_t kPowerReadInterval = 3000;

// The target frame rate over a power source, read now and then rather than every frame.
class BatteryPace {
 public:
  explicit BatteryPace(PowerSource& source) : source_(source) {}
  // The rate to aim at, at `nowMs` of the platform's millisecond counter (wrapping). The source
  // is read on the first call, when kPowerReadInterval has passed since the last reading, and
  // on the first call after recheck().
  int32_t targetFps(uint32_t nowMs);
  // `wanted` frames a second, halved while on battery, read as targetFps reads the source.
  double paced(uint32_t nowMs, double wanted) {
    targetFps(nowMs);
    return battery_ ? wanted / 2.0 : wanted;
  }
  // The platform announced a change of power source: the next call reads it at once.
  void recheck() { stale_ = true; }

 private:
  PowerSource& source_;
  bool stale_ = true;
  uint32_t readAt_ = 0;
  bool battery_ = false;
};

}  // namespace marvolet
