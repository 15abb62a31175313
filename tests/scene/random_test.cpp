// The random generator reproduces the Windows runtime's sequence on every platform.
#include <gtest/gtest.h>

#include "scene/random.h"
#include "scene/scene.h"

namespace marvolet {
namespace {

TEST(RandomTest, SeedOneGivesTheRuntimeSequence) {
  Random random(1);
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  for (int32_t value : expected) EXPECT_EQ(random.nextInt(), value);
  // Unseeded, it starts where the runtime does before any seed.
  Random unseeded;
  EXPECT_EQ(unseeded.nextInt(), 41);
}

TEST(RandomTest, UnitDrawsStayInsideZeroToOne) {
  Random random(200);
  for (int i = 0; i < 100000; ++i) {
    const float r = random.nextUnit();
    ASSERT_GE(r, 0.0f);
    ASSERT_LE(r, 1.0f);
  }
}

TEST(RandomTest, RangeEndsAreReachedExactly) {
  for (const ParameterRange& range : SceneParameterRanges) {
    EXPECT_EQ(parameterValue(range, 0.0f), range.min);
    EXPECT_FLOAT_EQ(parameterValue(range, 1.0f), range.max);
  }
  // Exponent 3 crowds the draws towards the minimum.
  EXPECT_FLOAT_EQ(parameterValue(SceneParameterRanges[textdistance], 0.5f), 0.95f + 2.15f / 8);
}

}  // namespace
}  // namespace marvolet
