// The built-in verse and the verse stage's drawing.
#include "scene/verse_stage.h"

#include <utility>

#include "render/drawing_path.h"
#include "render/gl.h"
#include "render/text_line.h"
#include "scene/scene_parameters.h"

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

VerseStage::VerseStage() {
  setVerse(BuiltInVerse);
}

void VerseStage::setVerse(GlyphText glyphs) {
  verse_ = std::move(glyphs);
  rings.layOut(static_cast<int32_t>(verse_.size()));
}

void VerseStage::setVerse(const char* text) {
  setVerse(asciiGlyphs(text, MainFont));
}

void VerseStage::draw(const StageInputs& in) {
  glEnable(GL_NORMALIZE);
  glFrontFace(GL_CCW);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glPushMatrix();
  beginGlyphState(in.font.name);
  glColor3f(1.0f, 1.0f, 1.0f);

  // The rings follow the scene's text travel, in which the text speed is already weighed.
  const int32_t length = static_cast<int32_t>(verse_.size());
  rings.scroll(verse_.data(), length, *in.text.font, 1.0f, in.textTravel);
  if (length > 0) {
    VerseStyle style{};
    style.verse = verse_.data();
    style.verseLength = length;
    style.font = in.text.font;
    style.atlasWidth = in.font.width;
    style.atlasHeight = in.font.height;
    style.scale = in.parameters[textdistance] * 0.0005f;
    style.color = &in.parameters[textcolor];
    style.lightEffects = in.lightEffects;
    in.drawing.drawRings(rings.rings, style);
  }
  glPopMatrix();

  if (in.showFrameRate) {
    drawTextLineF(in.drawing, in.text, in.font, -1.0f, 1.0f, "%.2f", static_cast<double>(in.fps));
    drawTextLineF(in.drawing, in.text, in.font, -1.0f, 0.0f, "%4.1f %4.1f", 100000.0, -10000.0);
  }
}

}  // namespace marvolet
