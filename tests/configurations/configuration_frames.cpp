// Frame runs for the configuration tests.
#include "configuration_frames.h"

#include <algorithm>

#include "host/saver_session.h"
#include "platform/clock.h"
#include "render/gl.h"

namespace marvolet::testing {

namespace {
int64_t fixedCalendar() {
  return 7;
}

void clearToBlack() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
}  // namespace

FixedCalendar::FixedCalendar() {
  platform::setCalendarSource(&fixedCalendar);
}

FixedCalendar::~FixedCalendar() {
  platform::setCalendarSource(nullptr);
}

RunResult drawFrames(const tools::HeadlessContext& context, ScopedTestClock& clock, DrawPath path,
                     RenderFlags flags) {
  clock.set(0);
  clearToBlack();
  Renderer renderer(context.width(), context.height(), flags, path);
  RunResult result;
  result.onePassGlow = renderer.glow.onePassReady();
  for (const uint32_t t : ConfigurationFrameTimes) {
    clock.set(t);
    renderer.renderFrame();
    result.frames.push_back(context.readRgb());
  }
  return result;
}

std::vector<Pixels> drawPrimary(const tools::HeadlessContext& context, ScopedTestClock& clock,
                                const SaverLayout& layout, RenderFlags flags) {
  clock.set(0);
  clearToBlack();
  RendererPicture picture(flags);
  std::vector<Pixels> frames;
  if (!picture.create(layout)) return frames;
  for (const uint32_t t : ConfigurationFrameTimes) {
    clock.set(t);
    picture.draw(layout);
    frames.push_back(cut(context.readRgb(), context.width(), layout.primary));
  }
  picture.destroy();
  return frames;
}

Pixels cut(const Pixels& frame, int32_t width, const PixelRect& rect) {
  Pixels part;
  part.reserve(static_cast<size_t>(rect.width) * rect.height * 3);
  for (int32_t y = rect.y; y < rect.y + rect.height; ++y) {
    const auto row = frame.begin() + (static_cast<ptrdiff_t>(y) * width + rect.x) * 3;
    part.insert(part.end(), row, row + static_cast<ptrdiff_t>(rect.width) * 3);
  }
  return part;
}

bool showsAPicture(const Pixels& frame) {
  const auto lit = std::count_if(frame.begin(), frame.end(), [](uint8_t v) { return v > 40; });
  return lit > static_cast<long>(frame.size() / 50);
}

}  // namespace marvolet::testing
