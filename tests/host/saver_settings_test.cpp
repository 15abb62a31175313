// Settings from the registry-like store, the render flags they give, and the dialog's OK/Cancel.
#include <gtest/gtest.h>

#include <map>
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
  EXPECT_EQ(settings.stars, 1);
  EXPECT_EQ(settings.lightEffects, 1);
  EXPECT_EQ(settings.trails, 0);
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
  EXPECT_EQ(settings.stars, 5);
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
  EXPECT_EQ(settings.lightEffects, 0x1234);
  EXPECT_EQ(settings.trails, 0);
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
  EXPECT_EQ(settings.lightEffects, 1);
  EXPECT_EQ(settings.stars, 1);
  EXPECT_EQ(settings.trails, 1);  // one bad value does not spoil the others
}

TEST(SaverSettingsLoad, KeyThatCannotBeOpenedKeepsAllDefaults) {
  MemorySettingsStore store;
  store.setDword(kSharedSettingsKey, "Mouse Threshold", 5);
  store.setDword(kOptionsKey, "UseStars", 0);
  store.failOpen = true;
  const SaverSettings settings = loaded(store);
  EXPECT_EQ(settings.mouseThreshold, 50);
  EXPECT_EQ(settings.stars, 1);
}

TEST(SaverSettingsLoad, LoadingAgainStartsFromTheDefaults) {
  MemorySettingsStore store;
  SaverSettings settings;
  settings.mouseThreshold = 3;
  settings.trails = 9;
  settings.loadSharedValues(store);
  settings.loadOptions(store);
  EXPECT_EQ(settings.mouseThreshold, 50);
  EXPECT_EQ(settings.trails, 0);
}

TEST(SaverSettingsSave, WritesEveryOptionInOrder) {
  MemorySettingsStore store;
  SaverSettings settings;
  settings.stars = 0;
  settings.lightEffects = 1;
  settings.trails = 1;
  settings.saveOptions(store);
  ASSERT_EQ(store.writes().size(), 6u);
  EXPECT_EQ(store.writes()[0].name, "UseStars");
  EXPECT_EQ(store.writes()[1].name, "UseBlur");
  EXPECT_EQ(store.writes()[2].name, "UseTrails");
  EXPECT_EQ(store.writes()[3].name, "BurnInGuard");
  EXPECT_EQ(store.writes()[4].name, "MainMonitorOnly");
  EXPECT_EQ(store.writes()[5].name, "BatteryPace");
  EXPECT_EQ(store.writes()[0].key, kOptionsKey);
  EXPECT_EQ(store.raw(kOptionsKey, "UseTrails"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_FALSE(store.hasKey(kSharedSettingsKey));  // the shared key is never written
}

TEST(SaverSettingsSave, FailuresAreSilent) {
  MemorySettingsStore store;
  store.failCreate = true;
  SaverSettings settings;
  settings.saveOptions(store);
  EXPECT_FALSE(store.hasKey(kOptionsKey));

  store.failCreate = false;
  store.failWrites = {"UseBlur"};
  settings.saveOptions(store);
  ASSERT_EQ(store.writes().size(), 5u);  // the writes after a failed one still happen
  EXPECT_EQ(store.writes()[1].name, "UseTrails");
}

// The three screen-friendly options: defaults, a save and load that keeps each one, and the
// burn-in guard's flag only where the picture fills a screen.
TEST(SaverSettingsSave, ScreenOptionsRoundTripAndTheGuardNeedsAFilledScreen) {
  MemorySettingsStore store;
  SaverSettings defaults = loaded(store);
  EXPECT_EQ(defaults.burnInGuard, 1);
  EXPECT_EQ(defaults.mainMonitorOnly, 0);
  EXPECT_EQ(defaults.batteryPace, 1);
  EXPECT_EQ(renderFlagsFor(defaults, true), Stars | LightEffects | BurnInGuard);
  EXPECT_EQ(renderFlagsFor(defaults, false), Stars | LightEffects);

  SaverSettings changed = defaults;
  changed.burnInGuard = 0;
  changed.mainMonitorOnly = 1;
  changed.batteryPace = 0;
  changed.saveOptions(store);
  const SaverSettings reloaded = loaded(store);
  EXPECT_EQ(reloaded.burnInGuard, 0);
  EXPECT_EQ(reloaded.mainMonitorOnly, 1);
  EXPECT_EQ(reloaded.batteryPace, 0);
  EXPECT_EQ(renderFlagsFor(reloaded, true), Stars | LightEffects);
}

// A fake dialog: the check boxes by control id, and the order they were read in.
struct FakeBoxes {
  std::map<int32_t, uint32_t> state;
  std::vector<int32_t> reads;

  static void write(void* self, int32_t id, uint32_t value) {
    static_cast<FakeBoxes*>(self)->state[id] = value;
  }
  static uint32_t read(void* self, int32_t id) {
    auto* boxes = static_cast<FakeBoxes*>(self);
    boxes->reads.push_back(id);
    return boxes->state[id];
  }
};

TEST(ConfigDialog, DefaultsCheckStarsAndLightEffectsOnly) {
  MemorySettingsStore store;
  FakeBoxes boxes;
  initConfigDialog(loaded(store), FakeBoxes::write, &boxes);
  EXPECT_EQ(boxes.state[kStarsBox], 1u);
  EXPECT_EQ(boxes.state[kLightEffectsBox], 1u);
  EXPECT_EQ(boxes.state[kTrailsBox], 0u);
  EXPECT_EQ(boxes.state[kBurnInGuardBox], 1u);
  EXPECT_EQ(boxes.state[kMainMonitorOnlyBox], 0u);
  EXPECT_EQ(boxes.state[kBatteryPaceBox], 1u);
}

TEST(ConfigDialog, StoredFiveReachesTheBoxUnchangedAndOkStoresOne) {
  MemorySettingsStore store;
  store.setDword(kOptionsKey, "UseStars", 5);
  store.setDword(kOptionsKey, "UseBlur", 0);
  store.setDword(kOptionsKey, "UseTrails", 0);
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  initConfigDialog(settings, FakeBoxes::write, &boxes);
  EXPECT_EQ(boxes.state[kStarsBox], 5u);
  EXPECT_EQ(boxes.state[kLightEffectsBox], 0u);

  boxes.state[kStarsBox] = 1;  // the platform's check box reports checked
  EXPECT_EQ(configDialogCommand(settings, store, kDialogOk, FakeBoxes::read, &boxes), 1u);
  EXPECT_EQ(settings.stars, 1);
  EXPECT_EQ(store.raw(kOptionsKey, "UseStars"), (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST(ConfigDialog, OkReadsBoxesInOrderAndWritesAllEvenUnchanged) {
  MemorySettingsStore store;
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  initConfigDialog(settings, FakeBoxes::write, &boxes);
  boxes.state[kMainMonitorOnlyBox] = 1;
  boxes.state[kBatteryPaceBox] = 0;
  EXPECT_EQ(configDialogCommand(settings, store, kDialogOk, FakeBoxes::read, &boxes), 1u);
  EXPECT_EQ(boxes.reads,
            (std::vector<int32_t>{kStarsBox, kLightEffectsBox, kTrailsBox, kBurnInGuardBox,
                                  kMainMonitorOnlyBox, kBatteryPaceBox}));
  ASSERT_EQ(store.writes().size(), 6u);
  EXPECT_EQ(store.raw(kOptionsKey, "BurnInGuard"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "MainMonitorOnly"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "BatteryPace"), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "UseStars"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "UseBlur"), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(store.raw(kOptionsKey, "UseTrails"), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(ConfigDialog, OkTakesOnlyExactlyCheckedAsOn) {
  MemorySettingsStore store;
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  boxes.state = {{kStarsBox, 0}, {kLightEffectsBox, 2}, {kTrailsBox, 1}};  // 2: indeterminate
  configDialogCommand(settings, store, kDialogOk, FakeBoxes::read, &boxes);
  EXPECT_EQ(settings.stars, 0);
  EXPECT_EQ(settings.lightEffects, 0);
  EXPECT_EQ(settings.trails, 1);
  EXPECT_EQ(renderFlagsFor(settings), Trails);
}

TEST(ConfigDialog, CancelAndOtherCommandsWriteNothing) {
  MemorySettingsStore store;
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  boxes.state = {{kStarsBox, 0}, {kLightEffectsBox, 0}, {kTrailsBox, 1}};
  EXPECT_EQ(configDialogCommand(settings, store, kDialogCancel, FakeBoxes::read, &boxes), 2u);
  EXPECT_EQ(configDialogCommand(settings, store, kStarsBox, FakeBoxes::read, &boxes), 0u);
  EXPECT_EQ(configDialogCommand(settings, store, 0, FakeBoxes::read, &boxes), 0u);
  EXPECT_TRUE(boxes.reads.empty());
  EXPECT_TRUE(store.writes().empty());
  EXPECT_FALSE(store.hasKey(kOptionsKey));
  EXPECT_EQ(settings.stars, 1);
}

TEST(ConfigDialog, OkWhenTheKeyCannotBeCreatedStillEndsTheDialog) {
  MemorySettingsStore store;
  store.failCreate = true;
  SaverSettings settings = loaded(store);
  FakeBoxes boxes;
  boxes.state = {{kStarsBox, 1}, {kLightEffectsBox, 1}, {kTrailsBox, 1}};
  EXPECT_EQ(configDialogCommand(settings, store, kDialogOk, FakeBoxes::read, &boxes), 1u);
  EXPECT_FALSE(store.hasKey(kOptionsKey));
}

}  // namespace
}  // namespace marvolet
