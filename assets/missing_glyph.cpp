// Text in the font's bytes with stand-ins, and the box glyph's place and pixels.
#include "assets/missing_glyph.h"

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

std::string drawableText(const std::string& text, const BitmapFont& font, bool* missing) {
  std::string out;
  out.reserve(text.size());
  bool any = false;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = s[i++];
    if (c < 0x80 && font.glyphFor(static_cast<char>(c)) != nullptr) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    // One box per code point: a lead byte takes its continuation bytes along.
    if (c >= 0xC0) {
      while (i < text.size() && (s[i] & 0xC0) == 0x80) ++i;
    }
    out.push_back(MissingCharacter);
    any = true;
  }
  if (missing != nullptr) *missing = any;
  return out;
}

std::unique_ptr<FontWithBox> FontWithBox::make(const BitmapFont& base, int32_t atlasWidth,
                                               int32_t atlasHeight) {
  if (base.firstChar + base.glyphCount != static_cast<unsigned char>(MissingCharacter)) {
    return nullptr;
  }
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
      std::unique_ptr<FontWithBox> made(new FontWithBox);
      made->glyphs_.assign(base.glyphs, base.glyphs + base.glyphCount);
      const int32_t side = width / 6;
      made->glyphs_.push_back(Glyph{static_cast<unsigned char>(MissingCharacter), x, y, width,
                                    height, side, height, width + 2 * side});
      made->font_ = base;
      made->font_.glyphCount = base.glyphCount + 1;
      made->font_.glyphs = made->glyphs_.data();
      return made;
    }
  }
  return nullptr;
}

void FontWithBox::paint(Texture& atlas) const {
  if (atlas.pixels == nullptr || atlas.bitsPerPixel != 8) return;
  const Glyph& b = box();
  for (int32_t y = b.atlasY; y < b.atlasY + b.height; ++y) {
    for (int32_t x = b.atlasX; x < b.atlasX + b.width; ++x) {
      if (x < 0 || y < 0 || static_cast<uint32_t>(x) >= atlas.width ||
          static_cast<uint32_t>(y) >= atlas.height) {
        continue;
      }
      const bool edge = x < b.atlasX + Stroke || x >= b.atlasX + b.width - Stroke ||
                        y < b.atlasY + Stroke || y >= b.atlasY + b.height - Stroke;
      atlas.pixels[static_cast<size_t>(y) * atlas.width + static_cast<size_t>(x)] = edge ? 255 : 0;
    }
  }
}

}  // namespace marvolet
