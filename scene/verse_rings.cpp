// Ring layout and scrolling.
#include "scene/verse_rings.h"

#include <cstring>

namespace marvolet {

void VerseRings::layOut(const char* verse) {
  const int32_t length = static_cast<int32_t>(std::strlen(verse));
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

void VerseRings::scroll(const char* verse, const BitmapFont& font, float textspeed, double now) {
  const double dt = now - previousTime;
  previousTime = now;
  if (verse[0] == '\0') return;
  const size_t length = std::strlen(verse);
  for (TextRing& ring : rings) {
    ring.offset += static_cast<float>(ring.speed * textspeed * dt);
    // Bounded by the verse's length: characters without a glyph take no width to pass.
    for (size_t passed = 0; passed <= length; ++passed) {
      const float first = ringWidth(font.glyphFor(verse[ring.charIndex]));
      if (ring.offset < first) break;
      ring.charIndex += 1;
      ring.offset -= first;
      if (verse[ring.charIndex] == '\0') ring.charIndex = 0;
    }
  }
}

}  // namespace marvolet
