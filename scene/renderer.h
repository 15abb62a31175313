// The frame driver: fixed GL state, camera, the frame clock with its adaptive delay, the frame's
// order of stages, and key commands. The interface the hosts use.
#pragma once

#include <cstdint>
#include <memory>

#include "assets/user_content.h"
#include "render/frame_clock.h"
#include "render/glow_pass.h"
#include "render/render_types.h"

namespace marvolet {

class DrawingPath;
class Scene;

class Renderer {
 public:
  // Needs a current GL context, which must stay current for the renderer's life. width and
  // height are the drawing area in pixels. `path` is fixed for the renderer's life. `content`
  // is the user's passage, title and logos, read by the caller; what it lacks is built-in.
  Renderer(int32_t width, int32_t height, RenderFlags flags, DrawPath path = DrawPath::Fast,
           const SceneContent& content = SceneContent{});
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Composes one frame into the back buffer, ready to present. Never fails.
  void renderFrame();
  void keyCommand(KeyCommand command);
  // Follows a new drawing-area size: viewport and projection as at construction, and the glow's
  // method for the new size. originX and originY place the drawing area inside a larger window
  // (pixels from its bottom-left corner, as glViewport takes them), for a window that spans
  // several monitors.
  void resize(int32_t width, int32_t height, int32_t originX = 0, int32_t originY = 0);

  // Milliseconds to sleep after each frame, 1 to 1000, steered towards the target rate. The
  // hosts no longer sleep it (the session paces by swap interval or deadline); the pacing
  // benchmark runs it as the baseline.
  int32_t frameDelay() const { return frameDelay_; }
  // The rate the delay aims at from the next measuring window on, frames per second (the host
  // lowers it on battery); clamped to 1..1000.
  void setTargetFps(int32_t fps) { clock_.setTargetFps(fps); }
  const FrameClock& clock() const { return clock_; }

  // The frame's stages, in the order renderFrame runs them; public for tests and benchmarks.
  void update();        // tick(), then the scene's parameter step
  void tick();          // the clock's tick and the frame delay it steers; nothing drawn or moved
  void captureFrame();  // the scene once more into the capture viewport, copied for the glow
  void drawScene();     // star field, verse rings, logos and title
  void drawGlow(int32_t layers, float insetStep);  // layers at most GlowLayerCount
  // Whether the light-effects pass runs this frame: the flag, the GL's capability and the
  // scene's switch all allow it.
  bool lightEffectsActive() const;
  // With BurnInGuard: moves the viewport to the clock's drift (after update()), and blackens
  // what the moved picture leaves uncovered of the drawing area (after the frame's drawing).
  void followDrift();
  void blackenDriftEdges();

  int32_t width;        // pixels
  int32_t height;       // pixels
  int32_t originX = 0;  // drawing area's left edge in the window, pixels
  int32_t originY = 0;  // drawing area's bottom edge in the window, pixels
  int32_t driftX = 0;   // the burn-in guard's offset of the picture in it, pixels right
  int32_t driftY = 0;   // and up; 0 without the BurnInGuard flag
  const RenderFlags flags;
  const DrawPath path;

 private:
  // The glow's method for the drawing area's size, from the path and what the GL offers.
  void chooseGlow();

  FrameClock clock_;
  int32_t frameDelay_ = 60;

 public:
  const std::unique_ptr<DrawingPath> drawing;  // made from `path`, once
  std::unique_ptr<Scene> scene;                // reads the clock and draws through `drawing`
  GlowPass glow;  // last, so that it goes first: its program is deleted before the scene's textures
};

}  // namespace marvolet
