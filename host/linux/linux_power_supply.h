// The Linux power reading: the kernel's power-supply class in sysfs.
#pragma once

#include <string>
#include <utility>

#include "host/power_source.h"

namespace marvolet {

constexpr const char* kPowerSupplyRoot = "/sys/class/power_supply";

// The machine's own batteries decide when they report it: on battery when one of them is
// Discharging, on external power when one is Charging, Full or Not charging. Only when none
// says either (no battery, or only "Unknown") do the external supplies decide: on battery when
// there is at least one of type Mains and neither it nor any USB supply is online (1); a laptop
// charged over USB-C may list a Mains supply that is never online. Supplies whose "scope" is
// Device (a mouse's battery, a phone charging from the laptop) are not the machine's, and
// other types (UPS, wireless) say nothing. A missing or unreadable tree reads as mains.
class LinuxPowerSupply final : public PowerSource {
 public:
  // `root` holds one folder (or link to one) per supply, as /sys/class/power_supply does.
  explicit LinuxPowerSupply(std::string root = kPowerSupplyRoot) : root_(std::move(root)) {}
  bool onBattery() override;

 private:
  std::string root_;
};

}  // namespace marvolet
