// Frames that keep no destination alpha, as a 16-bit X server or many Windows drivers give
// them: the default path must still draw the literal path's picture.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "configuration_frames.h"

namespace marvolet {
namespace {

using testing::compare;
using testing::describe;
using testing::Difference;

struct FormatCase {
  tools::FrameFormat format;
  const char* name;
};

// Test names and messages show the case's name, not its bytes.
void PrintTo(const FormatCase& c, std::ostream* out) {
  *out << c.name;
}

class FrameFormatTest : public ::testing::TestWithParam<FormatCase> {
 protected:
  testing::FixedCalendar calendar;
  testing::ScopedTestClock clock;
};

TEST_P(FrameFormatTest, TheDefaultPathDrawsTheLiteralPicture) {
  tools::HeadlessContext context(640, 360, GetParam().format);
  ASSERT_TRUE(context.ok()) << context.error();
  for (const RenderFlags flags : {LightEffects | Stars, Trails | LightEffects | Stars}) {
    const testing::RunResult literal = drawFrames(context, clock, DrawPath::Literal, flags);
    const testing::RunResult fast = drawFrames(context, clock, DrawPath::Fast, flags);
    for (size_t i = 0; i < literal.frames.size(); ++i) {
      const Difference d = compare(fast.frames[i], literal.frames[i]);
      EXPECT_TRUE(samePicture(d)) << "flags " << flags << ", at "
                                  << testing::ConfigurationFrameTimes[i] << " ms: " << describe(d);
    }
    EXPECT_TRUE(testing::showsAPicture(literal.frames.back()));
  }
}

INSTANTIATE_TEST_SUITE_P(WithoutAlpha, FrameFormatTest,
                         ::testing::Values(FormatCase{tools::FrameFormat::Rgb888, "Rgb888"},
                                           FormatCase{tools::FrameFormat::Rgb565, "Rgb565"}),
                         [](const ::testing::TestParamInfo<FormatCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace marvolet
