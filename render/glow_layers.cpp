// Running sums of the glow layers' insets and alphas, and the GL state for adding a finished sum.
#include "render/glow_layers.h"

#include "render/gl.h"

namespace marvolet {

int32_t captureExtent(int32_t windowPixels) {
  if (windowPixels < 0) return 0;
  return windowPixels < CaptureSize ? windowPixels : CaptureSize;
}

GlowLayers glowLayers(int32_t layers, float insetStep) {
  GlowLayers result{};
  float inset = 0.0f;
  float alpha = 0.075f;
  const float alphaStep = layers > 0 ? 0.075f / static_cast<float>(layers) : 0.0f;
  for (int32_t layer = 0; layer < layers && layer < GlowLayerCount; ++layer) {
    result.inset[layer] = inset;
    result.alpha[layer] = alpha;
    result.count = layer + 1;
    inset += insetStep;
    alpha -= alphaStep;
  }
  return result;
}

void beginAddingTexture(uint32_t texture) {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, texture);
}

}  // namespace marvolet
