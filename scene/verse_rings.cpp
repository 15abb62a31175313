// Ring layout and scrolling.
#include "scene/verse_rings.h"

namespace marvolet {

void VerseRings::layOut(int32_t length) {
  int32_t index = 0;
  for (TextRing& ring : rings) {
    ring.charIndex = index;
    ring.offset = 0.0f;
    ring.speed = 150.0f;
    // Modulo rather than one subtraction keeps a verse shorter than the stride inside itself;
    // for any verse of 41 characters or more the two agree.
    if (length > 0) index = (index + 41) % length;
  }
}

void VerseRings::scroll(const uint32_t* verse, int32_t length, const BitmapFont& font,
                        float textspeed, double now) {
  const double dt = now - previousTime;
  previousTime = now;
  if (length <= 0) return;
  for (TextRing& ring : rings) {
    ring.offset += static_cast<float>(ring.speed * textspeed * dt);
    // Bounded by the verse's length: glyphs without width take none to pass.
    for (int32_t passed = 0; passed <= length; ++passed) {
      const float first = ringWidth(font.glyphAt(verse[ring.charIndex]));
      if (ring.offset < first) break;
      ring.charIndex += 1;
      ring.offset -= first;
      if (ring.charIndex >= length) ring.charIndex = 0;
    }
  }
}

}  // namespace marvolet
