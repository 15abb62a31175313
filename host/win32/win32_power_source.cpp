// GetSystemPowerStatus behind the portable power source.
#include "host/win32/win32_power_source.h"

#include "host/win32/win32_host.h"

namespace marvolet {

bool Win32PowerSource::onBattery() {
  SYSTEM_POWER_STATUS status = {};
  return GetSystemPowerStatus(&status) != FALSE && status.ACLineStatus == 0;
}

}  // namespace marvolet
