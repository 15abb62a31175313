// The three projections the frame is drawn under: the camera's perspective, a fixed 640 x 480
// overlay, and clip space for positions computed on the CPU.
#pragma once

#include <cstdint>

namespace marvolet {

// Viewport (x, y, width, height in window pixels) and a 30-degree perspective of its aspect;
// leaves GL_MODELVIEW current.
void setPerspective(int32_t x, int32_t y, int32_t width, int32_t height);

// A fixed 640 x 480 space over the viewport, origin top-left, y down; the pair pushes and pops
// both matrices and leaves GL_MODELVIEW current.
void beginOverlayProjection();
void endOverlayProjection();
// Both matrices identities, for positions already in clip coordinates; the same push and pop
// pair as the overlay's.
void beginClipSpaceProjection();
void endClipSpaceProjection();

}  // namespace marvolet
