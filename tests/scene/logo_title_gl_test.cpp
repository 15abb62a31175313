// Logos and title: quad alphas and sizes, blending, the title's colours and the scale it restores.
#include <gtest/gtest.h>

#include <tuple>

#include "assets/bitmap_font.h"
#include "gl_recorder.h"
#include "render/gl.h"
#include "scene/renderer.h"
#include "saver_test.h"
#include "scene/scene.h"

namespace marvolet {
namespace {

class LogoTitleTest : public testing::RendererFixture {
 protected:
  std::vector<testing::GlCall> recordLogos() {
    testing::startGlRecording();
    scene->logoAndTitle.draw(inputs());
    return testing::stopGlRecording();
  }
};

TEST_F(LogoTitleTest, QuadAlphasShareTheFade) {
  scene->current[imagecolor + 0] = 0.25f;
  scene->current[imagecolor + 1] = 0.5f;
  scene->current[imagecolor + 2] = 0.75f;
  for (float fade : {1.0f, 0.0f, 0.5f, 0.3f}) {
    scene->current[imagefade] = fade;
    const auto calls = recordLogos();
    std::vector<std::vector<double>> colours;
    std::vector<double> textures;
    for (const auto& call : calls) {
      if (call.name == "glColor4f" && colours.size() < 2) colours.push_back(call.args);
      if (call.name == "glBindTexture" && textures.size() < 2) textures.push_back(call.args[1]);
    }
    ASSERT_EQ(colours.size(), 2u);
    EXPECT_EQ(colours[0], (std::vector<double>{0.25, 0.5, 0.75, fade}));
    EXPECT_EQ(colours[1], (std::vector<double>{0.25, 0.5, 0.75, 1.0f - fade}));
    EXPECT_FLOAT_EQ(static_cast<float>(colours[0][3] + colours[1][3]), 1.0f);
    EXPECT_EQ(textures, (std::vector<double>{static_cast<double>(scene->textureName(1)),
                                             static_cast<double>(scene->textureName(2))}));
  }
}

TEST_F(LogoTitleTest, QuadSizeFollowsTheZoomAndBlendSaturates) {
  for (auto [zoom, width, height] : {std::tuple{0.5f, 6.0, 4.5}, std::tuple{1.0f, 7.0, 5.25}}) {
    scene->current[imagezoom] = zoom;
    const auto calls = recordLogos();
    std::vector<std::vector<double>> corners;
    for (const auto& call : calls) {
      if (call.name == "glVertex3f" && corners.size() < 8) corners.push_back(call.args);
    }
    ASSERT_EQ(corners.size(), 8u);
    EXPECT_FLOAT_EQ(static_cast<float>(corners[1][0] - corners[0][0]), static_cast<float>(width));
    EXPECT_FLOAT_EQ(static_cast<float>(corners[2][1] - corners[1][1]), static_cast<float>(height));
    EXPECT_EQ(corners[0], (std::vector<double>{-width / 2, -height / 2, 0}));
    EXPECT_EQ(corners[2], (std::vector<double>{width / 2, height / 2, 0}));
    EXPECT_EQ(calls[1].name, "glBlendFunc");
    EXPECT_EQ(calls[1].args, (std::vector<double>{GL_SRC_ALPHA_SATURATE, GL_ONE_MINUS_SRC_ALPHA}));
  }
}

TEST_F(LogoTitleTest, TitleKeepsTheScaleAndLeavesItsColour) {
  scene->current[logocolor + 0] = 0.6f;
  scene->current[logocolor + 1] = 0.7f;
  scene->current[logocolor + 2] = 0.9f;
  for (float scale : {0.0034f, 0.25f}) {
    scene->text.scale = scale;
    const auto calls = recordLogos();
    EXPECT_EQ(scene->text.scale, scale);
    // The shadow line, then the title line above and left of it, both at scale 0.001.
    std::vector<std::vector<double>> moves;
    for (const auto& call : calls) {
      if (call.name == "glTranslatef" && call.args[2] == 0.0 && moves.size() < 64) {
        moves.push_back(call.args);
      }
    }
    EXPECT_EQ(moves.front(), (std::vector<double>{0.91f, -1.405f, 0}));
    bool titleFound = false;
    for (const auto& move : moves) titleFound |= move == std::vector<double>{0.9f, -1.4f, 0};
    EXPECT_TRUE(titleFound);
    for (const auto& call : calls) {
      if (call.name == "glScalef" && call.args[2] == 1.0) {
        EXPECT_FLOAT_EQ(static_cast<float>(call.args[0]), 0.001f);
      }
    }
  }
  for (const float* colour : {scene->text.bottomColor, scene->text.topColor}) {
    EXPECT_EQ(colour[0], 0.6f);
    EXPECT_EQ(colour[1], 0.7f);
    EXPECT_EQ(colour[2], 0.9f);
    EXPECT_EQ(colour[3], 1.0f);
  }
}

}  // namespace
}  // namespace marvolet
