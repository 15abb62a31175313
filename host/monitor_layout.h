// Where the full-screen saver window goes when several monitors are attached, and where the
// picture sits on each monitor inside it.
#pragma once

#include <cstdint>
#include <vector>

#include "render/monitor_copies.h"

namespace marvolet {

// One monitor as the platform reports it: virtual-screen pixels, origin at the primary
// monitor's top-left corner on Windows, at the X screen's on X11 (so x and y may be negative).
struct Monitor {
  PixelRect rect;
  bool primary = false;
};

struct SaverLayout {
  PixelRect window;   // virtual-screen pixels: the bounding box of every monitor
  PixelRect primary;  // window pixels: where the renderer draws, at the primary's own size
  std::vector<MonitorCopy> copies;
};

// Monitors without area are ignored. The primary is the first one marked, else the first one.
// A monitor that overlaps one already given a picture (the primary first, then the others in
// list order) shows what falls on it from that one and gets no copy: mirrored monitors show the
// same pixels, and nothing is ever drawn over the primary's picture. With no usable monitor,
// `fallback` alone is used.
SaverLayout layoutMonitors(const std::vector<Monitor>& monitors, const PixelRect& fallback);

// The full-screen saver's layout: layoutMonitors over `monitors`, except that one picture alone
// (one monitor, or mirrored ones) covers the whole `screen` (virtual-screen pixels) as it always
// did.
SaverLayout fullScreenLayout(const std::vector<Monitor>& monitors, const PixelRect& screen);

bool operator==(const SaverLayout& a, const SaverLayout& b);
bool operator!=(const SaverLayout& a, const SaverLayout& b);

}  // namespace marvolet
