// Renders frames of the real renderer on the headless context at chosen clock times and writes
// them as PNG files, to look at what the saver draws.
#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "assets/user_content.h"
#include "headless_context.h"
#include "platform/clock.h"
#include "png_writer.h"
#include "scene/renderer.h"

namespace {

uint32_t simulatedNow = 0;
uint32_t readSimulatedClock() {
  return simulatedNow;
}
int64_t fixedCalendar = 0;
int64_t readFixedCalendar() {
  return fixedCalendar;
}

void usage() {
  std::fprintf(stderr,
               "usage: dump_frames [--size WxH] [--flags N] [--times MS,MS,...] [--step MS]\n"
               "                   [--key MS:CODE]... [--seed N] [--literal] [--glow-reduction N]\n"
               "                   [--passage FILE] [--title TEXT] [--first-logo FILE]\n"
               "                   [--second-logo FILE] [--out DIR]\n"
               "Renders a frame every --step milliseconds of simulated time (default 33) and\n"
               "writes those at the listed times (default 0,2000,6000) as DIR/frame_<ms>.png.\n"
               "--key hands CODE (e.g. 83 for S, 66 for B) to the renderer at time MS.\n"
               "--flags: 1 trails, 2 light effects, 4 stars, 8 burn-in guard (default 6).\n"
               "--literal draws with the reference path (a GL call per glyph, the glow layer by\n"
               "layer) instead of the fast one.\n"
               "--glow-reduction sums the fast path's glow at 1/N of the window's width and\n"
               "height (by default a third of its width and all its rows; N x N is only for\n"
               "comparisons: 2 and up stray beyond the literal path's tolerance on some frames).\n"
               "--passage, --title, --first-logo and --second-logo draw the user's own text file,\n"
               "title and JPEG or PNG pictures instead of the built-in ones, as the saver does.\n");
}

// The letters the savers know: B toggles the glow, S the frame-rate text.
marvolet::KeyCommand commandForKey(int code) {
  if (code == 'B' || code == 'b') return marvolet::KeyCommand::ToggleLightEffects;
  if (code == 'S' || code == 's') return marvolet::KeyCommand::ToggleFrameRate;
  return marvolet::KeyCommand::Nothing;
}

bool parseList(const char* text, std::vector<uint32_t>& out) {
  out.clear();
  while (*text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (end == text) return false;
    out.push_back(static_cast<uint32_t>(value));
    text = *end == ',' ? end + 1 : end;
    if (*end != ',' && *end != '\0') return false;
  }
  return !out.empty();
}

}  // namespace

int main(int argc, char** argv) {
  int width = 1280, height = 720;
  uint32_t flags = 6, step = 33;
  std::vector<uint32_t> times = {0, 2000, 6000};
  std::vector<std::pair<uint32_t, int>> keys;
  std::string outDir = "out/frames";
  marvolet::DrawPath path = marvolet::DrawPath::Fast;
  int glowReduction = 0;
  marvolet::SceneContentSources sources;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--help" || arg == "-h") {
      usage();
      return 0;
    }
    if (arg == "--literal") {
      path = marvolet::DrawPath::Literal;
      continue;
    }
    if (!value) {
      usage();
      return 2;
    }
    ++i;
    if (arg == "--size" && std::sscanf(value, "%dx%d", &width, &height) == 2 && width > 0 &&
        height > 0) {
    } else if (arg == "--flags") {
      flags = static_cast<uint32_t>(std::strtoul(value, nullptr, 0));
    } else if (arg == "--step") {
      step = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
      if (step == 0) step = 1;
    } else if (arg == "--times" && parseList(value, times)) {
    } else if (arg == "--key") {
      unsigned at = 0;
      int code = 0;
      if (std::sscanf(value, "%u:%i", &at, &code) != 2) {
        usage();
        return 2;
      }
      keys.emplace_back(at, code);
    } else if (arg == "--seed") {
      fixedCalendar = std::strtoll(value, nullptr, 10);
    } else if (arg == "--glow-reduction") {
      glowReduction = std::atoi(value);
    } else if (arg == "--passage") {
      sources.passagePath = value;
    } else if (arg == "--title") {
      sources.title = value;
    } else if (arg == "--first-logo") {
      sources.firstLogoPath = value;
    } else if (arg == "--second-logo") {
      sources.secondLogoPath = value;
    } else if (arg == "--out") {
      outDir = value;
    } else {
      usage();
      return 2;
    }
  }

  std::vector<std::string> notes;
  const marvolet::SceneContent content = marvolet::readSceneContent(sources, &notes);
  for (const std::string& note : notes) std::fprintf(stderr, "dump_frames: %s\n", note.c_str());

  marvolet::tools::HeadlessContext context(width, height);
  if (!context.ok()) {
    std::fprintf(stderr, "dump_frames: no headless GL context: %s\n", context.error().c_str());
    return 1;
  }
  ::mkdir(outDir.c_str(), 0755);
  marvolet::platform::setMillisecondSource(&readSimulatedClock);
  marvolet::platform::setCalendarSource(&readFixedCalendar);

  uint32_t last = 0;
  for (uint32_t t : times) last = t > last ? t : last;
  marvolet::Renderer renderer(width, height, flags, path, content);
  if (glowReduction >= 2) renderer.glow.setGlowReduction(glowReduction);
  int failures = 0;
  uint32_t now = 0;
  for (;;) {
    simulatedNow = now;
    for (const auto& key : keys) {
      if (key.first == now) renderer.keyCommand(commandForKey(key.second));
    }
    renderer.renderFrame();
    for (uint32_t t : times) {
      if (t != now) continue;
      const std::string path = outDir + "/frame_" + std::to_string(t) + ".png";
      if (marvolet::tools::writePng(path, width, height, context.readRgb())) {
        std::printf("%s\n", path.c_str());
      } else {
        std::fprintf(stderr, "dump_frames: cannot write %s\n", path.c_str());
        ++failures;
      }
    }
    if (now >= last) break;
    // Land exactly on every requested time and key press, whatever the step.
    uint32_t next = now + step;
    for (uint32_t t : times) next = t > now && t < next ? t : next;
    for (const auto& key : keys) next = key.first > now && key.first < next ? key.first : next;
    now = next;
  }
  return failures == 0 ? 0 : 1;
}
