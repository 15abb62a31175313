// Decoded pictures uploaded as mipmapped GL textures.
#include "render/texture_upload.h"

#include <cstdlib>

#include "render/gl.h"

namespace marvolet {

void uploadTexture(Texture& texture, bool keepPixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  texture.textureName = name;
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

  const GLenum format = texture.bitsPerPixel == 32   ? GL_RGBA
                        : texture.bitsPerPixel == 24 ? GL_RGB
                                                     : GL_ALPHA;
  // Our rows are packed, and so are the smaller levels GLU makes, but GLU hands those to GL
  // under the caller's unpack alignment: with the default of 4, the 2 x 2 level of an alpha
  // texture (2-byte rows) is read past the end of GLU's buffer, as is any picture of ours whose
  // rows are not a multiple of 4 bytes. So the whole chain is read packed.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), static_cast<GLint>(texture.width),
                    static_cast<GLint>(texture.height), format, GL_UNSIGNED_BYTE, texture.pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);

  if (!keepPixels) {
    std::free(texture.pixels);
    texture.pixels = nullptr;
  }
}

bool loadJpegTexture(Texture& texture, const unsigned char* data, int32_t length, bool keepPixels) {
  if (!decodeJpeg(texture, data, length)) return false;
  uploadTexture(texture, keepPixels);
  return true;
}

}  // namespace marvolet
