// The monitor layout rule: window rectangle, the primary's unscaled picture and the copies.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

#include "host/monitor_layout.h"

namespace marvolet {

std::ostream& operator<<(std::ostream& out, const PixelRect& r) {
  return out << r.width << "x" << r.height << "+" << r.x << "+" << r.y;
}

namespace {

const PixelRect kFallback = {0, 0, 1024, 768};

Monitor primary(int32_t x, int32_t y, int32_t w, int32_t h) {
  return {{x, y, w, h}, true};
}
Monitor other(int32_t x, int32_t y, int32_t w, int32_t h) {
  return {{x, y, w, h}, false};
}

// The copy keeps the primary's aspect to within a pixel's rounding and lies inside its monitor.
void expectSoundCopy(const SaverLayout& layout, const MonitorCopy& copy) {
  const PixelRect& m = copy.monitor;
  const PixelRect& p = copy.picture;
  EXPECT_GE(p.x, m.x);
  EXPECT_GE(p.y, m.y);
  EXPECT_LE(p.x + p.width, m.x + m.width);
  EXPECT_LE(p.y + p.height, m.y + m.height);
  EXPECT_TRUE(p.width == m.width || p.height == m.height) << "not as large as it fits: " << p;
  const double want = static_cast<double>(layout.primary.width) / layout.primary.height;
  EXPECT_NEAR(static_cast<double>(p.width) / p.height, want, 2.0 / p.height);
  // Centred: the bars on either side differ by at most one pixel.
  EXPECT_LE(std::abs((p.x - m.x) - (m.x + m.width - p.x - p.width)), 1);
  EXPECT_LE(std::abs((p.y - m.y) - (m.y + m.height - p.y - p.height)), 1);
}

TEST(MonitorLayout, OneMonitorIsTodaysWindowAndPicture) {
  const SaverLayout layout = layoutMonitors({primary(0, 0, 1920, 1080)}, kFallback);
  EXPECT_EQ(layout.window, (PixelRect{0, 0, 1920, 1080}));
  EXPECT_EQ(layout.primary, (PixelRect{0, 0, 1920, 1080}));
  EXPECT_TRUE(layout.copies.empty());
}

TEST(MonitorLayout, NoUsableMonitorFallsBackToTheGivenScreen) {
  for (const auto& monitors :
       {std::vector<Monitor>{}, {primary(0, 0, 0, 1080), other(5, 5, 10, -3)}}) {
    const SaverLayout layout = layoutMonitors(monitors, kFallback);
    EXPECT_EQ(layout.window, kFallback);
    EXPECT_EQ(layout.primary, (PixelRect{0, 0, 1024, 768}));
    EXPECT_TRUE(layout.copies.empty());
  }
}

TEST(MonitorLayout, TwoEqualMonitorsSideBySideEachShowTheWholePicture) {
  const SaverLayout layout =
      layoutMonitors({primary(0, 0, 1280, 720), other(1280, 0, 1280, 720)}, kFallback);
  EXPECT_EQ(layout.window, (PixelRect{0, 0, 2560, 720}));
  EXPECT_EQ(layout.primary, (PixelRect{0, 0, 1280, 720}));
  ASSERT_EQ(layout.copies.size(), 1u);
  EXPECT_EQ(layout.copies[0].monitor, (PixelRect{1280, 0, 1280, 720}));
  EXPECT_EQ(layout.copies[0].picture, (PixelRect{1280, 0, 1280, 720}));
}

TEST(MonitorLayout, DifferentSizesAndHeightsGetBarsNotStretching) {
  // A 1920x1080 primary with a 1280x1024 monitor on its right, bottoms not aligned, and a
  // portrait 1080x1920 monitor on its left reaching above it.
  const SaverLayout layout = layoutMonitors(
      {other(1920, 200, 1280, 1024), primary(0, 0, 1920, 1080), other(-1080, -500, 1080, 1920)},
      kFallback);
  EXPECT_EQ(layout.window, (PixelRect{-1080, -500, 4280, 1920}));
  EXPECT_EQ(layout.primary, (PixelRect{1080, 500, 1920, 1080}));
  ASSERT_EQ(layout.copies.size(), 2u);
  // In list order after the primary. 1280 wide at 16:9 is 720 high: 152 black above and below.
  EXPECT_EQ(layout.copies[0].monitor, (PixelRect{3000, 700, 1280, 1024}));
  EXPECT_EQ(layout.copies[0].picture, (PixelRect{3000, 852, 1280, 720}));
  // 1080 wide at 16:9 is 608 high (607.5 rounded): 656 black above, 656 below.
  EXPECT_EQ(layout.copies[1].monitor, (PixelRect{0, 0, 1080, 1920}));
  EXPECT_EQ(layout.copies[1].picture, (PixelRect{0, 656, 1080, 608}));
  for (const MonitorCopy& copy : layout.copies) expectSoundCopy(layout, copy);

  // A wider monitor than the primary gets bars on its left and right instead.
  const SaverLayout wide =
      layoutMonitors({primary(0, 0, 1024, 768), other(0, 768, 2560, 1080)}, kFallback);
  ASSERT_EQ(wide.copies.size(), 1u);
  EXPECT_EQ(wide.copies[0].picture, (PixelRect{560, 768, 1440, 1080}));
  expectSoundCopy(wide, wide.copies[0]);
}

// The two layouts whose pixels tests/render/monitor_copies_gl_test.cpp checks.
TEST(MonitorLayout, TheCopyTestsLayouts) {
  const SaverLayout sideBySide =
      layoutMonitors({primary(0, 0, 80, 60), other(80, 0, 120, 60)}, kFallback);
  ASSERT_EQ(sideBySide.copies.size(), 1u);
  EXPECT_EQ(sideBySide.copies[0].picture, (PixelRect{100, 0, 80, 60}));
  const SaverLayout stacked =
      layoutMonitors({primary(0, 120, 80, 60), other(0, 0, 160, 120)}, kFallback);
  EXPECT_EQ(stacked.primary, (PixelRect{0, 120, 80, 60}));
  ASSERT_EQ(stacked.copies.size(), 1u);
  EXPECT_EQ(stacked.copies[0].picture, (PixelRect{0, 0, 160, 120}));
}

TEST(MonitorLayout, AMonitorLeftOfOrAboveThePrimaryGivesANegativeWindowOrigin) {
  const SaverLayout left =
      layoutMonitors({primary(0, 0, 1280, 720), other(-1280, 0, 1280, 720)}, kFallback);
  EXPECT_EQ(left.window, (PixelRect{-1280, 0, 2560, 720}));
  EXPECT_EQ(left.primary, (PixelRect{1280, 0, 1280, 720}));
  ASSERT_EQ(left.copies.size(), 1u);
  EXPECT_EQ(left.copies[0].picture, (PixelRect{0, 0, 1280, 720}));

  const SaverLayout above =
      layoutMonitors({primary(0, 0, 1280, 720), other(0, -720, 1280, 720)}, kFallback);
  EXPECT_EQ(above.window, (PixelRect{0, -720, 1280, 1440}));
  EXPECT_EQ(above.primary, (PixelRect{0, 720, 1280, 720}));
  // For glViewport the primary is the lower half: origin bottom-left.
  EXPECT_EQ(bottomUp(above.primary, above.window.height), (PixelRect{0, 0, 1280, 720}));
  EXPECT_EQ(bottomUp(above.copies.at(0).picture, above.window.height),
            (PixelRect{0, 720, 1280, 720}));
}

TEST(MonitorLayout, ThreeMonitorsInARowAndWithoutAMarkedPrimary) {
  const std::vector<Monitor> row = {other(0, 0, 1280, 1024), other(1280, 0, 1920, 1200),
                                    other(3200, 0, 1280, 1024)};
  const SaverLayout layout = layoutMonitors(row, kFallback);
  // Nothing marked: the first monitor is the primary.
  EXPECT_EQ(layout.window, (PixelRect{0, 0, 4480, 1200}));
  EXPECT_EQ(layout.primary, (PixelRect{0, 0, 1280, 1024}));
  ASSERT_EQ(layout.copies.size(), 2u);
  // 5:4 inside 16:10: 1200 high is 1500 wide, 210 black on each side.
  EXPECT_EQ(layout.copies[0].picture, (PixelRect{1490, 0, 1500, 1200}));
  EXPECT_EQ(layout.copies[1].picture, (PixelRect{3200, 0, 1280, 1024}));
  for (const MonitorCopy& copy : layout.copies) expectSoundCopy(layout, copy);

  std::vector<Monitor> middlePrimary = row;
  middlePrimary[1].primary = true;
  const SaverLayout centred = layoutMonitors(middlePrimary, kFallback);
  EXPECT_EQ(centred.primary, (PixelRect{1280, 0, 1920, 1200}));
  ASSERT_EQ(centred.copies.size(), 2u);
  EXPECT_EQ(centred.copies[0].monitor.x, 0);  // the others keep their order
  EXPECT_EQ(centred.copies[1].monitor.x, 3200);
}

TEST(MonitorLayout, MirroredOrOverlappingMonitorsNeverDrawOverAPicture) {
  // Mirrored: the same rectangle twice shows the primary's pixels on both.
  const SaverLayout mirrored =
      layoutMonitors({other(0, 0, 1920, 1080), primary(0, 0, 1920, 1080)}, kFallback);
  EXPECT_EQ(mirrored.window, (PixelRect{0, 0, 1920, 1080}));
  EXPECT_TRUE(mirrored.copies.empty());

  // A clone at a larger mode contains the primary: it shows the primary's picture in its
  // corner, because a copy into it would overwrite the primary's own picture.
  const SaverLayout larger =
      layoutMonitors({primary(0, 0, 1280, 720), other(0, 0, 1920, 1080)}, kFallback);
  EXPECT_EQ(larger.window, (PixelRect{0, 0, 1920, 1080}));
  EXPECT_EQ(larger.primary, (PixelRect{0, 0, 1280, 720}));
  EXPECT_TRUE(larger.copies.empty());

  // Two others overlapping each other: the first gets the copy, the second shows it.
  const SaverLayout pair = layoutMonitors(
      {primary(0, 0, 800, 600), other(800, 0, 800, 600), other(1200, 300, 800, 600)}, kFallback);
  ASSERT_EQ(pair.copies.size(), 1u);
  EXPECT_EQ(pair.copies[0].monitor, (PixelRect{800, 0, 800, 600}));

  // Touching edges are not an overlap.
  const SaverLayout touching =
      layoutMonitors({primary(0, 0, 800, 600), other(0, 600, 800, 600)}, kFallback);
  EXPECT_EQ(touching.copies.size(), 1u);
}

}  // namespace
}  // namespace marvolet
