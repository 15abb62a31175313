// The animated content: thirteen drifting parameters, the light-effects and frame-rate
// switches, the text style and the three textures, and the drawing stages that show them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "assets/bitmap_font.h"
#include "assets/glyph_atlas.h"
#include "assets/texture.h"
#include "assets/user_content.h"
#include "render/frame_clock.h"
#include "render/render_types.h"
#include "render/text_line.h"
#include "scene/logo_title_stage.h"
#include "scene/random.h"
#include "scene/scene_parameters.h"
#include "scene/stage_inputs.h"
#include "scene/star_stage.h"
#include "scene/verse_stage.h"

namespace marvolet {

class DrawingPath;

class Scene {
 public:
  // Draws the first parameters and segment from `random` (seeded by the caller), which the
  // scene then keeps for every later draw. `clock` is the renderer's, read for the time and the
  // frame rate; `drawing` issues the path-dependent geometry. `flyStars`: whether the star field
  // is started and moved (the Stars flag). Both references must outlive the scene. `content`:
  // the user's passage, title and logos, drawn instead of the built-in ones where given.
  Scene(Random random, const FrameClock& clock, DrawingPath& drawing, bool flyStars,
        const SceneContent& content = SceneContent{});
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Textures, clear colour, and the star field's start in a drawing area of width x height
  // pixels. Needs a current GL context.
  void loadAssets(int32_t width, int32_t height);
  void retarget();
  void update(double now);  // the parameters at `now` (clock seconds), a new segment when one ends
  void keyCommand(KeyCommand command);

  // Every stage, in frame order, in a drawing area of width x height pixels.
  void drawStages(int32_t width, int32_t height);
  // What the stages draw with now; for drawing one stage alone.
  StageInputs stageInputs(int32_t width, int32_t height);

  float draw(int32_t k);  // a fresh random value for parameter k
  // The text's travel within the current segment up to `now` (clock seconds).
  double travelInSegment(double now) const;
  // GL name of texture slot 0 to 2, or 0 when the slot never loaded.
  uint32_t textureName(int32_t slot) const;
  // The text style's atlas; the missing atlas when the textures failed to load.
  TextAtlas fontAtlas() const;
  // The glyphs made for the user's words; null with the built-in ones.
  const GlyphAtlas* glyphAtlas() const { return glyphAtlas_.get(); }

  const FrameClock& clock;
  DrawingPath& drawing;
  Random random;
  float start[SceneParameterCount];
  float target[SceneParameterCount];
  float current[SceneParameterCount];
  double segmentStart;  // clock seconds at which the current segment began
  float segmentDuration;
  // The text's travel: clock seconds weighted by the text speed as it drifts, integrated exactly
  // over each segment, so that the scroll reaches the same place at any frame rate.
  double textTravel = 0.0;
  bool lightEffects;           // toggled by KeyCommand::ToggleLightEffects
  bool showFrameRate = false;  // toggled by KeyCommand::ToggleFrameRate
  Texture* textures;           // [0] font atlas, [1] first logo, [2] second logo
  TextStyle text;              // font, scale and colours of the next text line

  // The stages, in frame order.
  StarStage stars;
  VerseStage verse;
  LogoTitleStage logoAndTitle;

 private:
  // The atlas, grown by the glyphs the user's words need beyond the built-in ones.
  void loadFontAtlas();
  // A user's picture in `slot` (1 or 2) when one was given and fits in memory, else the built-in.
  void loadLogo(int32_t slot, const unsigned char* builtIn, size_t builtInLength);

  // The glyph table of the user's words, when there are any; text.font points into it.
  std::unique_ptr<GlyphAtlas> glyphAtlas_;
  // Held from construction until loadAssets has made them textures.
  std::shared_ptr<const RgbaImage> userLogos_[2];
  float logoAspect_[2] = {0.0f, 0.0f};
};

}  // namespace marvolet
