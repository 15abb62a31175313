// Preloaded into the X11 saver by the soak script: counts presented frames without changing the
// saver, so that memory samples can be set against frames rather than seconds.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

using SwapFunction = void (*)(void*, unsigned long);

unsigned long long swaps = 0;
int countFd = -2;  // -2: not opened yet; -1: no file named, counting only

}  // namespace

// The GLX signature spelled without the GLX headers: Display* and GLXDrawable (an XID).
extern "C" void glXSwapBuffers(void* display, unsigned long drawable) {
  static const auto next = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
  if (next != nullptr) next(display, drawable);
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
