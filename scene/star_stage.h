// The star stage: the star field moved (when it flies) and drawn, then the state the verse
// rings expect.
#pragma once

#include "scene/stage_inputs.h"
#include "scene/star_field.h"

namespace marvolet {

class StarStage {
 public:
  // `flies`: whether the field is started and moved (the Stars flag); without it the stars stay
  // at zero and only the stage's state changes are drawn.
  explicit StarStage(bool flies) : flies_(flies) {}

  // Places the field and flies its warm-up, when it flies; the drawing area in pixels.
  void start(Random& random, int32_t width, int32_t height);
  void draw(const StageInputs& in);

  StarField field;

 private:
  bool flies_;
};

}  // namespace marvolet
