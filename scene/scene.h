// The animated content: thirteen drifting parameters, the verse rings, logos and title, the star
// field, the light-effects switch and the three textures every stage draws with.
#pragma once

#include <cstdint>

#include "assets/bitmap_font.h"
#include "assets/texture.h"
#include "render/frame_clock.h"
#include "render/renderer.h"
#include "render/text_line.h"
#include "scene/random.h"
#include "scene/star_field.h"
#include "scene/verse_rings.h"

namespace marvolet {

class DrawingPath;

// Index of each animated parameter; a colour names the first of its three channels.
enum SceneParameter : int32_t {
  textdistance = 0,
  textspeed = 1,
  imagecolor = 2,
  logocolor = 5,
  textcolor = 8,
  imagezoom = 11,
  imagefade = 12,
  SceneParameterCount = 13,
};

struct ParameterRange {
  float min;
  float max;
  float exponent;  // draws are min + (max - min) * r^exponent
};

extern const ParameterRange SceneParameterRanges[SceneParameterCount];
extern const char BuiltInVerse[];

// min + (max - min) * r^exponent: the value a random r in [0, 1] draws from a range.
float parameterValue(const ParameterRange& range, float r);

class Scene {
 public:
  // Draws the first parameters and segment from `random` (seeded by the caller), which the
  // scene then keeps for every later draw. `clock` is the renderer's, read for the time and the
  // frame rate; `drawing` issues the path-dependent geometry. `flyStars`: whether the star field
  // is started and moved (the Stars flag). Both references must outlive the scene.
  Scene(Random random, const FrameClock& clock, DrawingPath& drawing, bool flyStars);
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Textures, clear colour, and the star field's start in a drawing area of width x height
  // pixels. Needs a current GL context.
  void loadAssets(int32_t width, int32_t height);
  void retarget();
  void update();  // the parameters at the clock's time, a new segment when one ends
  void keyCommand(KeyCommand command);
  void setVerse(const char* text);

  // Drawing stages, in frame order; width and height are the renderer's drawing area, pixels.
  void drawStarStage(int32_t width, int32_t height);
  void drawVerse();
  void drawLogoAndTitle();

  float draw(int32_t k);  // a fresh random value for parameter k
  // GL name of texture slot 0 to 2, or 0 when the slot never loaded.
  uint32_t textureName(int32_t slot) const;
  // The text style's atlas; the missing atlas when the textures failed to load.
  TextAtlas fontAtlas() const;

  const FrameClock& clock;
  DrawingPath& drawing;
  Random random;
  const bool stars;
  float start[SceneParameterCount];
  float target[SceneParameterCount];
  float current[SceneParameterCount];
  double segmentStart;  // clock seconds at which the current segment began
  float segmentDuration;
  bool lightEffects;           // toggled by KeyCommand::ToggleLightEffects
  bool showFrameRate = false;  // toggled by KeyCommand::ToggleFrameRate
  Texture* textures;           // [0] font atlas, [1] first logo, [2] second logo
  const char* verse;
  VerseRings verseRings;
  StarField starField;
  TextStyle text;  // font, scale and colours of the next text line
};

}  // namespace marvolet
