// A primary monitor away from the window's bottom-left corner: its pixels must be those of a
// window of its own size at the same moment, stars, glow and trails included.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "configuration_frames.h"

namespace marvolet {
namespace {

using testing::compare;
using testing::describe;
using testing::Difference;

// The viewport's offset changes the GL's float window coordinates, and with them, now and then,
// the side of a sample point an edge falls on: a few edge pixels may differ, by a step or by a
// point's whole coverage. The glow repeats the frame outwards from its centre, so a few such
// pixels far from the centre become a streak of their copies: at 9 s, after the long gap over
// which stars and scroll now move by the clock, 4 such pixels by up to 9 (which pass the first
// bar without the glow) become about 230 by up to 10 with it. Either way none goes past the drawing
// paths' own bar of 16. A star field judged in the wrong place or a glow made of another monitor's
// pixels changes hundreds, by far more.
bool samePlacedPicture(const Difference& d) {
  return d.mean <= 0.02 && (d.withinThree >= 0.9999 || (d.withinThree >= 0.999 && d.largest <= 16));
}

struct Placement {
  const char* name;
  std::vector<Monitor> monitors;  // virtual-screen pixels, as a platform reports them
};

// Test names and messages show the case's name, not its bytes.
void PrintTo(const Placement& c, std::ostream* out) {
  *out << c.name;
}

class PrimaryPlacementTest : public ::testing::TestWithParam<Placement> {
 protected:
  testing::FixedCalendar calendar;
  testing::ScopedTestClock clock;
};

TEST_P(PrimaryPlacementTest, ThePrimaryShowsTheFrameOfAWindowOfItsOwn) {
  const SaverLayout layout = layoutMonitors(GetParam().monitors, {});
  const PixelRect gl = bottomUp(layout.primary, layout.window.height);
  ASSERT_TRUE(gl.x != 0 || gl.y != 0) << "the case must place the primary away from the corner";
  const SaverLayout alone =
      layoutMonitors({{{0, 0, layout.primary.width, layout.primary.height}, true}}, {});
  for (const RenderFlags flags : {LightEffects | Stars, Trails | LightEffects | Stars}) {
    std::vector<testing::Pixels> expected, placed;
    {
      tools::HeadlessContext context(alone.window.width, alone.window.height);
      ASSERT_TRUE(context.ok()) << context.error();
      expected = drawPrimary(context, clock, alone, flags);
    }
    {
      tools::HeadlessContext context(layout.window.width, layout.window.height);
      ASSERT_TRUE(context.ok()) << context.error();
      placed = drawPrimary(context, clock, layout, flags);
    }
    ASSERT_EQ(placed.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const Difference d = compare(placed[i], expected[i]);
      EXPECT_TRUE(samePlacedPicture(d))
          << "flags " << flags << ", at " << testing::ConfigurationFrameTimes[i]
          << " ms: " << describe(d);
    }
    EXPECT_TRUE(testing::showsAPicture(expected.back()));
  }
}

// Half the sizes users have, which keeps the same proportions at a quarter of the pixels.
INSTANTIATE_TEST_SUITE_P(
    Layouts, PrimaryPlacementTest,
    ::testing::Values(
        // 1920 x 1080 right of 2560 x 1440, tops aligned.
        Placement{"RightOfALargerOne", {{{0, 0, 1280, 720}, false}, {{1280, 0, 960, 540}, true}}},
        // Above a larger one, left edges aligned.
        Placement{"AboveALargerOne", {{{0, 540, 1280, 720}, false}, {{0, 0, 960, 540}, true}}},
        // A portrait primary right of a landscape monitor.
        Placement{"PortraitRightOfALandscapeOne",
                  {{{0, 0, 1280, 720}, false}, {{1280, 0, 540, 960}, true}}},
        // The primary at the virtual screen's origin, one monitor up-left and one to the right,
        // so the others have negative coordinates.
        Placement{"ThreeWithNegativeOrigins",
                  {{{-800, -300, 800, 600}, false},
                   {{0, 0, 640, 480}, true},
                   {{640, 120, 480, 640}, false}}}),
    [](const ::testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace marvolet
