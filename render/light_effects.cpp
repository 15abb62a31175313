// Capability test, capture and glow of the light-effects pass.
#include "render/light_effects.h"

#include <cstdlib>
#include <cstring>

#include "render/gl.h"
#include "render/glow_program.h"
#include "render/renderer.h"

namespace marvolet {

bool lightEffectsCapable = false;
uint32_t captureTexture = 0;

namespace {
// Whether the capture texture already has luminance storage to copy a part of the window into.
bool captureIsLuminance = false;
}  // namespace

void resetLightEffectsGlobals() {
  lightEffectsCapable = false;
  captureTexture = 0;
  captureIsLuminance = false;
  resetGlowProgram();
}

int32_t captureExtent(int32_t windowPixels) {
  if (windowPixels < 0) return 0;
  return windowPixels < CaptureSize ? windowPixels : CaptureSize;
}

void testLightEffectsCapability() {
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (extensions == nullptr || std::strstr(extensions, "GL_EXT_compiled_vertex_array") == nullptr ||
      std::strstr(extensions, "GL_ARB_multitexture") == nullptr) {
    lightEffectsCapable = false;
    return;
  }
  lightEffectsCapable = true;
  captureIsLuminance = false;
  void* zeros = std::calloc(CaptureSize * CaptureSize, 4);
  GLuint name = 0;
  glGenTextures(1, &name);
  captureTexture = name;
  glBindTexture(GL_TEXTURE_2D, captureTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, CaptureSize, CaptureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  std::free(zeros);
}

void prepareOnePassGlow() {
  if (lightEffectsCapable) createGlowProgram();
}

bool Renderer::onePassGlow() const {
  // The gathering pass needs the whole capture square inside the window; a smaller window's
  // glow is small enough to lay layer by layer.
  return drawPath == DrawPath::Fast && glowProgramReady() && captureExtent(width) == CaptureSize &&
         captureExtent(height) == CaptureSize;
}

void Renderer::captureFrame() {
  const int32_t copyWidth = captureExtent(width);
  const int32_t copyHeight = captureExtent(height);
  glViewport(0, 0, CaptureSize, CaptureSize);
  drawScene();
  glBindTexture(GL_TEXTURE_2D, captureTexture);
  if (copyWidth == CaptureSize && copyHeight == CaptureSize) {
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, 0, 0, CaptureSize, CaptureSize, 0);
  } else {
    // A window narrower or lower than the capture holds only part of it; copying the whole
    // square would read pixels outside the window, whose content is undefined. Copy the part
    // inside into black luminance storage; the glow maps just that part.
    if (!captureIsLuminance) {
      void* black = std::calloc(CaptureSize * CaptureSize, 1);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, CaptureSize, CaptureSize, 0, GL_LUMINANCE,
                   GL_UNSIGNED_BYTE, black);
      std::free(black);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, copyWidth, copyHeight);
  }
  captureIsLuminance = true;
  if (onePassGlow()) gatherCapture(captureTexture);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(originX, originY, width, height);
}

void Renderer::drawGlow(int32_t layers, float insetStep) {
  const float sScale = static_cast<float>(captureExtent(width)) / CaptureSize;
  const float tScale = static_cast<float>(captureExtent(height)) / CaptureSize;
  if (onePassGlow() && layers <= GlowProgramLayers) {
    beginOverlayProjection();
    drawGlowInOnePass(layers, insetStep, sScale, tScale);
    endOverlayProjection();
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    return;
  }
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, captureTexture);
  beginOverlayProjection();

  // The captured part of the texture: all of it unless the window is smaller than the capture.
  float inset = 0.0f;
  float alpha = 0.075f;
  const float alphaStep = layers > 0 ? 0.075f / static_cast<float>(layers) : 0.0f;
  glBegin(GL_QUADS);
  for (int32_t layer = 0; layer < layers; ++layer) {
    const float far = 1.0f - inset;
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glTexCoord2f(inset * sScale, far * tScale);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(inset * sScale, inset * tScale);
    glVertex2f(0.0f, 480.0f);
    glTexCoord2f(far * sScale, inset * tScale);
    glVertex2f(640.0f, 480.0f);
    glTexCoord2f(far * sScale, far * tScale);
    glVertex2f(640.0f, 0.0f);
    inset += insetStep;
    alpha -= alphaStep;
  }
  glEnd();

  endOverlayProjection();
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace marvolet
