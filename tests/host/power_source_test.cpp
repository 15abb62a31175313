// The battery pace over fake power sources: a fake sysfs tree for Linux's reading, and a
// hand-set source and clock for how often it is read and when a change shows.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/linux/linux_power_supply.h"
#include "host/power_source.h"

namespace marvolet {
namespace {

// A temporary /sys/class/power_supply: one folder per supply with its attribute files.
class FakeSysfs {
 public:
  FakeSysfs() {
    char pattern[] = "/tmp/marvolet-power-XXXXXX";
    root_ = mkdtemp(pattern);
  }
  ~FakeSysfs() { std::filesystem::remove_all(root_); }
  const std::string& root() const { return root_; }

  void set(const std::string& supply, const std::string& name, const std::string& value) {
    mkdir((root_ + "/" + supply).c_str(), 0755);
    std::ofstream(root_ + "/" + supply + "/" + name) << value << "\n";
  }

 private:
  std::string root_;
};

struct Supply {
  const char* name;
  const char* type;
  const char* online;  // null: no such file
  const char* status;
  const char* scope;
};

// The machine's battery decides by its status; without one that says, the external supplies do.
TEST(LinuxPowerSupply, TheBatterysStatusDecidesThenTheExternalSupplies) {
  struct Case {
    const char* what;
    std::vector<Supply> supplies;
    bool onBattery;
  };
  const Case cases[] = {
      {"laptop plugged in, charging",
       {{"AC", "Mains", "1", nullptr, nullptr}, {"BAT0", "Battery", nullptr, "Charging", nullptr}},
       false},
      {"laptop unplugged",
       {{"AC", "Mains", "0", nullptr, nullptr},
        {"BAT0", "Battery", nullptr, "Discharging", nullptr}},
       true},
      {"mains offline, battery full: the battery knows",
       {{"ADP1", "Mains", "0", nullptr, nullptr}, {"BAT1", "Battery", nullptr, "Full", nullptr}},
       false},
      {"charging over USB-C, the Mains supply never online",
       {{"ADP1", "Mains", "0", nullptr, nullptr},
        {"ucsi-source-psy-USBC000:001", "USB", "1", nullptr, nullptr},
        {"BAT0", "Battery", nullptr, "Charging", nullptr}},
       false},
      {"held at a charge threshold on mains",
       {{"AC", "Mains", "1", nullptr, nullptr},
        {"BAT0", "Battery", nullptr, "Not charging", nullptr}},
       false},
      {"a weak USB-C charger, the battery still discharging",
       {{"ADP1", "Mains", "0", nullptr, nullptr},
        {"ucsi-source-psy-USBC000:001", "USB", "1", nullptr, nullptr},
        {"BAT0", "Battery", nullptr, "Discharging", nullptr}},
       true},
      {"battery status unknown, USB-C online",
       {{"ADP1", "Mains", "0", nullptr, nullptr},
        {"ucsi-source-psy-USBC000:001", "USB", "1", nullptr, nullptr},
        {"BAT0", "Battery", nullptr, "Unknown", nullptr}},
       false},
      {"battery status unknown, only a device on USB",
       {{"ADP1", "Mains", "0", nullptr, nullptr},
        {"phone", "USB", "1", nullptr, "Device"},
        {"BAT0", "Battery", nullptr, "Unknown", nullptr}},
       true},
      {"no mains supply listed, battery discharging",
       {{"BAT0", "Battery", nullptr, "Discharging", nullptr}},
       true},
      {"no mains supply listed, battery full",
       {{"BAT0", "Battery", nullptr, "Full", nullptr}},
       false},
      {"a wireless mouse's battery is not the machine's",
       {{"AC", "Mains", "1", nullptr, nullptr},
        {"hidpp_battery_0", "Battery", nullptr, "Discharging", "Device"}},
       false},
      {"a dock's second mains supply, one online",
       {{"AC", "Mains", "0", nullptr, nullptr}, {"ucsi-source", "Mains", "1", nullptr, nullptr}},
       false},
      {"USB supplies alone say nothing", {{"usb0", "USB", "0", nullptr, nullptr}}, false},
      {"a desktop: nothing listed", {}, false},
  };
  for (const Case& c : cases) {
    FakeSysfs sysfs;
    for (const Supply& supply : c.supplies) {
      sysfs.set(supply.name, "type", supply.type);
      if (supply.online) sysfs.set(supply.name, "online", supply.online);
      if (supply.status) sysfs.set(supply.name, "status", supply.status);
      if (supply.scope) sysfs.set(supply.name, "scope", supply.scope);
    }
    EXPECT_EQ(LinuxPowerSupply(sysfs.root()).onBattery(), c.onBattery) << c.what;
  }
  EXPECT_FALSE(LinuxPowerSupply("/nonexistent/power_supply").onBattery());
}

class FakePower : public PowerSource {
 public:
  bool battery = false;
  int reads = 0;
  bool onBattery() override {
    ++reads;
    return battery;
  }
};

TEST(BatteryPace, ReadsEveryFewSecondsAndAtOnceWhenAChangeIsAnnounced) {
  FakePower power;
  BatteryPace pace(power);
  const uint32_t start = 0xFFFFF000u;  // the counter wraps on the way
  EXPECT_EQ(pace.targetFps(start), kMainsFps);
  EXPECT_EQ(power.reads, 1);
  power.battery = true;
  EXPECT_EQ(pace.targetFps(start + kPowerReadInterval - 1), kMainsFps);  // not read again yet
  EXPECT_EQ(power.reads, 1);
  EXPECT_EQ(pace.targetFps(start + kPowerReadInterval), kBatteryFps);
  EXPECT_EQ(power.reads, 2);
  EXPECT_EQ(kBatteryFps * 2, kMainsFps);

  // Windows announces the change (WM_POWERBROADCAST): the next frame reads it.
  power.battery = false;
  pace.recheck();
  EXPECT_EQ(pace.targetFps(start + kPowerReadInterval + 10), kMainsFps);
  EXPECT_EQ(power.reads, 3);
}

TEST(BatteryPace, UnpluggingAndPluggingInShowWithinAFewSecondsOverSysfs) {
  FakeSysfs sysfs;
  sysfs.set("AC", "type", "Mains");
  sysfs.set("AC", "online", "1");
  sysfs.set("BAT0", "type", "Battery");
  sysfs.set("BAT0", "status", "Charging");
  LinuxPowerSupply supply(sysfs.root());
  BatteryPace pace(supply);
  uint32_t now = 1000;
  EXPECT_EQ(pace.targetFps(now), kMainsFps);

  // Frames every 33 ms: the first frame 5 seconds after the cable is pulled runs at half pace.
  const auto paceAfter = [&](uint32_t milliseconds) {
    int32_t fps = 0;
    for (uint32_t end = now + milliseconds; now < end; now += 33) fps = pace.targetFps(now);
    return fps;
  };
  sysfs.set("AC", "online", "0");
  sysfs.set("BAT0", "status", "Discharging");
  EXPECT_EQ(paceAfter(5000), kBatteryFps);
  sysfs.set("AC", "online", "1");
  sysfs.set("BAT0", "status", "Charging");
  EXPECT_EQ(paceAfter(5000), kMainsFps);
}

}  // namespace
}  // namespace marvolet
