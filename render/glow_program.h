// The glow summed in one full-screen pass: a small GLSL program that samples the capture once
// per layer, so the frame is read and written once instead of once per layer.
#pragma once

#include <cstdint>
#include <memory>

#include "render/glow_layers.h"

namespace marvolet {

class GlowProgram {
 public:
  GlowProgram();
  ~GlowProgram();  // deletes what create() made; needs its context current
  GlowProgram(const GlowProgram&) = delete;
  GlowProgram& operator=(const GlowProgram&) = delete;

  // Builds the programs and the gathered texture on the current context when it offers GLSL (a
  // GL 2.0 entry point through the platform's lookup); false, and nothing kept, when it does
  // not or a program fails.
  bool create();
  bool ready() const { return program_ != 0; }
  // Deletes everything create() made; needs the context it was made on to be current.
  void destroy();

  // Turns the capture just copied into `captureTexture` into the gathered texture the one-pass
  // glow samples, by a pass over the CaptureSize square whose bottom-left corner is at (originX,
  // originY) in the window (pixels), which the capture has just used and is about to clear.
  // Needs that square inside the window, and a frame that keeps 8 bits of alpha, which holds
  // one of the four gathered texels; changes no other GL state (the capture texture is left
  // bound).
  void gather(uint32_t captureTexture, int32_t originX = 0, int32_t originY = 0);

  // Adds the layers' weighted samples of the gathered capture to the frame in one quad over the
  // 640 x 480 overlay space, with the same texture windows and weights the layer-by-layer glow
  // uses; sScale and tScale are the captured part of the texture. The caller has set the overlay
  // projection; this sets and leaves the blend and texture state as the layer-by-layer glow does.
  void draw(const GlowLayers& layers, float sScale, float tScale);
  // The same sum over any rectangle of the overlay space (left, top, right, bottom, y down),
  // the layers' texture windows carried on linearly beyond the 640 x 480 screen.
  void drawOver(const GlowLayers& layers, float sScale, float tScale, float left, float top,
                float right, float bottom);

  // GL 2.0 entry points, found by create(); defined in glow_program.cpp, where the GL headers are.
  struct Functions;

 private:
  std::unique_ptr<Functions> gl_;
  uint32_t program_ = 0;
  uint32_t gatherProgram_ = 0;
  uint32_t gatheredTexture_ = 0;
  int32_t windowLocation_ = -1;
  int32_t weightLocation_ = -1;
  int32_t alphaLocation_ = -1;
  int32_t levelsLocation_ = -1;
};

}  // namespace marvolet
