// The light-effects glow pass: a CaptureSize-square grey capture of the scene laid
// GlowLayerCount times over the frame, each layer a little further in and fainter.
#pragma once

#include <cstdint>

#include "render/glow_layers.h"
#include "render/glow_magnified.h"
#include "render/glow_program.h"

namespace marvolet {

class GlowPass {
 public:
  GlowPass() = default;
  ~GlowPass();  // deletes the capture texture and the program; needs their context current
  GlowPass(const GlowPass&) = delete;
  GlowPass& operator=(const GlowPass&) = delete;

  // Looks for both extension names in GL_EXTENSIONS (a plain substring test) and, when both are
  // there, creates the capture texture. No extension string at all counts as not capable.
  void testCapability();
  // Builds the one-pass program where the pass can run at all, the GL reports 2.0 or later and
  // the frame keeps at least 8 bits of alpha; without it the glow is drawn layer by layer.
  void prepareOnePass();

  // Sums the default glow small at every capture and magnifies it where the window allows
  // (MagnifiedGlow::fits); needs a GL with neither GLSL nor destination alpha, but a frame
  // with 8-bit colour: the sum is kept in the frame's own steps, and in a 16-bit frame their
  // rounding, magnified, shows as bands.
  void prepareMagnified();
  bool magnifies() const { return magnifies_; }
  // Sums the magnified glow at 1/reduction of the width and the height, for comparisons.
  void setGlowReduction(int32_t reduction) {
    magnified_.reductionX = reduction;
    magnified_.reductionY = reduction;
  }

  // Whether the one-pass glow runs in a window of this size (pixels): the program is ready and
  // the whole capture square lies inside the window.
  bool onePass(int32_t width, int32_t height) const;

  // Copies the scene just drawn into the capture viewport, whose bottom-left corner is at
  // (originX, originY) in the window, into the capture texture: the part of it that lies inside
  // a drawing area of width x height pixels with the same corner, over black for the rest; then
  // gathers it for the one-pass glow when that runs. Pixels.
  void takeCapture(int32_t width, int32_t height, int32_t originX = 0, int32_t originY = 0);

  // Lays `layers` layers (at most GlowLayerCount) of the capture over the frame, each inset by
  // insetStep more; one pass where onePass(width, height), else layer by layer.
  void draw(int32_t layers, float insetStep, int32_t width, int32_t height);
  // Each way on its own, whatever onePass says (drawSummed needs the program ready).
  void drawLayered(int32_t layers, float insetStep, int32_t width, int32_t height);
  void drawSummed(int32_t layers, float insetStep, int32_t width, int32_t height);
  // The sum the latest capture evaluated, when it was for these layers and this window.
  bool drawMagnified(int32_t layers, float insetStep, int32_t width, int32_t height);

  uint32_t captureTexture() const { return captureTexture_; }
  bool onePassReady() const { return program_.ready(); }

  // Decided once by testCapability; the pass never runs without it.
  bool capable = false;

 private:
  uint32_t captureTexture_ = 0;  // GL texture name, 0 unless capable
  // Whether the capture texture already has luminance storage to copy a part of the window into.
  bool captureIsLuminance_ = false;
  GlowProgram program_;
  bool magnifies_ = false;
  MagnifiedGlow magnified_;
};

}  // namespace marvolet
