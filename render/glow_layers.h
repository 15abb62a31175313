// The light-effects glow's geometry: the capture's size and the layers' windows and weights,
// shared by the layer-by-layer glow and the one-pass program.
#pragma once

#include <cstdint>

namespace marvolet {

// Side of the square capture texture, in texels.
constexpr int32_t CaptureSize = 128;
// Layers the glow lays over the frame; also the most the one-pass program sums.
constexpr int32_t GlowLayerCount = 12;
// Inset of each layer's window in the capture over the previous layer's, in texture units.
constexpr float GlowInsetStep = 0.02f;

// The part of the window the capture copies: at most CaptureSize, never more than the window.
int32_t captureExtent(int32_t windowPixels);

// Layer i samples the capture from inset[i] to 1 - inset[i] on both axes (before the scale to
// the captured part) and is blended with alpha[i]. Both are running float sums, so every user
// takes the very same values.
struct GlowLayers {
  int32_t count;  // 0 to GlowLayerCount
  float inset[GlowLayerCount];
  float alpha[GlowLayerCount];
};
// `layers` layers (at most GlowLayerCount are kept), fading from 0.075 by 0.075 / layers each.
GlowLayers glowLayers(int32_t layers, float insetStep);

// The GL state for adding a texture over the frame as a finished sum: `texture` bound in 2D with
// texture generation, depth test off, and the blend adding source to frame one to one.
void beginAddingTexture(uint32_t texture);

}  // namespace marvolet
