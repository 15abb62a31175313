// The host's settings record: the shared limits and the program's options.
#pragma once

#include <cstdint>
#include <string>

#include "assets/user_content.h"
#include "host/option_table.h"
#include "host/settings_store.h"
#include "render/render_types.h"

namespace marvolet {

// Shared by all screen savers; read only.
constexpr const char* kSharedSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
// The program's own options (the rows of saverOptionTable()).
constexpr const char* kOptionsKey = "Software\\Orvane\\Quenby";

struct SaverSettings {
  // Defaults 15 s, 50 px; then "Password Delay" and "Mouse Threshold".
  void loadSharedValues(SettingsStore& store);
  // Every row of the option table at its default, then what the program's key holds (see
  // loadOptionValues); then the host fields fed.
  void loadOptions(SettingsStore& store);
  // Creates the program's key if needed, writes every option and commits. False, with a
  // sentence for the user in *reason (when given), if any of it failed.
  bool saveOptions(SettingsStore& store, std::string* reason = nullptr) const;
  // Copies the options that feed host fields into those fields; whoever changes `options`
  // calls it.
  void feedHostFields();

  int32_t passwordDelay = 15;   // seconds after creation in which closing asks no password
  int32_t mouseThreshold = 50;  // pixels the cursor may move per axis before the saver closes
  // The options, one value per row of saverOptionTable(), as stored: a switch's non-zero
  // number means on.
  OptionValues options{saverOptionTable()};
  // Fed from `options` by feedHostFields(); read them, change `options`.
  int32_t mainMonitorOnly = 0;  // the other monitors stay black instead of showing copies
  int32_t batteryPace = 1;      // half the frame rate while on battery
  int32_t frameRate = 0;        // the frame-rate choice's index (frameRateChoiceOf)
};

// The renderer's flags for the options that feed one, each while its switch is non-zero;
// BurnInGuard only when the picture `fillsScreen` (full screen, the root window, the screen
// saver daemon's window), never in a preview or a trial window.
RenderFlags renderFlagsFor(const SaverSettings& settings, bool fillsScreen = false);

// The files and title the options name for the user's own passage, title and logos.
SceneContentSources contentSourcesOf(const SaverSettings& settings);

}  // namespace marvolet
