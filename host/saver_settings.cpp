// Loading and saving the host's settings through a SettingsStore.
#include "host/saver_settings.h"

namespace marvolet {

void SaverSettings::loadSharedValues(SettingsStore& store) {
  passwordDelay = 15;
  mouseThreshold = 50;
  std::unique_ptr<SettingsKey> key = store.openKey(kSharedSettingsKey);
  if (!key) return;
  key->readInteger("Password Delay", &passwordDelay);
  key->readInteger("Mouse Threshold", &mouseThreshold);
}

void SaverSettings::loadOptions(SettingsStore& store) {
  stars = 1;
  lightEffects = 1;
  trails = 0;
  burnInGuard = 1;
  mainMonitorOnly = 0;
  batteryPace = 1;
  std::unique_ptr<SettingsKey> key = store.openKey(kOptionsKey);
  if (!key) return;
  key->readInteger("UseStars", &stars);
  key->readInteger("UseBlur", &lightEffects);
  key->readInteger("UseTrails", &trails);
  key->readInteger("BurnInGuard", &burnInGuard);
  key->readInteger("MainMonitorOnly", &mainMonitorOnly);
  key->readInteger("BatteryPace", &batteryPace);
}

void SaverSettings::saveOptions(SettingsStore& store) const {
  std::unique_ptr<SettingsKey> key = store.createKey(kOptionsKey);
  if (!key) return;
  // Each write is tried even after one fails.
  key->writeInteger("UseStars", stars);
  key->writeInteger("UseBlur", lightEffects);
  key->writeInteger("UseTrails", trails);
  key->writeInteger("BurnInGuard", burnInGuard);
  key->writeInteger("MainMonitorOnly", mainMonitorOnly);
  key->writeInteger("BatteryPace", batteryPace);
}

RenderFlags renderFlagsFor(const SaverSettings& settings, bool fillsScreen) {
  RenderFlags flags = 0;
  if (settings.burnInGuard != 0 && fillsScreen) flags |= BurnInGuard;
  if (settings.trails != 0) flags |= Trails;
  if (settings.lightEffects != 0) flags |= LightEffects;
  if (settings.stars != 0) flags |= Stars;
  return flags;
}

}  // namespace marvolet
