// Renderer construction and the frame sequence.
#include "scene/renderer.h"

#include "platform/clock.h"
#include "render/burn_in_drift.h"
#include "render/drawing_path.h"
#include "render/gl.h"
#include "render/glow_method.h"
#include "render/projections.h"
#include "scene/random.h"
#include "scene/scene.h"

namespace marvolet {

Renderer::Renderer(int32_t width_, int32_t height_, RenderFlags flags_, DrawPath path_,
                   const SceneContent& content)
    : width(width_), height(height_), flags(flags_), path(path_), drawing(makeDrawingPath(path_)) {
  // One of 256 seeds: the picture need not differ more than that from run to run. The first
  // draw is thrown away, as the saver always has.
  Random random(static_cast<uint32_t>(platform::calendarSeconds() % 256));
  random.nextInt();

  setPerspective(originX, originY, width, height);

  // The scene's constructor reads the clock, so the clock starts first (fps 10 becomes 50).
  clock_.start();
  scene = std::make_unique<Scene>(random, clock_, *drawing, (flags & Stars) != 0, content);
  scene->loadAssets(width, height);
  // The rate the star field's warm-up assumed stands as the clock's until its first measure,
  // and so steers the first adaptation of the frame delay.
  if ((flags & Stars) != 0) clock_.setFps(StarField::WarmUpFps);

  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

  glow.testCapability();
  // Without the LightEffects flag the pass never runs, so its program and small sum would only
  // cost start-up.
  if (glowMayGoBeyondLayers(path) && (flags & LightEffects) != 0) glow.prepareBeyondLayers();
  chooseGlow();
}

void Renderer::chooseGlow() {
  glow.setMethod(chooseGlowMethod(path, glow.capabilities(), width, height));
}

Renderer::~Renderer() = default;

void Renderer::resize(int32_t newWidth, int32_t newHeight, int32_t newOriginX, int32_t newOriginY) {
  width = newWidth;
  height = newHeight;
  originX = newOriginX;
  originY = newOriginY;
  setPerspective(originX + driftX, originY + driftY, width, height);
  chooseGlow();
}

bool Renderer::lightEffectsActive() const {
  return scene->lightEffects && glow.capable && (flags & LightEffects) != 0;
}

void Renderer::renderFrame() {
  glDrawBuffer(GL_BACK);
  if ((flags & Trails) == 0) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  gluLookAt(0.0, 0.0, 5.5, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
  update();
  if ((flags & BurnInGuard) != 0) followDrift();
  const bool lightEffects = lightEffectsActive();
  if (lightEffects) captureFrame();
  drawScene();
  if (lightEffects) drawGlow(GlowLayerCount, GlowInsetStep);
  if ((flags & BurnInGuard) != 0) blackenDriftEdges();
  glFlush();
}

void Renderer::keyCommand(KeyCommand command) {
  scene->keyCommand(command);
}

void Renderer::update() {
  tick();
  scene->update(clock_.seconds());
}

void Renderer::tick() {
  frameDelay_ = clock_.tick(frameDelay_);
}

void Renderer::drawScene() {
  glPushMatrix();
  scene->drawStages(width, height);
  glPopMatrix();
}

void Renderer::captureFrame() {
  // At the drawing area's own corner, so that the capture is made of pixels on its monitor.
  glViewport(originX, originY, CaptureSize, CaptureSize);
  drawScene();
  glow.takeCapture(width, height, originX, originY);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(originX + driftX, originY + driftY, width, height);
}

void Renderer::drawGlow(int32_t layers, float insetStep) {
  glow.draw(layers, insetStep, width, height);
}

void Renderer::followDrift() {
  const DriftOffset drift = burnInDrift(clock_.seconds(), height);
  if (drift.x == driftX && drift.y == driftY) return;
  driftX = drift.x;
  driftY = drift.y;
  setPerspective(originX + driftX, originY + driftY, width, height);
}

// Trails never clear, and the picture's own clear is not the only thing that reaches the edge,
// so the strips the moved viewport uncovers are cleared every frame. What the viewport pushes
// past the drawing area is off the window, or on a monitor the host overwrites with its copy or
// black.
void Renderer::blackenDriftEdges() {
  if (driftX == 0 && driftY == 0) return;
  glPushAttrib(GL_ENABLE_BIT | GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  const int32_t columns = driftX < 0 ? -driftX : driftX;
  const int32_t rows = driftY < 0 ? -driftY : driftY;
  if (columns > 0) {
    glScissor(driftX > 0 ? originX : originX + width - columns, originY, columns, height);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  if (rows > 0) {
    glScissor(originX, driftY > 0 ? originY : originY + height - rows, width, rows);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glPopAttrib();
}

}  // namespace marvolet
