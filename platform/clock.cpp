// Dispatch of the millisecond counter to the system clock or a test's replacement.
#include "platform/clock.h"

#include <ctime>

namespace marvolet::platform {

namespace {
// Process-wide on purpose, and the only such state besides the GL lookup's: a source is a plain
// function pointer that the portable code reaches from anywhere it reads the time, and that tests
// and tools install before any renderer exists.
MillisecondSource installedSource = nullptr;
CalendarSource installedCalendar = nullptr;
}  // namespace

uint32_t milliseconds() {
  return installedSource ? installedSource() : systemMilliseconds();
}

void setMillisecondSource(MillisecondSource source) {
  installedSource = source;
}

int64_t calendarSeconds() {
  return installedCalendar ? installedCalendar() : static_cast<int64_t>(std::time(nullptr));
}

void setCalendarSource(CalendarSource source) {
  installedCalendar = source;
}

}  // namespace marvolet::platform
