// The one random generator of the saver: the C runtime's classic 15-bit generator, reproduced
// so that every platform draws the same sequence as the Windows program does.
#pragma once

#include <cstdint>

namespace marvolet {

class Random {
 public:
  // 1 is the runtime's state before any seed.
  explicit Random(uint32_t seed = 1) : state_(seed) {}

  // 0 to 32767, the next value of the sequence.
  int32_t nextInt();
  // nextInt() scaled into [0, 1] in single precision.
  float nextUnit();

 private:
  uint32_t state_;
};

}  // namespace marvolet
