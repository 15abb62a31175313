// The logo pictures as the saver shows them, and the icon file's structure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/embedded_images.h"
#include "assets/texture.h"

namespace marvolet {
namespace {

constexpr int LogoSize = 256;

struct Logo {
  std::vector<unsigned char> pixels;  // empty when decoding failed

  int at(int x, int y) const { return pixels[y * LogoSize + x]; }
  // Mean coverage over [x0, x1) x [y0, y1), 0 to 1.
  double coverage(int x0, int y0, int x1, int y1) const {
    double sum = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) sum += at(x, y);
    }
    return sum / (255.0 * (x1 - x0) * (y1 - y0));
  }
};

Logo decodeLogo(const unsigned char* stream, uint32_t length) {
  Texture texture{};
  Logo logo;
  if (decodeJpeg(texture, stream, static_cast<int32_t>(length)) && texture.width == LogoSize &&
      texture.height == LogoSize && texture.bitsPerPixel == 8) {
    logo.pixels.assign(texture.pixels, texture.pixels + LogoSize * LogoSize);
  }
  std::free(texture.pixels);
  return logo;
}

class LogoPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    logos[0] = decodeLogo(FirstLogoJpeg, FirstLogoJpegLength);
    logos[1] = decodeLogo(SecondLogoJpeg, SecondLogoJpegLength);
    ASSERT_FALSE(logos[0].pixels.empty());
    ASSERT_FALSE(logos[1].pixels.empty());
  }
  Logo logos[2];
};

// The logo quad overhangs the view, so roughly the middle two thirds is what shows.
constexpr int ViewFrom = LogoSize / 6;
constexpr int ViewTo = LogoSize - LogoSize / 6;

TEST_F(LogoPictures, ShowTheirDesignInTheMiddleAndLeaveMostOfItBlack) {
  for (const Logo& logo : logos) {
    const double shown = logo.coverage(ViewFrom, ViewFrom, ViewTo, ViewTo);
    EXPECT_GT(shown, 0.08) << "too little to see";
    EXPECT_LT(shown, 0.3) << "too dense for the text beneath to stay readable";
    int brightest = 0;
    for (int y = LogoSize / 4; y < LogoSize * 3 / 4; ++y) {
      for (int x = LogoSize / 4; x < LogoSize * 3 / 4; ++x)
        brightest = std::max(brightest, logo.at(x, y));
    }
    EXPECT_GT(brightest, 230) << "the centre holds no strong shape";
  }
}

// The texture is clamped: a bright border would smear across the whole quad edge.
TEST_F(LogoPictures, FadeToBlackAtTheBorder) {
  for (const Logo& logo : logos) {
    int brightest = 0;
    for (int i = 0; i < LogoSize; ++i) {
      for (int e : {0, 1, LogoSize - 2, LogoSize - 1}) {
        brightest = std::max({brightest, logo.at(i, e), logo.at(e, i)});
      }
    }
    EXPECT_LT(brightest, 16);
  }
}

TEST_F(LogoPictures, DifferEnoughForTheCrossFadeToShow) {
  double difference = 0;
  for (int y = ViewFrom; y < ViewTo; ++y) {
    for (int x = ViewFrom; x < ViewTo; ++x) {
      difference += std::abs(logos[0].at(x, y) - logos[1].at(x, y));
    }
  }
  difference /= 255.0 * (ViewTo - ViewFrom) * (ViewTo - ViewFrom);
  EXPECT_GT(difference, 0.1);
}

// --- The icon: classic BMP-in-ICO, 4 bits per pixel, read the way Windows' resource compiler
// and loader read it.

// This file lives in <root>/tests/assets/.
std::string sourceRoot() {
  std::string path = __FILE__;
  for (int i = 0; i < 3; ++i) path = path.substr(0, path.find_last_of("/\\"));
  return path;
}

uint32_t read16(const std::vector<unsigned char>& b, size_t at) {
  return b[at] | b[at + 1] << 8;
}
uint32_t read32(const std::vector<unsigned char>& b, size_t at) {
  return read16(b, at) | read16(b, at + 2) << 16;
}

TEST(IconFile, HoldsA32AndA16PixelSixteenColourImageWithMasks) {
  std::ifstream in(sourceRoot() + "/resources/marvolet.ico", std::ios::binary);
  ASSERT_TRUE(in) << sourceRoot();
  const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GE(b.size(), 6u + 2 * 16u);
  EXPECT_EQ(read16(b, 0), 0u);
  EXPECT_EQ(read16(b, 2), 1u);  // an icon, not a cursor
  ASSERT_EQ(read16(b, 4), 2u);
  const int sizes[] = {32, 16};
  size_t expectedOffset = 6 + 2 * 16;
  for (int i = 0; i < 2; ++i) {
    const int size = sizes[i];
    SCOPED_TRACE(size);
    const size_t entry = 6 + 16 * i;
    EXPECT_EQ(b[entry], size);
    EXPECT_EQ(b[entry + 1], size);
    EXPECT_EQ(b[entry + 2], 16);
    EXPECT_EQ(read16(b, entry + 6), 4u);
    const size_t colorRow = (size * 4 + 31) / 32 * 4;
    const size_t maskRow = (size + 31) / 32 * 4;
    const size_t bytes = 40 + 16 * 4 + (colorRow + maskRow) * size;
    EXPECT_EQ(read32(b, entry + 8), bytes);
    const size_t offset = read32(b, entry + 12);
    EXPECT_EQ(offset, expectedOffset);
    expectedOffset += bytes;
    ASSERT_LE(offset + bytes, b.size());

    EXPECT_EQ(read32(b, offset), 40u);
    EXPECT_EQ(read32(b, offset + 4), static_cast<uint32_t>(size));
    EXPECT_EQ(read32(b, offset + 8), static_cast<uint32_t>(2 * size));  // colour and mask rows
    EXPECT_EQ(read16(b, offset + 14), 4u);
    EXPECT_EQ(read32(b, offset + 16), 0u);  // uncompressed
    // The standard VGA palette, stored blue, green, red, zero.
    const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                              0x008080, 0xc0c0c0, 0x808080, 0xff0000, 0x00ff00, 0xffff00,
                              0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
    for (int c = 0; c < 16; ++c) {
      const size_t at = offset + 40 + 4 * c;
      EXPECT_EQ(b[at + 2] << 16 | b[at + 1] << 8 | b[at], vga[c]) << "palette entry " << c;
    }
    // Bottom-up rows: the mask's first row is the picture's bottom. The round emblem leaves the
    // corners transparent and covers the centre.
    const size_t mask = offset + 40 + 64 + colorRow * size;
    auto transparent = [&](int x, int y) {
      return (b[mask + (size - 1 - y) * maskRow + x / 8] & (0x80 >> (x % 8))) != 0;
    };
    EXPECT_TRUE(transparent(0, 0));
    EXPECT_TRUE(transparent(size - 1, size - 1));
    EXPECT_FALSE(transparent(size / 2, size / 2));
    // Transparent pixels carry colour 0, so the XOR step leaves the screen as it was.
    const size_t colors = offset + 40 + 64;
    const int cornerIndex = b[colors + (size - 1) * colorRow] >> 4;
    EXPECT_EQ(cornerIndex, 0);
  }
  EXPECT_EQ(expectedOffset, b.size());
}

}  // namespace
}  // namespace marvolet
