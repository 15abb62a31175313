// Reading a GL_VERSION string: desktop GL's "major.minor" at the start, and nothing else.
#include "render/gl_capabilities.h"

#include <gtest/gtest.h>

namespace marvolet {
namespace {

TEST(GlVersionTest, OnlyADesktopVersionAtTheStartCounts) {
  EXPECT_TRUE(versionAtLeast("2.0", 2, 0));
  EXPECT_TRUE(versionAtLeast("4.5 (Compatibility Profile) Mesa 22.3.6", 2, 0));
  EXPECT_TRUE(versionAtLeast("2.1.2 NVIDIA 340.108", 2, 0));
  EXPECT_TRUE(versionAtLeast("10.0", 2, 0));  // numbers, not characters, are compared
  EXPECT_FALSE(versionAtLeast("1.4 Mesa 22.3.6", 2, 0));
  EXPECT_FALSE(versionAtLeast("1.10", 2, 0));
  EXPECT_FALSE(versionAtLeast("OpenGL ES 3.2 Mesa 22.3.6", 2, 0));
  EXPECT_FALSE(versionAtLeast("", 2, 0));
  EXPECT_FALSE(versionAtLeast(nullptr, 2, 0));
  EXPECT_FALSE(versionAtLeast("2", 2, 0));
  EXPECT_FALSE(versionAtLeast("2.", 2, 0));
  EXPECT_FALSE(versionAtLeast(" 2.0", 2, 0));
  EXPECT_FALSE(versionAtLeast("99999999.0", 2, 0));  // no overflow into a small number
  EXPECT_TRUE(versionAtLeast("2.10", 2, 1));
  EXPECT_FALSE(versionAtLeast("2.0", 2, 1));
}

}  // namespace
}  // namespace marvolet
