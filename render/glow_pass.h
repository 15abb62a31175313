// The light-effects glow pass: a CaptureSize-square grey capture of the scene laid
// GlowLayerCount times over the frame, each layer a little further in and fainter.
#pragma once

#include <cstdint>

#include "render/glow_layers.h"
#include "render/glow_magnified.h"
#include "render/glow_method.h"
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
  // Prepares what the glow may use beyond the layers, once, where the renderer's path and flags
  // let it (glowMayGoBeyondLayers): the one-pass program, built where the pass can run at all,
  // the GL reports 2.0 or later and the frame keeps at least 8 bits of alpha; and the magnified
  // sum, which needs a frame with 8-bit colour (the sum is kept in the frame's own steps, and in
  // a 16-bit frame their rounding, magnified, shows as bands) but neither GLSL nor alpha.
  void prepareBeyondLayers();
  // What testCapability and prepareBeyondLayers found.
  GlowCapabilities capabilities() const { return {capable, program_.ready(), colourBits8_}; }
  // The method each later capture and glow follow (chooseGlowMethod, for the drawing area they
  // are given).
  void setMethod(GlowMethod method) { method_ = method; }
  GlowMethod method() const { return method_; }
  // Sums the magnified glow at 1/reduction of the width and the height, for comparisons.
  void setGlowReduction(int32_t reduction) {
    magnified_.reductionX = reduction;
    magnified_.reductionY = reduction;
  }

  // Copies the scene just drawn into the capture viewport, whose bottom-left corner is at
  // (originX, originY) in the window, into the capture texture: the part of it that lies inside
  // a drawing area of width x height pixels with the same corner, over black for the rest; then
  // gathers it for the program's sum, and sums the magnified glow, when the method has them.
  // Pixels.
  void takeCapture(int32_t width, int32_t height, int32_t originX = 0, int32_t originY = 0);

  // Lays `layers` layers (at most GlowLayerCount) of the capture over the frame, each inset by
  // insetStep more, by the method; a magnified sum taken for other layers than these is not
  // used: the program sums them where it is built, else they are laid one by one.
  void draw(int32_t layers, float insetStep, int32_t width, int32_t height);
  // Each way on its own, whatever the method (drawSummed needs the program ready).
  void drawLayered(int32_t layers, float insetStep, int32_t width, int32_t height);
  void drawSummed(int32_t layers, float insetStep, int32_t width, int32_t height);

  uint32_t captureTexture() const { return captureTexture_; }
  bool onePassReady() const { return program_.ready(); }

  // Decided once by testCapability; the pass never runs without it.
  bool capable = false;

 private:
  uint32_t captureTexture_ = 0;  // GL texture name, 0 unless capable
  // Whether the capture texture already has luminance storage to copy a part of the window into.
  bool captureIsLuminance_ = false;
  // Whether this capture is gathered for the program, whose sum the method then uses.
  bool sumsByProgram() const;
  // The sum the latest capture evaluated, when it was for these layers and this window.
  bool drawMagnified(int32_t layers, float insetStep, int32_t width, int32_t height);

  GlowProgram program_;
  bool colourBits8_ = false;
  GlowMethod method_ = GlowMethod::Layered;
  MagnifiedGlow magnified_;
};

}  // namespace marvolet
