// The logos and title stage: the two cross-fading logo images and the title line with its drop
// shadow.
#pragma once

#include "scene/stage_inputs.h"

namespace marvolet {

class LogoTitleStage {
 public:
  // Sets the blend and texture state it needs; leaves the text style's scale as it found it and
  // its colour at the title's.
  void draw(const StageInputs& in);
};

}  // namespace marvolet
