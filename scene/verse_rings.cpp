// The built-in verse, ring layout and the per-frame scrolling and drawing of the rings.
#include "scene/verse_rings.h"

#include <cmath>
#include <cstring>

#include "assets/bitmap_font.h"
#include "assets/glyph_quads.h"
#include "render/gl.h"
#include "render/matrix_arithmetic.h"
#include "render/renderer.h"
#include "scene/scene.h"
#include "scene/verse_geometry.h"

namespace marvolet {

extern const char BuiltInVerse[] =
    "Verily, verily, I say unto thee, We speak that we do know, and testify that we have seen; "
    "and ye receive not our witness. If I have told you earthly things, and ye believe not, how "
    "shall ye believe, if I tell you of heavenly things? And no man hath ascended up to heaven, "
    "but he that came down from heaven, even the SON of MAN which is in heaven. And as Moses "
    "lifted up the serpent in the wilderness, even so must the SON of MAN be lifted up: That "
    "whosoever believeth in him should not perish, but have eternal life. For GOD so loved the "
    "world, that he gave his only begotten SON, that whosoever believeth in him should not "
    "perish, but have everlasting life. For GOD sent not his SON into the world to condemn the "
    "world; but that the world through him might be saved. He that believeth on him is not "
    "condemned: but he that believeth not is condemned already, because he hath not believed in "
    "the name of the only begotten SON of GOD. And this is the condemnation, that light is come "
    "into the world, and men loved darkness rather than light, because their deeds were evil. "
    "For every one that doeth evil hateth the light, neither cometh to the light, lest his deeds "
    "should be reproved. But he that doeth truth cometh to the light, that his deeds may be made "
    "manifest, that they are wrought in GOD. ";

TextRing textRings[TextRingCount];
double previousTime = 0.0;

namespace {
constexpr float RingEnd = 5999.9995f;       // rings span -RingEnd to RingEnd
constexpr float SphereRadius = 3999.9998f;  // sphere units before the textdistance scale
constexpr float TwoPi = 6.28318f;

// Ring units a character takes: 1.5 times its glyph's advance. Characters the font lacks take
// none; the drawing loop still moves on by at least a unit so it always ends.
float characterWidth(char c) {
  const Glyph* glyph = glyphFor(c);
  return glyph != nullptr ? 1.5f * static_cast<float>(glyph->advance) : 0.0f;
}
}  // namespace

void resetTextRings() {
  std::memset(textRings, 0, sizeof textRings);
  previousTime = 0.0;
}

float ringLatitude(int32_t ring) {
  return ((static_cast<float>(ring) * 153.33333f - 4800.0f) * 0.25f + 4800.0f) * 0.000108695654f *
         TwoPi;
}

float ringLongitude(float x) {
  return (x * 0.32f + RingEnd) * 0.00008333334f * TwoPi;
}

RingPoint ringPoint(float latitude, float longitude) {
  const float cosLat = std::cos(latitude);
  return RingPoint{(cosLat * std::sin(longitude) + 0.1f) * SphereRadius,
                   std::sin(latitude) * SphereRadius, cosLat * std::cos(longitude) * SphereRadius};
}

float ringBrightness(float z, bool lightEffects) {
  if (!lightEffects) return 1.0f;
  float e = (z - 1300.0f) * 0.0005f;
  if (e >= 1.0f) e = 1.0f;
  return e * e;
}

void Scene::setVerse(const char* text) {
  verse = text;
  const int32_t length = static_cast<int32_t>(std::strlen(text));
  int32_t index = 0;
  for (TextRing& ring : textRings) {
    ring.charIndex = index;
    ring.offset = 0.0f;
    ring.speed = 150.0f;
    // Modulo rather than one subtraction keeps a verse shorter than the stride inside itself;
    // for any verse of 41 characters or more the two agree.
    if (length > 0) index = (index + 41) % length;
  }
}

namespace {

// The scroll rule: the ring moves by the time since the previous drawing, and steps on by one
// character at most, so a long pause is worked off over the next drawings.
void scrollRing(TextRing& ring, const char* verse, float textspeed, double dt) {
  ring.offset += static_cast<float>(ring.speed * textspeed * dt);
  const float first = characterWidth(verse[ring.charIndex]);
  if (ring.offset >= first) {
    ring.charIndex += 1;
    ring.offset -= first;
    if (verse[ring.charIndex] == '\0') ring.charIndex = 0;
  }
}

// Ring units from one character to the next; at least one, so the walk along a ring always ends.
float ringStep(const Glyph* glyph) {
  const float advance = glyph != nullptr ? 1.5f * static_cast<float>(glyph->advance) : 0.0f;
  return advance > 0.0f ? advance : 1.0f;
}

struct RingStyle {
  float atlasWidth;
  float atlasHeight;
  float scale;
  const float* color;
  bool lightEffects;
};

// The literal way: a matrix push, scale, two translations and a glBegin/glEnd pair per glyph.
void drawRingOneByOne(const TextRing& ring, int32_t n, const char* verse, const RingStyle& style) {
  const float latitude = ringLatitude(n);
  const char* p = verse + ring.charIndex;
  glPushMatrix();
  for (float x = -RingEnd - ring.offset; x < RingEnd;) {
    const char c = *p;
    const Glyph* glyph = glyphFor(c);
    if (glyph != nullptr && c != ' ') {
      const GlyphTexCoords t = glyphTexCoords(*glyph, style.atlasWidth, style.atlasHeight);
      glPushMatrix();
      glScalef(style.scale, style.scale, 0.0005f);
      const RingPoint point = ringPoint(latitude, ringLongitude(x));
      glTranslatef(point.x, point.y, point.z);
      glTranslatef(static_cast<float>(glyph->xOffset), static_cast<float>(glyph->yOffset), 0);
      const float e2 = ringBrightness(point.z, style.lightEffects);
      glColor4f(e2 * style.color[0], e2 * style.color[1], e2 * style.color[2], 1.0f);
      const float w = static_cast<float>(glyph->width);
      const float h = static_cast<float>(glyph->height);
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
    }
    x += ringStep(glyph);
    ++p;
    if (*p == '\0') p = verse;
  }
  glPopMatrix();
}

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

// Appends the ring's glyph quads; when the array fills up it is drawn and emptied, and the
// result is false (the quads are then not all kept).
bool addRingQuads(const TextRing& ring, int32_t n, const char* verse, const RingStyle& style,
                  const Matrix4& projection, const Matrix4& scaledView, GlyphQuads& quads) {
  bool whole = true;
  const float latitude = ringLatitude(n);
  const char* p = verse + ring.charIndex;
  for (float x = -RingEnd - ring.offset; x < RingEnd;) {
    const char c = *p;
    const Glyph* glyph = glyphFor(c);
    if (glyph != nullptr && c != ' ') {
      if (quads.full()) {
        drawInClipSpace(quads);
        quads.clear();
        whole = false;
      }
      GlyphVertex* v = quads.add();
      if (v == nullptr) return false;  // no array at all: nothing can be drawn this way
      const GlyphTexCoords t = glyphTexCoords(*glyph, style.atlasWidth, style.atlasHeight);
      const RingPoint point = ringPoint(latitude, ringLongitude(x));
      const float e2 = ringBrightness(point.z, style.lightEffects);
      const float rgba[4] = {e2 * style.color[0], e2 * style.color[1], e2 * style.color[2], 1.0f};
      const Matrix4 placed =
          translated(translated(scaledView, point.x, point.y, point.z),
                     static_cast<float>(glyph->xOffset), static_cast<float>(glyph->yOffset), 0.0f);
      const Matrix4 mvp = product(projection, placed);
      const float w = static_cast<float>(glyph->width);
      const float h = static_cast<float>(glyph->height);
      setRingCorner(v[0], t.s0, t.t1, rgba, mvp, 0.0f, -h);
      setRingCorner(v[1], t.s1, t.t1, rgba, mvp, w, -h);
      setRingCorner(v[2], t.s1, t.t0, rgba, mvp, w, 0.0f);
      setRingCorner(v[3], t.s0, t.t0, rgba, mvp, 0.0f, 0.0f);
    }
    x += ringStep(glyph);
    ++p;
    if (*p == '\0') p = verse;
  }
  return whole;
}

}  // namespace

void Scene::drawVerse() {
  glEnable(GL_NORMALIZE);
  glFrontFace(GL_CCW);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glPushMatrix();
  const int32_t slot = currentFont->textureSlot;
  beginGlyphState(textureName(slot));
  glColor3f(1.0f, 1.0f, 1.0f);

  const double now = renderer->seconds;
  const double dt = now - previousTime;
  previousTime = now;

  // An atlas that failed to load draws untextured, with texture coordinates 0.
  RingStyle style{};
  style.atlasWidth = textures != nullptr ? static_cast<float>(textures[slot].width) : 0.0f;
  style.atlasHeight = textures != nullptr ? static_cast<float>(textures[slot].height) : 0.0f;
  style.scale = current[textdistance] * 0.0005f;
  style.color = &current[textcolor];
  style.lightEffects = lightEffects;

  if (verse[0] != '\0') {
    if (renderer->drawPath == DrawPath::Literal) {
      for (int32_t n = 0; n < TextRingCount; ++n) {
        scrollRing(textRings[n], verse, current[textspeed], dt);
        drawRingOneByOne(textRings[n], n, verse, style);
      }
    } else {
      for (TextRing& ring : textRings) scrollRing(ring, verse, current[textspeed], dt);
      drawRingsAsArrays(style.atlasWidth, style.atlasHeight);
    }
  }
  glPopMatrix();

  if (showFps) {
    drawTextLineF(-1.0f, 1.0f, "%.2f", static_cast<double>(renderer->fps));
    drawTextLineF(-1.0f, 0.0f, "%4.1f %4.1f", 100000.0, -10000.0);
  }
}

void Scene::drawRingsAsArrays(float atlasWidth, float atlasHeight) {
  VerseGeometryKey key;
  std::memcpy(key.rings, textRings, sizeof textRings);
  key.projection = currentProjection();
  key.modelview = currentModelview();
  key.verse = verse;
  key.font = currentFont;
  key.scale = current[textdistance] * 0.0005f;
  key.color[0] = current[textcolor];
  key.color[1] = current[textcolor + 1];
  key.color[2] = current[textcolor + 2];
  key.lightEffects = lightEffects;
  key.atlasWidth = atlasWidth;
  key.atlasHeight = atlasHeight;

  GlyphQuads& quads = verseGeometry->quads;
  if (!verseGeometry->matches(key)) {
    RingStyle style{atlasWidth, atlasHeight, key.scale, key.color, key.lightEffects};
    verseGeometry->forget();
    quads.clear();
    const Matrix4 scaledView = scaled(key.modelview, key.scale, key.scale, 0.0005f);
    bool whole = true;
    for (int32_t n = 0; n < TextRingCount; ++n) {
      whole =
          addRingQuads(textRings[n], n, verse, style, key.projection, scaledView, quads) && whole;
    }
    if (whole) verseGeometry->remember(key);
  }
  drawInClipSpace(quads);
}

}  // namespace marvolet
