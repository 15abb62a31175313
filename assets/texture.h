// Embedded JPEG images decoded from memory with libjpeg into texture records.
#pragma once

#include <cstdint>

namespace marvolet {

// One decoded image and its texture object. A zero-filled record is "empty": no pixels and
// texture name 0, which draws untextured.
struct Texture {
  unsigned char* pixels;  // height rows of width * components bytes, top row first; malloc'd
  int32_t bitsPerPixel;   // 8 for grayscale, 24 for colour
  uint32_t width;         // pixels
  uint32_t height;        // pixels
  uint32_t textureName;   // GL texture object, 0 while none exists
};

// Decodes `length` bytes at `data` into `texture` (pixels, bitsPerPixel, width, height) without
// touching OpenGL. `pixels` is overwritten, not freed: a record must not still own a buffer.
// A stream that ends early decodes what it has (the library fills in the rest) with a warning.
// On failure pixels is null, the library's message has gone to stderr, and nothing is leaked;
// width, height and bitsPerPixel keep any values already taken from the stream. Pictures whose
// decoded size exceeds 32 bits are refused. Never reads outside [data, data + length); a negative
// length counts as an empty block.
bool decodeJpeg(Texture& texture, const unsigned char* data, int32_t length);

}  // namespace marvolet
