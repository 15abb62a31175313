// The text style and line measurement, which need no GL.
#include <gtest/gtest.h>

#include "assets/bitmap_font.h"

namespace marvolet {
namespace {

using TextState = ::testing::Test;

TEST_F(TextState, LinesMeasureTheSumOfTheirAdvances) {
  EXPECT_EQ(MainFont.measureLine("A A"), 79 + 29 + 79);
  EXPECT_EQ(MainFont.measureLine("g"), 55);
  EXPECT_EQ(MainFont.measureLine(""), 0);
  EXPECT_EQ(MainFont.measureLine(nullptr), 0);
}

TEST_F(TextState, ASpaceUsesTheFontsSpaceAdvanceNotItsGlyph) {
  static const Glyph glyphs[2] = {{32, 1, 1, 0, 0, 0, 0, 5}, {33, 3, 1, 4, 4, 0, 4, 7}};
  static const BitmapFont font = {2, 32, 10, 5, 11, 0, glyphs};
  EXPECT_EQ(font.measureLine(" ! "), 11 + 7 + 11);
}

// Outside 32..126 there is no glyph: the lookup must not index outside the table.
TEST_F(TextState, CharactersWithoutAGlyphAreSkipped) {
  EXPECT_EQ(MainFont.measureLine("A\tA"), 79 + 79);
  EXPECT_EQ(MainFont.measureLine("A\x7f"), 79);
  EXPECT_EQ(MainFont.measureLine("\x80\xff\xe9g\x1f"), 55);

  EXPECT_EQ(MainFont.glyphFor('\x1f'), nullptr);
  EXPECT_EQ(MainFont.glyphFor('\x7f'), nullptr);
  EXPECT_EQ(MainFont.glyphFor('\xe9'), nullptr);
  ASSERT_NE(MainFont.glyphFor(' '), nullptr);
  EXPECT_EQ(MainFont.glyphFor(' '), &MainFontGlyphs[0]);
  ASSERT_NE(MainFont.glyphFor('~'), nullptr);
  EXPECT_EQ(MainFont.glyphFor('~'), &MainFontGlyphs[94]);
  EXPECT_EQ(MainFont.glyphFor('A')->advance, 79);
}

// The rule the verse rings share: edges in float, right/bottom as left/top plus the size.
TEST_F(TextState, GlyphTextureCoordinatesFollowTheAtlasSize) {
  const Glyph& a = *MainFont.glyphFor('A');  // 307, 111, 79 x 79
  const GlyphTexCoords t = glyphTexCoords(a, 1024.0f, 512.0f);
  EXPECT_EQ(t.s0, 307.0f / 1024.0f);
  EXPECT_EQ(t.t0, 111.0f / 512.0f);
  EXPECT_EQ(t.s1, 307.0f / 1024.0f + 79.0f / 1024.0f);
  EXPECT_EQ(t.t1, 111.0f / 512.0f + 79.0f / 512.0f);
  // An atlas that never decoded has no size: finite zeros, not a division by zero.
  const GlyphTexCoords none = glyphTexCoords(a, 0.0f, 0.0f);
  EXPECT_EQ(none.s0, 0.0f);
  EXPECT_EQ(none.t1, 0.0f);
}

TEST_F(TextState, ScaleZeroSelectsTheFontsOwnRatio) {
  TextStyle style;
  style.setScale(0.0f);
  EXPECT_EQ(style.scale, 18.0f / 106.0f);
  style.setScale(0.5f);
  EXPECT_EQ(style.scale, 0.5f);
  style.setScale(-0.0f);  // compares equal to 0
  EXPECT_EQ(style.scale, 18.0f / 106.0f);
}

TEST_F(TextState, ColourSetsBothCornersAndANewStyleHasTheStartValues) {
  TextStyle style;
  style.setColor(0.1f, 0.2f, 0.3f, 0.4f);
  const float expected[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(style.bottomColor[i], expected[i]);
    EXPECT_EQ(style.topColor[i], expected[i]);
  }
  const TextStyle fresh;
  EXPECT_EQ(fresh.font, &MainFont);
  EXPECT_EQ(fresh.scale, 0.0034f);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(fresh.bottomColor[i], 1.0f);
    EXPECT_EQ(fresh.topColor[i], 1.0f);
  }
}

}  // namespace
}  // namespace marvolet
