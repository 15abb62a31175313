// The fast path's rings, text glyphs and logos, gathered into arrays.
#include "render/fast_path.h"

#include <cmath>
#include <cstring>

#include "render/gl.h"
#include "render/matrix_arithmetic.h"
#include "render/projections.h"

namespace marvolet {

namespace {

// One corner in clip coordinates: what the literal path's scale and two translations, the
// projection and the vertex program make of the glyph rectangle's corner (x, y).
void setRingCorner(GlyphVertex& v, float s, float t, const float* rgba, const Matrix4& mvp, float x,
                   float y) {
  v.s = s;
  v.t = t;
  v.r = rgba[0];
  v.g = rgba[1];
  v.b = rgba[2];
  v.a = rgba[3];
  clipPosition(mvp, x, y, &v.x);
}

// The quads are already in clip coordinates, so both matrices are identities while they are
// drawn.
void drawInClipSpace(const GlyphQuads& quads) {
  beginClipSpaceProjection();
  quads.draw();
  endClipSpaceProjection();
}

// Appends ring n's glyph quads; when the array fills up it is drawn and emptied, and the result
// is false (the quads are then not all kept).
bool addRingQuads(const TextRing& ring, int32_t n, const VerseStyle& style,
                  const Matrix4& projection, const Matrix4& scaledView, GlyphQuads& quads) {
  bool whole = true;
  const bool walked =
      walkRing(ring, n, style, [&](const Glyph& glyph, const RingPoint& point, float e2) {
        if (quads.full()) {
          drawInClipSpace(quads);
          quads.clear();
          whole = false;
        }
        GlyphVertex* v = quads.add();
        if (v == nullptr) return false;  // no array at all: nothing can be drawn this way
        const GlyphTexCoords t = glyphTexCoords(glyph, style.atlasWidth, style.atlasHeight);
        const float rgba[4] = {e2 * style.color[0], e2 * style.color[1], e2 * style.color[2], 1.0f};
        const Matrix4 placed =
            translated(translated(scaledView, point.x, point.y, point.z),
                       static_cast<float>(glyph.xOffset), static_cast<float>(glyph.yOffset), 0.0f);
        const Matrix4 mvp = product(projection, placed);
        const float w = static_cast<float>(glyph.width);
        const float h = static_cast<float>(glyph.height);
        setRingCorner(v[0], t.s0, t.t1, rgba, mvp, 0.0f, -h);
        setRingCorner(v[1], t.s1, t.t1, rgba, mvp, w, -h);
        setRingCorner(v[2], t.s1, t.t0, rgba, mvp, w, 0.0f);
        setRingCorner(v[3], t.s0, t.t0, rgba, mvp, 0.0f, 0.0f);
        return true;
      });
  return walked && whole;
}

void setCorner(GlyphVertex& v, float s, float t, const float* color, float x, float y) {
  v = GlyphVertex{s, t, color[0], color[1], color[2], color[3], x, y, 0.0f, 1.0f};
}

// Whether the quad drawLogoQuad(w, h) makes, textured edge to edge with the bound texture, is
// magnified at every pixel under the current matrices and viewport. The GL then filters it with
// its magnification filter alone, and a minification filter without mipmaps gives the same
// pixels without choosing a level for each of them.
bool magnifiedEverywhere(float w, float h) {
  const Matrix4 mv = currentModelview();
  const Matrix4 p = currentProjection();
  // One scale over the whole face only for a quad parallel to the screen, under a perspective
  // whose w is the eye's distance.
  const float* m = mv.m;
  if (m[1] != 0.0f || m[2] != 0.0f || m[4] != 0.0f || m[6] != 0.0f || m[8] != 0.0f ||
      m[9] != 0.0f || m[3] != 0.0f || m[7] != 0.0f || m[11] != 0.0f || m[15] != 1.0f) {
    return false;
  }
  if (p.m[1] != 0.0f || p.m[4] != 0.0f || p.m[8] != 0.0f || p.m[9] != 0.0f || p.m[11] != -1.0f ||
      p.m[15] != 0.0f) {
    return false;
  }
  const float depth = -m[14];
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLint texels[2] = {};
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texels[0]);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &texels[1]);
  if (depth <= 0.0f || w <= 0.0f || h <= 0.0f || texels[0] <= 0 || texels[1] <= 0) return false;
  const float pixelsX = std::fabs(p.m[0] * m[0]) * 2.0f * w * 0.5f * viewport[2] / depth;
  const float pixelsY = std::fabs(p.m[5] * m[5]) * 2.0f * h * 0.5f * viewport[3] / depth;
  // A margin below one texel per pixel for the GL's own approximation of the level.
  return texels[0] < 0.9f * pixelsX && texels[1] < 0.9f * pixelsY;
}

}  // namespace

void FastPath::drawRings(const TextRing (&rings)[TextRingCount], const VerseStyle& style) {
  VerseGeometryKey key;
  std::memcpy(key.rings, rings, sizeof rings);
  key.projection = currentProjection();
  key.modelview = currentModelview();
  key.verse = style.verse;
  key.verseLength = style.verseLength;
  key.font = style.font;
  key.scale = style.scale;
  key.color[0] = style.color[0];
  key.color[1] = style.color[1];
  key.color[2] = style.color[2];
  key.lightEffects = style.lightEffects;
  key.atlasWidth = style.atlasWidth;
  key.atlasHeight = style.atlasHeight;

  GlyphQuads& quads = verseGeometry.quads;
  if (!verseGeometry.matches(key)) {
    VerseStyle kept = style;
    kept.color = key.color;
    verseGeometry.forget();
    quads.clear();
    const Matrix4 scaledView = scaled(key.modelview, key.scale, key.scale, 0.0005f);
    bool whole = true;
    for (int32_t n = 0; n < TextRingCount; ++n) {
      whole = addRingQuads(rings[n], n, kept, key.projection, scaledView, quads) && whole;
    }
    if (whole) verseGeometry.remember(key);
  }
  drawInClipSpace(quads);
}

void FastPath::drawGlyphs(const uint32_t* glyphs, size_t count, const TextStyle& style,
                          const TextAtlas& atlas) {
  GlyphQuads& quads = textQuads;
  quads.clear();
  int32_t pen = 0;
  for (size_t i = 0; i < count; ++i) {
    const Glyph* glyph = style.font->glyphAt(glyphs[i]);
    if (glyph == nullptr) continue;
    if (glyph->width == 0 || glyph->height == 0) {
      pen += style.font->lineAdvance(glyphs[i]);
      continue;
    }
    if (quads.full()) {
      quads.draw();
      quads.clear();
    }
    GlyphVertex* v = quads.add();
    if (v == nullptr) return;  // no memory for even one quad: draw nothing rather than crash
    const GlyphTexCoords t = glyphTexCoords(*glyph, atlas.width, atlas.height);
    const float left = static_cast<float>(pen + glyph->xOffset);
    const float right = static_cast<float>(pen + glyph->xOffset + glyph->width);
    const float top = static_cast<float>(glyph->yOffset);
    const float bottom = static_cast<float>(glyph->yOffset - glyph->height);
    setCorner(v[0], t.s0, t.t1, style.bottomColor, left, bottom);
    setCorner(v[1], t.s1, t.t1, style.bottomColor, right, bottom);
    setCorner(v[2], t.s1, t.t0, style.topColor, right, top);
    setCorner(v[3], t.s0, t.t0, style.topColor, left, top);
    pen += glyph->advance;
  }
  quads.draw();
}

void FastPath::drawLogo(float w, float h, float alpha) {
  if (alpha == 0.0f) return;
  if (!magnifiedEverywhere(w, h)) {
    drawLogoQuad(w, h);
    return;
  }
  GLint minification = GL_LINEAR_MIPMAP_LINEAR;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minification);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  drawLogoQuad(w, h);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minification);
}

}  // namespace marvolet
