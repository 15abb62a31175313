// Settings from the registry-like store, the render flags they give, and the dialog's OK/Cancel.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/config_dialog.h"
#include "host/saver_settings.h"
#include "memory_settings_store.h"

namespace marvolet {
namespace {

SaverSettings loaded(MemorySettingsStore& store) {
  SaverSettings settings;
  settings.loadSharedValues(store);
  settings.loadOptions(store);
  return settings;
}

TEST(SaverSettingsLoad, NoKeysGiveTheDefaults) {
  MemorySettingsStore store;
  const SaverSettings settings = loaded(store);
  EXPECT_EQ(settings.passwordDelay, 15);
  EXPECT_EQ(settings.mouseThreshold, 50);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 1);
  EXPECT_EQ(settings.options.numberOf("UseBlur"), 1);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 0);
  EXPECT_EQ(renderFlagsFor(settings), Stars | LightEffects);
  EXPECT_EQ(renderFlagsFor(settings), 6u);
}

TEST(SaverSettingsLoad, StoredValuesReplaceTheDefaults) {
  MemorySettingsStore store;
  store.setDword(kSharedSettingsKey, "Password Delay", 0);
  store.setDword(kSharedSettingsKey, "Mouse Threshold", static_cast<uint32_t>(-3));
  store.setDword(kOptionsKey, "UseStars", 0);
  store.setDword(kOptionsKey, "UseBlur", 0);
  store.setDword(kOptionsKey, "UseTrails", 1);
  const SaverSettings settings = loaded(store);
  EXPECT_EQ(settings.passwordDelay, 0);
  EXPECT_EQ(settings.mouseThreshold, -3);
  EXPECT_EQ(renderFlagsFor(settings), Trails);
}

TEST(SaverSettingsLoad, RenderFlagsCountAnyNonZeroAsOn) {
  MemorySettingsStore store;
  store.setDword(kOptionsKey, "UseStars", 1);
  store.setDword(kOptionsKey, "UseBlur", 1);
  store.setDword(kOptionsKey, "UseTrails", 1);
  EXPECT_EQ(renderFlagsFor(loaded(store)), 7u);

  store.setDword(kOptionsKey, "UseStars", 5);
  store.setDword(kOptionsKey, "UseBlur", 0);
  store.setDword(kOptionsKey, "UseTrails", 0x80000000u);
  const SaverSettings settings = loaded(store);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 5);
  EXPECT_EQ(renderFlagsFor(settings), Stars | Trails);
}

TEST(SaverSettingsLoad, ShortValueIsZeroExtended) {
  MemorySettingsStore store;
  // The failing query before each short one leaves junk where the short value is read to.
  store.setRaw(kSharedSettingsKey, "Password Delay", {1, 2, 3, 4, 5});
  store.setRaw(kSharedSettingsKey, "Mouse Threshold", {0x07});
  store.failQueries = {"UseStars"};
  store.setRaw(kOptionsKey, "UseBlur", {0x34, 0x12});
  store.setRaw(kOptionsKey, "UseTrails", {});  // empty data reads as 0
  const SaverSettings settings = loaded(store);
  EXPECT_EQ(settings.passwordDelay, 15);
  EXPECT_EQ(settings.mouseThreshold, 7);
  EXPECT_EQ(settings.options.numberOf("UseBlur"), 0x1234);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 0);
}

// Only a REG_DWORD or bytes hold a number: a REG_SZ "0" used to read as 48, so on.
TEST(SaverSettingsLoad, AValueOfTheWrongTypeKeepsTheDefault) {
  MemorySettingsStore store;
  store.setText(kOptionsKey, "UseStars", "0");
  store.setRaw(kOptionsKey, "UseTrails", {0, 0, 0, 1}, kRegistryBigEndianInteger);
  store.setText(kSharedSettingsKey, "Mouse Threshold", "5");
  store.setDword(kOptionsKey, "UseBlur", 0);
  const SaverSettings settings = loaded(store);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 1);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 0);
  EXPECT_EQ(settings.mouseThreshold, 50);
  EXPECT_EQ(renderFlagsFor(settings), Stars);
}

TEST(SaverSettingsLoad, ValueTooLongOrFailingKeepsTheDefault) {
  MemorySettingsStore store;
  store.setRaw(kSharedSettingsKey, "Password Delay", {1, 0, 0, 0, 0});
  store.setRaw(kOptionsKey, "UseBlur", {0, 0, 0, 0, 0, 0, 0, 0});
  store.setDword(kOptionsKey, "UseTrails", 1);
  store.setDword(kOptionsKey, "UseStars", 0);
  store.failQueries = {"UseStars"};
  const SaverSettings settings = loaded(store);
  EXPECT_EQ(settings.passwordDelay, 15);
  EXPECT_EQ(settings.options.numberOf("UseBlur"), 1);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 1);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 1);  // one bad value does not spoil the others
}

TEST(SaverSettingsLoad, KeyThatCannotBeOpenedKeepsAllDefaults) {
  MemorySettingsStore store;
  store.setDword(kSharedSettingsKey, "Mouse Threshold", 5);
  store.setDword(kOptionsKey, "UseStars", 0);
  store.failOpen = true;
  const SaverSettings settings = loaded(store);
  EXPECT_EQ(settings.mouseThreshold, 50);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 1);
}

TEST(SaverSettingsLoad, LoadingAgainStartsFromTheDefaults) {
  MemorySettingsStore store;
  SaverSettings settings;
  settings.mouseThreshold = 3;
  settings.options.numberOf("UseTrails") = 9;
  settings.loadSharedValues(store);
  settings.loadOptions(store);
  EXPECT_EQ(settings.mouseThreshold, 50);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 0);
}

// The first six names are what users have stored for years; rows added later follow them.
TEST(SaverSettingsSave, WritesEveryOptionInOrder) {
  MemorySettingsStore store;
  SaverSettings settings;
  settings.options.numberOf("UseStars") = 0;
  settings.options.numberOf("UseBlur") = 1;
  settings.options.numberOf("UseTrails") = 1;
  settings.saveOptions(store);
  ASSERT_EQ(store.writes().size(), saverOptionTable().count);
  const char* const firstSix[] = {"UseStars",    "UseBlur",         "UseTrails",
                                  "BurnInGuard", "MainMonitorOnly", "BatteryPace"};
  for (size_t i = 0; i < saverOptionTable().count; ++i) {
    EXPECT_EQ(store.writes()[i].name, i < 6 ? firstSix[i] : saverOptionTable().rows[i].storedName);
  }
  EXPECT_EQ(store.writes()[0].key, kOptionsKey);
  EXPECT_EQ(store.raw(kOptionsKey, "UseTrails"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_FALSE(store.hasKey(kSharedSettingsKey));  // the shared key is never written
}

// A save that fails says why and returns false, whatever part of it failed; the writes after
// a failed one are still tried (a registry cannot take back the ones before).
TEST(SaverSettingsSave, FailuresAreReportedWithAReason) {
  MemorySettingsStore store;
  store.failCreate = true;
  SaverSettings settings;
  std::string reason;
  EXPECT_FALSE(settings.saveOptions(store, &reason));
  EXPECT_NE(reason.find("could not be created"), std::string::npos) << reason;
  EXPECT_FALSE(store.hasKey(kOptionsKey));

  store.failCreate = false;
  store.failWrites = {"UseBlur"};
  EXPECT_FALSE(settings.saveOptions(store, &reason));
  EXPECT_FALSE(reason.empty());
  ASSERT_EQ(store.writes().size(), saverOptionTable().count - 1);
  EXPECT_EQ(store.writes()[1].name, "UseTrails");

  store.failWrites.clear();
  EXPECT_TRUE(settings.saveOptions(store, &reason));
  EXPECT_EQ(reason, "");
}

// The three screen-friendly options: defaults, a save and load that keeps each one, and the
// burn-in guard's flag only where the picture fills a screen.
TEST(SaverSettingsSave, ScreenOptionsRoundTripAndTheGuardNeedsAFilledScreen) {
  MemorySettingsStore store;
  SaverSettings defaults = loaded(store);
  EXPECT_EQ(defaults.options.numberOf("BurnInGuard"), 1);
  EXPECT_EQ(defaults.options.numberOf("MainMonitorOnly"), 0);
  EXPECT_EQ(defaults.options.numberOf("BatteryPace"), 1);
  EXPECT_EQ(renderFlagsFor(defaults, true), Stars | LightEffects | BurnInGuard);
  EXPECT_EQ(renderFlagsFor(defaults, false), Stars | LightEffects);

  SaverSettings changed = defaults;
  changed.options.numberOf("BurnInGuard") = 0;
  changed.options.numberOf("MainMonitorOnly") = 1;
  changed.options.numberOf("BatteryPace") = 0;
  changed.saveOptions(store);
  const SaverSettings reloaded = loaded(store);
  EXPECT_EQ(reloaded.options.numberOf("BurnInGuard"), 0);
  EXPECT_EQ(reloaded.options.numberOf("MainMonitorOnly"), 1);
  EXPECT_EQ(reloaded.options.numberOf("BatteryPace"), 0);
  EXPECT_EQ(renderFlagsFor(reloaded, true), Stars | LightEffects);
}

constexpr int32_t kStarsBox = 1001;
constexpr int32_t kLightEffectsBox = 1002;
constexpr int32_t kTrailsBox = 1003;
constexpr int32_t kBurnInGuardBox = 1004;
constexpr int32_t kMainMonitorOnlyBox = 1005;
constexpr int32_t kBatteryPaceBox = 1006;

// A fake dialog: the check boxes and edit boxes by control id, and the order they were read in.
struct FakeBoxes : DialogControls {
  std::map<int32_t, uint32_t> states;
  std::map<int32_t, std::string> texts;
  std::vector<int32_t> reads;

  void setState(int32_t id, uint32_t value) override { states[id] = value; }
  uint32_t state(int32_t id) override {
    reads.push_back(id);
    return states[id];
  }
  void setText(int32_t id, const std::string& text) override { texts[id] = text; }
  std::string text(int32_t id) override {
    reads.push_back(id);
    return texts[id];
  }
};

uint32_t command(SaverSettings& settings, SettingsStore& store, uint32_t id, FakeBoxes& boxes) {
  return configDialogCommand(settings, store, id, boxes).endWith;
}

TEST(ConfigDialog, DefaultsCheckStarsAndLightEffectsOnly) {
  MemorySettingsStore store;
  FakeBoxes boxes;
  showOptions(loaded(store).options, boxes);
  EXPECT_EQ(boxes.states[kStarsBox], 1u);
  EXPECT_EQ(boxes.states[kLightEffectsBox], 1u);
  EXPECT_EQ(boxes.states[kTrailsBox], 0u);
  EXPECT_EQ(boxes.states[kBurnInGuardBox], 1u);
  EXPECT_EQ(boxes.states[kMainMonitorOnlyBox], 0u);
  EXPECT_EQ(boxes.states[kBatteryPaceBox], 1u);
}

TEST(ConfigDialog, StoredFiveReachesTheBoxUnchangedAndOkStoresOne) {
  MemorySettingsStore store;
  store.setDword(kOptionsKey, "UseStars", 5);
  store.setDword(kOptionsKey, "UseBlur", 0);
  store.setDword(kOptionsKey, "UseTrails", 0);
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  showOptions(settings.options, boxes);
  EXPECT_EQ(boxes.states[kStarsBox], 5u);
  EXPECT_EQ(boxes.states[kLightEffectsBox], 0u);

  boxes.states[kStarsBox] = 1;  // the platform's check box reports checked
  EXPECT_EQ(command(settings, store, kDialogOk, boxes), 1u);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 1);
  EXPECT_EQ(store.raw(kOptionsKey, "UseStars"), (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST(ConfigDialog, OkReadsBoxesInOrderAndWritesAllEvenUnchanged) {
  MemorySettingsStore store;
  SaverSettings settings = loaded(store);
  // A file named in the settings file, shown in its box, survives OK unchanged.
  const size_t passage = saverOptionTable().find("Passage");
  settings.options.setFromWords(passage, "/home/someone/verse.txt");
  FakeBoxes boxes;
  showOptions(settings.options, boxes);
  boxes.states[kMainMonitorOnlyBox] = 1;
  boxes.states[kBatteryPaceBox] = 0;
  EXPECT_EQ(command(settings, store, kDialogOk, boxes), 1u);
  const std::vector<int32_t> firstSix = {kStarsBox,       kLightEffectsBox,    kTrailsBox,
                                         kBurnInGuardBox, kMainMonitorOnlyBox, kBatteryPaceBox};
  size_t withControl = 0;
  for (const OptionRow& row : saverOptionTable()) withControl += row.controlId != 0 ? 1 : 0;
  ASSERT_EQ(boxes.reads.size(), withControl);
  EXPECT_EQ(settings.options.text(passage), "/home/someone/verse.txt");
  EXPECT_EQ(std::vector<int32_t>(boxes.reads.begin(), boxes.reads.begin() + 6), firstSix);
  ASSERT_EQ(store.writes().size(), saverOptionTable().count);
  EXPECT_EQ(store.raw(kOptionsKey, "BurnInGuard"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "MainMonitorOnly"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "BatteryPace"), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "UseStars"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "UseBlur"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "UseTrails"), (std::vector<uint8_t>{0, 0, 0, 0}));
  // The saver windows read these two fields; OK keeps them in step with the options.
  EXPECT_EQ(settings.mainMonitorOnly, 1);
  EXPECT_EQ(settings.batteryPace, 0);
}

TEST(ConfigDialog, OkTakesOnlyExactlyCheckedAsOn) {
  MemorySettingsStore store;
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  boxes.states = {{kStarsBox, 0}, {kLightEffectsBox, 2}, {kTrailsBox, 1}};  // 2: indeterminate
  command(settings, store, kDialogOk, boxes);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 0);
  EXPECT_EQ(settings.options.numberOf("UseBlur"), 0);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 1);
  EXPECT_EQ(renderFlagsFor(settings), Trails);
}

TEST(ConfigDialog, CancelAndOtherCommandsWriteNothing) {
  MemorySettingsStore store;
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  boxes.states = {{kStarsBox, 0}, {kLightEffectsBox, 0}, {kTrailsBox, 1}};
  EXPECT_EQ(command(settings, store, kDialogCancel, boxes), 2u);
  EXPECT_EQ(command(settings, store, kStarsBox, boxes), 0u);
  EXPECT_EQ(command(settings, store, 0, boxes), 0u);
  EXPECT_TRUE(boxes.reads.empty());
  EXPECT_TRUE(store.writes().empty());
  EXPECT_FALSE(store.hasKey(kOptionsKey));
  EXPECT_EQ(settings.options.numberOf("UseStars"), 1);
}

// An OK that cannot save keeps the dialog open with the reason, changes neither the record nor
// the store, and a later OK that can save still works.
TEST(ConfigDialog, OkThatCannotSaveStaysOpenWithTheReasonAndChangesNothing) {
  MemorySettingsStore store;
  store.failCreate = true;
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  boxes.states = {{kStarsBox, 0}, {kLightEffectsBox, 1}, {kTrailsBox, 1}, {kMainMonitorOnlyBox, 1}};
  const DialogOutcome failed = configDialogCommand(settings, store, kDialogOk, boxes);
  EXPECT_EQ(failed.endWith, 0u);
  EXPECT_NE(failed.problem.find("could not be created"), std::string::npos) << failed.problem;
  EXPECT_FALSE(store.hasKey(kOptionsKey));
  EXPECT_TRUE(settings.options == SaverSettings().options);
  EXPECT_EQ(settings.mainMonitorOnly, 0);
  EXPECT_EQ(renderFlagsFor(settings), Stars | LightEffects);

  store.failCreate = false;
  const DialogOutcome saved = configDialogCommand(settings, store, kDialogOk, boxes);
  EXPECT_EQ(saved.endWith, kDialogOk);
  EXPECT_EQ(saved.problem, "");
  EXPECT_EQ(renderFlagsFor(settings), LightEffects | Trails);
  EXPECT_EQ(settings.mainMonitorOnly, 1);
  EXPECT_EQ(store.raw(kOptionsKey, "MainMonitorOnly"), (std::vector<uint8_t>{1, 0, 0, 0}));
}

}  // namespace
}  // namespace marvolet
