// Scene parameters: construction draws, retargeting rules and the smoothstep segments.
#include <gtest/gtest.h>

#include <algorithm>

#include "saver_test.h"
#include "scene/random.h"
#include "scene/renderer.h"
#include "scene/scene.h"

namespace marvolet {
namespace {

class SceneParameterTest : public testing::RendererFixture {
 protected:
  // Places the clock so the scene's next update sees `seconds`.
  void updateAt(double seconds) { scene->update(seconds); }
};

TEST_F(SceneParameterTest, ConstructionDrawsTargetThenStartPerParameterThenRetargetsTwice) {
  // Replay the draws by hand from the same seed the renderer used.
  Random random(12345 % 256);
  random.nextInt();
  float start[SceneParameterCount];
  for (int k = 0; k < SceneParameterCount; ++k) {
    random.nextUnit();  // the target's draw comes first
    start[k] = parameterValue(SceneParameterRanges[k], random.nextUnit());
  }
  for (int k = 0; k < SceneParameterCount; ++k) {
    EXPECT_EQ(scene->current[k], start[k]) << k;  // untouched until the first update
  }
  EXPECT_EQ(scene->segmentStart, 0.0);
  EXPECT_TRUE(scene->lightEffects);
  EXPECT_EQ(scene->verse.verse(), asciiGlyphs(BuiltInVerse, MainFont));
  // After two retargets start holds the first retarget's targets: exact 0 or 1 for the fade.
  EXPECT_TRUE(scene->start[imagefade] == 0.0f || scene->start[imagefade] == 1.0f);
  EXPECT_GE(scene->segmentDuration, 10.0f);
  EXPECT_LE(scene->segmentDuration, 30.0f);
}

TEST_F(SceneParameterTest, SegmentEndsOnlyWhenStrictlyPassed) {
  scene->segmentStart = 0.0;
  scene->segmentDuration = 10.0f;
  const float startBefore = scene->start[textspeed];
  const float targetBefore = scene->target[textspeed];
  updateAt(10.0);
  EXPECT_EQ(scene->segmentStart, 0.0);
  EXPECT_EQ(scene->start[textspeed], startBefore);
  EXPECT_FLOAT_EQ(scene->current[textspeed], targetBefore);  // t = 1 exactly
  updateAt(10.001);
  EXPECT_EQ(scene->segmentStart, 10.001);
  EXPECT_EQ(scene->start[textspeed], targetBefore);
  EXPECT_EQ(scene->current[textspeed], targetBefore);  // continuous across the change
}

TEST_F(SceneParameterTest, LongPauseStartsExactlyOneSegmentFromThatFrame) {
  scene->segmentStart = 0.0;
  scene->segmentDuration = 10.0f;
  float targets[SceneParameterCount];
  std::copy(scene->target, scene->target + SceneParameterCount, targets);
  updateAt(100.0);
  EXPECT_EQ(scene->segmentStart, 100.0);
  for (int k = 0; k < SceneParameterCount; ++k) {
    EXPECT_EQ(scene->start[k], targets[k]);
    EXPECT_EQ(scene->current[k], targets[k]);
  }
}

TEST_F(SceneParameterTest, SmoothstepEasing) {
  scene->segmentStart = 0.0;
  scene->segmentDuration = 8.0f;
  scene->start[imagezoom] = 0.0f;
  scene->target[imagezoom] = 1.0f;
  scene->start[textcolor] = 0.5f;
  scene->target[textcolor] = 1.0f;
  const struct {
    double t;
    float eased;
  } points[] = {{0.0, 0.0f}, {2.0, 0.15625f}, {4.0, 0.5f}, {6.0, 0.84375f}, {8.0, 1.0f}};
  for (const auto& point : points) {
    updateAt(point.t);
    EXPECT_FLOAT_EQ(scene->current[imagezoom], point.eased) << point.t;
  }
  updateAt(2.0);
  EXPECT_FLOAT_EQ(scene->current[textcolor], 0.578125f);
}

TEST_F(SceneParameterTest, RetargetRules) {
  int drawnDistances = 0;
  for (int i = 0; i < 400; ++i) {
    // An excursion above 1.2 always comes back to 1.0.
    scene->target[textdistance] = 1.5f;
    scene->retarget();
    ASSERT_EQ(scene->start[textdistance], 1.5f);
    ASSERT_EQ(scene->target[textdistance], 1.0f);
    ASSERT_TRUE(scene->target[imagefade] == 0.0f || scene->target[imagefade] == 1.0f);
    ASSERT_GE(scene->segmentDuration, 10.0f);
    ASSERT_LE(scene->segmentDuration, 30.0f);

    // Exactly 1.2 is not above it: the drawn target survives one time in five.
    scene->target[textdistance] = 1.2f;
    scene->retarget();
    const float next = scene->target[textdistance];
    ASSERT_GE(next, 0.95f);
    ASSERT_LE(next, 3.1f);
    if (next != 1.0f) ++drawnDistances;
  }
  EXPECT_GT(drawnDistances, 40);
  EXPECT_LT(drawnDistances, 130);
}

TEST_F(SceneParameterTest, FadeHeadsForBothLogosOverTime) {
  int ones = 0;
  for (int i = 0; i < 200; ++i) {
    scene->retarget();
    if (scene->target[imagefade] == 1.0f) ++ones;
  }
  EXPECT_GT(ones, 60);
  EXPECT_LT(ones, 140);
}

}  // namespace
}  // namespace marvolet
