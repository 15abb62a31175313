// Draws the icon's emblem in the 16 VGA colours and writes the classic .ico layout.
#include "icon_file.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "emblems.h"

namespace assetgen {

namespace {

constexpr int kBlack = 0;
constexpr int kNavy = 4;
constexpr int kSilver = 7;
constexpr int kYellow = 11;

void put16(std::vector<unsigned char>& out, uint32_t v) {
  out.push_back(static_cast<unsigned char>(v & 0xff));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

size_t colorRowBytes(int size) {
  return static_cast<size_t>((size * 4 + 31) / 32 * 4);
}
size_t maskRowBytes(int size) {
  return static_cast<size_t>((size + 31) / 32 * 4);
}

}  // namespace

const std::array<PaletteColor, 16>& vgaPalette() {
  static const std::array<PaletteColor, 16> palette = {{{0x00, 0x00, 0x00},
                                                        {0x80, 0x00, 0x00},
                                                        {0x00, 0x80, 0x00},
                                                        {0x80, 0x80, 0x00},
                                                        {0x00, 0x00, 0x80},
                                                        {0x80, 0x00, 0x80},
                                                        {0x00, 0x80, 0x80},
                                                        {0xc0, 0xc0, 0xc0},
                                                        {0x80, 0x80, 0x80},
                                                        {0xff, 0x00, 0x00},
                                                        {0x00, 0xff, 0x00},
                                                        {0xff, 0xff, 0x00},
                                                        {0x00, 0x00, 0xff},
                                                        {0xff, 0x00, 0xff},
                                                        {0x00, 0xff, 0xff},
                                                        {0xff, 0xff, 0xff}}};
  return palette;
}

IconImage drawIconEmblem(int size) {
  IconImage image;
  image.size = size;
  const double c = size / 2.0;
  const double radius = c - 0.25;
  const bool large = size >= 32;
  const double outer = large ? radius - 3.2 : radius - 1.2;
  const double rimWidth = large ? 0.9 : 0.6;
  // At 16 pixels slender tips vanish; a fuller star keeps eight of them visible.
  const double inner = outer * (large ? 0.42 : 0.5);
  auto inStar = [&](double x, double y) { return starDistance(x, y, 8, outer, inner, 0) <= 0; };
  // Each pixel takes the colour of the layer covering enough of it. Blending layers into in-between
  // palette colours muddies a 16-colour picture; clean steps read better at this size.
  constexpr int kSamples = 8;
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      int disc = 0, rim = 0, star = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = px + (sx + 0.5) / kSamples - c;
          const double y = py + (sy + 0.5) / kSamples - c;
          if (discDistance(x, y, radius) > 0) continue;
          ++disc;
          if (inStar(x, y)) {
            ++star;
          } else if (ringDistance(x, y, radius - rimWidth, rimWidth) <= 0) {
            ++rim;
          }
        }
      }
      constexpr int kAll = kSamples * kSamples;
      const bool clear = disc < kAll / 2;
      int index = kNavy;
      if (clear) {
        index = kBlack;
      } else if (star >= kAll * 2 / 5) {
        index = kYellow;
      } else if (rim >= kAll * 2 / 5) {
        index = kSilver;
      }
      image.transparent.push_back(clear);
      image.indices.push_back(static_cast<uint8_t>(index));
    }
  }
  return image;
}

std::vector<unsigned char> encodeIcon(const std::vector<IconImage>& images) {
  std::vector<unsigned char> out;
  put16(out, 0);  // reserved
  put16(out, 1);  // icon, not cursor
  put16(out, static_cast<uint32_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  std::vector<std::vector<unsigned char>> bodies;
  for (const IconImage& image : images) {
    if (image.size <= 0 || image.size > 255) throw std::runtime_error("bad icon size");
    const size_t colorBytes = colorRowBytes(image.size) * image.size;
    const size_t maskBytes = maskRowBytes(image.size) * image.size;
    std::vector<unsigned char> body;
    put32(body, 40);
    put32(body, static_cast<uint32_t>(image.size));
    put32(body, static_cast<uint32_t>(image.size * 2));  // colour rows and mask rows together
    put16(body, 1);
    put16(body, 4);
    put32(body, 0);  // BI_RGB
    put32(body, static_cast<uint32_t>(colorBytes + maskBytes));
    put32(body, 0);
    put32(body, 0);
    put32(body, 0);  // all 16 palette entries
    put32(body, 0);
    for (const PaletteColor& c : vgaPalette()) {
      body.insert(body.end(), {c.blue, c.green, c.red, 0});
    }
    for (int y = image.size - 1; y >= 0; --y) {
      std::vector<unsigned char> row(colorRowBytes(image.size), 0);
      for (int x = 0; x < image.size; ++x) {
        const uint8_t index = image.indices[static_cast<size_t>(y) * image.size + x];
        row[x / 2] |= static_cast<unsigned char>(x % 2 == 0 ? index << 4 : index);
      }
      body.insert(body.end(), row.begin(), row.end());
    }
    for (int y = image.size - 1; y >= 0; --y) {
      std::vector<unsigned char> row(maskRowBytes(image.size), 0);
      for (int x = 0; x < image.size; ++x) {
        if (image.transparent[static_cast<size_t>(y) * image.size + x]) {
          row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
      }
      body.insert(body.end(), row.begin(), row.end());
    }
    out.push_back(static_cast<unsigned char>(image.size));
    out.push_back(static_cast<unsigned char>(image.size));
    out.push_back(16);  // colours
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, 4);  // bits per pixel
    put32(out, static_cast<uint32_t>(body.size()));
    put32(out, offset);
    offset += static_cast<uint32_t>(body.size());
    bodies.push_back(std::move(body));
  }
  for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace assetgen
