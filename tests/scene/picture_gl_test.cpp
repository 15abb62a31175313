// Whole frames on the headless context: where the rings, the logo tint, the title and the glow
// put their light.
#include <gtest/gtest.h>

#include <algorithm>

#include "render/gl.h"
#include "scene/renderer.h"
#include "saver_test.h"
#include "scene/scene.h"
#include "scene/verse_rings.h"

namespace marvolet {
namespace {

using testing::Frame;

constexpr int32_t Width = 320;
constexpr int32_t Height = 240;

class PictureTest : public testing::RendererFixture {
 protected:
  // Whole frames as the savers draw them: the fast path.
  PictureTest() : RendererFixture(Width, Height) { drawPath = DrawPath::Fast; }
  void build(RenderFlags flags) {
    RendererFixture::build(flags);
    // Hold the parameters still for the frames of a test.
    scene->segmentDuration = 1000.0f;
    pin(textdistance, 1.0f);
  }
  void pin(int32_t k, float value) { scene->start[k] = scene->target[k] = value; }
  void pinColour(int32_t k, float r, float g, float b) {
    pin(k, r);
    pin(k + 1, g);
    pin(k + 2, b);
  }
  Frame frameAfter(int frames) {
    for (int i = 0; i < frames; ++i) {
      clock.advance(33);
      renderer->renderFrame();
    }
    return Frame(context);
  }
};

struct Box {
  int32_t x0, y0, x1, y1;
};

// Window box, origin top-left, of the sphere cap the rings cover at textdistance 1.
Box ringCap() {
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  gluLookAt(0, 0, 5.5, 0, 0, 0, 0, 1, 0);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glPopMatrix();
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
  for (int32_t n = 0; n < TextRingCount; ++n) {
    for (float x = -6000.0f; x <= 6000.0f; x += 100.0f) {
      const RingPoint p = ringPoint(ringLatitude(n), ringLongitude(x));
      GLdouble wx, wy, wz;
      gluProject(p.x * 0.0005, p.y * 0.0005, p.z * 0.0005, modelview, projection, viewport, &wx,
                 &wy, &wz);
      minX = std::min(minX, wx);
      maxX = std::max(maxX, wx);
      minY = std::min(minY, Height - wy);
      maxY = std::max(maxY, Height - wy);
    }
  }
  // Glyphs stand above their ring point and reach a little to the right of it.
  const int32_t margin = 10;
  return Box{std::max(0, static_cast<int32_t>(minX) - margin),
             std::max(0, static_cast<int32_t>(minY) - margin),
             std::min(Width, static_cast<int32_t>(maxX) + margin),
             std::min(Height, static_cast<int32_t>(maxY) + margin)};
}

TEST_F(PictureTest, RingsFillTheSphereCapAndNothingElse) {
  build(0);
  const Box cap = ringCap();
  EXPECT_GT(cap.x1 - cap.x0, Width / 3);
  const Frame frame = frameAfter(3);
  const int32_t inside = frame.inkCount(cap.x0, cap.y0, cap.x1, cap.y1);
  const int32_t all = frame.inkCount(0, 0, Width, Height);
  const int32_t titleBand = frame.inkCount(0, Height * 85 / 100, Width, Height);
  EXPECT_GT(inside, (cap.x1 - cap.x0) * (cap.y1 - cap.y0) / 10);
  EXPECT_LE(all - inside, titleBand) << "ink outside the cap and the title band";
}

TEST_F(PictureTest, TitleSitsAtTheBottomRightOfTheCentre) {
  static const char blank[] = "                                                  ";
  build(0);
  scene->verse.setVerse(blank);
  pinColour(logocolor, 1.0f, 1.0f, 1.0f);
  const Frame frame = frameAfter(2);
  const int32_t title = frame.inkCount(Width / 2, Height * 85 / 100, Width, Height);
  EXPECT_GT(title, 100);
  EXPECT_EQ(frame.inkCount(0, 0, Width, Height), title);
}

TEST_F(PictureTest, LogosTintTheTextWithTheImageColour) {
  double blue[2] = {0, 0};
  for (int run = 0; run < 2; ++run) {
    build(0);
    pinColour(textcolor, 1.0f, 1.0f, 0.0f);
    pinColour(logocolor, 1.0f, 1.0f, 0.0f);
    pinColour(imagecolor, 0.0f, 0.0f, run == 0 ? 1.0f : 0.0f);
    pin(imagefade, 1.0f);
    const Frame frame = frameAfter(2);
    for (int32_t y = 0; y < Height; ++y) {
      for (int32_t x = 0; x < Width; ++x) blue[run] += frame.at(x, y).b;
    }
  }
  EXPECT_GT(blue[0], 2000.0) << "a blue logo over yellow text shows blue";
  EXPECT_LT(blue[1], 50.0) << "nothing else in that frame is blue";
}

TEST_F(PictureTest, GlowBrightensTheCentre) {
  double centre[2] = {0, 0};
  const RenderFlags flags[2] = {Stars, Stars | LightEffects};
  for (int run = 0; run < 2; ++run) {
    build(flags[run]);
    const Frame frame = frameAfter(3);
    centre[run] = frame.brightness(Width / 4, Height / 4, Width * 3 / 4, Height * 3 / 4);
  }
  EXPECT_GT(centre[1], centre[0] * 1.1);
}

}  // namespace
}  // namespace marvolet
