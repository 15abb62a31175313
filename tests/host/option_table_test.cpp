// One row of each kind through every way a setting travels: the registry, the settings file,
// the command line and the dialog; and a value a row cannot hold gives that row its default
// while every other row keeps what it had.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/config_dialog.h"
#include "host/linux/linux_settings_file.h"
#include "host/option_table.h"
#include "memory_settings_store.h"

namespace marvolet {
namespace {

const char* const kPaces[] = {"slow", "normal", "fast", nullptr};

const OptionRow kRows[] = {
    {"Glow",
     OptionKind::Switch,
     1,
     nullptr,
     0,
     1,
     0,
     nullptr,
     nullptr,
     "-glow",
     "Glow",
     "a glow",
     2001,
     {7, 7, 50, 10},
     LightEffects,
     false,
     nullptr},
    {"Count",
     OptionKind::Number,
     10,
     nullptr,
     1,
     100,
     0,
     nullptr,
     nullptr,
     "-count",
     "Count",
     "how many",
     2002,
     {7, 20, 50, 12},
     0,
     false,
     nullptr},
    {"Caption",
     OptionKind::Text,
     0,
     "Hello",
     0,
     0,
     16,
     nullptr,
     nullptr,
     "-caption",
     "Caption",
     "a line of text",
     2003,
     {7, 34, 90, 12},
     0,
     false,
     nullptr},
    {"Picture",
     OptionKind::Path,
     0,
     "",
     0,
     0,
     32,
     nullptr,
     nullptr,
     "-picture",
     "Picture",
     "an image",
     2004,
     {7, 48, 90, 12},
     0,
     false,
     nullptr},
    {"Pace",
     OptionKind::Choice,
     1,
     nullptr,
     0,
     0,
     0,
     kPaces,
     nullptr,
     "-pace",
     "Pace",
     "how fast",
     2005,
     {7, 62, 60, 40},
     0,
     false,
     nullptr},
};
const OptionTable kTable{kRows, 5};
constexpr size_t kGlow = 0, kCount = 1, kCaption = 2, kPicture = 3, kPace = 4;

// Every row away from its default, so that a row falling back to it shows.
OptionValues chosen() {
  OptionValues values(kTable);
  values.setNumber(kGlow, 0);
  values.setNumber(kCount, 42);
  values.setText(kCaption, "Grüße, 世界");  // 15 bytes of UTF-8
  values.setText(kPicture, "/home/someone/Bilder/Ölbild.png");
  values.setNumber(kPace, 2);
  return values;
}

// `loaded` is `chosen()` but for `row`, which is back at its default.
void expectOnlyDefaulted(const OptionValues& loaded, size_t row, const std::string& what) {
  OptionValues expected = chosen();
  expected.reset(row);
  for (size_t i = 0; i < kTable.count; ++i) {
    EXPECT_EQ(loaded.words(i), expected.words(i)) << what << ": row " << kRows[i].storedName;
  }
}

TEST(OptionTableKinds, RoundTripThroughTheRegistryAndBadValuesGiveTheDefault) {
  const char* key = "Software\\Test";
  MemorySettingsStore store;
  ASSERT_TRUE(saveOptionValues(chosen(), *store.createKey(key)));
  EXPECT_EQ(store.type(key, "Glow"), kRegistryInteger);
  EXPECT_EQ(store.type(key, "Count"), kRegistryInteger);
  EXPECT_EQ(store.type(key, "Caption"), kRegistryText);
  EXPECT_EQ(store.type(key, "Pace"), kRegistryText);
  std::vector<uint8_t> fast;
  registryTextData("fast", &fast);
  EXPECT_EQ(store.raw(key, "Pace"), fast);  // a choice is stored by its name

  OptionValues loaded(kTable);
  loadOptionValues(loaded, store.openKey(key).get());
  EXPECT_TRUE(loaded == chosen());

  const auto withOneBad = [&](const char* name, std::vector<uint8_t> data, uint32_t type) {
    MemorySettingsStore bad = store;
    bad.setRaw(key, name, std::move(data), type);
    OptionValues values(kTable);
    loadOptionValues(values, bad.openKey(key).get());
    return values;
  };
  std::vector<uint8_t> text;
  registryTextData("0", &text);
  expectOnlyDefaulted(withOneBad("Glow", text, kRegistryText), kGlow, "a REG_SZ \"0\" switch");
  expectOnlyDefaulted(withOneBad("Glow", {0, 0, 0, 0}, kRegistryBigEndianInteger), kGlow,
                      "big-endian");
  expectOnlyDefaulted(withOneBad("Count", {101, 0, 0, 0}, kRegistryInteger), kCount, "101");
  expectOnlyDefaulted(withOneBad("Count", {0, 0, 0, 0}, kRegistryInteger), kCount, "0");
  registryTextData(std::string(17, 'x'), &text);
  expectOnlyDefaulted(withOneBad("Caption", text, kRegistryText), kCaption, "17 bytes");
  expectOnlyDefaulted(withOneBad("Caption", {0x00, 0xD8, 0, 0}, kRegistryText), kCaption,
                      "a lone surrogate");
  registryTextData("a\tb", &text);
  expectOnlyDefaulted(withOneBad("Caption", text, kRegistryText), kCaption, "a control");
  expectOnlyDefaulted(withOneBad("Picture", {1, 0, 0, 0}, kRegistryInteger), kPicture, "DWORD");
  registryTextData("warp", &text);
  expectOnlyDefaulted(withOneBad("Pace", text, kRegistryText), kPace, "an unknown name");
}

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(OptionTableKinds, RoundTripThroughTheSettingsFileAndBadLinesGiveTheDefault) {
  char pattern[] = "/tmp/marvolet-options-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  const std::string path = folder + "/marvolet.conf";
  FileSettingsStore store(path);
  {
    auto key = store.createKey("");
    ASSERT_TRUE(saveOptionValues(chosen(), *key));
    std::string reason;
    ASSERT_TRUE(key->commit(&reason)) << reason;
  }
  const std::string saved = fileText(path);
  EXPECT_NE(saved.find("\nCaption=Grüße, 世界\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\nPace=fast\n"), std::string::npos) << saved;
  OptionValues loaded(kTable);
  loadOptionValues(loaded, store.openKey("").get());
  EXPECT_TRUE(loaded == chosen());

  const auto withLine = [&](const std::string& line) {
    std::ofstream(path, std::ios::binary) << saved << line << "\n";
    OptionValues values(kTable);
    loadOptionValues(values, store.openKey("").get());
    return values;
  };
  expectOnlyDefaulted(withLine("Count=101"), kCount, "101");
  expectOnlyDefaulted(withLine("Count=-5"), kCount, "-5");
  expectOnlyDefaulted(withLine("Caption=" + std::string(17, 'x')), kCaption, "17 bytes");
  expectOnlyDefaulted(withLine("Caption=\xC3("), kCaption, "malformed UTF-8");
  expectOnlyDefaulted(withLine("Pace=warp"), kPace, "an unknown name");
  EXPECT_TRUE(withLine("pace = FAST") == chosen());  // names and choices ignore case

  // Text the file could not give back as it was is refused, and nothing is written.
  std::ofstream(path, std::ios::binary) << saved;
  for (const char* text : {" padded", "two\nlines"}) {
    auto key = store.createKey("");
    EXPECT_FALSE(key->writeText("Caption", text)) << text;
  }
  EXPECT_EQ(fileText(path), saved);
  std::system(("rm -rf '" + folder + "'").c_str());
}

OptionValues fromArguments(std::vector<const char*> args, std::string* error = nullptr) {
  args.insert(args.begin(), "marvolet");
  std::vector<OptionOverride> overrides;
  std::string ignored;
  const int argc = static_cast<int>(args.size());
  for (int i = 1; i < argc;) {
    const int taken = matchOptionFlag(kTable, args[i], i, argc, args.data(), &overrides,
                                      error != nullptr ? error : &ignored);
    EXPECT_GT(taken, 0) << args[i];
    i += taken > 0 ? taken : 1;
  }
  OptionValues values = chosen();
  applyOptionOverrides(overrides, values);
  return values;
}

TEST(OptionTableKinds, RoundTripThroughTheCommandLineAndBadWordsGiveTheDefault) {
  const OptionValues given = fromArguments(
      {"-glow", "-count", "7", "-caption=Hi there", "-picture", "/tmp/a.png", "-pace", "SLOW"});
  EXPECT_EQ(given.number(kGlow), 1);
  EXPECT_EQ(given.number(kCount), 7);
  EXPECT_EQ(given.text(kCaption), "Hi there");
  EXPECT_EQ(given.text(kPicture), "/tmp/a.png");
  EXPECT_EQ(given.words(kPace), "slow");
  EXPECT_TRUE(fromArguments({"-no-glow"}) == chosen());

  expectOnlyDefaulted(fromArguments({"-count", "0"}), kCount, "0");
  expectOnlyDefaulted(fromArguments({"-count=1e3"}), kCount, "1e3");
  expectOnlyDefaulted(fromArguments({"-caption", std::string(17, 'x').c_str()}), kCaption,
                      "17 bytes");
  expectOnlyDefaulted(fromArguments({"-pace", "warp"}), kPace, "an unknown name");
  OptionValues values(kTable);
  EXPECT_EQ(applyOptionOverrides({{kCount, "0"}, {kPace, "warp"}, {kGlow, "0"}}, values),
            (std::vector<std::string>{
                "-count takes a whole number from 1 to 100, not \"0\"; the default 10 is used",
                "-pace takes one of slow|normal|fast, not \"warp\"; the default normal is used"}));

  std::string error;
  fromArguments({"-count"}, &error);
  EXPECT_EQ(error, "-count needs a value (N)");
  std::vector<OptionOverride> none;
  const char* other[] = {"marvolet", "-counter"};
  EXPECT_EQ(matchOptionFlag(kTable, "-counter", 1, 2, other, &none, &error), 0);

  const std::string usage = optionUsage(kTable);
  EXPECT_NE(usage.find("  -glow, -no-glow"), std::string::npos) << usage;
  EXPECT_NE(usage.find("  -pace slow|normal|fast"), std::string::npos) << usage;
  EXPECT_NE(usage.find("  -picture FILE"), std::string::npos) << usage;
}

struct FakeControls : DialogControls {
  std::map<int32_t, uint32_t> states;
  std::map<int32_t, std::string> texts;
  void setState(int32_t id, uint32_t state) override { states[id] = state; }
  uint32_t state(int32_t id) override { return states[id]; }
  void setText(int32_t id, const std::string& text) override { texts[id] = text; }
  std::string text(int32_t id) override { return texts[id]; }
};

TEST(OptionTableKinds, RoundTripThroughTheDialogAndBadEntriesGiveTheDefault) {
  FakeControls shown;
  showOptions(chosen(), shown);
  EXPECT_EQ(shown.states[2001], 0u);
  EXPECT_EQ(shown.texts[2002], "42");
  EXPECT_EQ(shown.states[2005], 2u);  // the list's selection
  EXPECT_TRUE(readOptions(kTable, shown) == chosen());

  const auto withEntry = [&](int32_t id, const std::string& text, uint32_t state) {
    FakeControls controls = shown;
    if (text.empty()) {
      controls.states[id] = state;
    } else {
      controls.texts[id] = text;
    }
    return readOptions(kTable, controls);
  };
  expectOnlyDefaulted(withEntry(2002, "101", 0), kCount, "101");
  expectOnlyDefaulted(withEntry(2002, "ten", 0), kCount, "ten");
  expectOnlyDefaulted(withEntry(2003, std::string(17, 'x'), 0), kCaption, "17 bytes");
  expectOnlyDefaulted(withEntry(2005, "", 3), kPace, "past the names");
  expectOnlyDefaulted(withEntry(2005, "", UINT32_MAX), kPace, "no selection");
  EXPECT_EQ(withEntry(2001, "", 2).number(kGlow), 0);  // indeterminate is not on
}

}  // namespace
}  // namespace marvolet
