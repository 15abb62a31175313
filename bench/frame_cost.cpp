// Frame cost on the headless context: wall and CPU milliseconds per frame for the default
// flags, without light effects, and for the verse stage alone; and the start-up time.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "headless_context.h"
#include "platform/clock.h"
#include "render/gl.h"
#include "render/renderer.h"
#include "scene/scene.h"

namespace {

using marvolet::Renderer;

uint32_t simulatedNow = 0;
uint32_t readSimulatedClock() {
  return simulatedNow;
}

double wallMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Process CPU time, llvmpipe's rasteriser threads included.
double cpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

struct Cost {
  double wall;
  double cpu;
};

Cost measure(int frames, const std::function<void()>& frame) {
  const double wall0 = wallMs(), cpu0 = cpuMs();
  for (int i = 0; i < frames; ++i) {
    simulatedNow += 33;
    frame();
    glFinish();  // what SwapBuffers would wait for
  }
  return Cost{(wallMs() - wall0) / frames, (cpuMs() - cpu0) / frames};
}

void resetGlobals() {
  marvolet::resetRendererGlobals();
  marvolet::resetSceneGlobals();
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 60;
  marvolet::platform::setMillisecondSource(&readSimulatedClock);
  std::printf("%-11s %-26s %10s %10s\n", "size", "case", "wall ms", "cpu ms");
  const int sizes[][2] = {{1280, 720}, {1920, 1080}};
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    marvolet::tools::HeadlessContext context(w, h);
    if (!context.ok()) {
      std::fprintf(stderr, "frame_cost: %s\n", context.error().c_str());
      return 1;
    }
    char label[16];
    std::snprintf(label, sizeof label, "%dx%d", w, h);

    const struct {
      const char* name;
      marvolet::RenderFlags flags;
    } cases[] = {{"stars + light effects", marvolet::Stars | marvolet::LightEffects},
                 {"stars, no light effects", marvolet::Stars}};
    for (const auto& c : cases) {
      resetGlobals();
      const double wall0 = wallMs(), cpu0 = cpuMs();
      Renderer renderer(w, h, c.flags);
      renderer.renderFrame();
      glFinish();
      if (c.flags & marvolet::LightEffects) {
        std::printf("%-11s %-26s %10.2f %10.2f\n", label, "construction + 1st frame",
                    wallMs() - wall0, cpuMs() - cpu0);
      }
      const Cost cost = measure(frames, [&] { renderer.renderFrame(); });
      std::printf("%-11s %-26s %10.2f %10.2f\n", label, c.name, cost.wall, cost.cpu);
    }

    resetGlobals();
    Renderer renderer(w, h, 0);
    renderer.renderFrame();
    const Cost verse = measure(frames, [&] {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glLoadIdentity();
      gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
      renderer.update();
      renderer.scene->drawVerse();
    });
    std::printf("%-11s %-26s %10.2f %10.2f\n", label, "verse stage alone", verse.wall, verse.cpu);
  }
  return 0;
}
