// The user's XDG autostart entry that starts the idle watcher at each login.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/linux/linux_settings_file.h"

namespace marvolet {

// Where the entry goes: `configHome`/autostart/marvolet-idle-watch.desktop when `configHome`
// (XDG_CONFIG_HOME) is an absolute path, else `home`/.config/autostart/...; empty when neither
// is usable. Either may be null.
std::string idleWatchEntryPath(const char* configHome, const char* home);

// The entry that runs `program` -watch-idle `seconds` with `flags` after it, each argument
// quoted by the Desktop Entry rules where it needs to be. Empty when an argument holds a line
// break or a control character, which no Exec line can carry.
std::string idleWatchEntryText(const std::string& program, uint32_t seconds,
                               const std::vector<std::string>& flags);

// Writes (`enable`) or removes the entry at `path` for `calls.user()`: replaced atomically, never
// as root nor through a file or folder someone else owns, missing folders made with mode 0700.
// `program` is this program's absolute path. Returns the exit code (0 done or nothing to do, 1
// refused or failed) and, in *message, a sentence for the user.
int editIdleWatchEntry(bool enable, const std::string& path, const std::string& program,
                       uint32_t seconds, const std::vector<std::string>& flags,
                       const FileWriteCalls& calls, std::string* message);

// editIdleWatchEntry() for this user (XDG_CONFIG_HOME, HOME) and this program (/proc/self/exe).
int enableIdleWatch(uint32_t seconds, const std::vector<std::string>& flags,
                    const FileWriteCalls& calls, std::string* message);
int disableIdleWatch(const FileWriteCalls& calls, std::string* message);

}  // namespace marvolet
