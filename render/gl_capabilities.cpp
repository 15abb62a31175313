// GL version and frame-format checks of the current context.
#include "render/gl_capabilities.h"

#include <initializer_list>

#include "render/gl.h"

namespace marvolet {

namespace {

// Reads a run of decimal digits at `text`, moving past it; false when there is none or it does
// not fit comfortably in an int32_t.
bool readNumber(const char*& text, int32_t& value) {
  value = 0;
  const char* start = text;
  while (*text >= '0' && *text <= '9') {
    if (text - start >= 6) return false;
    value = value * 10 + (*text - '0');
    ++text;
  }
  return text != start;
}

}  // namespace

bool versionAtLeast(const char* version, int32_t major, int32_t minor) {
  if (version == nullptr) return false;
  int32_t gotMajor = 0, gotMinor = 0;
  if (!readNumber(version, gotMajor) || *version++ != '.' || !readNumber(version, gotMinor)) {
    return false;
  }
  return gotMajor > major || (gotMajor == major && gotMinor >= minor);
}

bool offersGlsl20() {
  return versionAtLeast(reinterpret_cast<const char*>(glGetString(GL_VERSION)), 2, 0);
}

int32_t frameAlphaBits() {
  GLint bits = 0;
  glGetIntegerv(GL_ALPHA_BITS, &bits);
  return bits > 0 ? bits : 0;
}

int32_t frameColourBits() {
  GLint narrowest = 0;
  for (GLenum channel : {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS}) {
    GLint bits = 0;
    glGetIntegerv(channel, &bits);
    if (channel == GL_RED_BITS || bits < narrowest) narrowest = bits;
  }
  return narrowest > 0 ? narrowest : 0;
}

}  // namespace marvolet
