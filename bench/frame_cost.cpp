// Frame cost on the headless context: wall and CPU milliseconds per frame for the default
// flags, without light effects, and for the verse stage, the glow's capture and its layers
// alone; and the start-up time. With
// --compare, the fast and the literal drawing path on the same frames, side by side, and the
// cases a software GL meets: the scene further on, the glow without GLSL, two monitors, and no
// GPU work at all; the default frame's CPU stage by stage; and passages of 10,000 Latin and
// Chinese characters against the built-in one.
#include <time.h>

#include <string>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "assets/embedded_images.h"
#if __has_include("assets/user_content.h")
#include "assets/user_content.h"
#define FRAME_COST_USER_CONTENT 1
#endif
#include "assets/texture.h"
#include "headless_context.h"
#include "platform/clock.h"
#include "platform/gl_proc_address.h"
#include "render/gl.h"
#include "render/monitor_copies.h"
#include "render/texture_upload.h"
#include "scene/scene.h"
// build-baseline.sh builds this file against older trees, whose renderer lived in render/.
#if __has_include("scene/renderer.h")
#include "scene/renderer.h"
#else
#include "render/renderer.h"
#endif

namespace {

using marvolet::Renderer;

#ifdef FRAME_COST_USER_CONTENT
// --passage, --title, --first-logo, --second-logo: every renderer measured draws them.
marvolet::SceneContent userContent;
struct Drawn : Renderer {
  Drawn(int32_t w, int32_t h, marvolet::RenderFlags flags,
        marvolet::DrawPath path = marvolet::DrawPath::Fast)
      : Renderer(w, h, flags, path, userContent) {}
};
#else
// build-baseline.sh builds this file against trees whose renderer draws the built-in items only.
using Drawn = Renderer;
#endif

uint32_t simulatedNow = 0;
// --glow-reduction: the fast path's glow summed at 1/N of the window's width and height (0: its
// default).
int glowReduction = 0;
uint32_t readSimulatedClock() {
  return simulatedNow;
}

// --glow-reduction where the glow has it: build-baseline.sh builds this file against older trees.
template <typename Glow>
auto reduceGlow(Glow& glow, int reduction, int) -> decltype(glow.setGlowReduction(reduction)) {
  return glow.setGlowReduction(reduction);
}
template <typename Glow>
void reduceGlow(Glow&, int, long) {
  std::fprintf(stderr, "frame_cost: this build sums its glow one way only\n");
}

// One stage of the scene alone, whether its stages are objects of their own or, in older trees,
// methods of the scene.
template <typename Scene>
auto drawStars(Scene& scene, int w, int h, int)
    -> decltype(scene.stars.draw(scene.stageInputs(w, h))) {
  scene.stars.draw(scene.stageInputs(w, h));
}
template <typename Scene>
void drawStars(Scene& scene, int w, int h, long) {
  scene.drawStarStage(w, h);
}
template <typename Scene>
auto drawVerse(Scene& scene, int w, int h, int)
    -> decltype(scene.verse.draw(scene.stageInputs(w, h))) {
  scene.verse.draw(scene.stageInputs(w, h));
}
template <typename Scene>
void drawVerse(Scene& scene, int, int, long) {
  scene.drawVerse();
}
template <typename Scene>
auto drawLogos(Scene& scene, int w, int h, int)
    -> decltype(scene.logoAndTitle.draw(scene.stageInputs(w, h))) {
  scene.logoAndTitle.draw(scene.stageInputs(w, h));
}
template <typename Scene>
void drawLogos(Scene& scene, int, int, long) {
  scene.drawLogoAndTitle();
}

double wallMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double clockMs(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}
// Process CPU time, llvmpipe's rasteriser threads included.
double cpuMs() {
  return clockMs(CLOCK_PROCESS_CPUTIME_ID);
}
// The rendering thread's own CPU time: what the GL calls themselves cost the caller.
double mainCpuMs() {
  return clockMs(CLOCK_THREAD_CPUTIME_ID);
}

struct Cost {
  double wall;
  double cpu;
  double mainCpu;
};

Cost measure(int frames, const std::function<void()>& frame) {
  const double wall0 = wallMs(), cpu0 = cpuMs(), main0 = mainCpuMs();
  for (int i = 0; i < frames; ++i) {
    simulatedNow += 33;
    frame();
    glFinish();  // what SwapBuffers would wait for
  }
  return Cost{(wallMs() - wall0) / frames, (cpuMs() - cpu0) / frames,
              (mainCpuMs() - main0) / frames};
}

int64_t fixedCalendar() {
  return 3;
}

// A current context of the size, or null after saying why.
std::unique_ptr<marvolet::tools::HeadlessContext> openContext(int w, int h) {
  auto context = std::make_unique<marvolet::tools::HeadlessContext>(w, h);
  if (context->ok()) return context;
  std::fprintf(stderr, "frame_cost: %s\n", context->error().c_str());
  return nullptr;
}

// What renderFrame does before its stages: a cleared frame and the scene's camera.
void startFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
}

// Both paths from the same seed and clock times: the same frames, drawn two ways.
struct PathCost {
  double startup;
  Cost frame;
};

// sceneSeconds: the scene is first carried that far on, a frame a second, so that the frames
// measured show it as it stands then rather than as it starts.
PathCost measurePath(int w, int h, marvolet::RenderFlags flags, marvolet::DrawPath path, int frames,
                     int sceneSeconds = 0) {
  simulatedNow = 0;
  const double wall0 = wallMs();
  Drawn renderer(w, h, flags, path);
  renderer.renderFrame();
  glFinish();
  const double startup = wallMs() - wall0;
  for (int s = 0; s < sceneSeconds; ++s) {
    simulatedNow += 1000;
    renderer.renderFrame();
  }
  // A few frames first, so that neither path is charged for the driver's first-use work.
  measure(3, [&] { renderer.renderFrame(); });
  return PathCost{startup, measure(frames, [&] { renderer.renderFrame(); })};
}

// Where the time to the first frame goes: the pictures' decoding and upload measured alone,
// then the whole construction (which repeats them), the first frame and the second.
void startupSplit(int w, int h, marvolet::DrawPath path) {
  using marvolet::Texture;
  const struct {
    const unsigned char* data;
    size_t length;
  } images[] = {{marvolet::FontAtlasJpeg, marvolet::FontAtlasJpegLength},
                {marvolet::FirstLogoJpeg, marvolet::FirstLogoJpegLength},
                {marvolet::SecondLogoJpeg, marvolet::SecondLogoJpegLength}};
  Texture textures[3] = {};
  double t = wallMs();
  for (int i = 0; i < 3; ++i) {
    marvolet::decodeJpeg(textures[i], images[i].data, static_cast<int32_t>(images[i].length));
  }
  const double decode = wallMs() - t;
  t = wallMs();
  for (Texture& texture : textures) marvolet::uploadTexture(texture, false);
  glFinish();
  const double upload = wallMs() - t;
  for (Texture& texture : textures) {
    GLuint name = texture.textureName;
    glDeleteTextures(1, &name);
  }

  simulatedNow = 0;
  t = wallMs();
  Drawn renderer(w, h, marvolet::Stars | marvolet::LightEffects, path);
  glFinish();
  const double construct = wallMs() - t;
  t = wallMs();
  renderer.renderFrame();
  glFinish();
  const double first = wallMs() - t;
  simulatedNow += 33;
  t = wallMs();
  renderer.renderFrame();
  glFinish();
  const double second = wallMs() - t;
  std::printf(
      "startup-split %dx%d path=%s decode=%.1f upload=%.1f construct=%.1f first_frame=%.1f "
      "second_frame=%.1f\n",
      w, h, path == marvolet::DrawPath::Fast ? "fast" : "literal", decode, upload, construct, first,
      second);
}

// A GL without GLSL, as a basic driver or a remote desktop gives: no GL 2.0 entry point is found.
void* noFunctions(const char*) {
  return nullptr;
}

// The glow laid layer by layer where the GL has no GLSL.
void compareLayered(int frames) {
  const int w = 1280, h = 720;
  const auto context = openContext(w, h);
  if (!context) return;
  marvolet::platform::setGlProcAddressSource(&noFunctions);
  const marvolet::RenderFlags flags = marvolet::Stars | marvolet::LightEffects;
  const PathCost literal = measurePath(w, h, flags, marvolet::DrawPath::Literal, frames);
  const PathCost fast = measurePath(w, h, flags, marvolet::DrawPath::Fast, frames);
  marvolet::platform::setGlProcAddressSource(nullptr);
  std::printf(
      "layered %dx%d flags=%u literal_wall=%.1f fast_wall=%.1f literal_cpu=%.1f fast_cpu=%.1f "
      "fast_fps=%.1f\n",
      w, h, static_cast<unsigned>(flags), literal.frame.wall, fast.frame.wall, literal.frame.cpu,
      fast.frame.cpu, 1000.0 / fast.frame.wall);
}

// Where a default fast frame's CPU goes, stage by stage inside the frame (each stage finished
// before the next starts), at the scene's start and further on.
void splitStages(int frames) {
  const int w = 1280, h = 720;
  const auto context = openContext(w, h);
  if (!context) return;
  for (const int seconds : {0, 90}) {
    simulatedNow = 0;
    Drawn renderer(w, h, marvolet::Stars | marvolet::LightEffects, marvolet::DrawPath::Fast);
    for (int s = 0; s <= seconds; ++s) {
      simulatedNow += 1000;
      renderer.renderFrame();
    }
    const char* names[] = {"clear", "capture", "stars", "verse", "logos", "glow"};
    double spent[6] = {};
    for (int f = 0; f < frames; ++f) {
      simulatedNow += 33;
      double before = cpuMs();
      const auto lap = [&](int stage) {
        glFinish();
        const double now = cpuMs();
        spent[stage] += now - before;
        before = now;
      };
      startFrame();
      renderer.update();
      lap(0);
      renderer.captureFrame();
      lap(1);
      glPushMatrix();
      drawStars(*renderer.scene, w, h, 0);
      lap(2);
      drawVerse(*renderer.scene, w, h, 0);
      lap(3);
      drawLogos(*renderer.scene, w, h, 0);
      glPopMatrix();
      lap(4);
      renderer.drawGlow(marvolet::GlowLayerCount, marvolet::GlowInsetStep);
      lap(5);
    }
    std::printf("stages %dx%d scene_s=%d cpu", w, h, seconds);
    for (int stage = 0; stage < 6; ++stage) {
      std::printf(" %s=%.1f", names[stage], spent[stage] / frames);
    }
    std::printf("\n");
  }
}

// The default frame further into the scene's life: its parameters wander, and from a few seconds
// in both logos are usually drawn where the first frames draw one.
void compareLate(int frames) {
  const int w = 1280, h = 720, seconds = 90;
  const auto context = openContext(w, h);
  if (!context) return;
  const marvolet::RenderFlags flags = marvolet::Stars | marvolet::LightEffects;
  const PathCost literal = measurePath(w, h, flags, marvolet::DrawPath::Literal, frames, seconds);
  const PathCost fast = measurePath(w, h, flags, marvolet::DrawPath::Fast, frames, seconds);
  std::printf(
      "late %dx%d flags=%u scene_s=%d literal_wall=%.1f fast_wall=%.1f literal_cpu=%.1f "
      "fast_cpu=%.1f\n",
      w, h, static_cast<unsigned>(flags), seconds, literal.frame.wall, fast.frame.wall,
      literal.frame.cpu, fast.frame.cpu);
}

// One 1280 x 720 monitor, then a window over two side by side, the second showing a copy.
void compareMonitors(int frames) {
  const int w = 1280, h = 720;
  const marvolet::RenderFlags flags = marvolet::Stars | marvolet::LightEffects;
  PathCost one{};
  {
    const auto context = openContext(w, h);
    if (!context) return;
    one = measurePath(w, h, flags, marvolet::DrawPath::Fast, frames);
  }
  const auto context = openContext(2 * w, h);
  if (!context) return;
  const marvolet::PixelRect primary{0, 0, w, h};
  const std::vector<marvolet::MonitorCopy> copies{{{w, 0, w, h}, {w, 0, w, h}}};
  simulatedNow = 0;
  Drawn renderer(w, h, flags, marvolet::DrawPath::Fast);
  const auto frame = [&] {
    renderer.renderFrame();
    marvolet::copyToOtherMonitors(2 * w, h, primary, copies);
  };
  measure(3, frame);
  const Cost two = measure(frames, frame);
  std::printf(
      "monitors %dx%d flags=%u one_wall=%.1f two_wall=%.1f one_cpu=%.1f two_cpu=%.1f "
      "extra=%.0f%%\n",
      w, h, static_cast<unsigned>(flags), one.frame.wall, two.wall, one.frame.cpu, two.cpu,
      100.0 * (two.wall / one.frame.wall - 1.0));
}

// With GALLIUM_NOOP=1 set (by the caller): the CPU a frame costs when a GPU does the drawing,
// and the time from nothing to the first frame, context included.
int noopLine(int frames) {
  const int w = 1280, h = 720;
  const marvolet::RenderFlags flags = marvolet::Stars | marvolet::LightEffects;
  const double wall0 = wallMs();
  const auto context = openContext(w, h);
  if (!context) return 1;
  const double contextMs = wallMs() - wall0;
  const PathCost literal = measurePath(w, h, flags, marvolet::DrawPath::Literal, frames);
  const PathCost fast = measurePath(w, h, flags, marvolet::DrawPath::Fast, frames);
  std::printf(
      "noop %dx%d flags=%u literal_cpu=%.2f fast_cpu=%.2f context=%.1f literal_startup=%.1f "
      "fast_startup=%.1f\n",
      w, h, static_cast<unsigned>(flags), literal.frame.cpu, fast.frame.cpu, contextMs,
      literal.startup, fast.startup);
  return 0;
}

// The noop line from a child process: Mesa reads GALLIUM_NOOP when it opens its screen.
void runNoop(const char* self, int frames) {
  const std::string command =
      "GALLIUM_NOOP=1 '" + std::string(self) + "' --noop " + std::to_string(frames);
  std::fflush(stdout);
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "frame_cost: the noop run failed\n");
}

#ifdef FRAME_COST_USER_CONTENT
// The same numbers every run, so that the passages below are too.
uint32_t nextRandom(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// 10,000 characters of words in Latin letters, about one word in four with letters the atlas
// lacks.
std::string latinPassage() {
  const char32_t* const words[] = {U"the",   U"light", U"of",     U"été",    U"naïve", U"garçon",
                                   U"ça",    U"über",  U"Straße", U"mañana", U"river", U"under",
                                   U"stars", U"quiet", U"road",   U"home",   U"Łódź",  U"żółw",
                                   U"and",   U"over",  U"words",  U"sphere", U"slow",  U"turn"};
  uint32_t state = 7;
  std::string out;
  size_t characters = 0;
  while (characters < 10000) {
    for (const char32_t* c = words[nextRandom(state) % 24]; *c != 0 && characters < 10000; ++c) {
      appendUtf8(out, *c);
      ++characters;
    }
    if (characters < 10000) {
      appendUtf8(out, nextRandom(state) % 11 == 0 ? U',' : U' ');
      ++characters;
    }
  }
  return out;
}

// 10,000 Chinese characters drawn from 2,500 of the common block, with a comma or full stop
// every few; a passage of that length uses about as many different ones.
std::string chinesePassage() {
  uint32_t state = 11;
  std::string out;
  for (int i = 0; i < 10000; ++i) {
    const uint32_t r = nextRandom(state);
    if (i % 9 == 8) {
      appendUtf8(out, r % 3 == 0 ? U'\u3002' : U'\uFF0C');
    } else {
      appendUtf8(out, static_cast<char32_t>(0x4E00 + r % 2500));
    }
  }
  return out;
}

// Resident memory of the process, kilobytes.
long residentKb() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  long kb = 0;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) break;
  }
  std::fclose(status);
  return kb;
}

// --words NAME, in a process of its own so that each passage starts from the same memory: the
// time from nothing to the first frame (context excepted), the resident memory the renderer
// adds, and the CPU per frame on both paths, for the built-in passage, "latin" or "chinese".
int wordsLine(const std::string& name, int frames) {
  const int w = 1280, h = 720;
  const marvolet::RenderFlags flags = marvolet::Stars | marvolet::LightEffects;
  const auto context = openContext(w, h);
  if (!context) return 1;
  double startup = 0.0, firstStartup = 0.0;
  userContent = marvolet::SceneContent{};
  if (name == "latin") userContent.passage = latinPassage();
  if (name == "chinese") userContent.passage = chinesePassage();
  const long before = residentKb();
  simulatedNow = 0;
  double residentMb = 0.0;
  Cost fast{};
  {
    const double wall0 = wallMs();
    Drawn renderer(w, h, flags, marvolet::DrawPath::Fast);
    renderer.renderFrame();
    glFinish();
    startup = firstStartup = wallMs() - wall0;
    residentMb = static_cast<double>(residentKb() - before) / 1024.0;
    measure(3, [&] { renderer.renderFrame(); });
    fast = measure(frames, [&] { renderer.renderFrame(); });
  }
  // The fastest of a few more starts: on a shared machine the first alone says little.
  for (int k = 0; k < 3; ++k) {
    simulatedNow = 0;
    const double wall0 = wallMs();
    Drawn renderer(w, h, flags, marvolet::DrawPath::Fast);
    renderer.renderFrame();
    glFinish();
    startup = std::min(startup, wallMs() - wall0);
  }
  const PathCost literal = measurePath(w, h, flags, marvolet::DrawPath::Literal, frames);
  std::printf(
      "words %s %dx%d flags=%u startup=%.1f resident_mb=%.1f literal_cpu=%.2f "
      "fast_cpu=%.2f first_startup=%.1f\n",
      name.c_str(), w, h, static_cast<unsigned>(flags), startup, residentMb, literal.frame.cpu,
      fast.cpu, firstStartup);
  return 0;
}

// The three passages, each from a child process, and the passages' cost over the built-in one.
void compareWords(const char* self, int frames) {
  struct Line {
    double startup = 0, resident = 0, literal = 0, fast = 0;
  } lines[3];
  const char* const names[] = {"builtin", "latin", "chinese"};
  for (int k = 0; k < 3; ++k) {
    const std::string command =
        "'" + std::string(self) + "' --words " + names[k] + " " + std::to_string(frames);
    std::fflush(stdout);
    FILE* child = popen(command.c_str(), "r");
    if (child == nullptr) return;
    char text[512] = {};
    while (std::fgets(text, sizeof text, child) != nullptr) {
      std::fputs(text, stdout);
      Line& l = lines[k];
      std::sscanf(text,
                  "words %*s %*s %*s startup=%lf resident_mb=%lf literal_cpu=%lf fast_cpu=%lf",
                  &l.startup, &l.resident, &l.literal, &l.fast);
    }
    pclose(child);
  }
  for (int k = 1; k < 3; ++k) {
    std::printf(
        "words %s over builtin: literal_cpu=%+.1f%% fast_cpu=%+.1f%% resident=%+.1f MB "
        "startup=%+.1f ms\n",
        names[k], 100.0 * (lines[k].literal / lines[0].literal - 1.0),
        100.0 * (lines[k].fast / lines[0].fast - 1.0), lines[k].resident - lines[0].resident,
        lines[k].startup - lines[0].startup);
  }
}
#endif

int compare(int frames) {
  const int sizes[][2] = {{1280, 720}, {1920, 1080}};
  const marvolet::RenderFlags flagSets[] = {marvolet::Stars | marvolet::LightEffects,
                                            marvolet::Stars};
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    const auto context = openContext(w, h);
    if (!context) return 1;
    for (const marvolet::RenderFlags flags : flagSets) {
      if (flags == (marvolet::Stars | marvolet::LightEffects)) {
        startupSplit(w, h, marvolet::DrawPath::Literal);
        startupSplit(w, h, marvolet::DrawPath::Fast);
      }
      const PathCost literal = measurePath(w, h, flags, marvolet::DrawPath::Literal, frames);
      const PathCost fast = measurePath(w, h, flags, marvolet::DrawPath::Fast, frames);
      std::printf(
          "compare %dx%d flags=%u literal_wall=%.1f fast_wall=%.1f literal_cpu=%.1f "
          "fast_cpu=%.1f literal_main_cpu=%.1f fast_main_cpu=%.1f\n",
          w, h, static_cast<unsigned>(flags), literal.frame.wall, fast.frame.wall,
          literal.frame.cpu, fast.frame.cpu, literal.frame.mainCpu, fast.frame.mainCpu);
      if (flags == (marvolet::Stars | marvolet::LightEffects)) {
        std::printf("startup %dx%d flags=%u literal=%.1f fast=%.1f\n", w, h,
                    static_cast<unsigned>(flags), literal.startup, fast.startup);
      }
      std::fflush(stdout);
    }
  }
  compareLate(frames);
  splitStages(frames);
  compareLayered(frames);
  compareMonitors(frames);
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool comparing = false;
  bool noop = false;
  marvolet::DrawPath path = marvolet::DrawPath::Fast;
  int frames = 60;
#ifdef FRAME_COST_USER_CONTENT
  marvolet::SceneContentSources sources;
  std::string words;  // --words: one passage's line, in a child process of --compare
#endif
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--compare") == 0) {
      comparing = true;
    } else if (std::strcmp(argv[i], "--glow-reduction") == 0 && i + 1 < argc) {
      glowReduction = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--noop") == 0) {
      noop = true;
    } else if (std::strcmp(argv[i], "--literal") == 0) {
      path = marvolet::DrawPath::Literal;
#ifdef FRAME_COST_USER_CONTENT
    } else if (std::strcmp(argv[i], "--words") == 0 && i + 1 < argc) {
      words = argv[++i];
    } else if (std::strcmp(argv[i], "--passage") == 0 && i + 1 < argc) {
      sources.passagePath = argv[++i];
    } else if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
      sources.title = argv[++i];
    } else if (std::strcmp(argv[i], "--first-logo") == 0 && i + 1 < argc) {
      sources.firstLogoPath = argv[++i];
    } else if (std::strcmp(argv[i], "--second-logo") == 0 && i + 1 < argc) {
      sources.secondLogoPath = argv[++i];
#endif
    } else if (std::atoi(argv[i]) > 0) {
      frames = std::atoi(argv[i]);
    } else {
      std::fprintf(stderr,
                   "usage: frame_cost [--compare | --literal | --noop] [--glow-reduction N]\n"
                   "                  [--passage FILE] [--title TEXT] [--first-logo FILE]\n"
                   "                  [--second-logo FILE] [FRAMES]\n");
      return 2;
    }
  }
#ifdef FRAME_COST_USER_CONTENT
  std::vector<std::string> notes;
  userContent = marvolet::readSceneContent(sources, &notes);
  for (const std::string& note : notes) std::fprintf(stderr, "frame_cost: %s\n", note.c_str());
#endif
  marvolet::platform::setMillisecondSource(&readSimulatedClock);
  marvolet::platform::setCalendarSource(&fixedCalendar);
  if (noop) return noopLine(frames);
  if (comparing) {
    const int result = compare(frames);
    if (result == 0) runNoop(argv[0], frames);
#ifdef FRAME_COST_USER_CONTENT
    if (result == 0) compareWords(argv[0], frames);
#endif
    return result;
  }
#ifdef FRAME_COST_USER_CONTENT
  if (!words.empty()) return wordsLine(words, frames);
#endif
  std::printf("%-11s %-26s %10s %10s\n", "size", "case", "wall ms", "cpu ms");
  const int sizes[][2] = {{1280, 720}, {1920, 1080}};
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    const auto context = openContext(w, h);
    if (!context) return 1;
    char label[16];
    std::snprintf(label, sizeof label, "%dx%d", w, h);

    const struct {
      const char* name;
      marvolet::RenderFlags flags;
    } cases[] = {{"stars + light effects", marvolet::Stars | marvolet::LightEffects},
                 {"stars, no light effects", marvolet::Stars}};
    for (const auto& c : cases) {
      const double wall0 = wallMs(), cpu0 = cpuMs();
      Drawn renderer(w, h, c.flags, path);
      if (glowReduction >= 2) reduceGlow(renderer.glow, glowReduction, 0);
      renderer.renderFrame();
      glFinish();
      if (c.flags & marvolet::LightEffects) {
        std::printf("%-11s %-26s %10.2f %10.2f\n", label, "construction + 1st frame",
                    wallMs() - wall0, cpuMs() - cpu0);
      }
      const Cost cost = measure(frames, [&] { renderer.renderFrame(); });
      std::printf("%-11s %-26s %10.2f %10.2f\n", label, c.name, cost.wall, cost.cpu);
    }

    Drawn renderer(w, h, 0, path);
    renderer.renderFrame();
    const Cost verse = measure(frames, [&] {
      startFrame();
      renderer.update();
      drawVerse(*renderer.scene, w, h, 0);
    });
    std::printf("%-11s %-26s %10.2f %10.2f\n", label, "verse stage alone", verse.wall, verse.cpu);
    const Cost clear = measure(frames, [&] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });
    std::printf("%-11s %-26s %10.2f %10.2f\n", label, "clear alone", clear.wall, clear.cpu);
    Drawn starry(w, h, marvolet::Stars, path);
    starry.renderFrame();
    const Cost stars = measure(frames, [&] {
      startFrame();
      starry.update();
      glPushMatrix();
      drawStars(*starry.scene, w, h, 0);
      glPopMatrix();
    });
    std::printf("%-11s %-26s %10.2f %10.2f\n", label, "clear + stars", stars.wall, stars.cpu);
    const Cost logos = measure(frames, [&] {
      startFrame();
      starry.update();
      glPushMatrix();
      drawLogos(*starry.scene, w, h, 0);
      glPopMatrix();
    });
    std::printf("%-11s %-26s %10.2f %10.2f\n", label, "clear + logos and title", logos.wall,
                logos.cpu);

    Drawn glowing(w, h, marvolet::LightEffects, path);
    if (glowReduction >= 2) reduceGlow(glowing.glow, glowReduction, 0);
    glowing.renderFrame();
    const Cost capture = measure(frames, [&] {
      glLoadIdentity();
      gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
      glowing.update();
      glowing.captureFrame();
    });
    std::printf("%-11s %-26s %10.2f %10.2f\n", label, "glow capture alone", capture.wall,
                capture.cpu);
    const Cost glow = measure(
        frames, [&] { glowing.drawGlow(marvolet::GlowLayerCount, marvolet::GlowInsetStep); });
    std::printf("%-11s %-26s %10.2f %10.2f\n", label, "glow layers alone", glow.wall, glow.cpu);
  }
  return 0;
}
