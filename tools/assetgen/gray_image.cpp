// Small operations on one-channel pictures used by the previews.
#include "gray_image.h"

#include <algorithm>

namespace assetgen {

GrayImage halve(const GrayImage& image) {
  GrayImage out(std::max(1, image.width / 2), std::max(1, image.height / 2));
  for (int y = 0; y < out.height; ++y) {
    const int y0 = std::min(2 * y, image.height - 1);
    const int y1 = std::min(2 * y + 1, image.height - 1);
    for (int x = 0; x < out.width; ++x) {
      const int x0 = std::min(2 * x, image.width - 1);
      const int x1 = std::min(2 * x + 1, image.width - 1);
      const int sum = image.at(x0, y0) + image.at(x1, y0) + image.at(x0, y1) + image.at(x1, y1);
      out.at(x, y) = static_cast<uint8_t>((sum + 2) / 4);
    }
  }
  return out;
}

void stampMax(GrayImage& target, const GrayImage& source, int x, int y) {
  for (int sy = 0; sy < source.height; ++sy) {
    const int ty = y + sy;
    if (ty < 0 || ty >= target.height) continue;
    for (int sx = 0; sx < source.width; ++sx) {
      const int tx = x + sx;
      if (tx < 0 || tx >= target.width) continue;
      target.at(tx, ty) = std::max(target.at(tx, ty), source.at(sx, sy));
    }
  }
}

}  // namespace assetgen
