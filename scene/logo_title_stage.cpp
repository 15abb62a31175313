// The logos and title stage's drawing.
#include "scene/logo_title_stage.h"

#include "render/drawing_path.h"
#include "render/gl.h"
#include "render/text_line.h"
#include "scene/scene_parameters.h"

namespace marvolet {

namespace {
constexpr char Title[] = "ZANDREL";
}  // namespace

void LogoTitleStage::draw(const StageInputs& in) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA_SATURATE, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, in.firstLogo);
  glPushMatrix();
  const float w = in.parameters[imagezoom] + 2.5f;
  const float h = 0.75f * w;
  const float* tint = &in.parameters[imagecolor];
  const float firstAlpha = in.parameters[imagefade];
  const float secondAlpha = 1.0f - in.parameters[imagefade];
  glColor4f(tint[0], tint[1], tint[2], firstAlpha);
  in.drawing.drawLogo(w, h, firstAlpha);
  glBindTexture(GL_TEXTURE_2D, in.secondLogo);
  glColor4f(tint[0], tint[1], tint[2], secondAlpha);
  in.drawing.drawLogo(w, h, secondAlpha);
  glPopMatrix();
  glDisable(GL_TEXTURE_2D);

  TextStyle& text = in.text;
  const float savedScale = text.scale;
  text.setScale(0.001f);
  text.setColor(0.0f, 0.0f, 0.0f, 1.0f);
  drawTextLine(in.drawing, text, in.font, 0.91f, -1.405f, Title);
  const float* title = &in.parameters[logocolor];
  text.setColor(title[0], title[1], title[2], 1.0f);
  drawTextLine(in.drawing, text, in.font, 0.9f, -1.4f, Title);
  text.setScale(savedScale);
}

}  // namespace marvolet
