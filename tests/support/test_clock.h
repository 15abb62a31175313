// A millisecond counter the test sets by hand, installed for the lifetime of the object.
#pragma once

#include <cstdint>

namespace marvolet::testing {

class ScopedTestClock {
 public:
  explicit ScopedTestClock(uint32_t startMs = 0);
  ~ScopedTestClock();
  ScopedTestClock(const ScopedTestClock&) = delete;
  ScopedTestClock& operator=(const ScopedTestClock&) = delete;

  void set(uint32_t ms);
  void advance(uint32_t ms);  // wraps modulo 2^32, like the real counter
  uint32_t now() const;
};

}  // namespace marvolet::testing
