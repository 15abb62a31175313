// The glyph table and atlas picture a scene draws its text with: the built-in font's glyphs and
// picture as they are, and below them the glyphs rasterised at start-up for every other
// character the user's words need.
#pragma once

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "assets/bitmap_font.h"
#include "assets/texture.h"

namespace marvolet {

class GlyphAtlas {
 public:
  // Largest side the atlas grows to, pixels: a texture every GL of the last twenty years holds
  // (GLU scales a larger one down on one that does not). Pictures that do not fit draw the box.
  static constexpr int32_t MaxSide = 4096;

  // `base`: the built-in font, whose atlas picture is baseWidth x baseHeight pixels. Its table
  // is copied: entry c - firstChar still draws character c.
  GlyphAtlas(const BitmapFont& base, int32_t baseWidth, int32_t baseHeight);
  GlyphAtlas(const GlyphAtlas&) = delete;
  GlyphAtlas& operator=(const GlyphAtlas&) = delete;

  // A glyph's coverage picture at half its drawn size: width x height bytes, rows `pitch` bytes
  // apart. Returns its number for addGlyph; -1 for an empty picture.
  int32_t addPicture(const unsigned char* pixels, int32_t width, int32_t height, int32_t pitch);
  // A table entry drawing picture `picture` (-1: none, the entry only moves the pen) with its
  // top-left corner xOffset right of and yOffset above the pen, and the pen's advance, all in
  // atlas pixels at the drawn size. The same arguments give the same entry.
  uint32_t addGlyph(int32_t picture, int32_t xOffset, int32_t yOffset, int32_t advance);
  // The entry of the box drawn for a character no font has.
  uint32_t box();
  // Whether anything asked for the box.
  bool hasBox() const { return box_ >= 0; }

  // Places every picture below the built-in one, growing the atlas by powers of two up to
  // MaxSide a side. False when some did not fit: their entries then draw the box. After it,
  // font(), width() and height() are final.
  bool pack();

  // The table; its glyphs pointer stays valid until the next addGlyph or box.
  const BitmapFont& font() const { return font_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int32_t pictureCount() const { return static_cast<int32_t>(pictures_.size()); }

  // Makes the decoded built-in picture (8 bits, baseWidth x baseHeight) into the whole atlas,
  // width() x height(), in place. False, the texture untouched, when it is not that picture or
  // there is no memory.
  bool paint(Texture& atlas) const;
  // Frees the pictures once painted; the table stays as it is.
  void releasePictures();

 private:
  struct Picture {
    std::vector<unsigned char> pixels;  // width x height, packed
    int32_t width, height;
    int32_t x = -1, y = -1;  // place in the atlas once packed; -1 when it did not fit
  };
  bool packAt(int32_t width, bool partial);

  std::vector<Glyph> glyphs_;
  std::vector<int32_t> entryPicture_;  // per entry past the built-in ones, its picture or -1
  std::vector<Picture> pictures_;
  std::map<std::tuple<int32_t, int32_t, int32_t, int32_t>, uint32_t> entries_;
  BitmapFont font_;
  int32_t baseCount_;
  int32_t baseWidth_, baseHeight_;
  int32_t width_, height_;
  int64_t box_ = -1;
  bool boxInBase_ = false;
};

}  // namespace marvolet
