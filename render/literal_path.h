// The literal drawing path: the calls made one by one, as the reference picture is defined.
#pragma once

#include "render/drawing_path.h"

namespace marvolet {

class LiteralPath : public DrawingPath {
 public:
  // A matrix push, scale, two translations and a glBegin/glEnd pair per glyph.
  void drawRings(const TextRing (&rings)[TextRingCount], const VerseStyle& style) override;
  // A translation and a glBegin/glEnd pair per glyph.
  void drawGlyphs(const uint32_t* glyphs, size_t count, const TextStyle& style,
                  const TextAtlas& atlas) override;
  // Drawn whatever its alpha.
  void drawLogo(float w, float h, float alpha) override;
};

}  // namespace marvolet
