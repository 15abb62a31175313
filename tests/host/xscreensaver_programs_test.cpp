// Editing xscreensaver's programs list: byte-exact edits, repeat runs, odd layouts, refusals.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/x11/xscreensaver_programs.h"

namespace marvolet {
namespace {

// As xscreensaver-settings writes it: the list's lines padded with tabs, each \n continued with
// a backslash, and a blank line closing the entry.
const std::string kWrittenByXscreensaver =
    "# XScreenSaver Preferences File\n"
    "# Written by xscreensaver-settings 6.06 for alice on Tue Dec  8 10:00:00 2026.\n"
    "\n"
    "timeout:\t0:10:00\n"
    "mode:\t\tone\n"
    "selected:\t1\n"
    "\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "  GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\\n"
    "  GL: \t\t  \"Cubes\"\tcubestorm --root\t\t\t    \\n\\\n"
    "\n"
    "pointerHysteresis:\t10\n";

const std::string kOurLine = "  GL: \t\t\t\tmarvolet -root\t\t\t\t    \\n\\\n";

const std::string kDefaults =
    "! comment\n"
    "#error not for xrdb\n"
    "*mode:\t\t\trandom\n"
    "*programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "  GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\n"
    "\n"
    "*hacks.foo.name: Foo\n";

std::vector<std::string> commands(const std::string& file) {
  std::vector<std::string> list;
  for (const ListedHack& hack : readProgramsList(file).hacks) {
    list.push_back(std::string(hack.enabled ? "" : "-") + (hack.visual.empty() ? "" : "GL:") +
                   (hack.name.empty() ? "" : "\"" + hack.name + "\"") + hack.command);
  }
  return list;
}

std::vector<std::string> plus(std::vector<std::string> list, const std::string& more) {
  list.push_back(more);
  return list;
}

// The whole cycle on a file as xscreensaver writes it: one line inserted before the closing
// blank line and nothing else, no change the second time, and removal restoring every byte.
TEST(XscreensaverProgramsTest, AddsOneLineToXscreensaversOwnLayoutAndRemovesItExactly) {
  EXPECT_EQ(commands(kWrittenByXscreensaver),
            (std::vector<std::string>{"maze --root", "GL:superquadrics --root", "-noseguy --root",
                                      "GL:\"Cubes\"cubestorm --root"}));
  const ProgramsEdit added = addToPrograms(kWrittenByXscreensaver, "");
  ASSERT_EQ(added.outcome, ProgramsEdit::Changed) << added.message;
  const size_t at = kWrittenByXscreensaver.find("\npointerHysteresis");
  EXPECT_EQ(added.text,
            kWrittenByXscreensaver.substr(0, at) + kOurLine + kWrittenByXscreensaver.substr(at));
  EXPECT_EQ(added.number, 5);

  const ProgramsEdit again = addToPrograms(added.text, "");
  EXPECT_EQ(again.outcome, ProgramsEdit::Unchanged);
  EXPECT_EQ(again.number, 5);

  const ProgramsEdit removed = removeFromPrograms(added.text);
  ASSERT_EQ(removed.outcome, ProgramsEdit::Changed) << removed.message;
  EXPECT_EQ(removed.text, kWrittenByXscreensaver);
  EXPECT_EQ(removeFromPrograms(removed.text).outcome, ProgramsEdit::Unchanged);
}

// Hand-written lists: one line, no closing \n, comments around, CRLF endings, an earlier list
// that the later one overrides, an entry of ours that is disabled or named by its full path.
TEST(XscreensaverProgramsTest, HandWrittenListsGainOurEntryAndLoseOnlyIt) {
  struct Case {
    const char* file;
    std::vector<std::string> before;
  };
  const Case cases[] = {
      {"programs:\tGL: foo -root \\n\n", {"GL:foo -root"}},
      {"lock: False\nprograms: foo -root", {"foo -root"}},
      {"programs: a \\n b\\\n\n# done\nfade: True\n", {"a", "b"}},
      {"programs: a\\n\\\n  b \\n\\\n\n", {"a", "b"}},
      {"programs: old\nPrograms: \\\n  x -root \\n\\\n  y -root \\n\n", {"x -root", "y -root"}},
      {"programs:\n", {}},
      {"programs:\t\t\t\t\t\t\t\t      \\\n\nlock: True\n", {}},
      {"timeout: 0:05:00\r\nprograms: a \\n\r\n", {"a"}},
      {"programs: \"My one\" /opt/x/bin/tool --root \\n\\\n\t\\t  GL:  z   -r\\n\\\n\n",
       {"\"My one\"/opt/x/bin/tool --root", "GL:z -r"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(commands(c.file), c.before);
    const ProgramsEdit added = addToPrograms(c.file, "");
    ASSERT_EQ(added.outcome, ProgramsEdit::Changed) << added.message;
    EXPECT_EQ(commands(added.text), plus(c.before, "GL:marvolet -root"));
    EXPECT_EQ(added.number, static_cast<int>(c.before.size() + 1));
    // Only inserted bytes: the old file is the new one with one stretch taken out.
    const std::string& text = added.text;
    const std::string old = c.file;
    size_t prefix = 0;
    while (prefix < old.size() && text[prefix] == old[prefix]) ++prefix;
    EXPECT_EQ(text.substr(text.size() - (old.size() - prefix)), old.substr(prefix));
    EXPECT_EQ(addToPrograms(text, "").outcome, ProgramsEdit::Unchanged);
    const ProgramsEdit removed = removeFromPrograms(text);
    ASSERT_EQ(removed.outcome, ProgramsEdit::Changed) << removed.message;
    EXPECT_EQ(commands(removed.text), c.before);
  }

  const std::string disabled =
      "programs: a \\n\\\n-  GL: /usr/libexec/xscreensaver/marvolet "
      "--root \\n\\\n- marvolet -window \\n\n";
  const ProgramsEdit enabled = addToPrograms(disabled, "");
  ASSERT_EQ(enabled.outcome, ProgramsEdit::Changed);
  EXPECT_EQ(enabled.number, 2);
  EXPECT_EQ(commands(enabled.text),
            (std::vector<std::string>{"a", "GL:/usr/libexec/xscreensaver/marvolet --root",
                                      "-marvolet -window"}));
  const ProgramsEdit bothGone = removeFromPrograms(disabled);
  ASSERT_EQ(bothGone.outcome, ProgramsEdit::Changed);
  EXPECT_EQ(commands(bothGone.text), std::vector<std::string>{"a"});
  // Only the first word names the program.
  EXPECT_EQ(addToPrograms("programs: xmarvolet -root \\n sh -c marvolet\n", "").number, 3);
  // ... after any environment assignments, and whatever options follow it.
  const std::string tuned =
      "programs: GL: LP_NUM_THREADS=0 marvolet -root \\n\\\n"
      "  A='x y' B=\"1 2\" /usr/bin/marvolet -root -no-stars \\n\\\n"
      "  X=marvolet xlock \\n 'A=1' marvolet\n";
  const ProgramsEdit kept = addToPrograms(tuned, "");
  EXPECT_EQ(kept.outcome, ProgramsEdit::Unchanged) << kept.text;
  EXPECT_EQ(kept.number, 1);
  const ProgramsEdit tunedGone = removeFromPrograms(tuned);
  ASSERT_EQ(tunedGone.outcome, ProgramsEdit::Changed) << tunedGone.message;
  EXPECT_EQ(commands(tunedGone.text),
            (std::vector<std::string>{"X=marvolet xlock", "'A=1' marvolet"}));
}

// A file without a list gets the defaults' list and ours at its end, as does a new file; the
// list lines are laid out as xscreensaver lays them out.
TEST(XscreensaverProgramsTest, MissingListsComeFromTheDefaults) {
  const std::vector<std::string> defaults = {"maze --root", "GL:superquadrics --root",
                                             "-noseguy --root", "GL:marvolet -root"};
  const ProgramsEdit created = newProgramsFile(kDefaults);
  ASSERT_EQ(created.outcome, ProgramsEdit::Changed) << created.message;
  EXPECT_EQ(commands(created.text), defaults);
  EXPECT_EQ(created.number, 4);
  EXPECT_NE(created.text.find("programs:\t\t\t\t\t\t\t\t      \\\n"
                              "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"),
            std::string::npos);
  EXPECT_NE(created.text.find("-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\\n" + kOurLine + "\n"),
            std::string::npos);
  EXPECT_EQ(addToPrograms(created.text, "").outcome, ProgramsEdit::Unchanged);

  const std::string settingsOnly = "lock: True\ntimeout: 0:05:00";
  const ProgramsEdit appended = addToPrograms(settingsOnly, kDefaults);
  ASSERT_EQ(appended.outcome, ProgramsEdit::Changed) << appended.message;
  EXPECT_EQ(appended.text.substr(0, settingsOnly.size() + 2), settingsOnly + "\n\n");
  EXPECT_EQ(commands(appended.text), defaults);
  EXPECT_EQ(addToPrograms(settingsOnly, "").outcome, ProgramsEdit::Refused);
  EXPECT_EQ(newProgramsFile("*mode: random\n").outcome, ProgramsEdit::Refused);

  // A long command breaks onto continuation lines and still reads back whole.
  const std::string longCommand =
      "programs: GL: " + std::string(60, 'x') + " --root " + std::string(30, 'y') + " \\n\n";
  const ProgramsEdit wrapped = newProgramsFile("*" + longCommand);
  ASSERT_EQ(wrapped.outcome, ProgramsEdit::Changed) << wrapped.message;
  EXPECT_NE(wrapped.text.find("   \\\n"), std::string::npos);
  EXPECT_EQ(commands(wrapped.text), plus(commands(longCommand), "GL:marvolet -root"));
}

// What xscreensaver would read otherwise than we do is refused for both edits.
TEST(XscreensaverProgramsTest, RefusesFilesItCannotReadAsXscreensaverDoes) {
  const std::string refused[] = {
      std::string("programs: a\n\0\n", 15),
      "timeout: 0:10:00\nthis line has no colon\nprograms: a\n",
      "programs: a \\n\\\n" + std::string(1200, 'b') + "\n",
      std::string(kMaxXscreensaverFileBytes + 1, '#'),
  };
  for (const std::string& file : refused) {
    SCOPED_TRACE(file.substr(0, 40));
    const ProgramsEdit added = addToPrograms(file, kDefaults);
    EXPECT_EQ(added.outcome, ProgramsEdit::Refused);
    EXPECT_FALSE(added.message.empty());
    EXPECT_EQ(removeFromPrograms(file).outcome, ProgramsEdit::Refused);
  }
  EXPECT_NE(addToPrograms(refused[1], "").message.find("line 2"), std::string::npos);
  // An edit that would change another entry is refused too: taking ours out after an unclosed
  // quoted name would cut the blanks that name ends in.
  const std::string openQuote = "programs: \"open name   \\n marvolet -root\n";
  ASSERT_EQ(commands(openQuote), (std::vector<std::string>{"\"open name   \"", "marvolet -root"}));
  EXPECT_EQ(removeFromPrograms(openQuote).outcome, ProgramsEdit::Refused);
  // A key is the word alone, up to the colon.
  EXPECT_EQ(readProgramsList("a: b\\\nc\\\n d\nprograms : x\n").found, false);
}

// Ids of ordinary users that exist only in these tests.
constexpr uid_t kStandIn = 4321;
constexpr uid_t kSomeoneElse = 4322;

// A group this process belongs to besides its own, to show that an edit keeps a file's group;
// -1 where there is none.
gid_t anotherGroupOfMine() {
  if (geteuid() == 0) return kSomeoneElse;
  gid_t groups[64];
  const int count = getgroups(64, groups);
  for (int i = 0; i < count; ++i) {
    if (groups[i] != getegid()) return groups[i];
  }
  return static_cast<gid_t>(-1);
}

// The command refuses root, so where the tests run as root the fixture acts as an ordinary user
// of its own: the effective ids only, which the tear-down takes back.
class XscreensaverFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/marvolet-xss-XXXXXX";
    home_ = mkdtemp(pattern);
    if (geteuid() == 0) {
      ASSERT_EQ(chown(home_.c_str(), kStandIn, kStandIn), 0);
      // A folder where anyone may write, holding a file of someone else's.
      char others[] = "/tmp/marvolet-others-XXXXXX";
      others_ = mkdtemp(others);
      chmod(others_.c_str(), 0777);
      write(others_ + "/xscreensaver", kWrittenByXscreensaver);
      ASSERT_EQ(chown((others_ + "/xscreensaver").c_str(), kSomeoneElse, kSomeoneElse), 0);
      chmod((others_ + "/xscreensaver").c_str(), 0666);
      ASSERT_EQ(setegid(kStandIn), 0);
      ASSERT_EQ(seteuid(kStandIn), 0);
      switched_ = true;
    }
    defaults_ = home_ + "/XScreenSaver";
    write(defaults_, kDefaults);
  }
  void TearDown() override {
    if (switched_) {
      EXPECT_EQ(seteuid(0), 0);
      EXPECT_EQ(setegid(0), 0);
    }
    std::system(("rm -rf '" + home_ + "'").c_str());
    if (!others_.empty()) std::system(("rm -rf '" + others_ + "'").c_str());
  }

  static void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  int run(bool add, const FileWriteCalls& calls = systemFileWriteCalls()) {
    message_.clear();
    return editXscreensaverFile(add, home_, {home_ + "/absent", defaults_}, &message_, calls);
  }

  std::string home_;
  std::string others_;  // with a file of someone else's, where the tests run as root
  std::string defaults_;
  std::string message_;
  bool switched_ = false;
};

// The command on real files: created from the defaults, edited in place keeping the mode and a
// symbolic link, and a file it cannot read left untouched with a failing status.
TEST_F(XscreensaverFileTest, EditsTheFileInPlaceAndLeavesWhatItCannotRead) {
  const std::string path = home_ + "/.xscreensaver";
  EXPECT_EQ(run(false), 0) << message_;
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  ASSERT_EQ(run(true), 0) << message_;
  EXPECT_EQ(commands(read(path)).back(), "GL:marvolet -root");
  EXPECT_NE(message_.find("xscreensaver-command -select 4"), std::string::npos) << message_;

  write(home_ + "/real", kWrittenByXscreensaver);
  chmod((home_ + "/real").c_str(), 0600);
  unlink(path.c_str());
  ASSERT_EQ(symlink("real", path.c_str()), 0);
  ASSERT_EQ(run(true), 0) << message_;
  struct stat info {};
  ASSERT_EQ(lstat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(commands(read(path)).size(), 5u);
  const std::string once = read(path);
  EXPECT_EQ(run(true), 0);
  EXPECT_EQ(read(path), once);
  EXPECT_EQ(run(false), 0);
  EXPECT_EQ(read(path), kWrittenByXscreensaver);

  const std::string garbled = "programs: a\nnot a setting\n";
  write(home_ + "/real", garbled);
  EXPECT_EQ(run(true), 1);
  EXPECT_NE(message_.find("line 2"), std::string::npos) << message_;
  EXPECT_EQ(read(path), garbled);
  unlink(path.c_str());
  mkdir(path.c_str(), 0700);
  EXPECT_EQ(run(true), 1);
  rmdir(path.c_str());
  unlink(defaults_.c_str());
  EXPECT_EQ(run(true), 1);
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  EXPECT_NE(message_.find("not installed"), std::string::npos) << message_;
}

uid_t actingAsRoot() {
  return 0;
}
uid_t actingAsAStranger() {
  return geteuid() + 1;
}

// Root (as "sudo -E" runs it, with the user's HOME) and anyone but the file's owner are refused
// before anything is read or made, through a link too; the owner's edit keeps the file's owner,
// group and mode.
TEST_F(XscreensaverFileTest, OnlyTheFilesOwnerEditsItAndItsOwnerGroupAndModeStay) {
  const std::string path = home_ + "/.xscreensaver";
  FileWriteCalls root = systemFileWriteCalls();
  root.user = actingAsRoot;
  FileWriteCalls stranger = systemFileWriteCalls();
  stranger.user = actingAsAStranger;
  for (bool add : {true, false}) {
    EXPECT_EQ(run(add, root), 1);
    EXPECT_NE(message_.find("run it as"), std::string::npos) << message_;
    EXPECT_NE(message_.find("not as root"), std::string::npos) << message_;
    EXPECT_EQ(run(add, stranger), 1);
    EXPECT_NE(message_.find("run it as"), std::string::npos) << message_;
    EXPECT_NE(access(path.c_str(), F_OK), 0) << "made by someone who was refused";
  }
  write(path, kWrittenByXscreensaver);
  chmod(path.c_str(), 0640);
  const gid_t group = anotherGroupOfMine();
  if (group != static_cast<gid_t>(-1)) {
    ASSERT_EQ(chown(path.c_str(), geteuid(), group), 0);
  }
  EXPECT_EQ(run(true, root), 1);
  EXPECT_EQ(run(true, stranger), 1);
  EXPECT_EQ(read(path), kWrittenByXscreensaver);

  ASSERT_EQ(run(true), 0) << message_;
  EXPECT_EQ(commands(read(path)).size(), 5u);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, geteuid());
  if (group != static_cast<gid_t>(-1)) {
    EXPECT_EQ(info.st_gid, group);
  }
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  if (others_.empty()) return;  // a file of someone else's needs root to be made
  // A link to a file someone else owns, in a folder where anyone may write: left alone.
  const std::string theirs = others_ + "/xscreensaver";
  unlink(path.c_str());
  ASSERT_EQ(symlink(theirs.c_str(), path.c_str()), 0);
  EXPECT_EQ(run(true), 1);
  EXPECT_NE(message_.find("belongs to"), std::string::npos) << message_;
  EXPECT_EQ(read(theirs), kWrittenByXscreensaver);
  ASSERT_EQ(stat(theirs.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, kSomeoneElse);
  EXPECT_EQ(info.st_gid, kSomeoneElse);
}

}  // namespace
}  // namespace marvolet
