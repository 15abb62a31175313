// The saver's life on any window system: set-up over a SaverSurface, the picture on it, the
// event and frame loop, key commands and the teardown order.
#pragma once

#include <cstdint>
#include <memory>

#include "host/frame_pacing.h"
#include "host/monitor_layout.h"
#include "host/power_source.h"
#include "host/saver_surface.h"
#include "scene/renderer.h"

namespace marvolet {

// What the session shows on the surface. An interface so the loop can be driven without GL.
class SaverPicture {
 public:
  virtual ~SaverPicture() = default;
  // With the surface's context current: builds the picture for `layout`. False when it cannot
  // (out of memory); nothing is then held.
  virtual bool create(const SaverLayout& layout) = 0;
  // Composes one frame in the back buffer, every monitor's part of it.
  virtual void draw(const SaverLayout& layout) = 0;
  // The window or its monitors changed.
  virtual void follow(const SaverLayout& layout) = 0;
  virtual void keyCommand(KeyCommand command) = 0;
  // Releases the picture; its context must still be current.
  virtual void destroy() = 0;
};

// The renderer at the primary monitor's size and place, drawing by `path`, with scaled copies
// on the others, or with the others black when `mainMonitorOnly`; showing the user's `content`
// where there is some.
class RendererPicture final : public SaverPicture {
 public:
  explicit RendererPicture(RenderFlags flags, bool mainMonitorOnly = false,
                           DrawPath path = DrawPath::Fast,
                           std::shared_ptr<const SceneContent> content = nullptr)
      : flags_(flags), mainMonitorOnly_(mainMonitorOnly), path_(path), content_(content) {}
  bool create(const SaverLayout& layout) override;
  void draw(const SaverLayout& layout) override;
  void follow(const SaverLayout& layout) override;
  void keyCommand(KeyCommand command) override { renderer_->keyCommand(command); }
  void destroy() override;

 private:
  RenderFlags flags_;
  bool mainMonitorOnly_;
  DrawPath path_;
  std::shared_ptr<const SceneContent> content_;
  Renderer* renderer_ = nullptr;
};

struct SessionOptions {
  bool showFrameRate = false;    // the frame-rate text is on from the first frame
  int32_t forcedFrameDelay = 0;  // milliseconds; above 0 a plain sleep after each frame paces
  // The frames a second wanted on mains power.
  FrameRateChoice frameRate = FrameRateChoice::Thirty;
  // Halves the wanted rate while on battery; null keeps it.
  BatteryPace* pace = nullptr;
  // How the picture's renderer draws; whoever builds the picture hands it on.
  DrawPath drawPath = DrawPath::Fast;
  // The user's passage, title and logos, read once at start-up; null for the built-in ones.
  // Whoever builds the picture hands it on.
  std::shared_ptr<const SceneContent> content = nullptr;
};

class SaverSession {
 public:
  SaverSession(SaverSurface& surface, SaverPicture& picture, SessionOptions options = {})
      : surface_(surface), picture_(picture), options_(options) {}

  // Sets the surface and the picture up, runs until the surface quits and tears both down:
  // the picture first, while its context is current. A set-up failure is left to the surface
  // to report and undo.
  void run();
  // A key's command for the picture; dropped while there is none.
  void keyCommand(KeyCommand command);
  // The surface's layout changed; the picture follows it.
  void followLayout();
  // The window system says monitors changed (added, removed, moved, resized, another made
  // primary). Before the next frame, or while the display is dark, the monitors are read once for
  // however many such reports came; where the layout differs, the window and the picture follow.
  void monitorsChanged() { monitorsChanged_ = true; }

 private:
  void loop();
  void followMonitors();
  // Waits after the frame presented, which began at `startMs`: by the swap interval where the
  // surface's GL keeps one in step with a known refresh, otherwise until the deadline.
  void pace(double frameRate, uint32_t startMs);
  // Drops the swap interval for the deadline; the surface's swap control is not asked again.
  void stopSwapControl();

  SaverSurface& surface_;
  SaverPicture& picture_;
  SessionOptions options_;
  bool showing_ = false;  // the picture exists
  bool monitorsChanged_ = false;
  double refreshHz_ = 0.0;    // the primary monitor's, 0 where unknown
  int32_t swapInterval_ = 0;  // the interval the surface presents with; 0: the deadline paces
  bool swapControl_ = true;   // false once the surface refused an interval or ignored one
  FrameDeadline deadline_;
  SwapIntervalCheck swapCheck_;
};

// The options tests and comparisons set through the environment, from the two variables' texts
// (null where unset), which each program's main reads once. MARVOLET_DRAW_PATH=literal selects
// the reference path (a GL call per glyph, the glow layer by layer), for comparing the two on a
// real display. MARVOLET_FRAME_DELAY_MS, a whole number from 1 to 60000, forces the delay after
// each frame, so that a test can catch the saver between frames; any other text forces none.
SessionOptions sessionOptionsFromEnvironment(const char* drawPath, const char* frameDelayMs);

}  // namespace marvolet
