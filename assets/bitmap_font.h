// The bitmap font cut from the atlas image, and the style text lines are drawn in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace marvolet {

// One glyph of the atlas; every value is in atlas pixels.
struct Glyph {
  int32_t code;     // character code, firstChar + index
  int32_t atlasX;   // left edge of the rectangle, from the atlas's left edge
  int32_t atlasY;   // top edge of the rectangle, from the atlas's top row
  int32_t width;    // rectangle width
  int32_t height;   // rectangle height
  int32_t xOffset;  // pen position to the rectangle's left edge (may be negative)
  int32_t yOffset;  // height of the rectangle's top edge above the baseline
  int32_t advance;  // distance the pen moves after the glyph
  // The rectangle holds the glyph at 1 / 2^texelShift of its size: width >> texelShift texels
  // across. Glyphs made at run time are kept at half size, so that a passage of thousands of
  // characters fits a modest texture; the built-in ones are whole.
  int32_t texelShift = 0;
};

struct BitmapFont {
  int32_t glyphCount;
  int32_t firstChar;
  int32_t atlasSize;  // only displaySize / atlasSize is used: the default text scale
  int32_t displaySize;
  int32_t spaceAdvance;  // pen advance of a space
  int32_t textureSlot;   // index of the atlas in the scene's texture array
  const Glyph* glyphs;

  // The glyph of `c`, or null for a character outside the font (the space has a glyph).
  const Glyph* glyphFor(char c) const;
  // Entry `index` of the glyph table, or null past its end.
  const Glyph* glyphAt(uint32_t index) const {
    return index < static_cast<uint32_t>(glyphCount) ? &glyphs[index] : nullptr;
  }
  // Width of `text` in atlas pixels, before scaling. Characters outside the font count 0; null
  // counts as empty.
  int32_t measureLine(const char* text) const;
  // How far a text line's pen moves over entry `index` (which must be in the table): the
  // space's entry moves it by spaceAdvance, every other entry by its glyph's advance.
  int32_t lineAdvance(uint32_t index) const {
    return index == static_cast<uint32_t>(' ' - firstChar) ? spaceAdvance : glyphs[index].advance;
  }
  // Width of `count` glyph-table entries in atlas pixels, as a text line draws them; entries past
  // the table count 0.
  int32_t measureGlyphs(const uint32_t* entries, size_t count) const;
};

// Text as the rings and lines draw it: indices into a font's glyph table, in the order the
// glyphs lie from left to right. A glyph with an empty rectangle (the space) only moves the pen.
using GlyphText = std::vector<uint32_t>;

// The glyph-table entries of plain text in `font`, whose entry for a character c is
// c - firstChar; characters the font lacks are left out.
GlyphText asciiGlyphs(const char* text, const BitmapFont& font);

constexpr int MainFontGlyphCount = 95;
extern const Glyph MainFontGlyphs[MainFontGlyphCount];  // codes 32 to 126, generated
extern const BitmapFont MainFont;

// The font, scale and colours text lines are drawn with. The scene keeps one and changes it
// between lines; what a line leaves set stays for the next one.
struct TextStyle {
  static constexpr float StartScale = 0.0034f;

  const BitmapFont* font = &MainFont;
  float scale = StartScale;                         // atlas pixels to model-view units
  float bottomColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // RGBA of the two bottom corners of a glyph
  float topColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};     // RGBA of the two top corners

  // scale 0 selects the font's own displaySize / atlasSize.
  void setScale(float newScale);
  void setColor(float r, float g, float b, float a);
};

// Where a glyph's rectangle lies in an atlas of atlasWidth x atlasHeight pixels, as texture
// coordinates: s0/t0 the rectangle's left/top edge, s1/t1 its right/bottom edge. An atlas without
// a size (never decoded) gives all zeros, which texture 0 ignores.
struct GlyphTexCoords {
  float s0, t0, s1, t1;
};
// The rectangle spans width >> texelShift texels across and height >> texelShift down.
GlyphTexCoords glyphTexCoords(const Glyph& glyph, float atlasWidth, float atlasHeight);

}  // namespace marvolet
