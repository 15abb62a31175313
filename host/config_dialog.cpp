// Configuration dialog logic: which box shows which option and what OK and Cancel do.
#include "host/config_dialog.h"

namespace marvolet {
namespace {

struct OptionBox {
  int32_t controlId;
  int32_t SaverSettings::*option;
};

// In the order the boxes are read on OK.
constexpr OptionBox kOptionBoxes[] = {
    {kStarsBox, &SaverSettings::stars},
    {kLightEffectsBox, &SaverSettings::lightEffects},
    {kTrailsBox, &SaverSettings::trails},
    {kBurnInGuardBox, &SaverSettings::burnInGuard},
    {kMainMonitorOnlyBox, &SaverSettings::mainMonitorOnly},
    {kBatteryPaceBox, &SaverSettings::batteryPace},
};

}  // namespace

void initConfigDialog(const SaverSettings& settings, CheckBoxWriter write, void* context) {
  for (const OptionBox& box : kOptionBoxes) {
    write(context, box.controlId, static_cast<uint32_t>(settings.*box.option));
  }
}

uint32_t configDialogCommand(SaverSettings& settings, SettingsStore& store, uint32_t commandId,
                             CheckBoxReader read, void* context) {
  if (commandId == kDialogOk) {
    for (const OptionBox& box : kOptionBoxes) {
      settings.*box.option = read(context, box.controlId) == 1 ? 1 : 0;
    }
    settings.saveOptions(store);
    return kDialogOk;
  }
  if (commandId == kDialogCancel) return kDialogCancel;
  return 0;
}

}  // namespace marvolet
