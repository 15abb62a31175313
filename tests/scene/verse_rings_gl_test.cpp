// Verse rings: layout, scrolling steps, what is drawn and the state left for the logos.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "assets/bitmap_font.h"
#include "gl_recorder.h"
#include "render/gl.h"
#include "saver_test.h"
#include "scene/renderer.h"
#include "scene/scene.h"
#include "scene/verse_rings.h"

namespace marvolet {
namespace {

class VerseRingTest : public testing::RendererFixture {
 protected:
  // Draws the rings at the clock's current time, recording the GL calls.
  std::vector<testing::GlCall> recordVerse() {
    testing::startGlRecording();
    scene->verse.draw(inputs());
    return testing::stopGlRecording();
  }
  float width(char c) const { return 1.5f * static_cast<float>(MainFont.glyphFor(c)->advance); }
};

TEST_F(VerseRingTest, RingsStartFortyOneCharactersApart) {
  ASSERT_EQ(std::strlen(BuiltInVerse), 1295u);
  EXPECT_EQ(BuiltInVerse[1294], ' ');
  std::set<int32_t> starts;
  for (int32_t n = 0; n < TextRingCount; ++n) {
    EXPECT_EQ(scene->verse.rings.rings[n].charIndex, (41 * n) % 1295) << n;
    EXPECT_EQ(scene->verse.rings.rings[n].offset, 0.0f);
    EXPECT_EQ(scene->verse.rings.rings[n].speed, 150.0f);
    starts.insert(scene->verse.rings.rings[n].charIndex);
  }
  EXPECT_EQ(scene->verse.rings.rings[31].charIndex, 1271);
  EXPECT_EQ(scene->verse.rings.rings[32].charIndex, 17);
  EXPECT_EQ(scene->verse.rings.rings[59].charIndex, 1124);
  EXPECT_EQ(starts.size(), 60u);
}

TEST_F(VerseRingTest, ScrollingStepsPastEveryCharacterItsOffsetCovers) {
  scene->verse.rings.previousTime =
      renderer->clock().seconds();  // dt = 0: only the offsets set here count
  TextRing& exact = scene->verse.rings.rings[0];
  exact.offset = width(BuiltInVerse[exact.charIndex]);  // equal steps
  TextRing& wrap = scene->verse.rings.rings[1];
  wrap.charIndex = 1294;  // the final space
  wrap.offset = width(' ');
  TextRing& large = scene->verse.rings.rings[2];
  const int32_t largeStart = large.charIndex;
  const float firstWidth = width(BuiltInVerse[largeStart]);
  large.offset = firstWidth + 1000.0f;
  TextRing& below = scene->verse.rings.rings[3];
  const int32_t belowStart = below.charIndex;
  below.offset = width(BuiltInVerse[belowStart]) - 0.01f;

  scene->verse.draw(inputs());
  EXPECT_EQ(exact.charIndex, 1);
  EXPECT_EQ(exact.offset, 0.0f);
  EXPECT_EQ(wrap.charIndex, 0);
  EXPECT_EQ(below.charIndex, belowStart);
  // The whole excess in one drawing, whatever the frame rate: the characters passed add up
  // to what the offset lost, and what is left is short of the next one.
  float passed = 0.0f;
  for (int32_t i = largeStart; i < large.charIndex; ++i) passed += width(BuiltInVerse[i]);
  EXPECT_GT(large.charIndex, largeStart + 10);
  EXPECT_NEAR(passed + large.offset, firstWidth + 1000.0f, 0.01f);
  EXPECT_LT(large.offset, width(BuiltInVerse[large.charIndex]));
}

// The text speed is weighed by the scene over the segment, not sampled at each frame.
TEST_F(VerseRingTest, OffsetsGrowBySpeedTimesTextspeedTimesDt) {
  scene->start[textspeed] = scene->target[textspeed] = 2.0f;
  scene->segmentStart = 0.0;
  scene->verse.rings.previousTime = 0.0;
  clock.advance(10);  // the first frame's dt is the whole clock time, 0.01 s
  renderer->tick();
  scene->verse.draw(inputs());
  EXPECT_FLOAT_EQ(scene->verse.rings.rings[5].offset, 150.0f * 2.0f * 0.01f);
  EXPECT_DOUBLE_EQ(scene->verse.rings.previousTime, 2.0 * 0.01);  // the travel so far
}

// Ring positions of the glyphs drawn for ring 0, recovered from their sphere translations.
std::vector<float> ringZeroPositions(const std::vector<testing::GlCall>& calls) {
  std::vector<float> positions;
  const double lat = ringLatitude(0);
  for (size_t i = 0; i + 1 < calls.size(); ++i) {
    if (calls[i].name != "glScalef") continue;
    const auto& t = calls[i + 1].args;                                // the sphere point
    if (std::fabs(t[1] - 3999.9998 * std::sin(lat)) > 0.5) continue;  // another ring
    // cos(lat) is negative on every ring: undo its sign before taking the angle.
    const double lon = std::atan2(0.1 - t[0] / 3999.9998, -t[2] / 3999.9998);
    const double wrapped = lon < 0 ? lon + 2 * 3.14159265358979 : lon;
    positions.push_back(
        static_cast<float>((wrapped / (6.28318 * 0.00008333334) - 5999.9995) / 0.32));
  }
  return positions;
}

TEST_F(VerseRingTest, SpacesAdvanceButDrawNothing) {
  scene->verse.setVerse("                                          ");
  auto calls = recordVerse();
  for (const auto& call : calls) EXPECT_NE(call.name, "glBegin");

  static const char pairs[] = "W W W W W W W W W W W W W W W W W W W W W W ";
  scene->verse.setVerse(pairs);
  scene->verse.rings.rings[0].charIndex = 0;
  calls = recordVerse();
  const std::vector<float> positions = ringZeroPositions(calls);
  ASSERT_GT(positions.size(), 10u);
  const float pitch = 1.5f * static_cast<float>(MainFont.glyphFor('W')->advance + 29);
  EXPECT_NEAR(positions[0], -5999.9995f, 0.5f);
  for (size_t i = 1; i < positions.size(); ++i) {
    EXPECT_NEAR(positions[i] - positions[i - 1], pitch, 0.5f) << i;
  }
  EXPECT_EQ(positions.size(), static_cast<size_t>(std::ceil(2 * 5999.9995f / pitch)));
}

TEST_F(VerseRingTest, ColourFollowsTextcolorAndTheDepthFade) {
  scene->current[textcolor + 0] = 0.6f;
  scene->current[textcolor + 1] = 0.7f;
  scene->current[textcolor + 2] = 0.8f;
  scene->lightEffects = false;
  auto calls = recordVerse();
  int colours = 0;
  for (const auto& call : calls) {
    if (call.name != "glColor4f") continue;
    ++colours;
    EXPECT_EQ(call.args, (std::vector<double>{0.6f, 0.7f, 0.8f, 1.0}));
  }
  EXPECT_GT(colours, 1000);

  scene->lightEffects = true;
  calls = recordVerse();
  int darker = 0;
  for (const auto& call : calls) {
    if (call.name != "glColor4f") continue;
    EXPECT_LE(call.args[0], 0.6f + 1e-6);
    if (call.args[0] < 0.5) ++darker;
  }
  EXPECT_GT(darker, 100);  // letters towards the rim fade
}

TEST_F(VerseRingTest, LeavesTheStateTheLogosExpect) {
  scene->verse.draw(inputs());
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLint value = 0;
  glGetIntegerv(GL_FRONT_FACE, &value);
  EXPECT_EQ(value, GL_CCW);
  glGetIntegerv(GL_CULL_FACE_MODE, &value);
  EXPECT_EQ(value, GL_BACK);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
  EXPECT_EQ(static_cast<uint32_t>(value), scene->textureName(0));
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
  EXPECT_EQ(value, GL_MODULATE);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &value);
  EXPECT_EQ(value, 1);

  // The frame-rate text ends the stage and turns blending and texturing off.
  scene->showFrameRate = true;
  scene->verse.draw(inputs());
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

}  // namespace
}  // namespace marvolet
