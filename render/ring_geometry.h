// Where the verse's glyphs lie: the sixty rings over the near side of the sphere, the walk
// along a ring that both drawing paths draw from, and what the rings are drawn with.
#pragma once

#include <cstdint>

#include "assets/bitmap_font.h"

namespace marvolet {

struct TextRing {
  float offset;       // how far the first character has scrolled past its start, ring units
  int32_t charIndex;  // verse index of the ring's first (leftmost) character
  float speed;        // ring units per second, before the textspeed factor
};

constexpr int32_t TextRingCount = 60;
constexpr float RingEnd = 5999.9995f;  // rings span -RingEnd to RingEnd, ring units

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

// Ring units a character of this glyph takes: 1.5 times its advance; none for a character the
// font lacks (null).
inline float ringWidth(const Glyph* glyph) {
  return glyph != nullptr ? 1.5f * static_cast<float>(glyph->advance) : 0.0f;
}
// Ring units from one character to the next: ringWidth, but at least one, so that the walk along
// a ring always ends.
inline float ringStep(const Glyph* glyph) {
  const float width = ringWidth(glyph);
  return width > 0.0f ? width : 1.0f;
}

// What the rings are drawn with, besides the rings themselves.
struct VerseStyle {
  const uint32_t* verse;  // glyph-table entries of `font`
  int32_t verseLength;    // at least 1
  const BitmapFont* font;
  float atlasWidth;  // atlas pixels; 0 for an atlas that failed to load (draws untextured)
  float atlasHeight;
  float scale;         // textdistance * 0.0005: sphere units to model-view units
  const float* color;  // textcolor, RGB
  bool lightEffects;   // whether the glyphs fade with depth
};

// Visits every drawn glyph of ring n from left to right: visit(glyph, point, brightness), with
// the glyph's point on the sphere and its ringBrightness. Glyphs with an empty rectangle (spaces)
// and entries outside the table are stepped over. A visit returning false ends the walk, and
// then walkRing returns false.
template <typename Visit>
bool walkRing(const TextRing& ring, int32_t n, const VerseStyle& style, Visit&& visit) {
  const float latitude = ringLatitude(n);
  int32_t i = ring.charIndex;
  for (float x = -RingEnd - ring.offset; x < RingEnd;) {
    const Glyph* glyph = style.font->glyphAt(style.verse[i]);
    if (glyph != nullptr && glyph->width != 0 && glyph->height != 0) {
      const RingPoint point = ringPoint(latitude, ringLongitude(x));
      const float brightness = ringBrightness(point.z, style.lightEffects);
      if (!visit(*glyph, point, brightness)) return false;
    }
    x += ringStep(glyph);
    if (++i >= style.verseLength) i = 0;
  }
  return true;
}

}  // namespace marvolet
