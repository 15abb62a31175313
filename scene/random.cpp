// Linear congruential generator with the Microsoft C runtime's constants and 15-bit output.
#include "scene/random.h"

namespace marvolet {

namespace {
uint32_t randomState = 1;  // the runtime's value before any seed
}

void seedRandom(uint32_t seed) {
  randomState = seed;
}

int32_t randomInt() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 0x7FFFu);
}

float randomUnit() {
  return static_cast<float>(randomInt()) * 0.00003051851f;
}

}  // namespace marvolet
