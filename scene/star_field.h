// The star field: three layers of points flying at the viewer, faded in by fog.
#pragma once

#include <cstdint>

namespace marvolet {

// One point in the GL_C3F_V3F interleaved layout: colour, then position in world units.
struct Star {
  float red, green, blue;
  float x, y, z;
};
static_assert(sizeof(Star) == 24, "stars are drawn straight from the array");

constexpr int32_t WarmStarCount = 32;
constexpr int32_t CoolStarCount = 64;
constexpr int32_t FarStarCount = 128;

extern Star warmStars[WarmStarCount];
extern Star coolStars[CoolStarCount];
extern Star farStars[FarStarCount];

// Back to all zeros, as at program start.
void resetStarField();

// Whether a star after its move must start again at the far depth: it passed the camera plane
// (z > 0) or its window position (wx, wy) is more than a window's size outside the window
// (width, height in pixels). All comparisons are strict.
bool starNeedsRebirth(float z, double wx, double wy, int32_t width, int32_t height);

}  // namespace marvolet
