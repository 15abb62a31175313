// The generated glyph table against its fixed layout, and against the embedded atlas picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/bitmap_font.h"
#include "assets/embedded_images.h"
#include "assets/texture.h"

namespace marvolet {
namespace {

constexpr int AtlasWidth = 1024;
constexpr int AtlasHeight = 512;
constexpr int Gap = 2;

// Entries every version of the atlas keeps: text measured with them must not change size.
const Glyph FixedGlyphs[] = {
    {32, 1, 1, 0, 0, 0, 0, 29},         {33, 3, 1, 11, 79, 11, 78, 33},
    {48, 526, 1, 49, 80, 3, 78, 55},    {65, 307, 111, 79, 79, 0, 78, 79},
    {81, 447, 194, 74, 99, 7, 78, 88},  {87, 880, 194, 116, 79, -1, 77, 114},
    {95, 324, 295, 53, 3, 0, -8, 53},   {97, 403, 295, 47, 49, 4, 48, 51},
    {103, 701, 295, 51, 79, 5, 48, 55}, {106, 842, 295, 29, 107, -8, 76, 31},
    {109, 1, 404, 88, 48, 2, 47, 92},   {126, 853, 404, 61, 16, 1, 34, 63}};

const Glyph& glyph(char c) {
  return MainFontGlyphs[c - 32];
}

std::string describe(const Glyph& g) {
  return "glyph " + std::to_string(g.code) + " '" + static_cast<char>(g.code) + "'";
}

TEST(GlyphTable, HoldsCodes32To126InOrder) {
  for (int i = 0; i < MainFontGlyphCount; ++i) EXPECT_EQ(MainFontGlyphs[i].code, 32 + i);
}

TEST(GlyphTable, FixedEntriesAreExact) {
  for (const Glyph& want : FixedGlyphs) {
    const Glyph& got = MainFontGlyphs[want.code - 32];
    SCOPED_TRACE(describe(want));
    EXPECT_EQ(got.atlasX, want.atlasX);
    EXPECT_EQ(got.atlasY, want.atlasY);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_EQ(got.xOffset, want.xOffset);
    EXPECT_EQ(got.yOffset, want.yOffset);
    EXPECT_EQ(got.advance, want.advance);
  }
}

// Rectangles follow one another in code order, Gap apart, from (1, 1); a rectangle that would pass
// the right edge starts a new row Gap below the previous row's tallest one.
TEST(GlyphTable, PackingRuleReproducesEveryRectangle) {
  int x = 1;
  int y = 1;
  int rowHeight = 0;
  for (const Glyph& g : MainFontGlyphs) {
    if (x + g.width > AtlasWidth) {
      x = 1;
      y += rowHeight + Gap;
      rowHeight = 0;
    }
    SCOPED_TRACE(describe(g));
    EXPECT_EQ(g.atlasX, x);
    EXPECT_EQ(g.atlasY, y);
    x += g.width + Gap;
    rowHeight = std::max(rowHeight, g.height);
  }
}

TEST(GlyphTable, FiveRowsStartAtTheirFixedCodesAndTops) {
  const struct {
    char first, last;
    int top, tallest;
  } rows[] = {{' ', ':', 1, 108},
              {';', 'J', 111, 81},
              {'K', 'W', 194, 99},
              {'X', 'l', 295, 107},
              {'m', '~', 404, 108}};
  int rightmost = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string("row from '") + row.first + "'");
    EXPECT_EQ(glyph(row.first).atlasX, 1);
    int tallest = 0;
    for (char c = row.first; c <= row.last; ++c) {
      EXPECT_EQ(glyph(c).atlasY, row.top) << c;
      tallest = std::max(tallest, glyph(c).height);
      rightmost = std::max(rightmost, glyph(c).atlasX + glyph(c).width);
    }
    if (row.last != '~') {
      EXPECT_EQ(tallest, row.tallest);
    }
    EXPECT_LE(row.top + tallest, AtlasHeight);
  }
  EXPECT_EQ(rightmost - 1, 1019);  // the last column holding part of a rectangle
}

TEST(GlyphTable, MetricsStayWithinTheirRanges) {
  for (const Glyph& g : MainFontGlyphs) {
    SCOPED_TRACE(describe(g));
    EXPECT_GE(g.advance, 24);
    EXPECT_LE(g.advance, 114);
    EXPECT_GE(g.height, 0);
    EXPECT_LE(g.height, 108);
    EXPECT_GE(g.xOffset, -8);
    EXPECT_LE(g.xOffset, 84);
    EXPECT_GE(g.yOffset, -8);
    EXPECT_LE(g.yOffset, 84);
    if (g.code != ' ') {
      EXPECT_GT(g.width, 0);
    }
  }
}

// Glyphs drawn side by side must share a baseline and a descender line, or text dances.
TEST(GlyphTable, FlatFeetAndDescendersLineUp) {
  for (char c : std::string("!124BDEFHIKLMPRTXZhiklmnrxz")) {
    EXPECT_EQ(glyph(c).yOffset - glyph(c).height, -1) << c << " does not stand on the baseline";
  }
  for (char c : std::string("gjpqy")) {
    EXPECT_EQ(glyph(c).yOffset - glyph(c).height, -31) << c << " ends at another depth";
  }
  for (char c : std::string("nrux")) {
    EXPECT_NEAR(glyph(c).yOffset, glyph('a').yOffset, 1) << c << " has another x-height";
  }
}

class AtlasPicture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    atlas = Texture{};
    decoded = decodeJpeg(atlas, FontAtlasJpeg, static_cast<int32_t>(FontAtlasJpegLength)) &&
              atlas.width == AtlasWidth && atlas.height == AtlasHeight && atlas.bitsPerPixel == 8;
  }
  static void TearDownTestSuite() {
    std::free(atlas.pixels);
    atlas.pixels = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(decoded) << "the embedded atlas did not decode"; }

  static int pixel(int x, int y) { return atlas.pixels[y * AtlasWidth + x]; }
  static int brightestIn(int x0, int y0, int x1, int y1) {
    int brightest = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) brightest = std::max(brightest, pixel(x, y));
    }
    return brightest;
  }

  static Texture atlas;
  static bool decoded;
};

Texture AtlasPicture::atlas{};
bool AtlasPicture::decoded = false;

TEST_F(AtlasPicture, EveryGlyphRectangleHoldsInk) {
  for (const Glyph& g : MainFontGlyphs) {
    if (g.code == ' ') continue;
    EXPECT_GT(brightestIn(g.atlasX, g.atlasY, g.atlasX + g.width, g.atlasY + g.height), 160)
        << describe(g);
  }
}

// Mipmapped, linearly filtered text picks up whatever lies between rectangles.
TEST_F(AtlasPicture, EverythingOutsideTheRectanglesIsDark) {
  std::vector<bool> inside(AtlasWidth * AtlasHeight, false);
  for (const Glyph& g : MainFontGlyphs) {
    for (int y = g.atlasY; y < g.atlasY + g.height; ++y) {
      for (int x = g.atlasX; x < g.atlasX + g.width; ++x) inside[y * AtlasWidth + x] = true;
    }
  }
  int brightest = 0;
  for (int y = 0; y < AtlasHeight; ++y) {
    for (int x = 0; x < AtlasWidth; ++x) {
      if (!inside[y * AtlasWidth + x]) brightest = std::max(brightest, pixel(x, y));
    }
  }
  EXPECT_LT(brightest, 24);
}

// The offsets say where the ink begins relative to the pen and the baseline, so ink must start at
// the rectangle's left and top edges (a curved edge may only graze the outermost pixel line,
// hence two lines); the fixed glyphs fill their rectangles to every side.
TEST_F(AtlasPicture, InkStartsAtTheEdgesTheOffsetsDescribe) {
  constexpr int Visible = 48;
  for (const Glyph& g : MainFontGlyphs) {
    if (g.code == ' ') continue;
    SCOPED_TRACE(describe(g));
    const int right = g.atlasX + g.width;
    const int bottom = g.atlasY + g.height;
    const int edge = std::min({2, g.width, g.height});
    EXPECT_GT(brightestIn(g.atlasX, g.atlasY, g.atlasX + edge, bottom), Visible) << "left edge";
    EXPECT_GT(brightestIn(g.atlasX, g.atlasY, right, g.atlasY + edge), Visible) << "top edge";
    const bool fixed = std::any_of(std::begin(FixedGlyphs), std::end(FixedGlyphs),
                                   [&](const Glyph& f) { return f.code == g.code; });
    if (fixed) {
      EXPECT_GT(brightestIn(right - edge, g.atlasY, right, bottom), Visible) << "right edge";
      EXPECT_GT(brightestIn(g.atlasX, bottom - edge, right, bottom), Visible) << "bottom edge";
    }
  }
}

}  // namespace
}  // namespace marvolet
