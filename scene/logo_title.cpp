// The two cross-fading logo images and the title line with its drop shadow.
#include "render/drawing_path.h"
#include "render/gl.h"
#include "render/text_line.h"
#include "scene/scene.h"

namespace marvolet {

namespace {
constexpr char Title[] = "ZANDREL";
}  // namespace

void Scene::drawLogoAndTitle() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA_SATURATE, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, textureName(1));
  glPushMatrix();
  const float w = current[imagezoom] + 2.5f;
  const float h = 0.75f * w;
  const float* tint = &current[imagecolor];
  const float firstAlpha = current[imagefade];
  const float secondAlpha = 1.0f - current[imagefade];
  glColor4f(tint[0], tint[1], tint[2], firstAlpha);
  drawing.drawLogo(w, h, firstAlpha);
  glBindTexture(GL_TEXTURE_2D, textureName(2));
  glColor4f(tint[0], tint[1], tint[2], secondAlpha);
  drawing.drawLogo(w, h, secondAlpha);
  glPopMatrix();
  glDisable(GL_TEXTURE_2D);

  const TextAtlas atlas = fontAtlas();
  const float savedScale = text.scale;
  text.setScale(0.001f);
  text.setColor(0.0f, 0.0f, 0.0f, 1.0f);
  drawTextLine(drawing, text, atlas, 0.91f, -1.405f, Title);
  const float* title = &current[logocolor];
  text.setColor(title[0], title[1], title[2], 1.0f);
  drawTextLine(drawing, text, atlas, 0.9f, -1.4f, Title);
  text.setScale(savedScale);
}

}  // namespace marvolet
