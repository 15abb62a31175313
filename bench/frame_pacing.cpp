// Frame pacing over a fake present that blocks until the next refresh of a simulated display
// (60, 120, 144 and 165 Hz): for each frame-rate choice (30 and 60 a second, the display's
// refresh) the saver's session with swap control, and beside it the adaptive frame delay the
// renderer steers (the pacing before swap control). Prints, per case, how many refreshes the
// frames stayed up (every frame the same is wanted), the spread of present intervals and the
// process CPU per second, drawing real frames on the headless context (run with GALLIUM_NOOP=1
// to leave the GPU work out). Usage: frame_pacing [SECONDS_PER_CASE] (default 5).
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "headless_context.h"
#include "host/saver_session.h"
#include "platform/clock.h"

namespace {

using namespace marvolet;

double monotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double cpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void sleepUntil(double when) {
  const double left = when - monotonicSeconds();
  if (left <= 0.0) return;
  timespec span{static_cast<time_t>(left), static_cast<long>((left - std::floor(left)) * 1e9)};
  nanosleep(&span, nullptr);
}

// A display refreshing `hz` times a second from `origin`: a present waits for the refresh after
// `interval` refreshes have passed since the last one shown (at once with interval 0).
class SimulatedDisplay {
 public:
  SimulatedDisplay(double hz, double origin) : hz_(hz), origin_(origin) {}
  void setInterval(int32_t interval) { interval_ = interval; }
  // Blocks as a swap under the interval does; returns the refresh the frame went up at.
  int64_t present() {
    const double now = monotonicSeconds();
    int64_t next = static_cast<int64_t>(std::floor((now - origin_) * hz_)) + 1;
    if (interval_ > 0 && shown_ >= 0 && next < shown_ + interval_) next = shown_ + interval_;
    if (interval_ > 0) sleepUntil(origin_ + static_cast<double>(next) / hz_);
    shown_ = next;
    return next;
  }

 private:
  double hz_;
  double origin_;
  int32_t interval_ = 0;
  int64_t shown_ = -1;
};

struct Record {
  std::vector<int64_t> refreshes;  // the refresh each frame went up at
  std::vector<double> times;       // when each present returned, seconds
};

class FakeSurface final : public SaverSurface {
 public:
  FakeSurface(SimulatedDisplay& display, double hz, double seconds, int32_t width, int32_t height,
              bool swapControl)
      : display_(display), hz_(hz), swapControl_(swapControl) {
    end_ = monotonicSeconds() + seconds;
    layout_ = layoutMonitors({}, {0, 0, width, height});
  }
  Record record;

  SetupFailure create() override { return SetupFailure::NoFailure; }
  void abandon(SetupFailure) override {}
  const SaverLayout& layout() const override { return layout_; }
  void show() override {}
  PumpResult pump() override {
    return monotonicSeconds() >= end_ ? PumpResult::Quit : PumpResult::Empty;
  }
  bool displayAsleep() override { return false; }
  void waitForEvents() override {}
  void present() override {
    record.refreshes.push_back(display_.present());
    record.times.push_back(monotonicSeconds());
  }
  double refreshRate() override { return swapControl_ ? hz_ : 0.0; }
  bool setSwapInterval(int32_t interval) override {
    if (!swapControl_) return false;
    display_.setInterval(interval);
    return true;
  }
  void sleep(uint32_t milliseconds) override {
    sleepUntil(monotonicSeconds() + milliseconds * 1e-3);
  }
  void destroy() override {}

 private:
  SimulatedDisplay& display_;
  double hz_;
  bool swapControl_;
  double end_;
  SaverLayout layout_;
};

void report(const char* label, double hz, const Record& record, double cpu, double wall) {
  // Past the first second: the adaptive delay's settling is not what is measured.
  size_t first = 0;
  while (first < record.times.size() && record.times[first] - record.times[0] < 1.0) ++first;
  std::map<int64_t, int> held;
  double sum = 0, squares = 0;
  int n = 0;
  for (size_t i = first + 1; i < record.times.size(); ++i) {
    held[record.refreshes[i] - record.refreshes[i - 1]] += 1;
    const double gap = (record.times[i] - record.times[i - 1]) * 1000.0;
    sum += gap;
    squares += gap * gap;
    ++n;
  }
  if (n == 0) return;
  const double mean = sum / n;
  const double sd = std::sqrt(std::fmax(0.0, squares / n - mean * mean));
  int most = 0;
  std::string spread;
  for (const auto& [refreshes, count] : held) {
    most = count > most ? count : most;
    spread += " " + std::to_string(refreshes) + "x" + std::to_string(count);
  }
  std::printf(
      "pacing %3.0fHz %-14s fps=%6.2f same_refreshes=%5.1f%% held:%s sd_ms=%.2f "
      "cpu_ms_per_s=%.0f\n",
      hz, label, 1000.0 / mean, 100.0 * most / n, spread.c_str(), sd, 1000.0 * cpu / wall);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  constexpr int32_t kWidth = 640, kHeight = 360;
  tools::HeadlessContext context(kWidth, kHeight);
  if (!context.ok()) {
    std::fprintf(stderr, "frame_pacing: %s\n", context.error().c_str());
    return 1;
  }
  for (const double hz : {60.0, 120.0, 144.0, 165.0}) {
    struct Choice {
      const char* label;
      FrameRateChoice rate;
    };
    for (const Choice choice :
         {Choice{"30/s", FrameRateChoice::Thirty}, Choice{"60/s", FrameRateChoice::Sixty},
          Choice{"refresh", FrameRateChoice::DisplayRefresh}}) {
      SimulatedDisplay display(hz, monotonicSeconds());
      FakeSurface surface(display, hz, seconds, kWidth, kHeight, true);
      RendererPicture picture(Stars | LightEffects);
      SessionOptions options;
      options.frameRate = choice.rate;
      SaverSession session(surface, picture, options);
      const double cpu0 = cpuSeconds(), wall0 = monotonicSeconds();
      session.run();
      report(choice.label, hz, surface.record, cpuSeconds() - cpu0, monotonicSeconds() - wall0);
    }
    // Before swap control: the renderer's adaptive delay after each frame, on a display whose
    // presents wait for the next refresh as a compositor's do.
    SimulatedDisplay display(hz, monotonicSeconds());
    display.setInterval(1);
    Renderer renderer(kWidth, kHeight, Stars | LightEffects);
    Record record;
    const double cpu0 = cpuSeconds(), wall0 = monotonicSeconds();
    while (monotonicSeconds() - wall0 < seconds) {
      renderer.renderFrame();
      record.refreshes.push_back(display.present());
      record.times.push_back(monotonicSeconds());
      sleepUntil(monotonicSeconds() + renderer.frameDelay() * 1e-3);
    }
    report("today 30/s", hz, record, cpuSeconds() - cpu0, monotonicSeconds() - wall0);
  }
  return 0;
}
