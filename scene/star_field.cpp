// Star field placement, motion and drawing.
#include "scene/star_field.h"

#include <algorithm>
#include <array>

#include "render/gl.h"
#include "scene/random.h"

namespace marvolet {

bool starNeedsRebirth(float z, double wx, double wy, int32_t width, int32_t height) {
  return z > 0.0f || wx < -width || wx > 2.0 * width || wy < -height || wy > 2.0 * height;
}

namespace {

struct ViewMatrices {
  GLdouble modelview[16];
  GLdouble projection[16];
  GLint viewport[4];
};

// The viewport is taken at its own origin: stars are placed and judged in the viewport's
// coordinates, so a drawing area away from the window's corner (the primary monitor of a window
// over several) flies the very field a window of its own would.
ViewMatrices readViewMatrices() {
  ViewMatrices view{};
  glGetDoublev(GL_MODELVIEW_MATRIX, view.modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, view.projection);
  glGetIntegerv(GL_VIEWPORT, view.viewport);
  view.viewport[0] = 0;
  view.viewport[1] = 0;
  return view;
}

enum class Layer { Cool, Warm, Far };

void placeStar(Star& star, Layer layer, Random& random, const ViewMatrices& view, int32_t width,
               int32_t height) {
  const float u1 = random.nextUnit();
  const float u2 = random.nextUnit();
  const float u3 = random.nextUnit();
  GLdouble x = 0, y = 0, z = 0;
  gluUnProject(static_cast<float>(width) * u2, static_cast<float>(height) * u1, u3, view.modelview,
               view.projection, view.viewport, &x, &y, &z);
  star.x = static_cast<float>(x);
  star.y = static_cast<float>(y);
  star.z = static_cast<float>(z);
  const float c1 = random.nextUnit();
  const float c2 = random.nextUnit();
  const float c3 = random.nextUnit();
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

bool leftView(const Star& star, float z, const ViewMatrices& view, int32_t width, int32_t height) {
  GLdouble wx = 0, wy = 0, wz = 0;
  gluProject(star.x, star.y, z, view.modelview, view.projection, view.viewport, &wx, &wy, &wz);
  return starNeedsRebirth(z, wx, wy, width, height);
}

// A star due for rebirth in this flight, and how far into the flight (0 to 1) it left.
struct Rebirth {
  double when;
  Star* star;
  double* depth;
  double step;  // its layer's step over the whole flight
};

// Every star's, at most: noted on the stack, as a frame allocates nothing.
struct Rebirths {
  std::array<Rebirth, CoolStarCount + WarmStarCount + FarStarCount> list;
  size_t count = 0;
};

// Moves each star by `step`; the ones that leave the view are noted with the moment they left.
void moveLayer(Star* stars, double* depths, int32_t count, double step, const ViewMatrices& view,
               int32_t width, int32_t height, Rebirths& rebirths) {
  for (int32_t i = 0; i < count; ++i) {
    Star& star = stars[i];
    double& depth = depths[i];
    // A depth set from outside (placement, a test) is taken as it is.
    if (static_cast<float>(depth) != star.z) depth = star.z;
    const double from = depth;
    depth += step;
    star.z = static_cast<float>(depth);
    if (!leftView(star, star.z, view, width, height)) continue;
    // Where along the flight it left: past the camera plane by arithmetic, out of the side of
    // the view by halving (the projection moves outwards as the star comes nearer).
    double low = 0.0, high = 1.0;
    if (star.z > 0.0f && step > 0.0) low = high = std::clamp(-from / step, 0.0, 1.0);
    for (int k = 0; k < 16 && high - low > 1e-6; ++k) {
      const double middle = 0.5 * (low + high);
      if (leftView(star, static_cast<float>(from + step * middle), view, width, height)) {
        high = middle;
      } else {
        low = middle;
      }
    }
    rebirths.list[rebirths.count++] = {high, &star, &depth, step};
  }
}

void drawLayer(const Star* stars, int32_t count, float pointSize) {
  glPointSize(pointSize);
  glInterleavedArrays(GL_C3F_V3F, 0, stars);
  glDrawArrays(GL_POINTS, 0, count);
}

}  // namespace

void StarField::start(Random& random, int32_t width, int32_t height) {
  // Eye space, without the camera, for placement and warm-up alike.
  glPushMatrix();
  glLoadIdentity();
  const ViewMatrices view = readViewMatrices();
  for (Star& star : cool) placeStar(star, Layer::Cool, random, view, width, height);
  for (Star& star : warm) placeStar(star, Layer::Warm, random, view, width, height);
  for (Star& star : far) placeStar(star, Layer::Far, random, view, width, height);
  rebirths = random;
  rebirths.nextInt();  // one ahead of the scene's own sequence
  for (int32_t i = 0; i < 200; ++i) move(1.0 / WarmUpFps, width, height);
  glPopMatrix();
}

void StarField::move(double seconds, int32_t width, int32_t height) {
  const ViewMatrices view = readViewMatrices();
  // Multiplied before dividing, so that a twentieth of a second is 9.125 units exactly.
  const double step = 730.0 * seconds / 4.0;
  Rebirths due;
  moveLayer(cool, coolDepth, CoolStarCount, step, view, width, height, due);
  moveLayer(warm, warmDepth, WarmStarCount, step, view, width, height, due);
  moveLayer(far, farDepth, FarStarCount, step * 0.125, view, width, height, due);
  // In the order they left; among stars that left at once, in the arrays' order.
  const auto end = due.list.begin() + static_cast<std::ptrdiff_t>(due.count);
  std::stable_sort(due.list.begin(), end,
                   [](const Rebirth& a, const Rebirth& b) { return a.when < b.when; });
  for (auto it = due.list.begin(); it != end; ++it) {
    const Rebirth& rebirth = *it;
    Star& star = *rebirth.star;
    star.x = (2.0f * rebirths.nextUnit() - 1.0f) * 500.0f;
    *rebirth.depth = -730.0 + rebirth.step * (1.0 - rebirth.when);
    star.z = static_cast<float>(*rebirth.depth);
    star.y = (2.0f * rebirths.nextUnit() - 1.0f) * 250.0f;
  }
}

void StarField::draw() const {
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glDisable(GL_LIGHTING);
  glEnable(GL_POINT_SMOOTH);
  glDisable(GL_DEPTH_TEST);
  glFogi(GL_FOG_START, 657);
  glFogi(GL_FOG_END, 730);
  glEnable(GL_FOG);
  drawLayer(far, FarStarCount, 1.0f);
  glFogi(GL_FOG_START, 0);
  glFogi(GL_FOG_END, 730);
  drawLayer(warm, WarmStarCount, 2.0f);
  drawLayer(cool, CoolStarCount, 1.5f);
  glDisable(GL_FOG);
  glEnable(GL_DEPTH_TEST);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisable(GL_NORMALIZE);
  glDisable(GL_BLEND);
  glDisable(GL_COLOR_MATERIAL);
  glColor3f(1.0f, 1.0f, 1.0f);
}

}  // namespace marvolet
