// Embedded JPEG images decoded from memory with libjpeg into texture records.
#pragma once

#include <cstdint>

#include "assets/image_file.h"

namespace marvolet {

// One decoded image and its texture object. A zero-filled record is "empty": no pixels and
// texture name 0, which draws untextured.
struct Texture {
  unsigned char* pixels;  // height rows of width * components bytes, top row first; malloc'd
  int32_t bitsPerPixel;   // 8 for grayscale, 24 for colour, 32 for colour with alpha
  uint32_t width;         // pixels
  uint32_t height;        // pixels
  uint32_t textureName;   // GL texture object, 0 while none exists
};

// The least power of two not below `n` (1 for n <= 1): a side GL 1.1 takes for a texture.
inline int32_t powerOfTwoAtLeast(int32_t n) {
  int32_t p = 1;
  while (p < n) p *= 2;
  return p;
}

// Decodes `length` bytes at `data` into `texture` (pixels, bitsPerPixel, width, height) without
// touching OpenGL. `pixels` is overwritten, not freed: a record must not still own a buffer.
// A stream that ends early decodes what it has (the library fills in the rest) with a warning.
// On failure pixels is null, the library's message has gone to stderr, and nothing is leaked;
// width, height and bitsPerPixel keep any values already taken from the stream. Pictures whose
// decoded size exceeds 32 bits are refused. Never reads outside [data, data + length); a negative
// length counts as an empty block.
bool decodeJpeg(Texture& texture, const unsigned char* data, int32_t length);

// A user's picture as a 32-bit texture record, box-filtered down to at most `maxSide` pixels on
// its longer side (its shape kept, each side at least 1): GL would otherwise scale a large
// picture itself, slowly, and a side beyond its limit not at all. False, with the record
// untouched, when there is no memory for the pixels.
bool textureFromRgba(Texture& texture, const RgbaImage& image, uint32_t maxSide);

}  // namespace marvolet
