// Parsing of the X11 saver's arguments; the Windows switches go through the Windows parser.
#include "host/linux/linux_command_line.h"

#include <cstdlib>
#include <cstring>

#include "host/command_line.h"

namespace marvolet {
namespace {

bool isDecimal(const char* text) {
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

// Whole seconds from 1 to kMaxIdleSeconds, decimal.
bool parseIdleSeconds(const char* text, uint32_t* seconds) {
  if (text == nullptr || !isDecimal(text) || std::strlen(text) > 6) return false;
  const unsigned long value = std::strtoul(text, nullptr, 10);
  if (value < 1 || value > kMaxIdleSeconds) return false;
  *seconds = static_cast<uint32_t>(value);
  return true;
}

char lowered(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// "/s", "-S", "/c:1234", "-p": a letter the Windows saver knows, alone or followed by ':' (or,
// after '/', anything the Windows parser skips). Longer dash options are ours.
bool isWindowsSwitch(const char* arg) {
  if (arg[0] != '/' && arg[0] != '-') return false;
  if (std::strchr("scpla", lowered(arg[1])) == nullptr || arg[1] == '\0') return false;
  return arg[0] == '/' || arg[2] == '\0' || arg[2] == ':';
}

}  // namespace

bool parseWindowId(const char* text, uint32_t* id) {
  if (text == nullptr) return false;
  uint64_t value = 0;
  const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digit = hex ? text + 2 : text;
  if (*digit == '\0') return false;
  for (; *digit != '\0'; ++digit) {
    const char c = lowered(*digit);
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    if (hex && c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (v < 0) return false;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(v);
    if (value > UINT32_MAX) return false;
  }
  if (value == 0) return false;
  *id = static_cast<uint32_t>(value);
  return true;
}

HackOptions parseHackArguments(int argc, const char* const argv[]) {
  HackOptions options;
  for (int i = 1; i < argc && options.error.empty(); ++i) {
    const char* arg = argv[i];
    // GNU-style doubled dashes are accepted for every long option.
    const char* name = (arg[0] == '-' && arg[1] == '-' && arg[2] != '\0') ? arg + 1 : arg;
    const int taken = matchOptionFlag(saverOptionTable(), name, i, argc, argv, &options.overrides,
                                      &options.error);
    if (taken > 0) {
      options.runFlags.insert(options.runFlags.end(), argv + i, argv + i + taken);
      i += taken - 1;
      continue;
    }
    if (std::strcmp(name, "-fps") == 0) {
      options.showFps = true;
      options.runFlags.push_back(arg);
    } else if (std::strcmp(name, "-window") == 0) {
      options.mode = HackMode::Window;
    } else if (std::strcmp(name, "-x11") == 0) {
      options.windowSystem = WindowSystem::X11;
    } else if (std::strcmp(name, "-wayland") == 0) {
      options.windowSystem = WindowSystem::Wayland;
    } else if (std::strcmp(name, "-root") == 0) {
      options.mode = HackMode::Root;
    } else if (std::strcmp(name, "-config") == 0) {
      options.mode = HackMode::Config;
    } else if (std::strcmp(name, "-window-id") == 0 || std::strncmp(name, "-window-id=", 11) == 0) {
      const char* value = name[10] == '=' ? name + 11 : (i + 1 < argc ? argv[++i] : nullptr);
      options.mode = HackMode::WindowId;
      if (!parseWindowId(value, &options.windowId)) {
        options.error = std::string("-window-id needs a window number, not \"") +
                        (value != nullptr ? value : "") + "\"";
      }
    } else if (std::strcmp(name, "-add-to-xscreensaver") == 0) {
      options.xscreensaverList = 1;
    } else if (std::strcmp(name, "-remove-from-xscreensaver") == 0) {
      options.xscreensaverList = -1;
    } else if (std::strcmp(name, "-watch-idle") == 0) {
      const char* value = i + 1 < argc ? argv[++i] : nullptr;
      if (!parseIdleSeconds(value, &options.watchIdleSeconds)) {
        options.error = "-watch-idle needs the idle time in seconds, 1 to " +
                        std::to_string(kMaxIdleSeconds) + ", not \"" +
                        (value != nullptr ? value : "") + "\"";
      }
    } else if (std::strcmp(name, "-enable-idle-watch") == 0) {
      options.idleWatchEntry = 1;
      // The seconds are optional: a number right after it is theirs.
      if (i + 1 < argc && isDecimal(argv[i + 1]) &&
          !parseIdleSeconds(argv[++i], &options.idleWatchEntrySeconds)) {
        options.error = "-enable-idle-watch takes the idle time in seconds, 1 to " +
                        std::to_string(kMaxIdleSeconds) + ", not \"" + argv[i] + "\"";
      }
    } else if (std::strcmp(name, "-disable-idle-watch") == 0) {
      options.idleWatchEntry = -1;
    } else if (std::strcmp(name, "-help") == 0 || std::strcmp(name, "-h") == 0) {
      options.help = true;
    } else if (isWindowsSwitch(arg)) {
      // "/p 1234": the number may come as the next argument, as it does on Windows.
      std::string line = std::string("marvolet ") + arg;
      const bool takesNumber = std::strchr("cpla", lowered(arg[1])) != nullptr;
      if (takesNumber && arg[2] == '\0' && i + 1 < argc && isDecimal(argv[i + 1])) {
        line += std::string(" ") + argv[++i];
      }
      const CommandLine parsed = parseCommandLine(line.c_str());
      if (parsed.mode == Saver) {
        options.mode = HackMode::FullScreen;
      } else if (parsed.mode == Config) {
        options.mode = HackMode::Config;
      } else if (parsed.mode == ChangePassword) {
        options.mode = HackMode::ChangePassword;
      } else {
        options.mode = HackMode::WindowId;
        options.windowId = static_cast<uint32_t>(parsed.window);
        if (options.windowId == 0) options.error = std::string(arg) + " needs a window number";
      }
    } else {
      options.error = std::string("unknown option \"") + arg + "\"";
    }
  }
  return options;
}

HackOptions withScreensaverWindow(HackOptions options, const char* environmentValue) {
  if (options.mode != HackMode::Unset && options.mode != HackMode::Root) return options;
  if (environmentValue == nullptr || environmentValue[0] == '\0') return options;
  uint32_t window = 0;
  if (!parseWindowId(environmentValue, &window)) {
    // Drawing on the root window instead would put the picture where nobody asked for it.
    if (options.error.empty()) {
      options.error = std::string("XSCREENSAVER_WINDOW is \"") + environmentValue +
                      "\", which is no window number";
    }
    return options;
  }
  options.mode = HackMode::WindowId;
  options.windowId = window;
  options.screensaverWindow = true;
  return options;
}

bool fillsScreen(const HackOptions& options) {
  return options.mode == HackMode::FullScreen || options.mode == HackMode::Root ||
         (options.mode == HackMode::WindowId && options.screensaverWindow);
}

WindowSystem chooseWindowSystem(const HackOptions& options, const char* waylandDisplay,
                                const char* waylandSocket) {
  if (options.mode != HackMode::FullScreen && options.mode != HackMode::Window) {
    return WindowSystem::X11;
  }
  if (options.windowSystem != WindowSystem::Automatic) return options.windowSystem;
  const auto set = [](const char* value) { return value != nullptr && *value != '\0'; };
  return set(waylandDisplay) || set(waylandSocket) ? WindowSystem::Wayland : WindowSystem::X11;
}

std::vector<std::string> applyOverrides(const HackOptions& options, SaverSettings& settings) {
  std::vector<std::string> notes = applyOptionOverrides(options.overrides, settings.options);
  settings.feedHostFields();
  return notes;
}

std::string hackUsage() {
  return "usage: marvolet [mode] [options]\n"
         "modes:\n"
         "  -s, /s             full screen; any key, click or mouse movement ends it\n"
         "  -window            in an ordinary window (Escape ends it)\n"
         "  -root              in the root window, or in $XSCREENSAVER_WINDOW when set\n"
         "  -window-id ID      in an existing window (decimal or 0x hex)\n"
         "  -config, /c        the settings dialog (also with no mode at all)\n"
         "options, for this run only:\n" +
         optionUsage(saverOptionTable()) +
         "  -fps                               show the frame rate\n"
         "window system (full screen and -window; otherwise X11):\n"
         "  -wayland, -x11                     Wayland or X11 (default: Wayland when\n"
         "                                     WAYLAND_DISPLAY is set)\n"
         "started by idle on Wayland (KDE Plasma 6, GNOME, sway 1.8 and later, Hyprland):\n"
         "  -watch-idle SECONDS                stay running; start the saver (-s, with this\n"
         "                                     run's options) after SECONDS of idle, end it\n"
         "                                     on activity\n"
         "  -enable-idle-watch [SECONDS]       start -watch-idle (default 300) at each login,\n"
         "                                     from ~/.config/autostart\n"
         "  -disable-idle-watch                remove that autostart entry\n"
         "xscreensaver's list of programs in ~/.xscreensaver (then exit):\n"
         "  -add-to-xscreensaver               add Marvolet to it\n"
         "  -remove-from-xscreensaver          take Marvolet out of it\n";
}

}  // namespace marvolet
