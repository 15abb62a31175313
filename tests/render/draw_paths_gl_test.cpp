// The fast drawing path against the literal one: the same frames pixel for pixel within a small
// tolerance, a tolerance that does catch a moved glyph or a wrong glow, and O(1) draw calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame_difference.h"
#include "gl_recorder.h"
#include "platform/clock.h"
#include "platform/gl_proc_address.h"
#include "render/fast_path.h"
#include "render/gl.h"
#include "render/glow_pass.h"
#include "render/glyph_quads.h"
#include "scene/renderer.h"
#include "saver_test.h"
#include "scene/scene.h"
#include "scene/verse_rings.h"

namespace marvolet {
namespace {

using testing::compare;
using testing::describe;
using testing::Difference;
using testing::Pixels;
using testing::samePicture;

struct Case {
  int32_t width;
  int32_t height;
  RenderFlags flags;
  bool frameRate;
  float restingFade = -1.0f;  // 0 or 1: the logos' fade held there; otherwise left to the draws
  bool withoutGlsl = false;   // a GL that offers no GLSL: the glow's sum is blended layer by layer
};

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  const Case& c = info.param;
  return std::to_string(c.width) + "x" + std::to_string(c.height) + "_flags" +
         std::to_string(c.flags) + (c.frameRate ? "_fps" : "") +
         (c.restingFade >= 0.0f ? "_fade" + std::to_string(static_cast<int>(c.restingFade)) : "") +
         (c.withoutGlsl ? "_noglsl" : "");
}

// The clock times frames are read at: the start, a second in, the glyph backlog of a jump, and
// a moment well into the first parameter segment.
constexpr uint32_t FrameTimes[] = {0, 1000, 3500, 9000};

class DrawPathTest : public ::testing::TestWithParam<Case> {
 protected:
  DrawPathTest() : context(GetParam().width, GetParam().height), clock(0) {}
  void SetUp() override {
    ASSERT_TRUE(context.ok()) << context.error();
    platform::setCalendarSource([]() -> int64_t { return 7; });
    // The next test's context installs its lookup again.
    if (GetParam().withoutGlsl)
      platform::setGlProcAddressSource([](const char*) -> void* { return nullptr; });
  }
  void TearDown() override {
    platform::setCalendarSource(nullptr);
    platform::setGlProcAddressSource(nullptr);
  }

  // A fresh renderer on the given path, as a new process would build it, through the frame
  // times; one frame read back at each.
  std::vector<Pixels> run(DrawPath path) {
    clock.set(0);
    // Both runs start on the same black buffer: a Trails frame draws over what was there.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Renderer renderer(context.width(), context.height(), GetParam().flags, path);
    if (GetParam().frameRate) renderer.keyCommand(KeyCommand::ToggleFrameRate);
    if (GetParam().withoutGlsl && path == DrawPath::Fast) {
      // The sum is then blended at the small size, not left to the full-size layers.
      EXPECT_FALSE(renderer.glow.onePassReady());
      EXPECT_EQ(renderer.glow.method(), GlowMethod::Magnified);
    }
    if (GetParam().restingFade >= 0.0f) {
      // A segment whose fade starts and ends on the same logo: the other one is fully clear.
      renderer.scene->start[imagefade] = GetParam().restingFade;
      renderer.scene->target[imagefade] = GetParam().restingFade;
    }
    std::vector<Pixels> frames;
    for (const uint32_t t : FrameTimes) {
      clock.set(t);
      renderer.renderFrame();
      frames.push_back(context.readRgb());
    }
    return frames;
  }

  tools::HeadlessContext context;
  testing::ScopedTestClock clock;
};

TEST_P(DrawPathTest, FastFramesMatchTheLiteralOnes) {
  const std::vector<Pixels> literal = run(DrawPath::Literal);
  const std::vector<Pixels> fast = run(DrawPath::Fast);
  for (size_t i = 0; i < literal.size(); ++i) {
    const Difference d = compare(fast[i], literal[i]);
    EXPECT_TRUE(samePicture(d)) << "at " << FrameTimes[i] << " ms: " << describe(d);
  }
  // Not a comparison of two black frames.
  const Pixels& last = literal.back();
  const auto lit = std::count_if(last.begin(), last.end(), [](uint8_t v) { return v > 40; });
  EXPECT_GT(lit, static_cast<long>(last.size() / 50));
}

// A minute and a half into the scene, reached a frame a second, where its parameters have
// wandered: the magnified glow must hold there too. A sum at half the width and height drew
// this frame at a mean of 0.504/255 from the literal one.
TEST(LaterDrawPathTest, FramesMinutesInMatchTheLiteralOnes) {
  tools::HeadlessContext context(1280, 720);
  ASSERT_TRUE(context.ok()) << context.error();
  testing::ScopedTestClock clock(0);
  platform::setCalendarSource([]() -> int64_t { return 7; });
  constexpr uint32_t Checked = 90000;
  Pixels frames[2];
  for (const DrawPath path : {DrawPath::Literal, DrawPath::Fast}) {
    clock.set(0);
    Renderer renderer(1280, 720, LightEffects | Stars, path);
    for (uint32_t t = 0; t <= Checked; t += 1000) {
      clock.set(t);
      renderer.renderFrame();
    }
    frames[path == DrawPath::Fast] = context.readRgb();
  }
  platform::setCalendarSource(nullptr);
  const Difference d = compare(frames[1], frames[0]);
  EXPECT_TRUE(samePicture(d)) << describe(d);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, DrawPathTest,
    ::testing::Values(Case{1280, 720, 0, false}, Case{1280, 720, 4, false},
                      Case{1280, 720, 6, false}, Case{1280, 720, 7, false},
                      Case{1280, 720, 6, true}, Case{1280, 720, 4, false, 0.0f},
                      Case{1280, 720, 4, false, 1.0f}, Case{1280, 720, 6, false, -1.0f, true},
                      Case{1280, 720, 7, false, -1.0f, true}, Case{152, 112, 0, false},
                      Case{152, 112, 4, false}, Case{152, 112, 6, true}, Case{152, 112, 7, false}),
    caseName);

class FastPathTest : public testing::SaverTest {
 protected:
  FastPathTest() : SaverTest(640, 360) {}

  // One frame by hand at the clock's current time, the glow with `layers` layers: what
  // renderFrame does, with the glow's strength open to change.
  Pixels frame(Renderer& renderer, int32_t layers) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    renderer.update();
    renderer.captureFrame();
    renderer.drawScene();
    renderer.drawGlow(layers, 0.02f);
    return context.readRgb();
  }
};

// The tolerance is no blanket: half a glyph's move, or a glow with one layer fewer, fails it.
TEST_F(FastPathTest, TheToleranceCatchesAMovedGlyphAndAWrongGlow) {
  Renderer renderer(640, 360, LightEffects, DrawPath::Fast);
  ASSERT_TRUE(renderer.glow.onePassReady());
  clock.advance(500);
  renderer.renderFrame();
  // No time passes and no glyph is owed: the rings stand still and the kept quads are drawn
  // again.
  for (TextRing& ring : renderer.scene->verse.rings.rings) ring.offset = 0.0f;
  const Pixels reference = frame(renderer, 12);
  const Pixels again = frame(renderer, 12);
  EXPECT_EQ(compare(reference, again).largest, 0);

  // The quad nearest the middle of the screen moves right by half its width.
  GlyphQuads& quads = static_cast<FastPath&>(*renderer.drawing).verseGeometry.quads;
  ASSERT_GT(quads.count(), 1000);
  GlyphVertex* nearest = quads.data();
  for (int32_t q = 0; q < quads.count(); ++q) {
    GlyphVertex* v = quads.data() + 4 * q;
    if (std::hypot(v->x, v->y) < std::hypot(nearest->x, nearest->y)) nearest = v;
  }
  const float shift = 0.5f * (nearest[1].x - nearest[0].x);
  for (int corner = 0; corner < 4; ++corner) nearest[corner].x += shift;
  const Difference moved = compare(reference, frame(renderer, 12));
  EXPECT_FALSE(samePicture(moved)) << describe(moved);
  for (int corner = 0; corner < 4; ++corner) nearest[corner].x -= shift;

  const Difference weaker = compare(reference, frame(renderer, 11));
  EXPECT_FALSE(samePicture(weaker)) << describe(weaker);
}

// Over the same capture, the one-pass sum lands within one step per layer of the twelve blended
// layers everywhere, on black and over the drawn frame where the sum saturates.
TEST_F(FastPathTest, OnePassGlowMatchesTheTwelveLayers) {
  Renderer renderer(640, 360, LightEffects | Stars, DrawPath::Fast);
  ASSERT_TRUE(renderer.glow.onePassReady());
  clock.advance(2000);
  glLoadIdentity();
  gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
  renderer.update();
  renderer.captureFrame();
  for (const bool overScene : {false, true}) {
    Pixels glows[2];
    for (const DrawPath path : {DrawPath::Literal, DrawPath::Fast}) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glLoadIdentity();
      gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
      if (overScene) {
        // Rings with nothing owed, so both drawings of the scene are the same.
        for (TextRing& ring : renderer.scene->verse.rings.rings) ring.offset = 0.0f;
        renderer.scene->verse.rings.previousTime = renderer.clock().seconds();
        glPushMatrix();
        renderer.scene->verse.draw(renderer.scene->stageInputs(renderer.width, renderer.height));
        renderer.scene->logoAndTitle.draw(renderer.scene->stageInputs(renderer.width, renderer.height));
        glPopMatrix();
      }
      if (path == DrawPath::Fast) {
        renderer.glow.drawSummed(12, 0.02f, renderer.width, renderer.height);
      } else {
        renderer.glow.drawLayered(12, 0.02f, renderer.width, renderer.height);
      }
      glows[path == DrawPath::Fast] = context.readRgb();
    }
    const Difference d = compare(glows[0], glows[1]);
    EXPECT_LE(d.largest, 6) << (overScene ? "over the scene: " : "on black: ") << describe(d);
    const auto lit =
        std::count_if(glows[0].begin(), glows[0].end(), [](uint8_t v) { return v > 20; });
    EXPECT_GT(lit, static_cast<long>(glows[0].size() / 20));
  }
}

int32_t countCalls(const std::vector<testing::GlCall>& calls, const char* name) {
  return static_cast<int32_t>(std::count_if(
      calls.begin(), calls.end(), [&](const testing::GlCall& call) { return call.name == name; }));
}

// The fast path's calls do not grow with the number of glyphs: a few array draws per stage,
// no matrix calls per glyph, and the client arrays handed back off as the star field leaves them.
TEST_F(FastPathTest, CallsPerFrameDoNotGrowWithTheGlyphs) {
  Renderer renderer(640, 360, LightEffects | Stars, DrawPath::Fast);
  renderer.keyCommand(KeyCommand::ToggleFrameRate);
  clock.advance(700);
  testing::startGlRecording();
  renderer.renderFrame();
  const auto calls = testing::stopGlRecording();
  // Per drawing: three star layers, the rings, two frame-rate lines, title and shadow.
  EXPECT_LE(countCalls(calls, "glDrawArrays"), 2 * 8);
  // The two logos per drawing, the capture's gathering pass, the small sum and the glow's quad.
  EXPECT_LE(countCalls(calls, "glBegin"), 2 * 2 + 3);
  for (const char* name : {"glPushMatrix", "glTranslatef", "glScalef", "glColor4f"}) {
    EXPECT_LT(countCalls(calls, name), 40) << name;
  }
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 360);

  // The literal path for scale: thousands of each.
  Renderer literal(640, 360, LightEffects | Stars, DrawPath::Literal);
  clock.advance(700);
  testing::startGlRecording();
  literal.renderFrame();
  EXPECT_GT(countCalls(testing::stopGlRecording(), "glBegin"), 2000);
}

}  // namespace
}  // namespace marvolet
