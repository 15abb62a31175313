// Glyph quads gathered in client-side arrays and drawn with one call: text without a GL call per
// glyph.
#pragma once

#include <cstdint>

namespace marvolet {

// One corner of a glyph quad, laid out for glVertexPointer, glTexCoordPointer and glColorPointer
// over one interleaved array.
struct GlyphVertex {
  float s, t;        // texture coordinates in the atlas
  float r, g, b, a;  // vertex colour
  float x, y, z, w;  // position in the space the quads are drawn in (w 1 but for clip space)
};

// A fixed number of quads, allocated once; adding never allocates.
class GlyphQuads {
 public:
  explicit GlyphQuads(int32_t capacity);
  ~GlyphQuads();
  GlyphQuads(const GlyphQuads&) = delete;
  GlyphQuads& operator=(const GlyphQuads&) = delete;

  int32_t count() const { return count_; }
  bool full() const { return count_ >= capacity_; }
  void clear() { count_ = 0; }

  // The next quad's four corners, to be filled in the order the glyph is drawn: bottom-left,
  // bottom-right, top-right, top-left. Null when full.
  GlyphVertex* add();
  GlyphVertex* data() { return vertices_; }

  // Draws every quad with glDrawArrays(GL_QUADS) under the current GL state, then disables the
  // three client arrays again, as the star field leaves them.
  void draw() const;

 private:
  GlyphVertex* vertices_;
  int32_t capacity_;
  int32_t count_ = 0;
};

}  // namespace marvolet
