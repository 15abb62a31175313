// The idle watcher: one ext_idle_notification_v1 and, while the seat is idle, one saver child.
#include "host/wayland/idle_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#ifdef MARVOLET_WITH_DBUS
#include <dbus/dbus.h>
#endif

#include "ext-idle-notify-v1-client-protocol.h"
#include "platform/clock.h"

namespace marvolet {
namespace {

constexpr uint32_t kChildGraceMilliseconds = 5000;  // SIGTERM to SIGKILL

// SIGTERM, SIGINT and SIGCHLD, as bytes on a pipe the loop polls.
volatile sig_atomic_t stopRequested = 0;
int signalReadFd = -1;
int signalWriteFd = -1;

void onSignal(int number) {
  if (number != SIGCHLD) stopRequested = 1;
  if (signalWriteFd >= 0) {
    const int savedErrno = errno;
    ssize_t ignored = write(signalWriteFd, "x", 1);
    (void)ignored;
    errno = savedErrno;
  }
}

bool installSignalHandlers() {
  int fds[2];
  if (pipe(fds) != 0) return false;
  for (int fd : fds) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  signalReadFd = fds[0];
  signalWriteFd = fds[1];
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
  for (int number : {SIGTERM, SIGINT, SIGCHLD}) sigaction(number, &action, nullptr);
  sigset_t handled;
  sigemptyset(&handled);
  for (int number : {SIGTERM, SIGINT, SIGCHLD}) sigaddset(&handled, number);
  sigprocmask(SIG_UNBLOCK, &handled, nullptr);
  return true;
}

void drainSignalPipe() {
  char buffer[64];
  while (read(signalReadFd, buffer, sizeof buffer) > 0) {
  }
}

#ifdef MARVOLET_WITH_DBUS
// GNOME's idle monitor on the session bus, for a compositor without ext_idle_notifier_v1: an
// idle watch that fires each time the session has been idle that long, and a one-shot watch
// for the next activity, added once idle came.
class GnomeIdleMonitor {
 public:
  ~GnomeIdleMonitor() {
    if (bus_ != nullptr) {
      dbus_connection_close(bus_);
      dbus_connection_unref(bus_);
    }
  }

  // True when the session bus has the idle monitor and the watch for `milliseconds` of idle
  // was added.
  bool start(uint32_t milliseconds) {
    DBusError error;
    dbus_error_init(&error);
    bus_ = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    dbus_error_free(&error);
    if (bus_ == nullptr) return false;
    dbus_connection_set_exit_on_disconnect(bus_, FALSE);
    if (!dbus_bus_name_has_owner(bus_, kService, nullptr)) return false;
    dbus_bus_add_match(bus_,
                       "type='signal',interface='org.gnome.Mutter.IdleMonitor',"
                       "member='WatchFired',path='/org/gnome/Mutter/IdleMonitor/Core'",
                       nullptr);
    const dbus_uint64_t interval = milliseconds;
    return call("AddIdleWatch", DBUS_TYPE_UINT64, &interval, &idleWatch_);
  }

  int fd() const {
    int fd = -1;
    if (bus_ == nullptr || !dbus_connection_get_unix_fd(bus_, &fd)) return -1;
    return fd;
  }

  // Reads what came and reports idle (true) or activity (false); false when the bus is gone.
  bool dispatch(const std::function<void(bool)>& report) {
    dbus_connection_read_write(bus_, 0);
    while (DBusMessage* message = dbus_connection_pop_message(bus_)) {
      dbus_uint32_t id = 0;
      if (dbus_message_is_signal(message, "org.gnome.Mutter.IdleMonitor", "WatchFired") &&
          dbus_message_get_args(message, nullptr, DBUS_TYPE_UINT32, &id, DBUS_TYPE_INVALID)) {
        if (id == idleWatch_ && activeWatch_ == 0) {
          call("AddUserActiveWatch", DBUS_TYPE_INVALID, nullptr, &activeWatch_);
          report(true);
        } else if (id == activeWatch_ && id != 0) {
          activeWatch_ = 0;  // it fires once
          report(false);
        }
      }
      dbus_message_unref(message);
    }
    return dbus_connection_get_is_connected(bus_);
  }

 private:
  static constexpr const char* kService = "org.gnome.Mutter.IdleMonitor";

  // A method of the core monitor with at most one argument, returning a watch id.
  bool call(const char* method, int argumentType, const void* argument, dbus_uint32_t* id) {
    DBusMessage* message = dbus_message_new_method_call(
        kService, "/org/gnome/Mutter/IdleMonitor/Core", "org.gnome.Mutter.IdleMonitor", method);
    if (message == nullptr) return false;
    if (argumentType != DBUS_TYPE_INVALID) {
      dbus_message_append_args(message, argumentType, argument, DBUS_TYPE_INVALID);
    }
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(bus_, message, 5000, &error);
    dbus_message_unref(message);
    bool done = false;
    if (reply != nullptr) {
      done = dbus_message_get_args(reply, nullptr, DBUS_TYPE_UINT32, id, DBUS_TYPE_INVALID);
      dbus_message_unref(reply);
    }
    dbus_error_free(&error);
    return done;
  }

  DBusConnection* bus_ = nullptr;
  dbus_uint32_t idleWatch_ = 0;
  dbus_uint32_t activeWatch_ = 0;  // 0 while none is pending
};
#endif

class IdleWatch {
 public:
  IdleWatch(wl_display* display, uint32_t seconds, std::string program,
            std::vector<std::string> arguments)
      : display_(display),
        seconds_(seconds),
        program_(std::move(program)),
        arguments_(std::move(arguments)) {}

  ~IdleWatch() {
    stopSaver();
    if (notification_ != nullptr) ext_idle_notification_v1_destroy(notification_);
    if (notifier_ != nullptr) ext_idle_notifier_v1_destroy(notifier_);
    if (seat_ != nullptr) wl_seat_destroy(seat_);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    if (!lost_) wl_display_flush(display_);
  }

  int run() {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    if (wl_display_roundtrip(display_) < 0) return lostCompositor();
#ifdef MARVOLET_WITH_DBUS
    if (notifier_ == nullptr && gnome_.start(seconds_ * 1000)) return runOnGnome();
#endif
    if (notifier_ == nullptr) {
      std::fputs(
          "marvolet: this Wayland compositor has no idle notifications (ext-idle-notify-v1) "
          "and there is no GNOME idle monitor on the session bus, so -watch-idle cannot tell "
          "when it is idle; start \"marvolet -s\" from the desktop's own idle tool instead "
          "(swayidle, hypridle)\n",
          stderr);
      return 1;
    }
    if (seat_ == nullptr) {
      std::fputs("marvolet: the Wayland compositor has no seat whose idle could be watched\n",
                 stderr);
      return 1;
    }
    notification_ = ext_idle_notifier_v1_get_idle_notification(notifier_, seconds_ * 1000, seat_);
    ext_idle_notification_v1_add_listener(notification_, &kNotificationListener, this);
    wl_display_flush(display_);

    while (!stopRequested) {
      if (!dispatch()) return lostCompositor();
      tend();
    }
    stopSaver();
    return 0;
  }

 private:
  // After each wait: a saver that ended collected, one that outlived its grace time killed.
  void tend() {
    reap();
    if (child_ > 0 && terminatedAt_ != 0 &&
        platform::milliseconds() - terminatedAt_ >= kChildGraceMilliseconds) {
      kill(child_, SIGKILL);
    }
  }

#ifdef MARVOLET_WITH_DBUS
  // The same loop over the session bus; the compositor's connection still tells when the
  // session ends.
  int runOnGnome() {
    const auto report = [this](bool idle) { idle ? idled() : resumed(); };
    while (!stopRequested) {
      if (!dispatch(gnome_.fd())) return lostCompositor();
      if (!gnome_.dispatch(report)) {
        std::fputs("marvolet: lost the session bus; the idle watch ends\n", stderr);
        stopSaver();
        return 1;
      }
      tend();
    }
    stopSaver();
    return 0;
  }
#endif

  // Reads and dispatches what the compositor sent, waiting at most a second (or until `other`,
  // when >= 0, is readable); false when the connection is gone.
  bool dispatch(int other = -1) {
    while (wl_display_prepare_read(display_) != 0) {
      if (wl_display_dispatch_pending(display_) < 0) return false;
    }
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
      wl_display_cancel_read(display_);
      return false;
    }
    pollfd fds[3] = {
        {wl_display_get_fd(display_), POLLIN, 0}, {signalReadFd, POLLIN, 0}, {other, POLLIN, 0}};
    const int ready = poll(fds, other >= 0 ? 3 : 2, 1000);
    if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
      if (wl_display_read_events(display_) < 0) return false;
    } else {
      wl_display_cancel_read(display_);
    }
    if (ready > 0 && (fds[1].revents & POLLIN) != 0) drainSignalPipe();
    return wl_display_dispatch_pending(display_) >= 0 && wl_display_get_error(display_) == 0;
  }

  int lostCompositor() {
    lost_ = true;
    std::fputs("marvolet: lost the connection to the Wayland compositor; the idle watch ends\n",
               stderr);
    stopSaver();
    return 1;
  }

  void idled() {
    idle_ = true;
    // One still ending after the last activity is replaced once it is gone (see reap()).
    if (child_ <= 0) startSaver();
  }

  void startSaver() {
    std::vector<char*> argv;
    const std::string path = program_.empty() ? "/proc/self/exe" : program_;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments_)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t watcher = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
      std::fprintf(stderr, "marvolet: cannot start the saver: %s\n", std::strerror(errno));
      return;
    }
    if (pid == 0) {
      // The saver installs its own handlers; it starts from the defaults, as from a shell.
      signal(SIGCHLD, SIG_DFL);
      signal(SIGTERM, SIG_DFL);
      signal(SIGINT, SIG_DFL);
      // A watcher killed outright (SIGKILL at the session's end) leaves no saver behind.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != watcher) _exit(0);
      execv(path.c_str(), argv.data());
      std::fprintf(stderr, "marvolet: cannot start the saver %s: %s\n", path.c_str(),
                   std::strerror(errno));
      _exit(127);
    }
    child_ = pid;
    terminatedAt_ = 0;
  }

  void resumed() {
    idle_ = false;
    endSaver();
  }

  void endSaver() {
    if (child_ <= 0 || terminatedAt_ != 0) return;
    kill(child_, SIGTERM);
    terminatedAt_ = std::max<uint32_t>(1, platform::milliseconds());
  }

  // Collects a saver that ended; one that failed says so (its own message came before).
  void reap() {
    if (child_ <= 0) return;
    int status = 0;
    const pid_t done = waitpid(child_, &status, WNOHANG);
    if (done != child_) return;
    const bool asked = terminatedAt_ != 0;
    child_ = -1;
    terminatedAt_ = 0;
    if (!asked && WIFEXITED(status) && WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "marvolet: the saver ended with exit code %d\n", WEXITSTATUS(status));
    } else if (!asked && WIFSIGNALED(status)) {
      std::fprintf(stderr, "marvolet: the saver was ended by signal %d\n", WTERMSIG(status));
    }
    // Told to end, but idle came back meanwhile. One that ended by itself (a key) waits for
    // the next idle, which follows that key's activity.
    if (asked && idle_ && !stopRequested) startSaver();
  }

  // Ends the saver and waits until it is gone (SIGKILL after the grace time).
  void stopSaver() {
    idle_ = false;
    endSaver();
    while (child_ > 0) {
      reap();
      if (child_ <= 0) break;
      if (platform::milliseconds() - terminatedAt_ >= kChildGraceMilliseconds) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
        child_ = -1;
        break;
      }
      poll(nullptr, 0, 20);
    }
  }

  void global(uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0 && notifier_ == nullptr) {
      notifier_ = static_cast<ext_idle_notifier_v1*>(
          wl_registry_bind(registry_, name, &ext_idle_notifier_v1_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat_ == nullptr) {
      seat_ = static_cast<wl_seat*>(wl_registry_bind(registry_, name, &wl_seat_interface, 1));
    }
  }

  static IdleWatch& self(void* data) {
    return *static_cast<IdleWatch*>(data);
  }
  static const wl_registry_listener kRegistryListener;
  static const ext_idle_notification_v1_listener kNotificationListener;

  wl_display* display_;
  uint32_t seconds_;
  std::string program_;
  std::vector<std::string> arguments_;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  ext_idle_notifier_v1* notifier_ = nullptr;
  ext_idle_notification_v1* notification_ = nullptr;
  pid_t child_ = -1;
  uint32_t terminatedAt_ = 0;  // when SIGTERM went to the child; 0 while it was not sent
#ifdef MARVOLET_WITH_DBUS
  GnomeIdleMonitor gnome_;
#endif
  bool idle_ = false;  // between idled and resumed
  bool lost_ = false;
};

const wl_registry_listener IdleWatch::kRegistryListener = {
    [](void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
      self(data).global(name, interface, version);
    },
    [](void*, wl_registry*, uint32_t) {},
};

const ext_idle_notification_v1_listener IdleWatch::kNotificationListener = {
    [](void* data, ext_idle_notification_v1*) { self(data).idled(); },
    [](void* data, ext_idle_notification_v1*) { self(data).resumed(); },
};

}  // namespace

std::vector<std::string> idleSaverArguments(const std::vector<std::string>& runFlags) {
  std::vector<std::string> arguments = {"-s", "-wayland"};
  arguments.insert(arguments.end(), runFlags.begin(), runFlags.end());
  return arguments;
}

int runIdleWatch(uint32_t seconds, const std::string& program,
                 const std::vector<std::string>& arguments) {
  if (!installSignalHandlers()) {
    std::fprintf(stderr, "marvolet: cannot watch for signals: %s\n", std::strerror(errno));
    return 1;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    std::fprintf(stderr,
                 "marvolet: -watch-idle needs a Wayland session, and cannot connect to the "
                 "compositor \"%s\"\n",
                 name != nullptr && *name != '\0' ? name : "wayland-0");
    return 1;
  }
  int exitCode = 0;
  {
    IdleWatch watch(display, seconds, program, arguments);
    exitCode = watch.run();
  }
  wl_display_disconnect(display);
  return exitCode;
}

}  // namespace marvolet
