// How far apart two frames are, and the bar a frame drawn another way must clear against its
// reference: the fast path against the literal one, a configuration against the common one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marvolet::testing {

using Pixels = std::vector<uint8_t>;  // RGB bytes, as HeadlessContext::readRgb gives them

struct Difference {
  double mean = 0;           // mean absolute difference per channel, in 1/255 steps
  double withinThree = 1.0;  // share of pixels whose channels all differ by 3 or less
  int largest = 0;           // largest difference of any channel
};

// Frames of different sizes, or empty ones, differ by 255.
Difference compare(const Pixels& a, const Pixels& b);

// Mean at most 0.5 / 255, at least 99% of pixels within 3 / 255, none beyond 16 / 255.
bool samePicture(const Difference& d);

std::string describe(const Difference& d);

}  // namespace marvolet::testing
