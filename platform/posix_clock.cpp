// POSIX millisecond counter.
#include <time.h>

#include "platform/clock.h"

namespace marvolet::platform {

uint32_t systemMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  // Truncation to 32 bits is the point: callers expect timeGetTime's wrap.
  uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

}  // namespace marvolet::platform
