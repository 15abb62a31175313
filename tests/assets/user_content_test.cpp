// The user's items read from what the settings name: each one that cannot be used is told in
// one line naming it, the file and why, and stays built-in while the others are read.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "assets/user_content.h"
#include "jpeg_samples.h"

namespace marvolet {
namespace {

class UserContentFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/marvolet-content-XXXXXX";
    folder = mkdtemp(pattern);
  }
  void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
  std::string file(const std::string& name, const std::string& bytes) const {
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string folder;
};

TEST_F(UserContentFiles, EachItemThatCannotBeUsedIsToldAndStaysBuiltIn) {
  const std::vector<unsigned char> jpeg =
      testing::encodeJpeg(40, 10, 3, [](int, int, int) { return 90; });
  const std::string picture = file("wide.jpg", std::string(jpeg.begin(), jpeg.end()));
  SceneContentSources sources;
  sources.passagePath = file("words.txt", "\xEF\xBB\xBFOur  own\r\nwords\n");
  sources.title = "A title";
  sources.firstLogoPath = picture;
  std::vector<std::string> notes;
  SceneContent content = readSceneContent(sources, &notes);
  EXPECT_TRUE(notes.empty()) << notes.front();
  EXPECT_EQ(content.passage, "Our own words ");  // a space before the words come round again
  EXPECT_EQ(content.title, "A title");
  ASSERT_NE(content.firstLogo, nullptr);
  EXPECT_EQ(content.firstLogo->width, 40u);
  EXPECT_EQ(content.secondLogo, nullptr);  // none named: the built-in one

  // A picture larger than any logo's place is kept no larger than it is drawn, its shape kept.
  const std::vector<unsigned char> long_ =
      testing::encodeJpeg(5000, 40, 3, [](int, int, int) { return 200; });
  sources.secondLogoPath = file("long.jpg", std::string(long_.begin(), long_.end()));
  content = readSceneContent(sources, &notes);
  ASSERT_NE(content.secondLogo, nullptr);
  EXPECT_LE(content.secondLogo->width, MaxLogoSide);
  EXPECT_NEAR(static_cast<double>(content.secondLogo->width) / content.secondLogo->height, 125.0,
              125.0 * 0.1);
  EXPECT_EQ(content.secondLogo->pixels[0], 200);

  sources.passagePath = folder + "/missing.txt";
  sources.title = std::string(201, 'x');
  sources.firstLogoPath = file("logo.png", "not a picture at all");
  sources.secondLogoPath = folder;
  notes.clear();
  content = readSceneContent(sources, &notes);
  EXPECT_TRUE(content.passage.empty());
  EXPECT_TRUE(content.title.empty());
  EXPECT_EQ(content.firstLogo, nullptr);
  EXPECT_EQ(content.secondLogo, nullptr);
  ASSERT_EQ(notes.size(), 4u);
  const char* items[] = {"passage ", "title \"", "first logo ", "second logo "};
  const char* endings[] = {"the built-in passage is drawn", "the built-in title is drawn",
                           "the built-in first logo is drawn", "the built-in second logo is drawn"};
  for (size_t i = 0; i < notes.size(); ++i) {
    EXPECT_EQ(notes[i].rfind(items[i], 0), 0u) << notes[i];
    EXPECT_NE(notes[i].find(endings[i]), std::string::npos) << notes[i];
    EXPECT_EQ(notes[i].find('\n'), std::string::npos) << notes[i];
  }
  EXPECT_NE(notes[0].find(sources.passagePath + ": "), std::string::npos) << notes[0];
  // Each reason is the reader's own, not a generic failure.
  EXPECT_NE(notes[0], notes[2]);
  EXPECT_NE(notes[2].substr(notes[2].find(": ")), notes[3].substr(notes[3].find(": ")));

  // A passage of nothing but white space and control characters is no passage.
  sources = SceneContentSources{};
  sources.passagePath = file("blank.txt", std::string(" \t\r\n\0\x01 ", 7));
  notes.clear();
  content = readSceneContent(sources, &notes);
  EXPECT_TRUE(content.passage.empty());
  EXPECT_EQ(notes.size(), 1u);
}

// The line a dialog shows under a file: the opening words of a passage, cut after a word or, in a
// script without spaces, at the count; a logo's size; for either that cannot be used the same
// words the saver's line ends with, without the path the dialog already shows.
TEST_F(UserContentFiles, GlimpsesShowTheOpeningOrTheSaversOwnReason) {
  EXPECT_EQ(passageGlimpse(file("short.txt", "Our  own\nwords")),
            "\xE2\x80\x9COur own words\xE2\x80\x9D");
  EXPECT_EQ(passageGlimpse(file("long.txt", "Twelve letters and then some more words to come"), 20),
            "\xE2\x80\x9CTwelve letters and\xE2\x80\xA6\xE2\x80\x9D");
  // U+5929 U+5730 U+7384 U+9EC4 U+5B87 U+5B99: three of them, then the ellipsis.
  EXPECT_EQ(passageGlimpse(file("zh.txt",
                                "\xE5\xA4\xA9\xE5\x9C\xB0\xE7\x8E\x84\xE9\xBB\x84"
                                "\xE5\xAE\x87\xE5\xAE\x99"),
                           3),
            "\xE2\x80\x9C\xE5\xA4\xA9\xE5\x9C\xB0\xE7\x8E\x84\xE2\x80\xA6\xE2\x80\x9D");
  EXPECT_EQ(passageGlimpse(""), "The built-in passage is drawn");

  const std::vector<unsigned char> jpeg =
      testing::encodeJpeg(40, 10, 3, [](int, int, int) { return 90; });
  EXPECT_EQ(logoGlimpse("first logo", file("a.jpg", std::string(jpeg.begin(), jpeg.end()))),
            "40 \xC3\x97 10 pixels");
  EXPECT_EQ(logoGlimpse("second logo", ""), "The built-in second logo is drawn");

  SceneContentSources sources;
  sources.passagePath = folder + "/missing.txt";
  sources.secondLogoPath = file("logo.png", "not a picture at all");
  std::vector<std::string> notes;
  readSceneContent(sources, &notes);
  ASSERT_EQ(notes.size(), 2u);
  const auto reasonOf = [](const std::string& note) { return note.substr(note.find(": ") + 2); };
  EXPECT_EQ(passageGlimpse(sources.passagePath), "Cannot be used: " + reasonOf(notes[0]));
  EXPECT_EQ(logoGlimpse("second logo", sources.secondLogoPath),
            "Cannot be used: " + reasonOf(notes[1]));
}

}  // namespace
}  // namespace marvolet
