// The logos and title stage: the two cross-fading logo images and the title line with its drop
// shadow.
#pragma once

#include "scene/stage_inputs.h"

namespace marvolet {

extern const char BuiltInTitle[];

class LogoTitleStage {
 public:
  // Another title (kept by pointer: it must outlive the stage), in the font's bytes.
  void setTitle(const char* title) { title_ = title; }

  // Sets the blend and texture state it needs; leaves the text style's scale as it found it and
  // its colour at the title's.
  void draw(const StageInputs& in);

 private:
  const char* title_ = BuiltInTitle;
};

}  // namespace marvolet
