// Dispatch of the millisecond counter to the system clock or a test's replacement.
#include "platform/clock.h"

#include <ctime>

namespace marvolet::platform {

namespace {
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
