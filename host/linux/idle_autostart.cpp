// Writing and removing the idle watcher's autostart entry in the user's configuration folder.
#include "host/linux/idle_autostart.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace marvolet {
namespace {

constexpr const char* kEntryName = "marvolet-idle-watch.desktop";

// One Exec argument: quoted when it holds a reserved character, and then with the escapes the
// Exec rules ask for inside quotes; '%' doubled, since a lone one starts a field code. The
// value's own string escape turns each backslash into two.
bool appendExecArgument(const std::string& argument, std::string* exec) {
  static const char kReserved[] = " \t\"'\\><~|&;$*?#()`";
  bool quote = argument.empty();
  for (char c : argument) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    if (std::strchr(kReserved, c) != nullptr) quote = true;
  }
  std::string word;
  for (char c : argument) {
    if (c == '%') {
      word += "%%";
    } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
      word += '\\';
      word += c;
    } else {
      word += c;
    }
  }
  if (quote) word = "\"" + word + "\"";
  std::string escaped;
  for (char c : word) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  if (!exec->empty()) *exec += ' ';
  *exec += escaped;
  return true;
}

std::string programPath() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace

std::string idleWatchEntryPath(const char* configHome, const char* home) {
  if (configHome != nullptr && configHome[0] == '/') {
    return std::string(configHome) + "/autostart/" + kEntryName;
  }
  if (home == nullptr || home[0] != '/') return std::string();
  return std::string(home) + "/.config/autostart/" + kEntryName;
}

std::string idleWatchEntryText(const std::string& program, uint32_t seconds,
                               const std::vector<std::string>& flags) {
  std::string exec;
  bool fits = appendExecArgument(program, &exec);
  fits = fits && appendExecArgument("-watch-idle", &exec);
  fits = fits && appendExecArgument(std::to_string(seconds), &exec);
  for (const std::string& flag : flags) fits = fits && appendExecArgument(flag, &exec);
  if (!fits) return std::string();
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Marvolet idle watch\n"
         "Comment=Starts the Marvolet screen saver after " +
         std::to_string(seconds) +
         " seconds of idle in a Wayland session\n"
         "Exec=" +
         exec +
         "\n"
         "NoDisplay=true\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

int editIdleWatchEntry(bool enable, const std::string& path, const std::string& program,
                       uint32_t seconds, const std::vector<std::string>& flags,
                       const FileWriteCalls& calls, std::string* message) {
  if (path.empty()) {
    *message = "no home folder is known (HOME is not set), so there is no autostart folder";
    return 1;
  }
  if (calls.user() == 0) {
    *message =
        "an autostart entry belongs to the user who logs in, and root's is never used; "
        "run this as that user";
    return 1;
  }
  const std::string problem = replacementProblem(calls.user(), path);
  if (!problem.empty()) {
    *message = problem;
    return 1;
  }
  struct stat info {};
  const bool exists = lstat(path.c_str(), &info) == 0;
  if (!enable) {
    if (!exists) {
      *message = "there is no " + path + ", so nothing starts the idle watch; nothing changed";
      return 0;
    }
    if (unlink(path.c_str()) != 0) {
      *message = path + " cannot be removed: " + std::strerror(errno);
      return 1;
    }
    *message = "removed " + path + "; the idle watch no longer starts at login";
    return 0;
  }
  if (program.empty() || program[0] != '/') {
    *message = "this program's own path cannot be found, so no entry was written";
    return 1;
  }
  const std::string text = idleWatchEntryText(program, seconds, flags);
  if (text.empty()) {
    *message =
        "an option holds a line break or a control character, which an autostart entry "
        "cannot carry; nothing was written";
    return 1;
  }
  std::string failure;
  if (!makeParentFolders(path, &failure) || !replaceFileAtomically(calls, path, text, &failure)) {
    *message = path + " was not written: " + failure;
    return 1;
  }
  *message = "wrote " + path + ": from the next login, the saver starts after " +
             std::to_string(seconds) +
             " seconds of idle in a Wayland session that has idle notifications; "
             "\"marvolet -disable-idle-watch\" removes it";
  return 0;
}

int enableIdleWatch(uint32_t seconds, const std::vector<std::string>& flags,
                    const FileWriteCalls& calls, std::string* message) {
  return editIdleWatchEntry(true,
                            idleWatchEntryPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
                            programPath(), seconds, flags, calls, message);
}

int disableIdleWatch(const FileWriteCalls& calls, std::string* message) {
  return editIdleWatchEntry(false,
                            idleWatchEntryPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
                            std::string(), 0, {}, calls, message);
}

}  // namespace marvolet
