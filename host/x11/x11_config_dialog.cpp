// The configuration dialog in plain Xlib: the Windows dialog's controls at its positions, its
// text drawn with Xft so that a title or a file name in any script shows; the decisions (which
// box is which option, OK and Cancel) are shared.
#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fontconfig/fontconfig.h>
#include <poll.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "assets/text_file.h"
#include "assets/user_content.h"
#include "host/config_dialog.h"
#include "host/x11/x11_host.h"

namespace marvolet {
namespace {

// The Windows template is in dialog units of an 8-point font: 1.75 x 1.625 pixels each here,
// a little wider than Windows' own at 96 DPI for the wider faces fontconfig offers.
constexpr int px(int dialogUnits) {
  return dialogUnits * 7 / 4;
}
constexpr int py(int dialogUnits) {
  return dialogUnits * 13 / 8;
}

constexpr int kDialogWidth = px(228);
constexpr int kDialogHeight = py(178);
constexpr int kBoxSize = 13;  // check-box square, pixels
constexpr int kPollMilliseconds = 100;
constexpr const char* kFontName = "sans-serif:pixelsize=11";
constexpr size_t kLongestPaste = 64 * 1024;  // bytes taken from a selection

// One code point from well-formed or ill-formed UTF-8 at text[*i], which moves past it; an
// ill-formed byte is U+FFFD, one byte long.
FcChar32 nextCodePoint(const std::string& text, size_t* i) {
  const auto* s = reinterpret_cast<const FcChar8*>(text.data()) + *i;
  FcChar32 point = 0;
  const int length = FcUtf8ToUcs4(s, &point, static_cast<int>(text.size() - *i));
  if (length <= 0) {
    *i += 1;
    return 0xFFFD;
  }
  *i += static_cast<size_t>(length);
  return point;
}

size_t previousBoundary(const std::string& text, size_t i) {
  if (i == 0) return 0;
  --i;
  while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
  return i;
}

size_t codePoints(const std::string& text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++count) nextCodePoint(text, &i);
  return count;
}

void appendUtf8(std::string* text, uint32_t point) {
  FcChar8 bytes[8];
  const int length = FcUcs4ToUtf8(point, bytes);
  text->append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
}

// Text typed or pasted into a one-line field: line breaks and tabs become spaces, other control
// characters go.
std::string oneLine(const std::string& text) {
  std::string line;
  for (size_t i = 0; i < text.size();) {
    const FcChar32 point = nextCodePoint(text, &i);
    if (point == '\n' || point == '\r' || point == '\t') {
      line += ' ';
    } else if (point >= 0x20 && point != 0x7F && !(point >= 0x80 && point < 0xA0)) {
      appendUtf8(&line, point);
    }
  }
  return line;
}

// Text in any script with Xft: each character in the first font fontconfig offers that has it,
// the dialog's own font first. A character no font has is drawn by the dialog's font as its
// missing-glyph box.
class DialogFonts {
 public:
  DialogFonts(Display* display, int screen) : display_(display), screen_(screen) {
    primary_ = XftFontOpenName(display_, screen_, kFontName);
  }
  ~DialogFonts() {
    for (XftFont* font : fallbacks_) XftFontClose(display_, font);
    if (primary_ != nullptr) XftFontClose(display_, primary_);
  }
  DialogFonts(const DialogFonts&) = delete;
  DialogFonts& operator=(const DialogFonts&) = delete;

  bool usable() const { return primary_ != nullptr; }
  int ascent() const { return primary_->ascent; }
  int descent() const { return primary_->descent; }

  int width(const std::string& text) {
    int total = 0;
    forEachRun(text, [&](XftFont* font, const std::string& run) {
      XGlyphInfo extents;
      XftTextExtentsUtf8(display_, font, reinterpret_cast<const FcChar8*>(run.data()),
                         static_cast<int>(run.size()), &extents);
      total += extents.xOff;
    });
    return total;
  }

  void draw(XftDraw* draw, const XftColor& color, int x, int baseline, const std::string& text) {
    forEachRun(text, [&](XftFont* font, const std::string& run) {
      const auto* bytes = reinterpret_cast<const FcChar8*>(run.data());
      XftDrawStringUtf8(draw, &color, font, x, baseline, bytes, static_cast<int>(run.size()));
      XGlyphInfo extents;
      XftTextExtentsUtf8(display_, font, bytes, static_cast<int>(run.size()), &extents);
      x += extents.xOff;
    });
  }

 private:
  // Calls `use` with each run of characters that one font draws, in order; ill-formed bytes
  // become U+FFFD.
  template <typename Use>
  void forEachRun(const std::string& text, Use use) {
    XftFont* current = nullptr;
    std::string run;
    for (size_t i = 0; i < text.size();) {
      const FcChar32 point = nextCodePoint(text, &i);
      XftFont* font = fontFor(point);
      if (font != current && !run.empty()) {
        use(current, run);
        run.clear();
      }
      current = font;
      appendUtf8(&run, point);
    }
    if (!run.empty()) use(current, run);
  }

  XftFont* fontFor(FcChar32 point) {
    if (XftCharExists(display_, primary_, point)) return primary_;
    const auto known = chosen_.find(point);
    if (known != chosen_.end()) return known->second;
    XftFont* font = primary_;
    for (XftFont* fallback : fallbacks_) {
      if (XftCharExists(display_, fallback, point)) font = fallback;
    }
    if (font == primary_) font = openFontWith(point);
    chosen_[point] = font;
    return font;
  }

  // Fontconfig's best font for the dialog's size that has `point`, or the dialog's own font.
  XftFont* openFontWith(FcChar32 point) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(kFontName));
    if (pattern == nullptr) return primary_;
    FcCharSet* characters = FcCharSetCreate();
    FcCharSetAddChar(characters, point);
    FcPatternAddCharSet(pattern, FC_CHARSET, characters);
    FcCharSetDestroy(characters);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    XftDefaultSubstitute(display_, screen_, pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return primary_;
    XftFont* font = XftFontOpenPattern(display_, match);  // owns `match` from here on
    if (font == nullptr) {
      FcPatternDestroy(match);
      return primary_;
    }
    if (!XftCharExists(display_, font, point)) {
      XftFontClose(display_, font);
      return primary_;
    }
    fallbacks_.push_back(font);
    return font;
  }

  Display* display_;
  int screen_;
  XftFont* primary_ = nullptr;
  std::vector<XftFont*> fallbacks_;      // opened as characters need them
  std::map<FcChar32, XftFont*> chosen_;  // characters the dialog's font lacks
};

enum class Kind { Button, CheckBox, Label, Field, Line, DropDown };

// A drop-down list's field, dialog units: the template's height is that of the list opened.
constexpr int kListFieldHeight = 12;

struct Control {
  Kind kind;
  int32_t id;  // command, box, field, list or line id; 0 for a label
  std::string text;
  int x, y, width, height;         // pixels
  const OptionRow* row = nullptr;  // a drop-down list's, for its items
};

const FileRowControls* fileRowOfField(int32_t fieldId) {
  const OptionTable& table = saverOptionTable();
  for (const FileRowControls& file : kFileRowControls) {
    if (table.rows[table.find(file.storedName)].controlId == fieldId) return &file;
  }
  return nullptr;
}

// Tab order: the buttons, then the switches and lists in table order, as the Windows template
// has them; then each edit row from the top, a file's Built-in button after its field. Labels
// and lines take no focus. A drop-down list steps through its items in place (click, space, up
// and down) rather than opening. A file's field is typed or pasted into (there is no file picker
// here) and spans the Windows dialog's box and Browse button; its Built-in button sits where
// Windows has it.
std::vector<Control> dialogControls() {
  std::vector<Control> controls = {
      {Kind::Button, static_cast<int32_t>(kDialogOk), "OK", px(172), py(4), px(50), py(14)},
      {Kind::Button, static_cast<int32_t>(kDialogCancel), "Cancel", px(172), py(23), px(50),
       py(14)},
  };
  std::vector<const OptionRow*> edits;
  for (const OptionRow& row : saverOptionTable()) {
    if (row.controlId == 0) continue;
    if (row.kind == OptionKind::Switch) {
      controls.push_back({Kind::CheckBox, row.controlId, row.label, px(row.place.x),
                          py(row.place.y), px(row.place.width), py(row.place.height)});
    } else if (row.kind == OptionKind::Choice) {
      controls.push_back({Kind::DropDown, row.controlId, row.label, px(row.place.x),
                          py(row.place.y), px(row.place.width), py(kListFieldHeight), &row});
    } else if (row.kind == OptionKind::Text || row.kind == OptionKind::Path) {
      edits.push_back(&row);
    }
  }
  controls.push_back({Kind::Label, 0, "Version 1.0", px(7), py(64), px(36), py(8)});
  std::stable_sort(edits.begin(), edits.end(),
                   [](const OptionRow* a, const OptionRow* b) { return a->place.y < b->place.y; });
  for (const OptionRow* row : edits) {
    const DialogPlace& box = row->place;
    controls.push_back({Kind::Label, 0, row->label, px(kEditLabelX), py(box.y + 2),
                        px(box.x - 1 - kEditLabelX), py(8)});
    const FileRowControls* file = fileRowOfField(row->controlId);
    const int fieldWidth = file != nullptr ? box.width + kBrowseGap + kBrowseWidth : box.width;
    controls.push_back(
        {Kind::Field, row->controlId, "", px(box.x), py(box.y), px(fieldWidth), py(box.height)});
    if (file == nullptr) continue;
    const int builtInX = box.x + box.width + kBrowseGap + kBrowseWidth + kBuiltInGap;
    controls.push_back({Kind::Button, file->builtInId, "Built-in", px(builtInX), py(box.y),
                        px(kBuiltInWidth), py(box.height)});
    controls.push_back({Kind::Line, file->glimpseId, "", px(box.x),
                        py(box.y + box.height + kGlimpseBelow),
                        px(builtInX + kBuiltInWidth - box.x), py(kGlimpseHeight)});
  }
  return controls;
}

bool takesFocus(Kind kind) {
  return kind != Kind::Label && kind != Kind::Line;
}

// Under the controls, when OK could not save: the reason, wrapped to the dialog's width.
constexpr int kProblemMargin = px(7);
constexpr int kProblemTop = py(176);  // under the last file's line
constexpr int kProblemLineHeight = 15;

class ConfigDialog {
 public:
  ConfigDialog(Display* display, SaverSettings& settings, SettingsStore& store)
      : display_(display),
        settings_(settings),
        store_(store),
        controls_(dialogControls()),
        controlCount_(static_cast<int>(controls_.size())),
        fonts_(display, DefaultScreen(display)) {}

  void run() {
    create();
    showOptions(settings_.options, values_);
    for (const FileRowControls& file : kFileRowControls) refreshGlimpse(file);
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
      if (XFilterEvent(&event, None)) continue;  // taken by the input method
      handle(event);
    }
    if (inputContext_ != nullptr) XDestroyIC(inputContext_);
    if (inputMethod_ != nullptr) XCloseIM(inputMethod_);
    if (draw_ != nullptr) XftDrawDestroy(draw_);
    XftColorFree(display_, DefaultVisual(display_, DefaultScreen(display_)),
                 DefaultColormap(display_, DefaultScreen(display_)), &ink_);
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
    XSelectInput(
        display_, window_,
        ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | FocusChangeMask);
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
    utf8String_ = XInternAtom(display_, "UTF8_STRING", False);
    clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
    pasted_ = XInternAtom(display_, "MARVOLET_PASTE", False);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    draw_ = XftDrawCreate(display_, window_, DefaultVisual(display_, screen),
                          DefaultColormap(display_, screen));
    const XRenderColor black{0, 0, 0, 0xFFFF};
    XftColorAllocValue(display_, DefaultVisual(display_, screen), DefaultColormap(display_, screen),
                       &black, &ink_);
    openInputMethod();
  }

  // Typing in any script the user's input method offers; without one, the keyboard's own
  // characters.
  void openInputMethod() {
    // The dialog is all this process does, so its locale is the user's; only the character
    // type matters here.
    if (std::setlocale(LC_CTYPE, "") == nullptr || !XSupportsLocale()) {
      std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    XSetLocaleModifiers("");
    inputMethod_ = XOpenIM(display_, nullptr, nullptr, nullptr);
    if (inputMethod_ == nullptr) {
      XSetLocaleModifiers("@im=none");
      inputMethod_ = XOpenIM(display_, nullptr, nullptr, nullptr);
    }
    if (inputMethod_ == nullptr) return;
    inputContext_ = XCreateIC(inputMethod_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                              XNClientWindow, window_, XNFocusWindow, window_, nullptr);
    if (inputContext_ != nullptr) {
      long wanted = 0;
      XGetICValues(inputContext_, XNFilterEvents, &wanted, nullptr);
      XWindowAttributes attributes{};
      XGetWindowAttributes(display_, window_, &attributes);
      XSelectInput(display_, window_, attributes.your_event_mask | wanted);
    }
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
  std::vector<std::string> wrapped(const std::string& text) {
    const int width = kDialogWidth - 2 * kProblemMargin;
    std::vector<std::string> lines;
    std::string line;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find(' ', start);
      if (end == std::string::npos) end = text.size();
      const std::string word = text.substr(start, end - start);
      const std::string longer = line.empty() ? word : line + " " + word;
      if (!line.empty() && textWidth(longer) > width) {
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
      case FocusIn:
        if (inputContext_ != nullptr) XSetICFocus(inputContext_);
        break;
      case FocusOut:
        if (inputContext_ != nullptr) XUnsetICFocus(inputContext_);
        break;
      case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) command(kDialogCancel);
        break;
      case SelectionNotify:
        pasteArrived(event.xselection);
        break;
      case KeyPress:
        keyPressed(event.xkey);
        break;
      case ButtonPress:
        if (event.xbutton.button == Button1) {
          pressed_ = controlAt(event.xbutton.x, event.xbutton.y);
          if (pressed_ >= 0) moveFocus(pressed_);
          draw();
        } else if (event.xbutton.button == Button2) {
          const int control = controlAt(event.xbutton.x, event.xbutton.y);
          if (control >= 0 && controls_[control].kind == Kind::Field) {
            moveFocus(control);
            requestPaste(XA_PRIMARY, utf8String_);
            draw();
          }
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

  bool editing() const { return controls_[focus_].kind == Kind::Field; }

  void keyPressed(XKeyEvent& key) {
    const KeySym keysym = XLookupKeysym(&key, 0);
    if (keysym == XK_Escape) {
      command(kDialogCancel);
    } else if (keysym == XK_Tab || keysym == XK_ISO_Left_Tab) {
      const int step = (key.state & ShiftMask) != 0 || keysym == XK_ISO_Left_Tab ? -1 : 1;
      int next = focus_;
      do {
        next = (next + step + controlCount_) % controlCount_;
      } while (!takesFocus(controls_[next].kind));
      moveFocus(next);
      draw();
    } else if (keysym == XK_Return || keysym == XK_KP_Enter) {
      // The focused push button, else the default one (OK).
      activate(controls_[focus_].kind == Kind::Button ? focus_ : 0);
    } else if ((keysym == XK_Up || keysym == XK_Down) && controls_[focus_].kind == Kind::DropDown) {
      step(controls_[focus_], keysym == XK_Down ? 1 : -1, false);
      draw();
    } else if (editing()) {
      editKey(key);
      draw();
    } else if (keysym == XK_space) {
      activate(focus_);
      if (!done_) draw();
    }
  }

  // A key in the focused field: the caret keys, deletion, Ctrl+V, or the characters typed.
  void editKey(XKeyEvent& key) {
    std::string& text = values_.texts[controls_[focus_].id];
    const KeySym plain = XLookupKeysym(&key, 0);
    if (plain == XK_BackSpace) {
      const size_t from = previousBoundary(text, caret_);
      text.erase(from, caret_ - from);
      caret_ = from;
    } else if (plain == XK_Delete || plain == XK_KP_Delete) {
      size_t to = caret_;
      if (to < text.size()) nextCodePoint(text, &to);
      text.erase(caret_, to - caret_);
    } else if (plain == XK_Left || plain == XK_KP_Left) {
      caret_ = previousBoundary(text, caret_);
    } else if (plain == XK_Right || plain == XK_KP_Right) {
      if (caret_ < text.size()) nextCodePoint(text, &caret_);
    } else if (plain == XK_Home || plain == XK_KP_Home) {
      caret_ = 0;
    } else if (plain == XK_End || plain == XK_KP_End) {
      caret_ = text.size();
    } else if ((key.state & ControlMask) != 0) {
      if (plain == XK_v) requestPaste(clipboard_, utf8String_);
    } else {
      insert(typed(key), focus_);
    }
  }

  std::string typed(XKeyEvent& key) {
    char buffer[64];
    KeySym keysym = NoSymbol;
    if (inputContext_ != nullptr) {
      Status status = 0;
      const int length =
          Xutf8LookupString(inputContext_, &key, buffer, sizeof buffer, &keysym, &status);
      if (status == XLookupChars || status == XLookupBoth) {
        return std::string(buffer, static_cast<size_t>(std::max(length, 0)));
      }
      return std::string();
    }
    XLookupString(&key, buffer, sizeof buffer, &keysym, nullptr);
    // Latin-1 keysyms are their code points; Unicode keysyms carry theirs under 0x01000000.
    uint32_t point = 0;
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) {
      point = static_cast<uint32_t>(keysym);
    } else if ((keysym & 0xFF000000) == 0x01000000) {
      point = static_cast<uint32_t>(keysym & 0x00FFFFFF);
    }
    std::string text;
    if (point != 0) appendUtf8(&text, point);
    return text;
  }

  // Puts `words` into the field at `index`, at its caret when it has the focus and at its end
  // otherwise, as far as the field's row takes them: a title up to its characters, a path up
  // to its bytes; what does not fit is left out whole, never half a character.
  void insert(const std::string& words, int index) {
    const std::string line = oneLine(words);
    if (line.empty()) return;
    const int32_t id = controls_[index].id;
    const OptionRow* row = nullptr;
    for (const OptionRow& r : saverOptionTable()) {
      if (r.controlId == id) row = &r;
    }
    std::string& text = values_.texts[id];
    size_t characters = codePoints(text);
    size_t taken = 0;
    for (size_t next = 0; next < line.size();) {
      nextCodePoint(line, &next);
      const bool title = row->kind == OptionKind::Text;
      if (title ? characters + 1 > MaxTitleCharacters : text.size() + next > row->maxBytes) break;
      ++characters;
      taken = next;
    }
    size_t& at = index == focus_ ? caret_ : unfocusedEnd_;
    if (index != focus_) at = text.size();
    text.insert(at, line, 0, taken);
    at += taken;
  }

  // The text arrives later, in a SelectionNotify, for the field focused now.
  void requestPaste(Atom selection, Atom target) {
    pasteField_ = focus_;
    XConvertSelection(display_, selection, target, pasted_, window_, CurrentTime);
  }

  void pasteArrived(const XSelectionEvent& event) {
    if (event.property == None) {
      // No UTF-8 offered: plain text, in Latin-1 as the protocol has it.
      if (event.target == utf8String_) requestPaste(event.selection, XA_STRING);
      return;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window_, pasted_, 0, kLongestPaste / 4, True, AnyPropertyType,
                           &type, &format, &count, &left, &data) != Success) {
      return;
    }
    std::string words;
    if (data != nullptr && format == 8) {
      if (type == XA_STRING) {
        for (unsigned long i = 0; i < count; ++i) appendUtf8(&words, data[i]);
      } else {
        words.assign(reinterpret_cast<const char*>(data), count);
      }
    }
    if (data != nullptr) XFree(data);
    // A copied line often brings its line break along; inside, breaks become spaces.
    const size_t first = words.find_first_not_of("\r\n");
    words = first == std::string::npos
                ? std::string()
                : words.substr(first, words.find_last_not_of("\r\n") + 1 - first);
    if (pasteField_ >= 0) {
      insert(words, pasteField_);
      pasteField_ = -1;
      draw();
    }
  }

  // Focus to control `index`; a file's line follows its field when the field is left.
  void moveFocus(int index) {
    if (index == focus_) return;
    if (editing()) {
      if (const FileRowControls* file = fileRowOfField(controls_[focus_].id)) {
        refreshGlimpse(*file);
      }
    }
    focus_ = index;
    if (editing()) caret_ = values_.texts[controls_[focus_].id].size();
  }

  void refreshGlimpse(const FileRowControls& file) {
    const OptionTable& table = saverOptionTable();
    const std::string& path = values_.texts[table.rows[table.find(file.storedName)].controlId];
    lines_[file.glimpseId] = fileGlimpse(file.item, path);
  }

  void activate(int index) {
    const Control& control = controls_[index];
    if (control.kind == Kind::CheckBox) {
      uint32_t& state = values_.states[control.id];
      state = state == 1 ? 0 : 1;
      return;
    }
    if (control.kind == Kind::DropDown) {
      step(control, 1, true);
      return;
    }
    if (control.kind != Kind::Button) return;
    for (const FileRowControls& file : kFileRowControls) {
      if (control.id == file.builtInId) {
        const OptionTable& table = saverOptionTable();
        values_.texts[table.rows[table.find(file.storedName)].controlId].clear();
        refreshGlimpse(file);
        return;
      }
    }
    command(static_cast<uint32_t>(control.id));
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
      if (takesFocus(c.kind) && x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height) {
        return i;
      }
    }
    return -1;
  }

  int textWidth(const std::string& text) {
    return fonts_.usable() ? fonts_.width(text) : static_cast<int>(text.size()) * 6;
  }

  void text(int x, int baselineCentre, const std::string& value) {
    if (!fonts_.usable() || value.empty()) return;
    const int baseline = baselineCentre + (fonts_.ascent() - fonts_.descent()) / 2;
    fonts_.draw(draw_, ink_, x, baseline, value);
  }

  void clipTo(int x, int y, int width, int height) {
    XRectangle area{static_cast<short>(x), static_cast<short>(y),
                    static_cast<unsigned short>(std::max(width, 0)),
                    static_cast<unsigned short>(std::max(height, 0))};
    XftDrawSetClipRectangles(draw_, 0, 0, &area, 1);
  }

  void unclip() { XftDrawSetClip(draw_, nullptr); }

  // `value` cut at the end, with an ellipsis, to `width` pixels.
  std::string fitted(const std::string& value, int width) {
    if (textWidth(value) <= width) return value;
    std::string cut = value;
    const std::string ellipsis = "\xE2\x80\xA6";
    while (!cut.empty() && textWidth(cut + ellipsis) > width) {
      cut.erase(previousBoundary(cut, cut.size()));
    }
    return cut + ellipsis;
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

  // A one-line field: its text scrolled so that the caret shows when it has the focus.
  void drawField(const Control& c, bool focused) {
    XSetForeground(display_, gc_, light_);
    XFillRectangle(display_, window_, gc_, c.x, c.y, static_cast<unsigned>(c.width),
                   static_cast<unsigned>(c.height));
    bevel(c.x, c.y, c.width, c.height, true);
    const std::string& value = values_.texts[c.id];
    const int left = c.x + 3;
    const int room = c.width - 6;
    const int caretX = focused ? textWidth(value.substr(0, caret_)) : 0;
    const int shift = std::max(0, caretX - room + 1);
    clipTo(left, c.y + 1, room, c.height - 2);
    text(left - shift, c.y + c.height / 2, value);
    unclip();
    if (focused) {
      XSetForeground(display_, gc_, dark_);
      const int x = left - shift + caretX;
      XDrawLine(display_, window_, gc_, x, c.y + 3, x, c.y + c.height - 4);
    }
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
    if (selected < itemCount(c)) text(c.x + 4, middle, choiceLabel(*c.row, selected));
    if (focused) focusFrame(c.x + 2, c.y + 2, buttonX - c.x - 5, c.height - 5);
  }

  void draw() {
    XSetForeground(display_, gc_, face_);
    XFillRectangle(display_, window_, gc_, 0, 0, kDialogWidth, static_cast<unsigned>(height_));
    for (int i = 0; i < controlCount_; ++i) {
      const Control& c = controls_[i];
      const int middle = c.y + c.height / 2;
      switch (c.kind) {
        case Kind::Label:
          text(c.x, middle, c.text);
          break;
        case Kind::Line:
          text(c.x, middle, fitted(lines_[c.id], c.width));
          break;
        case Kind::Field:
          drawField(c, focus_ == i);
          break;
        case Kind::DropDown:
          drawDropDown(c, focus_ == i);
          break;
        case Kind::Button: {
          bevel(c.x, c.y, c.width, c.height, pressed_ == i);
          if (c.id == static_cast<int32_t>(kDialogOk)) {  // the default button's heavier frame
            XSetForeground(display_, gc_, dark_);
            XDrawRectangle(display_, window_, gc_, c.x - 1, c.y - 1,
                           static_cast<unsigned>(c.width + 1), static_cast<unsigned>(c.height + 1));
          }
          text(c.x + (c.width - textWidth(c.text)) / 2, middle, c.text);
          if (focus_ == i) focusFrame(c.x + 3, c.y + 3, c.width - 7, c.height - 7);
          break;
        }
        case Kind::CheckBox: {
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
          if (focus_ == i) focusFrame(labelX - 2, middle - 8, textWidth(c.text) + 3, 16);
          break;
        }
      }
    }
    for (size_t i = 0; i < problemLines_.size(); ++i) {
      const int middle =
          kProblemTop + static_cast<int>(i) * kProblemLineHeight + kProblemLineHeight / 2;
      text(kProblemMargin, middle, problemLines_[i]);
    }
    XFlush(display_);
  }

  Display* display_;
  SaverSettings& settings_;
  SettingsStore& store_;
  Window window_ = None;
  GC gc_ = nullptr;
  XftDraw* draw_ = nullptr;
  XftColor ink_{};
  XIM inputMethod_ = nullptr;
  XIC inputContext_ = nullptr;
  Atom deleteWindow_ = None, utf8String_ = None, clipboard_ = None, pasted_ = None;
  unsigned long face_ = 0, light_ = 0, shadow_ = 0, dark_ = 0;
  const std::vector<Control> controls_;
  const int controlCount_;
  DialogFonts fonts_;
  Values values_;
  std::map<int32_t, std::string> lines_;   // each file's line, by its id
  std::vector<std::string> problemLines_;  // why the last OK could not save
  int height_ = kDialogHeight;             // pixels; grows to show problemLines_
  int focus_ = 0;            // index into controls_; OK first, as the platform's default focus
  size_t caret_ = 0;         // byte in the focused field's text, at a character's start
  size_t unfocusedEnd_ = 0;  // where a paste into a field left meanwhile goes: its end
  int pasteField_ = -1;      // the field a requested paste is for, or -1
  int pressed_ = -1;         // control under a held mouse button
  bool done_ = false;
};

}  // namespace

void runX11ConfigDialog(Display* display, SaverSettings& settings, SettingsStore& store) {
  ConfigDialog dialog(display, settings, store);
  dialog.run();
}

}  // namespace marvolet
