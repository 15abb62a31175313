// The battery pace: the power source's reading, taken every few seconds, as a frame rate.
#include "host/power_source.h"

namespace marvolet {

int32_t BatteryPace::targetFps(uint32_t nowMs) {
  // Unsigned difference: the counter's wrap does not stop the readings.
  if (stale_ || static_cast<uint32_t>(nowMs - readAt_) >= kPowerReadInterval) {
    battery_ = source_.onBattery();
    readAt_ = nowMs;
    stale_ = false;
  }
  return battery_ ? kBatteryFps : kMainsFps;
}

}  // namespace marvolet
