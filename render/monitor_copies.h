// Shows the primary monitor's finished picture on the other monitors of a window that spans
// them all, scaled with OpenGL 1.1 pixel copies (or keeps them black); and the window
// rectangles that takes.
#pragma once

#include <cstdint>
#include <vector>

namespace marvolet {

// A rectangle in pixels, origin top-left, y down.
struct PixelRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

bool operator==(const PixelRect& a, const PixelRect& b);
bool operator!=(const PixelRect& a, const PixelRect& b);

// `rect` (window pixels, origin top-left) as glViewport takes it: origin bottom-left.
PixelRect bottomUp(const PixelRect& rect, int32_t windowHeight);

// A monitor other than the primary that shows a scaled copy of the primary's picture.
struct MonitorCopy {
  PixelRect monitor;  // the whole monitor, window pixels (origin top-left)
  PixelRect picture;  // the copy: the primary's aspect, centred, black bars around it
};

// Needs the window's GL context current, the frame finished in the back buffer and not yet
// presented. `primary` is where the renderer drew, `copies` where its picture goes, all in
// window pixels of a window `windowWidth` × `windowHeight`. Blackens each copy's monitor and
// copies the primary's picture into its `picture` rectangle. Every GL state it touches is
// restored, so the next frame is drawn as if it had not run. Does nothing without copies.
void copyToOtherMonitors(int32_t windowWidth, int32_t windowHeight, const PixelRect& primary,
                         const std::vector<MonitorCopy>& copies);

// Instead of copies: blackens each copy's whole monitor, every frame (trails never clear, and
// the burn-in guard may push the primary's picture over an edge), leaving the primary as drawn.
// Same context and state promises as copyToOtherMonitors.
void blackenOtherMonitors(int32_t windowHeight, const std::vector<MonitorCopy>& copies);

}  // namespace marvolet
