// Swap control: the GL extension that keeps presents in step with the display's refresh, found
// once when a context is made, and the refresh a display mode's timings give. Free of window
// system headers: each surface hands in its extension lists and its function lookup.
#pragma once

#include <cstdint>

namespace marvolet {

// Whether `name` is one of the space-separated words of `extensions` (null: none).
bool hasExtension(const char* extensions, const char* name);

// A display mode's refresh in Hz from its pixel clock (Hz) and its total pixels across and
// lines down, blanking included; interlaced modes show two fields a frame, double-scanned ones
// each line twice. 0 where the timings are not known (a virtual display's modes have none).
double modeRefreshHz(double dotClockHz, uint32_t horizontalTotal, uint32_t verticalTotal,
                     bool interlaced, bool doubleScan);

// The swap-control function of the context's GL, if any, and how to call it.
class SwapControl {
 public:
  enum class Kind {
    Absent,  // not None, which Xlib defines as a macro
    GlxExt,
    GlxMesa,
    GlxSgi,
    WglExt,
  };
  using Lookup = void* (*)(const char* name);

  // From the GLX extension list of the context's screen: GLX_EXT_swap_control (per drawable),
  // then GLX_MESA_swap_control, then GLX_SGI_swap_control (which cannot turn the interval
  // off). `display` and `drawable` are the Display* and GLXDrawable the EXT form is given.
  static SwapControl forGlx(const char* glxExtensions, Lookup lookup, void* display,
                            unsigned long drawable);
  // WGL_EXT_swap_control, listed by wglGetExtensionsStringEXT or, on older drivers, among the
  // GL extensions; `lookup` is wglGetProcAddress.
  static SwapControl forWgl(const char* wglExtensions, const char* glExtensions, Lookup lookup);

  Kind kind() const { return kind_; }
  // Asks for each frame to stay up `interval` refreshes (0: present at once). False without
  // swap control, for an interval the extension cannot take, or when the GL refuses it.
  bool set(int32_t interval) const;

 private:
  Kind kind_ = Kind::Absent;
  void* function_ = nullptr;
  void* display_ = nullptr;
  unsigned long drawable_ = 0;
};

}  // namespace marvolet
