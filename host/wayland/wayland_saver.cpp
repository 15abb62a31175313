// The saver on Wayland: an overlay layer surface on every output (a full-screen xdg_toplevel
// where the compositor has no layer shell), or one ordinary xdg_toplevel for -window, all drawn
// through one EGL context with desktop OpenGL.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-egl.h>
#include <xkbcommon/xkbcommon.h>
#ifdef MARVOLET_WITH_LIBDECOR
#include <libdecor.h>
#else
// Declared still, so that the classes read the same with and without it.
struct libdecor;
struct libdecor_frame;
struct libdecor_interface;
struct libdecor_frame_interface;
#endif

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fractional-scale-v1-client-protocol.h"
#include "host/closing_rules.h"
#include "host/linux/linux_power_supply.h"
#include "host/monitor_layout.h"
#include "host/saver_session.h"
#include "host/wayland/wayland_host.h"
#include "host/wayland/wayland_rules.h"
#include "host/x11/x11_keys.h"
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "platform/clock.h"
#include "platform/gl_proc_address.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#ifndef EGL_PRESENT_OPAQUE_EXT
#define EGL_PRESENT_OPAQUE_EXT 0x31DF
#endif
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace marvolet {
namespace {

constexpr int32_t kTryWindowWidth = 800;  // -window's first size, logical pixels
constexpr int32_t kTryWindowHeight = 600;
constexpr uint32_t kDisplayStateMilliseconds = 1000;  // a frame unanswered this long: dark
// A frame unanswered this long is not on show: several refreshes of any display.
constexpr uint32_t kUnansweredMs = 100;
constexpr int kConfigureRoundtrips = 8;  // enough for every first configure to arrive
constexpr uint32_t kReadbackEvery = 15;  // frames between two read-backs for the tests

// SIGTERM and SIGINT: the loop ends at once and cleanly. The pipe wakes a wait that began just
// before the flag was set.
volatile sig_atomic_t stopRequested = 0;
int stopReadFd = -1;
int stopWriteFd = -1;

void onStopSignal(int) {
  stopRequested = 1;
  if (stopWriteFd >= 0) {
    const int savedErrno = errno;
    ssize_t ignored = write(stopWriteFd, "x", 1);
    (void)ignored;
    errno = savedErrno;
  }
}

void installStopHandlers() {
  int fds[2];
  if (pipe(fds) == 0) {
    for (int fd : fds) {
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    stopReadFd = fds[0];
    stopWriteFd = fds[1];
  }
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocking poll returns so the flag is seen soon
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

// Waits up to `milliseconds` for a stop signal or, with `fd` >= 0, for `fd` to be readable.
void waitFor(uint32_t milliseconds, int fd) {
  const uint32_t start = platform::milliseconds();
  for (;;) {
    if (stopRequested) return;
    const uint32_t spent = platform::milliseconds() - start;
    if (spent >= milliseconds) return;
    pollfd fds[2];
    nfds_t count = 0;
    if (stopReadFd >= 0) fds[count++] = {stopReadFd, POLLIN, 0};
    if (fd >= 0) fds[count++] = {fd, POLLIN, 0};
    const int ready = poll(fds, count, static_cast<int>(milliseconds - spent));
    if (ready > 0) return;
    if (ready < 0 && errno != EINTR) return;
  }
}

bool hasExtension(const char* list, const char* name) {
  if (list == nullptr) return false;
  const size_t length = std::strlen(name);
  for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + 1, name)) {
    if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
  }
  return false;
}

const char* waylandFailureText(SetupFailure failure) {
  switch (failure) {
    case SetupFailure::NoPixelFormat:
      return "no EGL configuration with desktop OpenGL, RGB and a depth buffer for a window";
    case SetupFailure::NoContext:
      return "eglCreateContext() failed: cannot create a desktop OpenGL context";
    case SetupFailure::ContextNotCurrent:
      return "eglMakeCurrent() failed: cannot make the OpenGL context current";
    case SetupFailure::NoRenderer:
      return "new Renderer() failed:  Out of memory.";
    case SetupFailure::NoFailure:
    case SetupFailure::WindowClass:
    case SetupFailure::Window:
    case SetupFailure::PixelFormatRefused:
      break;
  }
  return nullptr;
}

class WaylandSurface;

// One output as the compositor announced it.
struct Output {
  WaylandSurface* owner = nullptr;
  uint32_t globalName = 0;
  wl_output* output = nullptr;
  zxdg_output_v1* xdgOutput = nullptr;  // only to learn the name where wl_output is older than 4
  int32_t x = 0;                        // compositor space, logical pixels
  int32_t y = 0;
  int32_t modeWidth = 0;  // the current mode, real pixels
  int32_t modeHeight = 0;
  double refreshHz = 0.0;  // the current mode's; 0 where the compositor does not say
  int32_t scale = 1;
  std::string name;        // the compositor's, e.g. HEADLESS-1; empty before wl_output 4
  bool announced = false;  // its first done event came
};

// One surface of the saver: on an output (full screen) or the -window window.
struct Pane {
  WaylandSurface* owner = nullptr;
  Output* output = nullptr;  // null for -window
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  zxdg_toplevel_decoration_v1* decoration = nullptr;
  libdecor_frame* decorFrame = nullptr;  // -window's title bar and borders, drawn by libdecor
  zwp_idle_inhibitor_v1* inhibitor = nullptr;
  wp_fractional_scale_v1* fractionalScale = nullptr;
  wp_viewport* viewport = nullptr;
  wl_egl_window* window = nullptr;
  EGLSurface egl = EGL_NO_SURFACE;
  int32_t width = 0;  // logical pixels, from the last configure
  int32_t height = 0;
  int32_t pendingWidth = 0;  // an xdg_toplevel's size, until its xdg_surface configure
  int32_t pendingHeight = 0;
  int32_t scale = 1;         // buffer pixels per logical pixel, without a fractional scale
  int32_t enteredScale = 1;  // -window: the scale of the output it is on
  uint32_t fractional = 0;   // the compositor's preferred scale in 120ths; 0: none told
  bool configured = false;
  bool stale = true;  // a secondary pane that needs a frame although nothing is copied
  bool closed = false;
  wl_callback* frame = nullptr;  // the compositor's answer to the last frame shown
  uint32_t frameAskedAt = 0;
  int32_t swapInterval = -1;  // what its EGL surface was last given; -1: not yet

  // Rounded half up, as wp_fractional_scale_v1 asks.
  int32_t pixelWidth() const { return fractional != 0 ? scaled(width) : width * scale; }
  int32_t pixelHeight() const { return fractional != 0 ? scaled(height) : height * scale; }
  int32_t scaled(int32_t logical) const {
    return static_cast<int32_t>((int64_t{logical} * fractional + 60) / 120);
  }
};

class WaylandSurface : public SaverSurface, public SaverWindowPort {
 public:
  WaylandSurface(wl_display* display, const HackOptions& options, const SaverSettings& settings,
                 const WaylandHosting& hosting, const char* readbackPath)
      : display_(display),
        mode_(options.mode),
        hosting_(hosting),
        settings_(settings),
        mainMonitorOnly_(settings.mainMonitorOnly != 0),
        readbackPath_(readbackPath != nullptr ? readbackPath : "") {}

  ~WaylandSurface() override { finish(); }

  void attach(SaverSession& session) { session_ = &session; }
  int exitCode() const { return failed_ ? 1 : 0; }

  // Everything but the connection itself, after the GL teardown.
  void finish() {
    while (!panes_.empty()) removePane(panes_.back().get());
    if (egl_ != EGL_NO_DISPLAY) eglTerminate(egl_);
    egl_ = EGL_NO_DISPLAY;
    for (auto& output : outputs_) releaseOutput(*output);
    outputs_.clear();
    releaseInput();
    endDecorations(decor_, nullptr);
    decor_ = nullptr;
    if (seat_ != nullptr) wl_seat_destroy(seat_);
    if (idleInhibit_ != nullptr) zwp_idle_inhibit_manager_v1_destroy(idleInhibit_);
    if (fractionalScales_ != nullptr) wp_fractional_scale_manager_v1_destroy(fractionalScales_);
    if (viewporter_ != nullptr) wp_viewporter_destroy(viewporter_);
    fractionalScales_ = nullptr;
    viewporter_ = nullptr;
    if (decorations_ != nullptr) zxdg_decoration_manager_v1_destroy(decorations_);
    if (xdgOutputs_ != nullptr) zxdg_output_manager_v1_destroy(xdgOutputs_);
    xdgOutputs_ = nullptr;
    if (layerShell_ != nullptr) zwlr_layer_shell_v1_destroy(layerShell_);
    if (wmBase_ != nullptr) xdg_wm_base_destroy(wmBase_);
    if (compositor_ != nullptr) wl_compositor_destroy(compositor_);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    seat_ = nullptr;
    idleInhibit_ = nullptr;
    decorations_ = nullptr;
    layerShell_ = nullptr;
    wmBase_ = nullptr;
    compositor_ = nullptr;
    registry_ = nullptr;
    if (xkb_ != nullptr) xkb_context_unref(xkb_);
    xkb_ = nullptr;
    if (!lost_) wl_display_flush(display_);
  }

  // SaverSurface -----------------------------------------------------------------------------

  SetupFailure create() override {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    // The globals, then what the outputs and the seat say about themselves.
    if (wl_display_roundtrip(display_) < 0 || wl_display_roundtrip(display_) < 0) {
      return lostCompositor();
    }
    if (compositor_ == nullptr || (wmBase_ == nullptr && layerShell_ == nullptr) ||
        (mode_ == HackMode::Window && wmBase_ == nullptr)) {
      std::fprintf(stderr, "marvolet: the Wayland compositor offers no %s\n",
                   mode_ == HackMode::Window ? "xdg-shell" : "layer shell nor xdg-shell");
      return SetupFailure::Window;
    }
    if (mode_ == HackMode::FullScreen && outputs_.empty()) {
      std::fprintf(stderr, "marvolet: the Wayland compositor has no outputs to cover\n");
      return SetupFailure::Window;
    }
    if (mode_ == HackMode::FullScreen &&
        std::none_of(outputs_.begin(), outputs_.end(),
                     [this](const std::unique_ptr<Output>& output) { return wanted(*output); })) {
      std::fprintf(stderr, "marvolet: the Wayland compositor has no output named \"%s\"\n",
                   hosting_.outputName.c_str());
      return SetupFailure::Window;
    }
    const SetupFailure eglFailure = createEgl();
    if (eglFailure != SetupFailure::NoFailure) return eglFailure;
    // A compositor without server-side decorations (GNOME, weston) leaves a window's title bar
    // to its client; without one the window could not be moved or closed by the mouse.
    if (mode_ == HackMode::Window && decorations_ == nullptr) decor_ = startDecorations(display_);

    if (mode_ == HackMode::Window) {
      addPane(nullptr);
    } else {
      for (auto& output : outputs_) {
        if (wanted(*output)) addPane(output.get());
      }
    }
    for (int i = 0; i < kConfigureRoundtrips && !everyPaneConfigured(); ++i) {
      if (wl_display_roundtrip(display_) < 0) return lostCompositor();
    }
    if (quit_) return SetupFailure::Window;  // closed or lost meanwhile; said so already
    choosePrimary();
    if (primary_ == nullptr) {
      std::fprintf(stderr, "marvolet: the Wayland compositor did not place the saver's %s\n",
                   mode_ == HackMode::Window ? "window" : "surfaces");
      return SetupFailure::Window;
    }
    if (eglMakeCurrent(egl_, primary_->egl, primary_->egl, context_) != EGL_TRUE) {
      return SetupFailure::ContextNotCurrent;
    }
    rules().windowCreated(reinterpret_cast<uintptr_t>(primary_->surface));
    // Until the session asks for an interval, presents do not wait: the session paces them.
    maxSwapInterval_ = 0;
    eglGetConfigAttrib(egl_, config_, EGL_MAX_SWAP_INTERVAL, &maxSwapInterval_);
    holdInterval(*primary_, 0);
    platform::setGlProcAddressSource(
        [](const char* name) -> void* { return reinterpret_cast<void*>(eglGetProcAddress(name)); });
    return SetupFailure::NoFailure;
  }

  void abandon(SetupFailure failure) override {
    destroy();
    if (const char* text = waylandFailureText(failure)) {
      std::fprintf(stderr, "marvolet: %s\n", text);
    }
    failed_ = true;
  }

  const SaverLayout& layout() const override { return layout_; }

  // The surfaces were committed with their first configure; each is mapped by its first frame.
  void show() override {}

  PumpResult pump() override {
    if (quit_ || stopRequested) return PumpResult::Quit;
    if (wl_display_dispatch_pending(display_) > 0) return afterEvents();
    if (wl_display_prepare_read(display_) == 0) {
      wl_display_flush(display_);
      pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
      if (poll(&fd, 1, 0) > 0) {
        wl_display_read_events(display_);
      } else {
        wl_display_cancel_read(display_);
      }
    }
    const int dispatched = wl_display_dispatch_pending(display_);
    if (dispatched < 0 || wl_display_get_error(display_) != 0) {
      lostCompositor();
      return PumpResult::Quit;
    }
    if (dispatched > 0) return afterEvents();
    if (closePending_) {
      closePending_ = false;
      if (rules().closeMessage()) destroyWindow();
      return PumpResult::Dispatched;
    }
    return PumpResult::Empty;
  }

  // No output to draw on, or the compositor has not asked for the last frame's successor for
  // a second: the output is off or the surface hidden, so nobody sees a frame.
  bool displayAsleep() override {
    if (primary_ == nullptr) return true;
    return primary_->frame != nullptr &&
           platform::milliseconds() - primary_->frameAskedAt >= kDisplayStateMilliseconds;
  }

  void waitForEvents() override {
    wl_display_flush(display_);
    waitFor(kDisplayStateMilliseconds, wl_display_get_fd(display_));
  }

  // The primary's frame goes to the other outputs as a texture (the back buffer is gone once
  // shown), drawn by a second context so the renderer's GL state is never touched.
  void present() override {
    Pane* primary = primary_;
    if (primary == nullptr) return;
    const bool copying = !mainMonitorOnly_ && panes_.size() > 1;
    if (copying) captureFrame(*primary);
    if (!readbackPath_.empty() && presented_++ % kReadbackEvery == 0) readBack(*primary);
    // A present under a swap interval waits for the compositor's answer to the frame before;
    // one that has not come for a while may never come (a hidden output), so this present
    // does not wait, and a frame's worth of refreshes is slept instead, as the wait would.
    const bool unanswered = primary->frame != nullptr &&
                            platform::milliseconds() - primary->frameAskedAt >= kUnansweredMs;
    const bool waitInstead = swapInterval_ > 0 && unanswered;
    holdInterval(*primary, waitInstead ? 0 : swapInterval_);
    askForFrame(*primary);
    eglSwapBuffers(egl_, primary->egl);
    if (waitInstead) {
      const double refresh = refreshRate();
      waitFor(refresh > 0.0 ? static_cast<uint32_t>(1000.0 * swapInterval_ / refresh) : 0, -1);
    }
    bool switched = false;
    for (auto& pane : panes_) {
      if (pane.get() == primary || pane->egl == EGL_NO_SURFACE) continue;
      if (!copying && !pane->stale) continue;
      if (eglMakeCurrent(egl_, pane->egl, pane->egl, copyContext_) != EGL_TRUE) continue;
      switched = true;
      // The copies follow the primary's pace: their presents never wait on their outputs.
      holdInterval(*pane, 0);
      drawCopy(*pane, copying);
      eglSwapBuffers(egl_, pane->egl);
      pane->stale = false;
    }
    if (switched) eglMakeCurrent(egl_, primary->egl, primary->egl, context_);
  }

  // The primary output's current mode; with -window, the first output's that tells one.
  double refreshRate() override {
    if (primary_ != nullptr && primary_->output != nullptr) return primary_->output->refreshHz;
    for (const auto& output : outputs_) {
      if (output->refreshHz > 0.0) return output->refreshHz;
    }
    return 0.0;
  }

  // Beyond the EGL config's largest interval (Mesa's Wayland EGL takes 1 at most) the session
  // paces by deadline rather than have the interval cut down silently.
  bool setSwapInterval(int32_t interval) override {
    if (primary_ == nullptr || interval < 0 || interval > maxSwapInterval_) return false;
    swapInterval_ = interval;
    return holdInterval(*primary_, interval);
  }

  void sleep(uint32_t milliseconds) override { waitFor(milliseconds, -1); }

  void destroy() override {
    if (egl_ == EGL_NO_DISPLAY) return;
    if (copyTexture_ != 0 && eglGetCurrentContext() == context_) {
      glDeleteTextures(1, &copyTexture_);
    }
    copyTexture_ = 0;
    eglMakeCurrent(egl_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    for (auto& pane : panes_) releaseEgl(*pane);
    if (copyContext_ != EGL_NO_CONTEXT) eglDestroyContext(egl_, copyContext_);
    if (context_ != EGL_NO_CONTEXT) eglDestroyContext(egl_, context_);
    copyContext_ = EGL_NO_CONTEXT;
    context_ = EGL_NO_CONTEXT;
    eglReady_ = false;
  }

  // SaverWindowPort --------------------------------------------------------------------------

  CursorPoint cursorPosition() override { return cursor_; }
  uint32_t tickCount() override { return platform::milliseconds(); }
  void postClose() override { closePending_ = true; }
  void destroyWindow() override { quit_ = true; }

  // Hidden while the saver runs; Wayland gives no arrow back without a cursor theme, and no
  // password check ever shows one here.
  void refreshCursor() override {
    if (pointer_ != nullptr && pointerSerial_ != 0 && rules().cursorHidden()) {
      wl_pointer_set_cursor(pointer_, pointerSerial_, nullptr, 0, 0);
    }
  }

  // The screen locker, not the saver, asks for passwords on Wayland.
  bool verifyPassword() override { return true; }

  void keyCommand(KeyCommand command) override {
    if (session_ != nullptr) session_->keyCommand(command);
  }

 private:
  ClosingRules rules() {
    return ClosingRules(mode_ == HackMode::FullScreen ? Saver : Preview, settings_, closing_,
                        *this);
  }

  SetupFailure lostCompositor() {
    if (!lost_) {
      std::fprintf(stderr, "marvolet: lost the connection to the Wayland compositor\n");
    }
    lost_ = true;
    failed_ = true;
    quit_ = true;
    return SetupFailure::Window;
  }

  // EGL ----------------------------------------------------------------------------------------

  SetupFailure createEgl() {
    egl_ = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display_, nullptr);
    if (egl_ == EGL_NO_DISPLAY)
      egl_ = eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(display_));
    if (egl_ == EGL_NO_DISPLAY || eglInitialize(egl_, nullptr, nullptr) != EGL_TRUE) {
      egl_ = EGL_NO_DISPLAY;
      std::fprintf(stderr, "marvolet: EGL cannot use the Wayland display\n");
      return SetupFailure::Window;  // said why; no second message
    }
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return SetupFailure::NoPixelFormat;
    const char* extensions = eglQueryString(egl_, EGL_EXTENSIONS);
    // A frame's alpha would show the desktop through it; the one-pass glow wants alpha in the
    // frame all the same, so it is kept only where the compositor can be told to ignore it.
    // Elsewhere the renderer serves a frame without alpha with the layer-by-layer glow.
    presentOpaque_ = hasExtension(extensions, "EGL_EXT_present_opaque");
    surfaceless_ = hasExtension(extensions, "EGL_KHR_surfaceless_context");
    config_ = chooseConfig(presentOpaque_);
    if (config_ == nullptr && presentOpaque_) {
      presentOpaque_ = false;
      config_ = chooseConfig(false);
    }
    if (config_ == nullptr) return SetupFailure::NoPixelFormat;
    context_ = eglCreateContext(egl_, config_, EGL_NO_CONTEXT, nullptr);
    if (context_ == EGL_NO_CONTEXT) return SetupFailure::NoContext;
    copyContext_ = eglCreateContext(egl_, config_, context_, nullptr);
    if (copyContext_ == EGL_NO_CONTEXT) return SetupFailure::NoContext;
    eglReady_ = true;
    return SetupFailure::NoFailure;
  }

  // 8-bit RGB with a depth buffer; with 8 bits of alpha when `alpha`, else with none.
  EGLConfig chooseConfig(bool alpha) {
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_WINDOW_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 alpha ? 8 : 0,
                                 EGL_DEPTH_SIZE,
                                 16,
                                 EGL_NONE};
    EGLint count = 0;
    if (eglChooseConfig(egl_, attributes, nullptr, 0, &count) != EGL_TRUE || count <= 0) {
      return nullptr;
    }
    std::vector<EGLConfig> configs(static_cast<size_t>(count));
    eglChooseConfig(egl_, attributes, configs.data(), count, &count);
    for (EGLint i = 0; i < count; ++i) {
      EGLint alphaSize = 0;
      eglGetConfigAttrib(egl_, configs[static_cast<size_t>(i)], EGL_ALPHA_SIZE, &alphaSize);
      if ((alphaSize >= 8) == alpha && (alpha || alphaSize == 0)) {
        return configs[static_cast<size_t>(i)];
      }
    }
    return nullptr;
  }

  void createEglSurface(Pane& pane) {
    pane.window = wl_egl_window_create(pane.surface, pane.pixelWidth(), pane.pixelHeight());
    if (pane.window == nullptr) return;
    const EGLint opaque[] = {EGL_PRESENT_OPAQUE_EXT, EGL_TRUE, EGL_NONE};
    pane.egl =
        eglCreateWindowSurface(egl_, config_, reinterpret_cast<EGLNativeWindowType>(pane.window),
                               presentOpaque_ ? opaque : nullptr);
    if (pane.egl == EGL_NO_SURFACE) {
      std::fprintf(stderr, "marvolet: eglCreateWindowSurface() failed on %s\n", paneName(pane));
    }
  }

  void releaseEgl(Pane& pane) {
    if (pane.egl != EGL_NO_SURFACE) eglDestroySurface(egl_, pane.egl);
    pane.egl = EGL_NO_SURFACE;
    if (pane.window != nullptr) wl_egl_window_destroy(pane.window);
    pane.window = nullptr;
  }

  // With the renderer's context current and its frame in the back buffer.
  void captureFrame(const Pane& primary) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    copyWidth_ = std::min<int32_t>(primary.pixelWidth(), maxSize);
    copyHeight_ = std::min<int32_t>(primary.pixelHeight(), maxSize);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (copyTexture_ == 0) glGenTextures(1, &copyTexture_);
    glBindTexture(GL_TEXTURE_2D, copyTexture_);
    if (copyWidth_ > textureWidth_ || copyHeight_ > textureHeight_) {
      // Powers of two, which OpenGL 1.1 requires; the copy fills the lower left part.
      textureWidth_ = 1;
      textureHeight_ = 1;
      while (textureWidth_ < copyWidth_) textureWidth_ *= 2;
      while (textureHeight_ < copyHeight_) textureHeight_ *= 2;
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, textureWidth_, textureHeight_, 0, GL_RGB,
                   GL_UNSIGNED_BYTE, nullptr);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, copyWidth_, copyHeight_);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  }

  // With the copy context current on `pane`: black, and the copy over it when `copying`.
  void drawCopy(const Pane& pane, bool copying) {
    glViewport(0, 0, pane.pixelWidth(), pane.pixelHeight());
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!copying || copyTexture_ == 0) return;
    const PixelRect at =
        copyPlacement(copyWidth_, copyHeight_, pane.pixelWidth(), pane.pixelHeight());
    if (at.width <= 0 || at.height <= 0) return;
    glViewport(at.x, at.y, at.width, at.height);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, copyTexture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float s = static_cast<float>(copyWidth_) / static_cast<float>(textureWidth_);
    const float t = static_cast<float>(copyHeight_) / static_cast<float>(textureHeight_);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(s, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(s, t);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, t);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
  }

  // The back buffer as a PPM, top row first, written beside the target and renamed over it.
  void readBack(const Pane& pane) {
    const int32_t width = pane.pixelWidth(), height = pane.pixelHeight();
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const std::string partial = readbackPath_ + ".part";
    const int fd =
        open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    ppm.reserve(ppm.size() + rgba.size() / 4 * 3);
    for (int32_t y = height - 1; y >= 0; --y) {
      const unsigned char* row = rgba.data() + static_cast<size_t>(y) * width * 4;
      for (int32_t x = 0; x < width; ++x) ppm.append(reinterpret_cast<const char*>(row + 4 * x), 3);
    }
    bool written = true;
    for (size_t done = 0; done < ppm.size() && written;) {
      const ssize_t n = write(fd, ppm.data() + done, ppm.size() - done);
      written = n > 0;
      if (n > 0) done += static_cast<size_t>(n);
    }
    close(fd);
    if (!written || rename(partial.c_str(), readbackPath_.c_str()) != 0) unlink(partial.c_str());
  }

  // Gives the pane's EGL surface `interval`, unless it has it; the pane's surface must be the
  // current draw surface. False when EGL refuses it.
  bool holdInterval(Pane& pane, int32_t interval) {
    if (pane.swapInterval == interval) return true;
    if (eglSwapInterval(egl_, interval) != EGL_TRUE) return false;
    pane.swapInterval = interval;
    return true;
  }

  void askForFrame(Pane& pane) {
    if (pane.frame != nullptr) return;
    pane.frame = wl_surface_frame(pane.surface);
    pane.frameAskedAt = platform::milliseconds();
    wl_callback_add_listener(pane.frame, &kFrameListener, &pane);
  }

  // Panes ------------------------------------------------------------------------------------

  static const char* paneName(const Pane& pane) {
    if (pane.output == nullptr) return "the window";
    return pane.output->name.empty() ? "an output" : pane.output->name.c_str();
  }

  bool everyPaneConfigured() const {
    return std::all_of(panes_.begin(), panes_.end(),
                       [](const std::unique_ptr<Pane>& pane) { return pane->configured; });
  }

  void addPane(Output* output) {
    auto pane = std::make_unique<Pane>();
    pane->owner = this;
    pane->output = output;
    pane->surface = wl_compositor_create_surface(compositor_);
    wl_surface_add_listener(pane->surface, &kSurfaceListener, pane.get());
    // A scale of 1.5 then gets buffers of the output's own pixels, rather than ones drawn at 2
    // and reduced by the compositor: sharper, and a third fewer pixels to draw.
    if (fractionalScales_ != nullptr && viewporter_ != nullptr) {
      pane->fractionalScale =
          wp_fractional_scale_manager_v1_get_fractional_scale(fractionalScales_, pane->surface);
      wp_fractional_scale_v1_add_listener(pane->fractionalScale, &kFractionalScaleListener,
                                          pane.get());
      pane->viewport = wp_viewporter_get_viewport(viewporter_, pane->surface);
    }
    if (output == nullptr && decor_ != nullptr &&
        (pane->decorFrame = decorateWindow(decor_, *pane)) != nullptr) {
      // libdecor made the xdg_toplevel and mapped it.
    } else if (output == nullptr) {
      makeToplevel(*pane);
      xdg_toplevel_set_title(pane->toplevel, "Marvolet");
      if (decorations_ != nullptr) {
        pane->decoration =
            zxdg_decoration_manager_v1_get_toplevel_decoration(decorations_, pane->toplevel);
        zxdg_toplevel_decoration_v1_set_mode(pane->decoration,
                                             ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
      }
    } else if (layerShell_ != nullptr) {
      // A screen locker shows its background layer behind its own surfaces and takes the keys
      // itself; otherwise the saver covers everything and takes them.
      pane->layer = zwlr_layer_shell_v1_get_layer_surface(
          layerShell_, pane->surface, output->output,
          hosting_.underLocker ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND
                               : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
          "marvolet");
      zwlr_layer_surface_v1_add_listener(pane->layer, &kLayerListener, pane.get());
      zwlr_layer_surface_v1_set_anchor(
          pane->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                           ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
      zwlr_layer_surface_v1_set_exclusive_zone(pane->layer, -1);
      zwlr_layer_surface_v1_set_keyboard_interactivity(pane->layer, hosting_.underLocker ? 0 : 1);
    } else {
      makeToplevel(*pane);
      xdg_toplevel_set_fullscreen(pane->toplevel, output->output);
      // An ordinary window does not keep the idle tools from blanking or locking meanwhile.
      if (idleInhibit_ != nullptr) {
        pane->inhibitor = zwp_idle_inhibit_manager_v1_create_inhibitor(idleInhibit_, pane->surface);
      }
    }
    wl_surface_commit(pane->surface);
    panes_.push_back(std::move(pane));
  }

  void makeToplevel(Pane& pane) {
    pane.xdgSurface = xdg_wm_base_get_xdg_surface(wmBase_, pane.surface);
    xdg_surface_add_listener(pane.xdgSurface, &kXdgSurfaceListener, &pane);
    pane.toplevel = xdg_surface_get_toplevel(pane.xdgSurface);
    xdg_toplevel_add_listener(pane.toplevel, &kToplevelListener, &pane);
    xdg_toplevel_set_app_id(pane.toplevel, "marvolet");
  }

  void removePane(Pane* pane) {
    if (pane == primary_) {
      primary_ = nullptr;
      if (eglReady_ && eglGetCurrentSurface(EGL_DRAW) == pane->egl) {
        // Without surfaceless contexts the surface stays current and EGL frees it later.
        if (surfaceless_) eglMakeCurrent(egl_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
      }
    }
    releaseEgl(*pane);
    if (pane->frame != nullptr) wl_callback_destroy(pane->frame);
    if (pane->inhibitor != nullptr) zwp_idle_inhibitor_v1_destroy(pane->inhibitor);
    if (pane->viewport != nullptr) wp_viewport_destroy(pane->viewport);
    if (pane->fractionalScale != nullptr) wp_fractional_scale_v1_destroy(pane->fractionalScale);
    if (pane->decoration != nullptr) zxdg_toplevel_decoration_v1_destroy(pane->decoration);
    endDecorations(nullptr, pane->decorFrame);
    if (pane->toplevel != nullptr) xdg_toplevel_destroy(pane->toplevel);
    if (pane->xdgSurface != nullptr) xdg_surface_destroy(pane->xdgSurface);
    if (pane->layer != nullptr) zwlr_layer_surface_v1_destroy(pane->layer);
    if (pane->surface != nullptr) wl_surface_destroy(pane->surface);
    panes_.erase(std::find_if(panes_.begin(), panes_.end(),
                              [pane](const std::unique_ptr<Pane>& p) { return p.get() == pane; }));
  }

  // A size from the compositor (logical pixels; zero where it leaves it to us).
  void configured(Pane& pane, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) {
      if (pane.output != nullptr && pane.output->modeWidth > 0) {
        width = pane.output->modeWidth / std::max(1, pane.output->scale);
        height = pane.output->modeHeight / std::max(1, pane.output->scale);
      } else if (pane.width > 0) {
        width = pane.width;
        height = pane.height;
      } else {
        width = kTryWindowWidth;
        height = kTryWindowHeight;
      }
    }
    const int32_t scale = pane.output != nullptr ? pane.output->scale : pane.enteredScale;
    const int32_t oldPixelWidth = pane.pixelWidth(), oldPixelHeight = pane.pixelHeight();
    pane.width = width;
    pane.height = height;
    pane.scale = std::max(1, scale);
    const bool changed = pane.pixelWidth() != oldPixelWidth || pane.pixelHeight() != oldPixelHeight;
    pane.configured = true;
    pane.stale = true;
    // Both take effect with the next buffer, which has the size they describe.
    if (pane.fractional != 0) {
      wl_surface_set_buffer_scale(pane.surface, 1);
      wp_viewport_set_destination(pane.viewport, width, height);
    } else if (compositorVersion_ >= WL_SURFACE_SET_BUFFER_SCALE_SINCE_VERSION) {
      wl_surface_set_buffer_scale(pane.surface, pane.scale);
    }
    if (!eglReady_) return;
    if (pane.window == nullptr) {
      createEglSurface(pane);
    } else if (changed) {
      wl_egl_window_resize(pane.window, pane.pixelWidth(), pane.pixelHeight(), 0, 0);
    }
    if (changed && &pane == primary_) primaryResized_ = true;
  }

  // The first configured pane, in the order the outputs came, draws the picture.
  void choosePrimary() {
    Pane* chosen = nullptr;
    for (auto& pane : panes_) {
      if (pane->configured && !pane->closed && pane->egl != EGL_NO_SURFACE) {
        chosen = pane.get();
        break;
      }
    }
    if (chosen == primary_ && !primaryResized_) return;
    primaryResized_ = false;
    primary_ = chosen;
    if (chosen == nullptr) return;
    eglMakeCurrent(egl_, chosen->egl, chosen->egl, context_);
    chosen->stale = true;
    const SaverLayout fresh =
        layoutMonitors({}, {0, 0, chosen->pixelWidth(), chosen->pixelHeight()});
    if (fresh == layout_) return;
    layout_ = fresh;
    if (session_ != nullptr) session_->followLayout();
  }

  // After a batch of events: surfaces the compositor closed, outputs that came or went, and
  // which pane now draws the picture.
  PumpResult afterEvents() {
    if (wl_display_get_error(display_) != 0) {
      lostCompositor();
      return PumpResult::Quit;
    }
    if (std::any_of(panes_.begin(), panes_.end(),
                    [](const std::unique_ptr<Pane>& pane) { return pane->closed; })) {
      // An output that goes closes its surface first; its removal follows on the wire.
      if (wl_display_roundtrip(display_) < 0) {
        lostCompositor();
        return PumpResult::Quit;
      }
      for (auto& pane : panes_) {
        if (!pane->closed) continue;
        std::fprintf(stderr, "marvolet: the compositor closed the saver on %s; ending\n",
                     paneName(*pane));
        quit_ = true;
        return PumpResult::Quit;
      }
    }
    for (auto& output : outputs_) {
      if (output->announced && !hasPane(*output) && mode_ == HackMode::FullScreen &&
          wanted(*output)) {
        addPane(output.get());
      }
    }
    choosePrimary();
    return PumpResult::Dispatched;
  }

  // Every output, or only the one a locker that runs a saver per output named.
  bool wanted(const Output& output) const {
    return hosting_.outputName.empty() || output.name == hosting_.outputName;
  }

  bool hasPane(const Output& output) const {
    return std::any_of(panes_.begin(), panes_.end(),
                       [&](const std::unique_ptr<Pane>& pane) { return pane->output == &output; });
  }

  Pane* paneOf(wl_surface* surface) {
    for (auto& pane : panes_) {
      if (pane->surface == surface) return pane.get();
    }
    return nullptr;
  }

  // Outputs and globals ------------------------------------------------------------------------

  void global(uint32_t name, const char* interface, uint32_t version) {
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
      compositorVersion_ = std::min<uint32_t>(version, 4);
      compositor_ = static_cast<wl_compositor*>(
          wl_registry_bind(registry_, name, &wl_compositor_interface, compositorVersion_));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
      wmBase_ =
          static_cast<xdg_wm_base*>(wl_registry_bind(registry_, name, &xdg_wm_base_interface, 1));
      xdg_wm_base_add_listener(wmBase_, &kWmBaseListener, this);
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 &&
               mode_ == HackMode::FullScreen) {
      layerShell_ = static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(
          registry_, name, &zwlr_layer_shell_v1_interface, std::min<uint32_t>(version, 2)));
    } else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0) {
      idleInhibit_ = static_cast<zwp_idle_inhibit_manager_v1*>(
          wl_registry_bind(registry_, name, &zwp_idle_inhibit_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0) {
      fractionalScales_ = static_cast<wp_fractional_scale_manager_v1*>(
          wl_registry_bind(registry_, name, &wp_fractional_scale_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
      viewporter_ = static_cast<wp_viewporter*>(
          wl_registry_bind(registry_, name, &wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0) {
      decorations_ = static_cast<zxdg_decoration_manager_v1*>(
          wl_registry_bind(registry_, name, &zxdg_decoration_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 &&
               !hosting_.outputName.empty() && version >= 2) {
      xdgOutputs_ = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
          registry_, name, &zxdg_output_manager_v1_interface, std::min<uint32_t>(version, 3)));
      for (auto& output : outputs_) askForName(*output);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat_ == nullptr) {
      seat_ = static_cast<wl_seat*>(
          wl_registry_bind(registry_, name, &wl_seat_interface, std::min<uint32_t>(version, 5)));
      wl_seat_add_listener(seat_, &kSeatListener, this);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
      auto output = std::make_unique<Output>();
      output->owner = this;
      output->globalName = name;
      output->output = static_cast<wl_output*>(
          wl_registry_bind(registry_, name, &wl_output_interface, std::min<uint32_t>(version, 4)));
      wl_output_add_listener(output->output, &kOutputListener, output.get());
      askForName(*output);
      outputs_.push_back(std::move(output));
    }
  }

  void globalRemoved(uint32_t name) {
    const auto found = std::find_if(
        outputs_.begin(), outputs_.end(),
        [name](const std::unique_ptr<Output>& output) { return output->globalName == name; });
    if (found == outputs_.end()) return;
    for (auto& pane : panes_) {
      if (pane->output == found->get()) {
        removePane(pane.get());
        break;
      }
    }
    releaseOutput(**found);
    outputs_.erase(found);
  }

  // Before wl_output 4 (wlroots 0.15, sway 1.7) the name comes from xdg-output.
  void askForName(Output& output) {
    if (xdgOutputs_ == nullptr || output.xdgOutput != nullptr ||
        wl_output_get_version(output.output) >= WL_OUTPUT_NAME_SINCE_VERSION) {
      return;
    }
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputs_, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &kXdgOutputListener, &output);
  }

  void releaseOutput(Output& output) {
    if (output.xdgOutput != nullptr) zxdg_output_v1_destroy(output.xdgOutput);
    output.xdgOutput = nullptr;
    if (output.output == nullptr) return;
    if (wl_output_get_version(output.output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
      wl_output_release(output.output);
    } else {
      wl_output_destroy(output.output);
    }
    output.output = nullptr;
  }

  // An output's description is complete: a new one gets a pane; a changed scale re-sizes its
  // pane's buffers.
  void outputDone(Output& output) {
    output.announced = true;
    for (auto& pane : panes_) {
      if (pane->output == &output && pane->configured && pane->scale != output.scale) {
        configured(*pane, pane->width, pane->height);
      }
    }
  }

  // Input --------------------------------------------------------------------------------------

  void seatCapabilities(uint32_t capabilities) {
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keyboard && keyboard_ == nullptr) {
      keyboard_ = wl_seat_get_keyboard(seat_);
      wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    } else if (!keyboard && keyboard_ != nullptr) {
      releaseKeyboard();
    }
    if (pointer && pointer_ == nullptr) {
      pointer_ = wl_seat_get_pointer(seat_);
      wl_pointer_add_listener(pointer_, &kPointerListener, this);
    } else if (!pointer && pointer_ != nullptr) {
      releasePointer();
    }
  }

  void releaseKeyboard() {
    if (keyboard_ == nullptr) return;
    if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
      wl_keyboard_release(keyboard_);
    } else {
      wl_keyboard_destroy(keyboard_);
    }
    keyboard_ = nullptr;
    if (xkbState_ != nullptr) xkb_state_unref(xkbState_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    xkbState_ = nullptr;
    keymap_ = nullptr;
  }

  void releasePointer() {
    if (pointer_ == nullptr) return;
    if (wl_pointer_get_version(pointer_) >= WL_POINTER_RELEASE_SINCE_VERSION) {
      wl_pointer_release(pointer_);
    } else {
      wl_pointer_destroy(pointer_);
    }
    pointer_ = nullptr;
  }

  void releaseInput() {
    releaseKeyboard();
    releasePointer();
  }

  // The compositor's keymap, read only up to kMaxKeymapBytes.
  void keymap(uint32_t format, int fd, uint32_t size) {
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || size == 0 || size > kMaxKeymapBytes) {
      if (size > kMaxKeymapBytes) {
        std::fprintf(stderr, "marvolet: the compositor's keymap is too large (%u bytes)\n", size);
      }
      close(fd);
      return;
    }
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (map == MAP_FAILED) return;
    if (xkb_ == nullptr) xkb_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const char* text = static_cast<const char*>(map);
    xkb_keymap* keymap =
        xkb_ == nullptr
            ? nullptr
            : xkb_keymap_new_from_buffer(xkb_, text, strnlen(text, size), XKB_KEYMAP_FORMAT_TEXT_V1,
                                         XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(map, size);
    if (keymap == nullptr) return;
    if (xkbState_ != nullptr) xkb_state_unref(xkbState_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    xkbState_ = xkb_state_new(keymap_);
  }

  void keyPressed(uint32_t evdevCode) {
    if (xkbState_ == nullptr || hosting_.underLocker) return;
    if (mode_ != HackMode::FullScreen && mode_ != HackMode::Window) return;
    const xkb_keycode_t code = evdevCode + 8;  // xkb numbers keys as X does
    // The key's own symbol without Shift, as the X11 host reads it; the keypad's depends on
    // NumLock.
    const xkb_layout_index_t layout = xkb_state_key_get_layout(xkbState_, code);
    const xkb_keysym_t* symbols = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(
        keymap_, code, layout == XKB_LAYOUT_INVALID ? 0 : layout, 0, &symbols);
    uint32_t keysym = count > 0 ? symbols[0] : XKB_KEY_NoSymbol;
    if (keysym >= XKB_KEY_KP_Space && keysym <= XKB_KEY_KP_9) {
      keysym = xkb_state_key_get_one_sym(xkbState_, code);
    }
    uint32_t state = 0;
    if (xkb_state_mod_name_is_active(xkbState_, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_EFFECTIVE) > 0) {
      state |= kXShiftMask;
    }
    if (xkb_state_mod_name_is_active(xkbState_, XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE) > 0) {
      state |= kXControlMask;
    }
    if (xkb_state_mod_name_is_active(xkbState_, XKB_MOD_NAME_ALT, XKB_STATE_MODS_EFFECTIVE) > 0) {
      state |= kXAltMask;
    }
    const X11Key pressed = x11KeyFor(keysym, state);
    if (pressed.systemKey) return;
    if (mode_ == HackMode::FullScreen) {
      rules().keyOrButtonPressed(pressed.command);
    } else if (keysym == XKB_KEY_Escape) {
      destroyWindow();
    } else {
      keyCommand(pressed.command);
    }
  }

  // Surface-local logical pixels to compositor space, where the threshold is measured.
  void pointerAt(wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    const Pane* pane = paneOf(surface);
    const int32_t originX = pane != nullptr && pane->output != nullptr ? pane->output->x : 0;
    const int32_t originY = pane != nullptr && pane->output != nullptr ? pane->output->y : 0;
    cursor_ = {originX + wl_fixed_to_int(x), originY + wl_fixed_to_int(y)};
  }

  void pointerEntered(uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    pointerSurface_ = surface;
    pointerSerial_ = serial;
    pointerAt(surface, x, y);
    // Wayland tells a client where the pointer is only once it is over its surface: movement is
    // measured from there.
    if (!cursorKnown_) {
      cursorKnown_ = true;
      closing_.startCursor = cursor_;
    }
    if (mode_ == HackMode::FullScreen && !hosting_.underLocker) {
      refreshCursor();
      rules().mouseMoved();
    }
  }

  void pointerMoved(wl_fixed_t x, wl_fixed_t y) {
    if (pointerSurface_ == nullptr) return;
    pointerAt(pointerSurface_, x, y);
    if (mode_ == HackMode::FullScreen && !hosting_.underLocker) rules().mouseMoved();
  }

  void buttonPressed(uint32_t code) {
    if (mode_ == HackMode::FullScreen && !hosting_.underLocker &&
        x11ButtonCloses(xButtonForInputCode(code))) {
      rules().keyOrButtonPressed(KeyCommand::Nothing);
    }
  }

  // Listeners ----------------------------------------------------------------------------------

  static WaylandSurface& self(void* data) { return *static_cast<WaylandSurface*>(data); }
  static Pane& paneData(void* data) { return *static_cast<Pane*>(data); }

  static const wl_registry_listener kRegistryListener;
  static const xdg_wm_base_listener kWmBaseListener;
  // libdecor's title bar for -window; without libdecor at build time, no context and no frame.
  static libdecor* startDecorations(wl_display* display);
  static libdecor_frame* decorateWindow(libdecor* decor, Pane& pane);
  static void endDecorations(libdecor* decor, libdecor_frame* frame);  // either may be null
  static libdecor_interface decorInterface();
  static libdecor_frame_interface decorFrameInterface();
  // libdecor takes them as non-const pointers and keeps them.
  static libdecor_interface kDecorInterface;
  static libdecor_frame_interface kDecorFrameInterface;
  static const wl_output_listener kOutputListener;
  static const zxdg_output_v1_listener kXdgOutputListener;
  static const zwlr_layer_surface_v1_listener kLayerListener;
  static const xdg_surface_listener kXdgSurfaceListener;
  static const xdg_toplevel_listener kToplevelListener;
  static const wl_surface_listener kSurfaceListener;
  static const wp_fractional_scale_v1_listener kFractionalScaleListener;
  static const wl_callback_listener kFrameListener;
  static const wl_seat_listener kSeatListener;
  static const wl_keyboard_listener kKeyboardListener;
  static const wl_pointer_listener kPointerListener;

  wl_display* display_;
  HackMode mode_;
  WaylandHosting hosting_;
  const SaverSettings& settings_;
  bool mainMonitorOnly_;
  ClosingState closing_;
  SaverSession* session_ = nullptr;

  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  uint32_t compositorVersion_ = 0;
  xdg_wm_base* wmBase_ = nullptr;
  zwlr_layer_shell_v1* layerShell_ = nullptr;
  zwp_idle_inhibit_manager_v1* idleInhibit_ = nullptr;
  wp_fractional_scale_manager_v1* fractionalScales_ = nullptr;  // with viewporter_: scale 1.5
  wp_viewporter* viewporter_ = nullptr;
  zxdg_decoration_manager_v1* decorations_ = nullptr;
  libdecor* decor_ = nullptr;  // -window where the compositor draws no title bars
  zxdg_output_manager_v1* xdgOutputs_ = nullptr;
  wl_seat* seat_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  xkb_context* xkb_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* xkbState_ = nullptr;
  wl_surface* pointerSurface_ = nullptr;
  uint32_t pointerSerial_ = 0;
  CursorPoint cursor_;
  bool cursorKnown_ = false;

  std::vector<std::unique_ptr<Output>> outputs_;
  std::vector<std::unique_ptr<Pane>> panes_;
  Pane* primary_ = nullptr;  // the pane the renderer draws into
  bool primaryResized_ = false;
  SaverLayout layout_;

  EGLDisplay egl_ = EGL_NO_DISPLAY;
  EGLConfig config_ = nullptr;
  EGLContext context_ = EGL_NO_CONTEXT;      // the renderer's
  EGLContext copyContext_ = EGL_NO_CONTEXT;  // the copies', sharing the renderer's textures
  EGLint maxSwapInterval_ = 0;               // the config's largest
  int32_t swapInterval_ = 0;                 // the session's, for the primary's presents
  bool eglReady_ = false;
  bool presentOpaque_ = false;
  bool surfaceless_ = false;
  GLuint copyTexture_ = 0;
  int32_t textureWidth_ = 0;
  int32_t textureHeight_ = 0;
  int32_t copyWidth_ = 0;  // the part of the texture the last frame filled
  int32_t copyHeight_ = 0;

  std::string readbackPath_;  // empty: no read-back
  uint32_t presented_ = 0;
  bool closePending_ = false;
  bool quit_ = false;
  bool lost_ = false;
  bool failed_ = false;
};

const wl_registry_listener WaylandSurface::kRegistryListener = {
    [](void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
      self(data).global(name, interface, version);
    },
    [](void* data, wl_registry*, uint32_t name) { self(data).globalRemoved(name); },
};

const xdg_wm_base_listener WaylandSurface::kWmBaseListener = {
    [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

const wl_output_listener WaylandSurface::kOutputListener = {
    [](void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
       const char*, int32_t) {
      static_cast<Output*>(data)->x = x;
      static_cast<Output*>(data)->y = y;
    },
    [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t refresh) {
      if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
      static_cast<Output*>(data)->modeWidth = width;
      static_cast<Output*>(data)->modeHeight = height;
      // Millihertz; 0 where the compositor has no refresh to tell.
      static_cast<Output*>(data)->refreshHz = refresh > 0 ? refresh / 1000.0 : 0.0;
    },
    [](void* data, wl_output*) {
      Output& output = *static_cast<Output*>(data);
      output.owner->outputDone(output);
    },
    [](void* data, wl_output*, int32_t factor) {
      static_cast<Output*>(data)->scale = std::max(1, factor);
    },
    [](void* data, wl_output*, const char* name) {
      static_cast<Output*>(data)->name = name != nullptr ? name : "";
    },
    [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener WaylandSurface::kXdgOutputListener = {
    [](void*, zxdg_output_v1*, int32_t, int32_t) {},
    [](void*, zxdg_output_v1*, int32_t, int32_t) {},
    [](void*, zxdg_output_v1*) {},
    [](void* data, zxdg_output_v1*, const char* name) {
      Output& output = *static_cast<Output*>(data);
      if (output.name.empty() && name != nullptr) output.name = name;
    },
    [](void*, zxdg_output_v1*, const char*) {},
};

const zwlr_layer_surface_v1_listener WaylandSurface::kLayerListener = {
    [](void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height) {
      zwlr_layer_surface_v1_ack_configure(layer, serial);
      Pane& pane = paneData(data);
      pane.owner->configured(pane, static_cast<int32_t>(width), static_cast<int32_t>(height));
    },
    [](void* data, zwlr_layer_surface_v1*) { paneData(data).closed = true; },
};

const xdg_surface_listener WaylandSurface::kXdgSurfaceListener = {
    [](void* data, xdg_surface* surface, uint32_t serial) {
      xdg_surface_ack_configure(surface, serial);
      Pane& pane = paneData(data);
      pane.owner->configured(pane, pane.pendingWidth, pane.pendingHeight);
    },
};

const xdg_toplevel_listener WaylandSurface::kToplevelListener = {
    [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
      paneData(data).pendingWidth = width;
      paneData(data).pendingHeight = height;
    },
    // The compositor's close (a title bar button, a key binding): as X11's WM_DELETE_WINDOW.
    [](void* data, xdg_toplevel*) {
      WaylandSurface& surface = *paneData(data).owner;
      if (surface.rules().closeMessage()) surface.destroyWindow();
    },
    [](void*, xdg_toplevel*, int32_t, int32_t) {},
    [](void*, xdg_toplevel*, wl_array*) {},
};

#ifdef MARVOLET_WITH_LIBDECOR
libdecor* WaylandSurface::startDecorations(wl_display* display) {
  return libdecor_new(display, &kDecorInterface);
}

libdecor_frame* WaylandSurface::decorateWindow(libdecor* decor, Pane& pane) {
  libdecor_frame* frame = libdecor_decorate(decor, pane.surface, &kDecorFrameInterface, &pane);
  if (frame == nullptr) return nullptr;
  libdecor_frame_set_title(frame, "Marvolet");
  libdecor_frame_set_app_id(frame, "marvolet");
  libdecor_frame_map(frame);
  return frame;
}

void WaylandSurface::endDecorations(libdecor* decor, libdecor_frame* frame) {
  if (frame != nullptr) libdecor_frame_unref(frame);
  if (decor != nullptr) libdecor_unref(decor);
}

// Filled in field by field: libdecor's structures end in reserved slots, more in newer versions.
libdecor_interface WaylandSurface::decorInterface() {
  libdecor_interface callbacks{};
  callbacks.error = [](libdecor*, libdecor_error, const char* message) {
    std::fprintf(stderr, "marvolet: the window's decorations failed: %s\n",
                 message != nullptr ? message : "no reason given");
  };
  return callbacks;
}

libdecor_frame_interface WaylandSurface::decorFrameInterface() {
  libdecor_frame_interface callbacks{};
  callbacks.configure = [](libdecor_frame* frame, libdecor_configuration* configuration,
                           void* data) {
    Pane& pane = paneData(data);
    int width = 0, height = 0;
    if (!libdecor_configuration_get_content_size(configuration, frame, &width, &height) ||
        width <= 0 || height <= 0) {
      width = pane.width > 0 ? pane.width : kTryWindowWidth;
      height = pane.height > 0 ? pane.height : kTryWindowHeight;
    }
    // The size goes with the configure it answers, before anything is drawn at it.
    libdecor_state* state = libdecor_state_new(width, height);
    libdecor_frame_commit(frame, state, configuration);
    libdecor_state_free(state);
    pane.owner->configured(pane, width, height);
  };
  // The title bar's close button, as X11's WM_DELETE_WINDOW.
  callbacks.close = [](libdecor_frame*, void* data) {
    WaylandSurface& surface = *paneData(data).owner;
    if (surface.rules().closeMessage()) surface.destroyWindow();
  };
  // The decorations changed and must be committed with the window.
  callbacks.commit = [](libdecor_frame*, void* data) { wl_surface_commit(paneData(data).surface); };
  callbacks.dismiss_popup = [](libdecor_frame*, const char*, void*) {};
  return callbacks;
}

libdecor_interface WaylandSurface::kDecorInterface = WaylandSurface::decorInterface();
libdecor_frame_interface WaylandSurface::kDecorFrameInterface =
    WaylandSurface::decorFrameInterface();
#else
libdecor* WaylandSurface::startDecorations(wl_display*) {
  return nullptr;
}
libdecor_frame* WaylandSurface::decorateWindow(libdecor*, Pane&) {
  return nullptr;
}
void WaylandSurface::endDecorations(libdecor*, libdecor_frame*) {}
#endif

const wp_fractional_scale_v1_listener WaylandSurface::kFractionalScaleListener = {
    [](void* data, wp_fractional_scale_v1*, uint32_t scale) {
      Pane& pane = paneData(data);
      if (scale == 0 || scale == pane.fractional) return;
      pane.fractional = scale;
      if (pane.configured) pane.owner->configured(pane, pane.width, pane.height);
    },
};

const wl_surface_listener WaylandSurface::kSurfaceListener = {
    [](void* data, wl_surface*, wl_output* entered) {
      Pane& pane = paneData(data);
      if (pane.output != nullptr) return;
      for (auto& output : pane.owner->outputs_) {
        if (output->output == entered && output->scale != pane.enteredScale) {
          pane.enteredScale = output->scale;
          if (pane.configured) pane.owner->configured(pane, pane.width, pane.height);
        }
      }
    },
    [](void*, wl_surface*, wl_output*) {},
// Events of versions above the one bound, never sent; newer headers list them all the same.
#ifdef WL_SURFACE_PREFERRED_BUFFER_SCALE_SINCE_VERSION
    [](void*, wl_surface*, int32_t) {},
#endif
#ifdef WL_SURFACE_PREFERRED_BUFFER_TRANSFORM_SINCE_VERSION
    [](void*, wl_surface*, uint32_t) {},
#endif
};

const wl_callback_listener WaylandSurface::kFrameListener = {
    [](void* data, wl_callback* callback, uint32_t) {
      wl_callback_destroy(callback);
      paneData(data).frame = nullptr;
    },
};

const wl_seat_listener WaylandSurface::kSeatListener = {
    [](void* data, wl_seat*, uint32_t capabilities) { self(data).seatCapabilities(capabilities); },
    [](void*, wl_seat*, const char*) {},
};

const wl_keyboard_listener WaylandSurface::kKeyboardListener = {
    [](void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
      self(data).keymap(format, fd, size);
    },
    // Focus moving away is not taken as the end: only an exclusive overlay above the saver, a
    // screen locker, can take it from the layer surface, and it then covers the saver anyway.
    [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, uint32_t, wl_surface*) {},
    [](void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
      if (state == WL_KEYBOARD_KEY_STATE_PRESSED) self(data).keyPressed(key);
    },
    [](void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked,
       uint32_t group) {
      if (self(data).xkbState_ != nullptr) {
        xkb_state_update_mask(self(data).xkbState_, depressed, latched, locked, 0, 0, group);
      }
    },
    [](void*, wl_keyboard*, int32_t, int32_t) {},
};

const wl_pointer_listener WaylandSurface::kPointerListener = {
    [](void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
      self(data).pointerEntered(serial, surface, x, y);
    },
    [](void* data, wl_pointer*, uint32_t, wl_surface* surface) {
      if (self(data).pointerSurface_ == surface) self(data).pointerSurface_ = nullptr;
    },
    [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
      self(data).pointerMoved(x, y);
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
      if (state == WL_POINTER_BUTTON_STATE_PRESSED) self(data).buttonPressed(button);
    },
    [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
#ifdef WL_POINTER_AXIS_RELATIVE_DIRECTION_SINCE_VERSION
    [](void*, wl_pointer*, uint32_t, uint32_t) {},  // a version above the one bound
#endif
};

}  // namespace

WaylandHosting waylandHostingFrom(const char* waylandSocket, const char* outputName) {
  WaylandHosting hosting;
  hosting.underLocker = waylandSocket != nullptr && *waylandSocket != '\0';
  if (hosting.underLocker && outputName != nullptr) hosting.outputName = outputName;
  return hosting;
}

int runWaylandSaver(const HackOptions& options, const SaverSettings& settings,
                    const SessionOptions& sessionOptions, const WaylandHosting& hosting,
                    const char* readbackPath) {
  installStopHandlers();
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    std::fprintf(stderr, "marvolet: cannot connect to the Wayland compositor \"%s\"\n",
                 name != nullptr && *name != '\0' ? name : "wayland-0");
    return 1;
  }
  int exitCode = 0;
  {
    WaylandSurface surface(display, options, settings, hosting, readbackPath);
    RendererPicture picture(renderFlagsFor(settings, fillsScreen(options)), false,
                            sessionOptions.drawPath, sessionOptions.content);
    LinuxPowerSupply power;
    BatteryPace pace(power);
    SessionOptions running = sessionOptions;
    running.showFrameRate = options.showFps;
    running.pace = settings.batteryPace != 0 ? &pace : nullptr;
    running.frameRate = frameRateChoiceOf(settings.frameRate);
    SaverSession session(surface, picture, running);
    surface.attach(session);
    session.run();
    surface.finish();
    exitCode = surface.exitCode();
  }
  wl_display_disconnect(display);
  return exitCode;
}

}  // namespace marvolet
