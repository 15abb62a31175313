// Capability test, capture and glow of the light-effects pass.
#include "render/glow_pass.h"

#include <cstdlib>
#include <cstring>

#include "render/gl.h"
#include "render/gl_capabilities.h"
#include "render/projections.h"

namespace marvolet {

GlowPass::~GlowPass() {
  if (captureTexture_ != 0) {
    GLuint name = captureTexture_;
    glDeleteTextures(1, &name);
  }
}

void GlowPass::testCapability() {
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (extensions == nullptr || std::strstr(extensions, "GL_EXT_compiled_vertex_array") == nullptr ||
      std::strstr(extensions, "GL_ARB_multitexture") == nullptr) {
    capable = false;
    return;
  }
  capable = true;
  captureIsLuminance_ = false;
  void* zeros = std::calloc(CaptureSize * CaptureSize, 4);
  GLuint name = 0;
  glGenTextures(1, &name);
  captureTexture_ = name;
  glBindTexture(GL_TEXTURE_2D, captureTexture_);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, CaptureSize, CaptureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  std::free(zeros);
}

void GlowPass::prepareBeyondLayers() {
  // The gathering pass leaves a capture texel in the frame's alpha for the copy to take, and
  // the program runs on GL 2.0 entry points: a frame with less than 8 bits of alpha (a 16-bit
  // or alpha-less visual) or a GL that reports 1.x gets no program.
  if (capable && frameAlphaBits() >= 8 && offersGlsl20()) program_.create();
  colourBits8_ = capable && frameColourBits() >= 8;
}

bool GlowPass::sumsByProgram() const {
  // The magnified sum needs the capture square inside the area, as the gathering pass does.
  return method_ == GlowMethod::OnePass || (method_ == GlowMethod::Magnified && program_.ready());
}

void GlowPass::takeCapture(int32_t width, int32_t height, int32_t originX, int32_t originY) {
  const int32_t copyWidth = captureExtent(width);
  const int32_t copyHeight = captureExtent(height);
  glBindTexture(GL_TEXTURE_2D, captureTexture_);
  if (copyWidth == CaptureSize && copyHeight == CaptureSize) {
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, originX, originY, CaptureSize, CaptureSize, 0);
  } else {
    // A window narrower or lower than the capture holds only part of it; copying the whole
    // square would read pixels outside the window, whose content is undefined. Copy the part
    // inside into black luminance storage; the glow maps just that part.
    if (!captureIsLuminance_) {
      void* black = std::calloc(CaptureSize * CaptureSize, 1);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, CaptureSize, CaptureSize, 0, GL_LUMINANCE,
                   GL_UNSIGNED_BYTE, black);
      std::free(black);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, originX, originY, copyWidth, copyHeight);
  }
  captureIsLuminance_ = true;
  const bool byProgram = sumsByProgram();
  if (byProgram) program_.gather(captureTexture_, originX, originY);
  if (method_ == GlowMethod::Magnified) {
    magnified_.evaluate(captureTexture_, GlowLayerCount, GlowInsetStep, width, height,
                        byProgram ? &program_ : nullptr, originX, originY);
  }
}

void GlowPass::draw(int32_t layers, float insetStep, int32_t width, int32_t height) {
  if (method_ == GlowMethod::Magnified && drawMagnified(layers, insetStep, width, height)) return;
  if (sumsByProgram() && layers <= GlowLayerCount) {
    drawSummed(layers, insetStep, width, height);
  } else {
    drawLayered(layers, insetStep, width, height);
  }
}

namespace {

// The state both ways of the glow leave behind.
void endGlow() {
  endOverlayProjection();
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, 0);
}

// The captured part of the texture: all of it unless the window is smaller than the capture.
float captureScale(int32_t windowPixels) {
  return static_cast<float>(captureExtent(windowPixels)) / CaptureSize;
}

}  // namespace

void GlowPass::drawSummed(int32_t layers, float insetStep, int32_t width, int32_t height) {
  const float sScale = captureScale(width);
  const float tScale = captureScale(height);
  beginOverlayProjection();
  program_.draw(glowLayers(layers, insetStep), sScale, tScale);
  endGlow();
}

bool GlowPass::drawMagnified(int32_t layers, float insetStep, int32_t width, int32_t height) {
  if (!magnified_.holds(layers, insetStep, width, height)) return false;
  beginOverlayProjection();
  magnified_.draw();
  endGlow();
  return true;
}

void GlowPass::drawLayered(int32_t layers, float insetStep, int32_t width, int32_t height) {
  const float sScale = captureScale(width);
  const float tScale = captureScale(height);
  const GlowLayers glow = glowLayers(layers, insetStep);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, captureTexture_);
  beginOverlayProjection();

  glBegin(GL_QUADS);
  for (int32_t layer = 0; layer < glow.count; ++layer) {
    const float inset = glow.inset[layer];
    const float far = 1.0f - inset;
    glColor4f(1.0f, 1.0f, 1.0f, glow.alpha[layer]);
    glTexCoord2f(inset * sScale, far * tScale);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(inset * sScale, inset * tScale);
    glVertex2f(0.0f, 480.0f);
    glTexCoord2f(far * sScale, inset * tScale);
    glVertex2f(640.0f, 480.0f);
    glTexCoord2f(far * sScale, far * tScale);
    glVertex2f(640.0f, 0.0f);
  }
  glEnd();

  endGlow();
}

}  // namespace marvolet
