// GNOME's idle monitor as the idle watcher uses it, on a private session bus, for tests:
//   fake_gnome_idle
// owns org.gnome.Mutter.IdleMonitor on DBUS_SESSION_BUS_ADDRESS, prints "ready", then
// "idle-watch MILLISECONDS" and "active-watch" as clients add watches; the lines "idle" and
// "active" on standard input fire the idle watches and the pending activity watches. It ends
// when standard input closes.
#include <dbus/dbus.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kInterface = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";

DBusConnection* bus = nullptr;
std::vector<dbus_uint32_t> idleWatches;
std::vector<dbus_uint32_t> activeWatches;
dbus_uint32_t nextId = 1;

void fire(dbus_uint32_t id) {
  DBusMessage* signal = dbus_message_new_signal(kPath, kInterface, "WatchFired");
  dbus_message_append_args(signal, DBUS_TYPE_UINT32, &id, DBUS_TYPE_INVALID);
  dbus_connection_send(bus, signal, nullptr);
  dbus_message_unref(signal);
}

void answer(DBusMessage* call, dbus_uint32_t id) {
  DBusMessage* reply = dbus_message_new_method_return(call);
  dbus_message_append_args(reply, DBUS_TYPE_UINT32, &id, DBUS_TYPE_INVALID);
  dbus_connection_send(bus, reply, nullptr);
  dbus_message_unref(reply);
}

void handle(DBusMessage* message) {
  if (dbus_message_is_method_call(message, kInterface, "AddIdleWatch")) {
    dbus_uint64_t interval = 0;
    dbus_message_get_args(message, nullptr, DBUS_TYPE_UINT64, &interval, DBUS_TYPE_INVALID);
    idleWatches.push_back(nextId);
    answer(message, nextId++);
    std::printf("idle-watch %llu\n", static_cast<unsigned long long>(interval));
  } else if (dbus_message_is_method_call(message, kInterface, "AddUserActiveWatch")) {
    activeWatches.push_back(nextId);
    answer(message, nextId++);
    std::puts("active-watch");
  }
  std::fflush(stdout);
}

}  // namespace

int main() {
  bus = dbus_bus_get(DBUS_BUS_SESSION, nullptr);
  if (bus == nullptr || dbus_bus_request_name(bus, kInterface, DBUS_NAME_FLAG_DO_NOT_QUEUE,
                                              nullptr) != DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
    std::fputs("cannot own org.gnome.Mutter.IdleMonitor\n", stderr);
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);
  int busFd = -1;
  dbus_connection_get_unix_fd(bus, &busFd);
  std::string pending;
  for (;;) {
    dbus_connection_flush(bus);
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {busFd, POLLIN, 0}};
    if (poll(fds, 2, 1000) < 0) continue;
    if (fds[0].revents != 0) {
      char buffer[256];
      const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) return 0;
      pending.append(buffer, static_cast<size_t>(n));
      for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (line == "idle") {
          for (dbus_uint32_t id : idleWatches) fire(id);
        } else if (line == "active") {
          for (dbus_uint32_t id : activeWatches) fire(id);
          activeWatches.clear();
        }
      }
    }
    dbus_connection_read_write(bus, 0);
    while (DBusMessage* message = dbus_connection_pop_message(bus)) {
      handle(message);
      dbus_message_unref(message);
    }
  }
}
