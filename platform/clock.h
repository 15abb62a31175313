// The millisecond counter the frame clock reads: timeGetTime on Windows, a monotonic clock
// elsewhere. Tests replace the source to control time exactly.
#pragma once

#include <cstdint>

namespace marvolet::platform {

// Milliseconds from an arbitrary origin, wrapping modulo 2^32 like timeGetTime.
uint32_t milliseconds();

using MillisecondSource = uint32_t (*)();

// Routes milliseconds() to `source`; null restores the system clock.
void setMillisecondSource(MillisecondSource source);

// The system clock itself, whatever source is installed.
uint32_t systemMilliseconds();

// Calendar time in seconds since 1970, the random seed's source; replaceable like the counter
// so that tests and tools can reproduce a run.
int64_t calendarSeconds();
using CalendarSource = int64_t (*)();
void setCalendarSource(CalendarSource source);

}  // namespace marvolet::platform
