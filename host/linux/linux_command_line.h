// The X11 saver's command line: xscreensaver-style options beside the Windows switches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/option_table.h"
#include "host/saver_settings.h"

namespace marvolet {

enum class HackMode {
  Unset,           // no mode given: the configuration dialog, as a bare Windows saver does
  Config,          // -config, /c, -c
  FullScreen,      // /s, -s: cover the screen, close on input
  Window,          // -window: an ordinary window for trying it out
  Root,            // -root: the (virtual) root window, or XSCREENSAVER_WINDOW when set
  WindowId,        // -window-id ID, /p ID: draw into an existing window
  ChangePassword,  // /a: the screen locker's job on X11, so nothing runs
};

// Which window system shows the saver; Automatic decides by the environment.
enum class WindowSystem { Automatic, X11, Wayland };

struct HackOptions {
  HackMode mode = HackMode::Unset;
  uint32_t windowId = 0;  // the X window to draw into, WindowId mode only
  // Overrides of the stored options for this run, from the option table's flags, in the order
  // given; a row not named keeps its stored value.
  std::vector<OptionOverride> overrides;
  bool showFps = false;  // -fps: the frame-rate text from the first frame
  WindowSystem windowSystem = WindowSystem::Automatic;  // -x11, -wayland
  // -add-to-xscreensaver (1) or -remove-from-xscreensaver (-1): edit ~/.xscreensaver and exit.
  int xscreensaverList = 0;
  // -watch-idle SECONDS: stay resident and start the saver after that much idle; 0 for none.
  uint32_t watchIdleSeconds = 0;
  // -enable-idle-watch [SECONDS] (1) or -disable-idle-watch (-1): write or remove the user's
  // autostart entry for the watcher, then exit. The entry's idle time, seconds.
  int idleWatchEntry = 0;
  uint32_t idleWatchEntrySeconds = 300;
  // This run's option flags as given (the option table's and -fps), for the saver the watcher
  // starts.
  std::vector<std::string> runFlags;
  bool help = false;
  bool screensaverWindow = false;  // the window came from XSCREENSAVER_WINDOW
  std::string error;  // set when an argument was not understood; nothing should run then
};

// The longest idle time -watch-idle and -enable-idle-watch take, seconds (a day).
constexpr uint32_t kMaxIdleSeconds = 86400;

// Parses argv[1..argc-1]. A later mode option replaces an earlier one.
HackOptions parseHackArguments(int argc, const char* const argv[]);

// An X window id, decimal or 0x-prefixed hex, non-zero and at most 32 bits.
bool parseWindowId(const char* text, uint32_t* id);

// xscreensaver hands its window over in XSCREENSAVER_WINDOW (`environmentValue`, may be null)
// and runs hacks with -root or with no mode at all; either then draws into that window. There,
// a value that is no window id sets `error`; an empty one counts as none.
HackOptions withScreensaverWindow(HackOptions options, const char* environmentValue);

// The overrides written into the options for this run only (nothing is saved); words that do
// not fit a row (a number out of range, say) give that row its default, and a sentence saying
// so is returned for each, for standard error.
std::vector<std::string> applyOverrides(const HackOptions& options, SaverSettings& settings);

// Whether the picture fills a screen, where the burn-in guard belongs: full screen, the root
// window and the screen saver daemon's window; not -window nor someone else's -window-id.
bool fillsScreen(const HackOptions& options);

// X11 or Wayland for this run. The dialog and the modes that name an X window (-root,
// -window-id, XSCREENSAVER_WINDOW) are X11's; otherwise -x11 or -wayland decides, else Wayland
// when `waylandDisplay` (WAYLAND_DISPLAY) or `waylandSocket` (WAYLAND_SOCKET, a connection a
// screen locker hands over) is set and not empty, else X11. Either may be null.
WindowSystem chooseWindowSystem(const HackOptions& options, const char* waylandDisplay,
                                const char* waylandSocket = nullptr);

// One line per mode and option, for -help and for errors.
std::string hackUsage();

}  // namespace marvolet
