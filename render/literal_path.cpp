// The literal path's rings, text glyphs and logos, call by call.
#include "render/literal_path.h"

#include "render/gl.h"

namespace marvolet {

void LiteralPath::drawRings(const TextRing (&rings)[TextRingCount], const VerseStyle& style) {
  for (int32_t n = 0; n < TextRingCount; ++n) {
    glPushMatrix();
    walkRing(rings[n], n, style, [&](const Glyph& glyph, const RingPoint& point, float e2) {
      const GlyphTexCoords t = glyphTexCoords(glyph, style.atlasWidth, style.atlasHeight);
      glPushMatrix();
      glScalef(style.scale, style.scale, 0.0005f);
      glTranslatef(point.x, point.y, point.z);
      glTranslatef(static_cast<float>(glyph.xOffset), static_cast<float>(glyph.yOffset), 0);
      glColor4f(e2 * style.color[0], e2 * style.color[1], e2 * style.color[2], 1.0f);
      const float w = static_cast<float>(glyph.width);
      const float h = static_cast<float>(glyph.height);
      glBegin(GL_QUADS);
      glTexCoord2f(t.s0, t.t1);
      glVertex2f(0.0f, -h);
      glTexCoord2f(t.s1, t.t1);
      glVertex2f(w, -h);
      glTexCoord2f(t.s1, t.t0);
      glVertex2f(w, 0.0f);
      glTexCoord2f(t.s0, t.t0);
      glVertex2f(0.0f, 0.0f);
      glEnd();
      glPopMatrix();
      return true;
    });
    glPopMatrix();
  }
}

namespace {

void drawGlyph(const Glyph& glyph, const TextStyle& style, const TextAtlas& atlas) {
  const GlyphTexCoords t = glyphTexCoords(glyph, atlas.width, atlas.height);
  const float width = static_cast<float>(glyph.width);
  const float height = static_cast<float>(glyph.height);
  const float* bottom = style.bottomColor;
  const float* top = style.topColor;

  // Origin moves to the quad's top-left corner and back, so no matrix push per glyph.
  glTranslatef(static_cast<float>(glyph.xOffset), static_cast<float>(glyph.yOffset), 0.0f);
  glBegin(GL_QUADS);
  glColor4f(bottom[0], bottom[1], bottom[2], bottom[3]);
  glTexCoord2f(t.s0, t.t1);
  glVertex2f(0.0f, -height);
  glTexCoord2f(t.s1, t.t1);
  glVertex2f(width, -height);
  glColor4f(top[0], top[1], top[2], top[3]);
  glTexCoord2f(t.s1, t.t0);
  glVertex2f(width, 0.0f);
  glTexCoord2f(t.s0, t.t0);
  glVertex2f(0.0f, 0.0f);
  glEnd();
  glTranslatef(static_cast<float>(glyph.advance - glyph.xOffset),
               static_cast<float>(-glyph.yOffset), 0.0f);
}

}  // namespace

void LiteralPath::drawGlyphs(const uint32_t* glyphs, size_t count, const TextStyle& style,
                             const TextAtlas& atlas) {
  for (size_t i = 0; i < count; ++i) {
    const Glyph* glyph = style.font->glyphAt(glyphs[i]);
    if (glyph == nullptr) continue;
    if (glyph->width == 0 || glyph->height == 0) {
      glTranslatef(static_cast<float>(style.font->lineAdvance(glyphs[i])), 0.0f, 0.0f);
    } else {
      drawGlyph(*glyph, style, atlas);
    }
  }
}

void LiteralPath::drawLogo(float w, float h, float) {
  drawLogoQuad(w, h);
}

}  // namespace marvolet
