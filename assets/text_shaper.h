// The user's words as glyphs of a GlyphAtlas: each character from the built-in glyphs when they
// have it, else from the embedded face the built-in glyphs were made from, else from a system
// font chosen by coverage; text shaped with HarfBuzz run by run and laid out in reading order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assets/bitmap_font.h"
#include "assets/glyph_atlas.h"
#include "platform/system_fonts.h"

namespace marvolet {

// Where the shaper looks after its own faces: font files for the characters, best first.
using FontLookup = std::function<std::vector<platform::FontFile>(const std::u32string&)>;

// Text shaped for drawing, one element per glyph in each vector, glyphs left to right.
struct ShapedText {
  GlyphText glyphs;                  // entries of the atlas's table
  std::vector<uint32_t> clusters;    // index of the first character the glyph stands for
  std::vector<uint32_t> faceGlyphs;  // the glyph's number in its face; the character itself for
                                     // a built-in glyph, 0 for the box
  std::vector<int32_t> faces;        // ShapedText::BuiltIn, ShapedText::Box or a face number
  size_t boxes = 0;                  // characters no font has, each drawn as one box
  bool rightToLeft = false;          // the text's own direction, from its first strong character

  static constexpr int32_t BuiltIn = -1;
  static constexpr int32_t Box = -2;
};

class TextShaper {
 public:
  // Glyph pictures drawn at this many atlas pixels to the em: TeX Gyre Termes' capitals then
  // stand as tall as the built-in ones.
  static constexpr int32_t EmPixels = 118;

  // Adds what it shapes to `atlas`, which must outlive the shaper. `lookup` finds system fonts
  // (platform::systemFontsFor unless a test gives its own); it is asked at most once per text.
  explicit TextShaper(GlyphAtlas& atlas, FontLookup lookup = platform::systemFontsFor);
  ~TextShaper();
  TextShaper(const TextShaper&) = delete;
  TextShaper& operator=(const TextShaper&) = delete;

  // One paragraph of UTF-8 (ill-formed sequences read as U+FFFD) or UTF-32 (code points past
  // U+10FFFF and surrogates read as U+FFFD). Control characters draw as boxes: the readers have
  // removed them from the user's words.
  ShapedText shape(const std::string& utf8);
  ShapedText shape(const std::u32string& text);

  // The file (or "embedded") a face number of ShapedText::faces came from.
  std::string faceName(int32_t face) const;

 private:
  struct Faces;
  GlyphAtlas& atlas_;
  FontLookup lookup_;
  std::unique_ptr<Faces> faces_;
};

}  // namespace marvolet
