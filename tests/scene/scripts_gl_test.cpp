// A frame of the user's words in each script the saver is asked to draw: every glyph from a
// font (no box), the atlas grown to hold them, and the fast path drawing the literal one's
// picture. The fonts come from small Debian packages the test command installs.
#include <gtest/gtest.h>

#include <string>

#include "frame_difference.h"
#include "saver_test.h"
#include "scene/scene.h"

namespace marvolet {
namespace {

struct Words {
  const char* language;
  const char* passage;
  const char* title;
};

const Words Scripts[] = {
    {"French", "Là où l'été s'éveille, ça déçoit peu. ", "Garçon, où êtes-vous ?"},
    {"Polish", "Zażółć gęślą jaźń, pchnąć w tę łódź jeża. ", "Źródło"},
    {"Greek", "Καλημέρα κόσμε, ξεσκεπάζω την ψυχοφθόρα βδελυγμία. ", "Ελληνικά"},
    {"Russian", "Съешь же ещё этих мягких французских булок. ", "Русский"},
    {"Hebrew", "שלום עולם ומלואו, דג סקרן שט בים מאוכזב. ", "עברית"},
    {"Arabic", "مرحبا بالعالم الجميل، نص حكيم له سر قاطع. ", "العربية"},
    {"Hindi", "नमस्ते दुनिया, ऋषियों को सताने वाले दुष्ट राक्षसों। ", "हिन्दी"},
    {"Chinese", "天地玄黄，宇宙洪荒。日月盈昃，辰宿列张。", "千字文"},
    {"Japanese", "いろはにほへと　ちりぬるを　わかよたれそ　つねならむ。", "日本語"},
    {"Korean", "다람쥐 헌 쳇바퀴에 타고파. 키스의 고유조건은 입술끼리 만나야 하고. ", "한국어"},
};

class ScriptsTest : public testing::RendererFixture {
 protected:
  ScriptsTest() : RendererFixture(320, 240) {}

  testing::Pixels frameOf(const SceneContent& content, DrawPath path) {
    drawPath = path;
    clock.set(0);
    build(0, content);
    clock.set(3000);
    renderer->renderFrame();
    return context.readRgb();
  }
};

TEST_F(ScriptsTest, EachScriptIsDrawnFromFontsOnBothPaths) {
  const testing::Pixels builtIn = frameOf(SceneContent{}, DrawPath::Literal);
  for (const Words& words : Scripts) {
    SCOPED_TRACE(words.language);
    SceneContent content;
    for (int k = 0; k < 4; ++k) content.passage += words.passage;
    content.title = words.title;
    const testing::Pixels literal = frameOf(content, DrawPath::Literal);
    const GlyphAtlas* atlas = scene->glyphAtlas();
    ASSERT_NE(atlas, nullptr);
    EXPECT_FALSE(atlas->hasBox()) << "a character was drawn as the missing-glyph box";
    EXPECT_GT(atlas->pictureCount(), 0);
    EXPECT_EQ(scene->textures[0].height, static_cast<uint32_t>(atlas->height()));
    EXPECT_NE(scene->textures[0].textureName, 0u);
    for (uint32_t entry : scene->verse.verse()) {
      ASSERT_NE(scene->text.font->glyphAt(entry), nullptr);
    }
    EXPECT_GT(testing::compare(builtIn, literal).mean, 2.0) << "the words left the frame as it was";

    const testing::Pixels fast = frameOf(content, DrawPath::Fast);
    const testing::Difference d = testing::compare(fast, literal);
    EXPECT_TRUE(testing::samePicture(d)) << testing::describe(d);
  }
}

}  // namespace
}  // namespace marvolet
