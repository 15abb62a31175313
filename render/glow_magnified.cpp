// The glow summed small, then magnified over the frame.
#include "render/glow_magnified.h"

#include <cmath>

#include "assets/texture.h"
#include "render/gl.h"
#include "render/projections.h"

namespace marvolet {

MagnifiedGlow::~MagnifiedGlow() {
  if (texture_ != 0) {
    GLuint name = texture_;
    glDeleteTextures(1, &name);
  }
}

bool MagnifiedGlow::fits(int32_t width, int32_t height) {
  return width >= MinimumMagnification * CaptureSize &&
         height >= MinimumMagnification * CaptureSize;
}

void MagnifiedGlow::defaultReductions(int32_t height, int32_t* x, int32_t* y) {
  // Eight window rows or more to a capture texel: smooth enough to sum at half size.
  if (height >= 8 * CaptureSize) {
    *x = 2;
    *y = 2;
  } else {
    *x = 3;
    *y = 1;
  }
}

bool MagnifiedGlow::holds(int32_t layers, float insetStep, int32_t width, int32_t height) const {
  return layers_ > 0 && layers == layers_ && insetStep == insetStep_ && width == width_ &&
         height == height_;
}

namespace {

// Along an axis summed at 1/reduction, texel j of the sum holds the glow at the centre of
// window pixel reduction * (j - ring), so some pixels take their texel's value as it is. A
// reduced axis has a ring of one texel around the pixels' texels, evaluated like the rest, so
// that edge pixels interpolate towards what lies beyond instead of towards a clamped copy; an
// axis at full resolution needs none, as every pixel centre falls on its own texel's.
int32_t ringOf(int32_t reduction) {
  return reduction > 1 ? 1 : 0;
}
// Texels along an axis of `pixels` pixels, the ring included.
int32_t texelsFor(int32_t pixels, int32_t reduction) {
  return (pixels - 1 + reduction - 1) / reduction + 1 + ringOf(reduction);
}
// Window position (pixels from the window's low edge) of texel space position u.
double windowPosition(double u, int32_t reduction) {
  return reduction * (u - ringOf(reduction) - 0.5) + 0.5;
}
// Texel space position of window position x.
float texelPosition(double x, int32_t reduction) {
  return static_cast<float>((x - 0.5) / reduction + ringOf(reduction) + 0.5);
}

// The layers' quads of the literal glow over the overlay rectangle (x0, y0)-(x1, y1) (y down),
// their texture coordinates carried on linearly beyond the screen. Both scales are 1: the whole
// capture square lies in the window.
void blendLayers(const GlowLayers& glow, float x0, float y0, float x1, float y1) {
  glBegin(GL_QUADS);
  for (int32_t layer = 0; layer < glow.count; ++layer) {
    const float inset = glow.inset[layer];
    const float span = 1.0f - 2.0f * inset;
    const float alpha = glow.alpha[layer];
    const float s0 = inset + x0 / 640.0f * span, s1 = inset + x1 / 640.0f * span;
    const float t0 = 1.0f - inset - y0 / 480.0f * span, t1 = 1.0f - inset - y1 / 480.0f * span;
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glTexCoord2f(s0, t0);
    glVertex2f(x0, y0);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y1);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, y1);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y0);
  }
  glEnd();
}

}  // namespace

void MagnifiedGlow::evaluate(uint32_t captureTexture, int32_t layers, float insetStep,
                             int32_t width, int32_t height, GlowProgram* program, int32_t originX,
                             int32_t originY) {
  layers_ = 0;
  const GlowLayers glow = glowLayers(layers, insetStep);
  if (glow.count == 0 || !fits(width, height)) return;
  int32_t across = reductionX, down = reductionY;
  if (across < 1 || down < 1) defaultReductions(height, &across, &down);
  reductionXUsed_ = across;
  reductionYUsed_ = down;
  const int32_t outerWidth = texelsFor(width, across);
  const int32_t outerHeight = texelsFor(height, down);

  if (texture_ == 0) {
    GLuint name = 0;
    glGenTextures(1, &name);
    texture_ = name;
  }
  glBindTexture(GL_TEXTURE_2D, texture_);
  if (textureWidth_ < outerWidth || textureHeight_ < outerHeight) {
    textureWidth_ = powerOfTwoAtLeast(outerWidth);
    textureHeight_ = powerOfTwoAtLeast(outerHeight);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, textureWidth_, textureHeight_, 0, GL_LUMINANCE,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  }

  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_VIEWPORT_BIT | GL_SCISSOR_BIT |
               GL_CURRENT_BIT | GL_TRANSFORM_BIT | GL_TEXTURE_BIT);
  // In the drawing area's own corner: on a window wider than the primary monitor, the window's
  // corner may show another monitor.
  glViewport(originX, originY, outerWidth, outerHeight);
  glScissor(originX, originY, outerWidth, outerHeight);
  glEnable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);

  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_FOG);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, captureTexture);

  // The part of the window's overlay space (640 x 480, y down) that the evaluation's viewport
  // stands for.
  const double left = windowPosition(0.0, across) * 640.0 / width;
  const double right = windowPosition(outerWidth, across) * 640.0 / width;
  const double bottom = (height - windowPosition(0.0, down)) * 480.0 / height;
  const double top = (height - windowPosition(outerHeight, down)) * 480.0 / height;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(left, right, bottom, top, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  const float x0 = static_cast<float>(left), x1 = static_cast<float>(right);
  const float y0 = static_cast<float>(top), y1 = static_cast<float>(bottom);
  alphaSum_ = 0.0f;
  for (int32_t layer = 0; layer < glow.count; ++layer) {
    // The blend adds alpha times alpha to the frame's alpha, in the frame's steps.
    alphaSum_ += std::floor(glow.alpha[layer] * glow.alpha[layer] * 255.0f + 0.5f) / 255.0f;
  }
  if (program != nullptr) {
    program->drawOver(glow, 1.0f, 1.0f, x0, y0, x1, y1);
  } else {
    blendLayers(glow, x0, y0, x1, y1);
  }

  glBindTexture(GL_TEXTURE_2D, texture_);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, originX, originY, outerWidth, outerHeight);

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  glBindTexture(GL_TEXTURE_2D, captureTexture);

  layers_ = layers;
  insetStep_ = insetStep;
  width_ = width;
  height_ = height;
}

void MagnifiedGlow::draw() const {
  beginAddingTexture(texture_);
  // The window's edges in the sum's texture coordinates; t grows upwards, as window rows do.
  const float s0 = texelPosition(0.0, reductionXUsed_) / static_cast<float>(textureWidth_);
  const float s1 = texelPosition(width_, reductionXUsed_) / static_cast<float>(textureWidth_);
  const float t0 = texelPosition(0.0, reductionYUsed_) / static_cast<float>(textureHeight_);
  const float t1 = texelPosition(height_, reductionYUsed_) / static_cast<float>(textureHeight_);
  glColor4f(1.0f, 1.0f, 1.0f, alphaSum_);
  // Wound as the layers' quads are, so culling treats it alike.
  glBegin(GL_QUADS);
  glTexCoord2f(s0, t1);
  glVertex2f(0.0f, 0.0f);
  glTexCoord2f(s0, t0);
  glVertex2f(0.0f, 480.0f);
  glTexCoord2f(s1, t0);
  glVertex2f(640.0f, 480.0f);
  glTexCoord2f(s1, t1);
  glVertex2f(640.0f, 0.0f);
  glEnd();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

}  // namespace marvolet
