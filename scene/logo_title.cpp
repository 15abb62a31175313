// The two cross-fading logo images and the title line with its drop shadow.
#include "assets/bitmap_font.h"
#include "render/gl.h"
#include "render/renderer.h"
#include "scene/scene.h"

namespace marvolet {

namespace {
constexpr char Title[] = "ZANDREL";

// A quad of half-width w and half-height h in the plane z = 0, the image's top row at the top.
void drawLogoQuad(float w, float h) {
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-w, -h, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(w, -h, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(w, h, 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-w, h, 0.0f);
  glEnd();
}
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
  // Under this blend a logo whose alpha is exactly 0 leaves every pixel as it was (source factor
  // 0, destination factor 1, alpha too), so the fast path skips its full-screen fill; the fade
  // rests at 0 or 1 for whole segments, and then one of the two always is.
  const bool fast = renderer->drawPath == DrawPath::Fast;
  const float firstAlpha = current[imagefade];
  const float secondAlpha = 1.0f - current[imagefade];
  glColor4f(tint[0], tint[1], tint[2], firstAlpha);
  if (!fast || firstAlpha != 0.0f) drawLogoQuad(w, h);
  glBindTexture(GL_TEXTURE_2D, textureName(2));
  glColor4f(tint[0], tint[1], tint[2], secondAlpha);
  if (!fast || secondAlpha != 0.0f) drawLogoQuad(w, h);
  glPopMatrix();
  glDisable(GL_TEXTURE_2D);

  const float savedScale = textScale;
  setTextScale(0.001f);
  setTextColor(0.0f, 0.0f, 0.0f, 1.0f);
  drawTextLine(0.91f, -1.405f, Title);
  const float* title = &current[logocolor];
  setTextColor(title[0], title[1], title[2], 1.0f);
  drawTextLine(0.9f, -1.4f, Title);
  setTextScale(savedScale);
}

}  // namespace marvolet
