// Command-line switches the platform may pass, and the oddities of reading them byte by byte.
#include <gtest/gtest.h>

#include <string>

#include "host/command_line.h"

namespace marvolet {
namespace {

struct Case {
  const char* line;
  SaverMode mode;
  int32_t window;
  bool foreground;
};

void expectParses(const Case& c) {
  SCOPED_TRACE(std::string("command line: [") + c.line + "]");
  const CommandLine parsed = parseCommandLine(c.line);
  EXPECT_EQ(parsed.mode, c.mode);
  EXPECT_EQ(parsed.window, c.window);
  EXPECT_EQ(parsed.useForegroundWindow, c.foreground);
}

TEST(CommandLine, ProgramNameAloneSelectsConfigWithoutOwner) {
  for (const Case& c : {
           Case{"saver.scr", Config, 0, false},
           Case{"saver.scr   ", Config, 0, false},
           Case{"\"C:\\Program Files\\saver.scr\"", Config, 0, false},
           Case{"\"C:\\Program Files\\saver.scr\"   ", Config, 0, false},
           Case{"", Config, 0, false},
       }) {
    expectParses(c);
  }
}

TEST(CommandLine, SaverSwitchesInEveryForm) {
  for (const Case& c : {
           Case{"saver.scr /s", Saver, 0, false}, Case{"saver.scr -s", Saver, 0, false},
           Case{"saver.scr /S", Saver, 0, false}, Case{"saver.scr s", Saver, 0, false},
           Case{"saver.scr /s 1234 and more", Saver, 0, false},
           Case{"saver.scr     /s", Saver, 0, false},
           Case{"\"C:\\My Savers\\saver.scr\" /s", Saver, 0, false},
           Case{"\"saver.scr\"/s", Saver, 0, false},  // a switch right after the closing quote
       }) {
    expectParses(c);
  }
}

TEST(CommandLine, ConfigOwnerIsForegroundWindowOrTheNumber) {
  for (const Case& c : {
           Case{"saver.scr /c", Config, 0, true}, Case{"saver.scr /c:", Config, 0, true},
           Case{"saver.scr /c ", Config, 0, true}, Case{"saver.scr /C: : ", Config, 0, true},
           Case{"saver.scr /c:1234", Config, 1234, false},
           Case{"saver.scr /c 1234", Config, 1234, false},
           Case{"saver.scr c:x", Config, 0, false},  // text that is not a number: owner 0
       }) {
    expectParses(c);
  }
}

TEST(CommandLine, PreviewAndPasswordTakeTheWindowNumber) {
  for (const Case& c : {
           Case{"saver.scr /p 1234", Preview, 1234, false},
           Case{"saver.scr /p:1234", Preview, 1234, false},
           Case{"saver.scr /p: :1234", Preview, 1234, false},
           Case{"saver.scr /l:1234", Preview, 1234, false},
           Case{"saver.scr /P 1234 trailing", Preview, 1234, false},
           Case{"saver.scr /p", Preview, 0, false},
           Case{"saver.scr /a:1234", ChangePassword, 1234, false},
           Case{"saver.scr -A 77", ChangePassword, 77, false},
       }) {
    expectParses(c);
  }
}

TEST(CommandLine, NumbersAreReadAsAtoiReadsThem) {
  for (const Case& c : {
           Case{"saver.scr /p -42", Preview, -42, false},
           Case{"saver.scr /p +42", Preview, 42, false},
           Case{"saver.scr /p:\t42", Preview, 42, false},  // atoi skips white space itself
           Case{"saver.scr /p 12ab34", Preview, 12, false},
           Case{"saver.scr /p x12", Preview, 0, false},
           Case{"saver.scr /p -", Preview, 0, false},
           // Beyond 32 bits atoi is undefined; the bits a handle would have are kept.
           Case{"saver.scr /p 4294967295", Preview, -1, false},
           Case{"saver.scr /p 4294967296", Preview, 0, false},
           Case{"saver.scr /p 3000000000", Preview, static_cast<int32_t>(3000000000u), false},
       }) {
    expectParses(c);
  }
}

TEST(CommandLine, UnrecognisedSwitchesSelectNoMode) {
  for (const Case& c : {
           Case{"saver.scr /x", NoMode, 0, false},
           Case{"saver.scr /", NoMode, 0, false},
           Case{"saver.scr //s", NoMode, 0, false},
           Case{"saver.scr -/s", NoMode, 0, false},
           Case{"saver.scr /?", NoMode, 0, false},
       }) {
    expectParses(c);
  }
}

TEST(CommandLine, ProgramNameEndsOnlyAtASpaceOrTheClosingQuote) {
  for (const Case& c : {
           Case{"saver.scr/s", Config, 0, false},     // glued switch is part of the name
           Case{"saver.scr\t/s", Config, 0, false},   // a tab is not a blank
           Case{"\"saver.scr /s", Config, 0, false},  // no closing quote: all of it is the name
           Case{"saver.scr\t /s", Saver, 0, false},   // the space after the tab ends the name
           Case{"\"a b\" \t/s", NoMode, 0, false},    // the tab then stands where a switch goes
       }) {
    expectParses(c);
  }
}

TEST(CommandLine, NeverReadsPastTheGivenLength) {
  // The byte after the length would change the answer if it were read.
  const std::string line = "saver.scr /p 12345";
  const CommandLine cut = parseCommandLine(line.data(), line.size() - 3);
  EXPECT_EQ(cut.mode, Preview);
  EXPECT_EQ(cut.window, 12);

  const std::string name = "saver.scr /";
  EXPECT_EQ(parseCommandLine(name.data(), name.size() - 1).mode, Config);
  EXPECT_EQ(parseCommandLine("\"", 1).mode, Config);
  EXPECT_EQ(parseCommandLine(nullptr, 10).mode, Config);

  const std::string cTail = "saver.scr /c 99";
  const CommandLine bareC = parseCommandLine(cTail.data(), cTail.size() - 2);
  EXPECT_EQ(bareC.mode, Config);
  EXPECT_TRUE(bareC.useForegroundWindow);
}

TEST(CommandLine, NulByteEndsTheLine) {
  const char line[] =
      "saver.scr /p 12\0"
      "34";
  const CommandLine parsed = parseCommandLine(line, sizeof line - 1);
  EXPECT_EQ(parsed.mode, Preview);
  EXPECT_EQ(parsed.window, 12);
  const char bare[] =
      "saver.scr /c\0"
      "55";
  EXPECT_TRUE(parseCommandLine(bare, sizeof bare - 1).useForegroundWindow);
}

}  // namespace
}  // namespace marvolet
