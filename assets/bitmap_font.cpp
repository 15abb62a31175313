// The main font's lookups and measures, and the text style's setters.
#include "assets/bitmap_font.h"

namespace marvolet {

const BitmapFont MainFont = {MainFontGlyphCount, 32, 106, 18, 29, 0, MainFontGlyphs};

const Glyph* BitmapFont::glyphFor(char c) const {
  // Taken as signed, as the verse rings do: bytes above 127 are negative and fall outside.
  const int index = static_cast<signed char>(c) - firstChar;
  if (index < 0 || index >= glyphCount) return nullptr;
  return &glyphs[index];
}

int32_t BitmapFont::measureLine(const char* text) const {
  if (text == nullptr) return 0;
  int32_t width = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == ' ') {
      width += spaceAdvance;
    } else if (const Glyph* glyph = glyphFor(*p)) {
      width += glyph->advance;
    }
  }
  return width;
}

int32_t BitmapFont::measureGlyphs(const uint32_t* entries, size_t count) const {
  int32_t width = 0;
  for (size_t i = 0; i < count; ++i) {
    if (glyphAt(entries[i]) != nullptr) width += lineAdvance(entries[i]);
  }
  return width;
}

GlyphText asciiGlyphs(const char* text, const BitmapFont& font) {
  GlyphText glyphs;
  if (text == nullptr) return glyphs;
  for (const char* p = text; *p != '\0'; ++p) {
    if (font.glyphFor(*p) != nullptr) {
      glyphs.push_back(static_cast<uint32_t>(static_cast<signed char>(*p) - font.firstChar));
    }
  }
  return glyphs;
}

void TextStyle::setScale(float newScale) {
  if (newScale == 0.0f) {
    scale = static_cast<float>(font->displaySize) / static_cast<float>(font->atlasSize);
  } else {
    scale = newScale;
  }
}

void TextStyle::setColor(float r, float g, float b, float a) {
  bottomColor[0] = topColor[0] = r;
  bottomColor[1] = topColor[1] = g;
  bottomColor[2] = topColor[2] = b;
  bottomColor[3] = topColor[3] = a;
}

GlyphTexCoords glyphTexCoords(const Glyph& glyph, float atlasWidth, float atlasHeight) {
  if (atlasWidth <= 0.0f || atlasHeight <= 0.0f) return {0.0f, 0.0f, 0.0f, 0.0f};
  GlyphTexCoords t;
  t.s0 = static_cast<float>(glyph.atlasX) / atlasWidth;
  t.t0 = static_cast<float>(glyph.atlasY) / atlasHeight;
  t.s1 = t.s0 + static_cast<float>(glyph.width >> glyph.texelShift) / atlasWidth;
  t.t1 = t.t0 + static_cast<float>(glyph.height >> glyph.texelShift) / atlasHeight;
  return t;
}

}  // namespace marvolet
