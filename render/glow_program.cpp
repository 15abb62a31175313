// GLSL 1.10 glow program: compiled once per renderer, drawn as one quad.
#include "render/glow_program.h"

#include <cmath>
#include <string>

#include "platform/gl_proc_address.h"
#include "render/gl.h"
#include "render/projections.h"

#ifndef APIENTRY
#define APIENTRY
#endif

namespace marvolet {

namespace {

// GL 2.0 names, spelt out here because the portable headers promise only 1.1.
using GLcharT = char;
constexpr GLenum FragmentShader = 0x8B30;
constexpr GLenum VertexShader = 0x8B31;
constexpr GLenum CompileStatus = 0x8B81;
constexpr GLenum LinkStatus = 0x8B82;

}  // namespace

struct GlowProgram::Functions {
  GLuint(APIENTRY* createShader)(GLenum);
  void(APIENTRY* shaderSource)(GLuint, GLsizei, const GLcharT* const*, const GLint*);
  void(APIENTRY* compileShader)(GLuint);
  void(APIENTRY* getShaderiv)(GLuint, GLenum, GLint*);
  void(APIENTRY* deleteShader)(GLuint);
  GLuint(APIENTRY* createProgram)();
  void(APIENTRY* attachShader)(GLuint, GLuint);
  void(APIENTRY* linkProgram)(GLuint);
  void(APIENTRY* getProgramiv)(GLuint, GLenum, GLint*);
  void(APIENTRY* useProgram)(GLuint);
  void(APIENTRY* deleteProgram)(GLuint);
  GLint(APIENTRY* getUniformLocation)(GLuint, const GLcharT*);
  void(APIENTRY* uniform1i)(GLint, GLint);
  void(APIENTRY* uniform1f)(GLint, GLfloat);
  void(APIENTRY* uniform1fv)(GLint, GLsizei, const GLfloat*);
  void(APIENTRY* uniform4fv)(GLint, GLsizei, const GLfloat*);
};

namespace {

using Functions = GlowProgram::Functions;

template <typename F>
bool find(F& function, const char* name) {
  function = reinterpret_cast<F>(platform::glProcAddress(name));
  return function != nullptr;
}

bool findFunctions(Functions& gl) {
  return find(gl.createShader, "glCreateShader") && find(gl.shaderSource, "glShaderSource") &&
         find(gl.compileShader, "glCompileShader") && find(gl.getShaderiv, "glGetShaderiv") &&
         find(gl.deleteShader, "glDeleteShader") && find(gl.createProgram, "glCreateProgram") &&
         find(gl.attachShader, "glAttachShader") && find(gl.linkProgram, "glLinkProgram") &&
         find(gl.getProgramiv, "glGetProgramiv") && find(gl.useProgram, "glUseProgram") &&
         find(gl.deleteProgram, "glDeleteProgram") &&
         find(gl.getUniformLocation, "glGetUniformLocation") && find(gl.uniform1i, "glUniform1i") &&
         find(gl.uniform1f, "glUniform1f") && find(gl.uniform1fv, "glUniform1fv") &&
         find(gl.uniform4fv, "glUniform4fv");
}

// `source` with every `name` replaced by `value`.
std::string replaced(std::string source, const std::string& name, const std::string& value) {
  for (size_t at = source.find(name); at != std::string::npos; at = source.find(name, at)) {
    source.replace(at, name.size(), value);
  }
  return source;
}

// The sources below name the capture's size CAPTURE_SIZE (a float) and the layer count
// LAYER_COUNT; the programs are built with the C++ constants' values, "128.0" and "12".
std::string withConstants(const char* source) {
  const std::string sized = replaced(source, "CAPTURE_SIZE", std::to_string(CaptureSize) + ".0");
  return replaced(sized, "LAYER_COUNT", std::to_string(GlowLayerCount));
}

// place runs over the screen from (0, 0) bottom-left to (1, 1) top-right; each layer maps it
// onto its own window of the capture, as the layer's quad maps its corners.
const char* const VertexSource =
    "#version 110\n"
    "varying vec2 place;\n"
    "void main() {\n"
    "  place = gl_MultiTexCoord0.xy;\n"
    "  gl_Position = ftransform();\n"
    "}\n";

// Each layer's sample is the bilinear filter of the capture, done here by hand from one fetch of
// the gathered texture, whose texel (x, y) holds the capture's texels (x, y), (x + 1, y),
// (x, y + 1) and (x + 1, y + 1): one nearest fetch instead of four, the dearest part of the pass
// on a software renderer. Coordinates, wrap and weights follow the GL's linear filter.
//
// A fixed-point frame rounds the result of every blended layer, so each layer's share is rounded
// to the frame's steps before it is summed: the sum then lands where the layers would have
// taken the frame, instead of drifting by up to half a step per layer. The operands are taken at
// the frame's precision too, as a fixed-point blender takes them.
const char* const FragmentSource =
    "#version 110\n"
    "uniform sampler2D gathered;\n"
    "uniform vec4 window[LAYER_COUNT];\n"
    "uniform float weight[LAYER_COUNT];\n"
    "uniform float levels;\n"
    "uniform float alphaSum;\n"
    "varying vec2 place;\n"
    "void main() {\n"
    "  float sum = 0.0;\n"
    "  for (int i = 0; i < LAYER_COUNT; ++i) {\n"
    "    vec2 t = (window[i].xy + place * window[i].zw) * CAPTURE_SIZE - 0.5;\n"
    "    vec2 base = floor(t);\n"
    "    vec2 f = t - base;\n"
    "    vec4 q = texture2D(gathered, (base + 0.5) / CAPTURE_SIZE);\n"
    "    float g = mix(mix(q.r, q.g, f.x), mix(q.b, q.a, f.x), f.y);\n"
    "    sum += floor(floor(g * levels + 0.5) * weight[i] / levels + 0.5);\n"
    "  }\n"
    "  gl_FragColor = vec4(vec3(sum / levels), alphaSum);\n"
    "}\n";

// Drawn over the capture square: each fragment is one texel of the gathered texture.
const char* const GatherSource =
    "#version 110\n"
    "uniform sampler2D capture;\n"
    "varying vec2 place;\n"
    "void main() {\n"
    "  vec2 c = (floor(place * CAPTURE_SIZE) + 0.5) / CAPTURE_SIZE;\n"
    "  float d = 1.0 / CAPTURE_SIZE;\n"
    "  gl_FragColor = vec4(texture2D(capture, c).r, texture2D(capture, c + vec2(d, 0.0)).r,\n"
    "                      texture2D(capture, c + vec2(0.0, d)).r,\n"
    "                      texture2D(capture, c + vec2(d, d)).r);\n"
    "}\n";

GLuint compile(const Functions& gl, GLenum kind, const std::string& text) {
  const GLuint shader = gl.createShader(kind);
  if (shader == 0) return 0;
  const char* source = text.c_str();
  gl.shaderSource(shader, 1, &source, nullptr);
  gl.compileShader(shader);
  GLint ok = 0;
  gl.getShaderiv(shader, CompileStatus, &ok);
  if (ok == 0) {
    gl.deleteShader(shader);
    return 0;
  }
  return shader;
}

// A linked program of the shared vertex shader and `fragmentSource`, or 0.
GLuint link(const Functions& gl, GLuint vertex, const char* fragmentSource) {
  const GLuint fragment = compile(gl, FragmentShader, withConstants(fragmentSource));
  GLuint linked = 0;
  if (vertex != 0 && fragment != 0) linked = gl.createProgram();
  if (linked != 0) {
    gl.attachShader(linked, vertex);
    gl.attachShader(linked, fragment);
    gl.linkProgram(linked);
    GLint ok = 0;
    gl.getProgramiv(linked, LinkStatus, &ok);
    if (ok == 0) {
      gl.deleteProgram(linked);
      linked = 0;
    }
  }
  // An attached shader lives on with its program; this only drops our name for it.
  if (fragment != 0) gl.deleteShader(fragment);
  return linked;
}

// Binds `name`'s sampler to texture unit 0.
bool bindSampler(const Functions& gl, GLuint linked, const char* name) {
  const GLint location = gl.getUniformLocation(linked, name);
  if (location < 0) return false;
  gl.useProgram(linked);
  gl.uniform1i(location, 0);
  gl.useProgram(0);
  return true;
}

}  // namespace

GlowProgram::GlowProgram() = default;

GlowProgram::~GlowProgram() {
  destroy();
}

bool GlowProgram::create() {
  destroy();
  if (gl_ == nullptr) gl_ = std::make_unique<Functions>();
  const Functions& gl = *gl_;
  if (!findFunctions(*gl_)) return false;
  const GLuint vertex = compile(gl, VertexShader, withConstants(VertexSource));
  program_ = link(gl, vertex, FragmentSource);
  gatherProgram_ = link(gl, vertex, GatherSource);
  if (vertex != 0) gl.deleteShader(vertex);
  if (program_ != 0) {
    windowLocation_ = gl.getUniformLocation(program_, "window");
    weightLocation_ = gl.getUniformLocation(program_, "weight");
    alphaLocation_ = gl.getUniformLocation(program_, "alphaSum");
    levelsLocation_ = gl.getUniformLocation(program_, "levels");
  }
  if (program_ == 0 || gatherProgram_ == 0 || windowLocation_ < 0 || weightLocation_ < 0 ||
      alphaLocation_ < 0 || levelsLocation_ < 0 || !bindSampler(gl, program_, "gathered") ||
      !bindSampler(gl, gatherProgram_, "capture")) {
    destroy();
    return false;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  gatheredTexture_ = name;
  glBindTexture(GL_TEXTURE_2D, gatheredTexture_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, CaptureSize, CaptureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
  return true;
}

void GlowProgram::destroy() {
  if (program_ != 0) gl_->deleteProgram(program_);
  if (gatherProgram_ != 0) gl_->deleteProgram(gatherProgram_);
  if (gatheredTexture_ != 0) {
    GLuint name = gatheredTexture_;
    glDeleteTextures(1, &name);
  }
  program_ = 0;
  gatherProgram_ = 0;
  gatheredTexture_ = 0;
  windowLocation_ = weightLocation_ = alphaLocation_ = levelsLocation_ = -1;
}

void GlowProgram::gather(uint32_t captureTexture, int32_t originX, int32_t originY) {
  // Everything this changes is put back, so the frame goes on in the state the capture leaves.
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT);
  glViewport(originX, originY, CaptureSize, CaptureSize);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, captureTexture);
  beginClipSpaceProjection();
  gl_->useProgram(gatherProgram_);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(-1.0f, -1.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(1.0f, -1.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(1.0f, 1.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(-1.0f, 1.0f);
  glEnd();
  gl_->useProgram(0);
  glBindTexture(GL_TEXTURE_2D, gatheredTexture_);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, originX, originY, CaptureSize, CaptureSize);
  endClipSpaceProjection();
  glPopAttrib();
  glBindTexture(GL_TEXTURE_2D, captureTexture);
}

void GlowProgram::draw(const GlowLayers& layers, float sScale, float tScale) {
  drawOver(layers, sScale, tScale, 0.0f, 0.0f, 640.0f, 480.0f);
}

void GlowProgram::drawOver(const GlowLayers& layers, float sScale, float tScale, float left,
                           float top, float right, float bottom) {
  float windows[4 * GlowLayerCount] = {};
  float weights[GlowLayerCount] = {};
  // Steps of the frame's red channel; a frame deeper than 16 bits is treated as 16 bits.
  GLint redBits = 8;
  glGetIntegerv(GL_RED_BITS, &redBits);
  if (redBits < 1 || redBits > 16) redBits = redBits < 1 ? 8 : 16;
  const float levels = static_cast<float>((1 << redBits) - 1);
  float alphaSum = 0.0f;
  for (int32_t layer = 0; layer < layers.count; ++layer) {
    const float inset = layers.inset[layer];
    const float far = 1.0f - inset;
    windows[4 * layer + 0] = inset * sScale;
    windows[4 * layer + 1] = inset * tScale;
    windows[4 * layer + 2] = far * sScale - inset * sScale;
    windows[4 * layer + 3] = far * tScale - inset * tScale;
    // The weight in the frame's steps, as a fixed-point blender takes a source alpha.
    const float steps = std::floor(layers.alpha[layer] * levels + 0.5f);
    weights[layer] = steps;
    // Each layer also adds its alpha times itself to the frame's alpha channel.
    alphaSum += std::floor(steps * steps / levels + 0.5f) / levels;
  }

  beginAddingTexture(gatheredTexture_);
  gl_->useProgram(program_);
  gl_->uniform4fv(windowLocation_, GlowLayerCount, windows);
  gl_->uniform1fv(weightLocation_, GlowLayerCount, weights);
  gl_->uniform1f(alphaLocation_, alphaSum);
  gl_->uniform1f(levelsLocation_, levels);
  // place is (0, 0) at the screen's bottom-left corner and (1, 1) at its top-right.
  const float s0 = left / 640.0f, s1 = right / 640.0f;
  const float t0 = 1.0f - top / 480.0f, t1 = 1.0f - bottom / 480.0f;
  // Wound as the layers' quads are, so culling treats it alike.
  glBegin(GL_QUADS);
  glTexCoord2f(s0, t0);
  glVertex2f(left, top);
  glTexCoord2f(s0, t1);
  glVertex2f(left, bottom);
  glTexCoord2f(s1, t1);
  glVertex2f(right, bottom);
  glTexCoord2f(s1, t0);
  glVertex2f(right, top);
  glEnd();
  gl_->useProgram(0);
  // What the layer-by-layer glow leaves set.
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

}  // namespace marvolet
