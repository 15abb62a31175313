// Where the burn-in guard places the picture at a moment: a slow walk inside a small box.
#pragma once

#include <cstdint>

namespace marvolet {

// Seconds for one full sweep of each axis, out and back on both sides. Ten minutes or more so
// that nobody sees the motion; periods with no small common multiple so that the path does not
// retrace itself for days.
constexpr double BurnInPeriodX = 647.0;
constexpr double BurnInPeriodY = 769.0;

struct DriftOffset {
  int32_t x = 0;  // pixels to the right
  int32_t y = 0;  // pixels up
};

// The farthest the picture moves from its place along either axis: 1.5% of `height` (pixels),
// rounded down, so heights under 67 pixels never move.
int32_t burnInReach(int32_t height);

// The offset at `seconds` (the renderer's clock) for a picture `height` pixels high. Each axis
// walks a triangle wave from 0 out to +reach, across to -reach and back at constant speed, in
// whole pixels, so every position, the ends included, is held for the same time (period / 4 /
// reach) and consecutive frames differ by at most a pixel per axis. (0, 0) at 0 seconds.
DriftOffset burnInDrift(double seconds, int32_t height);

}  // namespace marvolet
