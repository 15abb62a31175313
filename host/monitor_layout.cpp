// The monitor layout rule: one window over every monitor, the primary's picture unscaled.
#include "host/monitor_layout.h"

#include <algorithm>

namespace marvolet {
namespace {

bool overlaps(const PixelRect& a, const PixelRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// The largest rectangle of `source`'s aspect inside `target`, centred. 64-bit products: virtual
// screens of tens of thousands of pixels would overflow 32 bits.
PixelRect fitCentred(const PixelRect& source, const PixelRect& target) {
  const int64_t sw = source.width, sh = source.height;
  const int64_t tw = target.width, th = target.height;
  PixelRect fitted;
  if (tw * sh <= th * sw) {
    fitted.width = target.width;
    fitted.height = static_cast<int32_t>((tw * sh + sw / 2) / sw);
  } else {
    fitted.height = target.height;
    fitted.width = static_cast<int32_t>((th * sw + sh / 2) / sh);
  }
  fitted.width = std::max<int32_t>(1, std::min(fitted.width, target.width));
  fitted.height = std::max<int32_t>(1, std::min(fitted.height, target.height));
  fitted.x = target.x + (target.width - fitted.width) / 2;
  fitted.y = target.y + (target.height - fitted.height) / 2;
  return fitted;
}

PixelRect relativeTo(const PixelRect& rect, const PixelRect& origin) {
  return {rect.x - origin.x, rect.y - origin.y, rect.width, rect.height};
}

}  // namespace

SaverLayout layoutMonitors(const std::vector<Monitor>& monitors, const PixelRect& fallback) {
  std::vector<Monitor> usable;
  for (const Monitor& m : monitors) {
    if (m.rect.width > 0 && m.rect.height > 0) usable.push_back(m);
  }
  SaverLayout layout;
  if (usable.empty()) {
    layout.window = fallback;
    layout.primary = {0, 0, fallback.width, fallback.height};
    return layout;
  }
  // The primary first, the others after it in their own order.
  const auto marked =
      std::find_if(usable.begin(), usable.end(), [](const Monitor& m) { return m.primary; });
  if (marked != usable.end()) std::rotate(usable.begin(), marked, marked + 1);

  int64_t left = usable[0].rect.x, top = usable[0].rect.y;
  int64_t right = left + usable[0].rect.width, bottom = top + usable[0].rect.height;
  for (const Monitor& m : usable) {
    left = std::min<int64_t>(left, m.rect.x);
    top = std::min<int64_t>(top, m.rect.y);
    right = std::max<int64_t>(right, int64_t{m.rect.x} + m.rect.width);
    bottom = std::max<int64_t>(bottom, int64_t{m.rect.y} + m.rect.height);
  }
  layout.window = {static_cast<int32_t>(left), static_cast<int32_t>(top),
                   static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};

  const PixelRect& primary = usable[0].rect;
  layout.primary = relativeTo(primary, layout.window);
  std::vector<PixelRect> shown = {primary};
  for (size_t i = 1; i < usable.size(); ++i) {
    const PixelRect& rect = usable[i].rect;
    if (std::any_of(shown.begin(), shown.end(),
                    [&](const PixelRect& other) { return overlaps(rect, other); })) {
      continue;
    }
    shown.push_back(rect);
    layout.copies.push_back(
        {relativeTo(rect, layout.window), relativeTo(fitCentred(primary, rect), layout.window)});
  }
  return layout;
}

SaverLayout fullScreenLayout(const std::vector<Monitor>& monitors, const PixelRect& screen) {
  SaverLayout layout = layoutMonitors(monitors, screen);
  if (layout.copies.empty()) layout = layoutMonitors({}, screen);
  return layout;
}

bool operator==(const SaverLayout& a, const SaverLayout& b) {
  return a.window == b.window && a.primary == b.primary &&
         std::equal(a.copies.begin(), a.copies.end(), b.copies.begin(), b.copies.end(),
                    [](const MonitorCopy& x, const MonitorCopy& y) {
                      return x.monitor == y.monitor && x.picture == y.picture;
                    });
}

bool operator!=(const SaverLayout& a, const SaverLayout& b) {
  return !(a == b);
}

}  // namespace marvolet
