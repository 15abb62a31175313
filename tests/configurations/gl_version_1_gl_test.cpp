// A GL that reports version 1.x while it still hands out the GL 2.0 entry points by name, as
// indirect GLX does; registered to run with MESA_GL_VERSION_OVERRIDE=1.4. The glow must be laid
// layer by layer and the picture be the literal one.
#include <gtest/gtest.h>

#include <cstring>

#include "configuration_frames.h"
#include "render/gl.h"

namespace marvolet {
namespace {

using testing::compare;
using testing::describe;
using testing::Difference;

TEST(GlVersionOneTest, TheGlowIsLaidLayerByLayerAndTheDefaultPathDrawsTheLiteralPicture) {
  testing::FixedCalendar calendar;
  testing::ScopedTestClock clock;
  tools::HeadlessContext context(640, 360);
  ASSERT_TRUE(context.ok()) << context.error();
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  ASSERT_TRUE(version != nullptr && std::strncmp(version, "1.", 2) == 0)
      << "this test needs a GL that reports 1.x (MESA_GL_VERSION_OVERRIDE=1.4); it reports "
      << (version != nullptr ? version : "nothing");

  const RenderFlags flags = LightEffects | Stars;
  const testing::RunResult literal = drawFrames(context, clock, DrawPath::Literal, flags);
  const testing::RunResult fast = drawFrames(context, clock, DrawPath::Fast, flags);
  EXPECT_FALSE(fast.onePassGlow);
  for (size_t i = 0; i < literal.frames.size(); ++i) {
    const Difference d = compare(fast.frames[i], literal.frames[i]);
    EXPECT_TRUE(samePicture(d)) << "at " << testing::ConfigurationFrameTimes[i]
                                << " ms: " << describe(d);
  }
  EXPECT_TRUE(testing::showsAPicture(literal.frames.back()));
}

}  // namespace
}  // namespace marvolet
