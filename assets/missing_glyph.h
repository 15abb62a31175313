// A visible box for every character the bitmap font lacks: text is turned into the font's bytes
// with one stand-in byte per such character, and the box is painted into a free part of the
// atlas, so that a ring keeps its spacing instead of a hole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "assets/bitmap_font.h"
#include "assets/texture.h"

namespace marvolet {

// The byte standing for a character the font lacks, in text made by drawableText.
constexpr char MissingCharacter = '\x7f';

// UTF-8 `text` as the font's lines and rings take it: each character the font covers as its
// one byte, every other code point (and each byte of an ill-formed sequence) as one
// MissingCharacter. *missing (when not null) tells whether there was any.
std::string drawableText(const std::string& text, const BitmapFont& font, bool* missing);

// A copy of a font whose first code past its last is the box. Not copyable: the font points
// into its own glyph list.
class FontWithBox {
 public:
  // Null when the font does not end right before MissingCharacter, or when no free rectangle of
  // an atlas of atlasWidth x atlasHeight pixels holds the box (about a capital's size, a few
  // pixels clear of every glyph).
  static std::unique_ptr<FontWithBox> make(const BitmapFont& base, int32_t atlasWidth,
                                           int32_t atlasHeight);
  FontWithBox(const FontWithBox&) = delete;
  FontWithBox& operator=(const FontWithBox&) = delete;

  const BitmapFont& font() const { return font_; }
  const Glyph& box() const { return glyphs_.back(); }
  // Paints the box's outline into the decoded 8-bit atlas (before it is uploaded).
  void paint(Texture& atlas) const;

 private:
  FontWithBox() = default;
  std::vector<Glyph> glyphs_;
  BitmapFont font_{};
};

}  // namespace marvolet
