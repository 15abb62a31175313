// The saver on X11: the surface over a full-screen, ordinary or borrowed window and a GLX
// context, and its event handling.
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/dpms.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "host/closing_rules.h"
#include "host/linux/linux_power_supply.h"
#include "host/monitor_layout.h"
#include "host/saver_session.h"
#include "host/swap_control.h"
#include "host/x11/x11_host.h"
#include "host/x11/x11_keys.h"
#include "platform/clock.h"
#include "platform/gl_proc_address.h"

namespace marvolet {
namespace {

constexpr int kTryWindowWidth = 800;  // -window's first size, pixels
constexpr int kTryWindowHeight = 600;
constexpr int kGrabAttempts = 20;  // another client may hold a grab for a moment
constexpr uint32_t kGrabRetryMilliseconds = 50;
constexpr uint32_t kDisplayStateMilliseconds = 1000;  // how often the DPMS state is read

// Waits for `milliseconds`, or less when a termination signal arrives (or already has) or,
// with `display` given, when the X connection has something to read.
void waitInterruptibly(uint32_t milliseconds, Display* display) {
  const uint32_t start = platform::milliseconds();
  for (;;) {
    if (terminationRequested) return;
    const uint32_t spent = platform::milliseconds() - start;
    if (spent >= milliseconds) return;
    // A reply read meanwhile (the DPMS state's) may have brought events into Xlib's queue,
    // where the socket no longer shows them.
    if (display != nullptr && XEventsQueued(display, QueuedAlready) > 0) return;
    pollfd fds[2];
    nfds_t count = 0;
    if (terminationFd >= 0) fds[count++] = {terminationFd, POLLIN, 0};
    if (display != nullptr) fds[count++] = {ConnectionNumber(display), POLLIN, 0};
    const int ready = poll(fds, count, static_cast<int>(milliseconds - spent));
    if (ready > 0) return;
    if (ready < 0 && errno != EINTR) return;
  }
}

// What stderr says when set-up fails; null where something else already said why, or nothing
// can (the other failures are Windows' own).
const char* x11FailureText(SetupFailure failure) {
  switch (failure) {
    case SetupFailure::NoPixelFormat:
      return "no double-buffered RGBA GLX visual with a depth buffer";
    case SetupFailure::NoContext:
      return "glXCreateContext() failed: cannot create an OpenGL context";
    case SetupFailure::ContextNotCurrent:
      return "glXMakeCurrent() failed: cannot make the OpenGL context current";
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

// The monitors as RandR 1.5 lists them (with the primary marked), or as Xinerama does where it
// finds more of them: a server that runs Xinerama over several screens (Xephyr, Xnest, old
// multi-card set-ups) shows RandR only the first.
std::vector<Monitor> queryMonitors(Display* display, Window root) {
  std::vector<Monitor> randr;
  int event = 0, error = 0, major = 0, minor = 0;
  if (XRRQueryExtension(display, &event, &error) && XRRQueryVersion(display, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 5))) {
    int count = 0;
    XRRMonitorInfo* info = XRRGetMonitors(display, root, True, &count);
    for (int i = 0; info != nullptr && i < count; ++i) {
      randr.push_back(
          {{info[i].x, info[i].y, info[i].width, info[i].height}, info[i].primary != 0});
    }
    if (info != nullptr) XRRFreeMonitors(info);
  }
  std::vector<Monitor> xinerama;
  if (XineramaQueryExtension(display, &event, &error) && XineramaIsActive(display)) {
    int count = 0;
    XineramaScreenInfo* heads = XineramaQueryScreens(display, &count);
    for (int i = 0; heads != nullptr && i < count; ++i) {
      xinerama.push_back(
          {{heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height}, false});
    }
    if (heads != nullptr) XFree(heads);
  }
  return xinerama.size() > randr.size() ? xinerama : randr;
}

// The primary output's refresh in Hz from its CRTC's current mode (RandR 1.3); without a primary
// marked, the first output that shows a picture. The other monitors' copies follow the primary's
// pace whatever their own. 0 where RandR cannot tell, as on a virtual display.
double primaryRefresh(Display* display, Window root) {
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
      (major == 1 && minor < 3)) {
    return 0.0;
  }
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
  if (resources == nullptr) return 0.0;
  std::vector<RROutput> outputs;
  if (const RROutput primary = XRRGetOutputPrimary(display, root); primary != None) {
    outputs.push_back(primary);
  }
  outputs.insert(outputs.end(), resources->outputs, resources->outputs + resources->noutput);
  double rate = 0.0;
  for (const RROutput output : outputs) {
    XRROutputInfo* info = XRRGetOutputInfo(display, resources, output);
    if (info == nullptr) continue;
    XRRCrtcInfo* crtc =
        info->crtc != None ? XRRGetCrtcInfo(display, resources, info->crtc) : nullptr;
    if (crtc != nullptr && crtc->mode != None) {
      for (int m = 0; m < resources->nmode; ++m) {
        const XRRModeInfo& mode = resources->modes[m];
        if (mode.id != crtc->mode) continue;
        rate = modeRefreshHz(static_cast<double>(mode.dotClock), mode.hTotal, mode.vTotal,
                             (mode.modeFlags & RR_Interlace) != 0,
                             (mode.modeFlags & RR_DoubleScan) != 0);
      }
    }
    if (crtc != nullptr) XRRFreeCrtcInfo(crtc);
    XRRFreeOutputInfo(info);
    if (rate > 0.0) break;
  }
  XRRFreeScreenResources(resources);
  return rate;
}

// A GL visual fit for the renderer: RGBA, double-buffered, with a depth buffer.
bool suitableVisual(Display* display, XVisualInfo* info) {
  int useGl = 0, rgba = 0, doubleBuffer = 0, depth = 0;
  glXGetConfig(display, info, GLX_USE_GL, &useGl);
  glXGetConfig(display, info, GLX_RGBA, &rgba);
  glXGetConfig(display, info, GLX_DOUBLEBUFFER, &doubleBuffer);
  glXGetConfig(display, info, GLX_DEPTH_SIZE, &depth);
  return useGl && rgba && doubleBuffer && depth > 0;
}

// One with 8 bits of alpha first, which the one-pass glow needs in the frame, but only where
// the alpha stays out of the X pixel: a compositing manager would blend an ARGB window with
// whatever alpha the frame holds. Otherwise one without alpha, which the renderer then serves
// with the layer-by-layer glow.
XVisualInfo* chooseVisual(Display* display, int screen) {
  // clang-format off
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1,
                      GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 16, GLX_ALPHA_SIZE, 8, None};
  // clang-format on
  if (XVisualInfo* found = glXChooseVisual(display, screen, attributes)) {
    int red = 0, green = 0, blue = 0;
    glXGetConfig(display, found, GLX_RED_SIZE, &red);
    glXGetConfig(display, found, GLX_GREEN_SIZE, &green);
    glXGetConfig(display, found, GLX_BLUE_SIZE, &blue);
    if (found->depth <= red + green + blue) return found;
    XFree(found);
  }
  attributes[10] = None;  // the same without alpha
  return glXChooseVisual(display, screen, attributes);
}

// The GL visual that is the window's own visual, if it is suitable.
XVisualInfo* windowVisual(Display* display, const XWindowAttributes& attributes) {
  XVisualInfo pattern{};
  pattern.visualid = XVisualIDFromVisual(attributes.visual);
  pattern.screen = XScreenNumberOfScreen(attributes.screen);
  int count = 0;
  XVisualInfo* found = XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &pattern, &count);
  if (found != nullptr && !suitableVisual(display, found)) {
    XFree(found);
    return nullptr;
  }
  return found;
}

class X11Surface : public SaverSurface, public SaverWindowPort {
 public:
  X11Surface(Display* display, const HackOptions& options, const SaverSettings& settings)
      : display_(display),
        mode_(options.mode),
        settings_(settings),
        screen_(DefaultScreen(display)),
        root_(RootWindow(display, DefaultScreen(display))),
        target_(options.mode == HackMode::Root ? root_ : options.windowId) {
    int event = 0, error = 0;
    hasDpms_ = DPMSQueryExtension(display_, &event, &error) && DPMSCapable(display_);
  }

  ~X11Surface() override {
    if (visual_ != nullptr) XFree(visual_);
  }

  // Own windows are destroyed after the GL teardown; a borrowed one is left to its owner.
  void finish() {
    if (mode_ == HackMode::FullScreen) {
      XUngrabKeyboard(display_, CurrentTime);
      XUngrabPointer(display_, CurrentTime);
    }
    if (ownsWindow_ && !windowGone_) XDestroyWindow(display_, window_);
    if (colormap_ != None) XFreeColormap(display_, colormap_);
    if (blankCursor_ != None) XFreeCursor(display_, blankCursor_);
    XSync(display_, False);
  }

  int exitCode() const { return failed_ ? 1 : 0; }

  // Where key commands and layout changes go.
  void attach(SaverSession& session) { session_ = &session; }

  // SaverSurface -----------------------------------------------------------------------------

  SetupFailure create() override {
    int glxError = 0, glxEvent = 0;
    if (!glXQueryExtension(display_, &glxError, &glxEvent)) {
      noGlx_ = true;  // no visual could serve GL, whichever the window has
      return SetupFailure::NoPixelFormat;
    }
    if (!createWindow()) return SetupFailure::Window;
    if (visual_ == nullptr) return SetupFailure::NoPixelFormat;
    context_ = glXCreateContext(display_, visual_, nullptr, True);
    if (context_ == nullptr) return SetupFailure::NoContext;
    if (glXMakeCurrent(display_, drawable_, context_) != True) {
      return SetupFailure::ContextNotCurrent;
    }
    current_ = true;
    // GLX's lookup, for the GL functions beyond 1.1 the renderer may use (the one-pass glow).
    const auto lookup = [](const char* name) -> void* {
      return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
    };
    platform::setGlProcAddressSource(lookup);
    // Chosen once for the context; the session asks for the interval it wants.
    swapControl_ = SwapControl::forGlx(glXQueryExtensionsString(display_, screen_), lookup,
                                       display_, drawable_);
    return SetupFailure::NoFailure;
  }

  // The windows themselves go in finish().
  void abandon(SetupFailure failure) override {
    destroy();
    const char* text = noGlx_
                           ? "the X server has no GLX extension, so there is no OpenGL to draw with"
                           : x11FailureText(failure);
    if (text != nullptr) std::fprintf(stderr, "marvolet: %s\n", text);
    failed_ = true;
  }

  const SaverLayout& layout() const override { return layout_; }

  bool readMonitors(MonitorReading& reading) override {
    if (mode_ != HackMode::FullScreen) return false;
    XWindowAttributes root;
    if (XGetWindowAttributes(display_, root_, &root) == 0) return false;
    reading = {queryMonitors(display_, root_), {0, 0, root.width, root.height}};
    return true;
  }

  void adoptLayout(const SaverLayout& layout) override {
    layout_ = layout;
    const PixelRect& area = layout_.window;
    XMoveResizeWindow(display_, window_, area.x, area.y, static_cast<unsigned>(area.width),
                      static_cast<unsigned>(area.height));
  }

  void show() override {
    if (mode_ == HackMode::FullScreen) {
      XMapRaised(display_, window_);
      XSync(display_, False);  // override-redirect: viewable once the server has the map
      takeInput();
    } else if (ownsWindow_) {
      XMapWindow(display_, window_);  // -window, or our child inside a borrowed window
    }
  }

  PumpResult pump() override {
    if (quit_ || terminationRequested) return PumpResult::Quit;
    if (xErrorSeen) {
      xErrorSeen = false;
      if (borrowed() && !targetExists()) return PumpResult::Quit;
    }
    if (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      handle(event);
      return PumpResult::Dispatched;
    }
    if (closePending_) {
      // Queued behind the events that were already waiting, as a posted close is.
      closePending_ = false;
      if (rules().closeMessage()) destroyWindow();
      return PumpResult::Dispatched;
    }
    return PumpResult::Empty;
  }

  // DPMS is read at most once a second; a server without it never sleeps.
  bool displayAsleep() override {
    if (!hasDpms_) return false;
    const uint32_t now = platform::milliseconds();
    if (dpmsRead_ && now - dpmsReadAt_ < kDisplayStateMilliseconds) return dpmsAsleep_;
    dpmsRead_ = true;
    dpmsReadAt_ = now;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    dpmsAsleep_ = DPMSInfo(display_, &level, &enabled) && enabled && level != DPMSModeOn;
    return dpmsAsleep_;
  }

  void waitForEvents() override { waitInterruptibly(kDisplayStateMilliseconds, display_); }

  void present() override { glXSwapBuffers(display_, drawable_); }
  double refreshRate() override { return primaryRefresh(display_, root_); }
  bool setSwapInterval(int32_t interval) override { return swapControl_.set(interval); }
  // A termination signal ends the pause at once, not after it.
  void sleep(uint32_t milliseconds) override { waitInterruptibly(milliseconds, nullptr); }

  void destroy() override {
    if (current_) glXMakeCurrent(display_, None, nullptr);
    if (context_ != nullptr) glXDestroyContext(display_, context_);
    current_ = false;
    context_ = nullptr;
  }

  // SaverWindowPort --------------------------------------------------------------------------

  CursorPoint cursorPosition() override {
    Window rootReturn, childReturn;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int buttons = 0;
    XQueryPointer(display_, root_, &rootReturn, &childReturn, &rootX, &rootY, &windowX, &windowY,
                  &buttons);
    return {rootX, rootY};
  }

  uint32_t tickCount() override { return platform::milliseconds(); }
  void postClose() override { closePending_ = true; }
  // The window itself goes after the GL teardown (finish), so no frame is drawn into it
  // meanwhile; the loop ends at once, as WM_DESTROY's quit message ends it on Windows.
  void destroyWindow() override { quit_ = true; }

  void refreshCursor() override {
    if (mode_ != HackMode::FullScreen) return;
    const Cursor cursor = rules().cursorHidden() ? blankCursor_ : None;
    XDefineCursor(display_, window_, cursor);
    XChangeActivePointerGrab(display_, ButtonPressMask | PointerMotionMask, cursor, CurrentTime);
  }

  // The screen locker, not the saver, asks for passwords on X11.
  bool verifyPassword() override { return true; }

  void keyCommand(KeyCommand command) override {
    if (session_ != nullptr) session_->keyCommand(command);
  }

 private:
  ClosingRules rules() {
    return ClosingRules(mode_ == HackMode::FullScreen ? Saver : Preview, settings_, closing_,
                        *this);
  }

  bool borrowed() const { return mode_ == HackMode::Root || mode_ == HackMode::WindowId; }

  // Full screen and -window: a window of our own; Root and WindowId: the given one. False when
  // there is no window to draw into; a missing visual is left for create() to report.
  bool createWindow() {
    if (mode_ == HackMode::Root || mode_ == HackMode::WindowId) return adoptTarget();
    visual_ = chooseVisual(display_, screen_);
    if (visual_ == nullptr) return true;
    const bool fullScreen = mode_ == HackMode::FullScreen;
    if (fullScreen) {
      layout_ = screenLayout(DisplayWidth(display_, screen_), DisplayHeight(display_, screen_));
    } else {
      layout_ =
          layoutMonitors({}, {0, 0, std::min(DisplayWidth(display_, screen_), kTryWindowWidth),
                              std::min(DisplayHeight(display_, screen_), kTryWindowHeight)});
    }
    const PixelRect& area = layout_.window;
    XSetWindowAttributes attributes{};
    unsigned long mask = CWColormap | CWBackPixel | CWBorderPixel | CWEventMask;
    colormap_ = XCreateColormap(display_, root_, visual_->visual, AllocNone);
    attributes.colormap = colormap_;
    attributes.background_pixel = BlackPixel(display_, screen_);
    attributes.border_pixel = 0;
    attributes.event_mask = KeyPressMask | StructureNotifyMask;
    if (fullScreen) {
      // Above everything and outside the window manager's reach, as a saver must be.
      attributes.override_redirect = True;
      attributes.event_mask |= ButtonPressMask | PointerMotionMask | FocusChangeMask;
      mask |= CWOverrideRedirect;
    }
    window_ = XCreateWindow(display_, root_, area.x, area.y, static_cast<unsigned>(area.width),
                            static_cast<unsigned>(area.height), 0, visual_->depth, InputOutput,
                            visual_->visual, mask, &attributes);
    if (window_ == None) return false;
    ownsWindow_ = true;
    drawable_ = window_;
    XStoreName(display_, window_, "Marvolet");
    XClassHint classHint{const_cast<char*>("marvolet"), const_cast<char*>("Marvolet")};
    XSetClassHint(display_, window_, &classHint);
    if (fullScreen) {
      XSelectInput(display_, root_, StructureNotifyMask);  // screen size changes
      // Outputs moved, turned on or off, or made primary at the same screen size.
      int error = 0;
      if (XRRQueryExtension(display_, &randrEvents_, &error)) {
        XRRSelectInput(
            display_, root_,
            RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
      } else {
        randrEvents_ = -1;
      }
    } else {
      deleteWindowAtom_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
      XSetWMProtocols(display_, window_, &deleteWindowAtom_, 1);
    }
    rules().windowCreated(window_);
    return true;
  }

  // Full screen over every monitor. One picture alone (one monitor, or mirrored ones) covers
  // the whole X screen as it always did.
  SaverLayout screenLayout(int screenWidth, int screenHeight) {
    return fullScreenLayout(queryMonitors(display_, root_), {0, 0, screenWidth, screenHeight});
  }

  bool targetExists() {
    XWindowAttributes attributes;
    xErrorSeen = false;
    const bool exists = XGetWindowAttributes(display_, target_, &attributes) != 0;
    XSync(display_, False);
    return exists && !xErrorSeen;
  }

  // Root and WindowId: draw into the given window, or into a child of ours where its visual
  // is no good for GL.
  bool adoptTarget() {
    XWindowAttributes attributes;
    xErrorSeen = false;
    if (XGetWindowAttributes(display_, target_, &attributes) == 0 || xErrorSeen) {
      std::fprintf(stderr, "marvolet: there is no window 0x%lx\n", target_);
      failed_ = true;
      return false;
    }
    // Only its life and size matter; input stays with whoever owns it.
    XSelectInput(display_, target_, StructureNotifyMask);
    layout_ = layoutMonitors({}, {0, 0, attributes.width, attributes.height});
    visual_ = windowVisual(display_, attributes);
    if (visual_ != nullptr) {
      drawable_ = target_;
      return true;
    }
    if (target_ == root_) return true;  // no child window over the whole desktop
    visual_ = chooseVisual(display_, XScreenNumberOfScreen(attributes.screen));
    if (visual_ == nullptr) return true;
    XSetWindowAttributes childAttributes{};
    colormap_ = XCreateColormap(display_, target_, visual_->visual, AllocNone);
    childAttributes.colormap = colormap_;
    childAttributes.background_pixel = 0;
    childAttributes.border_pixel = 0;
    childAttributes.event_mask = StructureNotifyMask;
    window_ = XCreateWindow(
        display_, target_, 0, 0, static_cast<unsigned>(attributes.width),
        static_cast<unsigned>(attributes.height), 0, visual_->depth, InputOutput, visual_->visual,
        CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &childAttributes);
    ownsWindow_ = true;
    drawable_ = window_;
    return true;
  }

  // Keyboard and pointer come to the saver wherever they are, and focus too, so that another
  // window taking it counts as the saver losing activation.
  void takeInput() {
    blankCursor_ = makeBlankCursor();
    XDefineCursor(display_, window_, blankCursor_);
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    bool keyboard = false, pointer = false;
    for (int attempt = 0; attempt < kGrabAttempts && !(keyboard && pointer); ++attempt) {
      if (attempt > 0) waitInterruptibly(kGrabRetryMilliseconds, nullptr);
      if (!keyboard) {
        keyboard = XGrabKeyboard(display_, window_, True, GrabModeAsync, GrabModeAsync,
                                 CurrentTime) == GrabSuccess;
      }
      if (!pointer) {
        pointer = XGrabPointer(display_, window_, True, ButtonPressMask | PointerMotionMask,
                               GrabModeAsync, GrabModeAsync, None, blankCursor_,
                               CurrentTime) == GrabSuccess;
      }
    }
    if (!keyboard || !pointer) {
      std::fprintf(stderr, "marvolet: could not grab the %s; input may reach other windows\n",
                   keyboard ? "pointer" : "keyboard");
    }
  }

  Cursor makeBlankCursor() {
    static const char noBits[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(display_, window_, noBits, 1, 1);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display_, empty);
    return cursor;
  }

  void handle(XEvent& event) {
    switch (event.type) {
      case DestroyNotify:
        if (event.xdestroywindow.window == target_ || event.xdestroywindow.window == window_) {
          windowGone_ = true;
          quit_ = true;
        }
        break;
      case ConfigureNotify:
        followSize(event.xconfigure);
        break;
      case ClientMessage:
        if (ownsWindow_ && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindowAtom_ &&
            rules().closeMessage()) {
          destroyWindow();
        }
        break;
      case KeyPress:
        keyPressed(event.xkey);
        break;
      case ButtonPress:
        if (mode_ == HackMode::FullScreen && x11ButtonCloses(event.xbutton.button)) {
          rules().keyOrButtonPressed(KeyCommand::Nothing);
        }
        break;
      case MotionNotify:
        if (mode_ == HackMode::FullScreen) rules().mouseMoved();
        break;
      case FocusIn:
        hadFocus_ = true;
        break;
      case FocusOut:
        if (mode_ == HackMode::FullScreen && lostFocus(event.xfocus)) {
          rules().activationChanged(true);
        }
        break;
      default:
        if (randrEvents_ >= 0 && (event.type == randrEvents_ + RRScreenChangeNotify ||
                                  event.type == randrEvents_ + RRNotify)) {
          XRRUpdateConfiguration(&event);
          if (session_ != nullptr) session_->monitorsChanged();
        }
        break;
    }
  }

  // Focus moved to another window or client. Moves into our own window tree, the pointer
  // bookkeeping and the focus events of grabs are not losses: taking our own keyboard grab
  // sends a FocusOut/FocusIn pair to the window even when it already has the focus, and no
  // other client can grab while ours holds.
  bool lostFocus(const XFocusChangeEvent& focus) const {
    return hadFocus_ && focus.window == window_ &&
           (focus.mode == NotifyNormal || focus.mode == NotifyWhileGrabbed) &&
           focus.detail != NotifyInferior && focus.detail != NotifyPointer;
  }

  void keyPressed(XKeyEvent& key) {
    if (mode_ != HackMode::FullScreen && mode_ != HackMode::Window) return;
    KeySym keysym = XLookupKeysym(&key, 0);
    if (keysym >= XK_KP_Space && keysym <= XK_KP_9) {
      // The keypad's meaning depends on NumLock, as Windows' virtual keys do.
      char text[8];
      XLookupString(&key, text, sizeof text, &keysym, nullptr);
    }
    const X11Key pressed = x11KeyFor(static_cast<uint32_t>(keysym), key.state);
    if (pressed.systemKey) return;
    if (mode_ == HackMode::FullScreen) {
      rules().keyOrButtonPressed(pressed.command);
    } else if (keysym == XK_Escape) {
      destroyWindow();
    } else {
      keyCommand(pressed.command);
    }
  }

  void followSize(const XConfigureEvent& configure) {
    if (configure.window == root_ && mode_ == HackMode::FullScreen) {
      // The monitors may have moved with the screen's size: the session lays them out afresh.
      XEvent event{};
      event.xconfigure = configure;
      XRRUpdateConfiguration(&event);
      if (session_ != nullptr) session_->monitorsChanged();
      return;
    } else if (mode_ == HackMode::FullScreen) {
      return;  // our own window follows the layout, not the other way round
    } else if (configure.window == target_ && drawable_ != target_ && window_ != None) {
      XResizeWindow(display_, window_, static_cast<unsigned>(configure.width),
                    static_cast<unsigned>(configure.height));
      return;  // our child's own ConfigureNotify follows
    } else if (configure.window == drawable_ && (configure.width != layout_.window.width ||
                                                 configure.height != layout_.window.height)) {
      layout_ = layoutMonitors({}, {0, 0, configure.width, configure.height});
    } else {
      return;
    }
    if (session_ != nullptr) session_->followLayout();
  }

  Display* display_;
  HackMode mode_;
  const SaverSettings& settings_;
  ClosingState closing_;
  SaverSession* session_ = nullptr;
  int screen_;
  Window root_;
  Window target_;           // the borrowed window (Root, WindowId)
  Window window_ = None;    // a window of our own, if any
  Window drawable_ = None;  // where GL draws: window_ or target_
  bool ownsWindow_ = false;
  XVisualInfo* visual_ = nullptr;
  Colormap colormap_ = None;
  Cursor blankCursor_ = None;
  Atom deleteWindowAtom_ = None;
  GLXContext context_ = nullptr;
  bool current_ = false;
  SwapControl swapControl_;  // the context's, found at create()
  // The drawable in its parent (FullScreen: over every monitor, with the copies).
  SaverLayout layout_;
  int randrEvents_ = -1;  // the RandR extension's first event number; -1 without it
  bool hasDpms_ = false;
  bool dpmsRead_ = false;
  uint32_t dpmsReadAt_ = 0;
  bool dpmsAsleep_ = false;
  bool closePending_ = false;
  bool quit_ = false;
  bool windowGone_ = false;
  bool hadFocus_ = false;
  bool failed_ = false;
  bool noGlx_ = false;  // the server offers no GLX at all
};

}  // namespace

int runX11Saver(Display* display, const HackOptions& options, const SaverSettings& settings,
                const SessionOptions& sessionOptions) {
  X11Surface surface(display, options, settings);
  RendererPicture picture(renderFlagsFor(settings, fillsScreen(options)),
                          settings.mainMonitorOnly != 0, sessionOptions.drawPath,
                          sessionOptions.content);
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
  return surface.exitCode();
}

}  // namespace marvolet
