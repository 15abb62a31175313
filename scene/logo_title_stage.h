// The logos and title stage: the two cross-fading logo images and the title line with its drop
// shadow.
#pragma once

#include <utility>

#include "assets/bitmap_font.h"
#include "scene/stage_inputs.h"

namespace marvolet {

extern const char BuiltInTitle[];

class LogoTitleStage {
 public:
  LogoTitleStage();
  // Another title: entries of the scene's font, left to right.
  void setTitle(GlyphText title) { title_ = std::move(title); }
  const GlyphText& title() const { return title_; }

  // Sets the blend and texture state it needs; leaves the text style's scale as it found it and
  // its colour at the title's.
  void draw(const StageInputs& in);

 private:
  GlyphText title_;
};

}  // namespace marvolet
