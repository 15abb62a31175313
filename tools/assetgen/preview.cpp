// Sets sample text with the generated table and the decoded atlas, at the sizes the saver uses.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "assets/bitmap_font.h"
#include "gray_image.h"
#include "image_files.h"

namespace {

using assetgen::GrayImage;

// Characters outside the font are set as a space.
const marvolet::Glyph& glyphOf(char c) {
  const int index = c >= 32 && c < 127 ? c - 32 : 0;
  return marvolet::MainFontGlyphs[index];
}

int lineWidth(const std::string& text) {
  int width = 0;
  for (char c : text) width += glyphOf(c).advance;
  return width;
}

// One line at atlas scale, pen starting `margin` from the left, baseline 100 rows down.
GrayImage setLine(const GrayImage& atlas, const std::string& text) {
  constexpr int kMargin = 16;
  constexpr int kBaseline = 100;
  GrayImage line(lineWidth(text) + 2 * kMargin, 144);
  int pen = kMargin;
  for (char c : text) {
    const marvolet::Glyph& g = glyphOf(c);
    GrayImage cell(g.width, g.height);
    for (int y = 0; y < g.height; ++y) {
      for (int x = 0; x < g.width; ++x) cell.at(x, y) = atlas.at(g.atlasX + x, g.atlasY + y);
    }
    assetgen::stampMax(line, cell, pen + g.xOffset, kBaseline - g.yOffset);
    pen += g.advance;
  }
  return line;
}

GrayImage shrink(GrayImage image, int halvings) {
  for (int i = 0; i < halvings; ++i) image = assetgen::halve(image);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: %s ATLAS.jpg OUTPUT.png [TEXT HALVINGS]\n", argv[0]);
    return 2;
  }
  try {
    const GrayImage atlas = assetgen::decodeGrayJpeg(assetgen::readFile(argv[1]));
    if (argc == 5) {
      assetgen::writeGrayPng(argv[2], shrink(setLine(atlas, argv[3]), std::atoi(argv[4])));
      return 0;
    }
    std::string all;
    for (int c = 33; c < 127; ++c) all += static_cast<char>(c);
    const std::string verse = "Verily, verily, I say unto thee, We speak that we do know";
    struct Row {
      std::string text;
      int halvings;
    };
    const std::vector<Row> rows = {{verse, 1},     {"ZANDREL", 1},         {verse, 2},
                                   {"ZANDREL", 2}, {all.substr(0, 47), 2}, {all.substr(47), 2},
                                   {verse, 3}};
    std::vector<GrayImage> pieces;
    int width = 0;
    int height = 0;
    for (const Row& row : rows) {
      pieces.push_back(shrink(setLine(atlas, row.text), row.halvings));
      width = std::max(width, pieces.back().width);
      height += pieces.back().height;
    }
    GrayImage sheet(width, height);
    int y = 0;
    for (const GrayImage& piece : pieces) {
      assetgen::stampMax(sheet, piece, 0, y);
      y += piece.height;
    }
    assetgen::writeGrayPng(argv[2], sheet);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetpreview: %s\n", e.what());
    return 1;
  }
  return 0;
}
