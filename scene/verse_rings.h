// The sixty rings of verse scrolling over the near side of the sphere.
#pragma once

#include <cstdint>

namespace marvolet {

struct TextRing {
  float offset;       // how far the first character has scrolled past its start, ring units
  int32_t charIndex;  // verse index of the ring's first (leftmost) character
  float speed;        // ring units per second, before the textspeed factor
};

constexpr int32_t TextRingCount = 60;
extern TextRing textRings[TextRingCount];
// Renderer seconds at the previous drawing of the rings (double, like the clock it follows).
extern double previousTime;

// Both back to their start-up values: zero rings, previousTime 0.
void resetTextRings();

// Ring geometry, in radians: the latitude of ring n and the longitude of ring position x.
float ringLatitude(int32_t ring);
float ringLongitude(float x);

// A point of the sphere, before the textdistance scale: sphere units, x to the right.
struct RingPoint {
  float x, y, z;
};
RingPoint ringPoint(float latitude, float longitude);

// Depth fade of a glyph at sphere depth z: the colour factor E squared, 1 without light effects.
float ringBrightness(float z, bool lightEffects);

}  // namespace marvolet
