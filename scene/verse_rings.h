// The verse rings' scroll state: where each ring starts in the verse and how far it has moved.
#pragma once

#include <cstdint>

#include "assets/bitmap_font.h"
#include "render/ring_geometry.h"

namespace marvolet {

struct VerseRings {
  TextRing rings[TextRingCount] = {};
  // Renderer seconds at the previous scroll (double, like the clock it follows).
  double previousTime = 0.0;

  // Every ring back to the verse's start: ring n begins 41 n glyphs in, modulo the verse's
  // length (in glyphs).
  void layOut(int32_t length);
  // Moves every ring by the time since the previous scroll, `now` in seconds, times textspeed.
  // A ring steps on by as many glyphs as it moved past; the clock never hands over more than an
  // ordinary frame for a long pause, so no drawing has far to go. `verse` holds `length`
  // entries of `font`'s glyph table.
  void scroll(const uint32_t* verse, int32_t length, const BitmapFont& font, float textspeed,
              double now);
};

}  // namespace marvolet
