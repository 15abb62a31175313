// libFuzzer target: any text, as UTF-8 or as UTF-32 code units, split into runs and shaped with
// the embedded face and the system's fonts gives one glyph list whose every glyph is an entry of
// the atlas, tied to a character of the text, and whose packed rectangles lie inside the atlas.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/glyph_atlas.h"
#include "assets/text_shaper.h"
#include "assets/utf8.h"

namespace {

// The system's faces for a wide spread of scripts, found once: asking fontconfig for every
// input would make the run mostly fontconfig's.
const std::vector<marvolet::platform::FontFile>& systemFaces() {
  static const std::vector<marvolet::platform::FontFile> faces = marvolet::platform::systemFontsFor(
      U"\u00e9\u03b1\u0436\u05d0\u0628\u0915\u4e2d\u3042\uac00\u2603\U0001F600");
  return faces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  marvolet::GlyphAtlas atlas(marvolet::MainFont, 1024, 512);
  marvolet::TextShaper shaper(atlas, [](const std::u32string&) { return systemFaces(); });
  size_t characters = 0;
  marvolet::ShapedText shaped;
  if (data[0] & 1) {
    std::u32string text((size - 1) / 4, U'\0');
    std::memcpy(&text[0], data + 1, text.size() * 4);
    characters = text.size();
    shaped = shaper.shape(text);
  } else {
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    characters = marvolet::decodeUtf8(text).size();
    shaped = shaper.shape(text);
  }
  const size_t n = shaped.glyphs.size();
  if (shaped.clusters.size() != n || shaped.faceGlyphs.size() != n || shaped.faces.size() != n) {
    std::abort();
  }
  if (shaped.boxes > characters || (characters > 0 && n == 0)) std::abort();
  for (size_t i = 0; i < n; ++i) {
    if (shaped.clusters[i] >= characters) std::abort();
    if (atlas.font().glyphAt(shaped.glyphs[i]) == nullptr) std::abort();
  }
  atlas.pack();
  const marvolet::BitmapFont& font = atlas.font();
  for (int32_t k = marvolet::MainFontGlyphCount; k < font.glyphCount; ++k) {
    const marvolet::Glyph& g = font.glyphs[k];
    if (g.width == 0 || g.height == 0) continue;
    if (g.atlasX < 0 || g.atlasY < 0 || g.atlasX + (g.width >> g.texelShift) > atlas.width() ||
        g.atlasY + (g.height >> g.texelShift) > atlas.height()) {
      std::abort();
    }
  }
  return 0;
}
