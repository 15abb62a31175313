// One-channel 8-bit pictures, the only kind the generator produces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // rows top first, no padding

  GrayImage() = default;
  GrayImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}

  uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Halves both sides by averaging 2x2 blocks, the way a mipmap level is built; odd edges repeat.
GrayImage halve(const GrayImage& image);

// Copies `source` into `target` at (x, y), keeping the brighter value where they overlap, so
// overlapping glyph masks combine the way blended white-on-black text does.
void stampMax(GrayImage& target, const GrayImage& source, int x, int y);

}  // namespace assetgen
