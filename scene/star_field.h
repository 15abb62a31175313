// The star field: three layers of points flying at the viewer, faded in by fog.
#pragma once

#include <cstdint>

#include "scene/random.h"

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

// Whether a star after its move must start again at the far depth: it passed the camera plane
// (z > 0) or its position (wx, wy), in pixels from the viewport's bottom-left corner, is more
// than a drawing area's size outside the drawing area (width, height in pixels). All
// comparisons are strict.
bool starNeedsRebirth(float z, double wx, double wy, int32_t width, int32_t height);

// All stars at zero until start(). width and height are the renderer's drawing area in pixels
// (not the viewport, which is smaller during the glow capture); the GL matrices and viewport are
// read where the stars are placed and moved.
class StarField {
 public:
  // The frame rate the warm-up flies at, frames per second.
  static constexpr float WarmUpFps = 20.0f;

  // Places every star at random in the view without the camera, then flies the field 200
  // frames at WarmUpFps, so the first frame shows a field in flight rather than a fresh cloud.
  // Rebirths then draw from the field's own generator, seeded from `random`'s state without
  // moving it, so that how many stars were reborn by a moment never shifts the scene's draws.
  void start(Random& random, int32_t width, int32_t height);
  // The flight over `seconds` of animation: a near star crosses the 730-unit depth in 4
  // seconds, a far one in 32. A star that leaves the view is reborn at the far depth, carried
  // on by the part of the flight left after it left, and stars reborn in one flight draw their
  // places in the order they left: at any frame rate the field is the same at the same moment.
  void move(double seconds, int32_t width, int32_t height);
  // The three layers as fogged points; leaves the state the verse rings expect.
  void draw() const;

  Star warm[WarmStarCount] = {};
  Star cool[CoolStarCount] = {};
  Star far[FarStarCount] = {};
  // Each star's depth as the flight adds it up, which its z rounds: a thousand small steps at a
  // high frame rate then come where a hundred large ones do. A z changed from outside is taken.
  double warmDepth[WarmStarCount] = {};
  double coolDepth[CoolStarCount] = {};
  double farDepth[FarStarCount] = {};
  Random rebirths;  // the field's own generator, for the places of reborn stars
};

}  // namespace marvolet
