// The choice of the glow's method.
#include "render/glow_method.h"

#include "render/glow_layers.h"
#include "render/glow_magnified.h"

namespace marvolet {

GlowMethod chooseGlowMethod(DrawPath path, const GlowCapabilities& gl, int32_t width,
                            int32_t height) {
  if (!glowMayGoBeyondLayers(path) || !gl.capture) return GlowMethod::Layered;
  if (gl.colourBits8 && MagnifiedGlow::fits(width, height)) return GlowMethod::Magnified;
  // The gathering pass needs the whole capture square inside the area; a smaller area's glow is
  // small enough to lay layer by layer.
  const bool squareInside =
      captureExtent(width) == CaptureSize && captureExtent(height) == CaptureSize;
  if (gl.program && squareInside) return GlowMethod::OnePass;
  return GlowMethod::Layered;
}

}  // namespace marvolet
