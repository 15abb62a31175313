// EGL surfaceless pbuffer context with the desktop (compatibility) OpenGL API.
#include "headless_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>

#include "platform/gl_proc_address.h"

namespace marvolet::tools {

namespace {
void* eglLookup(const char* name) {
  return reinterpret_cast<void*>(eglGetProcAddress(name));
}

struct ChannelBits {
  EGLint red, green, blue, alpha;
};

ChannelBits channelBits(FrameFormat format) {
  switch (format) {
    case FrameFormat::Rgb888:
      return {8, 8, 8, 0};
    case FrameFormat::Rgb565:
      return {5, 6, 5, 0};
    case FrameFormat::Rgba8888:
      break;
  }
  return {8, 8, 8, 8};
}

// The first config eglChooseConfig ranks for `bits` whose channels are those exactly: the
// ranking puts deeper colour first and leaves alpha of 0 unrequested.
EGLConfig chooseConfig(EGLDisplay display, const ChannelBits& bits) {
  const EGLint attributes[] = {EGL_SURFACE_TYPE,
                               EGL_PBUFFER_BIT,
                               EGL_RENDERABLE_TYPE,
                               EGL_OPENGL_BIT,
                               EGL_RED_SIZE,
                               bits.red,
                               EGL_GREEN_SIZE,
                               bits.green,
                               EGL_BLUE_SIZE,
                               bits.blue,
                               EGL_ALPHA_SIZE,
                               bits.alpha,
                               EGL_DEPTH_SIZE,
                               24,
                               EGL_NONE};
  EGLConfig configs[256];
  EGLint count = 0;
  if (!eglChooseConfig(display, attributes, configs, 256, &count)) return nullptr;
  for (EGLint i = 0; i < count; ++i) {
    ChannelBits got{};
    eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &got.red);
    eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &got.green);
    eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &got.blue);
    eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &got.alpha);
    if (got.red == bits.red && got.green == bits.green && got.blue == bits.blue &&
        got.alpha == bits.alpha) {
      return configs[i];
    }
  }
  return nullptr;
}

}  // namespace

HeadlessContext::HeadlessContext(int32_t width, int32_t height, FrameFormat format)
    : width_(width), height_(height) {
  auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
      eglGetProcAddress("eglGetPlatformDisplayEXT"));
  EGLDisplay display = EGL_NO_DISPLAY;
  if (getPlatformDisplay) {
    display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  }
  if (display == EGL_NO_DISPLAY) {
    error_ = "no surfaceless EGL display";
    return;
  }
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor)) {
    error_ = "eglInitialize failed";
    return;
  }
  display_ = display;
  const EGLConfig config = chooseConfig(display, channelBits(format));
  if (config == nullptr) {
    error_ = "no pbuffer config of that colour format with a 24-bit depth buffer";
    return;
  }
  const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
  if (surface == EGL_NO_SURFACE) {
    error_ = "eglCreatePbufferSurface failed";
    return;
  }
  surface_ = surface;
  eglBindAPI(EGL_OPENGL_API);
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
  if (context == EGL_NO_CONTEXT) {
    error_ = "eglCreateContext failed";
    return;
  }
  context_ = context;
  if (!eglMakeCurrent(display, surface, surface, context)) {
    error_ = "eglMakeCurrent failed";
    return;
  }
  ok_ = true;
  // The renderer finds GL functions beyond 1.1 (the one-pass glow's) through EGL here.
  platform::setGlProcAddressSource(&eglLookup);
}

HeadlessContext::~HeadlessContext() {
  if (!display_) return;
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_) eglDestroyContext(display_, context_);
  if (surface_) eglDestroySurface(display_, surface_);
  // The display stays initialised: terminating it would pull it from under any other context
  // the process still holds on the same (shared) display.
}

std::vector<uint8_t> HeadlessContext::readRgb() const {
  std::vector<uint8_t> pixels(static_cast<size_t>(width_) * height_ * 3);
  if (!ok_) return pixels;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  std::vector<uint8_t> bottomUp(pixels.size());
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  const size_t row = static_cast<size_t>(width_) * 3;
  for (int32_t y = 0; y < height_; ++y) {
    std::copy_n(&bottomUp[static_cast<size_t>(height_ - 1 - y) * row], row, &pixels[y * row]);
  }
  return pixels;
}

}  // namespace marvolet::tools
