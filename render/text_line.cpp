// Text lines: glyph state, placement and centring; the glyphs themselves go out by the path.
#include "render/text_line.h"

#include <cstdarg>
#include <cstdio>

#include "assets/texture.h"
#include "render/drawing_path.h"
#include "render/gl.h"

namespace marvolet {

TextAtlas textAtlasOf(const Texture* texture) {
  TextAtlas atlas;
  if (texture == nullptr) return atlas;
  atlas.name = texture->textureName;
  atlas.width = static_cast<float>(texture->width);
  atlas.height = static_cast<float>(texture->height);
  return atlas;
}

void beginGlyphState(uint32_t atlasName) {
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBindTexture(GL_TEXTURE_2D, atlasName);
}

void drawTextLine(DrawingPath& path, const TextStyle& style, const TextAtlas& atlas, float x,
                  float y, const char* text) {
  // Lines of plain text are short (the frame-rate line at most 255 characters): no allocation.
  uint32_t glyphs[256];
  size_t count = 0;
  const BitmapFont& font = *style.font;
  for (const char* p = text; p != nullptr && *p != '\0' && count < 256; ++p) {
    if (font.glyphFor(*p) != nullptr) {
      glyphs[count++] = static_cast<uint32_t>(static_cast<signed char>(*p) - font.firstChar);
    }
  }
  drawTextLine(path, style, atlas, x, y, text != nullptr ? glyphs : nullptr, count);
}

void drawTextLine(DrawingPath& path, const TextStyle& style, const TextAtlas& atlas, float x,
                  float y, const uint32_t* glyphs, size_t count) {
  glPushMatrix();
  beginGlyphState(atlas.name);

  // -1.0 is the callers' way of asking for a centred line; any other value is a position.
  if (x == -1.0f) {
    const int32_t width = glyphs != nullptr ? style.font->measureGlyphs(glyphs, count) : 0;
    glTranslatef(0.0f, y, 0.0f);
    glScalef(style.scale, style.scale, 1.0f);
    glTranslatef(-0.5f * static_cast<float>(width), 0.0f, 0.0f);
  } else {
    glTranslatef(x, y, 0.0f);
    glScalef(style.scale, style.scale, 1.0f);
  }

  if (glyphs != nullptr) path.drawGlyphs(glyphs, count, style, atlas);

  glPopMatrix();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

void drawTextLineF(DrawingPath& path, const TextStyle& style, const TextAtlas& atlas, float x,
                   float y, const char* format, ...) {
  if (format == nullptr) return;
  char line[256];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  // Some C libraries leave a truncated buffer unterminated or its contents unspecified on error.
  if (written < 0) line[0] = '\0';
  line[sizeof line - 1] = '\0';
  drawTextLine(path, style, atlas, x, y, line);
}

}  // namespace marvolet
