// What the scene hands each of its drawing stages for one drawing: the path to draw through,
// the parameters of the moment, the shared text style and textures, the switches and the time.
#pragma once

#include <cstdint>

#include "assets/bitmap_font.h"
#include "render/text_line.h"

namespace marvolet {

class DrawingPath;
class Random;

struct StageInputs {
  DrawingPath& drawing;
  Random& random;           // the scene's generator, for what a stage draws at random
  const float* parameters;  // the scene's current values, indexed by SceneParameter
  // The scene's text style: a stage may change it for its lines, and what it leaves set stays
  // for the next line.
  TextStyle& text;
  TextAtlas font;      // the text style's atlas
  uint32_t firstLogo;  // GL texture names; 0 for a picture that did not load
  uint32_t secondLogo;
  // Width over height of a user's picture in that logo's place; 0 for a built-in logo, which
  // fills the place and takes the scene's tint.
  float firstLogoAspect;
  float secondLogoAspect;
  bool lightEffects;    // the scene's switch
  bool showFrameRate;   // the scene's switch
  double seconds;       // the renderer's clock
  double frameSeconds;  // how far the clock moved at this frame, seconds
  double textTravel;    // the scene's text travel to now: seconds weighted by the text speed
  float fps;            // frames per second over the clock's last measuring window
  int32_t width;        // the renderer's drawing area, pixels (not the capture's viewport)
  int32_t height;
};

}  // namespace marvolet
