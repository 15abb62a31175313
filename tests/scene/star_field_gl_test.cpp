// Star field: warm-up, motion steps, rebirth, drawing order and the state handed to the rings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gl_recorder.h"
#include "render/gl.h"
#include "saver_test.h"
#include "scene/renderer.h"
#include "scene/scene.h"
#include "scene/star_field.h"

namespace marvolet {
namespace {

class StarFieldTest : public testing::RendererFixture {
 protected:
  bool allZero() const {
    static const Star zeros[FarStarCount] = {};
    const StarField& field = scene->stars.field;
    return std::memcmp(field.warm, zeros, sizeof field.warm) == 0 &&
           std::memcmp(field.cool, zeros, sizeof field.cool) == 0 &&
           std::memcmp(field.far, zeros, sizeof field.far) == 0;
  }
};

TEST_F(StarFieldTest, InitialisationSpreadsColoursTheLayersAndLeavesTwentyFps) {
  build(Stars);
  EXPECT_FLOAT_EQ(renderer->clock().fps(), 20.0f);
  const Star* warmStars = scene->stars.field.warm;
  const Star* coolStars = scene->stars.field.cool;
  for (const Star& s : scene->stars.field.warm) {
    EXPECT_GE(s.red, 0.9f);
    EXPECT_GE(s.green, 0.6f);
    EXPECT_GE(s.blue, 0.5f);
  }
  for (const Star& s : scene->stars.field.cool) {
    EXPECT_GE(s.red, 0.5f);
    EXPECT_GE(s.green, 0.8f);
    EXPECT_GE(s.blue, 0.9f);
  }
  for (const Star& s : scene->stars.field.far) {
    for (float c : {s.red, s.green, s.blue}) {
      EXPECT_GE(c, 0.4f);
      EXPECT_LE(c, 0.5f);
    }
  }
  for (const Star* layer : {warmStars, coolStars}) {
    for (int i = 0; i < WarmStarCount; ++i) {
      EXPECT_LE(layer[i].z, 0.0f);
      EXPECT_GE(layer[i].z, -1000.0f);
    }
  }
}

TEST_F(StarFieldTest, StepsATwentiethOfASecondAndRebirthAtTheCameraPlane) {
  build(Stars);
  Star* coolStars = scene->stars.field.cool;
  Star* warmStars = scene->stars.field.warm;
  Star* farStars = scene->stars.field.far;
  glLoadIdentity();
  gluLookAt(0, 0, 5.5, 0, 0, 0, 0, 1, 0);
  coolStars[0] = Star{0.6f, 0.9f, 0.95f, 0.0f, 0.0f, -700.0f};
  farStars[0] = Star{0.45f, 0.45f, 0.45f, 0.0f, 0.0f, -700.0f};
  coolStars[1] = Star{0.6f, 0.9f, 0.95f, 0.0f, 0.0f, -9.125f};  // lands exactly on z = 0
  warmStars[0] = Star{0.95f, 0.7f, 0.6f, 0.0f, 0.0f, -9.124f};  // passes it
  scene->stars.field.move(0.05, renderer->width, renderer->height);
  EXPECT_FLOAT_EQ(coolStars[0].z, -690.875f);
  EXPECT_FLOAT_EQ(farStars[0].z, -700.0f + 1.140625f);
  EXPECT_EQ(coolStars[1].z, 0.0f);
  // Reborn at the far depth, carried on by the flight left after it passed the plane.
  EXPECT_NEAR(warmStars[0].z, -730.0f + 0.001f, 1e-4f);
  EXPECT_LE(std::fabs(warmStars[0].x), 500.0f);
  EXPECT_LE(std::fabs(warmStars[0].y), 250.0f);
  // The colour survives rebirth.
  EXPECT_EQ(warmStars[0].red, 0.95f);
  EXPECT_EQ(warmStars[0].green, 0.7f);
  EXPECT_EQ(warmStars[0].blue, 0.6f);
}

TEST_F(StarFieldTest, WithoutStarsTheArraysStayZeroButThePointsAreDrawn) {
  build(0);
  EXPECT_TRUE(allZero());
  for (int frame = 0; frame < 20; ++frame) {
    clock.advance(50);
    renderer->renderFrame();
  }
  EXPECT_TRUE(allZero());
  testing::startGlRecording();
  scene->stars.draw(inputs());
  const auto calls = testing::stopGlRecording();
  std::vector<double> counts;
  for (const auto& call : calls) {
    if (call.name == "glDrawArrays") counts.push_back(call.args[2]);
  }
  EXPECT_EQ(counts, (std::vector<double>{128, 32, 64}));  // far first, then warm and cool
}

TEST_F(StarFieldTest, StageHandsTheRingsBlendingOnCullingOffDepthOn) {
  build(Stars);
  glLoadIdentity();
  scene->stars.draw(inputs());
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
  GLint value = 0;
  glGetIntegerv(GL_FRONT_FACE, &value);
  EXPECT_EQ(value, GL_CW);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
  EXPECT_EQ(static_cast<uint32_t>(value), scene->textureName(0));
  GLint src = 0, dst = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(StarFieldTest, StarsFlyTowardsTheViewer) {
  build(Stars);
  const Star* coolStars = scene->stars.field.cool;
  glLoadIdentity();
  gluLookAt(0, 0, 5.5, 0, 0, 0, 0, 1, 0);
  int approached = 0;
  Star before[CoolStarCount];
  std::memcpy(before, coolStars, sizeof before);
  scene->stars.field.move(0.05, renderer->width, renderer->height);
  for (int i = 0; i < CoolStarCount; ++i) {
    if (coolStars[i].z > before[i].z) ++approached;
  }
  EXPECT_GT(approached, CoolStarCount / 2);
}

}  // namespace
}  // namespace marvolet
