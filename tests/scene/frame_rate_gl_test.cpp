// The same motion at any frame rate: a picture drawn at 15, 30, 60 and 144 frames a second
// shows, at the same moments, the same stars, scroll, parameters and fades, within the
// tolerance the drawing paths are held to.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "frame_difference.h"
#include "saver_test.h"

namespace marvolet {
namespace {

class FrameRateTest : public testing::RendererFixture {
 protected:
  FrameRateTest() { drawPath = DrawPath::Fast; }

  // Frames at `rate` a second from a fresh renderer, the counter stepping by the whole
  // milliseconds nearest each frame's moment; the pictures at each of `moments` (ms).
  std::vector<testing::Pixels> run(RenderFlags flags, double rate,
                                   const std::vector<uint32_t>& moments) {
    const uint32_t origin = clock.now();
    build(flags);
    std::vector<testing::Pixels> pictures;
    for (int64_t frame = 1;; ++frame) {
      const uint32_t at = static_cast<uint32_t>(std::lround(frame * 1000.0 / rate));
      if (at > moments.back()) break;
      clock.set(origin + at);
      renderer->renderFrame();
      for (const uint32_t moment : moments) {
        if (at == moment) pictures.push_back(context.readRgb());
      }
    }
    return pictures;
  }
};

TEST_F(FrameRateTest, ThePictureAtAMomentIsTheSameAtFifteenThirtySixtyAndOneFortyFour) {
  // Moments every rate draws a frame at: by the last, every near star has been reborn once.
  const std::vector<uint32_t> moments = {1000, 3000, 5000};
  for (const RenderFlags flags : {RenderFlags{LightEffects}, RenderFlags{Stars}}) {
    SCOPED_TRACE("flags " + std::to_string(flags));
    const std::vector<testing::Pixels> reference = run(flags, 30.0, moments);
    for (const double rate : {15.0, 60.0, 144.0}) {
      const std::vector<testing::Pixels> pictures = run(flags, rate, moments);
      ASSERT_EQ(pictures.size(), moments.size());
      for (size_t m = 0; m < moments.size(); ++m) {
        const testing::Difference d = testing::compare(pictures[m], reference[m]);
        const std::string where = std::to_string(rate) + " a second at " +
                                  std::to_string(moments[m]) + " ms: " + testing::describe(d);
        EXPECT_TRUE(testing::samePicture(d)) << where;
      }
    }
  }
}

}  // namespace
}  // namespace marvolet
