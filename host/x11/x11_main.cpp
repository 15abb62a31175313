// Entry point of the X11 saver: parse the arguments, load the settings file, run one mode.
#include <X11/Xlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "assets/user_content.h"
#include "host/linux/idle_autostart.h"
#include "host/linux/linux_command_line.h"
#include "host/linux/linux_settings_file.h"
#include "host/saver_session.h"
#include "host/saver_settings.h"
#include "host/x11/x11_host.h"
#include "host/x11/xscreensaver_programs.h"
#ifdef MARVOLET_WITH_WAYLAND
#include "host/wayland/idle_watch.h"
#include "host/wayland/wayland_host.h"
#endif

namespace marvolet {

volatile sig_atomic_t terminationRequested = 0;
int terminationFd = -1;
bool xErrorSeen = false;

namespace {

int terminationWriteFd = -1;
// Set once the program is a saver: from then on a termination signal ends it on the spot.
volatile sig_atomic_t leaveAtOnce = 0;

void onTerminationSignal(int) {
  // A saver keeps nothing that needs flushing or undoing by hand: the X server destroys its
  // windows and releases its grabs with the connection, and GL state dies with the process. So
  // a frame being drawn, which may take seconds on a large screen, is abandoned rather than
  // finished and shown.
  if (leaveAtOnce) _exit(0);
  terminationRequested = 1;
  // Wakes a wait that began just before the flag was set; a full pipe already does that.
  if (terminationWriteFd >= 0) {
    const int savedErrno = errno;
    ssize_t ignored = write(terminationWriteFd, "x", 1);
    (void)ignored;
    errno = savedErrno;
  }
}

// Caught whatever was inherited: a saver started in the background by a script finds SIGINT
// ignored, and a parent may have left either blocked.
void installTerminationHandlers() {
  int fds[2];
  if (pipe(fds) == 0) {
    for (int fd : fds) {
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    terminationFd = fds[0];
    terminationWriteFd = fds[1];
  }
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocking call returns so the flag is seen soon
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigset_t termination;
  sigemptyset(&termination);
  sigaddset(&termination, SIGTERM);
  sigaddset(&termination, SIGINT);
  sigprocmask(SIG_UNBLOCK, &termination, nullptr);
}

int onXError(Display*, XErrorEvent*) {
  xErrorSeen = true;
  return 0;
}

// The connection is gone (server ended or killed): nothing left to clean up through it.
int onXIOError(Display*) {
  static const char message[] = "marvolet: lost the connection to the X server\n";
  ssize_t ignored = write(STDERR_FILENO, message, sizeof message - 1);
  (void)ignored;
  _exit(1);
}

}  // namespace
}  // namespace marvolet

int main(int argc, char** argv) {
  using namespace marvolet;
  installTerminationHandlers();
  const HackOptions options =
      withScreensaverWindow(parseHackArguments(argc, const_cast<const char* const*>(argv)),
                            std::getenv("XSCREENSAVER_WINDOW"));
  if (options.help) {
    std::fputs(hackUsage().c_str(), stdout);
    return 0;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "marvolet: %s\n%s", options.error.c_str(), hackUsage().c_str());
    return 1;
  }
  if (options.watchIdleSeconds != 0) {
#ifdef MARVOLET_WITH_WAYLAND
    // MARVOLET_IDLE_SAVER: another program in the saver's place, for tests.
    const char* saver = std::getenv("MARVOLET_IDLE_SAVER");
    return runIdleWatch(options.watchIdleSeconds, saver != nullptr ? saver : "",
                        idleSaverArguments(options.runFlags));
#else
    std::fputs("marvolet: this build has no Wayland saver, so -watch-idle cannot run\n", stderr);
    return 1;
#endif
  }
  if (options.idleWatchEntry != 0) {
    std::string message;
    const int status = options.idleWatchEntry > 0
                           ? enableIdleWatch(options.idleWatchEntrySeconds, options.runFlags,
                                             systemFileWriteCalls(), &message)
                           : disableIdleWatch(systemFileWriteCalls(), &message);
    std::fprintf(status == 0 ? stdout : stderr, "marvolet: %s\n", message.c_str());
    return status;
  }
  if (options.xscreensaverList != 0) {
    // xscreensaver finds the file through HOME, so the same is edited here.
    const char* home = std::getenv("HOME");
    std::string message;
    const int status = editXscreensaverFile(options.xscreensaverList > 0, home ? home : "",
                                            xscreensaverDefaultsPaths(), &message);
    std::fprintf(status == 0 ? stdout : stderr, "marvolet: %s\n", message.c_str());
    return status;
  }

  const bool dialog = options.mode == HackMode::Unset || options.mode == HackMode::Config;
  if (!dialog) {
    // The dialog instead ends as Cancel does, at its next look, never half-way through a save.
    leaveAtOnce = 1;
    if (terminationRequested) return 0;
  }

  FileSettingsStore store(defaultSettingsPath());
  SaverSettings settings;
  settings.loadSharedValues(store);
  settings.loadOptions(store);
  // Passwords belong to the screen locker on X11; like a Windows system without the
  // password service, the mode ends without showing anything.
  if (options.mode == HackMode::ChangePassword) return 0;
  // Read once, for whichever window system draws: the stored options stay as the dialog
  // shows them, the saver runs with this run's flags over them.
  SessionOptions sessionOptions = sessionOptionsFromEnvironment(
      std::getenv("MARVOLET_DRAW_PATH"), std::getenv("MARVOLET_FRAME_DELAY_MS"));
  if (!dialog) {
    for (const std::string& note : applyOverrides(options, settings)) {
      std::fprintf(stderr, "marvolet: %s\n", note.c_str());
    }
    // Read once: a file changed while the saver runs shows at its next start.
    std::vector<std::string> notes;
    sessionOptions.content =
        std::make_shared<const SceneContent>(readSceneContent(contentSourcesOf(settings), &notes));
    for (const std::string& note : notes) std::fprintf(stderr, "marvolet: %s\n", note.c_str());
  }
  if (chooseWindowSystem(options, std::getenv("WAYLAND_DISPLAY"), std::getenv("WAYLAND_SOCKET")) ==
      WindowSystem::Wayland) {
#ifdef MARVOLET_WITH_WAYLAND
    // Read before connecting, which takes WAYLAND_SOCKET out of the environment.
    const WaylandHosting hosting = waylandHostingFrom(std::getenv("WAYLAND_SOCKET"),
                                                      std::getenv("SWAYLOCK_PLUGIN_OUTPUT_NAME"));
    return runWaylandSaver(options, settings, sessionOptions, hosting,
                           std::getenv("MARVOLET_WAYLAND_READBACK"));
#else
    // Asked for by name it is missing; chosen by the environment, XWayland serves instead.
    if (options.windowSystem == WindowSystem::Wayland) {
      std::fputs("marvolet: this build has no Wayland saver; -x11 runs it through X11\n", stderr);
      return 1;
    }
#endif
  }

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "marvolet: cannot open the X display \"%s\"\n", XDisplayName(nullptr));
    return 1;
  }
  XSetErrorHandler(onXError);
  XSetIOErrorHandler(onXIOError);

  int exitCode = 0;
  if (dialog) {
    runX11ConfigDialog(display, settings, store);
  } else {
    exitCode = runX11Saver(display, options, settings, sessionOptions);
  }
  XCloseDisplay(display);
  return exitCode;
}
