// The saver's settings described once, a row each: the store, both dialogs, the command line
// and its usage text all work from the rows, so a new setting is a new row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/settings_store.h"
#include "render/render_types.h"

namespace marvolet {

struct SaverSettings;

enum class OptionKind : uint8_t {
  Switch,  // on or off; stored as a 32-bit number of which any non-zero value means on
  Number,  // a whole number from `minimum` to `maximum`; stored as a 32-bit number
  Text,    // one line of UTF-8, at most `maxBytes` bytes; stored as text
  Path,    // a file's path, at most `maxBytes` bytes; stored as text
  Choice,  // one of the names in `choices`; stored as that name, held as its index
};

// A control's rectangle in the Windows dialog template, in dialog units (the X11 dialog scales
// the same numbers).
struct DialogPlace {
  int16_t x, y, width, height;
};

struct OptionRow {
  const char* storedName;  // registry value and settings-file name
  OptionKind kind;
  int32_t defaultNumber;    // Switch: 0 or 1; Number: the value; Choice: the index in `choices`
  const char* defaultText;  // Text, Path: the value; null elsewhere
  int32_t minimum;          // Number only, inclusive
  int32_t maximum;
  uint32_t maxBytes;           // Text, Path: longest value in UTF-8 bytes
  const char* const* choices;  // Choice: the names, ended by a null; null elsewhere
  // Choice: what the dialogs show for each name, in the same order; null shows the names.
  const char* const* choiceLabels;
  const char* flag;            // "-stars": the on flag (off is "-no-stars"), or "-name VALUE"
  const char* label;           // the dialog control's text and the xscreensaver page's label
  const char* help;            // -help's words after the flags
  int32_t controlId;           // the dialog control: a check box for a switch, an edit box for
                               // numbers and text, a drop-down list for a choice
  DialogPlace place;           // where the dialog template puts that control
  RenderFlags renderFlag;      // what it feeds: a renderer flag, set while the switch is on ...
  bool flagFillingScreenOnly;  // ... and only where the picture fills a screen
  int32_t SaverSettings::*hostField;  // or a host field (null for none), given the number
};

// The rows of one table, in the order they are read, saved, shown and listed.
struct OptionTable {
  const OptionRow* rows;
  size_t count;
  const OptionRow* begin() const { return rows; }
  const OptionRow* end() const { return rows + count; }
  // The index of the row stored under `storedName`, or `count` when there is none.
  size_t find(const char* storedName) const;
};

// The saver's own table: the six switches, under the names users already have, the frame rate,
// and the user's own passage, title and logos.
const OptionTable& saverOptionTable();

// What a choice row's dialog control shows for its `index`th name.
const char* choiceLabel(const OptionRow& row, size_t index);

// One value per row of a table. Switches, numbers and choices hold a number (a choice its
// index); text and paths hold text.
class OptionValues {
 public:
  // Every row at its default.
  explicit OptionValues(const OptionTable& table);

  const OptionTable& table() const { return *table_; }

  int32_t number(size_t row) const { return numbers_[row]; }
  const std::string& text(size_t row) const { return texts_[row]; }
  // Switch and Number: any number is held as given (a stored 5 stays 5; range checks belong
  // to the readers below). Choice: an index outside the names gives the default.
  void setNumber(size_t row, int32_t value);
  // Text and Path: text that the row does not accept gives the default.
  void setText(size_t row, const std::string& value);
  // The row back at its default.
  void reset(size_t row);
  // Sets the row from the words a user typed: "1"/"0" for a switch, a decimal number, the text,
  // a choice's name (case ignored). False, with the row at its default, when they do not fit.
  bool setFromWords(size_t row, const std::string& words);
  // A row's value as such words; the name for a choice.
  std::string words(size_t row) const;

  // By stored name, for tests and callers that name one setting; the name must be a row's.
  int32_t& numberOf(const char* storedName);
  int32_t numberOf(const char* storedName) const;
  std::string& textOf(const char* storedName);

  bool operator==(const OptionValues& other) const {
    return numbers_ == other.numbers_ && texts_ == other.texts_;
  }

 private:
  const OptionTable* table_;
  std::vector<int32_t> numbers_;
  std::vector<std::string> texts_;
};

// Whether `value` is one a Text or Path row may hold: at most maxBytes bytes of valid UTF-8
// without control characters.
bool acceptsText(const OptionRow& row, const std::string& value);

// Each row to its default, then from `key` where it holds a value the row accepts: a number
// outside a Number row's range, text too long or not text, or an unknown choice name leaves the
// default. A null key leaves every default.
void loadOptionValues(OptionValues& values, SettingsKey* key);
// Writes every row to `key` in table order, each tried even after one fails. False when any
// write failed.
bool saveOptionValues(const OptionValues& values, SettingsKey& key);

// The renderer's flags of the switches that are on; the flags of rows marked
// flagFillingScreenOnly only when `fillsScreen`.
RenderFlags renderFlagsOf(const OptionValues& values, bool fillsScreen);

// One command-line value for one run: the row and the words given for it.
struct OptionOverride {
  size_t row;
  std::string words;
};

// Matches argv[i] (with one leading dash already folded, "-stars") against the rows' flags:
// "-flag" and "-no-flag" for a switch; "-flag VALUE" or "-flag=VALUE" otherwise. Returns how
// many arguments it took (0 when argv[i] is none of them) and appends the override; a missing
// VALUE sets *error.
int matchOptionFlag(const OptionTable& table, const char* name, int i, int argc,
                    const char* const argv[], std::vector<OptionOverride>* overrides,
                    std::string* error);
// The overrides written into `values`: words that do not fit give the row its default, and a
// sentence for the user saying so is returned for each.
std::vector<std::string> applyOptionOverrides(const std::vector<OptionOverride>& overrides,
                                              OptionValues& values);
// One line per row, flags then help, aligned as -help prints them.
std::string optionUsage(const OptionTable& table);

}  // namespace marvolet
