// The idle watcher's autostart entry: its Exec line survives any path, and it is written and
// removed only for its own user.
#include "host/linux/idle_autostart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host/linux/linux_command_line.h"

namespace marvolet {
namespace {

std::string execLine(const std::string& entry) {
  const size_t at = entry.find("\nExec=");
  if (at == std::string::npos) return std::string();
  return entry.substr(at + 6, entry.find('\n', at + 1) - at - 6);
}

TEST(IdleAutostartTest, CommandLineAndExecLineCarryTheSecondsAndThisRunsOptions) {
  const char* argv[] = {"marvolet", "-enable-idle-watch", "120", "-fps", "--no-stars"};
  HackOptions options = parseHackArguments(5, argv);
  ASSERT_TRUE(options.error.empty()) << options.error;
  EXPECT_EQ(options.idleWatchEntry, 1);
  EXPECT_EQ(options.idleWatchEntrySeconds, 120u);
  EXPECT_EQ(options.runFlags, (std::vector<std::string>{"-fps", "--no-stars"}));
  const char* bare[] = {"marvolet", "-enable-idle-watch", "-fps"};
  EXPECT_EQ(parseHackArguments(3, bare).idleWatchEntrySeconds, 300u);
  for (const char* bad : {"0", "86401", "99999999999999999999", "5s"}) {
    const char* watch[] = {"marvolet", "-watch-idle", bad};
    EXPECT_FALSE(parseHackArguments(3, watch).error.empty()) << bad;
  }
  const char* missing[] = {"marvolet", "-watch-idle"};
  EXPECT_FALSE(parseHackArguments(2, missing).error.empty());

  // A plain path goes as it is; one with blanks or shell characters quoted, with '"', '$' and
  // '\' escaped inside the quotes and every backslash doubled again by the value's own escape;
  // '%' doubled, since alone it starts a field code.
  EXPECT_EQ(execLine(idleWatchEntryText("/usr/bin/marvolet", 300, {})),
            "/usr/bin/marvolet -watch-idle 300");
  EXPECT_EQ(execLine(idleWatchEntryText("/home/a b/$x\\\"y%", 60, {"-fps"})),
            "\"/home/a b/\\\\$x\\\\\\\\\\\\\"y%%\" -watch-idle 60 -fps");
  EXPECT_EQ(idleWatchEntryText("/home/a\nExec=rm -rf ~/x", 60, {}), "");
  EXPECT_EQ(idleWatchEntryText("/usr/bin/marvolet", 60, {"-x\t"}), "");

  EXPECT_EQ(idleWatchEntryPath("/cfg", "/home/a"), "/cfg/autostart/marvolet-idle-watch.desktop");
  // A relative XDG_CONFIG_HOME is to be ignored by the XDG rules.
  EXPECT_EQ(idleWatchEntryPath("cfg", "/home/a"),
            "/home/a/.config/autostart/marvolet-idle-watch.desktop");
  EXPECT_EQ(idleWatchEntryPath(nullptr, nullptr), "");
}

constexpr uid_t kStandIn = 4331;  // an ordinary user that exists only here

uid_t actingAsRoot() {
  return 0;
}
uid_t actingAsAStranger() {
  return geteuid() + 1;
}

std::string read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Written with its folders, replaced, removed; root and anyone but the folder's owner refused
// before anything is made. Where the tests run as root they act as an ordinary user.
TEST(IdleAutostartTest, WrittenAndRemovedOnlyForItsOwnUser) {
  char pattern[] = "/tmp/marvolet-autostart-XXXXXX";
  const std::string home = mkdtemp(pattern);
  const bool switched = geteuid() == 0;
  if (switched) {
    ASSERT_EQ(chown(home.c_str(), kStandIn, kStandIn), 0);
    ASSERT_EQ(setegid(kStandIn), 0);
    ASSERT_EQ(seteuid(kStandIn), 0);
  }
  const std::string path = idleWatchEntryPath(nullptr, home.c_str());
  const std::string program = "/usr/bin/marvolet";
  std::string message;
  FileWriteCalls calls = systemFileWriteCalls();
  FileWriteCalls root = calls, stranger = calls;
  root.user = actingAsRoot;
  stranger.user = actingAsAStranger;

  for (const FileWriteCalls* refused : {&root, &stranger}) {
    EXPECT_EQ(editIdleWatchEntry(true, path, program, 300, {}, *refused, &message), 1);
    EXPECT_NE(message.find("run"), std::string::npos) << message;
    EXPECT_NE(access((home + "/.config").c_str(), F_OK), 0) << "made for someone refused";
  }
  EXPECT_EQ(editIdleWatchEntry(false, path, program, 0, {}, calls, &message), 0) << message;
  EXPECT_NE(message.find("nothing changed"), std::string::npos) << message;

  ASSERT_EQ(editIdleWatchEntry(true, path, program, 300, {"-fps"}, calls, &message), 0) << message;
  EXPECT_EQ(execLine(read(path)), "/usr/bin/marvolet -watch-idle 300 -fps");
  struct stat info {};
  ASSERT_EQ(stat((home + "/.config/autostart").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(editIdleWatchEntry(true, path, program, 90, {}, calls, &message), 0) << message;
  EXPECT_EQ(execLine(read(path)), "/usr/bin/marvolet -watch-idle 90");
  EXPECT_EQ(editIdleWatchEntry(true, path, program, 90, {}, stranger, &message), 1);
  EXPECT_EQ(editIdleWatchEntry(false, path, program, 0, {}, stranger, &message), 1);
  EXPECT_EQ(access(path.c_str(), F_OK), 0) << "removed for someone refused";

  ASSERT_EQ(editIdleWatchEntry(false, path, program, 0, {}, calls, &message), 0) << message;
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  EXPECT_EQ(editIdleWatchEntry(true, "", program, 300, {}, calls, &message), 1);
  EXPECT_EQ(editIdleWatchEntry(true, path, "marvolet", 300, {}, calls, &message), 1)
      << "a program without its folder would not be found at login";

  if (switched) {
    EXPECT_EQ(seteuid(0), 0);
    EXPECT_EQ(setegid(0), 0);
  }
  EXPECT_EQ(std::system(("rm -rf '" + home + "'").c_str()), 0);
}

}  // namespace
}  // namespace marvolet
