// Set-up, loop and teardown of the saver on its surface.
#include "host/saver_session.h"

#include <cstdlib>
#include <new>

#include "platform/clock.h"
#include "render/monitor_copies.h"

namespace marvolet {

bool RendererPicture::create(const SaverLayout& layout) {
  const PixelRect picture = bottomUp(layout.primary, layout.window.height);
  renderer_ = new (std::nothrow) Renderer(picture.width, picture.height, flags_, path_,
                                          content_ != nullptr ? *content_ : SceneContent{});
  if (renderer_ == nullptr) return false;
  if (picture.x != 0 || picture.y != 0) {
    renderer_->resize(picture.width, picture.height, picture.x, picture.y);
  }
  return true;
}

void RendererPicture::draw(const SaverLayout& layout) {
  renderer_->renderFrame();
  if (mainMonitorOnly_) {
    blackenOtherMonitors(layout.window.height, layout.copies);
  } else {
    copyToOtherMonitors(layout.window.width, layout.window.height, layout.primary, layout.copies);
  }
}

void RendererPicture::follow(const SaverLayout& layout) {
  const PixelRect picture = bottomUp(layout.primary, layout.window.height);
  renderer_->resize(picture.width, picture.height, picture.x, picture.y);
}

void RendererPicture::destroy() {
  delete renderer_;
  renderer_ = nullptr;
}

void SaverSession::run() {
  const SetupFailure failure = surface_.create();
  if (failure != SetupFailure::NoFailure) return surface_.abandon(failure);
  if (!picture_.create(surface_.layout())) return surface_.abandon(SetupFailure::NoRenderer);
  showing_ = true;
  refreshHz_ = surface_.refreshRate();
  if (options_.showFrameRate) picture_.keyCommand(KeyCommand::ToggleFrameRate);
  surface_.show();
  loop();
  showing_ = false;
  picture_.destroy();
  surface_.destroy();
}

void SaverSession::keyCommand(KeyCommand command) {
  if (showing_) picture_.keyCommand(command);
}

void SaverSession::followLayout() {
  if (showing_) picture_.follow(surface_.layout());
  // Another primary may refresh at another rate: the pace follows it.
  refreshHz_ = surface_.refreshRate();
}

void SaverSession::followMonitors() {
  monitorsChanged_ = false;
  // The same monitors at another mode keep the layout but may change the refresh.
  refreshHz_ = surface_.refreshRate();
  MonitorReading reading;
  if (!surface_.readMonitors(reading)) return;
  const SaverLayout fresh = fullScreenLayout(reading.monitors, reading.screen);
  if (fresh == surface_.layout()) return;
  surface_.adoptLayout(fresh);
  followLayout();
}

void SaverSession::stopSwapControl() {
  if (swapInterval_ > 0) surface_.setSwapInterval(0);
  swapInterval_ = 0;
  swapControl_ = false;
  deadline_.reset();
}

void SaverSession::pace(double frameRate, uint32_t startMs) {
  if (options_.forcedFrameDelay > 0) {
    // A test's fixed pause between frames: nothing else may shorten or lengthen it.
    if (swapInterval_ > 0) stopSwapControl();
    surface_.sleep(static_cast<uint32_t>(options_.forcedFrameDelay));
    return;
  }
  const int32_t wanted = swapControl_ ? swapIntervalFor(refreshHz_, frameRate) : 0;
  if (wanted != swapInterval_) {
    if (wanted == 0) {
      // The refresh is no longer known: the deadline paces, swap control stays for later.
      surface_.setSwapInterval(0);
      swapInterval_ = 0;
      deadline_.reset();
    } else if (surface_.setSwapInterval(wanted)) {
      swapInterval_ = wanted;
      swapCheck_.reset();
    } else {
      stopSwapControl();
    }
  }
  const uint32_t now = platform::milliseconds();
  if (swapInterval_ > 0) {
    // The next present waits for the refresh; a GL that lets it through at once is dropped.
    if (swapCheck_.honoured(now, refreshHz_ / swapInterval_)) return;
    stopSwapControl();
  }
  surface_.sleep(deadline_.waitAfterFrame(startMs, now, frameRate));
}

// Handles every pending event before each frame; returns when the surface quits. A dark
// display gets no frames, only events, so the closing rules still hold; the frame clock takes
// the dark time as a pause, and the animation resumes where it stood.
void SaverSession::loop() {
  for (;;) {
    const PumpResult pumped = surface_.pump();
    if (pumped == PumpResult::Quit) return;
    if (pumped == PumpResult::Dispatched) continue;
    if (monitorsChanged_) followMonitors();
    if (surface_.displayAsleep()) {
      // Nobody sees the frames missed: the schedule starts afresh rather than catching up.
      deadline_.reset();
      swapCheck_.reset();
      surface_.waitForEvents();
      continue;
    }
    const uint32_t startMs = platform::milliseconds();
    const double wanted = wantedFrameRate(options_.frameRate, refreshHz_);
    const double frameRate =
        options_.pace != nullptr ? options_.pace->paced(startMs, wanted) : wanted;
    picture_.draw(surface_.layout());
    surface_.present();
    pace(frameRate, startMs);
  }
}

SessionOptions sessionOptionsFromEnvironment(const char* drawPath, const char* frameDelayMs) {
  SessionOptions options;
  options.drawPath = drawPathFromName(drawPath);
  if (frameDelayMs != nullptr) {
    const long value = std::strtol(frameDelayMs, nullptr, 10);
    if (value > 0 && value <= 60000) options.forcedFrameDelay = static_cast<int32_t>(value);
  }
  return options;
}

}  // namespace marvolet
