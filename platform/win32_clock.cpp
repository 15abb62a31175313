// Windows millisecond counter (the multimedia timer) and sleep.
#include <windows.h>

// After <windows.h>, whose types it uses.
#include <mmsystem.h>

#include "platform/clock.h"

namespace marvolet::platform {

uint32_t systemMilliseconds() {
  return timeGetTime();
}

void sleepMilliseconds(uint32_t ms) {
  Sleep(ms);
}

}  // namespace marvolet::platform
