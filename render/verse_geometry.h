// The fast path's verse rings' glyph quads of the latest drawing, kept with what they were built
// from, so that a drawing whose inputs have not changed (the glow capture's twin) reuses them.
#pragma once

#include <cstdint>

#include "render/glyph_quads.h"
#include "render/matrix_arithmetic.h"
#include "render/ring_geometry.h"

namespace marvolet {

struct BitmapFont;

// Everything the quads depend on besides the glyph table's contents.
struct VerseGeometryKey {
  TextRing rings[TextRingCount];
  Matrix4 projection;  // the quads are kept in clip coordinates
  Matrix4 modelview;
  const uint32_t* verse;
  int32_t verseLength;
  const BitmapFont* font;
  float scale;     // textdistance * 0.0005
  float color[3];  // textcolor
  bool lightEffects;
  float atlasWidth;
  float atlasHeight;
};

class VerseGeometry {
 public:
  // Room for every glyph the rings show in steady scrolling, several times over; a drawing that
  // needs more (a backlog after a long pause) goes out in batches and is not kept.
  static constexpr int32_t Capacity = 16384;

  VerseGeometry() : quads(Capacity) {}

  // Whether the kept quads were built, whole, from exactly these inputs.
  bool matches(const VerseGeometryKey& key) const;
  void remember(const VerseGeometryKey& key) {
    built = key;
    valid = true;
  }
  void forget() { valid = false; }

  GlyphQuads quads;

 private:
  VerseGeometryKey built{};
  bool valid = false;
};

}  // namespace marvolet
