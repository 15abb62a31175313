// Command-line entry: regenerates every committed picture and the glyph table in a source tree.
#include <sys/stat.h>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "emblems.h"
#include "glyph_atlas.h"
#include "icon_file.h"
#include "image_files.h"

namespace {

constexpr char kDefaultFont[] =
    "/usr/share/texmf/fonts/opentype/public/tex-gyre/texgyretermes-regular.otf";
// Text is filtered out of the atlas with mipmaps, so anything left between rectangles smears into
// neighbouring glyphs; JPEG ringing must stay below this.
constexpr int kDarkLimit = 12;
constexpr int kAtlasQuality = 95;
constexpr int kLogoQuality = 92;

void makeDirectory(const std::string& path) {
  mkdir(path.c_str(), 0755);
}

void writeAtlas(const std::string& root, const std::string& fontPath) {
  const assetgen::FontAtlas atlas = assetgen::buildFontAtlas(fontPath);
  const std::vector<unsigned char> jpeg = assetgen::encodeGrayJpeg(atlas.image, kAtlasQuality);
  const assetgen::GrayImage decoded = assetgen::decodeGrayJpeg(jpeg);
  const int before = assetgen::brightestOutsideRectangles(atlas.image, atlas.glyphs);
  const int after = assetgen::brightestOutsideRectangles(decoded, atlas.glyphs);
  std::printf("atlas: %zu bytes, brightest pixel outside the glyphs %d before JPEG, %d after\n",
              jpeg.size(), before, after);
  if (before != 0 || after > kDarkLimit) {
    throw std::runtime_error("the atlas is not dark enough between glyphs");
  }
  for (const assetgen::GlyphAdjustment& a : atlas.adjustments) {
    if (a.xScale < 0.995 || a.xScale > 1.005 || a.padRight > 0 || a.padBottom > 0) {
      std::printf("  '%c' width x%.3f, %d blank columns, %d blank rows\n", a.code, a.xScale,
                  a.padRight, a.padBottom);
    }
  }
  assetgen::writeFile(root + "/assets/data/font_atlas.jpg", jpeg);
  assetgen::writeTextFile(root + "/assets/main_font_glyphs.cpp",
                          assetgen::glyphTableSource(atlas.glyphs));
  assetgen::writeGrayPng(root + "/docs/assets/atlas.png", decoded);
}

void writeLogo(const std::string& root, const std::string& name, const assetgen::GrayImage& logo) {
  const std::vector<unsigned char> jpeg = assetgen::encodeGrayJpeg(logo, kLogoQuality);
  long covered = 0;
  for (uint8_t v : logo.pixels) covered += v;
  std::printf(
      "%s: %zu bytes, mean coverage %.1f%%\n", name.c_str(), jpeg.size(),
      100.0 * static_cast<double>(covered) / (255.0 * static_cast<double>(logo.pixels.size())));
  assetgen::writeFile(root + "/assets/data/" + name + ".jpg", jpeg);
  assetgen::writeGrayPng(root + "/docs/assets/" + name + ".png", assetgen::decodeGrayJpeg(jpeg));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s SOURCE_ROOT [FONT.otf]\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const std::string fontPath = argc == 3 ? argv[2] : kDefaultFont;
  try {
    makeDirectory(root + "/docs/assets");
    writeAtlas(root, fontPath);
    writeLogo(root, "first_logo", assetgen::drawFirstLogo(256));
    writeLogo(root, "second_logo", assetgen::drawSecondLogo(256));
    assetgen::writeFile(
        root + "/resources/marvolet.ico",
        assetgen::encodeIcon({assetgen::drawIconEmblem(32), assetgen::drawIconEmblem(16)}));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "assetgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
