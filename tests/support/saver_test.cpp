// Shared GL test fixture: a headless context, a fixed clock and calendar, and frame read-back.
#include "saver_test.h"

#include "platform/clock.h"
#include "scene/renderer.h"
#include "scene/scene.h"

namespace marvolet::testing {

namespace {
int64_t fixedCalendar() {
  return 12345;
}
}  // namespace

Frame::Frame(const tools::HeadlessContext& context)
    : width_(context.width()), height_(context.height()), rgb_(context.readRgb()) {}

Rgb Frame::at(int32_t x, int32_t y) const {
  const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
  return Rgb{rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

double Frame::brightness(int32_t x0, int32_t y0, int32_t x1, int32_t y1) const {
  double sum = 0;
  int64_t count = 0;
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = x0; x < x1; ++x) {
      const Rgb p = at(x, y);
      sum += p.r + p.g + p.b;
      ++count;
    }
  }
  return count > 0 ? sum / count : 0.0;
}

int32_t Frame::inkCount(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int threshold) const {
  int32_t count = 0;
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = x0; x < x1; ++x) {
      const Rgb p = at(x, y);
      if (p.r > threshold || p.g > threshold || p.b > threshold) ++count;
    }
  }
  return count;
}

SaverTest::SaverTest(int32_t width, int32_t height) : context(width, height), clock(1000) {}

void SaverTest::SetUp() {
  ASSERT_TRUE(context.ok()) << context.error();
  platform::setCalendarSource(&fixedCalendar);
}

void SaverTest::TearDown() {
  platform::setCalendarSource(nullptr);
}

void RendererFixture::SetUp() {
  SaverTest::SetUp();
  build(0);
}

void RendererFixture::TearDown() {
  delete renderer;
  renderer = nullptr;
  SaverTest::TearDown();
}

void RendererFixture::build(RenderFlags flags, const SceneContent& content) {
  delete renderer;
  renderer = new Renderer(context.width(), context.height(), flags, drawPath, content);
  scene = renderer->scene.get();
}

}  // namespace marvolet::testing
