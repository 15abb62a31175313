// Prints every GL and GLU call the core makes while a renderer is built, draws a few frames and
// is deleted, one call a line, so that two versions of the code can be compared call for call.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gl_recorder.h"
#include "headless_context.h"
#include "platform/clock.h"
// compare-with-commit.sh builds this file against older trees too, whose renderer lived in
// render/.
#if __has_include("scene/renderer.h")
#include "scene/renderer.h"
#else
#include "render/renderer.h"
#endif

namespace {

uint32_t simulatedNow = 1000;
uint32_t readSimulatedClock() {
  return simulatedNow;
}
int64_t readFixedCalendar() {
  return 0;
}

void print(const char* stage, const std::vector<marvolet::testing::GlCall>& calls) {
  std::printf("== %s: %zu calls\n", stage, calls.size());
  for (const marvolet::testing::GlCall& call : calls) {
    std::printf("%s", call.name.c_str());
    for (double arg : call.args) std::printf(" %.9g", arg);
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0, height = 0, frames = 0;
  unsigned flags = 0;
  if (argc != 6 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2 || width <= 0 ||
      height <= 0 || std::sscanf(argv[2], "%u", &flags) != 1 ||
      (std::strcmp(argv[3], "literal") != 0 && std::strcmp(argv[3], "fast") != 0) ||
      (frames = std::atoi(argv[4])) <= 0 || std::atoi(argv[5]) <= 0) {
    std::fprintf(
        stderr,
        "usage: gl_call_log WxH FLAGS literal|fast FRAMES STEP_MS\n"
        "Logs the calls of building a renderer, FRAMES frames STEP_MS apart and its deletion.\n");
    return 2;
  }
  const uint32_t step = static_cast<uint32_t>(std::atoi(argv[5]));
  marvolet::tools::HeadlessContext context(width, height);
  if (!context.ok()) {
    std::fprintf(stderr, "gl_call_log: no headless GL context: %s\n", context.error().c_str());
    return 1;
  }
  marvolet::platform::setMillisecondSource(&readSimulatedClock);
  marvolet::platform::setCalendarSource(&readFixedCalendar);
  const marvolet::DrawPath path =
      std::strcmp(argv[3], "literal") == 0 ? marvolet::DrawPath::Literal : marvolet::DrawPath::Fast;
  marvolet::testing::startGlRecording();
  auto* renderer = new marvolet::Renderer(width, height, flags, path);
  print("construction", marvolet::testing::stopGlRecording());
  for (int frame = 0; frame < frames; ++frame) {
    simulatedNow += step;
    marvolet::testing::startGlRecording();
    renderer->renderFrame();
    char stage[32];
    std::snprintf(stage, sizeof stage, "frame %d", frame);
    print(stage, marvolet::testing::stopGlRecording());
  }
  marvolet::testing::startGlRecording();
  delete renderer;
  print("destruction", marvolet::testing::stopGlRecording());
  return 0;
}
