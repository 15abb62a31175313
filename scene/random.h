// The one random generator of the saver: the C runtime's classic 15-bit generator, reproduced
// so that every platform draws the same sequence as the Windows program does.
#pragma once

#include <cstdint>

namespace marvolet {

void seedRandom(uint32_t seed);
// 0 to 32767, the next value of the sequence.
int32_t randomInt();
// randomInt() scaled into [0, 1] in single precision.
float randomUnit();

}  // namespace marvolet
