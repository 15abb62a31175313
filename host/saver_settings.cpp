// Loading and saving the host's settings through a SettingsStore.
#include "host/saver_settings.h"

namespace marvolet {
namespace {

// Takes a 4-byte value into `field` when the store has one that fits. The buffer starts
// cleared, so data shorter than four bytes reads as its zero-extended little-endian number
// rather than picking up stale bytes.
void readField(SettingsKey& key, const char* name, int32_t* field) {
  uint8_t buffer[4] = {0, 0, 0, 0};
  uint32_t size = sizeof buffer;
  if (!key.queryValue(name, buffer, &size)) return;
  const uint32_t value = uint32_t{buffer[0]} | uint32_t{buffer[1]} << 8 |
                         uint32_t{buffer[2]} << 16 | uint32_t{buffer[3]} << 24;
  *field = static_cast<int32_t>(value);
}

}  // namespace

void SaverSettings::loadSharedValues(SettingsStore& store) {
  passwordDelay = 15;
  mouseThreshold = 50;
  checkingPassword = false;
  std::unique_ptr<SettingsKey> key = store.openKey(kSharedSettingsKey);
  if (!key) return;
  readField(*key, "Password Delay", &passwordDelay);
  readField(*key, "Mouse Threshold", &mouseThreshold);
}

void SaverSettings::loadOptions(SettingsStore& store) {
  useStars = 1;
  useBlur = 1;
  useTrails = 0;
  std::unique_ptr<SettingsKey> key = store.openKey(kOptionsKey);
  if (!key) return;
  readField(*key, "UseStars", &useStars);
  readField(*key, "UseBlur", &useBlur);
  readField(*key, "UseTrails", &useTrails);
}

void SaverSettings::saveOptions(SettingsStore& store) const {
  std::unique_ptr<SettingsKey> key = store.createKey(kOptionsKey);
  if (!key) return;
  key->setDword("UseStars", static_cast<uint32_t>(useStars));
  key->setDword("UseBlur", static_cast<uint32_t>(useBlur));
  key->setDword("UseTrails", static_cast<uint32_t>(useTrails));
}

RenderFlags renderFlagsFor(const SaverSettings& settings) {
  RenderFlags flags = 0;
  if (settings.useTrails != 0) flags |= Trails;
  if (settings.useBlur != 0) flags |= LightEffects;
  if (settings.useStars != 0) flags |= Stars;
  return flags;
}

}  // namespace marvolet
