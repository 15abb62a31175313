// Xvfb, child processes and captures for the X11 end-to-end tests.
#include "x11_session.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace marvolet::x11test {
namespace {

constexpr int kServerStartMs = 15000;
constexpr int kServerStopMs = 5000;

int decodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

int ignoreError(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::pair<std::string, const char*>>& environment,
                           const std::string& errorFile) {
  pid_ = fork();
  if (pid_ != 0) return;
  if (!errorFile.empty()) {
    const int fd = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) dup2(fd, STDERR_FILENO);
  }
  for (const auto& [name, value] : environment) {
    if (value != nullptr) {
      setenv(name.c_str(), value, 1);
    } else {
      unsetenv(name.c_str());
    }
  }
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

bool ChildProcess::running() {
  if (status_ || pid_ <= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = decodeStatus(status);
  return !status_;
}

std::optional<int> ChildProcess::waitForExit(int timeoutMs) {
  waitUntil([this] { return !running(); }, timeoutMs, 10);
  return status_;
}

void ChildProcess::sendSignal(int signal) {
  if (running()) kill(pid_, signal);
}

VirtualDisplay::VirtualDisplay(int width, int height, int depth)
    : VirtualDisplay(
          width, height,
          {"Xvfb", "-screen", "0",
           std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth)},
          nullptr) {}

std::unique_ptr<VirtualDisplay> VirtualDisplay::nested(int heads, int width, int height) {
  auto host = std::make_unique<VirtualDisplay>(width * heads, height);
  if (!host->ready()) return host;
  std::vector<std::string> server = {"Xephyr", "+xinerama"};
  for (int i = 0; i < heads; ++i) {
    server.push_back("-screen");
    server.push_back(std::to_string(width) + "x" + std::to_string(height) + "x24");
  }
  std::unique_ptr<VirtualDisplay> display(
      new VirtualDisplay(width * heads, height, server, host->name().c_str()));
  display->host_ = std::move(host);
  return display;
}

VirtualDisplay::VirtualDisplay(int width, int height, const std::vector<std::string>& server,
                               const char* hostDisplay)
    : width_(width), height_(height) {
  int fds[2];
  if (pipe(fds) != 0) return;
  server_ = fork();
  if (server_ == 0) {
    close(fds[0]);
    if (hostDisplay != nullptr) setenv("DISPLAY", hostDisplay, 1);
    std::vector<std::string> argv = server;
    for (const char* arg : {"-displayfd", "", "-nolisten", "tcp", "-noreset"}) argv.push_back(arg);
    argv[server.size() + 1] = std::to_string(fds[1]);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  // The server writes its display number once it accepts connections.
  std::string number;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kServerStartMs);
  while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd readable{fds[0], POLLIN, 0};
    if (poll(&readable, 1, 100) <= 0) continue;
    char buffer[16];
    const ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    number.append(buffer, static_cast<size_t>(got));
  }
  close(fds[0]);
  if (number.find('\n') == std::string::npos) return;
  name_ = ":" + number.substr(0, number.find('\n'));
  waitUntil([this] { return (display_ = XOpenDisplay(name_.c_str())) != nullptr; }, 5000, 50);
}

std::unique_ptr<VirtualDisplay> VirtualDisplay::resizeable(int width, int height, int maxWidth,
                                                           int maxHeight) {
  auto host = std::make_unique<VirtualDisplay>(maxWidth, maxHeight);
  if (!host->ready()) return host;
  std::unique_ptr<VirtualDisplay> display(
      new VirtualDisplay(width, height,
                         {"Xephyr", "-resizeable", "-screen",
                          std::to_string(width) + "x" + std::to_string(height) + "x24"},
                         host->name().c_str()));
  display->host_ = std::move(host);
  return display;
}

std::unique_ptr<VirtualDisplay> VirtualDisplay::withoutGlx(int width, int height) {
  return std::unique_ptr<VirtualDisplay>(
      new VirtualDisplay(width, height,
                         {"Xvfb", "-extension", "GLX", "-screen", "0",
                          std::to_string(width) + "x" + std::to_string(height) + "x24"},
                         nullptr));
}

VirtualDisplay::~VirtualDisplay() {
  if (display_ != nullptr) XCloseDisplay(display_);
  if (server_ <= 0) return;
  kill(server_, SIGTERM);
  int status = 0;
  if (!waitUntil([&] { return waitpid(server_, &status, WNOHANG) == server_; }, kServerStopMs)) {
    kill(server_, SIGKILL);
    waitpid(server_, &status, 0);
  }
}

double Capture::litFraction(int x0, int y0, int x1, int y1, int level) const {
  size_t lit = 0, total = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const uint32_t p = at(x, y);
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (r > level || g > level || b > level) ++lit;
      ++total;
    }
  }
  return total == 0 ? 0.0 : static_cast<double>(lit) / static_cast<double>(total);
}

size_t Capture::count(uint32_t rgb) const {
  size_t n = 0;
  for (uint32_t p : pixels) n += p == rgb ? 1 : 0;
  return n;
}

namespace {
// The channel of a TrueColor pixel under `mask`, scaled to 0 to 255.
uint32_t channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const unsigned long most = mask >> shift;
  return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / most);
}
}  // namespace

Capture capture(Display* display, Window window) {
  XWindowAttributes attributes;
  XSync(display, False);
  if (XGetWindowAttributes(display, window, &attributes) == 0) return Capture();
  return capture(display, window, 0, 0, attributes.width, attributes.height);
}

Capture capture(Display* display, Window window, int x, int y, int width, int height) {
  Capture result;
  XWindowAttributes attributes;
  XSync(display, False);
  if (XGetWindowAttributes(display, window, &attributes) == 0 ||
      attributes.map_state != IsViewable) {
    return result;
  }
  XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  XSync(display, False);
  if (image == nullptr) return result;
  result.width = width;
  result.height = height;
  result.pixels.resize(static_cast<size_t>(result.width) * result.height);
  for (int y = 0; y < result.height; ++y) {
    for (int x = 0; x < result.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      result.pixels[static_cast<size_t>(y) * result.width + x] =
          channel(pixel, image->red_mask) << 16 | channel(pixel, image->green_mask) << 8 |
          channel(pixel, image->blue_mask);
    }
  }
  XDestroyImage(image);
  return result;
}

void ignoreXErrors() {
  XSetErrorHandler(ignoreError);
}

}  // namespace marvolet::x11test
