// The glow summed in one full-screen pass: a small GLSL program that samples the capture once
// per layer, so the frame is read and written once instead of once per layer.
#pragma once

#include <cstdint>

namespace marvolet {

// Most layers the program sums; a glow of more layers is drawn layer by layer.
constexpr int32_t GlowProgramLayers = 12;

// Builds the program on the current context when it offers GLSL (a GL 2.0 entry point through
// the platform's lookup); false, and nothing kept, when it does not or the program fails.
bool createGlowProgram();
bool glowProgramReady();
// Deletes the program; needs the context it was made on to be current.
void deleteGlowProgram();
// Forgets the program without GL calls, for a process that starts over (tests).
void resetGlowProgram();

// Turns the capture just copied into `captureTexture` into the gathered texture the one-pass glow
// samples, by a pass over the window's bottom-left 128 x 128 pixels, which the capture has just
// used and is about to clear. Needs a window at least that large; changes no other GL state
// (the capture texture is left bound).
void gatherCapture(uint32_t captureTexture);

// Adds the layers' weighted samples of the gathered capture to the frame in one quad over the
// 640 x 480 overlay space, with the same texture windows and weights the layer-by-layer glow
// uses. The caller has set the overlay projection; this sets and leaves the blend and texture
// state as the layer-by-layer glow does. layers must not exceed GlowProgramLayers.
void drawGlowInOnePass(int32_t layers, float insetStep, float sScale, float tScale);

}  // namespace marvolet
