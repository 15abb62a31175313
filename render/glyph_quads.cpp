// Client-side glyph arrays and their one draw call.
#include "render/glyph_quads.h"

#include <cstddef>
#include <cstdlib>

#include "render/gl.h"

namespace marvolet {

GlyphQuads::GlyphQuads(int32_t capacity)
    : vertices_(static_cast<GlyphVertex*>(
          std::calloc(capacity > 0 ? static_cast<size_t>(capacity) * 4 : 1, sizeof(GlyphVertex)))),
      capacity_(vertices_ != nullptr && capacity > 0 ? capacity : 0) {}

GlyphQuads::~GlyphQuads() {
  std::free(vertices_);
}

GlyphVertex* GlyphQuads::add() {
  if (full()) return nullptr;
  return &vertices_[4 * static_cast<size_t>(count_++)];
}

void GlyphQuads::draw() const {
  if (count_ == 0) return;
  constexpr GLsizei stride = sizeof(GlyphVertex);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(4, GL_FLOAT, stride, &vertices_[0].x);
  glTexCoordPointer(2, GL_FLOAT, stride, &vertices_[0].s);
  glColorPointer(4, GL_FLOAT, stride, &vertices_[0].r);
  glDrawArrays(GL_QUADS, 0, 4 * count_);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
}

}  // namespace marvolet
