// The bitmap font cut from the atlas image, and drawing of single text lines with it.
#pragma once

#include <cstdint>

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
};

struct BitmapFont {
  int32_t glyphCount;
  int32_t firstChar;
  int32_t atlasSize;  // only displaySize / atlasSize is used: the default text scale
  int32_t displaySize;
  int32_t spaceAdvance;  // pen advance of a space
  int32_t textureSlot;   // index of the atlas in the scene's texture array
  const Glyph* glyphs;
};

constexpr int MainFontGlyphCount = 95;
extern const Glyph MainFontGlyphs[MainFontGlyphCount];  // codes 32 to 126, generated
extern const BitmapFont MainFont;

// Process-wide text state: the font, scale and colours every text line is drawn with.
extern const BitmapFont* currentFont;
extern float textScale;       // atlas pixels to model-view units
extern float bottomColor[4];  // RGBA of the two bottom corners of every glyph quad
extern float topColor[4];     // RGBA of the two top corners
void resetTextState();        // back to the start-up values

// The glyph of `c`, or null for a character outside the font (the space has a glyph).
const Glyph* glyphFor(char c);

// Where a glyph's rectangle lies in an atlas of atlasWidth x atlasHeight pixels, as texture
// coordinates: s0/t0 the rectangle's left/top edge, s1/t1 its right/bottom edge. An atlas without
// a size (never decoded) gives all zeros, which texture 0 ignores.
struct GlyphTexCoords {
  float s0, t0, s1, t1;
};
GlyphTexCoords glyphTexCoords(const Glyph& glyph, float atlasWidth, float atlasHeight);

// The state glyphs are drawn in: depth test off, alpha blending on, texturing on with
// GL_MODULATE, the atlas texture `atlasName` bound. Needs a current GL context.
void beginGlyphState(uint32_t atlasName);

// scale 0 selects the font's own displaySize / atlasSize.
void setTextScale(float scale);
void setTextColor(float r, float g, float b, float a);

// Width of `text` in atlas pixels, before scaling. Characters outside the font count 0.
int32_t measureTextLine(const char* text);

// Draws `text` in the current model-view space, pen at (x, y) on the baseline, scaled by
// textScale; x exactly -1.0 centres the line on 0 instead. Leaves depth test, blending and
// texturing disabled.
void drawTextLine(float x, float y, const char* text);

// printf-style drawTextLine; the formatted line is cut at 255 characters. A null format draws
// nothing and touches no GL state.
void drawTextLineF(float x, float y, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

}  // namespace marvolet
