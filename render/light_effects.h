// The light-effects glow: a 128 x 128 grey capture of the scene laid twelve times over the frame.
#pragma once

#include <cstdint>

namespace marvolet {

extern bool lightEffectsCapable;  // decided once, while the renderer is built
extern uint32_t captureTexture;   // GL texture name, 0 unless capable
// Side of the square capture texture, in texels.
constexpr int32_t CaptureSize = 128;

// Looks for both extension names in GL_EXTENSIONS (a plain substring test) and, when both are
// there, creates the capture texture. No extension string at all counts as not capable.
void testLightEffectsCapability();

// Builds the one-pass glow program where the GL offers one and the pass is possible at all;
// without it the glow is drawn layer by layer.
void prepareOnePassGlow();

// The part of the window the capture copies: at most CaptureSize, never more than the window.
int32_t captureExtent(int32_t windowPixels);

void resetLightEffectsGlobals();

}  // namespace marvolet
