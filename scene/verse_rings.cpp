// The built-in verse, ring layout, scrolling, and the scene's verse stage.
#include "scene/verse_rings.h"

#include <cmath>
#include <cstring>

#include "render/drawing_path.h"
#include "render/gl.h"
#include "render/text_line.h"
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

namespace {
constexpr float SphereRadius = 3999.9998f;  // sphere units before the textdistance scale
constexpr float TwoPi = 6.28318f;
}  // namespace

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
  for (TextRing& ring : rings) {
    ring.offset += static_cast<float>(ring.speed * textspeed * dt);
    const float first = ringWidth(font.glyphFor(verse[ring.charIndex]));
    if (ring.offset >= first) {
      ring.charIndex += 1;
      ring.offset -= first;
      if (verse[ring.charIndex] == '\0') ring.charIndex = 0;
    }
  }
}

void Scene::setVerse(const char* text) {
  verse = text;
  verseRings.layOut(text);
}

void Scene::drawVerse() {
  glEnable(GL_NORMALIZE);
  glFrontFace(GL_CCW);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glPushMatrix();
  const TextAtlas atlas = fontAtlas();
  beginGlyphState(atlas.name);
  glColor3f(1.0f, 1.0f, 1.0f);

  verseRings.scroll(verse, *text.font, current[textspeed], clock.seconds());
  if (verse[0] != '\0') {
    VerseStyle style{};
    style.verse = verse;
    style.font = text.font;
    style.atlasWidth = atlas.width;
    style.atlasHeight = atlas.height;
    style.scale = current[textdistance] * 0.0005f;
    style.color = &current[textcolor];
    style.lightEffects = lightEffects;
    drawing.drawRings(verseRings.rings, style);
  }
  glPopMatrix();

  if (showFrameRate) {
    drawTextLineF(drawing, text, atlas, -1.0f, 1.0f, "%.2f", static_cast<double>(clock.fps()));
    drawTextLineF(drawing, text, atlas, -1.0f, 0.0f, "%4.1f %4.1f", 100000.0, -10000.0);
  }
}

}  // namespace marvolet
