// The hand-written resource files agree with the option table: each row's control in the
// Windows dialog template, its entry on the xscreensaver settings page, and its flags and stored
// line in the manual page; and no control or entry is left over from a row that is gone.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "host/option_table.h"

namespace marvolet {
namespace {

std::string resource(const char* name) {
  std::ifstream file(std::string(MARVOLET_RESOURCES) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// As groff wants a flag written: each '-' as "\-".
std::string manFlag(const std::string& flag) {
  std::string result;
  for (char c : flag) result += c == '-' ? std::string("\\-") : std::string(1, c);
  return result;
}

std::string offFlag(const OptionRow& row) {
  return "-no" + std::string(row.flag);
}

bool holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(OptionResources, TheDialogTemplateHasEachRowsControlAndNoOther) {
  const std::string rc = resource("marvolet.rc");
  ASSERT_FALSE(rc.empty());
  const std::regex control(
      R"re(CONTROL\s+"([^"]*)",\s*(\d+),\s*"(\w+)",\s*([^,]*),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+))re");
  std::set<int32_t> templateIds;
  for (auto it = std::sregex_iterator(rc.begin(), rc.end(), control); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    const int32_t id = std::stoi(m[2]);
    if (id < 1000) continue;  // OK, Cancel, labels
    templateIds.insert(id);
    const OptionTable& table = saverOptionTable();
    const OptionRow* row = nullptr;
    for (const OptionRow& r : table) {
      if (r.controlId == id) row = &r;
    }
    ASSERT_NE(row, nullptr) << "control " << id << " \"" << m[1] << "\" has no row";
    EXPECT_EQ(m[1], row->label) << id;
    const char* controlClass = row->kind == OptionKind::Switch   ? "Button"
                               : row->kind == OptionKind::Choice ? "ComboBox"
                                                                 : "Edit";
    EXPECT_EQ(m[3], controlClass) << row->storedName;
    if (row->kind == OptionKind::Switch) {
      EXPECT_TRUE(holds(m[4], "BS_AUTOCHECKBOX")) << id;
    }
    if (row->kind == OptionKind::Choice) {
      // A list the user picks from, not an edit box that takes any words.
      EXPECT_TRUE(holds(m[4], "CBS_DROPDOWNLIST")) << id;
    }
    EXPECT_EQ(std::stoi(m[5]), row->place.x) << row->storedName;
    EXPECT_EQ(std::stoi(m[6]), row->place.y) << row->storedName;
    EXPECT_EQ(std::stoi(m[7]), row->place.width) << row->storedName;
    EXPECT_EQ(std::stoi(m[8]), row->place.height) << row->storedName;
  }
  for (const OptionRow& row : saverOptionTable()) {
    if (row.controlId == 0) continue;  // set outside the dialog
    EXPECT_EQ(templateIds.count(row.controlId), 1u) << row.storedName << " has no control";
  }
}

TEST(OptionResources, TheSettingsPageHasEachRowWithItsFlagAndNoOther) {
  const std::string xml = resource("marvolet.xml");
  ASSERT_FALSE(xml.empty());
  std::set<std::string> rowFlags = {"-fps"};  // the frame-rate text is no setting
  for (const OptionRow& row : saverOptionTable()) {
    std::string element;
    switch (row.kind) {
      case OptionKind::Switch:
        element = "<boolean [^>]*_label=\"" + std::string(row.label) + "\" " +
                  (row.defaultNumber != 0 ? "arg-unset=\"" + offFlag(row)
                                          : "arg-set=\"" + std::string(row.flag)) +
                  "\"";
        break;
      case OptionKind::Number:
        element =
            "<number [^>]*_label=\"" + std::string(row.label) + "\"[^>]*arg=\"" + row.flag + " %\"";
        break;
      case OptionKind::Text:
        element =
            "<string [^>]*_label=\"" + std::string(row.label) + "\"[^>]*arg=\"" + row.flag + " %\"";
        break;
      case OptionKind::Path:
        element =
            "<file [^>]*_label=\"" + std::string(row.label) + "\"[^>]*arg=\"" + row.flag + " %\"";
        break;
      case OptionKind::Choice:
        element = "<select [^>]*id=\"[a-z]*\"[^>]*>[^<]*<option [^>]*_label=";
        // Each name as the dialogs show it, passing that name to the flag.
        for (size_t i = 0; row.choices[i] != nullptr; ++i) {
          const std::string option = "<option [^>]*_label=\"" + std::string(choiceLabel(row, i)) +
                                     "\" arg-set=\"" + row.flag + " " + row.choices[i] + "\"";
          EXPECT_TRUE(std::regex_search(xml, std::regex(option)))
              << row.storedName << ": " << option;
        }
        break;
    }
    EXPECT_TRUE(std::regex_search(xml, std::regex(element))) << row.storedName << ": " << element;
    rowFlags.insert(row.flag);
    rowFlags.insert(offFlag(row));
  }
  const std::regex arg(R"re(arg(?:-set|-unset)?="(-[a-z-]+))re");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), arg); it != std::sregex_iterator();
       ++it) {
    const std::string flag = (*it)[1];
    if (flag == "-root") continue;  // the command xscreensaver runs
    EXPECT_EQ(rowFlags.count(flag), 1u) << flag << " on the settings page belongs to no row";
  }
}

TEST(OptionResources, TheManualPageListsEachRowsFlagsAndStoredLine) {
  const std::string page = resource("marvolet.6");
  ASSERT_FALSE(page.empty());
  for (const OptionRow& row : saverOptionTable()) {
    const std::string on = manFlag(row.flag);
    if (row.kind == OptionKind::Switch) {
      const std::string off = manFlag(offFlag(row));
      const std::string synopsis = ".RB [ " + on + " | " + off + " ]";
      const std::string item = ".BR " + on + " \", \" " + off + "\n";
      EXPECT_TRUE(holds(page, synopsis)) << row.storedName << " lacks " << synopsis;
      EXPECT_TRUE(holds(page, item)) << row.storedName << " lacks " << item;
    } else {
      EXPECT_TRUE(holds(page, ".BI " + on + " \"")) << row.storedName << " lacks .BI " << on;
    }
    const std::string stored = row.kind == OptionKind::Switch || row.kind == OptionKind::Number
                                   ? std::to_string(row.defaultNumber)
                               : row.kind == OptionKind::Choice
                                   ? std::string(row.choices[row.defaultNumber])
                                   : std::string(row.defaultText);
    const std::string line = ".B " + std::string(row.storedName) + "=" + stored + "\n";
    EXPECT_TRUE(holds(page, line)) << row.storedName << " lacks " << line;
  }
}

}  // namespace
}  // namespace marvolet
