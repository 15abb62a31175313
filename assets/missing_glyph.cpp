// The box glyph's place in the atlas and its pixels.
#include "assets/missing_glyph.h"

#include <cstddef>

namespace marvolet {

namespace {
// Clear pixels kept between the box and any glyph, so that neither bleeds into the other's
// quad in the larger mipmap levels.
constexpr int32_t Margin = 6;
constexpr int32_t Stroke = 5;  // the outline's width, atlas pixels

bool overlaps(const Glyph& g, int32_t x, int32_t y, int32_t w, int32_t h) {
  return x < g.atlasX + g.width + Margin && g.atlasX < x + w + Margin &&
         y < g.atlasY + g.height + Margin && g.atlasY < y + h + Margin;
}
}  // namespace

bool placeBox(const BitmapFont& base, int32_t atlasWidth, int32_t atlasHeight, Glyph* box) {
  // A capital's height and a little over half of it wide, sitting on the baseline.
  const Glyph* capital = base.glyphFor('H');
  const int32_t height = capital != nullptr ? capital->height : 64;
  const int32_t width = height * 5 / 8;
  for (int32_t y = atlasHeight - height - Margin; y >= Margin; y -= 4) {
    for (int32_t x = atlasWidth - width - Margin; x >= Margin; x -= 4) {
      bool free = true;
      for (int32_t k = 0; k < base.glyphCount && free; ++k) {
        free = !overlaps(base.glyphs[k], x, y, width, height);
      }
      if (!free) continue;
      const int32_t side = width / 6;
      *box = Glyph{0x7f, x, y, width, height, side, height, width + 2 * side};
      return true;
    }
  }
  return false;
}

void paintBox(const Glyph& b, unsigned char* pixels, uint32_t width, uint32_t height) {
  if (pixels == nullptr) return;
  const int32_t w = b.width >> b.texelShift;
  const int32_t h = b.height >> b.texelShift;
  const int32_t stroke = Stroke >> b.texelShift;
  for (int32_t y = b.atlasY; y < b.atlasY + h; ++y) {
    for (int32_t x = b.atlasX; x < b.atlasX + w; ++x) {
      if (x < 0 || y < 0 || static_cast<uint32_t>(x) >= width ||
          static_cast<uint32_t>(y) >= height) {
        continue;
      }
      const bool edge = x < b.atlasX + stroke || x >= b.atlasX + w - stroke ||
                        y < b.atlasY + stroke || y >= b.atlasY + h - stroke;
      pixels[static_cast<size_t>(y) * width + static_cast<size_t>(x)] = edge ? 255 : 0;
    }
  }
}

}  // namespace marvolet
