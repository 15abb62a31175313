// Test support for the X11 end-to-end tests: a private Xvfb, child processes with deadlines,
// and screen captures. Nothing here waits without a time limit.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace marvolet::x11test {

// Polls `condition` every `stepMs` until it holds or `timeoutMs` have passed.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs = 20);

// A program run with extra environment variables (value nullptr removes one). The destructor
// kills and reaps it if it is still running.
class ChildProcess {
 public:
  // `errorFile`, when not empty, receives the program's standard error. The program inherits
  // the signal dispositions and mask of the calling thread.
  ChildProcess(const std::vector<std::string>& argv,
               const std::vector<std::pair<std::string, const char*>>& environment,
               const std::string& errorFile = "");
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool running();
  // The exit code once the process has ended within `timeoutMs`; empty if it is still running.
  // A death by signal N is reported as 128 + N.
  std::optional<int> waitForExit(int timeoutMs);
  void sendSignal(int signal);
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// An Xvfb server on a display number it picks itself (-displayfd), so tests may run in
// parallel, and a connection of the test's own to it.
class VirtualDisplay {
 public:
  VirtualDisplay(int width, int height, int depth = 24);  // depth of the screen, bits
  // Xephyr with `heads` screens of width x height side by side under Xinerama, itself shown on
  // an Xvfb of its own: Xvfb alone cannot place Xinerama heads next to each other.
  static std::unique_ptr<VirtualDisplay> nested(int heads, int width, int height);
  // Xephyr of width x height whose RandR may resize it (xrandr -s) up to the size of the Xvfb
  // it is shown on, maxWidth x maxHeight.
  static std::unique_ptr<VirtualDisplay> resizeable(int width, int height, int maxWidth,
                                                    int maxHeight);
  // Xvfb without the GLX extension: a server with no OpenGL at all.
  static std::unique_ptr<VirtualDisplay> withoutGlx(int width, int height);
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool ready() const { return display_ != nullptr; }
  const std::string& name() const { return name_; }  // ":N"
  Display* display() const { return display_; }
  Window root() const { return DefaultRootWindow(display_); }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  VirtualDisplay(int width, int height, const std::vector<std::string>& server,
                 const char* hostDisplay);
  int width_;
  int height_;
  std::unique_ptr<VirtualDisplay> host_;  // the Xvfb under a nested server
  pid_t server_ = -1;
  std::string name_;
  Display* display_ = nullptr;
};

// Pixels of a window area as 0xRRGGBB, whatever the server's depth (channels scaled to 8 bits).
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // Fraction of pixels in [x0, x1) x [y0, y1) with any channel above `level`.
  double litFraction(int x0, int y0, int x1, int y1, int level = 24) const;
  double litFraction() const { return litFraction(0, 0, width, height); }
  size_t count(uint32_t rgb) const;
};

// Empty (width 0) when the window is gone or unviewable.
Capture capture(Display* display, Window window);
// The rectangle of `window` at (x, y), window pixels, origin top-left.
Capture capture(Display* display, Window window, int x, int y, int width, int height);

// X errors expected from a test's own requests (windows that vanish) are ignored.
void ignoreXErrors();

}  // namespace marvolet::x11test
