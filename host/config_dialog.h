// The configuration dialog's decisions, apart from the window system that shows it.
#pragma once

#include <cstdint>
#include <string>

#include "assets/user_content.h"
#include "host/option_table.h"
#include "host/saver_settings.h"
#include "host/settings_store.h"

namespace marvolet {

constexpr int32_t kConfigDialogId = 104;
constexpr uint32_t kDialogOk = 1;      // IDOK, and the dialog's result after it
constexpr uint32_t kDialogCancel = 2;  // IDCANCEL (also Escape and the close box)

// The companions of a file row's edit box in both dialogs, by control id: a button that picks a
// file, one that empties the box (the built-in item again), and the line under the box that
// tells what the file gives (fileGlimpse of `item`). Their places follow the edit box's:
// the two buttons right of it on its line, the line under it as wide as the box and buttons.
struct FileRowControls {
  const char* storedName;
  FileItem item;
  int32_t browseId;
  int32_t builtInId;
  int32_t glimpseId;
};
constexpr FileRowControls kFileRowControls[] = {
    {"Passage", FileItem::Passage, 911, 921, 931},
    {"FirstLogo", FileItem::FirstLogo, 912, 922, 932},
    {"SecondLogo", FileItem::SecondLogo, 913, 923, 933},
};
// Where the companions sit, in dialog units from the edit box's place.
constexpr int16_t kBrowseGap = 2;  // between the box and Browse
constexpr int16_t kBrowseWidth = 36;
constexpr int16_t kBuiltInGap = 2;  // between Browse and Built-in
constexpr int16_t kBuiltInWidth = 34;
constexpr int16_t kGlimpseBelow = 2;  // under the box
constexpr int16_t kGlimpseHeight = 8;
// The label left of every edit box: x, and its width up to the box.
constexpr int16_t kEditLabelX = 7;

// The controls of a shown dialog, by control id, as the window system keeps them.
class DialogControls {
 public:
  virtual ~DialogControls() = default;
  // A check box's state (the platform's: 0 unchecked, 1 checked, 2 indeterminate, or whatever
  // was set) or a drop-down list's selected index.
  virtual void setState(int32_t controlId, uint32_t state) = 0;
  virtual uint32_t state(int32_t controlId) = 0;
  // An edit box's text, UTF-8.
  virtual void setText(int32_t controlId, const std::string& text) = 0;
  virtual std::string text(int32_t controlId) = 0;
};

// Sets each row's control from `values`: a switch's stored number handed over unchanged, a
// number or text as text, a choice's index as the selection. A row without a control
// (controlId 0) is set elsewhere (settings file, command line) and left out.
void showOptions(const OptionValues& values, DialogControls& controls);
// `shown` with what the controls now hold: a switch is 1 when its box is exactly checked and 0
// otherwise; a number outside its range, text the row cannot hold or a selection past the
// names gives the row's default. A row without a control keeps its value from `shown`.
OptionValues readOptions(const OptionValues& shown, DialogControls& controls);
// The same over every row at its default.
OptionValues readOptions(const OptionTable& table, DialogControls& controls);

// What a command does to the dialog.
struct DialogOutcome {
  uint32_t endWith = 0;  // the result to end the dialog with (1 or 2), or 0 to keep it open
  std::string problem;   // after an OK that could not save: why, for the user; else empty
};

// Handles a command whose control id is `commandId`. OK reads the controls in table order and
// saves every option; when the save fails the dialog stays open with the reason, and neither
// `settings` nor the store (as far as it can take a save back) changes. Cancel touches nothing.
DialogOutcome configDialogCommand(SaverSettings& settings, SettingsStore& store, uint32_t commandId,
                                  DialogControls& controls);

}  // namespace marvolet
