// The main font, the process-wide text state, and single text lines drawn as textured quads.
#include "assets/bitmap_font.h"

#include <cstdarg>
#include <cstdio>

#include "assets/glyph_quads.h"
#include "assets/texture.h"
#include "render/gl.h"
#include "render/renderer.h"
#include "scene/scene.h"

namespace marvolet {

const BitmapFont MainFont = {MainFontGlyphCount, 32, 106, 18, 29, 0, MainFontGlyphs};

namespace {
constexpr float StartTextScale = 0.0034f;
}  // namespace

const BitmapFont* currentFont = &MainFont;
float textScale = StartTextScale;
float bottomColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
float topColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};

void resetTextState() {
  currentFont = &MainFont;
  textScale = StartTextScale;
  setTextColor(1.0f, 1.0f, 1.0f, 1.0f);
}

const Glyph* glyphFor(char c) {
  // Taken as signed, as the verse rings do: bytes above 127 are negative and fall outside.
  const int index = static_cast<signed char>(c) - currentFont->firstChar;
  if (index < 0 || index >= currentFont->glyphCount) return nullptr;
  return &currentFont->glyphs[index];
}

void setTextScale(float scale) {
  if (scale == 0.0f) {
    textScale =
        static_cast<float>(currentFont->displaySize) / static_cast<float>(currentFont->atlasSize);
  } else {
    textScale = scale;
  }
}

void setTextColor(float r, float g, float b, float a) {
  bottomColor[0] = topColor[0] = r;
  bottomColor[1] = topColor[1] = g;
  bottomColor[2] = topColor[2] = b;
  bottomColor[3] = topColor[3] = a;
}

int32_t measureTextLine(const char* text) {
  if (text == nullptr) return 0;
  int32_t width = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == ' ') {
      width += currentFont->spaceAdvance;
    } else if (const Glyph* glyph = glyphFor(*p)) {
      width += glyph->advance;
    }
  }
  return width;
}

GlyphTexCoords glyphTexCoords(const Glyph& glyph, float atlasWidth, float atlasHeight) {
  if (atlasWidth <= 0.0f || atlasHeight <= 0.0f) return {0.0f, 0.0f, 0.0f, 0.0f};
  GlyphTexCoords t;
  t.s0 = static_cast<float>(glyph.atlasX) / atlasWidth;
  t.t0 = static_cast<float>(glyph.atlasY) / atlasHeight;
  t.s1 = t.s0 + static_cast<float>(glyph.width) / atlasWidth;
  t.t1 = t.t0 + static_cast<float>(glyph.height) / atlasHeight;
  return t;
}

void beginGlyphState(uint32_t atlasName) {
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBindTexture(GL_TEXTURE_2D, atlasName);
}

namespace {

// The atlas lives in the scene, which may not exist yet (or failed to load its textures); a
// missing atlas draws untextured, as texture 0 does for an image that failed to decode.
const Texture* fontAtlas() {
  if (currentRenderer == nullptr || currentRenderer->scene == nullptr) return nullptr;
  Texture* textures = currentRenderer->scene->textures;
  if (textures == nullptr) return nullptr;
  return &textures[currentFont->textureSlot];
}

void drawGlyph(const Glyph& glyph, float atlasWidth, float atlasHeight) {
  const GlyphTexCoords t = glyphTexCoords(glyph, atlasWidth, atlasHeight);
  const float width = static_cast<float>(glyph.width);
  const float height = static_cast<float>(glyph.height);

  // Origin moves to the quad's top-left corner and back, so no matrix push per glyph.
  glTranslatef(static_cast<float>(glyph.xOffset), static_cast<float>(glyph.yOffset), 0.0f);
  glBegin(GL_QUADS);
  glColor4f(bottomColor[0], bottomColor[1], bottomColor[2], bottomColor[3]);
  glTexCoord2f(t.s0, t.t1);
  glVertex2f(0.0f, -height);
  glTexCoord2f(t.s1, t.t1);
  glVertex2f(width, -height);
  glColor4f(topColor[0], topColor[1], topColor[2], topColor[3]);
  glTexCoord2f(t.s1, t.t0);
  glVertex2f(width, 0.0f);
  glTexCoord2f(t.s0, t.t0);
  glVertex2f(0.0f, 0.0f);
  glEnd();
  glTranslatef(static_cast<float>(glyph.advance - glyph.xOffset),
               static_cast<float>(-glyph.yOffset), 0.0f);
}

// The literal way: a translation and a glBegin/glEnd pair per glyph.
void drawGlyphsOneByOne(const char* text, float atlasWidth, float atlasHeight) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == ' ') {
      glTranslatef(static_cast<float>(currentFont->spaceAdvance), 0.0f, 0.0f);
    } else if (const Glyph* glyph = glyphFor(*p)) {
      drawGlyph(*glyph, atlasWidth, atlasHeight);
    }
  }
}

void setCorner(GlyphVertex& v, float s, float t, const float* color, float x, float y) {
  v = GlyphVertex{s, t, color[0], color[1], color[2], color[3], x, y, 0.0f, 1.0f};
}

// The same quads from one array: the pen stays in whole atlas pixels, which float holds exactly,
// so the corners land where the per-glyph translations put them.
void drawGlyphsAsArray(const char* text, float atlasWidth, float atlasHeight) {
  // Sized for the longest formatted line; a longer text is drawn in several batches.
  static GlyphQuads quads(256);
  quads.clear();
  int32_t pen = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == ' ') {
      pen += currentFont->spaceAdvance;
      continue;
    }
    const Glyph* glyph = glyphFor(*p);
    if (glyph == nullptr) continue;
    if (quads.full()) {
      quads.draw();
      quads.clear();
    }
    GlyphVertex* v = quads.add();
    if (v == nullptr) return;  // no memory for even one quad: draw nothing rather than crash
    const GlyphTexCoords t = glyphTexCoords(*glyph, atlasWidth, atlasHeight);
    const float left = static_cast<float>(pen + glyph->xOffset);
    const float right = static_cast<float>(pen + glyph->xOffset + glyph->width);
    const float top = static_cast<float>(glyph->yOffset);
    const float bottom = static_cast<float>(glyph->yOffset - glyph->height);
    setCorner(v[0], t.s0, t.t1, bottomColor, left, bottom);
    setCorner(v[1], t.s1, t.t1, bottomColor, right, bottom);
    setCorner(v[2], t.s1, t.t0, topColor, right, top);
    setCorner(v[3], t.s0, t.t0, topColor, left, top);
    pen += glyph->advance;
  }
  quads.draw();
}

}  // namespace

void drawTextLine(float x, float y, const char* text) {
  const Texture* atlas = fontAtlas();
  const GLuint atlasName = atlas != nullptr ? atlas->textureName : 0;
  const float atlasWidth = atlas != nullptr ? static_cast<float>(atlas->width) : 0.0f;
  const float atlasHeight = atlas != nullptr ? static_cast<float>(atlas->height) : 0.0f;

  glPushMatrix();
  beginGlyphState(atlasName);

  // -1.0 is the callers' way of asking for a centred line; any other value is a position.
  if (x == -1.0f) {
    const int32_t width = measureTextLine(text);
    glTranslatef(0.0f, y, 0.0f);
    glScalef(textScale, textScale, 1.0f);
    glTranslatef(-0.5f * static_cast<float>(width), 0.0f, 0.0f);
  } else {
    glTranslatef(x, y, 0.0f);
    glScalef(textScale, textScale, 1.0f);
  }

  if (text != nullptr) {
    if (currentRenderer != nullptr && currentRenderer->drawPath == DrawPath::Literal) {
      drawGlyphsOneByOne(text, atlasWidth, atlasHeight);
    } else {
      drawGlyphsAsArray(text, atlasWidth, atlasHeight);
    }
  }

  glPopMatrix();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

void drawTextLineF(float x, float y, const char* format, ...) {
  if (format == nullptr) return;
  char line[256];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  // Some C libraries leave a truncated buffer unterminated or its contents unspecified on error.
  if (written < 0) line[0] = '\0';
  line[sizeof line - 1] = '\0';
  drawTextLine(x, y, line);
}

}  // namespace marvolet
