// The star stage's drawing and the state it hands the verse rings.
#include "scene/star_stage.h"

#include "render/gl.h"

namespace marvolet {

void StarStage::start(Random& random, int32_t width, int32_t height) {
  if (flies_) field.start(random, width, height);
}

void StarStage::draw(const StageInputs& in) {
  glPushMatrix();
  // The field moves at every drawing of the scene, so in a light-effects frame, which draws the
  // scene twice (the capture, then the frame), the stars take two steps. That is intended: it
  // is how the saver has always flown them with the light effects on.
  if (flies_) field.move(in.frameSeconds, in.width, in.height);
  field.draw();
  glPopMatrix();

  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBindTexture(GL_TEXTURE_2D, in.font.name);
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_FOG);
}

}  // namespace marvolet
