// Drawing text lines: the calls each line makes, the state it hands on, and the pixels it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/bitmap_font.h"
#include "assets/embedded_images.h"
#include "assets/texture.h"
#include "headless_context.h"
#include "render/gl.h"  // with the GL recorder, in the GL test build
#include "render/literal_path.h"
#include "scene/renderer.h"
#include "render/text_line.h"
#include "scene/scene.h"

namespace marvolet {
namespace {

using testing::GlCall;
using Args = std::vector<double>;

template <typename Draw>
std::vector<GlCall> record(Draw draw) {
  testing::startGlRecording();
  draw();
  return testing::stopGlRecording();
}

size_t countOf(const std::vector<GlCall>& calls, const std::string& name) {
  return static_cast<size_t>(std::count_if(calls.begin(), calls.end(),
                                           [&](const GlCall& call) { return call.name == name; }));
}

// Index of the first call after the line's set-up (push .. bind).
size_t afterSetUp(const std::vector<GlCall>& calls) {
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].name == "glBindTexture") return i + 1;
  }
  return calls.size();
}

class TextLine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(context.ok()) << context.error();
    // The reference path: these tests check its calls glyph by glyph.
    renderer = new Renderer(context.width(), context.height(), 0, DrawPath::Literal);
    ASSERT_NE(renderer->scene->textures, nullptr);
    atlas = renderer->scene->textures[0];
    ASSERT_NE(atlas.textureName, 0u) << "the font atlas did not load";
  }
  void TearDown() override {
    testing::stopGlRecording();
    delete renderer;
  }

  void line(float x, float y, const char* text) {
    drawTextLine(path, style, textAtlasOf(&atlas), x, y, text);
  }
  template <typename... Args>
  void lineF(float x, float y, const char* format, Args... args) {
    drawTextLineF(path, style, textAtlasOf(&atlas), x, y, format, args...);
  }

  tools::HeadlessContext context{512, 160};
  Renderer* renderer = nullptr;
  Texture atlas{};
  LiteralPath path;
  TextStyle style;
};

TEST_F(TextLine, SetsItsStateUpAndHandsDepthBlendAndTexturingBackOff) {
  glEnable(GL_DEPTH_TEST);
  const auto calls = record([&] { line(0.25f, 0.5f, "A"); });
  ASSERT_GE(calls.size(), 10u);
  const std::vector<std::pair<std::string, Args>> setUp = {
      {"glPushMatrix", {}},
      {"glDisable", {GL_DEPTH_TEST}},
      {"glEnable", {GL_BLEND}},
      {"glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}},
      {"glEnable", {GL_TEXTURE_2D}},
      {"glTexEnvi", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE}},
      {"glBindTexture", {GL_TEXTURE_2D, static_cast<double>(atlas.textureName)}},
      {"glTranslatef", {0.25f, 0.5f, 0.0}},
      {"glScalef", {0.0034f, 0.0034f, 1.0}},
  };
  for (size_t i = 0; i < setUp.size(); ++i) {
    EXPECT_EQ(calls[i].name, setUp[i].first) << i;
    EXPECT_EQ(calls[i].args, setUp[i].second) << i;
  }
  const size_t n = calls.size();
  EXPECT_EQ(calls[n - 3].name, "glPopMatrix");
  EXPECT_EQ(calls[n - 2].name, "glDisable");
  EXPECT_EQ(calls[n - 2].args, Args{GL_BLEND});
  EXPECT_EQ(calls[n - 1].name, "glDisable");
  EXPECT_EQ(calls[n - 1].args, Args{GL_TEXTURE_2D});

  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextLine, LeavesTheMatrixAsFoundAndTheColourAtTop) {
  GLfloat before[16], after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, before);
  style.bottomColor[0] = 0.25f;
  style.topColor[0] = 0.75f;
  line(-1.0f, 0.2f, "Aj g");
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  EXPECT_TRUE(std::equal(before, before + 16, after));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0], 0.75f);
}

TEST_F(TextLine, EmptyTextDrawsNothingAndLeavesTheSameState) {
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  const auto calls = record([&] { line(-1.0f, 0.0f, ""); });
  EXPECT_EQ(countOf(calls, "glBegin"), 0u);
  const size_t i = afterSetUp(calls);
  ASSERT_LT(i + 2, calls.size());
  EXPECT_EQ(calls[i + 2].name, "glTranslatef");
  EXPECT_EQ(calls[i + 2].args, (Args{0.0, 0.0, 0.0}));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

// Only exactly -1.0 centres; -0.999 is a position like any other.
TEST_F(TextLine, CentresOnlyForXExactlyMinusOne) {
  const auto centred = record([&] { line(-1.0f, 0.3f, "A A"); });
  size_t i = afterSetUp(centred);
  ASSERT_LT(i + 3, centred.size());
  EXPECT_EQ(centred[i].name, "glTranslatef");
  EXPECT_EQ(centred[i].args, (Args{0.0, 0.3f, 0.0}));
  EXPECT_EQ(centred[i + 1].name, "glScalef");
  EXPECT_EQ(centred[i + 2].name, "glTranslatef");
  EXPECT_EQ(centred[i + 2].args, (Args{-93.5, 0.0, 0.0}));  // half of 79 + 29 + 79

  const auto placed = record([&] { line(-0.999f, 0.3f, "A A"); });
  i = afterSetUp(placed);
  ASSERT_LT(i + 3, placed.size());
  EXPECT_EQ(placed[i].args, (Args{-0.999f, 0.3f, 0.0}));
  EXPECT_EQ(placed[i + 1].name, "glScalef");
  // Straight on to the first glyph: 'A' sits at xOffset 0, yOffset 78.
  EXPECT_EQ(placed[i + 2].name, "glTranslatef");
  EXPECT_EQ(placed[i + 2].args, (Args{0.0, 78.0, 0.0}));
}

// Each glyph: move to its quad's top-left, one quad (bottom colour, then top colour), move back
// onto the baseline one advance further on. A space only advances.
TEST_F(TextLine, DrawsEachGlyphAsItsOwnQuadBetweenTwoTranslations) {
  style.bottomColor[0] = 0.1f;
  style.topColor[0] = 0.9f;
  const auto calls = record([&] { line(0.0f, 0.0f, "j A"); });
  std::vector<std::pair<std::string, Args>> expected;
  const float width = static_cast<float>(atlas.width), height = static_cast<float>(atlas.height);
  const auto glyph = [&](char c) {
    const Glyph& g = *MainFont.glyphFor(c);
    const float s0 = static_cast<float>(g.atlasX) / width;
    const float t0 = static_cast<float>(g.atlasY) / height;
    const float s1 = s0 + static_cast<float>(g.width) / width;
    const float t1 = t0 + static_cast<float>(g.height) / height;
    const double w = g.width, h = g.height;
    expected.push_back({"glTranslatef", {double(g.xOffset), double(g.yOffset), 0}});
    expected.push_back({"glBegin", {GL_QUADS}});
    expected.push_back({"glColor4f", {0.1f, 1, 1, 1}});
    expected.push_back({"glTexCoord2f", {s0, t1}});
    expected.push_back({"glVertex2f", {0, -h}});
    expected.push_back({"glTexCoord2f", {s1, t1}});
    expected.push_back({"glVertex2f", {w, -h}});
    expected.push_back({"glColor4f", {0.9f, 1, 1, 1}});
    expected.push_back({"glTexCoord2f", {s1, t0}});
    expected.push_back({"glVertex2f", {w, 0}});
    expected.push_back({"glTexCoord2f", {s0, t0}});
    expected.push_back({"glVertex2f", {0, 0}});
    expected.push_back({"glEnd", {}});
    expected.push_back({"glTranslatef", {double(g.advance - g.xOffset), double(-g.yOffset), 0}});
  };
  glyph('j');
  expected.push_back({"glTranslatef", {29, 0, 0}});
  glyph('A');

  const size_t first = afterSetUp(calls) + 2;  // past the placement's translate and scale
  ASSERT_EQ(calls.size(), first + expected.size() + 3);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(calls[first + i].name, expected[i].first) << i;
    EXPECT_EQ(calls[first + i].args, expected[i].second) << i;
  }
  // 'j' hangs 8 atlas pixels left of the pen.
  EXPECT_EQ(calls[first].args[0], -8.0);
}

TEST_F(TextLine, CharactersWithoutAGlyphDrawNothing) {
  const auto plain = record([&] { line(0.0f, 0.0f, "AA"); });
  const auto odd = record([&] {
    line(0.0f, 0.0f,
         "\x01"
         "A\t\x7f\x80\xff"
         "A\n");
  });
  ASSERT_EQ(odd.size(), plain.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(odd[i].name, plain[i].name) << i;
    EXPECT_EQ(odd[i].args, plain[i].args) << i;
  }
}

TEST_F(TextLine, NullFormatDrawsNothingAndChangesNoState) {
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  const auto calls = record([&] { lineF(0.0f, 0.0f, nullptr); });
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(TextLine, FormattedLinesDrawLikeTheirText) {
  const auto formatted = record([&] { lineF(-1.0f, 1.0f, "%.2f", 20.0); });
  const auto plain = record([&] { line(-1.0f, 1.0f, "20.00"); });
  ASSERT_EQ(formatted.size(), plain.size());
  for (size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(formatted[i].args, plain[i].args) << i;
}

// A line longer than the 256-byte buffer is cut at 255 characters instead of overrunning it.
TEST_F(TextLine, OverLongFormattedLinesAreCutAt255Characters) {
  const std::string line(1000, 'A');
  auto calls = record([&] { lineF(0.0f, 0.0f, "%s", line.c_str()); });
  EXPECT_EQ(countOf(calls, "glBegin"), 255u);
  calls = record([&] { lineF(0.0f, 0.0f, "%s%s", line.c_str() + 800, line.c_str()); });
  EXPECT_EQ(countOf(calls, "glBegin"), 255u);
  calls = record([&] { lineF(0.0f, 0.0f, "%s", line.c_str() + 745); });
  EXPECT_EQ(countOf(calls, "glBegin"), 255u);
  calls = record([&] { lineF(0.0f, 0.0f, "%s", line.c_str() + 746); });
  EXPECT_EQ(countOf(calls, "glBegin"), 254u);
}

// A slot that never received a picture, or no atlas at all, draws with texture 0.
TEST_F(TextLine, NeverLoadedAtlasBindsTextureZero) {
  const Texture empty{};
  const auto calls =
      record([&] { drawTextLine(path, style, textAtlasOf(&empty), 0.0f, 0.0f, "Ag"); });
  ASSERT_EQ(countOf(calls, "glBindTexture"), 1u);
  EXPECT_EQ(calls[afterSetUp(calls) - 1].args, (Args{GL_TEXTURE_2D, 0}));
  for (const GlCall& call : calls) {
    if (call.name != "glTexCoord2f") continue;
    EXPECT_TRUE(std::isfinite(call.args[0]) && std::isfinite(call.args[1]));
  }

  const auto orphan = record([&] { drawTextLine(path, style, textAtlasOf(nullptr), 0, 0, "A"); });
  EXPECT_EQ(orphan[afterSetUp(orphan) - 1].args, (Args{GL_TEXTURE_2D, 0}));
}

// The fast path draws a line's glyphs as one array: the same quads, no call per glyph.
TEST_F(TextLine, FastPathDrawsALineWithOneArrayDraw) {
  const std::unique_ptr<DrawingPath> fast = makeDrawingPath(DrawPath::Fast);
  const auto calls =
      record([&] { drawTextLine(*fast, style, textAtlasOf(&atlas), 0.0f, 0.0f, "A Ag"); });
  EXPECT_EQ(countOf(calls, "glDrawArrays"), 1u);
  EXPECT_EQ(countOf(calls, "glBegin"), 0u);
}

// At one atlas pixel per screen pixel, each glyph's box on screen shows exactly its rectangle of
// the atlas (white on black), and nothing is drawn outside the boxes.
TEST_F(TextLine, RenderedLinePutsEachGlyphsInkInItsBox) {
  Texture reference{};
  ASSERT_TRUE(decodeJpeg(reference, FontAtlasJpeg, static_cast<int32_t>(FontAtlasJpegLength)));
  const int32_t screenWidth = context.width(), screenHeight = context.height();
  glViewport(0, 0, screenWidth, screenHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, screenWidth, 0, screenHeight, -1, 1);  // y up, one unit per pixel
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  style.setScale(1.0f);
  style.setColor(1, 1, 1, 1);
  const char* text = "Ag j_~Q";
  const int32_t penX = 10, baseline = 40;
  line(static_cast<float>(penX), static_cast<float>(baseline), text);
  const std::vector<uint8_t> rgb = context.readRgb();
  // Screen pixel (x, y) with y counted up from the bottom row, as GL does.
  const auto screen = [&](int32_t x, int32_t y) {
    return static_cast<int>(rgb[(static_cast<size_t>(screenHeight - 1 - y) * screenWidth + x) * 3]);
  };

  std::vector<bool> inBox(static_cast<size_t>(screenWidth) * screenHeight, false);
  int32_t pen = penX;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == ' ') {
      pen += MainFont.spaceAdvance;
      continue;
    }
    const Glyph& g = *MainFont.glyphFor(*p);
    SCOPED_TRACE(std::string(1, *p));
    const int32_t left = pen + g.xOffset, top = baseline + g.yOffset;  // top is exclusive
    int worst = 0, brightest = 0;
    for (int32_t row = 0; row < g.height; ++row) {
      for (int32_t column = 0; column < g.width; ++column) {
        const int32_t x = left + column, y = top - 1 - row;
        ASSERT_TRUE(x >= 0 && x < screenWidth && y >= 0 && y < screenHeight);
        inBox[static_cast<size_t>(y) * screenWidth + x] = true;
        const int expected = reference.pixels[(g.atlasY + row) * 1024 + g.atlasX + column];
        worst = std::max(worst, std::abs(screen(x, y) - expected));
        brightest = std::max(brightest, screen(x, y));
      }
    }
    EXPECT_LE(worst, 3);
    EXPECT_GT(brightest, 160) << "no ink in the box";
    pen += g.advance;
  }
  int outside = 0;
  for (int32_t y = 0; y < screenHeight; ++y) {
    for (int32_t x = 0; x < screenWidth; ++x) {
      if (!inBox[static_cast<size_t>(y) * screenWidth + x])
        outside = std::max(outside, screen(x, y));
    }
  }
  EXPECT_LE(outside, 3);
  std::free(reference.pixels);
}

}  // namespace
}  // namespace marvolet
