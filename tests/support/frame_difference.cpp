// Frame comparison for the draw-path and configuration tests.
#include "frame_difference.h"

#include <algorithm>
#include <cstdlib>

namespace marvolet::testing {

Difference compare(const Pixels& a, const Pixels& b) {
  Difference d;
  if (a.size() != b.size() || a.empty()) {
    d.largest = 255;
    return d;
  }
  double sum = 0;
  size_t close = 0;
  for (size_t i = 0; i < a.size(); i += 3) {
    int worst = 0;
    for (size_t c = 0; c < 3; ++c) {
      const int delta = std::abs(a[i + c] - b[i + c]);
      sum += delta;
      worst = std::max(worst, delta);
    }
    close += worst <= 3;
    d.largest = std::max(d.largest, worst);
  }
  d.mean = sum / static_cast<double>(a.size());
  d.withinThree = static_cast<double>(close) / static_cast<double>(a.size() / 3);
  return d;
}

bool samePicture(const Difference& d) {
  return d.mean <= 0.5 && d.withinThree >= 0.99 && d.largest <= 16;
}

std::string describe(const Difference& d) {
  return "mean " + std::to_string(d.mean) + ", within 3: " + std::to_string(d.withinThree) +
         ", largest " + std::to_string(d.largest);
}

}  // namespace marvolet::testing
