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
  std::unique_ptr<SettingsKey> key = store.openKey(kOptionsKey);
  loadOptionValues(options, key.get());
  feedHostFields();
}

bool SaverSettings::saveOptions(SettingsStore& store, std::string* reason) const {
  std::string why;
  std::unique_ptr<SettingsKey> key = store.createKey(kOptionsKey);
  if (!key) {
    why = store.createFailure();
  } else if (!saveOptionValues(options, *key)) {
    why = "the settings could not be written";
    key->discard();
  } else if (!key->commit(&why) && why.empty()) {
    why = "the settings could not be saved";
  }
  if (reason != nullptr) *reason = why;
  return why.empty();
}

void SaverSettings::feedHostFields() {
  const OptionTable& table = options.table();
  for (size_t i = 0; i < table.count; ++i) {
    if (table.rows[i].hostField != nullptr) this->*table.rows[i].hostField = options.number(i);
  }
}

RenderFlags renderFlagsFor(const SaverSettings& settings, bool fillsScreen) {
  return renderFlagsOf(settings.options, fillsScreen);
}

SceneContentSources contentSourcesOf(const SaverSettings& settings) {
  const OptionValues& values = settings.options;
  const OptionTable& table = values.table();
  SceneContentSources sources;
  sources.passagePath = values.text(table.find("Passage"));
  sources.title = values.text(table.find("Title"));
  sources.firstLogoPath = values.text(table.find("FirstLogo"));
  sources.secondLogoPath = values.text(table.find("SecondLogo"));
  return sources;
}

}  // namespace marvolet
