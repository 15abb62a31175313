// The Windows power reading: GetSystemPowerStatus.
#pragma once

#include "host/power_source.h"

namespace marvolet {

// On battery while the AC line status is "offline" (0); "online" and "unknown" read as mains.
class Win32PowerSource final : public PowerSource {
 public:
  bool onBattery() override;
};

}  // namespace marvolet
