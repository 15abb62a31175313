// Builds the font atlas picture and its glyph table from an outline font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gray_image.h"

namespace assetgen {

// Same fields and meaning as marvolet::Glyph; kept separate so the generator builds on its own.
struct AtlasGlyph {
  int32_t code, atlasX, atlasY, width, height, xOffset, yOffset, advance;
};

constexpr int kAtlasWidth = 1024;
constexpr int kAtlasHeight = 512;
constexpr int kFirstCode = 32;
constexpr int kGlyphCount = 95;
constexpr int kGlyphGap = 2;  // empty pixels between rectangles, across and down

// How each free glyph was bent to fit the fixed layout, for the generator's report.
struct GlyphAdjustment {
  int code;
  double xScale;  // horizontal scale relative to the font's common condensing
  int padRight;   // blank columns added to the rectangle
  int padBottom;  // blank rows added to the rectangle
};

struct FontAtlas {
  GrayImage image;
  std::vector<AtlasGlyph> glyphs;  // codes 32..126 in order
  std::vector<GlyphAdjustment> adjustments;
};

// Lays out and renders every glyph. Throws if the font cannot meet the fixed entries and the
// row structure the saver's table has always had.
FontAtlas buildFontAtlas(const std::string& fontPath);

// Positions every rectangle by the packing rule: code order, left to right, kGlyphGap apart,
// the first at (1, 1), a new row kGlyphGap below the previous row's tallest rectangle whenever the
// next one would pass the right edge. Only width and height of `glyphs` are read.
std::vector<AtlasGlyph> packRectangles(std::vector<AtlasGlyph> glyphs);

// The entries that every version of the table must reproduce exactly.
const std::vector<AtlasGlyph>& fixedGlyphs();

// The C++ source of the table, for assets/main_font_glyphs.cpp.
std::string glyphTableSource(const std::vector<AtlasGlyph>& glyphs);

// Brightest pixel lying outside every rectangle: what filtering can bleed into a glyph.
int brightestOutsideRectangles(const GrayImage& atlas, const std::vector<AtlasGlyph>& glyphs);

}  // namespace assetgen
