// The stages whose GL calls differ between the two drawing paths, behind one interface. The
// renderer picks the implementation once, when it is built; every stage then draws through it.
#pragma once

#include <memory>

#include "assets/bitmap_font.h"
#include "render/render_types.h"
#include "render/ring_geometry.h"
#include "render/text_line.h"

namespace marvolet {

class DrawingPath {
 public:
  virtual ~DrawingPath() = default;

  // The rings' glyphs under the current matrices and state (the verse stage's). Changes no ring.
  virtual void drawRings(const TextRing (&rings)[TextRingCount], const VerseStyle& style) = 0;
  // The glyphs of a text line (`count` entries of style.font's table), pen at the current
  // model-view origin on the baseline, in atlas pixels; colours and atlas from `style` and
  // `atlas`. drawTextLine has set the rest.
  virtual void drawGlyphs(const uint32_t* glyphs, size_t count, const TextStyle& style,
                          const TextAtlas& atlas) = 0;
  // One logo: a quad of half-width w and half-height h in the plane z = 0, under the current
  // colour whose alpha is `alpha`.
  virtual void drawLogo(float w, float h, float alpha) = 0;
};

std::unique_ptr<DrawingPath> makeDrawingPath(DrawPath path);

// The logo quad itself, the image's top row at the top; both paths draw it the same way.
void drawLogoQuad(float w, float h);

}  // namespace marvolet
