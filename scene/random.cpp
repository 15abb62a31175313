// Linear congruential generator with the Microsoft C runtime's constants and 15-bit output.
#include "scene/random.h"

namespace marvolet {

int32_t Random::nextInt() {
  state_ = state_ * 214013u + 2531011u;
  return static_cast<int32_t>((state_ >> 16) & 0x7FFFu);
}

float Random::nextUnit() {
  return static_cast<float>(nextInt()) * 0.00003051851f;
}

}  // namespace marvolet
