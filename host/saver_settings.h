// The host's settings record: the shared limits and the program's options.
#pragma once

#include <cstdint>

#include "host/settings_store.h"
#include "render/render_types.h"

namespace marvolet {

// Shared by all screen savers; read only.
constexpr const char* kSharedSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
// The program's own three options.
constexpr const char* kOptionsKey = "Software\\Orvane\\Quenby";

struct SaverSettings {
  // Defaults 15 s, 50 px; then "Password Delay" and "Mouse Threshold".
  void loadSharedValues(SettingsStore& store);
  // Defaults stars 1, light effects 1, trails 0, burn-in guard 1, main monitor only 0, battery
  // pace 1; then the stored "UseStars", "UseBlur" (the light effects, under the name users
  // already have), "UseTrails", "BurnInGuard", "MainMonitorOnly" and "BatteryPace".
  void loadOptions(SettingsStore& store);
  // Creates the program's key if needed and writes the options, in the order above.
  // Failures are silent: the options just stay unsaved.
  void saveOptions(SettingsStore& store) const;

  int32_t passwordDelay = 15;   // seconds after creation in which closing asks no password
  int32_t mouseThreshold = 50;  // pixels the cursor may move per axis before the saver closes
  // The options, as stored: any non-zero number means on.
  int32_t stars = 1;
  int32_t lightEffects = 1;
  int32_t trails = 0;
  int32_t burnInGuard = 1;      // the picture drifts a few pixels (only where it fills a screen)
  int32_t mainMonitorOnly = 0;  // the other monitors stay black instead of showing copies
  int32_t batteryPace = 1;      // half the frame rate while on battery
};

// The renderer's flags for the options: Trails, LightEffects and Stars, each when its option
// is non-zero; BurnInGuard when that option is on and the picture `fillsScreen` (full screen,
// the root window, the screen saver daemon's window), never in a preview or a trial window.
RenderFlags renderFlagsFor(const SaverSettings& settings, bool fillsScreen = false);

}  // namespace marvolet
