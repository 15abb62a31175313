// The swap-control extension's choice and call, and a display mode's refresh.
#include "host/swap_control.h"

#include <cstring>

// WGL's functions use the Windows calling convention, which differs on 32-bit x86 only.
#if defined(_WIN32) && !defined(_WIN64)
#define MARVOLET_WGL_CALL __stdcall
#else
#define MARVOLET_WGL_CALL
#endif

namespace marvolet {
namespace {

using GlxExtFunction = void (*)(void* display, unsigned long drawable, int interval);
using GlxMesaFunction = int (*)(unsigned int interval);
using GlxSgiFunction = int (*)(int interval);
using WglExtFunction = int(MARVOLET_WGL_CALL*)(int interval);

}  // namespace

bool hasExtension(const char* extensions, const char* name) {
  if (extensions == nullptr || name == nullptr || name[0] == '\0') return false;
  const size_t length = std::strlen(name);
  // A prefix of a longer name (GLX_EXT_swap_control in GLX_EXT_swap_control_tear) is not it.
  for (const char* at = std::strstr(extensions, name); at != nullptr;
       at = std::strstr(at + 1, name)) {
    const bool starts = at == extensions || at[-1] == ' ';
    const bool ends = at[length] == '\0' || at[length] == ' ';
    if (starts && ends) return true;
  }
  return false;
}

double modeRefreshHz(double dotClockHz, uint32_t horizontalTotal, uint32_t verticalTotal,
                     bool interlaced, bool doubleScan) {
  if (!(dotClockHz > 0.0) || horizontalTotal == 0 || verticalTotal == 0) return 0.0;
  double rate = dotClockHz / (static_cast<double>(horizontalTotal) * verticalTotal);
  if (interlaced) rate *= 2.0;
  if (doubleScan) rate /= 2.0;
  return rate;
}

SwapControl SwapControl::forGlx(const char* glxExtensions, Lookup lookup, void* display,
                                unsigned long drawable) {
  SwapControl control;
  if (lookup == nullptr) return control;
  struct Candidate {
    const char* extension;
    const char* function;
    Kind kind;
  };
  static constexpr Candidate candidates[] = {
      {"GLX_EXT_swap_control", "glXSwapIntervalEXT", Kind::GlxExt},
      {"GLX_MESA_swap_control", "glXSwapIntervalMESA", Kind::GlxMesa},
      {"GLX_SGI_swap_control", "glXSwapIntervalSGI", Kind::GlxSgi},
  };
  for (const Candidate& candidate : candidates) {
    if (!hasExtension(glxExtensions, candidate.extension)) continue;
    void* function = lookup(candidate.function);
    if (function == nullptr) continue;
    control.kind_ = candidate.kind;
    control.function_ = function;
    control.display_ = display;
    control.drawable_ = drawable;
    break;
  }
  return control;
}

SwapControl SwapControl::forWgl(const char* wglExtensions, const char* glExtensions,
                                Lookup lookup) {
  SwapControl control;
  if (lookup == nullptr) return control;
  if (!hasExtension(wglExtensions, "WGL_EXT_swap_control") &&
      !hasExtension(glExtensions, "WGL_EXT_swap_control")) {
    return control;
  }
  void* function = lookup("wglSwapIntervalEXT");
  if (function == nullptr) return control;
  control.kind_ = Kind::WglExt;
  control.function_ = function;
  return control;
}

bool SwapControl::set(int32_t interval) const {
  if (interval < 0) return false;
  switch (kind_) {
    case Kind::Absent:
      return false;
    case Kind::GlxExt:
      // Returns nothing; an error would come as an X error, which the host's handler notes.
      reinterpret_cast<GlxExtFunction>(function_)(display_, drawable_, interval);
      return true;
    case Kind::GlxMesa:
      return reinterpret_cast<GlxMesaFunction>(function_)(static_cast<unsigned>(interval)) == 0;
    case Kind::GlxSgi:
      // GLX_SGI_swap_control refuses 0: the shortest wait it has, one refresh, stands in, and
      // the caller learns the interval is not off.
      if (interval == 0) {
        reinterpret_cast<GlxSgiFunction>(function_)(1);
        return false;
      }
      return reinterpret_cast<GlxSgiFunction>(function_)(interval) == 0;
    case Kind::WglExt:
      return reinterpret_cast<WglExtFunction>(function_)(interval) != 0;
  }
  return false;
}

}  // namespace marvolet
