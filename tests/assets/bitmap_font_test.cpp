// The text state and line measurement, which need no GL.
#include <gtest/gtest.h>

#include "assets/bitmap_font.h"

namespace marvolet {
namespace {

class TextState : public ::testing::Test {
 protected:
  void TearDown() override { resetTextState(); }
};

TEST_F(TextState, LinesMeasureTheSumOfTheirAdvances) {
  EXPECT_EQ(measureTextLine("A A"), 79 + 29 + 79);
  EXPECT_EQ(measureTextLine("g"), 55);
  EXPECT_EQ(measureTextLine(""), 0);
  EXPECT_EQ(measureTextLine(nullptr), 0);
}

TEST_F(TextState, ASpaceUsesTheFontsSpaceAdvanceNotItsGlyph) {
  static const Glyph glyphs[2] = {{32, 1, 1, 0, 0, 0, 0, 5}, {33, 3, 1, 4, 4, 0, 4, 7}};
  static const BitmapFont font = {2, 32, 10, 5, 11, 0, glyphs};
  currentFont = &font;
  EXPECT_EQ(measureTextLine(" ! "), 11 + 7 + 11);
}

// Outside 32..126 there is no glyph: the lookup must not index outside the table.
TEST_F(TextState, CharactersWithoutAGlyphAreSkipped) {
  EXPECT_EQ(measureTextLine("A\tA"), 79 + 79);
  EXPECT_EQ(measureTextLine("A\x7f"), 79);
  EXPECT_EQ(measureTextLine("\x80\xff\xe9g\x1f"), 55);

  EXPECT_EQ(glyphFor('\x1f'), nullptr);
  EXPECT_EQ(glyphFor('\x7f'), nullptr);
  EXPECT_EQ(glyphFor('\xe9'), nullptr);
  ASSERT_NE(glyphFor(' '), nullptr);
  EXPECT_EQ(glyphFor(' '), &MainFontGlyphs[0]);
  ASSERT_NE(glyphFor('~'), nullptr);
  EXPECT_EQ(glyphFor('~'), &MainFontGlyphs[94]);
  EXPECT_EQ(glyphFor('A')->advance, 79);
}

// The rule the verse rings share: edges in float, right/bottom as left/top plus the size.
TEST_F(TextState, GlyphTextureCoordinatesFollowTheAtlasSize) {
  const Glyph& a = *glyphFor('A');  // 307, 111, 79 x 79
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
  setTextScale(0.0f);
  EXPECT_EQ(textScale, 18.0f / 106.0f);
  setTextScale(0.5f);
  EXPECT_EQ(textScale, 0.5f);
  setTextScale(-0.0f);  // compares equal to 0
  EXPECT_EQ(textScale, 18.0f / 106.0f);
}

TEST_F(TextState, ColourSetsBothCornersAndResetRestoresTheStart) {
  setTextColor(0.1f, 0.2f, 0.3f, 0.4f);
  const float expected[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(bottomColor[i], expected[i]);
    EXPECT_EQ(topColor[i], expected[i]);
  }
  setTextScale(2.0f);
  resetTextState();
  EXPECT_EQ(currentFont, &MainFont);
  EXPECT_EQ(textScale, 0.0034f);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(bottomColor[i], 1.0f);
    EXPECT_EQ(topColor[i], 1.0f);
  }
}

}  // namespace
}  // namespace marvolet
