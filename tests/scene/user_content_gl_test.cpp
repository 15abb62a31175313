// The user's passage, title and logos drawn in place of the built-in ones: words that change the
// frame on both paths, a box for every character the font lacks, a passage of the largest size,
// and pictures of any shape fitted into the logo's place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "assets/text_file.h"
#include "frame_difference.h"
#include "gl_recorder.h"
#include "saver_test.h"
#include "scene/scene.h"
#include "scene/scene_parameters.h"

namespace marvolet {
namespace {

// A picture of one colour, every pixel opaque.
std::shared_ptr<const RgbaImage> solidPicture(uint32_t width, uint32_t height) {
  auto image = std::make_shared<RgbaImage>();
  image->width = width;
  image->height = height;
  image->pixels.reset(static_cast<unsigned char*>(std::malloc(size_t{width} * height * 4)));
  for (size_t i = 0; i < size_t{width} * height; ++i) {
    unsigned char* p = image->pixels.get() + 4 * i;
    p[0] = 250;
    p[1] = 20;
    p[2] = 240;
    p[3] = 255;
  }
  return image;
}

size_t litPixels(const testing::Pixels& frame) {
  size_t lit = 0;
  for (size_t i = 0; i + 2 < frame.size(); i += 3) {
    if (frame[i] > 40 || frame[i + 1] > 40 || frame[i + 2] > 40) ++lit;
  }
  return lit;
}

class UserContentTest : public testing::RendererFixture,
                        public ::testing::WithParamInterface<DrawPath> {
 protected:
  UserContentTest() : RendererFixture(320, 240) {}

  testing::Pixels frameOf(const SceneContent& content) {
    drawPath = GetParam();
    clock.set(0);
    build(0, content);
    clock.set(3000);
    renderer->renderFrame();
    return context.readRgb();
  }
};

TEST_P(UserContentTest, UsersWordsAreDrawnInPlaceOfTheBuiltInOnes) {
  const testing::Pixels builtIn = frameOf(SceneContent{});

  SceneContent words;
  words.passage = "Quiet waters run deep, and so do the old roads home. ";
  words.title = "Our own title";
  const testing::Pixels own = frameOf(words);
  EXPECT_EQ(scene->verse.verse(), asciiGlyphs(words.passage.c_str(), MainFont));
  EXPECT_GT(testing::compare(builtIn, own).mean, 2.0)
      << "the user's words left the frame as it was";

  // Nothing any font has (code points not yet assigned): every character a box, each taking a
  // ring's place, and the frame still shows them.
  SceneContent foreign;
  const std::string unassigned = "\xCD\xB8";  // U+0378
  for (int word = 0; word < 3; ++word) {
    for (int k = 0; k < 6; ++k) foreign.passage += unassigned;
    if (word < 2) foreign.passage += ' ';
  }
  foreign.title = "Ελληνικά";
  const testing::Pixels boxes = frameOf(foreign);
  const GlyphText& drawn = scene->verse.verse();
  ASSERT_EQ(drawn.size(), 20u);  // 18 characters, 2 spaces
  const Glyph* box = scene->text.font->glyphAt(drawn[0]);
  ASSERT_NE(box, nullptr) << "a missing character would leave a hole in the ring";
  EXPECT_GT(box->advance, 20);
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), drawn[0]), 18);
  EXPECT_EQ(std::count(drawn.begin(), drawn.end(), static_cast<uint32_t>(' ' - 32)), 2);
  EXPECT_GT(litPixels(boxes), builtIn.size() / 3 / 20) << "the boxes are not visible";

  // As large a passage as the reader lets through, in the one line it makes of it.
  SceneContent big;
  while (big.passage.size() < MaxPassageBytes - 16) big.passage += "Long roads é ";
  big.passage.pop_back();
  const testing::Pixels bigFrame = frameOf(big);
  EXPECT_GT(litPixels(bigFrame), builtIn.size() / 3 / 20);
  clock.set(60000);
  renderer->renderFrame();  // rings well along the passage
}

INSTANTIATE_TEST_SUITE_P(BothPaths, UserContentTest,
                         ::testing::Values(DrawPath::Literal, DrawPath::Fast));

class UserLogoTest : public testing::RendererFixture {};

// The quads of the two logos: width and height of each, and the colour each was drawn in.
struct LogoQuad {
  double width, height;
  std::vector<double> colour;
};

std::vector<LogoQuad> recordLogoQuads(Scene& scene, const StageInputs& in) {
  testing::startGlRecording();
  scene.logoAndTitle.draw(in);
  const auto calls = testing::stopGlRecording();
  std::vector<LogoQuad> quads;
  std::vector<double> colour;
  std::vector<std::vector<double>> corners;
  for (const auto& call : calls) {
    if (call.name == "glColor4f" && quads.size() < 2) colour = call.args;
    if (call.name != "glVertex3f" || quads.size() == 2) continue;
    corners.push_back(call.args);
    if (corners.size() == 4) {
      quads.push_back({corners[2][0] - corners[0][0], corners[2][1] - corners[0][1], colour});
      corners.clear();
    }
  }
  return quads;
}

TEST_F(UserLogoTest, PicturesOfAnyShapeKeepItAndTheirOwnColours) {
  SceneContent content;
  content.firstLogo = solidPicture(400, 100);
  content.secondLogo = solidPicture(30, 120);
  build(0, content);
  scene->current[imagezoom] = 1.0f;
  scene->current[imagefade] = 0.25f;
  const std::vector<LogoQuad> quads = recordLogoQuads(*scene, inputs());
  ASSERT_EQ(quads.size(), 2u);
  // The built-in place is 7 x 5.25 at this zoom: the wide picture spans its width, the tall
  // one its height.
  EXPECT_FLOAT_EQ(static_cast<float>(quads[0].width), 7.0f);
  EXPECT_FLOAT_EQ(static_cast<float>(quads[0].width / quads[0].height), 4.0f);
  EXPECT_FLOAT_EQ(static_cast<float>(quads[1].height), 5.25f);
  EXPECT_FLOAT_EQ(static_cast<float>(quads[1].width / quads[1].height), 0.25f);
  EXPECT_EQ(quads[0].colour, (std::vector<double>{1, 1, 1, 0.25}));
  EXPECT_EQ(quads[1].colour, (std::vector<double>{1, 1, 1, 0.75}));

  // A picture far larger than any logo's place is taken down to a texture GL can hold, its
  // shape kept; the frame draws it.
  content.firstLogo = solidPicture(6000, 90);
  content.secondLogo = nullptr;
  build(0, content);
  EXPECT_LE(scene->textures[1].width, MaxLogoSide);
  EXPECT_EQ(scene->textures[1].width / scene->textures[1].height, 6000u / 90u);
  scene->current[imagefade] = 1.0f;
  const std::vector<LogoQuad> large = recordLogoQuads(*scene, inputs());
  ASSERT_EQ(large.size(), 2u);
  EXPECT_NEAR(large[0].width / large[0].height, 6000.0 / 90.0, 1e-3);
  // The built-in second logo still fills the place in the scene's tint.
  EXPECT_FLOAT_EQ(static_cast<float>(large[1].width / large[1].height), 4.0f / 3.0f);
  EXPECT_EQ(large[1].colour[0], scene->current[imagecolor]);
}

}  // namespace
}  // namespace marvolet
