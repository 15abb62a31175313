// The program icon: a 16-colour .ico with a 32 x 32 and a 16 x 16 image.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace assetgen {

struct PaletteColor {
  uint8_t red, green, blue;
};

// The standard VGA / Windows 16-colour palette, in palette index order.
const std::array<PaletteColor, 16>& vgaPalette();

// One icon image: palette indices and the transparency mask, rows top first.
struct IconImage {
  int size = 0;
  std::vector<uint8_t> indices;   // size * size
  std::vector<bool> transparent;  // size * size
};

// The emblem (a yellow star on a navy disc with a silver rim) at `size` pixels.
IconImage drawIconEmblem(int size);

// BMP-in-ICO: directory, then per image a BITMAPINFOHEADER with doubled height, the palette, the
// 4-bit colour rows and the 1-bit AND mask, both bottom-up and padded to 32 bits.
std::vector<unsigned char> encodeIcon(const std::vector<IconImage>& images);

}  // namespace assetgen
