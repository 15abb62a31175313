// The configuration dialog in plain Xlib: the Windows dialog's controls at its positions, drawn
// with core fonts; the decisions (which box is which option, OK and Cancel) are shared.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/config_dialog.h"
#include "host/x11/x11_host.h"

namespace marvolet {
namespace {

// The Windows template is in dialog units of an 8-point font: 1.5 x 1.625 pixels each.
constexpr int px(int dialogUnits) {
  return dialogUnits * 3 / 2;
}
constexpr int py(int dialogUnits) {
  return dialogUnits * 13 / 8;
}

constexpr int kDialogWidth = px(228);
constexpr int kDialogHeight = py(94);
constexpr int kBoxSize = 13;  // check-box square, pixels
constexpr int kPollMilliseconds = 100;

enum class Kind { Button, CheckBox, Label, DropDown };

// A drop-down list's field, dialog units: the template's height is that of the list opened.
constexpr int kFieldHeight = 12;

struct Control {
  Kind kind;
  int32_t id;  // command or box id; 0 for the label
  const char* text;
  int x, y, width, height;         // pixels
  const OptionRow* row = nullptr;  // a drop-down list's, for its items
};

// Tab order: the buttons, then each row's control in table order, as the Windows template
// has them; the label takes no focus. Switches and choices are drawn so far: the rows of other
// kinds keep their values through OK (held by the dialog's controls below) until their widgets
// come. A drop-down list steps through its items in place (click, space, up and down) rather
// than opening.
std::vector<Control> dialogControls() {
  std::vector<Control> controls = {
      {Kind::Button, static_cast<int32_t>(kDialogOk), "OK", px(172), py(4), px(50), py(14)},
      {Kind::Button, static_cast<int32_t>(kDialogCancel), "Cancel", px(172), py(23), px(50),
       py(14)},
  };
  for (const OptionRow& row : saverOptionTable()) {
    if (row.controlId == 0) continue;
    if (row.kind == OptionKind::Switch) {
      controls.push_back({Kind::CheckBox, row.controlId, row.label, px(row.place.x),
                          py(row.place.y), px(row.place.width), py(row.place.height)});
    } else if (row.kind == OptionKind::Choice) {
      controls.push_back({Kind::DropDown, row.controlId, row.label, px(row.place.x),
                          py(row.place.y), px(row.place.width), py(kFieldHeight), &row});
    }
  }
  controls.push_back({Kind::Label, 0, "Version 1.0", px(7), py(64), px(36), py(8)});
  return controls;
}

// Under the controls, when OK could not save: the reason, wrapped to the dialog's width.
constexpr int kProblemMargin = px(7);
constexpr int kProblemTop = py(76);  // under the version line
constexpr int kProblemLineHeight = 15;

class ConfigDialog {
 public:
  ConfigDialog(Display* display, SaverSettings& settings, SettingsStore& store)
      : display_(display),
        settings_(settings),
        store_(store),
        controls_(dialogControls()),
        controlCount_(static_cast<int>(controls_.size())) {}

  void run() {
    create();
    showOptions(settings_.options, values_);
    XMapWindow(display_, window_);
    while (!done_) {
      if (terminationRequested) break;  // like Cancel: nothing is written
      if (XPending(display_) == 0) {
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        poll(&connection, 1, kPollMilliseconds);
        continue;
      }
      XEvent event;
      XNextEvent(display_, &event);
      handle(event);
    }
    if (font_ != nullptr) XFreeFont(display_, font_);
    XFreeGC(display_, gc_);
    XDestroyWindow(display_, window_);
    XSync(display_, False);
  }

 private:
  // What the controls hold, by id.
  class Values : public DialogControls {
   public:
    void setState(int32_t id, uint32_t state) override {
      // A two-state box shows any non-zero state as checked, as the Windows control does; a
      // list's selection is kept as it is.
      bool checkBox = false;
      for (const OptionRow& row : saverOptionTable()) {
        if (row.controlId == id) checkBox = row.kind == OptionKind::Switch;
      }
      states[id] = checkBox ? (state != 0 ? 1 : 0) : state;
    }
    uint32_t state(int32_t id) override { return states[id]; }
    void setText(int32_t id, const std::string& text) override { texts[id] = text; }
    std::string text(int32_t id) override { return texts[id]; }

    std::map<int32_t, uint32_t> states;
    std::map<int32_t, std::string> texts;
  };

  void create() {
    const int screen = DefaultScreen(display_);
    const int x = (DisplayWidth(display_, screen) - kDialogWidth) / 2;
    const int y = (DisplayHeight(display_, screen) - kDialogHeight) / 2;
    face_ = color(0xD4D0C8);
    light_ = color(0xFFFFFF);
    shadow_ = color(0x808080);
    dark_ = color(0x000000);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y, kDialogWidth,
                                  kDialogHeight, 0, dark_, face_);
    XSelectInput(display_, window_,
                 ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask);
    XStoreName(display_, window_, "Config dialog");
    XClassHint classHint{const_cast<char*>("marvolet"), const_cast<char*>("Marvolet")};
    XSetClassHint(display_, window_, &classHint);
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PPosition;
    hints->x = x;
    hints->y = y;
    XSetWMNormalHints(display_, window_, hints);
    XFree(hints);
    fixSize(kDialogHeight);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    font_ = XLoadQueryFont(display_, "-misc-fixed-medium-r-semicondensed--13-*-*-*-*-*-iso8859-1");
    if (font_ == nullptr) font_ = XLoadQueryFont(display_, "fixed");
    if (font_ != nullptr) XSetFont(display_, gc_, font_->fid);
  }

  void fixSize(int height) {
    XSizeHints* hints = XAllocSizeHints();
    long supplied = 0;
    XGetWMNormalHints(display_, window_, hints, &supplied);
    hints->flags |= PMinSize | PMaxSize;
    hints->min_width = hints->max_width = kDialogWidth;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display_, window_, hints);
    XFree(hints);
    height_ = height;
  }

  // The reason in words that fit the dialog's width, a line each.
  std::vector<std::string> wrapped(const std::string& text) const {
    const int width = kDialogWidth - 2 * kProblemMargin;
    std::vector<std::string> lines;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      const std::string word = text.substr(start, end - start);
      const std::string longer = line.empty() ? word : line + " " + word;
      if (!line.empty() && textWidth(longer.c_str()) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = longer;
      }
      start = end + 1;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
  }

  void showProblem(const std::string& problem) {
    std::fprintf(stderr, "marvolet: the settings were not saved: %s\n", problem.c_str());
    problemLines_ = wrapped("The settings were not saved: " + problem);
    const int height =
        std::max(kDialogHeight,
                 kProblemTop + static_cast<int>(problemLines_.size()) * kProblemLineHeight + 6);
    fixSize(height);
    XResizeWindow(display_, window_, kDialogWidth, static_cast<unsigned>(height));
    draw();
  }

  unsigned long color(unsigned rgb) {
    XColor xcolor{};
    xcolor.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257);
    xcolor.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257);
    xcolor.blue = static_cast<unsigned short>((rgb & 0xFF) * 257);
    const int screen = DefaultScreen(display_);
    if (XAllocColor(display_, DefaultColormap(display_, screen), &xcolor) == 0) {
      return rgb >= 0x808080 ? WhitePixel(display_, screen) : BlackPixel(display_, screen);
    }
    return xcolor.pixel;
  }

  void handle(XEvent& event) {
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) draw();
        break;
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) command(kDialogCancel);
        break;
      case KeyPress:
        keyPressed(event.xkey);
        break;
      case ButtonPress:
        if (event.xbutton.button == Button1) {
          pressed_ = controlAt(event.xbutton.x, event.xbutton.y);
          if (pressed_ >= 0) focus_ = pressed_;
          draw();
        }
        break;
      case ButtonRelease:
        if (event.xbutton.button == Button1 && pressed_ >= 0) {
          const int released = controlAt(event.xbutton.x, event.xbutton.y);
          const int control = pressed_;
          pressed_ = -1;
          if (released == control) activate(control);
          if (!done_) draw();
        }
        break;
      default:
        break;
    }
  }

  void keyPressed(XKeyEvent& key) {
    const KeySym keysym = XLookupKeysym(&key, 0);
    if (keysym == XK_Escape) {
      command(kDialogCancel);
    } else if (keysym == XK_Tab || keysym == XK_ISO_Left_Tab) {
      const int step = (key.state & ShiftMask) != 0 || keysym == XK_ISO_Left_Tab ? -1 : 1;
      do {
        focus_ = (focus_ + step + controlCount_) % controlCount_;
      } while (controls_[focus_].kind == Kind::Label);
      draw();
    } else if (keysym == XK_space) {
      activate(focus_);
      if (!done_) draw();
    } else if ((keysym == XK_Up || keysym == XK_Down) && controls_[focus_].kind == Kind::DropDown) {
      step(controls_[focus_], keysym == XK_Down ? 1 : -1, false);
      draw();
    } else if (keysym == XK_Return || keysym == XK_KP_Enter) {
      // The focused push button, else the default one (OK).
      activate(controls_[focus_].kind == Kind::Button ? focus_ : 0);
    }
  }

  void activate(int index) {
    const Control& control = controls_[index];
    if (control.kind == Kind::CheckBox) {
      uint32_t& state = values_.states[control.id];
      state = state == 1 ? 0 : 1;
    } else if (control.kind == Kind::DropDown) {
      step(control, 1, true);
    } else if (control.kind == Kind::Button) {
      command(static_cast<uint32_t>(control.id));
    }
  }

  static uint32_t itemCount(const Control& list) {
    uint32_t count = 0;
    while (list.row->choices[count] != nullptr) ++count;
    return count;
  }

  // The next or previous item; past the last, the first again when `wrap`, else it stays.
  void step(const Control& list, int by, bool wrap) {
    const uint32_t count = itemCount(list);
    uint32_t& selected = values_.states[list.id];
    if (selected >= count) selected = 0;
    if (by > 0) {
      selected = selected + 1 < count ? selected + 1 : (wrap ? 0 : selected);
    } else {
      selected = selected > 0 ? selected - 1 : selected;
    }
  }

  void command(uint32_t id) {
    const DialogOutcome outcome = configDialogCommand(settings_, store_, id, values_);
    if (!outcome.problem.empty()) showProblem(outcome.problem);
    if (outcome.endWith != 0) done_ = true;
  }

  int controlAt(int x, int y) const {
    for (int i = 0; i < controlCount_; ++i) {
      const Control& c = controls_[i];
      if (c.kind != Kind::Label && x >= c.x && x < c.x + c.width && y >= c.y &&
          y < c.y + c.height) {
        return i;
      }
    }
    return -1;
  }

  int textWidth(const char* text) const {
    return font_ != nullptr ? XTextWidth(font_, text, static_cast<int>(std::strlen(text)))
                            : static_cast<int>(std::strlen(text)) * 6;
  }

  void text(int x, int baselineCentre, const char* value) {
    if (font_ == nullptr) return;
    const int baseline = baselineCentre + (font_->ascent - font_->descent) / 2;
    XSetForeground(display_, gc_, dark_);
    XDrawString(display_, window_, gc_, x, baseline, value, static_cast<int>(std::strlen(value)));
  }

  void bevel(int x, int y, int width, int height, bool sunken) {
    XSetForeground(display_, gc_, sunken ? shadow_ : light_);
    XDrawLine(display_, window_, gc_, x, y, x + width - 1, y);
    XDrawLine(display_, window_, gc_, x, y, x, y + height - 1);
    XSetForeground(display_, gc_, sunken ? light_ : dark_);
    XDrawLine(display_, window_, gc_, x, y + height - 1, x + width - 1, y + height - 1);
    XDrawLine(display_, window_, gc_, x + width - 1, y, x + width - 1, y + height - 1);
  }

  void focusFrame(int x, int y, int width, int height) {
    XSetForeground(display_, gc_, dark_);
    XSetLineAttributes(display_, gc_, 1, LineOnOffDash, CapButt, JoinMiter);
    XDrawRectangle(display_, window_, gc_, x, y, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XSetLineAttributes(display_, gc_, 1, LineSolid, CapButt, JoinMiter);
  }

  void draw() {
    XSetForeground(display_, gc_, face_);
    XFillRectangle(display_, window_, gc_, 0, 0, kDialogWidth, static_cast<unsigned>(height_));
    for (int i = 0; i < controlCount_; ++i) {
      const Control& c = controls_[i];
      const int middle = c.y + c.height / 2;
      if (c.kind == Kind::Label) {
        text(c.x, middle, c.text);
      } else if (c.kind == Kind::Button) {
        bevel(c.x, c.y, c.width, c.height, pressed_ == i);
        if (c.id == static_cast<int32_t>(kDialogOk)) {  // the default button's heavier frame
          XSetForeground(display_, gc_, dark_);
          XDrawRectangle(display_, window_, gc_, c.x - 1, c.y - 1,
                         static_cast<unsigned>(c.width + 1), static_cast<unsigned>(c.height + 1));
        }
        const int left = c.x + (c.width - textWidth(c.text)) / 2;
        text(left, middle, c.text);
        if (focus_ == i) focusFrame(c.x + 3, c.y + 3, c.width - 7, c.height - 7);
      } else if (c.kind == Kind::DropDown) {
        drawDropDown(c, focus_ == i);
      } else {
        const int boxY = middle - kBoxSize / 2;
        XSetForeground(display_, gc_, light_);
        XFillRectangle(display_, window_, gc_, c.x, boxY, kBoxSize, kBoxSize);
        bevel(c.x, boxY, kBoxSize, kBoxSize, true);
        if (values_.states[c.id] == 1) {
          XSetForeground(display_, gc_, dark_);
          XSetLineAttributes(display_, gc_, 2, LineSolid, CapButt, JoinMiter);
          XPoint tick[] = {{short(c.x + 3), short(boxY + 6)},
                           {short(c.x + 5), short(boxY + 9)},
                           {short(c.x + 10), short(boxY + 3)}};
          XDrawLines(display_, window_, gc_, tick, 3, CoordModeOrigin);
          XSetLineAttributes(display_, gc_, 1, LineSolid, CapButt, JoinMiter);
        }
        const int labelX = c.x + kBoxSize + 4;
        text(labelX, middle, c.text);
        if (focus_ == i) {
          focusFrame(labelX - 2, middle - 8, textWidth(c.text) + 3, 16);
        }
      }
    }
    for (size_t i = 0; i < problemLines_.size(); ++i) {
      const int middle =
          kProblemTop + static_cast<int>(i) * kProblemLineHeight + kProblemLineHeight / 2;
      text(kProblemMargin, middle, problemLines_[i].c_str());
    }
    XFlush(display_);
  }

  // The field with the selected item and the arrow button; the row's label left of it.
  void drawDropDown(const Control& c, bool focused) {
    const int middle = c.y + c.height / 2;
    text(c.x - textWidth(c.text) - 6, middle, c.text);
    XSetForeground(display_, gc_, light_);
    XFillRectangle(display_, window_, gc_, c.x, c.y, static_cast<unsigned>(c.width),
                   static_cast<unsigned>(c.height));
    bevel(c.x, c.y, c.width, c.height, true);
    const int button = c.height - 4;
    const int buttonX = c.x + c.width - 2 - button;
    XSetForeground(display_, gc_, face_);
    XFillRectangle(display_, window_, gc_, buttonX, c.y + 2, static_cast<unsigned>(button),
                   static_cast<unsigned>(button));
    bevel(buttonX, c.y + 2, button, button, false);
    XSetForeground(display_, gc_, dark_);
    const int ax = buttonX + button / 2, ay = c.y + 2 + button / 2 + 2;
    XPoint arrow[] = {
        {short(ax - 4), short(ay - 3)}, {short(ax + 4), short(ay - 3)}, {short(ax), short(ay + 1)}};
    XFillPolygon(display_, window_, gc_, arrow, 3, Convex, CoordModeOrigin);
    const uint32_t selected = values_.states[c.id];
    if (selected < itemCount(c)) {
      text(c.x + 4, middle, choiceLabel(*c.row, selected));
    }
    if (focused) focusFrame(c.x + 2, c.y + 2, buttonX - c.x - 5, c.height - 5);
  }

  Display* display_;
  SaverSettings& settings_;
  SettingsStore& store_;
  Window window_ = None;
  GC gc_ = nullptr;
  XFontStruct* font_ = nullptr;
  Atom deleteWindow_ = None;
  unsigned long face_ = 0, light_ = 0, shadow_ = 0, dark_ = 0;
  const std::vector<Control> controls_;
  const int controlCount_;
  Values values_;
  std::vector<std::string> problemLines_;  // why the last OK could not save
  int height_ = kDialogHeight;             // pixels; grows to show problemLines_
  int focus_ = 0;     // index into controls_; OK first, as the platform's default focus
  int pressed_ = -1;  // control under a held mouse button
  bool done_ = false;
};

}  // namespace

void runX11ConfigDialog(Display* display, SaverSettings& settings, SettingsStore& store) {
  ConfigDialog dialog(display, settings, store);
  dialog.run();
}

}  // namespace marvolet
