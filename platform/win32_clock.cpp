// Windows millisecond counter (the multimedia timer) and sleep.
#include <mmsystem.h>
#include <windows.h>

#include "platform/clock.h"

namespace marvolet::platform {

uint32_t systemMilliseconds() {
  return timeGetTime();
}

void sleepMilliseconds(uint32_t ms) {
  Sleep(ms);
}

}  // namespace marvolet::platform
