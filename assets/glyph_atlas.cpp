// Growing the glyph table and packing the run-time glyphs' pictures below the built-in atlas.
#include "assets/glyph_atlas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "assets/missing_glyph.h"

namespace marvolet {

namespace {
// Clear texels around each picture, so that neighbours do not bleed into one another's quads
// in the first mipmap levels.
constexpr int32_t Gap = 2;
}  // namespace

GlyphAtlas::GlyphAtlas(const BitmapFont& base, int32_t baseWidth, int32_t baseHeight)
    : glyphs_(base.glyphs, base.glyphs + base.glyphCount),
      font_(base),
      baseCount_(base.glyphCount),
      baseWidth_(baseWidth),
      baseHeight_(baseHeight),
      width_(baseWidth),
      height_(baseHeight) {
  font_.glyphs = glyphs_.data();
}

int32_t GlyphAtlas::addPicture(const unsigned char* pixels, int32_t width, int32_t height,
                               int32_t pitch) {
  if (pixels == nullptr || width <= 0 || height <= 0 || width > MaxSide || height > MaxSide) {
    return -1;
  }
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(&picture.pixels[static_cast<size_t>(y) * width],
                pixels + static_cast<ptrdiff_t>(y) * pitch, static_cast<size_t>(width));
  }
  pictures_.push_back(std::move(picture));
  return static_cast<int32_t>(pictures_.size()) - 1;
}

uint32_t GlyphAtlas::addGlyph(int32_t picture, int32_t xOffset, int32_t yOffset, int32_t advance) {
  if (picture < 0 || picture >= pictureCount()) picture = -1;
  const auto key = std::make_tuple(picture, xOffset, yOffset, advance);
  const auto found = entries_.find(key);
  if (found != entries_.end()) return found->second;
  Glyph glyph{};
  glyph.code = -1;
  glyph.xOffset = xOffset;
  glyph.yOffset = yOffset;
  glyph.advance = advance;
  if (picture >= 0) {
    glyph.texelShift = 1;
    glyph.width = pictures_[picture].width << 1;
    glyph.height = pictures_[picture].height << 1;
  }
  glyphs_.push_back(glyph);
  entryPicture_.push_back(picture);
  font_.glyphs = glyphs_.data();
  font_.glyphCount = static_cast<int32_t>(glyphs_.size());
  const uint32_t index = static_cast<uint32_t>(glyphs_.size() - 1);
  entries_.emplace(key, index);
  return index;
}

uint32_t GlyphAtlas::box() {
  if (box_ >= 0) return static_cast<uint32_t>(box_);
  BitmapFont base = font_;
  base.glyphCount = baseCount_;
  Glyph placed{};
  if (placeBox(base, baseWidth_, baseHeight_, &placed)) {
    glyphs_.push_back(placed);
    entryPicture_.push_back(-1);
    boxInBase_ = true;
  } else {
    // No room in the built-in picture: the box becomes a picture of its own, at half size.
    placed = Glyph{0x7f, 0, 0, 48, 78, 8, 78, 64, 1};
    std::vector<unsigned char> pixels(static_cast<size_t>(24 * 39));
    paintBox(placed, pixels.data(), 24, 39);
    const int32_t picture = addPicture(pixels.data(), 24, 39, 24);
    glyphs_.push_back(placed);
    entryPicture_.push_back(picture);
  }
  font_.glyphs = glyphs_.data();
  font_.glyphCount = static_cast<int32_t>(glyphs_.size());
  box_ = static_cast<int64_t>(glyphs_.size() - 1);
  return static_cast<uint32_t>(box_);
}

bool GlyphAtlas::packAt(int32_t width, bool partial) {
  // Tallest first, in shelves, as text atlases are usually packed: glyphs of a script are of
  // much the same height, so little is lost.
  std::vector<int32_t> order(pictures_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return pictures_[a].height > pictures_[b].height; });
  int32_t x = Gap, y = baseHeight_ + Gap, shelf = 0;
  bool all = true;
  for (int32_t i : order) {
    Picture& p = pictures_[i];
    if (x + p.width + Gap > width) {
      x = Gap;
      y += shelf + Gap;
      shelf = 0;
    }
    if (p.width + 2 * Gap > width || y + p.height + Gap > MaxSide) {
      if (!partial) return false;
      p.x = p.y = -1;
      all = false;
      continue;
    }
    p.x = x;
    p.y = y;
    x += p.width + Gap;
    shelf = std::max(shelf, p.height);
  }
  width_ = width;
  height_ = std::max(baseHeight_, powerOfTwoAtLeast(y + shelf + Gap));
  if (height_ > MaxSide) height_ = MaxSide;
  return all;
}

bool GlyphAtlas::pack() {
  bool all = true;
  if (!pictures_.empty()) {
    bool packed = false;
    for (int32_t w = std::max(baseWidth_, 256); w <= MaxSide && !packed; w *= 2) {
      packed = packAt(w, false);
    }
    if (!packed) all = packAt(MaxSide, true);
  }
  const int32_t boxIndex = box_ >= 0 ? static_cast<int32_t>(box_) : -1;
  for (size_t k = 0; k < entryPicture_.size(); ++k) {
    const int32_t picture = entryPicture_[k];
    if (picture < 0) continue;
    Glyph& glyph = glyphs_[static_cast<size_t>(baseCount_) + k];
    const Picture& p = pictures_[picture];
    if (p.x >= 0) {
      glyph.atlasX = p.x;
      glyph.atlasY = p.y;
    } else if (boxIndex >= 0 && static_cast<int32_t>(baseCount_ + k) != boxIndex) {
      // Keep the pen's advance, so that the ring's spacing stays as shaped.
      const int32_t advance = glyph.advance;
      glyph = glyphs_[boxIndex];
      glyph.advance = advance;
    } else {
      glyph.width = glyph.height = 0;
    }
  }
  font_.glyphs = glyphs_.data();
  font_.glyphCount = static_cast<int32_t>(glyphs_.size());
  return all;
}

bool GlyphAtlas::paint(Texture& atlas) const {
  if (atlas.pixels == nullptr || atlas.bitsPerPixel != 8 ||
      atlas.width != static_cast<uint32_t>(baseWidth_) ||
      atlas.height != static_cast<uint32_t>(baseHeight_)) {
    return false;
  }
  unsigned char* pixels = atlas.pixels;
  const size_t w = static_cast<size_t>(width_);
  if (width_ != baseWidth_ || height_ != baseHeight_) {
    pixels = static_cast<unsigned char*>(std::calloc(w * static_cast<size_t>(height_), 1));
    if (pixels == nullptr) return false;
    for (int32_t y = 0; y < baseHeight_; ++y) {
      std::memcpy(pixels + static_cast<size_t>(y) * w,
                  atlas.pixels + static_cast<size_t>(y) * static_cast<size_t>(baseWidth_),
                  static_cast<size_t>(baseWidth_));
    }
  }
  if (box_ >= 0 && boxInBase_) {
    paintBox(glyphs_[static_cast<size_t>(box_)], pixels, static_cast<uint32_t>(width_),
             static_cast<uint32_t>(height_));
  }
  for (const Picture& p : pictures_) {
    if (p.x < 0) continue;
    for (int32_t y = 0; y < p.height; ++y) {
      std::memcpy(pixels + static_cast<size_t>(p.y + y) * w + static_cast<size_t>(p.x),
                  &p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width)],
                  static_cast<size_t>(p.width));
    }
  }
  if (pixels != atlas.pixels) {
    std::free(atlas.pixels);
    atlas.pixels = pixels;
    atlas.width = static_cast<uint32_t>(width_);
    atlas.height = static_cast<uint32_t>(height_);
  }
  return true;
}

void GlyphAtlas::releasePictures() {
  for (Picture& p : pictures_) std::vector<unsigned char>().swap(p.pixels);
}

}  // namespace marvolet
