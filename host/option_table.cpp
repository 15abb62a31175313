// The saver's table of settings and what every row-driven reader and writer does with a row.
#include "host/option_table.h"

#include <cstdlib>
#include <cstring>

#include "host/saver_settings.h"

namespace marvolet {
namespace {

constexpr OptionRow switchRow(const char* storedName, int32_t defaultOn, const char* flag,
                              const char* label, const char* help, int32_t controlId,
                              DialogPlace place, RenderFlags renderFlag, bool fillingScreenOnly,
                              int32_t SaverSettings::*hostField) {
  return OptionRow{storedName, OptionKind::Switch,
                   defaultOn,  nullptr,
                   0,          1,
                   0,          nullptr,
                   nullptr,    flag,
                   label,      help,
                   controlId,  place,
                   renderFlag, fillingScreenOnly,
                   hostField};
}

constexpr OptionRow textRow(OptionKind kind, const char* storedName, uint32_t maxBytes,
                            const char* flag, const char* label, const char* help,
                            int32_t controlId, DialogPlace place) {
  return OptionRow{storedName, kind,  0,    "",        0,     0, maxBytes, nullptr, nullptr,
                   flag,       label, help, controlId, place, 0, false,    nullptr};
}

// Longest path a row keeps: more than any file system's, short enough to bound a line.
constexpr uint32_t kLongestPath = 4096;
// The title's 200 characters, each at most four bytes of UTF-8.
constexpr uint32_t kLongestTitle = 800;

// The frame rate's names, as stored and typed, and as the dialogs show them. Its index is
// SaverSettings::frameRate, which frameRateChoiceOf reads in this order.
const char* const kFrameRates[] = {"30", "60", "refresh", nullptr};
const char* const kFrameRateLabels[] = {"30 a second", "60 a second", "the display's refresh",
                                        nullptr};

// "UseBlur" is the light effects' name since the first release; users have it stored.
const OptionRow kSaverRows[] = {
    switchRow("UseStars", 1, "-stars", "Stars", "the star field", 1001, {9, 14, 37, 10}, Stars,
              false, nullptr),
    switchRow("UseBlur", 1, "-light-effects", "Light Effects",
              "light streaking outwards from the centre", 1002, {7, 32, 52, 10}, LightEffects,
              false, nullptr),
    switchRow("UseTrails", 0, "-trails", "Trails", "frames drawn over the previous ones", 1003,
              {88, 14, 52, 10}, Trails, false, nullptr),
    switchRow("BurnInGuard", 1, "-burn-in-guard", "Burn-in guard",
              "the picture drifts a few pixels (full screen)", 1004, {88, 32, 78, 10}, BurnInGuard,
              true, nullptr),
    switchRow("MainMonitorOnly", 0, "-main-monitor-only", "Main monitor only",
              "the other monitors black, or showing copies", 1005, {7, 48, 78, 10}, 0, false,
              &SaverSettings::mainMonitorOnly),
    switchRow("BatteryPace", 1, "-battery-pace", "Slower on battery",
              "half the frame rate on battery", 1006, {88, 48, 78, 10}, 0, false,
              &SaverSettings::batteryPace),
    OptionRow{"FrameRate",
              OptionKind::Choice,
              0,
              nullptr,
              0,
              0,
              0,
              kFrameRates,
              kFrameRateLabels,
              "-frame-rate",
              "Frame rate",
              "30 or 60 frames a second, or one each refresh of the display",
              1007,
              {127, 64, 95, 60},
              0,
              false,
              &SaverSettings::frameRate},
    // The user's own words and pictures: an edit box each, the files' read-only with their
    // Browse and Built-in buttons and the line under them beside it (host/config_dialog.h).
    textRow(OptionKind::Path, "Passage", kLongestPath, "-passage", "Passage",
            "a text file drawn on the rings instead of the built-in verse", 1011, {52, 98, 96, 12}),
    textRow(OptionKind::Text, "Title", kLongestTitle, "-title", "Title",
            "one line drawn as the title instead of the built-in one", 1010, {52, 80, 170, 12}),
    textRow(OptionKind::Path, "FirstLogo", kLongestPath, "-first-logo", "First logo",
            "a JPEG or PNG picture instead of the first built-in logo", 1012, {52, 124, 96, 12}),
    textRow(OptionKind::Path, "SecondLogo", kLongestPath, "-second-logo", "Second logo",
            "a JPEG or PNG picture instead of the second built-in logo", 1013, {52, 150, 96, 12}),
};

const OptionTable kSaverTable{kSaverRows, sizeof kSaverRows / sizeof kSaverRows[0]};

char lowered(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameWords(const char* a, const std::string& b) {
  if (std::strlen(a) != b.size()) return false;
  for (size_t i = 0; i < b.size(); ++i) {
    if (lowered(a[i]) != lowered(b[i])) return false;
  }
  return true;
}

// A whole decimal 32-bit number, nothing around it.
bool parseDecimal(const std::string& text, int32_t* value) {
  size_t i = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size() || text.size() > 12) return false;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
  }
  const int64_t signedValue = text[0] == '-' ? -magnitude : magnitude;
  if (signedValue < INT32_MIN || signedValue > INT32_MAX) return false;
  *value = static_cast<int32_t>(signedValue);
  return true;
}

// Well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF), no control
// characters: what one line of a settings file or a dialog's edit box can hold.
bool validLine(const std::string& text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = s[i];
    if (c < 0x20 || c == 0x7F) return false;
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t length = 0;
    uint32_t point = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      point = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      point = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      point = c & 0x07;
    } else {
      return false;
    }
    if (i + length > n) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      point = point << 6 | (s[i + k] & 0x3F);
    }
    if ((length == 3 && point < 0x800) || (length == 4 && point < 0x10000) ||
        (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) {
      return false;
    }
    i += length;
  }
  return true;
}

size_t choiceCount(const OptionRow& row) {
  size_t count = 0;
  while (row.choices != nullptr && row.choices[count] != nullptr) ++count;
  return count;
}

bool holdsText(const OptionRow& row) {
  return row.kind == OptionKind::Text || row.kind == OptionKind::Path;
}

// The placeholder -help shows after a flag that takes a value.
std::string valueWords(const OptionRow& row) {
  switch (row.kind) {
    case OptionKind::Number:
      return "N";
    case OptionKind::Text:
      return "TEXT";
    case OptionKind::Path:
      return "FILE";
    case OptionKind::Choice: {
      std::string names;
      for (size_t i = 0; i < choiceCount(row); ++i) {
        names += (i == 0 ? "" : "|") + std::string(row.choices[i]);
      }
      return names;
    }
    case OptionKind::Switch:
      break;
  }
  return std::string();
}

}  // namespace

const OptionTable& saverOptionTable() {
  return kSaverTable;
}

const char* choiceLabel(const OptionRow& row, size_t index) {
  return row.choiceLabels != nullptr ? row.choiceLabels[index] : row.choices[index];
}

size_t OptionTable::find(const char* storedName) const {
  for (size_t i = 0; i < count; ++i) {
    if (std::strcmp(rows[i].storedName, storedName) == 0) return i;
  }
  return count;
}

bool acceptsText(const OptionRow& row, const std::string& value) {
  return holdsText(row) && value.size() <= row.maxBytes && validLine(value);
}

OptionValues::OptionValues(const OptionTable& table)
    : table_(&table), numbers_(table.count, 0), texts_(table.count) {
  for (size_t i = 0; i < table.count; ++i) reset(i);
}

void OptionValues::reset(size_t row) {
  const OptionRow& r = table_->rows[row];
  numbers_[row] = holdsText(r) ? 0 : r.defaultNumber;
  texts_[row] = holdsText(r) && r.defaultText != nullptr ? r.defaultText : "";
}

void OptionValues::setNumber(size_t row, int32_t value) {
  const OptionRow& r = table_->rows[row];
  if (holdsText(r)) return;
  const bool known =
      r.kind != OptionKind::Choice || (value >= 0 && static_cast<size_t>(value) < choiceCount(r));
  numbers_[row] = known ? value : r.defaultNumber;
}

void OptionValues::setText(size_t row, const std::string& value) {
  const OptionRow& r = table_->rows[row];
  if (!holdsText(r)) return;
  if (acceptsText(r, value)) {
    texts_[row] = value;
  } else {
    reset(row);
  }
}

bool OptionValues::setFromWords(size_t row, const std::string& words) {
  const OptionRow& r = table_->rows[row];
  int32_t number = 0;
  switch (r.kind) {
    case OptionKind::Switch:
      if (!parseDecimal(words, &number)) break;
      numbers_[row] = number;
      return true;
    case OptionKind::Number:
      if (!parseDecimal(words, &number) || number < r.minimum || number > r.maximum) break;
      numbers_[row] = number;
      return true;
    case OptionKind::Text:
    case OptionKind::Path:
      if (!acceptsText(r, words)) break;
      texts_[row] = words;
      return true;
    case OptionKind::Choice:
      for (size_t i = 0; i < choiceCount(r); ++i) {
        if (sameWords(r.choices[i], words)) {
          numbers_[row] = static_cast<int32_t>(i);
          return true;
        }
      }
      break;
  }
  reset(row);
  return false;
}

std::string OptionValues::words(size_t row) const {
  const OptionRow& r = table_->rows[row];
  if (holdsText(r)) return texts_[row];
  if (r.kind == OptionKind::Choice) return r.choices[numbers_[row]];
  return std::to_string(numbers_[row]);
}

int32_t& OptionValues::numberOf(const char* storedName) {
  const size_t row = table_->find(storedName);
  if (row == table_->count) std::abort();  // a caller's typo, not a user's input
  return numbers_[row];
}

int32_t OptionValues::numberOf(const char* storedName) const {
  const size_t row = table_->find(storedName);
  if (row == table_->count) std::abort();
  return numbers_[row];
}

std::string& OptionValues::textOf(const char* storedName) {
  const size_t row = table_->find(storedName);
  if (row == table_->count) std::abort();
  return texts_[row];
}

void loadOptionValues(OptionValues& values, SettingsKey* key) {
  const OptionTable& table = values.table();
  for (size_t i = 0; i < table.count; ++i) {
    const OptionRow& row = table.rows[i];
    values.reset(i);
    if (key == nullptr) continue;
    int32_t number = 0;
    std::string text;
    switch (row.kind) {
      case OptionKind::Switch:
        if (key->readInteger(row.storedName, &number)) values.setNumber(i, number);
        break;
      case OptionKind::Number:
        if (key->readInteger(row.storedName, &number) && number >= row.minimum &&
            number <= row.maximum) {
          values.setNumber(i, number);
        }
        break;
      case OptionKind::Text:
      case OptionKind::Path:
        if (key->readText(row.storedName, &text, row.maxBytes)) values.setText(i, text);
        break;
      case OptionKind::Choice: {
        // No choice name is longer than this; a longer value is no name.
        constexpr size_t kLongestName = 64;
        if (key->readText(row.storedName, &text, kLongestName)) values.setFromWords(i, text);
        break;
      }
    }
  }
}

bool saveOptionValues(const OptionValues& values, SettingsKey& key) {
  const OptionTable& table = values.table();
  bool ok = true;
  for (size_t i = 0; i < table.count; ++i) {
    const OptionRow& row = table.rows[i];
    const bool written = row.kind == OptionKind::Switch || row.kind == OptionKind::Number
                             ? key.writeInteger(row.storedName, values.number(i))
                             : key.writeText(row.storedName, values.words(i));
    ok = ok && written;
  }
  return ok;
}

RenderFlags renderFlagsOf(const OptionValues& values, bool fillsScreen) {
  RenderFlags flags = 0;
  const OptionTable& table = values.table();
  for (size_t i = 0; i < table.count; ++i) {
    const OptionRow& row = table.rows[i];
    if (row.kind != OptionKind::Switch || row.renderFlag == 0 || values.number(i) == 0) continue;
    if (row.flagFillingScreenOnly && !fillsScreen) continue;
    flags |= row.renderFlag;
  }
  return flags;
}

int matchOptionFlag(const OptionTable& table, const char* name, int i, int argc,
                    const char* const argv[], std::vector<OptionOverride>* overrides,
                    std::string* error) {
  for (size_t r = 0; r < table.count; ++r) {
    const OptionRow& row = table.rows[r];
    const size_t flagLength = std::strlen(row.flag);
    if (row.kind == OptionKind::Switch) {
      if (std::strcmp(name, row.flag) == 0) {
        overrides->push_back({r, "1"});
        return 1;
      }
      // "-no-stars" for "-stars".
      if (std::strncmp(name, "-no", 3) == 0 && std::strcmp(name + 3, row.flag) == 0) {
        overrides->push_back({r, "0"});
        return 1;
      }
      continue;
    }
    if (std::strncmp(name, row.flag, flagLength) != 0) continue;
    if (name[flagLength] == '=') {
      overrides->push_back({r, name + flagLength + 1});
      return 1;
    }
    if (name[flagLength] != '\0') continue;
    if (i + 1 >= argc) {
      *error = std::string(row.flag) + " needs a value (" + valueWords(row) + ")";
      return 1;
    }
    overrides->push_back({r, argv[i + 1]});
    return 2;
  }
  return 0;
}

std::vector<std::string> applyOptionOverrides(const std::vector<OptionOverride>& overrides,
                                              OptionValues& values) {
  std::vector<std::string> notes;
  for (const OptionOverride& given : overrides) {
    if (values.setFromWords(given.row, given.words)) continue;
    const OptionRow& row = values.table().rows[given.row];
    std::string wanted;
    switch (row.kind) {
      case OptionKind::Number:
        wanted = "a whole number from " + std::to_string(row.minimum) + " to " +
                 std::to_string(row.maximum);
        break;
      case OptionKind::Text:
      case OptionKind::Path:
        wanted = "one line of at most " + std::to_string(row.maxBytes) + " bytes";
        break;
      case OptionKind::Choice:
        wanted = "one of " + valueWords(row);
        break;
      case OptionKind::Switch:
        wanted = "a number";
        break;
    }
    notes.push_back(std::string(row.flag) + " takes " + wanted + ", not \"" + given.words +
                    "\"; the default " + values.words(given.row) + " is used");
  }
  return notes;
}

std::string optionUsage(const OptionTable& table) {
  constexpr size_t kHelpColumn = 37;
  std::string usage;
  for (const OptionRow& row : table) {
    std::string flags = "  " + std::string(row.flag);
    if (row.kind == OptionKind::Switch) {
      flags += ", -no" + std::string(row.flag);
    } else {
      flags += " " + valueWords(row);
    }
    if (flags.size() + 2 > kHelpColumn) {
      usage += flags + "\n" + std::string(kHelpColumn, ' ');
    } else {
      usage += flags + std::string(kHelpColumn - flags.size(), ' ');
    }
    usage += std::string(row.help) + "\n";
  }
  return usage;
}

}  // namespace marvolet
