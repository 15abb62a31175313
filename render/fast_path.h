// The fast drawing path: glyphs gathered on the CPU into vertex arrays and drawn with one call
// per stage, clear logos skipped, and the glow summed in one pass where the GL allows.
#pragma once

#include "render/drawing_path.h"
#include "render/glyph_quads.h"
#include "render/verse_geometry.h"

namespace marvolet {

class FastPath : public DrawingPath {
 public:
  // The rings' quads in clip coordinates, computed as the GL would from the literal path's
  // calls, drawn from one array; rebuilt only when an input changed since the previous drawing.
  void drawRings(const TextRing (&rings)[TextRingCount], const VerseStyle& style) override;
  // The line's quads from one array: the pen stays in whole atlas pixels, which float holds
  // exactly, so the corners land where the literal path's translations put them.
  void drawGlyphs(const uint32_t* glyphs, size_t count, const TextStyle& style,
                  const TextAtlas& atlas) override;
  // Under the logos' blend a quad whose alpha is exactly 0 leaves every pixel as it was (source
  // factor 0, destination factor 1, alpha too), so it is skipped. A logo magnified at every
  // pixel is filtered without mipmaps, which gives the same pixels for less work.
  void drawLogo(float w, float h, float alpha) override;

  VerseGeometry verseGeometry;  // the rings' quads of the latest drawing
  // Sized for the longest formatted line; a longer text is drawn in several batches.
  GlyphQuads textQuads{256};
};

}  // namespace marvolet
