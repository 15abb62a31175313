// The hand-written resource files agree with the option table: each row's control in the
// Windows dialog template, its entry on the xscreensaver settings page, and its flags and stored
// line in the manual page; and no control or entry is left over from a row that is gone.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/config_dialog.h"
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

struct TemplateControl {
  std::string text;
  int32_t id;
  std::string controlClass, style;
  int x, y, width, height;
};

std::vector<TemplateControl> templateControls(const std::string& rc) {
  const std::regex control(
      R"re(CONTROL\s+"([^"]*)",\s*(-?\d+),\s*"(\w+)",\s*([^,]*),\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+))re");
  std::vector<TemplateControl> controls;
  for (auto it = std::sregex_iterator(rc.begin(), rc.end(), control); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    controls.push_back({m[1], std::stoi(m[2]), m[3], m[4], std::stoi(m[5]), std::stoi(m[6]),
                        std::stoi(m[7]), std::stoi(m[8])});
  }
  return controls;
}

// Each row's control at the row's place, an edit box with its label just before it; a file
// row's Browse and Built-in buttons and its line where both dialogs put them.
TEST(OptionResources, TheDialogTemplateHasEachRowsControlAndNoOther) {
  const std::string rc = resource("marvolet.rc");
  ASSERT_FALSE(rc.empty());
  const std::vector<TemplateControl> controls = templateControls(rc);
  std::set<int32_t> templateIds;
  for (size_t i = 0; i < controls.size(); ++i) {
    const TemplateControl& c = controls[i];
    if (c.id < 1000) continue;  // OK, Cancel, labels, the file rows' companions
    templateIds.insert(c.id);
    const OptionTable& table = saverOptionTable();
    const OptionRow* row = nullptr;
    for (const OptionRow& r : table) {
      if (r.controlId == c.id) row = &r;
    }
    ASSERT_NE(row, nullptr) << "control " << c.id << " \"" << c.text << "\" has no row";
    const char* controlClass = row->kind == OptionKind::Switch   ? "Button"
                               : row->kind == OptionKind::Choice ? "ComboBox"
                                                                 : "Edit";
    EXPECT_EQ(c.controlClass, controlClass) << row->storedName;
    if (row->kind == OptionKind::Switch) {
      EXPECT_TRUE(holds(c.style, "BS_AUTOCHECKBOX")) << c.id;
    }
    if (c.controlClass == "Edit") {
      EXPECT_EQ(c.text, "") << row->storedName;
      ASSERT_GT(i, 0u);
      const TemplateControl& label = controls[i - 1];
      EXPECT_EQ(label.controlClass, "Static") << row->storedName;
      EXPECT_EQ(label.text, row->label) << row->storedName;
      EXPECT_EQ(label.x, kEditLabelX) << row->storedName;
      EXPECT_EQ(label.x + label.width, row->place.x - 1) << row->storedName;
      EXPECT_EQ(holds(c.style, "ES_READONLY"), row->kind == OptionKind::Path) << row->storedName;
    } else {
      EXPECT_EQ(c.text, row->label) << c.id;
    }
    if (row->kind == OptionKind::Choice) {
      // A list the user picks from, not an edit box that takes any words.
      EXPECT_TRUE(holds(c.style, "CBS_DROPDOWNLIST")) << c.id;
    }
    EXPECT_EQ(c.x, row->place.x) << row->storedName;
    EXPECT_EQ(c.y, row->place.y) << row->storedName;
    EXPECT_EQ(c.width, row->place.width) << row->storedName;
    EXPECT_EQ(c.height, row->place.height) << row->storedName;
  }
  for (const OptionRow& row : saverOptionTable()) {
    if (row.controlId == 0) continue;  // set outside the dialog
    EXPECT_EQ(templateIds.count(row.controlId), 1u) << row.storedName << " has no control";
  }
  for (const FileRowControls& file : kFileRowControls) {
    const OptionTable& table = saverOptionTable();
    const DialogPlace box = table.rows[table.find(file.storedName)].place;
    const auto at = [&](int32_t id) {
      for (const TemplateControl& c : controls) {
        if (c.id == id) return c;
      }
      ADD_FAILURE() << file.storedName << ": no control " << id;
      return TemplateControl{};
    };
    const TemplateControl browse = at(file.browseId);
    const TemplateControl builtIn = at(file.builtInId);
    const TemplateControl glimpse = at(file.glimpseId);
    EXPECT_EQ(browse.text, "Browse...");
    EXPECT_EQ(builtIn.text, "Built-in");
    EXPECT_EQ(std::vector<int>({browse.x, browse.y, browse.width, browse.height}),
              std::vector<int>({box.x + box.width + kBrowseGap, box.y, kBrowseWidth, box.height}))
        << file.storedName;
    EXPECT_EQ(
        std::vector<int>({builtIn.x, builtIn.y, builtIn.width, builtIn.height}),
        std::vector<int>({browse.x + kBrowseWidth + kBuiltInGap, box.y, kBuiltInWidth, box.height}))
        << file.storedName;
    EXPECT_EQ(std::vector<int>({glimpse.x, glimpse.y, glimpse.width, glimpse.height}),
              std::vector<int>({box.x, box.y + box.height + kGlimpseBelow,
                                builtIn.x + builtIn.width - box.x, kGlimpseHeight}))
        << file.storedName;
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
