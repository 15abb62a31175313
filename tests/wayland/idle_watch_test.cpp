// The idle watcher over a fake compositor that offers idle notifications on command: the saver
// (a stand-in script that records its arguments and its end) starts after idle, ends on
// activity, and ends with the watcher.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string readAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t count(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

// A program with `environment`; its standard output to `out`, standard error to `err`, and,
// with `feed`, its standard input from a pipe the test writes. Killed and reaped at the end.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
          const std::string& out, const std::string& err, bool feed = false) {
    int input[2] = {-1, -1};
    if (feed && pipe(input) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      if (feed) dup2(input[0], STDIN_FILENO);
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
      if (o >= 0) dup2(o, STDOUT_FILENO);
      if (e >= 0) dup2(e, STDERR_FILENO);
      std::vector<char*> args, env;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      for (const std::string& v : environment) env.push_back(const_cast<char*>(v.c_str()));
      args.push_back(nullptr);
      env.push_back(nullptr);
      execve(args[0], args.data(), env.data());
      _exit(127);
    }
    if (feed) {
      close(input[0]);
      input_ = input[1];
      fcntl(input_, F_SETFD, FD_CLOEXEC);
    }
  }
  ~Process() {
    if (input_ >= 0) close(input_);
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitForExit(5000);
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  void say(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void signal(int number) { kill(pid_, number); }
  bool running() { return !waitForExit(0); }
  std::optional<int> waitForExit(int timeoutMs) {
    waitUntil(
        [&] {
          int status = 0;
          if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
          }
          return status_.has_value();
        },
        timeoutMs);
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  std::optional<int> status_;
};

class IdleWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/marvolet-idle-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    chmod(folder_.c_str(), 0700);
    // The stand-in saver: a line when it starts (with its arguments) and one when SIGTERM
    // ends it, a little later, as a saver finishing its frame; it ends by itself, with 0, when
    // the file "quit" appears.
    saver_ = folder_ + "/saver.sh";
    std::ofstream(saver_) << "#!/bin/sh\n"
                          << "echo \"started $*\" >> '" << folder_ << "/saver.log'\n"
                          << "trap 'sleep 0.3; echo ended >> \"" << folder_
                          << "/saver.log\"; exit 0' TERM\n"
                          << "while [ ! -e '" << folder_ << "/quit' ]; do sleep 0.05; done\n"
                          << "rm -f '" << folder_ << "/quit'; echo quit >> '" << folder_
                          << "/saver.log'\n";
    chmod(saver_.c_str(), 0755);
  }

  void TearDown() override {
    if (HasFailure()) {
      std::fprintf(stderr, "watcher:\n%s\nsaver:\n%s", readAll(folder_ + "/watch.err").c_str(),
                   readAll(folder_ + "/saver.log").c_str());
    }
    watch_.reset();
    compositor_.reset();
    const std::string command = "rm -rf '" + folder_ + "'";
    if (std::system(command.c_str()) != 0)
      std::fprintf(stderr, "could not remove %s\n", folder_.c_str());
  }

  std::vector<std::string> environment() const {
    std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + folder_,
                                            "WAYLAND_DISPLAY=wayland-idle",
                                            "MARVOLET_IDLE_SAVER=" + saver_};
    if (!bus_.empty()) environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus_);
    return environment;
  }

  void startCompositor(bool notifier = true) {
    std::vector<std::string> argv = {MARVOLET_FAKE_IDLE_COMPOSITOR, "wayland-idle"};
    if (!notifier) argv.push_back("--no-notifier");
    std::remove((folder_ + "/compositor.out").c_str());  // a second one says "ready" anew
    compositor_ = std::make_unique<Process>(argv, environment(), folder_ + "/compositor.out",
                                            folder_ + "/compositor.err", true);
    ASSERT_TRUE(waitUntil([&] { return compositorSaid("ready") > 0; }, 5000));
  }

  void startWatch(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {MARVOLET_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    watch_ = std::make_unique<Process>(argv, environment(), folder_ + "/watch.out",
                                       folder_ + "/watch.err");
  }

  size_t compositorSaid(const std::string& word) {
    return count(readAll(folder_ + "/compositor.out"), word);
  }
  size_t saverSaid(const std::string& word) { return count(readAll(folder_ + "/saver.log"), word); }
  bool saverSays(const std::string& word, size_t times) {
    return waitUntil([&] { return saverSaid(word) >= times; }, 5000);
  }

  std::string folder_;
  std::string saver_;
  std::string bus_;  // a private session bus's address, once started
  std::unique_ptr<Process> compositor_;
  std::unique_ptr<Process> watch_;
};

TEST_F(IdleWatchTest, StartsTheSaverOnIdleEndsItOnActivityAndWithItself) {
  startCompositor();
  startWatch({"-watch-idle", "7", "-fps", "-no-stars"});
  ASSERT_TRUE(waitUntil([&] { return compositorSaid("notification 7000") > 0; }, 5000))
      << "the watcher did not ask for 7 s of idle";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(saverSaid("started"), 0u) << "a saver before any idle";

  // Idle: the saver, full screen on Wayland with this run's options. Activity ends it, and the
  // watcher stays.
  compositor_->say("idle");
  ASSERT_TRUE(saverSays("started -s -wayland -fps -no-stars", 1));
  compositor_->say("resume");
  ASSERT_TRUE(saverSays("ended", 1));
  EXPECT_TRUE(watch_->running());

  // Idle again while the last saver is still ending: a new one once it is gone.
  compositor_->say("idle");
  ASSERT_TRUE(saverSays("started", 2));
  compositor_->say("resume");
  compositor_->say("idle");
  ASSERT_TRUE(saverSays("ended", 2));
  ASSERT_TRUE(saverSays("started", 3)) << "idle while the saver was ending left none";
  compositor_->say("resume");
  ASSERT_TRUE(saverSays("ended", 3));

  // A saver that ends by itself (a key) is not started again until the next idle.
  compositor_->say("idle");
  ASSERT_TRUE(saverSays("started", 4));
  std::ofstream(folder_ + "/quit") << "";
  ASSERT_TRUE(saverSays("quit", 1));
  compositor_->say("resume");
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_EQ(saverSaid("started"), 4u);
  EXPECT_EQ(saverSaid("ended"), 3u) << "SIGTERM went to a saver that had ended";
  EXPECT_TRUE(watch_->running());

  // SIGTERM to the watcher ends its saver with it, and the watcher with 0.
  compositor_->say("idle");
  ASSERT_TRUE(saverSays("started", 5));
  watch_->signal(SIGTERM);
  EXPECT_EQ(watch_->waitForExit(5000), std::optional<int>(0));
  EXPECT_EQ(saverSaid("ended"), 4u) << "the watcher ended before its saver";
}

TEST_F(IdleWatchTest, WithoutIdleNotificationsOrACompositorItSaysSoAndLeavesNoSaverBehind) {
  startCompositor(false);
  startWatch({"-watch-idle", "60"});
  EXPECT_EQ(watch_->waitForExit(5000), std::optional<int>(1));
  EXPECT_NE(readAll(folder_ + "/watch.err").find("no idle notifications (ext-idle-notify-v1)"),
            std::string::npos)
      << readAll(folder_ + "/watch.err");
  compositor_.reset();

  // The compositor dies while the saver runs: the saver is ended, the watcher says why.
  startCompositor();
  startWatch({"-watch-idle", "60"});
  ASSERT_TRUE(waitUntil([&] { return compositorSaid("notification 60000") > 0; }, 5000));
  compositor_->say("idle");
  ASSERT_TRUE(saverSays("started", 1));
  compositor_.reset();
  EXPECT_EQ(watch_->waitForExit(5000), std::optional<int>(1));
  EXPECT_EQ(saverSaid("ended"), 1u);
  EXPECT_NE(readAll(folder_ + "/watch.err").find("lost the connection"), std::string::npos);

  // The watcher killed outright (SIGKILL at the session's end): its saver does not outlive it.
  startCompositor();
  startWatch({"-watch-idle", "60"});
  ASSERT_TRUE(waitUntil([&] { return compositorSaid("notification 60000") > 0; }, 5000));
  compositor_->say("idle");
  ASSERT_TRUE(saverSays("started", 2));
  watch_->signal(SIGKILL);
  EXPECT_TRUE(saverSays("ended", 2)) << "the saver outlived its watcher";
}

#ifdef MARVOLET_FAKE_GNOME_IDLE
// GNOME: no idle notifications from the compositor, the idle monitor on the session bus
// instead, with a one-shot watch for the activity after each idle.
TEST_F(IdleWatchTest, OnGnomeTheSessionBusIdleMonitorStartsAndEndsTheSaver) {
  Process daemon({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"},
                 environment(), folder_ + "/bus.out", folder_ + "/bus.err");
  ASSERT_TRUE(waitUntil(
      [&] { return readAll(folder_ + "/bus.out").find('\n') != std::string::npos; }, 5000));
  const std::string address = readAll(folder_ + "/bus.out");
  bus_ = address.substr(0, address.find('\n'));
  Process monitor({MARVOLET_FAKE_GNOME_IDLE}, environment(), folder_ + "/gnome.out",
                  folder_ + "/gnome.err", true);
  const auto gnomeSaid = [&](const std::string& word) {
    return count(readAll(folder_ + "/gnome.out"), word);
  };
  ASSERT_TRUE(waitUntil([&] { return gnomeSaid("ready") > 0; }, 5000));
  startCompositor(false);
  startWatch({"-watch-idle", "9"});
  ASSERT_TRUE(waitUntil([&] { return gnomeSaid("idle-watch 9000") > 0; }, 5000))
      << readAll(folder_ + "/watch.err");

  for (size_t round = 1; round <= 2; ++round) {
    monitor.say("idle");
    ASSERT_TRUE(saverSays("started -s -wayland", round));
    ASSERT_TRUE(waitUntil([&] { return gnomeSaid("active-watch") >= round; }, 5000));
    monitor.say("active");
    ASSERT_TRUE(saverSays("ended", round));
  }
  monitor.say("idle");
  ASSERT_TRUE(saverSays("started", 3));
  watch_->signal(SIGTERM);
  EXPECT_EQ(watch_->waitForExit(5000), std::optional<int>(0));
  EXPECT_EQ(saverSaid("ended"), 3u);
}
#endif

}  // namespace
