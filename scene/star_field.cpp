// Star field initialisation, motion, drawing and the GL state it hands the verse rings.
#include "scene/star_field.h"

#include <cstring>

#include "render/gl.h"
#include "render/renderer.h"
#include "scene/random.h"
#include "scene/scene.h"

namespace marvolet {

Star warmStars[WarmStarCount];
Star coolStars[CoolStarCount];
Star farStars[FarStarCount];

void resetStarField() {
  std::memset(warmStars, 0, sizeof warmStars);
  std::memset(coolStars, 0, sizeof coolStars);
  std::memset(farStars, 0, sizeof farStars);
}

bool starNeedsRebirth(float z, double wx, double wy, int32_t width, int32_t height) {
  return z > 0.0f || wx < -width || wx > 2.0 * width || wy < -height || wy > 2.0 * height;
}

namespace {

struct ViewMatrices {
  GLdouble modelview[16];
  GLdouble projection[16];
  GLint viewport[4];
};

ViewMatrices readViewMatrices() {
  ViewMatrices view{};
  glGetDoublev(GL_MODELVIEW_MATRIX, view.modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, view.projection);
  glGetIntegerv(GL_VIEWPORT, view.viewport);
  return view;
}

enum class Layer { Cool, Warm, Far };

void placeStar(Star& star, Layer layer, const ViewMatrices& view, int32_t width, int32_t height) {
  const float u1 = randomUnit();
  const float u2 = randomUnit();
  const float u3 = randomUnit();
  GLdouble x = 0, y = 0, z = 0;
  gluUnProject(static_cast<float>(width) * u2, static_cast<float>(height) * u1, u3, view.modelview,
               view.projection, view.viewport, &x, &y, &z);
  star.x = static_cast<float>(x);
  star.y = static_cast<float>(y);
  star.z = static_cast<float>(z);
  const float c1 = randomUnit();
  const float c2 = randomUnit();
  const float c3 = randomUnit();
  switch (layer) {
    case Layer::Cool:
      star.red = 0.5f * (c2 + 1.0f);
      star.green = 0.8f + 0.2f * c1;
      star.blue = 0.9f + 0.1f * c3;
      break;
    case Layer::Warm:
      star.red = 0.9f + 0.1f * c2;
      star.green = 0.6f + 0.4f * c1;
      star.blue = 0.5f * (c3 + 1.0f);
      break;
    case Layer::Far:
      star.red = 0.5f * (0.8f + 0.2f * c2);
      star.green = 0.5f * (0.8f + 0.2f * c1);
      star.blue = 0.5f * (0.8f + 0.2f * c3);
      break;
  }
}

void moveLayer(Star* stars, int32_t count, float step, const ViewMatrices& view, int32_t width,
               int32_t height) {
  for (int32_t i = 0; i < count; ++i) {
    Star& star = stars[i];
    star.z += step;
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(star.x, star.y, star.z, view.modelview, view.projection, view.viewport, &wx, &wy,
               &wz);
    if (starNeedsRebirth(star.z, wx, wy, width, height)) {
      star.x = (2.0f * randomUnit() - 1.0f) * 500.0f;
      star.z = -730.0f;
      star.y = (2.0f * randomUnit() - 1.0f) * 250.0f;
    }
  }
}

void drawLayer(const Star* stars, int32_t count, float pointSize) {
  glPointSize(pointSize);
  glInterleavedArrays(GL_C3F_V3F, 0, stars);
  glDrawArrays(GL_POINTS, 0, count);
}

}  // namespace

void Scene::initStars() {
  // Eye space, without the camera, for placement and warm-up alike.
  glPushMatrix();
  glLoadIdentity();
  const ViewMatrices view = readViewMatrices();
  for (Star& star : coolStars)
    placeStar(star, Layer::Cool, view, renderer->width, renderer->height);
  for (Star& star : warmStars)
    placeStar(star, Layer::Warm, view, renderer->width, renderer->height);
  for (Star& star : farStars) placeStar(star, Layer::Far, view, renderer->width, renderer->height);
  // Warm up so the first frame shows a field in flight rather than a fresh random cloud.
  renderer->fps = 20.0f;
  for (int32_t i = 0; i < 200; ++i) moveStars();
  glPopMatrix();
}

void Scene::moveStars() {
  const ViewMatrices view = readViewMatrices();
  // A near star crosses the 730-unit depth in 4 seconds of frames at any frame rate.
  const float step = 730.0f / (renderer->fps * 4.0f);
  // The renderer's size, not the viewport: during the glow capture the viewport is smaller.
  const int32_t width = renderer->width;
  const int32_t height = renderer->height;
  moveLayer(coolStars, CoolStarCount, step, view, width, height);
  moveLayer(warmStars, WarmStarCount, step, view, width, height);
  moveLayer(farStars, FarStarCount, step * 0.125f, view, width, height);
}

void Scene::drawStars() {
  glPushMatrix();
  if ((renderer->flags & Stars) != 0) moveStars();
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glDisable(GL_LIGHTING);
  glEnable(GL_POINT_SMOOTH);
  glDisable(GL_DEPTH_TEST);
  glFogi(GL_FOG_START, 657);
  glFogi(GL_FOG_END, 730);
  glEnable(GL_FOG);
  drawLayer(farStars, FarStarCount, 1.0f);
  glFogi(GL_FOG_START, 0);
  glFogi(GL_FOG_END, 730);
  drawLayer(warmStars, WarmStarCount, 2.0f);
  drawLayer(coolStars, CoolStarCount, 1.5f);
  glDisable(GL_FOG);
  glEnable(GL_DEPTH_TEST);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisable(GL_NORMALIZE);
  glDisable(GL_BLEND);
  glDisable(GL_COLOR_MATERIAL);
  glColor3f(1.0f, 1.0f, 1.0f);
  glPopMatrix();
}

void Scene::drawStarStage() {
  drawStars();
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBindTexture(GL_TEXTURE_2D, textureName(0));
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_FOG);
}

}  // namespace marvolet
