// Windows millisecond counter (the multimedia timer).
#include <windows.h>

// After <windows.h>, whose types it uses.
#include <mmsystem.h>

#include "platform/clock.h"

namespace marvolet::platform {

uint32_t systemMilliseconds() {
  return timeGetTime();
}

}  // namespace marvolet::platform
