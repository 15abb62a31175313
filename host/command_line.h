// Reads the screen-saver switch from the whole process command line into a mode and a window.
#pragma once

#include <cstddef>
#include <cstdint>

namespace marvolet {

// The mode the platform asked for; fixed once the command line is parsed.
enum SaverMode : int32_t {
  NoMode = 0,  // unrecognised switch: nothing runs
  Config = 1,
  ChangePassword = 2,
  Preview = 3,
  Saver = 4,
};

struct CommandLine {
  SaverMode mode = NoMode;
  // Parent (Preview) or owner (Config, ChangePassword) window as the platform wrote it: a
  // 32-bit number, not validated. 0 when the switch carries none.
  int32_t window = 0;
  // A bare C switch: the owner is the current foreground window, which only the caller can ask
  // the platform for.
  bool useForegroundWindow = false;
};

// Parses `length` bytes of a command line, program name included. A NUL byte ends the line
// early, as it would for the platform's own string; no byte at or past `length` is read.
CommandLine parseCommandLine(const char* text, size_t length);

// The same over a NUL-terminated string.
CommandLine parseCommandLine(const char* text);

}  // namespace marvolet
