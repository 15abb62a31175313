// The logos and title stage's drawing.
#include "scene/logo_title_stage.h"

#include "render/drawing_path.h"
#include "render/gl.h"
#include "render/text_line.h"
#include "scene/scene_parameters.h"

namespace marvolet {

extern const char BuiltInTitle[] = "ZANDREL";

namespace {

// A user's picture keeps its own colours, faded as the built-in logo is, and its shape: it is
// fitted inside the place of half-width w and half-height h. A built-in logo (aspect 0) fills
// the place in the scene's tint.
void drawOneLogo(const StageInputs& in, float aspect, float w, float h, const float* tint,
                 float alpha) {
  if (aspect <= 0.0f) {
    glColor4f(tint[0], tint[1], tint[2], alpha);
    in.drawing.drawLogo(w, h, alpha);
    return;
  }
  glColor4f(1.0f, 1.0f, 1.0f, alpha);
  if (aspect > w / h) {
    in.drawing.drawLogo(w, w / aspect, alpha);
  } else {
    in.drawing.drawLogo(h * aspect, h, alpha);
  }
}

}  // namespace

LogoTitleStage::LogoTitleStage() : title_(asciiGlyphs(BuiltInTitle, MainFont)) {}

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
  drawOneLogo(in, in.firstLogoAspect, w, h, tint, firstAlpha);
  glBindTexture(GL_TEXTURE_2D, in.secondLogo);
  drawOneLogo(in, in.secondLogoAspect, w, h, tint, secondAlpha);
  glPopMatrix();
  glDisable(GL_TEXTURE_2D);

  TextStyle& text = in.text;
  const float savedScale = text.scale;
  text.setScale(0.001f);
  text.setColor(0.0f, 0.0f, 0.0f, 1.0f);
  drawTextLine(in.drawing, text, in.font, 0.91f, -1.405f, title_.data(), title_.size());
  const float* title = &in.parameters[logocolor];
  text.setColor(title[0], title[1], title[2], 1.0f);
  drawTextLine(in.drawing, text, in.font, 0.9f, -1.4f, title_.data(), title_.size());
  text.setScale(savedScale);
}

}  // namespace marvolet
