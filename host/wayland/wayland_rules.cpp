// The Wayland host's connection-free decisions.
#include "host/wayland/wayland_rules.h"

#include "host/monitor_layout.h"

namespace marvolet {

PixelRect copyPlacement(int32_t pictureWidth, int32_t pictureHeight, int32_t outputWidth,
                        int32_t outputHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) return {};
  // The output as a second monitor beside the primary, so the fit is the monitor layout's own.
  const SaverLayout layout = layoutMonitors({{{0, 0, pictureWidth, pictureHeight}, true},
                                             {{pictureWidth, 0, outputWidth, outputHeight}, false}},
                                            {});
  if (layout.copies.empty()) return {};
  const MonitorCopy& copy = layout.copies[0];
  const PixelRect inOutput = {copy.picture.x - copy.monitor.x, copy.picture.y - copy.monitor.y,
                              copy.picture.width, copy.picture.height};
  return bottomUp(inOutput, outputHeight);
}

uint32_t xButtonForInputCode(uint32_t code) {
  constexpr uint32_t kLeft = 0x110, kRight = 0x111, kMiddle = 0x112, kLastMouse = 0x117;
  if (code == kLeft) return 1;
  if (code == kMiddle) return 2;
  if (code == kRight) return 3;
  // Side, extra, forward, back and task: X numbers them after the wheel's 4 to 7.
  if (code > kMiddle && code <= kLastMouse) return 8 + (code - kMiddle - 1);
  return 0;
}

}  // namespace marvolet
