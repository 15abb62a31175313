// How the light-effects glow is laid over the frame, chosen once from the drawing path, what the
// GL offers and the drawing area's size. No GL calls: the choice is plain data.
#pragma once

#include <cstdint>

#include "render/render_types.h"

namespace marvolet {

enum class GlowMethod : uint8_t {
  Layered,    // GlowLayerCount textured quads blended one by one: the reference glow
  OnePass,    // the GLSL program sums every layer in one pass over the frame
  Magnified,  // the layers summed small at each capture and laid over the frame magnified
};

// What the GL was found to offer the glow, when the renderer was built.
struct GlowCapabilities {
  bool capture = false;      // both extensions are there: the glow can run at all
  bool program = false;      // the one-pass program was built (GL 2.0, 8 bits of frame alpha)
  bool colourBits8 = false;  // the frame keeps 8 bits per colour channel (the magnified sum's
                             // rounding shows as bands in fewer)
};

// Whether the path's glow may go beyond the layers: the fast path's. The literal path draws the
// glow as the reference picture defines it. Also tells the renderer whether the program and the
// magnified sum are worth preparing.
constexpr bool glowMayGoBeyondLayers(DrawPath path) {
  return path == DrawPath::Fast;
}

// The method for a drawing area of width x height pixels: Magnified where the area is large
// enough for the magnified sum to stay smooth and the frame keeps 8-bit colour, else OnePass
// where the program is built and the whole capture square lies inside the area, else Layered.
GlowMethod chooseGlowMethod(DrawPath path, const GlowCapabilities& gl, int32_t width,
                            int32_t height);

}  // namespace marvolet
