// The configuration dialog's decisions, apart from the window system that shows it.
#pragma once

#include <cstdint>

#include "host/saver_settings.h"
#include "host/settings_store.h"

namespace marvolet {

constexpr int32_t kConfigDialogId = 104;
constexpr int32_t kStarsBox = 1001;
constexpr int32_t kLightEffectsBox = 1002;
constexpr int32_t kTrailsBox = 1003;
constexpr int32_t kBurnInGuardBox = 1004;
constexpr int32_t kMainMonitorOnlyBox = 1005;
constexpr int32_t kBatteryPaceBox = 1006;
constexpr uint32_t kDialogOk = 1;      // IDOK, and the dialog's result after it
constexpr uint32_t kDialogCancel = 2;  // IDCANCEL (also Escape and the close box)

// Check-box access supplied by the window system; `context` is passed through untouched.
// States are the platform's: 0 unchecked, 1 checked, 2 indeterminate, or whatever was set.
using CheckBoxWriter = void (*)(void* context, int32_t controlId, uint32_t state);
using CheckBoxReader = uint32_t (*)(void* context, int32_t controlId);

// Sets the boxes from the options, each stored number handed over unchanged.
void initConfigDialog(const SaverSettings& settings, CheckBoxWriter write, void* context);

// Handles a command whose control id is `commandId`. OK reads the boxes in the order Stars,
// Light Effects, Trails, Burn-in guard, Main monitor only, Slower on battery, takes each option
// as 1 when its box is exactly checked and 0 otherwise, and saves them all. Cancel touches nothing.
// Returns the result to end the dialog with (1 or 2), or 0 when the dialog stays open.
uint32_t configDialogCommand(SaverSettings& settings, SettingsStore& store, uint32_t commandId,
                             CheckBoxReader read, void* context);

}  // namespace marvolet
