// The user's passage and title: files refused for plain reasons, and any bytes made into one
// clean line of text.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "assets/text_file.h"

namespace marvolet {
namespace {

class TemporaryFolder {
 public:
  TemporaryFolder() {
    char pattern[] = "/tmp/marvolet-text-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TemporaryFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string file(const std::string& name, const std::string& bytes) const {
    const std::string path = path_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string passage(const std::string& bytes) {
  const UserText result =
      passageFromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  return result.usable() ? result.text : "refused: " + result.reason;
}

TEST(PassageFile, RefusesWhatCannotBeAPassageAndSaysWhy) {
  TemporaryFolder folder;
  struct Case {
    std::string path;
    const char* because;
  };
  const std::string fifo = folder.path() + "/pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // One byte past the limit, sparse so that nothing is written; it is refused from its size.
  const std::string large = folder.file("large.txt", "");
  ASSERT_EQ(truncate(large.c_str(), MaxPassageBytes + 1), 0);
  const Case cases[] = {
      {folder.path() + "/absent.txt", "there is no such file"},
      {folder.path() + "/absent/inner.txt", "there is no such file"},
      {folder.path(), "it is a folder, not a file"},
      {fifo, "it is not a regular file"},  // and reading it did not wait for a writer
      {"/dev/zero", "it is not a regular file"},
      {large, "it is 1.0 MiB; a passage may be at most 1 MiB"},
      {folder.file("empty.txt", ""), "the file is empty"},
      {folder.file("blank.txt", " \r\n\t\xC2\xA0\x01 \xE3\x80\x80\n"), "it holds no text"},
  };
  for (const Case& c : cases) {
    const UserText result = readPassageFile(c.path);
    EXPECT_FALSE(result.usable()) << c.path;
    EXPECT_EQ(result.reason, c.because) << c.path;
    EXPECT_TRUE(result.text.empty()) << c.path;
  }
  if (geteuid() != 0) {  // root reads any file
    const std::string locked = folder.file("locked.txt", "words");
    chmod(locked.c_str(), 0);
    EXPECT_EQ(readPassageFile(locked).reason, "it cannot be read (Permission denied)");
  }
}

TEST(PassageFile, ReadsAFileAtTheLimitUnderAnyName) {
  TemporaryFolder folder;
  std::string words(MaxPassageBytes, 'a');
  words[100] = '\n';
  const UserText full = readPassageFile(folder.file("full.txt", words));
  ASSERT_TRUE(full.usable()) << full.reason;
  EXPECT_EQ(full.text.size(), MaxPassageBytes);
  EXPECT_EQ(full.text[100], ' ');
  // A Greek file name, as Notepad saves in UTF-16 with a byte-order mark.
  const UserText greek = readPassageFile(
      folder.file("\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82.txt",
                  std::string("\xFF\xFE\xBB\x03\xCC\x03\x0D\x00\x0A\x00\xB3\x03", 12)));
  ASSERT_TRUE(greek.usable()) << greek.reason;
  EXPECT_EQ(greek.text, "\xCE\xBB\xCF\x8C \xCE\xB3");
}

TEST(PassageBytes, EachIllFormedUtf8SubpartBecomesOneReplacementCharacter) {
  const std::string fffd = "\xEF\xBF\xBD";
  // Unicode's own example of maximal subparts: a, three broken sequences, b, one stray
  // continuation, c, two, d.
  EXPECT_EQ(passage("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"),
            "a" + fffd + fffd + fffd + "b" + fffd + "c" + fffd + fffd + "d");
  EXPECT_EQ(passage("x\xC0\xAFy"), "x" + fffd + fffd + "y");             // overlong slash
  EXPECT_EQ(passage("x\xE0\x80\xAFy"), "x" + fffd + fffd + fffd + "y");  // overlong, 3 bytes
  EXPECT_EQ(passage("x\xED\xA0\x80y"), "x" + fffd + fffd + fffd + "y");  // a surrogate
  EXPECT_EQ(passage("x\xF4\x90\x80\x80y"), "x" + fffd + fffd + fffd + fffd + "y");  // > U+10FFFF
  EXPECT_EQ(passage("x\xF5\xFF"), "x" + fffd + fffd);
  EXPECT_EQ(passage("x\xE2\x82"), "x" + fffd);  // cut off at the end
  // Well-formed text of every length passes unchanged.
  EXPECT_EQ(passage("\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xEF\xBF\xBF"),
            "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\xEF\xBF\xBF");
}

TEST(PassageBytes, BreaksAndSpacesFoldControlsGoAndByteOrderMarksChooseTheEncoding) {
  struct Case {
    std::string bytes;
    const char* text;
  };
  const Case cases[] = {
      {"  one\r\n\r\ntwo\tthree\x0B\x0C"
       "four  ",
       "one two three four"},
      {"A" + std::string(1, '\0') +
           "B\x07\x1B\x7F"
           "C",
       "ABC"},  // NUL and controls dropped
      {"a\xC2\x85"
       "b\xE2\x80\xA8"
       "c\xE2\x80\xA9"
       "d",
       "a b c d"},  // NEL, LS, PS break
      {"a\xC2\x80\xC2\x9F"
       "b\xEF\xBB\xBF"
       "c",
       "abc"},  // C1 controls, an inner U+FEFF
      {"\xC2\xA0 a\xC2\xA0"
       "b \xE3\x80\x80 c \xE3\x80\x80",
       "a\xC2\xA0"
       "b \xE3\x80\x80 c"},
      {"\xEF\xBB\xBF"
       "caf\xC3\xA9",
       "caf\xC3\xA9"},  // UTF-8 byte-order mark
      // UTF-16 LE: a, U+1F600 as a surrogate pair, an unpaired high surrogate, b.
      {std::string("\xFF\xFE"
                   "a\x00\x3D\xD8\x00\xDE\x3D\xD8"
                   "b\x00",
                   12),
       "a\xF0\x9F\x98\x80\xEF\xBF\xBD"
       "b"},
      // UTF-16 BE: a lone low surrogate, a line break, then an odd last byte.
      {std::string("\xFE\xFF\xDC\x00\x00\x0A\x00"
                   "z"
                   "q",
                   9),
       "\xEF\xBF\xBD z\xEF\xBF\xBD"},
      {std::string("\xFF\xFE \x00\x0A\x00", 6), "refused: it holds no text"},
  };
  for (const Case& c : cases) EXPECT_EQ(passage(c.bytes), c.text) << c.bytes;
}

TEST(Title, IsOneLineOfAtMost200Characters) {
  EXPECT_EQ(titleFromTyped(" Our\r\nown\twords ").text, "Our own words");
  // 200 characters of three bytes each fit; 201 are refused, not cut.
  std::string chinese;
  for (int i = 0; i < 200; ++i) chinese += "\xE5\xAD\x97";
  EXPECT_EQ(titleFromTyped(chinese).text, chinese);
  const UserText tooLong = titleFromTyped(chinese + "!");
  EXPECT_FALSE(tooLong.usable());
  EXPECT_EQ(tooLong.reason, "it has 201 characters; a title may have at most 200");
  EXPECT_EQ(titleFromTyped("").reason, "it is empty");
  EXPECT_EQ(titleFromTyped(" \n\x01").reason, "it holds no text");
  EXPECT_EQ(titleFromTyped("a\xFF").text, "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace marvolet
