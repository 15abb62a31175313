// Frames drawn on the GL configurations users have, for holding each to the common one: a fresh
// renderer per run, a hand-set clock and a fixed calendar, so two runs draw the same scene.
#pragma once

#include <cstdint>
#include <vector>

#include "frame_difference.h"
#include "headless_context.h"
#include "host/monitor_layout.h"
#include "scene/renderer.h"
#include "test_clock.h"

namespace marvolet::testing {

// Clock times frames are read at (ms): the start, a second in, the glyph backlog of a jump and
// a moment well into the first parameter segment.
constexpr uint32_t ConfigurationFrameTimes[] = {0, 1000, 3500, 9000};

// Calendar fixed for the test's life, so every renderer draws from the same seed.
class FixedCalendar {
 public:
  FixedCalendar();
  ~FixedCalendar();
  FixedCalendar(const FixedCalendar&) = delete;
  FixedCalendar& operator=(const FixedCalendar&) = delete;
};

struct RunResult {
  std::vector<Pixels> frames;  // one per ConfigurationFrameTimes entry, top row first
  bool onePassGlow = false;    // whether the renderer was ready to sum the glow in one pass
};

// A renderer of the current context's size on `path` from a black buffer, drawn at each time.
RunResult drawFrames(const tools::HeadlessContext& context, ScopedTestClock& clock, DrawPath path,
                     RenderFlags flags);

// The saver's picture for `layout` as the host's session draws it (the renderer on the primary,
// copies on the others) in the current context, which is the window's size; at each time, the
// primary's pixels only. The draw path is the session's own choice (the default).
std::vector<Pixels> drawPrimary(const tools::HeadlessContext& context, ScopedTestClock& clock,
                                const SaverLayout& layout, RenderFlags flags);

// The pixels of `rect` (window pixels, top-left origin) out of a frame `width` pixels wide.
Pixels cut(const Pixels& frame, int32_t width, const PixelRect& rect);

// Whether a frame shows a picture and not black: over 2% of its channels above 40.
bool showsAPicture(const Pixels& frame);

}  // namespace marvolet::testing
