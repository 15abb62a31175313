// The glow's twelve layers summed at a fraction of the window's resolution and laid over the
// frame as one magnified texture: every layer already magnifies the 128-square capture at least
// five times, so the sum is smooth and a third of the pixels (a fourth in tall windows) carry it.
#pragma once

#include <cstdint>

#include "render/glow_layers.h"
#include "render/glow_program.h"

namespace marvolet {

class MagnifiedGlow {
 public:
  // Each texel of the sum stands for reductionX x reductionY window pixels; 0 (the default)
  // leaves the choice to defaultReductions. A pixel between the sum's texels gets an
  // interpolation of sums whose layers were each rounded to the frame's steps, and that rounding
  // cannot be interpolated: at 1280 x 720, 2 x 2 lets later frames of the scene stray to a mean
  // of 0.52/255 from the literal glow, and even 1.5 x 1.5 to 0.49, while rows at full resolution
  // keep it at 0.30 with 2 across and 0.40 with 3. At 1920 x 1080 the layers magnify the capture
  // more and 2 x 2 stays at 0.44 (3 x 3: 0.56).
  int32_t reductionX = 0;
  int32_t reductionY = 0;
  // The reductions for a window `height` pixels high.
  static void defaultReductions(int32_t height, int32_t* x, int32_t* y);

  MagnifiedGlow() = default;
  ~MagnifiedGlow();  // deletes the sum's texture; needs its context current
  MagnifiedGlow(const MagnifiedGlow&) = delete;
  MagnifiedGlow& operator=(const MagnifiedGlow&) = delete;

  // Whether a window of this size (pixels) gets the magnified glow: the whole capture square
  // lies inside it, as the literal glow then samples the capture alike everywhere, and each way
  // it is at least MinimumMagnification capture squares, so that every layer magnifies the
  // capture enough for the sum to be smooth between its texels (at 640 x 360 the half-size sum
  // strays past a mean of 0.5/255 from the literal glow).
  static constexpr int32_t MinimumMagnification = 5;
  static bool fits(int32_t width, int32_t height);

  // Sums `layers` layers (at most GlowLayerCount) of the capture bound to `captureTexture` into
  // the corner of the back buffer at (originX, originY) in the window (pixels, the drawing
  // area's bottom-left), blended as the literal glow blends them, and keeps
  // the result as a texture. Needs fits(width, height). The corner's pixels are overwritten, so
  // this runs where the frame is about to be cleared; every other GL state is kept, except the
  // texture binding, which is left at `captureTexture`.
  // With `program` (ready, and gathered from this capture) the sum is its one pass; without,
  // the layers are blended one by one.
  void evaluate(uint32_t captureTexture, int32_t layers, float insetStep, int32_t width,
                int32_t height, GlowProgram* program = nullptr, int32_t originX = 0,
                int32_t originY = 0);
  // Whether the latest evaluate() was for these layers and this window.
  bool holds(int32_t layers, float insetStep, int32_t width, int32_t height) const;
  // Adds the kept sum to the frame in one quad over the overlay space: red, green and blue by
  // the sum, alpha by what the layers' alphas add. The caller has set the overlay projection;
  // this sets the blend and texture state and leaves it as the layer-by-layer glow does.
  void draw() const;

 private:
  uint32_t texture_ = 0;
  int32_t textureWidth_ = 0;  // power-of-two storage, for a GL without other sizes
  int32_t textureHeight_ = 0;
  // What the kept sum was evaluated for; layers 0 when nothing is kept.
  int32_t layers_ = 0;
  int32_t reductionXUsed_ = 1;
  int32_t reductionYUsed_ = 1;
  float insetStep_ = 0.0f;
  int32_t width_ = 0;
  int32_t height_ = 0;
  float alphaSum_ = 0.0f;
};

}  // namespace marvolet
