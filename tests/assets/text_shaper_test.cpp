// The user's words in each script as the shaper lays them out: a font for every character, the
// glyphs in reading order, Arabic joined, Devanagari reordered, and a box where no font helps.
// Uses the system's fonts through fontconfig (the test command installs fonts-dejavu-core,
// fonts-lohit-deva and fonts-wqy-microhei).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assets/glyph_atlas.h"
#include "assets/text_shaper.h"

namespace marvolet {
namespace {

struct Sample {
  const char* language;
  const char* text;
  bool rightToLeft;
};

// Short passages, one per script family the saver is asked to draw.
const Sample Samples[] = {
    {"French", "Là où l'été s'éveille, ça déçoit peu", false},
    {"Polish", "Zażółć gęślą jaźń", false},
    {"Greek", "Καλημέρα κόσμε", false},
    {"Russian", "Съешь же ещё этих мягких булок", false},
    {"Hebrew", "שלום עולם ומלואו", true},
    {"Arabic", "مرحبا بالعالم الجميل", true},
    {"Hindi", "नमस्ते दुनिया क्षत्रिय", false},
    {"Chinese", "天地玄黄，宇宙洪荒。", false},
    {"Japanese", "いろはにほへと　ちりぬるを", false},
    {"Korean", "다람쥐 헌 쳇바퀴에 타고파", false},
};

class TextShaperTest : public ::testing::Test {
 protected:
  TextShaperTest() : atlas(MainFont, 1024, 512), shaper(atlas) {}

  // The glyphs of one face for `text`, as the face numbers them.
  std::vector<uint32_t> faceGlyphs(const std::string& text) {
    return shaper.shape(text).faceGlyphs;
  }

  GlyphAtlas atlas;
  TextShaper shaper;
};

TEST_F(TextShaperTest, EveryScriptIsDrawnFromAFontInReadingOrder) {
  for (const Sample& sample : Samples) {
    SCOPED_TRACE(sample.language);
    const ShapedText shaped = shaper.shape(sample.text);
    EXPECT_EQ(shaped.boxes, 0u);
    EXPECT_EQ(shaped.rightToLeft, sample.rightToLeft);
    ASSERT_FALSE(shaped.glyphs.empty());
    for (size_t i = 0; i < shaped.glyphs.size(); ++i) {
      EXPECT_NE(shaped.faces[i], ShapedText::Box) << i;
      const Glyph* glyph = atlas.font().glyphAt(shaped.glyphs[i]);
      ASSERT_NE(glyph, nullptr) << i;
      EXPECT_GT(glyph->advance + glyph->width, 0) << "glyph " << i << " would vanish";
    }
    // Left to right the clusters rise in a left-to-right script and fall in a right-to-left one:
    // what the rings show reads in the script's own direction.
    std::vector<uint32_t> order = shaped.clusters;
    if (sample.rightToLeft) std::reverse(order.begin(), order.end());
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
  }
  // ASCII letters keep the built-in glyphs; the others come from the embedded face first.
  const ShapedText polish = shaper.shape("Zaż");
  ASSERT_EQ(polish.glyphs.size(), 3u);
  EXPECT_EQ(polish.glyphs[0], static_cast<uint32_t>('Z' - 32));
  EXPECT_EQ(polish.glyphs[1], static_cast<uint32_t>('a' - 32));
  EXPECT_EQ(polish.faces[2], 0);
  EXPECT_EQ(shaper.faceName(0), "embedded");

  // Every glyph made for these words fits the atlas, below the built-in picture.
  EXPECT_TRUE(atlas.pack());
  EXPECT_GT(atlas.height(), 512);
  for (int32_t k = MainFontGlyphCount; k < atlas.font().glyphCount; ++k) {
    const Glyph& g = atlas.font().glyphs[k];
    if (g.width == 0) continue;
    EXPECT_GE(g.atlasY, 512) << k;
    EXPECT_LE(g.atlasX + (g.width >> g.texelShift), atlas.width()) << k;
    EXPECT_LE(g.atlasY + (g.height >> g.texelShift), atlas.height()) << k;
  }
}

TEST_F(TextShaperTest, ArabicJoinsDevanagariReordersAndMixedDirectionsNest) {
  // Beh, yeh, teh: in the word each takes its joining form, unlike the same letters apart; the
  // word's first letter is drawn rightmost.
  const ShapedText word = shaper.shape("بيت");
  const std::vector<uint32_t> apart = faceGlyphs("ب ي ت");
  ASSERT_EQ(word.glyphs.size(), 3u);
  EXPECT_EQ(word.clusters, (std::vector<uint32_t>{2, 1, 0}));
  EXPECT_NE(word.faceGlyphs[2], apart[4]);  // initial beh, not the isolated one
  EXPECT_NE(word.faceGlyphs[1], apart[2]);  // medial yeh
  EXPECT_NE(word.faceGlyphs[0], apart[0]);  // final teh

  // Ka with the vowel sign i: the sign is drawn first, to the left of the consonant it follows.
  const ShapedText ki = shaper.shape("कि");
  ASSERT_EQ(ki.glyphs.size(), 2u);
  EXPECT_EQ(ki.faceGlyphs[1], faceGlyphs("क")[0]);
  EXPECT_NE(ki.faceGlyphs[0], ki.faceGlyphs[1]);
  // Ka, virama, ssa: one conjunct glyph.
  EXPECT_LT(shaper.shape("क्ष").glyphs.size(), 3u);

  // Hebrew inside a left-to-right line reads right to left in its place; a right-to-left line
  // puts a Latin word at its left end, still left to right.
  EXPECT_EQ(shaper.shape("ab שלום cd").clusters,
            (std::vector<uint32_t>{0, 1, 2, 6, 5, 4, 3, 7, 8, 9}));
  const ShapedText rtl = shaper.shape("שלום ab");
  EXPECT_TRUE(rtl.rightToLeft);
  EXPECT_EQ(rtl.clusters, (std::vector<uint32_t>{5, 6, 4, 3, 2, 1, 0}));
}

TEST_F(TextShaperTest, WhatNoFontDrawsIsOneBoxPerCharacterAndNeverAGap) {
  // A lookup that finds nothing, or files that are not fonts: the embedded face draws what it
  // has and every other character is one box with a box's advance.
  for (const FontLookup& lookup :
       {FontLookup([](const std::u32string&) { return std::vector<platform::FontFile>{}; }),
        FontLookup([](const std::u32string&) {
          return std::vector<platform::FontFile>{
              {"/nonexistent/font.ttf", 0},
              {"/proc/self/status", 0},
              {"/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", 99}};
        })}) {
    GlyphAtlas own(MainFont, 1024, 512);
    TextShaper lonely(own, lookup);
    const ShapedText shaped = lonely.shape("a中文b");
    ASSERT_EQ(shaped.glyphs.size(), 4u);
    EXPECT_EQ(shaped.boxes, 2u);
    EXPECT_EQ(shaped.glyphs[1], own.box());
    EXPECT_EQ(shaped.glyphs[2], own.box());
    EXPECT_GT(own.font().glyphAt(own.box())->advance, 20);
  }

  // Code points nobody has drawn (unassigned, private use), emoji and their modifiers and
  // joiners, ill-formed UTF-8, controls and surrogates: each character a glyph or a box.
  const std::string odd =
      "\xCD\xB8\xEE\x80\x80 \xF0\x9F\x98\x80\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD "
      "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB \xFF\xC0\xAF\x01 \xED\xA0\x80";
  const ShapedText shaped = shaper.shape(odd);
  EXPECT_GE(shaped.boxes, 2u);
  for (size_t i = 0; i < shaped.glyphs.size(); ++i) {
    const Glyph* glyph = atlas.font().glyphAt(shaped.glyphs[i]);
    ASSERT_NE(glyph, nullptr);
    if (shaped.faces[i] == ShapedText::Box) {
      EXPECT_EQ(shaped.glyphs[i], atlas.box());
    } else if (shaped.glyphs[i] != static_cast<uint32_t>(' ' - 32)) {
      EXPECT_GT(glyph->advance + glyph->width, 0) << i;
    }
  }
  const std::u32string wide = {0x110000, 0xD800, 0x41, 0xFFFFFFFF};
  EXPECT_EQ(shaper.shape(wide).glyphs.size(), 4u);
  EXPECT_TRUE(shaper.shape(std::string()).glyphs.empty());
}

}  // namespace
}  // namespace marvolet
