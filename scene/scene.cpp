// The scene object: parameter draws, segment retargeting, smoothstep animation, assets, keys,
// and the stages' frame order.
#include "scene/scene.h"

#include <cmath>
#include <cstdlib>

#include "assets/embedded_images.h"
#include "assets/text_shaper.h"
#include "render/gl.h"
#include "render/texture_upload.h"

namespace marvolet {

extern const ParameterRange SceneParameterRanges[SceneParameterCount] = {
    {0.95f, 3.1f, 3.0f},  // textdistance
    {0.5f, 3.0f, 3.0f},   // textspeed
    {0.0f, 1.0f, 1.0f},   // imagecolor red
    {0.0f, 1.0f, 1.0f},   // imagecolor green
    {0.0f, 1.0f, 1.0f},   // imagecolor blue
    {0.5f, 1.0f, 1.0f},   // logocolor red
    {0.5f, 1.0f, 1.0f},   // logocolor green
    {0.5f, 1.0f, 1.0f},   // logocolor blue
    {0.5f, 1.0f, 1.0f},   // textcolor red
    {0.5f, 1.0f, 1.0f},   // textcolor green
    {0.5f, 1.0f, 1.0f},   // textcolor blue
    {0.5f, 1.0f, 1.0f},   // imagezoom
    {0.0f, 1.0f, 1.0f},   // imagefade
};

namespace {
constexpr int32_t TextureCount = 3;

float segmentLength(float r) {
  return 30.0f - 20.0f * r * r * r;
}
}  // namespace

Scene::Scene(Random random_, const FrameClock& clock_, DrawingPath& drawing_, bool flyStars,
             const SceneContent& content)
    : clock(clock_), drawing(drawing_), random(random_), textures(nullptr), stars(flyStars) {
  if (!content.passage.empty() || !content.title.empty()) {
    // Every glyph the words need is made now, so that the atlas is whole before the first frame
    // and never changes while the scene draws.
    glyphAtlas_ = std::make_unique<GlyphAtlas>(*text.font, MainFontAtlasWidth, MainFontAtlasHeight);
    {
      TextShaper shaper(*glyphAtlas_);
      if (!content.passage.empty()) verse.setVerse(shaper.shape(content.passage).glyphs);
      if (!content.title.empty()) logoAndTitle.setTitle(shaper.shape(content.title).glyphs);
    }
    glyphAtlas_->pack();
    text.font = &glyphAtlas_->font();
  }
  userLogos_[0] = content.firstLogo;
  userLogos_[1] = content.secondLogo;
  for (int32_t k = 0; k < SceneParameterCount; ++k) {
    target[k] = draw(k);
    start[k] = current[k] = draw(k);
  }
  lightEffects = true;
  segmentStart = clock.seconds();
  segmentDuration = segmentLength(random.nextUnit());
  // The first retarget only moves the drawn targets into start; the second picks the targets
  // the first segment heads for.
  retarget();
  retarget();
}

Scene::~Scene() {
  if (textures == nullptr) return;
  for (int32_t slot = 0; slot < TextureCount; ++slot) {
    GLuint name = textures[slot].textureName;
    if (name != 0) glDeleteTextures(1, &name);
    std::free(textures[slot].pixels);
  }
  std::free(textures);
  textures = nullptr;
}

float parameterValue(const ParameterRange& range, float r) {
  return range.min + (range.max - range.min) * std::pow(r, range.exponent);
}

float Scene::draw(int32_t k) {
  return parameterValue(SceneParameterRanges[k], random.nextUnit());
}

void Scene::retarget() {
  for (int32_t k = 0; k < SceneParameterCount; ++k) {
    start[k] = target[k];
    target[k] = draw(k);
  }
  // Big text is an excursion: after one it always comes back to 1.0, otherwise mostly so.
  if (start[textdistance] > 1.2f) {
    target[textdistance] = 1.0f;
  } else if (static_cast<int32_t>(5.0f * random.nextUnit()) >= 1) {
    target[textdistance] = 1.0f;
  }
  // The logos take turns: the fade only ever heads for one of them fully.
  target[imagefade] = static_cast<int32_t>(2.0f * random.nextUnit()) != 0 ? 1.0f : 0.0f;
  segmentDuration = segmentLength(random.nextUnit());
}

double Scene::travelInSegment(double now) const {
  const double duration = segmentDuration;
  const double spent = now - segmentStart;
  const double from = start[textspeed], to = target[textspeed];
  if (!(duration > 0.0) || spent >= duration) {
    // The whole segment, then its target held until the frame that ends it.
    const double whole = duration > 0.0 ? duration * 0.5 * (from + to) : 0.0;
    return whole + (spent - (duration > 0.0 ? duration : 0.0)) * to;
  }
  const double t = spent > 0.0 ? spent / duration : 0.0;
  // The integral of start + (3t^2 - 2t^3)(target - start) over the segment so far.
  return duration * (from * t + (to - from) * (t * t * t - 0.5 * t * t * t * t));
}

void Scene::update(double now) {
  // The new segment starts at the frame that notices the end: the easing is flat at both ends,
  // so how late a frame rate notices moves the parameters by next to nothing.
  if (now - segmentStart > segmentDuration) {
    textTravel += travelInSegment(now);
    segmentStart = now;
    retarget();
  }
  const float t = static_cast<float>((now - segmentStart) / segmentDuration);
  const float e = t * t * (3.0f - 2.0f * t);
  for (int32_t k = 0; k < SceneParameterCount; ++k) {
    current[k] = start[k] + e * (target[k] - start[k]);
  }
}

void Scene::keyCommand(KeyCommand command) {
  switch (command) {
    case KeyCommand::ToggleLightEffects:
      lightEffects = !lightEffects;
      break;
    case KeyCommand::ToggleFrameRate:
      showFrameRate = !showFrameRate;
      break;
    case KeyCommand::Nothing:
      break;
  }
}

void Scene::loadAssets(int32_t width, int32_t height) {
  textures = static_cast<Texture*>(std::calloc(TextureCount, sizeof(Texture)));
  if (textures != nullptr) {
    // A picture that fails to decode leaves its slot empty; the scene draws regardless.
    loadFontAtlas();
    loadLogo(1, FirstLogoJpeg, FirstLogoJpegLength);
    loadLogo(2, SecondLogoJpeg, SecondLogoJpegLength);
  }
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  stars.start(random, width, height);
}

void Scene::loadFontAtlas() {
  if (glyphAtlas_ == nullptr) {
    loadJpegTexture(textures[0], FontAtlasJpeg, static_cast<int32_t>(FontAtlasJpegLength), false);
    return;
  }
  if (!decodeJpeg(textures[0], FontAtlasJpeg, static_cast<int32_t>(FontAtlasJpegLength))) return;
  // Without memory for the grown picture the built-in one is drawn: the glyphs made at run time
  // then show as blank quads of their own size, and the rings keep their spacing.
  glyphAtlas_->paint(textures[0]);
  glyphAtlas_->releasePictures();
  uploadTexture(textures[0], false);
}

void Scene::loadLogo(int32_t slot, const unsigned char* builtIn, size_t builtInLength) {
  std::shared_ptr<const RgbaImage>& user = userLogos_[slot - 1];
  if (user != nullptr && textureFromRgba(textures[slot], *user, MaxLogoSide)) {
    logoAspect_[slot - 1] = static_cast<float>(user->width) / static_cast<float>(user->height);
    uploadTexture(textures[slot], false);
  } else {
    loadJpegTexture(textures[slot], builtIn, static_cast<int32_t>(builtInLength), false);
  }
  user.reset();
}

StageInputs Scene::stageInputs(int32_t width, int32_t height) {
  const TextAtlas font = fontAtlas();
  return StageInputs{drawing,
                     random,
                     current,
                     text,
                     font,
                     textureName(1),
                     textureName(2),
                     logoAspect_[0],
                     logoAspect_[1],
                     lightEffects,
                     showFrameRate,
                     clock.seconds(),
                     clock.frameSeconds(),
                     textTravel + travelInSegment(clock.seconds()),
                     clock.fps(),
                     width,
                     height};
}

void Scene::drawStages(int32_t width, int32_t height) {
  const StageInputs in = stageInputs(width, height);
  stars.draw(in);
  verse.draw(in);
  logoAndTitle.draw(in);
}

uint32_t Scene::textureName(int32_t slot) const {
  return textures != nullptr ? textures[slot].textureName : 0;
}

TextAtlas Scene::fontAtlas() const {
  return textAtlasOf(textures != nullptr ? &textures[text.font->textureSlot] : nullptr);
}

}  // namespace marvolet
