// Single lines of text drawn as textured glyph quads in the current model-view space.
#pragma once

#include <cstdint>

#include "assets/bitmap_font.h"

namespace marvolet {

class DrawingPath;
struct Texture;

// The font atlas as text drawing needs it. All zero for an atlas that is missing or failed to
// load: the glyphs then draw untextured.
struct TextAtlas {
  uint32_t name = 0;    // GL texture object
  float width = 0.0f;   // pixels
  float height = 0.0f;  // pixels
};
// The atlas of a texture record; null gives the missing atlas.
TextAtlas textAtlasOf(const Texture* texture);

// The state glyphs are drawn in: depth test off, alpha blending on, texturing on with
// GL_MODULATE, the atlas texture `atlasName` bound. Needs a current GL context.
void beginGlyphState(uint32_t atlasName);

// Draws `count` entries of style.font's glyph table with `style` on `atlas`, pen at (x, y) on
// the baseline, scaled by style.scale; x exactly -1.0 centres the line on 0 instead. `path`
// issues the glyphs. Leaves depth test, blending and texturing disabled. No glyphs (null) sets
// the state and draws nothing.
void drawTextLine(DrawingPath& path, const TextStyle& style, const TextAtlas& atlas, float x,
                  float y, const uint32_t* glyphs, size_t count);
// The same for plain text, each character c as the font's entry c - firstChar.
void drawTextLine(DrawingPath& path, const TextStyle& style, const TextAtlas& atlas, float x,
                  float y, const char* text);

// printf-style drawTextLine; the formatted line is cut at 255 characters. A null format draws
// nothing and touches no GL state.
void drawTextLineF(DrawingPath& path, const TextStyle& style, const TextAtlas& atlas, float x,
                   float y, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 6, 7)))
#endif
    ;

}  // namespace marvolet
