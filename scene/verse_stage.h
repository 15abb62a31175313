// The verse stage: sixty rings of text scrolling over the near side of the sphere, and the
// frame-rate line when it is switched on.
#pragma once

#include "scene/stage_inputs.h"
#include "scene/verse_rings.h"

namespace marvolet {

extern const char BuiltInVerse[];

class VerseStage {
 public:
  // Starts with the built-in verse, every ring at its start.
  VerseStage();

  // Another verse (kept by pointer: it must outlive the stage), every ring back to its start.
  void setVerse(const char* text);
  const char* verse() const { return verse_; }

  // Scrolls the rings to the inputs' time and draws them; sets the state it needs (culling,
  // glyph state) and leaves what the logos expect.
  void draw(const StageInputs& in);

  VerseRings rings;

 private:
  const char* verse_;
};

}  // namespace marvolet
