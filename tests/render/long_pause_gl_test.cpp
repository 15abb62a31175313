// Long pauses between frames (an hour's jump of the clock, a stopped process, a dark display):
// the frames after one cost what frames before it did and the animation goes on from where it
// was; short gaps keep the clock's own rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "assets/bitmap_font.h"
#include "gl_recorder.h"
#include "scene/renderer.h"
#include "saver_test.h"
#include "scene/scene.h"
#include "scene/verse_rings.h"

namespace marvolet {
namespace {

constexpr uint32_t kFrameMs = 40;

class LongPauseTest : public testing::RendererFixture {
 protected:
  // One frame `kFrameMs` after the last; returns the GL calls it made.
  size_t frameCalls(uint32_t afterMs = kFrameMs) {
    clock.advance(afterMs);
    testing::startGlRecording();
    renderer->renderFrame();
    return testing::stopGlRecording().size();
  }

  // Stars within a frame or so of the far depth a rebirth puts them at, out of the near layers.
  int32_t starsAtRebirthDepth() const {
    int32_t count = 0;
    for (const Star& star : scene->stars.field.cool) count += star.z < -720.0f;
    for (const Star& star : scene->stars.field.warm) count += star.z < -720.0f;
    return count;
  }
};

TEST_F(LongPauseTest, AfterAPauseFramesCostTheUsualAndTheAnimationGoesOnWhereItWas) {
  struct Pause {
    const char* what;
    uint32_t ms;
  };
  const Pause pauses[] = {
      {"the clock moved an hour forward (an hour dark, a night suspended)", 3600u * 1000u},
      {"the process stopped for a minute", 60u * 1000u},
      {"the process stopped for five seconds", 5000u},
  };
  for (const Pause& pause : pauses) {
    SCOPED_TRACE(pause.what);
    build(Stars);
    // A second and a half of running: a rate measured, rings under way.
    size_t usual = 0;
    for (int i = 0; i < 36; ++i) usual = std::max(usual, frameCalls());
    const float fpsBefore = renderer->clock().fps();
    const double secondsBefore = renderer->clock().seconds();
    TextRing ringsBefore[TextRingCount];
    std::copy(std::begin(scene->verse.rings.rings), std::end(scene->verse.rings.rings), ringsBefore);
    ASSERT_GT(fpsBefore, 20.0f);

    const size_t first = frameCalls(pause.ms);
    // The rate measured before the pause stands; the stars fly on at it.
    EXPECT_FLOAT_EQ(renderer->clock().fps(), fpsBefore);
    EXPECT_LT(starsAtRebirthDepth(), (CoolStarCount + WarmStarCount) / 4);
    // The animation moved on by about one frame, not by the pause.
    EXPECT_LE(renderer->clock().seconds() - secondsBefore, 0.1);
    for (int32_t n = 0; n < TextRingCount; ++n) {
      // Ring units scrolled: at most 150 x textspeed 3 x a tenth of a second.
      const TextRing& ring = scene->verse.rings.rings[n];
      const TextRing& before = ringsBefore[n];
      const float stepped = ring.charIndex == before.charIndex
                                ? 0.0f
                                : ringWidth(MainFont.glyphFor(BuiltInVerse[before.charIndex]));
      EXPECT_LE(ring.offset - before.offset + stepped, 45.0f) << "ring " << n;
    }
    // Work per frame, the first and those after it, as before the pause: the rings carry no
    // backlog to walk.
    EXPECT_LE(first, usual + usual / 10);
    size_t worst = 0;
    for (int i = 0; i < 10; ++i) worst = std::max(worst, frameCalls());
    EXPECT_LE(worst, usual + usual / 10);
    EXPECT_GT(renderer->clock().fps(), 20.0f);
  }
}

TEST_F(LongPauseTest, ShortGapsCountInFullAndNeverMeasureARateOfZero) {
  build(Stars);
  for (int i = 0; i < 30; ++i) frameCalls();  // past the first measurement
  // A measurement, then a gap of two seconds before the next frame: that window holds no other
  // frame. It counts the one closing it rather than measuring 0 and reseeding every star.
  while (renderer->clock().frameCount() != 0) frameCalls();
  const double before = renderer->clock().seconds();
  frameCalls(2000);
  EXPECT_DOUBLE_EQ(renderer->clock().seconds() - before, 2.0);  // a short gap is animation time
  EXPECT_FLOAT_EQ(renderer->clock().fps(), 0.5f);
  EXPECT_LT(starsAtRebirthDepth(), CoolStarCount + WarmStarCount);
}

}  // namespace
}  // namespace marvolet
