// The box drawn for a character no font has: a capital-sized outline kept in a free corner of
// the built-in atlas, so that a ring keeps its spacing instead of a hole.
#pragma once

#include <cstdint>

#include "assets/bitmap_font.h"

namespace marvolet {

// A box glyph placed in a free rectangle of `base`'s atlas of atlasWidth x atlasHeight pixels,
// a few pixels clear of every glyph, about a capital's size and sitting on the baseline. False
// when no free rectangle holds it.
bool placeBox(const BitmapFont& base, int32_t atlasWidth, int32_t atlasHeight, Glyph* box);

// Paints the box's outline into its rectangle of an 8-bit picture of width x height pixels,
// rows packed; what lies outside the picture is left out.
void paintBox(const Glyph& box, unsigned char* pixels, uint32_t width, uint32_t height);

}  // namespace marvolet
