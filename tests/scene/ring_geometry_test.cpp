// Ring geometry: where glyphs land on the sphere and how the depth fade darkens them.
#include <gtest/gtest.h>

#include "scene/star_field.h"
#include "render/ring_geometry.h"

namespace marvolet {
namespace {

constexpr float RingEnd = 5999.9995f;
constexpr float Scale = 0.0005f;  // textdistance 1

TEST(RingGeometryTest, PointsOfTheWorkedExamples) {
  const RingPoint middle = ringPoint(ringLatitude(30), ringLongitude(0.0f));
  EXPECT_NEAR(middle.x * Scale, 0.200, 0.001);
  EXPECT_NEAR(middle.y * Scale, -0.205, 0.001);
  EXPECT_NEAR(middle.z * Scale, 1.990, 0.001);
  EXPECT_FLOAT_EQ(ringBrightness(middle.z, true), 1.0f);

  const RingPoint topLeft = ringPoint(ringLatitude(0), ringLongitude(-RingEnd));
  EXPECT_NEAR(topLeft.x * Scale, -1.110, 0.001);
  EXPECT_NEAR(topLeft.y * Scale, 1.262, 0.001);
  EXPECT_NEAR(topLeft.z * Scale, 0.831, 0.001);
  EXPECT_NEAR((topLeft.z - 1300.0f) * 0.0005f, 0.181, 0.001);
  EXPECT_NEAR(ringBrightness(topLeft.z, true), 0.033, 0.001);

  const RingPoint bottomRight = ringPoint(ringLatitude(59), ringLongitude(RingEnd));
  EXPECT_NEAR(ringBrightness(bottomRight.z, true), 0.0023, 0.0001);
}

TEST(RingGeometryTest, EveryRingFacesTheViewer) {
  for (int32_t n = 0; n < TextRingCount; ++n) {
    for (float x = -RingEnd; x <= RingEnd; x += 500.0f) {
      const RingPoint p = ringPoint(ringLatitude(n), ringLongitude(x));
      ASSERT_GT(p.z, 1390.0f) << "ring " << n << " x " << x;
      ASSERT_LE(p.z, 4000.0f);
    }
  }
  // Rings run from top to bottom, 1.5 degrees apart.
  EXPECT_GT(ringPoint(ringLatitude(0), 0).y, ringPoint(ringLatitude(1), 0).y);
  EXPECT_NEAR(ringLatitude(1) - ringLatitude(0), 1.5 * 3.14159265 / 180, 1e-5);
}

TEST(RingGeometryTest, DepthFade) {
  EXPECT_EQ(ringBrightness(1300.0f, true), 0.0f);
  EXPECT_EQ(ringBrightness(3300.0f, true), 1.0f);
  EXPECT_EQ(ringBrightness(3999.0f, true), 1.0f);
  EXPECT_FLOAT_EQ(ringBrightness(2300.0f, true), 0.25f);
  // Without light effects every letter has the full colour, wherever it stands.
  for (float z : {1300.0f, 1400.0f, 2300.0f, 4000.0f}) EXPECT_EQ(ringBrightness(z, false), 1.0f);
}

TEST(StarRebirthTest, StrictBoundsOnDepthAndWindowPosition) {
  const int32_t w = 640, h = 480;
  EXPECT_FALSE(starNeedsRebirth(0.0f, 320, 240, w, h));
  EXPECT_TRUE(starNeedsRebirth(0.001f, 320, 240, w, h));
  EXPECT_FALSE(starNeedsRebirth(-100.0f, 2.0 * w, 240, w, h));
  EXPECT_TRUE(starNeedsRebirth(-100.0f, 2.0 * w + 1e-9 * w, 240, w, h));
  EXPECT_FALSE(starNeedsRebirth(-100.0f, -w, -h, w, h));
  EXPECT_TRUE(starNeedsRebirth(-100.0f, -w - 0.001, 240, w, h));
  EXPECT_TRUE(starNeedsRebirth(-100.0f, 320, -h - 0.001, w, h));
  EXPECT_FALSE(starNeedsRebirth(-100.0f, 320, 2.0 * h, w, h));
  EXPECT_TRUE(starNeedsRebirth(-100.0f, 320, 2.0 * h + 0.001, w, h));
}

}  // namespace
}  // namespace marvolet
