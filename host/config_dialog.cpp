// Configuration dialog logic: which control shows which option and what OK and Cancel do.
#include "host/config_dialog.h"

namespace marvolet {

void showOptions(const OptionValues& values, DialogControls& controls) {
  const OptionTable& table = values.table();
  for (size_t i = 0; i < table.count; ++i) {
    const OptionRow& row = table.rows[i];
    if (row.controlId == 0) continue;
    switch (row.kind) {
      case OptionKind::Switch:
      case OptionKind::Choice:
        controls.setState(row.controlId, static_cast<uint32_t>(values.number(i)));
        break;
      case OptionKind::Number:
      case OptionKind::Text:
      case OptionKind::Path:
        controls.setText(row.controlId, values.words(i));
        break;
    }
  }
}

OptionValues readOptions(const OptionTable& table, DialogControls& controls) {
  return readOptions(OptionValues(table), controls);
}

OptionValues readOptions(const OptionValues& shown, DialogControls& controls) {
  OptionValues values = shown;
  const OptionTable& table = values.table();
  for (size_t i = 0; i < table.count; ++i) {
    const OptionRow& row = table.rows[i];
    if (row.controlId == 0) continue;
    switch (row.kind) {
      case OptionKind::Switch:
        values.setNumber(i, controls.state(row.controlId) == 1 ? 1 : 0);
        break;
      case OptionKind::Choice: {
        const uint32_t selected = controls.state(row.controlId);
        values.setNumber(i, selected > INT32_MAX ? -1 : static_cast<int32_t>(selected));
        break;
      }
      case OptionKind::Number:
      case OptionKind::Text:
      case OptionKind::Path:
        values.setFromWords(i, controls.text(row.controlId));
        break;
    }
  }
  return values;
}

DialogOutcome configDialogCommand(SaverSettings& settings, SettingsStore& store, uint32_t commandId,
                                  DialogControls& controls) {
  DialogOutcome outcome;
  if (commandId == kDialogOk) {
    SaverSettings chosen = settings;
    chosen.options = readOptions(settings.options, controls);
    if (!chosen.saveOptions(store, &outcome.problem)) return outcome;
    settings.options = chosen.options;
    settings.feedHostFields();
    outcome.endWith = kDialogOk;
  } else if (commandId == kDialogCancel) {
    outcome.endWith = kDialogCancel;
  }
  return outcome;
}

}  // namespace marvolet
