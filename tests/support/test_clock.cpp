// The hand-set millisecond counter behind ScopedTestClock.
#include "test_clock.h"

#include "platform/clock.h"

namespace marvolet::testing {

namespace {
uint32_t testNow = 0;
uint32_t readTestClock() {
  return testNow;
}
}  // namespace

ScopedTestClock::ScopedTestClock(uint32_t startMs) {
  testNow = startMs;
  platform::setMillisecondSource(&readTestClock);
}

ScopedTestClock::~ScopedTestClock() {
  platform::setMillisecondSource(nullptr);
}

void ScopedTestClock::set(uint32_t ms) {
  testNow = ms;
}
void ScopedTestClock::advance(uint32_t ms) {
  testNow += ms;
}
uint32_t ScopedTestClock::now() const {
  return testNow;
}

}  // namespace marvolet::testing
