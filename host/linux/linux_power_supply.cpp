// Reads the power supplies' type, online, status and scope attributes from sysfs.
#include "host/linux/linux_power_supply.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace marvolet {
namespace {

// The first line of a small attribute file, without its newline; empty when unreadable. Only
// a few bytes are read, so a path that is not a sysfs attribute cannot stall the saver.
std::string attribute(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::string();
  char buffer[64];
  ssize_t got = -1;
  do {
    got = read(fd, buffer, sizeof buffer);
  } while (got < 0 && errno == EINTR);
  close(fd);
  if (got <= 0) return std::string();
  std::string text(buffer, static_cast<size_t>(got));
  const size_t end = text.find_first_of("\r\n");
  return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

bool LinuxPowerSupply::onBattery() {
  std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(root_.c_str()), closedir);
  if (!folder) return false;
  bool discharging = false;
  bool batterySaysMains = false;
  bool mainsSeen = false;
  bool externalOnline = false;
  while (const dirent* entry = readdir(folder.get())) {
    if (entry->d_name[0] == '.') continue;
    const std::string supply = root_ + "/" + entry->d_name + "/";
    if (attribute(supply + "scope") == "Device") continue;
    const std::string type = attribute(supply + "type");
    if (type == "Battery") {
      const std::string status = attribute(supply + "status");
      if (status == "Discharging") discharging = true;
      if (status == "Charging" || status == "Full" || status == "Not charging") {
        batterySaysMains = true;
      }
    } else if (type == "Mains" || type == "USB") {
      if (type == "Mains") mainsSeen = true;
      if (attribute(supply + "online") == "1") externalOnline = true;
    }
  }
  // A battery knows best: a Mains supply may stay offline while USB-C charges the machine.
  if (discharging) return true;
  if (batterySaysMains) return false;
  return mainsSeen && !externalOnline;
}

}  // namespace marvolet
