// The Linux power reading: the kernel's power-supply class in sysfs.
#pragma once

#include <string>
#include <utility>

#include "host/power_source.h"

namespace marvolet {

constexpr const char* kPowerSupplyRoot = "/sys/class/power_supply";

// On battery when a supply of type Battery reports status Discharging, or when there is at
// least one supply of type Mains and none of them is online (1). Supplies of other types (USB,
// UPS, a mouse's battery, whose "scope" is Device) are not the machine's. A missing or
// unreadable tree reads as mains.
class LinuxPowerSupply final : public PowerSource {
 public:
  // `root` holds one folder (or link to one) per supply, as /sys/class/power_supply does.
  explicit LinuxPowerSupply(std::string root = kPowerSupplyRoot) : root_(std::move(root)) {}
  bool onBattery() override;

 private:
  std::string root_;
};

}  // namespace marvolet
