// The primary's picture copied onto other monitors: pixels, black bars, and the GL state that
// the renderer's next frame relies on.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "render/gl.h"
#include "render/monitor_copies.h"
#include "scene/renderer.h"
#include "saver_test.h"

namespace marvolet {
namespace {

using testing::Frame;
using testing::Rgb;

bool same(const Rgb& a, const Rgb& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b;
}

// A window's rectangles as the host's layout rule gives them for the monitors named in each
// fixture (tests/host/monitor_layout_test.cpp holds the rule to these).
struct Layout {
  int32_t width = 0;  // the window, pixels
  int32_t height = 0;
  PixelRect primary;
  std::vector<MonitorCopy> copies;
};

// Points the renderer at the primary.
void placeRenderer(Renderer& renderer, const Layout& layout) {
  const PixelRect gl = bottomUp(layout.primary, layout.height);
  renderer.resize(gl.width, gl.height, gl.x, gl.y);
}

void copyToOtherMonitors(const Layout& layout) {
  copyToOtherMonitors(layout.width, layout.height, layout.primary, layout.copies);
}

// A window 200 x 60: the primary 80 x 60 on the left, a 120 x 60 monitor on its right.
class SideBySide : public testing::RendererFixture {
 protected:
  SideBySide() : RendererFixture(200, 60) {}
};

TEST_F(SideBySide, AnotherMonitorOfTheSameHeightGetsThePrimarysPixelsBetweenBlackBars) {
  build(Stars | Trails);
  // Trails never clear: whatever the buffer held must not show in the bars.
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  const Layout layout = {200, 60, {0, 0, 80, 60}, {{{80, 0, 120, 60}, {100, 0, 80, 60}}}};
  placeRenderer(*renderer, layout);
  clock.advance(1500);
  renderer->renderFrame();
  copyToOtherMonitors(layout);

  const Frame frame(context);
  EXPECT_GT(frame.inkCount(0, 0, 80, 60), 100) << "the primary shows no picture";
  int32_t different = 0;
  for (int32_t y = 0; y < 60; ++y) {
    for (int32_t x = 0; x < 80; ++x)
      different += same(frame.at(x, y), frame.at(x + 100, y)) ? 0 : 1;
  }
  EXPECT_EQ(different, 0);
  EXPECT_EQ(frame.inkCount(80, 0, 100, 60, 0), 0) << "left bar";
  EXPECT_EQ(frame.inkCount(180, 0, 200, 60, 0), 0) << "right bar";
}

// A window 160 x 180: a 160 x 120 monitor on top, the 80 x 60 primary below it on the left and
// nothing to its right.
class Stacked : public testing::RendererFixture {
 protected:
  Stacked() : RendererFixture(160, 180) {}
};

struct GlSnapshot {
  std::array<GLint, 4> viewport{};
  std::array<GLdouble, 16> projection{};
  std::array<GLdouble, 16> modelview{};
  GLint matrixMode = 0;
  GLfloat zoomX = 0, zoomY = 0;
  std::array<GLboolean, 6> enabled{};

  static GlSnapshot take() {
    GlSnapshot s;
    glGetIntegerv(GL_VIEWPORT, s.viewport.data());
    glGetDoublev(GL_PROJECTION_MATRIX, s.projection.data());
    glGetDoublev(GL_MODELVIEW_MATRIX, s.modelview.data());
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    glGetFloatv(GL_ZOOM_X, &s.zoomX);
    glGetFloatv(GL_ZOOM_Y, &s.zoomY);
    const GLenum caps[] = {GL_DEPTH_TEST,   GL_BLEND,     GL_TEXTURE_2D,
                           GL_SCISSOR_TEST, GL_CULL_FACE, GL_ALPHA_TEST};
    for (size_t i = 0; i < s.enabled.size(); ++i) s.enabled[i] = glIsEnabled(caps[i]);
    return s;
  }
  bool operator==(const GlSnapshot& o) const {
    return viewport == o.viewport && projection == o.projection && modelview == o.modelview &&
           matrixMode == o.matrixMode && zoomX == o.zoomX && zoomY == o.zoomY &&
           enabled == o.enabled;
  }
};

TEST_F(Stacked, ALargerMonitorGetsTheScaledPictureAndTheRendererItsStateBack) {
  build(Stars);
  const Layout layout = {160, 180, {0, 120, 80, 60}, {{{0, 0, 160, 120}, {0, 0, 160, 120}}}};
  placeRenderer(*renderer, layout);
  EXPECT_EQ(renderer->originY, 0);  // the primary is the window's bottom-left corner for GL
  clock.advance(1500);
  renderer->renderFrame();
  const GlSnapshot before = GlSnapshot::take();
  copyToOtherMonitors(layout);
  EXPECT_TRUE(GlSnapshot::take() == before) << "the copy left GL state changed";
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // Twice the size: each primary pixel becomes a 2 x 2 block, not a stretched or shifted one.
  const Frame frame(context);
  int32_t matching = 0;
  for (int32_t y = 0; y < 60; ++y) {
    for (int32_t x = 0; x < 80; ++x) {
      const Rgb source = frame.at(x, 120 + y);
      matching +=
          same(source, frame.at(2 * x, 2 * y)) && same(source, frame.at(2 * x + 1, 2 * y + 1)) ? 1
                                                                                               : 0;
    }
  }
  EXPECT_GT(frame.inkCount(0, 120, 80, 180), 100) << "the primary shows no picture";
  EXPECT_GE(matching, 80 * 60 * 98 / 100);
}

// A window 400 x 240: the 200 x 240 primary on the left, a monitor of the same size right of it.
class MainMonitorOnly : public testing::RendererFixture {
 protected:
  MainMonitorOnly() : RendererFixture(400, 240) {}
};

// Main monitor only: the other monitor stays black although trails never clear and the burn-in
// guard pushes the picture over the primary's edge onto it; the primary keeps its picture and
// the renderer its GL state.
TEST_F(MainMonitorOnly, TheOtherMonitorStaysBlackUnderTrailsAndTheDrift) {
  const Layout layout = {400, 240, {0, 0, 200, 240}, {{{200, 0, 200, 240}, {200, 0, 200, 240}}}};
  for (bool mainOnly : {false, true}) {
    build(Stars | Trails | BurnInGuard);
    placeRenderer(*renderer, layout);
    // The drift is 3 pixels right and up at 161.75 s: the clock ticks undrawn till then, 2.5 s
    // at a time, closer than a pause.
    for (uint32_t ms = 0; ms + 2500 < 161750; ms += 2500) {
      clock.advance(2500);
      renderer->tick();
    }
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    clock.advance(161750 % 2500);
    renderer->renderFrame();
    ASSERT_EQ(renderer->driftX, 3);
    const GlSnapshot before = GlSnapshot::take();
    if (mainOnly) {
      blackenOtherMonitors(layout.height, layout.copies);
    } else {
      copyToOtherMonitors(layout);
    }
    EXPECT_TRUE(GlSnapshot::take() == before) << "GL state changed";

    const Frame frame(context);
    EXPECT_GT(frame.inkCount(3, 0, 200, 237), 1000) << "the primary shows no picture";
    EXPECT_EQ(frame.inkCount(0, 0, 3, 240, 0), 0) << "the edge the drift uncovers";
    if (mainOnly) {
      EXPECT_EQ(frame.inkCount(200, 0, 400, 240, 0), 0) << "the other monitor is not black";
    } else {
      EXPECT_GT(frame.inkCount(200, 0, 400, 240), 1000) << "the copy is missing";
    }
  }
}

}  // namespace
}  // namespace marvolet
