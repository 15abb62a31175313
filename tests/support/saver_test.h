// Fixture pieces shared by the GL tests: a headless context, a hand-set clock and a fixed
// calendar, so every test's renderer starts as a fresh process's would.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "headless_context.h"
#include "scene/renderer.h"
#include "scene/scene.h"
#include "test_clock.h"

namespace marvolet::testing {

struct Rgb {
  uint8_t r, g, b;
};

// A frame read back from the headless context, top row first.
class Frame {
 public:
  explicit Frame(const tools::HeadlessContext& context);
  Rgb at(int32_t x, int32_t y) const;  // window pixels, origin top-left
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // Mean of r + g + b over a rectangle of window pixels, origin top-left.
  double brightness(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const;
  // Pixels in the rectangle whose brightest channel exceeds `threshold`.
  int32_t inkCount(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int threshold = 40) const;

 private:
  int32_t width_;
  int32_t height_;
  std::vector<uint8_t> rgb_;
};

class SaverTest : public ::testing::Test {
 protected:
  explicit SaverTest(int32_t width = 160, int32_t height = 120);
  void SetUp() override;
  void TearDown() override;

  tools::HeadlessContext context;
  ScopedTestClock clock;
};

// A renderer of the context's size, built for each test (flags 0) and deleted after it.
class RendererFixture : public SaverTest {
 protected:
  using SaverTest::SaverTest;
  void SetUp() override;
  void TearDown() override;
  // Replaces the renderer with a fresh one, as a new process would build it.
  void build(RenderFlags flags, const SceneContent& content = SceneContent{});
  // What the scene's stages draw with now, for drawing one of them alone.
  StageInputs inputs() { return scene->stageInputs(renderer->width, renderer->height); }

  // The reference path by default: most scene tests check the calls it makes one by one.
  DrawPath drawPath = DrawPath::Literal;
  Renderer* renderer = nullptr;
  Scene* scene = nullptr;
};

}  // namespace marvolet::testing
