// Preloaded into the X11 saver by the soak and rate scripts: counts presented frames without
// changing the saver, so that memory samples can be set against frames rather than seconds; with
// MARVOLET_PRESENT_LOG it also writes each present's moment (monotonic microseconds, one a line)
// for the pacing benchmark; with MARVOLET_HIDE_GLSL=1 it also hides the GL 2.0 shader
// functions, as a GL without GLSL would.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

using SwapFunction = void (*)(void*, unsigned long);

unsigned long long swaps = 0;
int countFd = -2;  // -2: not opened yet; -1: no file named, counting only
std::FILE* presentLog = nullptr;
bool presentLogOpened = false;

// Stamped as the present returns, when the frame has been handed over.
void logPresent() {
  if (!presentLogOpened) {
    presentLogOpened = true;
    const char* path = std::getenv("MARVOLET_PRESENT_LOG");
    if (path != nullptr) presentLog = std::fopen(path, "we");
  }
  if (presentLog == nullptr) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Line-buffered by hand: the saver ends on a signal, and whole lines must be on disk by then.
  std::fprintf(presentLog, "%lld\n",
               static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000);
  std::fflush(presentLog);
}

}  // namespace

// The GLX signature spelled without the GLX headers: Display* and GLXDrawable (an XID).
extern "C" void glXSwapBuffers(void* display, unsigned long drawable) {
  static const auto next = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
  if (next != nullptr) next(display, drawable);
  logPresent();
  ++swaps;
  if (countFd == -2) {
    const char* path = std::getenv("MARVOLET_SWAP_COUNT_FILE");
    countFd = path != nullptr ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
  }
  if (countFd >= 0) {
    // Fixed width, so each rewrite at offset 0 replaces the whole previous number.
    char text[24];
    const int length = std::snprintf(text, sizeof text, "%20llu\n", swaps);
    if (pwrite(countFd, text, static_cast<size_t>(length), 0) < 0) countFd = -1;
  }
}

// Hides the functions a GLSL program needs (glCreateShader, glUseProgram, ...) when asked to.
extern "C" void* glXGetProcAddressARB(const unsigned char* name) {
  using LookupFunction = void* (*)(const unsigned char*);
  static const auto next =
      reinterpret_cast<LookupFunction>(dlsym(RTLD_NEXT, "glXGetProcAddressARB"));
  static const bool hide = [] {
    const char* value = std::getenv("MARVOLET_HIDE_GLSL");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }();
  const char* text = reinterpret_cast<const char*>(name);
  if (hide && text != nullptr &&
      (std::strstr(text, "Shader") != nullptr || std::strstr(text, "Program") != nullptr)) {
    return nullptr;
  }
  return next != nullptr ? next(name) : nullptr;
}
