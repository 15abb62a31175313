// The verse stage: sixty rings of text scrolling over the near side of the sphere, and the
// frame-rate line when it is switched on.
#pragma once

#include "assets/bitmap_font.h"
#include "scene/stage_inputs.h"
#include "scene/verse_rings.h"

namespace marvolet {

extern const char BuiltInVerse[];

class VerseStage {
 public:
  // Starts with the built-in verse, every ring at its start.
  VerseStage();

  // Another verse, every ring back to its start: entries of the scene's font, in the order they
  // lie along a ring.
  void setVerse(GlyphText glyphs);
  // Plain text, each character as the built-in font's entry.
  void setVerse(const char* text);
  const GlyphText& verse() const { return verse_; }

  // Scrolls the rings to the inputs' time and draws them; sets the state it needs (culling,
  // glyph state) and leaves what the logos expect.
  void draw(const StageInputs& in);

  VerseRings rings;

 private:
  GlyphText verse_;
};

}  // namespace marvolet
