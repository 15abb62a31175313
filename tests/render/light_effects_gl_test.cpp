// Light-effects pass: capability, when it runs, the twelve glow layers and small windows.
#include <gtest/gtest.h>

#include <cmath>

#include "gl_recorder.h"
#include "render/gl.h"
#include "render/glow_pass.h"
#include "scene/renderer.h"
#include "saver_test.h"
#include "scene/scene.h"

namespace marvolet {
namespace {

using testing::GlCall;

int countCalls(const std::vector<GlCall>& calls, const std::string& name) {
  int n = 0;
  for (const auto& call : calls) n += call.name == name;
  return n;
}

// Larger than the capture in both directions, so the whole 128 x 128 square is copied.
class LightEffectsTest : public testing::SaverTest {
 protected:
  LightEffectsTest() : SaverTest(256, 192) {}
  std::vector<GlCall> recordFrame(Renderer& renderer) {
    clock.advance(40);
    testing::startGlRecording();
    renderer.renderFrame();
    return testing::stopGlRecording();
  }
};

TEST_F(LightEffectsTest, MesaIsCapableAndGetsALinearCaptureTextureThatGoesWithTheRenderer) {
  GLuint capture = 0;
  {
    Renderer renderer(256, 192, LightEffects);
    EXPECT_TRUE(renderer.glow.capable);
    capture = renderer.glow.captureTexture();
    EXPECT_NE(capture, 0u);
    EXPECT_TRUE(glIsTexture(capture));
    EXPECT_TRUE(renderer.lightEffectsActive());
  }
  // A renderer rebuilt on the same context (a test, a preview reopened) must not leak it.
  EXPECT_FALSE(glIsTexture(capture));
}

TEST_F(LightEffectsTest, RunsOnlyWhenAllThreeConditionsHold) {
  Renderer renderer(256, 192, LightEffects | Stars);
  auto calls = recordFrame(renderer);
  EXPECT_EQ(countCalls(calls, "glCopyTexImage2D"), 1);
  // The glow's overlay, and the fast path's second for summing the layers small.
  EXPECT_GE(countCalls(calls, "glOrtho"), 1);

  renderer.keyCommand(KeyCommand::ToggleLightEffects);
  calls = recordFrame(renderer);
  EXPECT_EQ(countCalls(calls, "glCopyTexImage2D"), 0);
  EXPECT_EQ(countCalls(calls, "glOrtho"), 0);
  renderer.keyCommand(KeyCommand::ToggleLightEffects);

  renderer.glow.capable = false;
  calls = recordFrame(renderer);
  EXPECT_EQ(countCalls(calls, "glCopyTexImage2D"), 0);
  renderer.glow.capable = true;

  Renderer off(256, 192, Stars);
  EXPECT_FALSE(off.lightEffectsActive());
  calls = recordFrame(off);
  EXPECT_EQ(countCalls(calls, "glCopyTexImage2D"), 0);
  EXPECT_EQ(countCalls(calls, "glOrtho"), 0);
}

TEST_F(LightEffectsTest, GlowIsTwelveLayersFadingAndInsetting) {
  Renderer renderer(256, 192, LightEffects, DrawPath::Literal);
  testing::startGlRecording();
  renderer.drawGlow(12, 0.02f);
  const auto calls = testing::stopGlRecording();
  EXPECT_EQ(countCalls(calls, "glBegin"), 1);
  EXPECT_EQ(countCalls(calls, "glVertex2f"), 48);
  std::vector<double> alphas, insets;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].name == "glColor4f") {
      alphas.push_back(calls[i].args[3]);
      insets.push_back(calls[i + 1].args[0]);  // the first corner's s
    }
  }
  ASSERT_EQ(alphas.size(), 12u);
  EXPECT_FLOAT_EQ(static_cast<float>(alphas[0]), 0.075f);
  EXPECT_NEAR(alphas[11], 0.00625, 1e-6);
  EXPECT_NEAR(insets[11], 0.22, 1e-6);
  double total = 0;
  for (double a : alphas) total += a;
  EXPECT_NEAR(total, 0.4875, 1e-5);
  // Restored afterwards.
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);

  testing::startGlRecording();
  renderer.drawGlow(0, 0.02f);
  EXPECT_EQ(countCalls(testing::stopGlRecording(), "glVertex2f"), 0);
}

TEST_F(LightEffectsTest, CaptureRestoresTheViewportAndClearsEverything) {
  Renderer renderer(256, 192, Trails | LightEffects, DrawPath::Literal);
  const auto calls = recordFrame(renderer);
  std::vector<std::vector<double>> viewports;
  for (const auto& call : calls) {
    if (call.name == "glViewport") viewports.push_back(call.args);
  }
  ASSERT_EQ(viewports.size(), 2u);
  EXPECT_EQ(viewports[0], (std::vector<double>{0, 0, 128, 128}));
  EXPECT_EQ(viewports[1], (std::vector<double>{0, 0, 256, 192}));
  // Trails skip the frame's own clear, but the capture still clears.
  EXPECT_EQ(countCalls(calls, "glClear"), 1);
}

class SmallWindowGlowTest : public testing::SaverTest,
                            public ::testing::WithParamInterface<std::pair<int, int>> {
 public:
  SmallWindowGlowTest() : SaverTest(GetParam().first, GetParam().second) {}
};

TEST_P(SmallWindowGlowTest, CapturesOnlyInsideTheWindowAndStaysCentred) {
  const auto [width, height] = GetParam();
  Renderer renderer(width, height, LightEffects | Stars);
  clock.advance(40);
  testing::startGlRecording();
  renderer.renderFrame();
  const auto calls = testing::stopGlRecording();
  EXPECT_EQ(countCalls(calls, "glCopyTexImage2D"), 0);
  std::vector<double> copy;
  for (const auto& call : calls) {
    if (call.name == "glCopyTexSubImage2D") copy = call.args;
  }
  const double w = std::min(width, 128), h = std::min(height, 128);
  EXPECT_EQ(copy, (std::vector<double>{GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h}));
  // Every layer's texture rectangle is centred on the middle of the copied part.
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].name != "glColor4f" || calls[i].args[0] != 1.0) continue;
    if (i + 7 >= calls.size() || calls[i + 5].name != "glTexCoord2f") continue;
    const auto& first = calls[i + 1].args;  // (inset, far)
    const auto& third = calls[i + 5].args;  // (far, inset)
    EXPECT_NEAR((first[0] + third[0]) / 2, w / 256, 1e-6);
    EXPECT_NEAR((first[1] + third[1]) / 2, h / 256, 1e-6);
    EXPECT_LE(third[0], w / 128 + 1e-6);
    EXPECT_LE(first[1], h / 128 + 1e-6);
  }
  // Two identical runs give identical frames: nothing undefined reaches the picture.
  const testing::Frame frame(context);
  EXPECT_GT(frame.inkCount(0, 0, width, height), 0);
}

INSTANTIATE_TEST_SUITE_P(PreviewSizes, SmallWindowGlowTest,
                         ::testing::Values(std::pair{152, 112}, std::pair{100, 60},
                                           std::pair{300, 100}));

}  // namespace
}  // namespace marvolet
