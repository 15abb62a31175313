// End-to-end tests of the Wayland saver on a headless sway of its own, run with the compositor,
// the saver and the tools (swaymsg, grim, wtype, the virtual pointer) as an unprivileged user
// when the test runs as root. Screenshots come from grim.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr uid_t kUnprivileged = 65534;  // nobody, and nogroup for the group
constexpr int kStartMs = 30000;         // llvmpipe builds the first frame slowly
constexpr int kExitMs = 5000;

bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs = 50) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
}

// A program started with exactly `environment`, its output appended to `log`; as nobody when
// the test runs as root. The destructor kills and reaps it if it still runs.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
        const std::string& log) {
    pid_ = fork();
    if (pid_ != 0) return;
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (out >= 0) {
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
    }
    if (geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kUnprivileged) != 0 || setuid(kUnprivileged) != 0)) {
      _exit(126);
    }
    std::vector<char*> args, env;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : environment) env.push_back(const_cast<char*>(e.c_str()));
    args.push_back(nullptr);
    env.push_back(nullptr);
    execvpe(args[0], args.data(), env.data());
    _exit(127);
  }
  ~Child() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitForExit(5000);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool running() { return !waitForExit(0); }
  void signal(int number) { kill(pid_, number); }

  // The exit code (128 + N for a death by signal N) once ended within `timeoutMs`.
  std::optional<int> waitForExit(int timeoutMs) {
    waitUntil(
        [&] {
          if (status_) return true;
          int status = 0;
          if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
          }
          return status_.has_value();
        },
        timeoutMs, 10);
    return status_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// A screenshot: 0xRRGGBB pixels.
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // Fraction of [x0, x1) x [y0, y1) that is part of a picture: any channel above 24, and not the
  // grey of sway's empty desktop.
  double lit(int x0, int y0, int x1, int y1) const {
    return fraction(x0, y0, x1, y1, [](uint32_t p) { return bright(p) && p != kDesktop; });
  }
  // Fraction of [x0, x1) x [y0, y1) that is black: no channel above 24.
  double dark(int x0, int y0, int x1, int y1) const {
    return fraction(x0, y0, x1, y1, [](uint32_t p) { return !bright(p); });
  }

 private:
  static constexpr uint32_t kDesktop = 0x3f3f3f;
  static bool bright(uint32_t p) {
    return ((p >> 16) & 255) > 24 || ((p >> 8) & 255) > 24 || (p & 255) > 24;
  }
  double fraction(int x0, int y0, int x1, int y1, bool (*counts)(uint32_t)) const {
    size_t count = 0, total = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x, ++total) count += counts(at(x, y));
    }
    return total == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(total);
  }
};

// grim's binary PPM; an empty shot for anything else.
Shot readPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maximum = 0;
  in >> magic >> width >> height >> maximum;
  in.get();
  Shot shot;
  if (!in || magic != "P6" || maximum != 255 || width <= 0 || height <= 0 || width > 16384 ||
      height > 16384) {
    return shot;
  }
  std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * 3);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) return shot;
  shot.width = width;
  shot.height = height;
  shot.pixels.resize(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < shot.pixels.size(); ++i) {
    shot.pixels[i] =
        uint32_t{bytes[3 * i]} << 16 | uint32_t{bytes[3 * i + 1]} << 8 | bytes[3 * i + 2];
  }
  return shot;
}

// A headless sway 1.7 in a private runtime folder under the build folder, with the outputs
// `config` sets up; or, with `weston`, a headless weston with one output of `westonSize` and no
// layer shell, drawing with GL so that its screenshots show EGL clients.
class HeadlessSway {
 public:
  explicit HeadlessSway(const std::string& config, bool weston = false,
                        const std::string& westonSize = "640x480") {
    // Under /tmp, as the build folder may lie where the unprivileged user cannot go (root's
    // home); the programs it runs of ours are copied in for the same reason.
    std::string pattern = "/tmp/marvolet-wayland-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    if (geteuid() == 0 && chown(folder_.c_str(), kUnprivileged, kUnprivileged) != 0) return;
    chmod(folder_.c_str(), 0700);
    saverProgram_ = copyIn(MARVOLET_BINARY, "marvolet");
    pointerProgram_ = copyIn(MARVOLET_VIRTUAL_POINTER, "virtual_pointer");
    std::ofstream(folder_ + "/config") << "xwayland disable\n" << config;
    chmod((folder_ + "/config").c_str(), 0644);
    const std::vector<std::string> environment = {"PATH=/usr/local/bin:/usr/bin:/bin",
                                                  "HOME=" + folder_,
                                                  "XDG_RUNTIME_DIR=" + folder_,
                                                  "WLR_BACKENDS=headless",
                                                  "WLR_RENDERER=pixman",
                                                  "WLR_LIBINPUT_NO_DEVICES=1"};
    if (weston) {
      sway_ = std::make_unique<Child>(
          std::vector<std::string>{"weston", "--backend=headless-backend.so",
                                   "--width=" + westonSize.substr(0, westonSize.find('x')),
                                   "--height=" + westonSize.substr(westonSize.find('x') + 1),
                                   "--socket=wayland-1", "--idle-time=0", "--use-gl",
                                   // lets weston-screenshooter in
                                   "--debug"},
          environment, folder_ + "/weston.log");
      ready_ = waitUntil(
          [&] {
            findSockets();
            return !socket_.empty();
          },
          15000, 100);
      return;
    }
    sway_ = std::make_unique<Child>(std::vector<std::string>{"sway", "-c", folder_ + "/config"},
                                    environment, folder_ + "/sway.log");
    ready_ = waitUntil(
        [&] {
          findSockets();
          return !socket_.empty() && !ipc_.empty() && run({"swaymsg", "-t", "get_version"}) == 0;
        },
        15000, 100);
  }

  ~HeadlessSway() {
    sway_.reset();
    if (!folder_.empty() && std::getenv("MARVOLET_KEEP_WAYLAND_RUNS") == nullptr) {
      const std::string command = "rm -rf '" + folder_ + "'";
      if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", folder_.c_str());
    }
  }

  bool ready() const { return ready_; }
  // The saver and the virtual pointer, where the compositor's user can run them.
  const std::string& saverProgram() const { return saverProgram_; }
  const std::string& pointerProgram() const { return pointerProgram_; }
  // The compositor dies at once, as one that crashes.
  void kill() { sway_.reset(); }
  const std::string& folder() const { return folder_; }

  // A connection of the test's own to the compositor, as a screen locker hands one over; -1
  // when it cannot be made. Inherited by the programs started after it.
  int connect() const {
    const std::string path = folder_ + "/" + socket_;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return -1;
    }
    return fd;
  }

  std::vector<std::string> environment(const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> env = {"PATH=/usr/local/bin:/usr/bin:/bin", "HOME=" + folder_,
                                    "XDG_RUNTIME_DIR=" + folder_, "WAYLAND_DISPLAY=" + socket_,
                                    "SWAYSOCK=" + ipc_};
    // A sanitizer build's options reach the saver as they reach the test.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
      if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
  }

  // Runs a tool to its end; its exit code, or -1 when it did not end within `timeoutMs`.
  int run(const std::vector<std::string>& argv, int timeoutMs = 10000) {
    Child child(argv, environment(), folder_ + "/tools.log");
    return child.waitForExit(timeoutMs).value_or(-1);
  }

  std::unique_ptr<Child> start(const std::vector<std::string>& argv,
                               const std::vector<std::string>& extra = {}) {
    return std::make_unique<Child>(argv, environment(extra), folder_ + "/saver.log");
  }

  Shot shoot() {
    const std::string path = folder_ + "/shot.ppm";
    std::remove(path.c_str());
    if (run({"grim", "-t", "ppm", path}) != 0) return {};
    return readPpm(path);
  }

  // Sway's minor version (7 for 1.7), or -1 when it does not say.
  int swayMinorVersion() {
    const std::string path = folder_ + "/version.json";
    if (run({"sh", "-c", "swaymsg -t get_version > \"$HOME/version.json\""}) != 0) return -1;
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find("\"minor\":");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 8);
  }

  // weston's own screenshot, through its screenshooter and ImageMagick.
  Shot shootWeston() {
    const std::string path = folder_ + "/shot.ppm";
    std::remove(path.c_str());
    if (run({"sh", "-c",
             "cd \"$HOME\" && rm -f wayland-screenshot-*.png && weston-screenshooter && "
             "mv wayland-screenshot-*.png weston.png && convert weston.png shot.ppm"}) != 0) {
      return {};
    }
    return readPpm(path);
  }

  // A PNG for people to look at, in the build folder's shots: grim's, or with weston the last
  // shootWeston()'s.
  void keep(const std::string& name, bool weston = false) {
    const std::string path = folder_ + "/" + (weston ? "weston" : name) + ".png";
    if (!weston && run({"grim", path}) != 0) return;
    const std::string command =
        "cp '" + path + "' '" + std::string(MARVOLET_WAYLAND_SHOTS) + "/" + name + ".png'";
    if (std::system(command.c_str()) != 0)
      std::fprintf(stderr, "could not keep %s\n", name.c_str());
  }

  std::string saverLog() const {
    std::ifstream in(folder_ + "/saver.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  void findSockets() {
    DIR* dir = opendir(folder_.c_str());
    if (dir == nullptr) return;
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos) socket_ = name;
      if (name.rfind("sway-ipc.", 0) == 0) ipc_ = folder_ + "/" + name;
    }
    closedir(dir);
  }

  // A copy of `program` in the run's folder as `name`, executable by all.
  std::string copyIn(const char* program, const char* name) const {
    const std::string copy = folder_ + "/" + name;
    {
      std::ifstream from(program, std::ios::binary);
      std::ofstream to(copy, std::ios::binary);
      to << from.rdbuf();
    }
    chmod(copy.c_str(), 0755);
    return copy;
  }

  std::string folder_;
  std::string saverProgram_, pointerProgram_;
  std::string socket_;
  std::string ipc_;
  std::unique_ptr<Child> sway_;
  bool ready_ = false;
};

constexpr int kWidth = 640;  // the first output, compositor pixels
constexpr int kHeight = 480;
const char* const kOneOutput = "output HEADLESS-1 resolution 640x480 position 0 0\n";

class WaylandSaverTest : public ::testing::Test {
 protected:
  void startCompositor(const std::string& config = kOneOutput) {
    sway_ = std::make_unique<HeadlessSway>(config);
    ASSERT_TRUE(sway_->ready()) << "headless sway did not start; see " << sway_->folder();
  }

  void startSaver(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& extra = {}) {
    std::vector<std::string> argv = {sway_->saverProgram()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    saver_ = sway_->start(argv, extra);
  }

  // Until the area shows a picture, or the saver ends.
  bool waitForPicture(int x0, int y0, int x1, int y1) {
    return waitUntil(
               [&] {
                 if (!saver_->running()) return true;
                 const Shot shot = sway_->shoot();
                 return shot.width >= x1 && shot.height >= y1 && shot.lit(x0, y0, x1, y1) > 0.05;
               },
               kStartMs, 200) &&
           saver_->running();
  }

  void TearDown() override {
    if (HasFailure() && sway_ != nullptr)
      std::fprintf(stderr, "saver log:\n%s", sway_->saverLog().c_str());
  }

  std::unique_ptr<HeadlessSway> sway_;
  std::unique_ptr<Child> saver_;
};

TEST_F(WaylandSaverTest, OneOutputIsCoveredAndAKeyEndsItWithZero) {
  startCompositor();
  startSaver({"-s"});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight)) << "no picture on the output";
  const Shot shot = sway_->shoot();
  ASSERT_EQ(shot.width, kWidth);
  // Every quarter of the output has its part of the picture: the surface covers it all.
  for (int q = 0; q < 4; ++q) {
    SCOPED_TRACE(q);
    const int x = (q % 2) * kWidth / 2, y = (q / 2) * kHeight / 2;
    EXPECT_GT(shot.lit(x, y, x + kWidth / 2, y + kHeight / 2), 0.02);
  }
  sway_->keep("wayland-one-output");
  ASSERT_EQ(sway_->run({"wtype", "-s", "700", "a"}), 0);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
}

TEST_F(WaylandSaverTest, PointerWithinTheThresholdKeepsItBeyondEndsItAndAClickEndsIt) {
  startCompositor();
  startSaver({"-s"});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight));
  // The saver learns where the pointer is when it first comes over it; from there, moves that
  // stay within 50 pixels per axis keep it.
  ASSERT_EQ(sway_->run({sway_->pointerProgram(), "move", "1", "1", "wait", "300", "move", "30",
                        "30", "wait", "300", "move", "-20", "10", "wait", "500"}),
            0);
  EXPECT_TRUE(saver_->running()) << "moves within the threshold ended it";
  ASSERT_EQ(sway_->run({sway_->pointerProgram(), "move", "60", "0", "wait", "200"}), 0);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));

  startSaver({"-s"});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight));
  ASSERT_EQ(sway_->run(
                {sway_->pointerProgram(), "move", "1", "1", "wait", "300", "click", "wait", "200"}),
            0);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
}

TEST_F(WaylandSaverTest, SigtermAndSigintEndItWithZeroWithinASecondEvenInAFrameDelay) {
  startCompositor();
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    // A frame delay of five seconds: a stop that waited for the delay's end would miss the bound.
    startSaver({"-s"}, {"MARVOLET_FRAME_DELAY_MS=5000"});
    ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight));
    saver_->signal(signal);
    EXPECT_EQ(saver_->waitForExit(1000), std::optional<int>(0));
  }
}

TEST_F(WaylandSaverTest, TryWindowTakesKeysAndEndsOnEscape) {
  startCompositor();
  startSaver({"-window"});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight)) << "no window with a picture";
  ASSERT_EQ(sway_->run({"wtype", "-s", "700", "a"}), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(saver_->running()) << "a key other than Escape closed the window";
  ASSERT_EQ(sway_->run({"wtype", "-s", "700", "-k", "Escape"}), 0);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
}

TEST_F(WaylandSaverTest, TheCompositorGoingAwayEndsItWithOneAndSaysSo) {
  startCompositor();
  startSaver({"-s"});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight));
  sway_->kill();
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(1));
  EXPECT_NE(sway_->saverLog().find("lost the connection to the Wayland compositor"),
            std::string::npos);
}

// As the README tells sway users: swayidle runs the saver from its timeout (sway 1.7 serves
// swayidle through its older idle protocol), a key ends the saver and tells swayidle of the
// activity.
TEST_F(WaylandSaverTest, SwayidleStartsItAfterItsTimeoutAndAKeyEndsIt) {
  if (std::system("command -v swayidle > /dev/null") != 0) {
    GTEST_SKIP() << "swayidle is not installed (Debian: swayidle)";
  }
  startCompositor();
  const std::string resumed = sway_->folder() + "/resumed";
  saver_ = sway_->start({"swayidle", "-w", "timeout", "3", sway_->saverProgram() + " -s", "resume",
                         "echo resumed >> " + resumed});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight)) << "swayidle did not start the saver";
  sway_->keep("wayland-started-by-swayidle");
  ASSERT_EQ(sway_->run({"wtype", "-s", "300", "a"}), 0);
  // Gone before swayidle's next timeout could bring it back.
  EXPECT_TRUE(
      waitUntil([&] { return sway_->shoot().lit(0, 0, kWidth, kHeight) < 0.001; }, 2500, 100))
      << "the saver stayed after a key";
  EXPECT_TRUE(waitUntil([&] { return access(resumed.c_str(), F_OK) == 0; }, 2000))
      << "swayidle saw no activity";
  saver_->signal(SIGTERM);
  saver_->waitForExit(kExitMs);
}

// weston has no layer shell: a full-screen xdg_toplevel instead, read back by the saver itself.
TEST_F(WaylandSaverTest, WithoutLayerShellAFullScreenWindowCoversTheOutput) {
  sway_ = std::make_unique<HeadlessSway>("", true);
  ASSERT_TRUE(sway_->ready()) << "headless weston did not start; see " << sway_->folder();
  const std::string frame = sway_->folder() + "/frame.ppm";
  startSaver({"-s"}, {"MARVOLET_WAYLAND_READBACK=" + frame});
  Shot shot;
  ASSERT_TRUE(waitUntil(
      [&] {
        shot = readPpm(frame);
        return !saver_->running() ||
               (shot.width > 0 && shot.lit(0, 0, shot.width, shot.height) > 0.05);
      },
      kStartMs, 200));
  ASSERT_TRUE(saver_->running());
  EXPECT_EQ(shot.width, kWidth);  // the output's size: full screen, not a window's
  EXPECT_EQ(shot.height, kHeight);
  for (int q = 0; q < 4; ++q) {
    SCOPED_TRACE(q);
    const int x = (q % 2) * kWidth / 2, y = (q / 2) * kHeight / 2;
    EXPECT_GT(shot.lit(x, y, x + kWidth / 2, y + kHeight / 2), 0.02);
  }
  saver_->signal(SIGTERM);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
}

// Rows holding a run of at least `length` identical pixels that are not black: a title bar's,
// as neither a desktop's textured background nor the saver's picture has them.
int flatRows(const Shot& shot, int length) {
  int rows = 0;
  for (int y = 0; y < shot.height; ++y) {
    int run = 0;
    for (int x = 1; x < shot.width && run < length; ++x) {
      const uint32_t p = shot.at(x, y);
      run = p == shot.at(x - 1, y) && (p & 0xe0e0e0) != 0 ? run + 1 : 0;
    }
    rows += run >= length;
  }
  return rows;
}

// weston, as GNOME, draws no title bars: the window gets its own, with a close button.
TEST_F(WaylandSaverTest, AWindowGetsATitleBarFromItsClientWhereTheCompositorDrawsNone) {
  sway_ = std::make_unique<HeadlessSway>("", true, "1024x768");
  ASSERT_TRUE(sway_->ready()) << "headless weston did not start; see " << sway_->folder();
  startSaver({"-window"});
  Shot shot;
  // The bar is some twenty rows, cut in two by the title; the window is 800 wide. weston's
  // background has no black, the saver's picture plenty.
  const auto titled = [&] { return flatRows(shot, 300) >= 16; };
  const auto shown = [&] { return shot.dark(0, 0, shot.width, shot.height) > 0.1; };
  waitUntil(
      [&] {
        shot = sway_->shootWeston();
        return !saver_->running() || (titled() && shown());
      },
      kStartMs, 500);
  sway_->keep("wayland-weston-window", true);
  ASSERT_TRUE(saver_->running()) << sway_->saverLog();
  EXPECT_TRUE(titled()) << "no title bar in weston's screenshot; see " << sway_->folder();
  EXPECT_TRUE(shown()) << "the picture is not on show; see " << sway_->folder();
  saver_->signal(SIGTERM);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
}

// --- Several outputs ---------------------------------------------------------------------------

constexpr int kSecondWidth = 960;  // wider than the first: the copy gets bars left and right
constexpr int kSecondHeight = 480;

class TwoOutputsTest : public WaylandSaverTest {
 protected:
  void addSecondOutput() {
    ASSERT_EQ(sway_->run({"swaymsg", "create_output"}), 0);
    ASSERT_EQ(sway_->run({"swaymsg", "output", "HEADLESS-2", "resolution", "960x480", "position",
                          "640", "0"}),
              0);
  }

  // Pixels of the copy on the second output that differ from the primary's by more than the
  // texture filter's rounding (a level or two).
  // `width` x kHeight: the primary's size, its copy centred on the second output.
  static double copyDifference(const Shot& shot, int width = kWidth) {
    const int left = width + (kSecondWidth - width) / 2;
    size_t different = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint32_t a = shot.at(x, y), b = shot.at(left + x, y);
        for (int shift : {0, 8, 16}) {
          const int d = static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255);
          if (d > 2 || d < -2) {
            ++different;
            break;
          }
        }
      }
    }
    return static_cast<double>(different) / (width * kHeight);
  }
};

TEST_F(TwoOutputsTest, ThePrimaryShowsThePictureAndTheOtherACopyWithBlackBars) {
  startCompositor();
  addSecondOutput();
  // A frame each refresh: the primary presents under a swap interval (the headless outputs
  // refresh at 60 Hz), the copy without one, and neither waits on the other.
  startSaver({"-s", "-frame-rate", "refresh"});
  ASSERT_TRUE(waitForPicture(kWidth, 0, kWidth + kSecondWidth, kSecondHeight))
      << "no picture on the second output";
  // The same frame at the same size (the copy is 640 x 480 in 960 x 480): nearly every pixel
  // alike, within the texture filter's rounding. The two outputs are read one after the other, so a
  // frame may fall between them.
  double best = 1.0;
  for (int attempt = 0; attempt < 5 && best > 0.02; ++attempt) {
    const Shot shot = sway_->shoot();
    ASSERT_EQ(shot.width, kWidth + kSecondWidth);
    best = std::min(best, copyDifference(shot));
    EXPECT_GT(shot.dark(kWidth, 0, kWidth + 150, kSecondHeight), 0.999) << "left bar";
    EXPECT_GT(shot.dark(kWidth + 810, 0, kWidth + kSecondWidth, kSecondHeight), 0.999)
        << "right bar";
  }
  EXPECT_LT(best, 0.02);
  sway_->keep("wayland-two-outputs");
  ASSERT_EQ(sway_->run({"wtype", "-s", "700", "a"}), 0);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
}

TEST_F(TwoOutputsTest, MainMonitorOnlyKeepsTheOtherBlackAndItsPointerStillEndsIt) {
  startCompositor();
  addSecondOutput();
  startSaver({"-s", "-main-monitor-only"});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const Shot shot = sway_->shoot();
  ASSERT_EQ(shot.width, kWidth + kSecondWidth);
  EXPECT_GT(shot.dark(kWidth, 0, kWidth + kSecondWidth, kSecondHeight), 0.999);
  // Pointer into the second output, then past the threshold there.
  ASSERT_EQ(sway_->run({sway_->pointerProgram(), "move", "900", "100", "wait", "300", "move", "100",
                        "0", "wait", "200"}),
            0);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
}

// A screen locker that hosts savers hands over a connection of its own and, running one saver
// per output, names that output: only it is covered, and keys and the pointer are the
// locker's, so they end nothing.
TEST_F(TwoOutputsTest, UnderALockerOnlyTheNamedOutputIsCoveredAndInputEndsNothing) {
  startCompositor();
  addSecondOutput();
  const int connection = sway_->connect();
  ASSERT_GE(connection, 0);
  startSaver({"-s"}, {"WAYLAND_SOCKET=" + std::to_string(connection),
                      "SWAYLOCK_PLUGIN_OUTPUT_NAME=HEADLESS-2"});
  close(connection);
  ASSERT_TRUE(waitForPicture(kWidth, 0, kWidth + kSecondWidth, kSecondHeight))
      << "no picture on the named output";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const Shot shot = sway_->shoot();
  ASSERT_EQ(shot.width, kWidth + kSecondWidth);
  EXPECT_LT(shot.lit(0, 0, kWidth, kHeight), 0.001) << "the other output is covered too";
  EXPECT_GT(shot.lit(kWidth + 320, 120, kWidth + 640, 360), 0.05) << "the named output";
  sway_->keep("wayland-under-a-locker");
  ASSERT_EQ(sway_->run({"wtype", "-s", "700", "a"}), 0);
  ASSERT_EQ(sway_->run({sway_->pointerProgram(), "move", "900", "100", "wait", "300", "move", "200",
                        "0", "click", "wait", "300"}),
            0);
  EXPECT_TRUE(saver_->running()) << "input ended the saver under a locker";
  saver_->signal(SIGTERM);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));

  // A name no output has: said plainly, exit 1.
  const int again = sway_->connect();
  ASSERT_GE(again, 0);
  startSaver({"-s"},
             {"WAYLAND_SOCKET=" + std::to_string(again), "SWAYLOCK_PLUGIN_OUTPUT_NAME=HDMI-A-9"});
  close(again);
  EXPECT_EQ(saver_->waitForExit(kStartMs), std::optional<int>(1));
  EXPECT_NE(sway_->saverLog().find("no output named \"HDMI-A-9\""), std::string::npos);
}

// An output added, then the primary resized. Not one taken away: sway 1.7's headless outputs
// refuse to be disabled ("Failed to commit output").
TEST_F(TwoOutputsTest, AnOutputAddedOrResizedWhileItRunsIsFollowed) {
  startCompositor();
  startSaver({"-s"});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight));
  addSecondOutput();
  ASSERT_TRUE(waitForPicture(kWidth, 0, kWidth + kSecondWidth, kSecondHeight))
      << "the added output got no copy";
  Shot shot = sway_->shoot();
  ASSERT_EQ(shot.width, kWidth + kSecondWidth);
  EXPECT_GT(shot.dark(kWidth, 0, kWidth + 150, kSecondHeight), 0.999) << "left bar";

  // 800 x 480: the picture follows to the new size, the copy to its new aspect.
  constexpr int kWider = 800;
  ASSERT_EQ(sway_->run({"swaymsg", "output", "HEADLESS-1", "resolution", "800x480"}), 0);
  ASSERT_EQ(sway_->run({"swaymsg", "output", "HEADLESS-2", "position", "800", "0"}), 0);
  // The compositor resizes the outputs one after the other: wait until both have settled.
  double difference = 1.0, right = 0.0, bar = 0.0;
  const bool followed = waitUntil(
      [&] {
        shot = sway_->shoot();
        if (shot.width != kWider + kSecondWidth) return false;
        difference = copyDifference(shot, kWider);
        right = shot.lit(kWider - 160, 0, kWider, kHeight);
        bar = shot.dark(kWider, 0, kWider + 70, kSecondHeight);
        return difference < 0.05 && right > 0.02 && bar > 0.999;
      },
      10000, 300);
  EXPECT_TRUE(followed) << "copy differs in " << difference << " of its pixels, the primary's "
                        << "right side is lit in " << right << ", the narrower bar dark in " << bar;
  sway_->keep("wayland-output-added-and-resized");
  saver_->signal(SIGTERM);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
}

// The primary output goes: the other one draws the picture, at its own size, and the saver
// stays. Sway 1.10 takes a headless output away; sway 1.7 can only disable one, which keeps it.
TEST_F(TwoOutputsTest, WhenThePrimaryOutputIsRemovedTheOtherDrawsThePicture) {
  startCompositor();
  addSecondOutput();
  const std::string frame = sway_->folder() + "/frame.ppm";
  startSaver({"-s"}, {"MARVOLET_WAYLAND_READBACK=" + frame});
  ASSERT_TRUE(waitForPicture(0, 0, kWidth, kHeight));
  ASSERT_TRUE(waitForPicture(kWidth, 0, kWidth + kSecondWidth, kSecondHeight));
  if (sway_->run({"swaymsg", "output", "HEADLESS-1", "unplug"}) != 0) {
    saver_->signal(SIGTERM);
    GTEST_SKIP() << "this sway cannot take an output away (sway 1.7 has no `output unplug`)";
  }
  // The read-back is the picture's own frame: it takes the remaining output's size.
  Shot shot, picture;
  const bool moved = waitUntil(
      [&] {
        shot = sway_->shoot();
        picture = readPpm(frame);
        return picture.width == kSecondWidth && picture.height == kSecondHeight &&
               shot.width == kSecondWidth && shot.lit(0, 0, kSecondWidth, kSecondHeight) > 0.05;
      },
      10000, 300);
  sway_->keep("wayland-primary-output-removed");
  ASSERT_TRUE(saver_->running()) << sway_->saverLog();
  EXPECT_TRUE(moved) << "the remaining output did not take the picture; see " << sway_->folder();
  saver_->signal(SIGTERM);
  EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
  EXPECT_EQ(sway_->saverLog().find("closed"), std::string::npos) << sway_->saverLog();
}

// Scale 2 drawn at 1280 x 960, not magnified from 640 x 480 (sway 1.7 magnifies by repeating
// pixels: within/across is 0 then, and 0.99 drawn right). At 1.5, a sway with fractional scales
// (1.8 on) gets buffers of 1280 x 960 too; sway 1.7 asks for buffers at scale 2 and reduces
// them, and the picture must still cover the output.
TEST_F(WaylandSaverTest, ScaledOutputsAreCoveredAtTheirRealPixels) {
  for (const char* scale : {"2", "1.5"}) {
    SCOPED_TRACE(scale);
    startCompositor(std::string("output HEADLESS-1 resolution 1280x960 scale ") + scale +
                    " position 0 0\n");
    const std::string frame = sway_->folder() + "/frame.ppm";
    startSaver({"-s"}, {"MARVOLET_WAYLAND_READBACK=" + frame});
    ASSERT_TRUE(waitForPicture(0, 0, 1280, 960));
    Shot buffer;
    ASSERT_TRUE(waitUntil([&] { return (buffer = readPpm(frame)).width > 0; }, kStartMs, 100));
    if (std::string(scale) == "2" || sway_->swayMinorVersion() >= 8) {
      EXPECT_EQ(buffer.width, 1280) << "the buffer is not of the output's own pixels";
      EXPECT_EQ(buffer.height, 960);
    }
    const Shot shot = sway_->shoot();
    ASSERT_EQ(shot.width, 1280);
    ASSERT_EQ(shot.height, 960);
    for (int q = 0; q < 4; ++q) {
      SCOPED_TRACE(q);
      const int x = (q % 2) * 640, y = (q / 2) * 480;
      EXPECT_GT(shot.lit(x, y, x + 640, y + 480), 0.02);
    }
    if (std::string(scale) == "2") {
      // A picture drawn at 640 x 480 and magnified repeats each pixel (or blends neighbours):
      // the change within each pair of columns falls far below the change between pairs. Drawn
      // at the real pixels, both are alike.
      double within = 0, across = 0;
      for (int y = 0; y < shot.height; y += 3) {
        for (int x = 0; x + 2 < shot.width; x += 2) {
          const int a = (shot.at(x, y) >> 8) & 255, b = (shot.at(x + 1, y) >> 8) & 255,
                    c = (shot.at(x + 2, y) >> 8) & 255;
          within += std::abs(b - a);
          across += std::abs(c - b);
        }
      }
      EXPECT_GT(within, 0.8 * across) << "the picture is magnified, not drawn at real pixels";
    }
    sway_->keep(std::string("wayland-scale-") + scale);
    saver_->signal(SIGTERM);
    EXPECT_EQ(saver_->waitForExit(kExitMs), std::optional<int>(0));
  }
}

}  // namespace
