// Renderer construction, the frame sequence, the frame clock with its adaptive delay, and keys.
#include "render/renderer.h"

#include "platform/clock.h"
#include "render/gl.h"
#include "render/glow_program.h"
#include "render/light_effects.h"
#include "scene/random.h"
#include "scene/scene.h"

namespace marvolet {

Renderer* currentRenderer = nullptr;
bool clockStarted = false;
uint32_t clockStartTime = 0;
uint32_t fpsWindowStart = 0;
uint32_t clockLastReading = 0;
uint64_t clockElapsed = 0;
bool showFps = false;

void resetRendererGlobals() {
  currentRenderer = nullptr;
  clockStarted = false;
  clockStartTime = 0;
  fpsWindowStart = 0;
  clockLastReading = 0;
  clockElapsed = 0;
  showFps = false;
  resetLightEffectsGlobals();
}

namespace {

void setProjection(int32_t x, int32_t y, int32_t width, int32_t height) {
  glViewport(x, y, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // A zero height would divide by zero; such a window shows nothing anyway.
  const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
  gluPerspective(30.0, aspect, 0.1, 1000.0);
  glMatrixMode(GL_MODELVIEW);
}

}  // namespace

Renderer::Renderer(int32_t width_, int32_t height_, RenderFlags flags_, DrawPath path)
    : scene(nullptr),
      width(width_),
      height(height_),
      originX(0),
      originY(0),
      fps(10.0f),
      seconds(0.0),
      frameCount(0),
      targetFps(30),
      frameDelay(60),
      noLightEffects((flags_ & LightEffects) == 0),
      flags(flags_),
      drawPath(path) {
  currentRenderer = this;
  // One of 256 seeds: the picture need not differ more than that from run to run.
  seedRandom(static_cast<uint32_t>(platform::calendarSeconds() % 256));
  randomInt();

  setProjection(originX, originY, width, height);

  startClock();  // fps goes from its start value 10 to the clock's 50

  // The scene's constructor reads the clock, so the clock starts first.
  scene = new Scene(this);
  scene->loadAssets();

  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

  testLightEffectsCapability();
  // Without the LightEffects flag the pass never runs, so its program would only cost start-up.
  if (drawPath == DrawPath::Fast && !noLightEffects) prepareOnePassGlow();
}

Renderer::~Renderer() {
  deleteGlowProgram();
  delete scene;
  scene = nullptr;
  // Nothing may reach a renderer that is gone (a late message in the host, the next test).
  if (currentRenderer == this) currentRenderer = nullptr;
}

void Renderer::resize(int32_t newWidth, int32_t newHeight, int32_t newOriginX, int32_t newOriginY) {
  width = newWidth;
  height = newHeight;
  originX = newOriginX;
  originY = newOriginY;
  setProjection(originX, originY, width, height);
}

bool Renderer::lightEffectsActive() const {
  return scene->lightEffectsEnabled() && lightEffectsCapable && !noLightEffects;
}

void Renderer::renderFrame() {
  glDrawBuffer(GL_BACK);
  if ((flags & Trails) == 0) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
  update();
  const bool glow = lightEffectsActive();
  if (glow) captureFrame();
  drawScene();
  if (glow) drawGlow(12, 0.02f);
  glFlush();
}

void Renderer::keyCommand(KeyCommand command) {
  scene->keyCommand(command);
}

void Renderer::update() {
  tickClock();
  scene->update();
}

void Renderer::drawScene() {
  glPushMatrix();
  scene->drawStarStage();
  scene->drawVerse();
  scene->drawLogoAndTitle();
  glPopMatrix();
}

void Renderer::startClock() {
  if (clockStarted) return;
  clockStarted = true;
  clockStartTime = platform::milliseconds();
  fpsWindowStart = platform::milliseconds();
  clockLastReading = clockStartTime;
  clockElapsed = 0;
  frameCount = 0;
  fps = 50.0f;
  seconds = 0.0;
}

void Renderer::tickClock() {
  const uint32_t now = platform::milliseconds();
  // Unsigned differences of the wrapping counter, summed in 64 bits: time only moves forward,
  // across 2^31 and 2^32 alike, as long as frames come less than 49 days apart.
  clockElapsed += static_cast<uint32_t>(now - clockLastReading);
  clockLastReading = now;
  seconds = static_cast<double>(clockElapsed) * 0.001;

  const double elapsed = static_cast<double>(static_cast<uint32_t>(now - fpsWindowStart)) * 0.001;
  if (elapsed < 1.0) {
    frameCount += 1;
    return;
  }
  // The delay adapts from the rate of the window before this one.
  const int32_t previous = static_cast<int32_t>(fps);
  fps = static_cast<float>(frameCount / elapsed);
  frameCount = 0;
  fpsWindowStart = now;
  if (previous > 0) frameDelay += ((1000 / targetFps) - (1000 / previous)) / 2;
  if (frameDelay < 1) frameDelay = 1;
  if (frameDelay > 1000) frameDelay = 1000;
}

void beginOverlayProjection() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, 640.0, 480.0, 0.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void beginClipSpaceProjection() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void endClipSpaceProjection() {
  endOverlayProjection();
}

void endOverlayProjection() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

}  // namespace marvolet
