// Memory soak on the headless context: renders many frames and prints resident memory and the
// C library's heap figures every so often, so that growth can be told apart from noise.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "headless_context.h"
#include "platform/clock.h"
#include "render/gl.h"
#include "scene/renderer.h"
#include "scene/scene.h"

namespace {

uint32_t simulatedNow = 0;
uint32_t readSimulatedClock() {
  return simulatedNow;
}

// A "Name:   123 kB" line of /proc/self/status, in KiB; -1 when absent.
long statusKib(const char* name) {
  std::ifstream status("/proc/self/status");
  const size_t length = std::strlen(name);
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':') {
      return std::atol(line.c_str() + length + 1);
    }
  }
  return -1;
}

void printSample(long frame) {
  const struct mallinfo2 heap = mallinfo2();
  std::printf("%9ld %10ld %10ld %10zu %10zu %10zu\n", frame, statusKib("VmRSS"),
              statusKib("RssAnon"), heap.arena / 1024, heap.uordblks / 1024, heap.fordblks / 1024);
  std::fflush(stdout);
}

int usage() {
  std::fputs(
      "usage: soak_headless [--size WxH] [--frames N] [--every N] [--no-light-effects]\n"
      "                     [--step MS] [--trim-every N]\n"
      "Renders N frames (default 100000) at WxH (default 1280x720) with the default options,\n"
      "MS simulated milliseconds apart (default 33), and prints a sample every N frames (default "
      "1000):\n"
      "frame, VmRSS, RssAnon, malloc arena, in use and free (KiB). --trim-every calls\n"
      "malloc_trim(0) every N frames, to see what the allocator holds back.\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int width = 1280, height = 720;
  long frames = 100000, every = 1000, trimEvery = 0;
  uint32_t step = 33;
  marvolet::RenderFlags flags = marvolet::Stars | marvolet::LightEffects;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--size" && hasValue && std::sscanf(argv[++i], "%dx%d", &width, &height) == 2) {
    } else if (arg == "--frames" && hasValue) {
      frames = std::atol(argv[++i]);
    } else if (arg == "--every" && hasValue) {
      every = std::atol(argv[++i]);
    } else if (arg == "--step" && hasValue) {
      step = static_cast<uint32_t>(std::atol(argv[++i]));
    } else if (arg == "--trim-every" && hasValue) {
      trimEvery = std::atol(argv[++i]);
    } else if (arg == "--no-light-effects") {
      flags &= ~marvolet::LightEffects;
    } else {
      return usage();
    }
  }
  if (width < 1 || height < 1 || frames < 1 || every < 1 || trimEvery < 0 || step < 1) {
    return usage();
  }

  marvolet::platform::setMillisecondSource(&readSimulatedClock);
  marvolet::tools::HeadlessContext context(width, height);
  if (!context.ok()) {
    std::fprintf(stderr, "soak_headless: %s\n", context.error().c_str());
    return 1;
  }
  std::printf("# %dx%d, %ld frames %u ms apart, flags %u\n", width, height, frames, step, flags);
  std::printf("%9s %10s %10s %10s %10s %10s\n", "frame", "rss KiB", "anon KiB", "arena KiB",
              "used KiB", "free KiB");
  marvolet::Renderer renderer(width, height, flags);
  printSample(0);
  for (long frame = 1; frame <= frames; ++frame) {
    simulatedNow += step;
    renderer.renderFrame();
    glFinish();  // what SwapBuffers would wait for
    if (trimEvery > 0 && frame % trimEvery == 0) malloc_trim(0);
    if (frame % every == 0 || frame == frames) printSample(frame);
  }
  return 0;
}
