// Decoded pictures made into mipmapped GL textures.
#pragma once

#include <cstdint>

#include "assets/texture.h"

namespace marvolet {

// Creates the texture object from the decoded pixels: GL_ALPHA for 8 bits, GL_RGB for 24, GL_RGBA
// for 32, a full mipmap chain, GL_CLAMP wrap. Rows are read packed whatever their length. Frees the
// pixels (and nulls the pointer) unless keepPixels. Needs a current GL context; leaves the new
// texture bound.
void uploadTexture(Texture& texture, bool keepPixels);

// decodeJpeg then uploadTexture. True when the texture object was created.
bool loadJpegTexture(Texture& texture, const unsigned char* data, int32_t length, bool keepPixels);

}  // namespace marvolet
