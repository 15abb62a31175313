// The animated content: thirteen drifting parameters, the verse, the light-effects switch and the
// three textures every stage draws with.
#pragma once

#include <cstdint>

#include "assets/texture.h"
#include "render/renderer.h"

namespace marvolet {

class Renderer;
class VerseGeometry;

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

// Star arrays and text rings back to their start-up values, for a fresh scene in the same process.
void resetSceneGlobals();

class Scene {
 public:
  explicit Scene(Renderer* renderer);
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  void loadAssets();
  void retarget();
  void update();
  bool lightEffectsEnabled() const { return lightEffects; }
  void keyCommand(KeyCommand command);
  void setVerse(const char* text);

  // Drawing stages, in frame order.
  void drawStarStage();
  void drawVerse();
  // The fast path's verse: the rings' quads from one array, rebuilt only when an input changed.
  void drawRingsAsArrays(float atlasWidth, float atlasHeight);
  void drawLogoAndTitle();

  // Star field.
  void initStars();
  void moveStars();
  void drawStars();

  float draw(int32_t k) const;  // a fresh random value for parameter k
  // GL name of texture slot 0 to 2, or 0 when the slot never loaded.
  uint32_t textureName(int32_t slot) const;

  Renderer* renderer;
  float start[SceneParameterCount];
  float target[SceneParameterCount];
  float current[SceneParameterCount];
  double segmentStart;  // renderer seconds at which the current segment began
  float segmentDuration;
  bool lightEffects;
  Texture* textures;  // [0] font atlas, [1] first logo, [2] second logo
  ParameterRange ranges[SceneParameterCount];
  const char* verse;
  VerseGeometry* verseGeometry;  // the fast path's kept verse quads
};

}  // namespace marvolet
