// The built-in verse, ring layout and the per-frame scrolling and drawing of the rings.
#include "scene/verse_rings.h"

#include <cmath>
#include <cstring>

#include "assets/bitmap_font.h"
#include "render/gl.h"
#include "render/renderer.h"
#include "scene/scene.h"

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
  const float atlasWidth = textures != nullptr ? static_cast<float>(textures[slot].width) : 0.0f;
  const float atlasHeight = textures != nullptr ? static_cast<float>(textures[slot].height) : 0.0f;
  const float scale = current[textdistance] * 0.0005f;
  const float* color = &current[textcolor];

  if (verse[0] != '\0') {
    for (int32_t n = 0; n < TextRingCount; ++n) {
      TextRing& ring = textRings[n];
      ring.offset += static_cast<float>(ring.speed * current[textspeed] * dt);
      const char* p = verse + ring.charIndex;
      const float first = characterWidth(*p);
      // One character per frame at most: a long pause is worked off over the next frames.
      if (ring.offset >= first) {
        ring.charIndex += 1;
        ++p;
        ring.offset -= first;
        if (*p == '\0') {
          ring.charIndex = 0;
          p = verse;
        }
      }
      const float latitude = ringLatitude(n);

      glPushMatrix();
      for (float x = -RingEnd - ring.offset; x < RingEnd;) {
        const char c = *p;
        const Glyph* glyph = glyphFor(c);
        if (glyph != nullptr && c != ' ') {
          const GlyphTexCoords t = glyphTexCoords(*glyph, atlasWidth, atlasHeight);
          glPushMatrix();
          glScalef(scale, scale, 0.0005f);
          const RingPoint point = ringPoint(latitude, ringLongitude(x));
          glTranslatef(point.x, point.y, point.z);
          glTranslatef(static_cast<float>(glyph->xOffset), static_cast<float>(glyph->yOffset), 0);
          const float e2 = ringBrightness(point.z, lightEffects);
          glColor4f(e2 * color[0], e2 * color[1], e2 * color[2], 1.0f);
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
        const float advance = glyph != nullptr ? 1.5f * static_cast<float>(glyph->advance) : 0.0f;
        x += advance > 0.0f ? advance : 1.0f;
        ++p;
        if (*p == '\0') p = verse;
      }
      glPopMatrix();
    }
  }
  glPopMatrix();

  if (showFps) {
    drawTextLineF(-1.0f, 1.0f, "%.2f", static_cast<double>(renderer->fps));
    drawTextLineF(-1.0f, 0.0f, "%4.1f %4.1f", 100000.0, -10000.0);
  }
}

}  // namespace marvolet
