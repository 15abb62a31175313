// Preloaded into the X11 saver by x11_pause.sh: moves its monotonic clock forward by the seconds
// written in a file, as an hour dark or a night suspended would, without waiting for them.
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace {

using ClockFunction = int (*)(clockid_t, timespec*);

int shiftFd = -2;  // -2: not opened yet; -1: no file named, no shift
long shiftSeconds = 0;

// The file holds a whole number of seconds; it is read at every call, so a rewrite takes
// effect at the saver's next reading.
long currentShift() {
  if (shiftFd == -2) {
    const char* path = std::getenv("MARVOLET_CLOCK_SHIFT_FILE");
    shiftFd = path != nullptr ? open(path, O_RDONLY | O_CLOEXEC) : -1;
  }
  if (shiftFd < 0) return 0;
  char text[24] = {};
  if (pread(shiftFd, text, sizeof text - 1, 0) > 0) shiftSeconds = std::strtol(text, nullptr, 10);
  return shiftSeconds;
}

}  // namespace

extern "C" int clock_gettime(clockid_t clock, timespec* time) {
  static const auto next = reinterpret_cast<ClockFunction>(dlsym(RTLD_NEXT, "clock_gettime"));
  const int result = next(clock, time);
  if (result == 0 && clock == CLOCK_MONOTONIC) time->tv_sec += currentShift();
  return result;
}
