// Renderer: construction order, the frame rate it starts from, key commands, trails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "gl_recorder.h"
#include "render/burn_in_drift.h"
#include "render/gl.h"
#include "render/projections.h"
#include "scene/renderer.h"
#include "saver_test.h"
#include "scene/scene.h"

namespace marvolet {
namespace {

using testing::Frame;
using testing::GlCall;
using testing::Rgb;

class RendererTest : public testing::SaverTest {};

size_t indexOf(const std::vector<GlCall>& calls, const std::string& name, size_t from = 0) {
  for (size_t i = from; i < calls.size(); ++i) {
    if (calls[i].name == name) return i;
  }
  return calls.size();
}

TEST_F(RendererTest, ConstructionSetsProjectionBeforeSceneAndDepthBeforeCapabilityTest) {
  testing::startGlRecording();
  Renderer renderer(160, 120, Stars | LightEffects);
  const auto calls = testing::stopGlRecording();

  const size_t viewport = indexOf(calls, "glViewport");
  const size_t perspective = indexOf(calls, "gluPerspective");
  const size_t clearColor = indexOf(calls, "glClearColor");  // the scene's asset step
  const size_t clearDepth = indexOf(calls, "glClearDepth");
  const size_t extensions = indexOf(calls, "glGetString");
  ASSERT_LT(extensions, calls.size());
  EXPECT_LT(viewport, perspective);
  EXPECT_LT(perspective, clearColor);
  EXPECT_LT(clearColor, clearDepth);
  EXPECT_LT(clearDepth, extensions);
  EXPECT_EQ(calls[perspective].args, (std::vector<double>{30.0, 160.0 / 120.0, 0.1, 1000.0}));
  EXPECT_EQ(calls[viewport].args, (std::vector<double>{0, 0, 160, 120}));
  EXPECT_EQ(calls[indexOf(calls, "glDepthFunc")].args[0], GL_LEQUAL);
  EXPECT_EQ(calls[indexOf(calls, "glHint")].args,
            (std::vector<double>{GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST}));

  EXPECT_EQ(renderer.frameDelay(), 60);
  EXPECT_EQ(FrameClock::TargetFps, 30);
  EXPECT_TRUE(renderer.lightEffectsActive());
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(RendererTest, StartValuesOfTheFrameRate) {
  {
    Renderer plain(160, 120, 0);
    EXPECT_FLOAT_EQ(plain.clock().fps(), 50.0f);  // the clock's start value
    EXPECT_FALSE(plain.lightEffectsActive());
  }
  Renderer withStars(160, 120, Stars);
  EXPECT_FLOAT_EQ(withStars.clock().fps(), 20.0f);  // left by the star field's warm-up
}

// The scene's parameters over a day and a half of 2-second frames, across the 2^31 and 2^32
// points of the millisecond counter.
TEST_F(RendererTest, SceneParametersStayInRangeAcrossTheCounterWrap) {
  for (uint32_t start : {0x7FFFFF00u, 0xFFFFFF00u}) {
    clock.set(start);
    Renderer renderer(160, 120, 0);
    for (int i = 1; i <= 65000; ++i) {
      clock.advance(2000);
      renderer.update();
      for (float value : renderer.scene->current) ASSERT_TRUE(std::isfinite(value)) << i;
      ASSERT_LE(renderer.scene->current[imagefade], 1.0f);
      ASSERT_GE(renderer.scene->current[imagefade], 0.0f);
    }
    EXPECT_DOUBLE_EQ(renderer.clock().seconds(), 130000.0);
  }
}

TEST_F(RendererTest, KeyCommandsToggleTheirSwitchAlone) {
  Renderer renderer(160, 120, Stars | LightEffects);
  const bool& lightEffects = renderer.scene->lightEffects;
  const bool& frameRate = renderer.scene->showFrameRate;
  struct Step {
    KeyCommand command;
    bool lightEffects, frameRate;  // the switches after it
  };
  const Step steps[] = {{KeyCommand::Nothing, true, false},
                        {KeyCommand::ToggleLightEffects, false, false},
                        {KeyCommand::ToggleLightEffects, true, false},
                        {KeyCommand::ToggleFrameRate, true, true},
                        {KeyCommand::ToggleFrameRate, true, false},
                        {KeyCommand::Nothing, true, false}};
  for (const Step& step : steps) {
    renderer.keyCommand(step.command);
    EXPECT_EQ(lightEffects, step.lightEffects) << static_cast<int>(step.command);
    EXPECT_EQ(frameRate, step.frameRate) << static_cast<int>(step.command);
  }
}

// Pure red cannot come from the picture: every colour it draws has green or blue in it.
int32_t pureRedPixels(const Frame& frame) {
  int32_t count = 0;
  for (int32_t y = 0; y < frame.height(); ++y) {
    for (int32_t x = 0; x < frame.width(); ++x) {
      const testing::Rgb p = frame.at(x, y);
      if (p.r > 60 && p.g < 8 && p.b < 8) ++count;
    }
  }
  return count;
}

TEST_F(RendererTest, TrailsLeaveThePreviousFrameUncleared) {
  for (RenderFlags flags : {RenderFlags{0}, Trails}) {
    Renderer renderer(160, 120, flags);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    clock.advance(40);
    renderer.renderFrame();
    const int32_t red = pureRedPixels(Frame(context));
    if (flags & Trails) {
      EXPECT_GT(red, 160 * 120 / 4) << "the red background should survive under trails";
    } else {
      EXPECT_EQ(red, 0) << "a cleared frame keeps nothing of the one before";
    }
  }
}

TEST_F(RendererTest, FrameOrderClearsThenCameraThenScene) {
  Renderer renderer(160, 120, Stars);
  clock.advance(40);
  testing::startGlRecording();
  renderer.renderFrame();
  const auto calls = testing::stopGlRecording();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0].name, "glDrawBuffer");
  EXPECT_EQ(calls[0].args[0], GL_BACK);
  EXPECT_EQ(calls[1].name, "glClear");
  EXPECT_EQ(calls[1].args[0], GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  EXPECT_EQ(calls[2].name, "glLoadIdentity");
  EXPECT_EQ(calls[3].name, "gluLookAt");
  EXPECT_EQ(calls[3].args, (std::vector<double>{0, 0, 5.5, 0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(calls.back().name, "glFlush");
}

TEST_F(RendererTest, OverlayProjectionIsTopLeft640By480AndRestoresBothMatrices) {
  Renderer renderer(160, 120, 0);
  GLdouble before[16];
  glGetDoublev(GL_PROJECTION_MATRIX, before);
  beginOverlayProjection();
  GLdouble modelview[16], projection[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLdouble wx, wy, wz;
  gluProject(0, 0, 0, modelview, projection, viewport, &wx, &wy, &wz);
  EXPECT_NEAR(wx, 0, 1e-4);
  EXPECT_NEAR(wy, 120, 1e-4);  // overlay (0, 0) is the window's top-left corner
  gluProject(640, 480, 0, modelview, projection, viewport, &wx, &wy, &wz);
  EXPECT_NEAR(wx, 160, 1e-4);
  EXPECT_NEAR(wy, 0, 1e-4);
  endOverlayProjection();
  GLdouble after[16];
  glGetDoublev(GL_PROJECTION_MATRIX, after);
  EXPECT_TRUE(std::equal(before, before + 16, after));
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(RendererTest, TwoRenderersOneAfterTheOtherStartAlike) {
  float firstTargets[SceneParameterCount];
  {
    Renderer first(160, 120, Stars | LightEffects);
    std::copy(first.scene->target, first.scene->target + SceneParameterCount, firstTargets);
    clock.advance(40);
    first.renderFrame();
  }
  Renderer second(160, 120, Stars | LightEffects);
  EXPECT_TRUE(std::equal(firstTargets, firstTargets + SceneParameterCount, second.scene->target));
  EXPECT_FLOAT_EQ(second.clock().fps(), 20.0f);
  clock.advance(40);
  second.renderFrame();
}

// A picture 240 pixels high may drift 3 pixels each way.
class BurnInGuardTest : public testing::SaverTest {
 protected:
  BurnInGuardTest() : SaverTest(320, 240) {}

  // A fresh renderer's first frame at `milliseconds`, over a white buffer (trails keep what
  // they find), and the drift it drew with. Its clock is ticked undrawn 2.5 s at a time until
  // then, closer than a pause, so that it counts all the time.
  Frame frameAt(uint32_t milliseconds, RenderFlags flags, DriftOffset* drift = nullptr) {
    Renderer renderer(320, 240, flags);
    constexpr uint32_t Step = 2500;
    for (; milliseconds > Step; milliseconds -= Step) {
      clock.advance(Step);
      renderer.tick();
    }
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    clock.advance(milliseconds);
    renderer.renderFrame();
    if (drift != nullptr) *drift = {renderer.driftX, renderer.driftY};
    return Frame(context);
  }
};

// The guard moves the whole picture, glow included, by whole pixels, leaves the uncovered edge
// black even under trails, and at rest draws the unguarded frame.
TEST_F(BurnInGuardTest, ThePictureMovesWholeAndTheUncoveredEdgeIsBlack) {
  for (RenderFlags flags : {Stars | LightEffects, Stars | Trails}) {
    for (uint32_t ms : {1500u, 161750u, 485250u}) {
      const Frame still = frameAt(ms, flags);
      DriftOffset drift;
      const Frame moved = frameAt(ms, flags | BurnInGuard, &drift);
      const DriftOffset expected = burnInDrift(ms / 1000.0, 240);
      EXPECT_EQ(drift.x, expected.x);
      EXPECT_EQ(drift.y, expected.y);
      EXPECT_TRUE(ms == 1500u || (drift.x != 0 && drift.y != 0)) << "no drift at " << ms;
      EXPECT_GT(moved.inkCount(0, 0, 320, 240), 500) << "no picture at " << ms;
      int32_t wrong = 0;
      for (int32_t y = 0; y < 240; ++y) {
        for (int32_t x = 0; x < 320; ++x) {
          const Rgb got = moved.at(x, y);
          const int32_t sx = x - drift.x;
          const int32_t sy = y + drift.y;  // up on the screen is towards row 0
          if (sx < 0 || sx >= 320 || sy < 0 || sy >= 240) {
            wrong += got.r == 0 && got.g == 0 && got.b == 0 ? 0 : 1;
          } else {
            const Rgb want = still.at(sx, sy);
            // Filtering rounds by the window position on some GLs: a unit either way is the
            // same pixel.
            const auto near = [](uint8_t a, uint8_t b) { return std::abs(a - b) <= 2; };
            wrong += near(got.r, want.r) && near(got.g, want.g) && near(got.b, want.b) ? 0 : 1;
          }
        }
      }
      EXPECT_EQ(wrong, 0) << "flags " << flags << " at " << ms << " ms";
    }
  }
}

}  // namespace
}  // namespace marvolet
