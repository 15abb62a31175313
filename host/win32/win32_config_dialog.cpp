// Dialog procedure of the configuration dialog (resource 104).
#include "host/config_dialog.h"
#include "host/win32/win32_host.h"
#include "host/win32/win32_registry_store.h"

namespace marvolet {
namespace {

std::wstring wide(const std::string& text) {
  std::wstring result;
  utf16FromUtf8(text, &result);
  return result;
}

// The dialog's own controls: check boxes, edit boxes and drop-down lists.
class Win32DialogControls : public DialogControls {
 public:
  explicit Win32DialogControls(HWND dialog) : dialog_(dialog) {}

  void setState(int32_t id, uint32_t state) override {
    if (isDropDown(id)) {
      SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, state, 0);
    } else {
      CheckDlgButton(dialog_, id, state);
    }
  }
  uint32_t state(int32_t id) override {
    if (isDropDown(id)) {
      return static_cast<uint32_t>(SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0));
    }
    return IsDlgButtonChecked(dialog_, id);
  }
  void setText(int32_t id, const std::string& text) override {
    SetDlgItemTextW(dialog_, id, wide(text).c_str());
  }
  std::string text(int32_t id) override {
    // Longer than any row allows, so that an over-long entry is seen as such, not cut.
    wchar_t buffer[4096] = {};
    GetDlgItemTextW(dialog_, id, buffer, sizeof buffer / sizeof buffer[0]);
    std::string result;
    if (!utf8FromUtf16(buffer, &result)) result.assign(1, '\x01');  // no row accepts it
    return result;
  }

 private:
  bool isDropDown(int32_t id) const {
    wchar_t className[16] = {};
    GetClassNameW(GetDlgItem(dialog_, id), className, 16);
    return lstrcmpiW(className, L"ComboBox") == 0;
  }

  HWND dialog_;
};

// A drop-down list's items come from its row, in the order of the row's names, so that an
// item's index is the choice's.
void fillChoiceLists(HWND dialog) {
  for (const OptionRow& row : saverOptionTable()) {
    if (row.kind != OptionKind::Choice || row.controlId == 0) continue;
    for (size_t i = 0; row.choices[i] != nullptr; ++i) {
      SendDlgItemMessageW(dialog, row.controlId, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(wide(choiceLabel(row, i)).c_str()));
    }
  }
}

}  // namespace

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  // The settings come with WM_INITDIALOG and stay with the dialog for its later messages.
  auto* settings = reinterpret_cast<SaverSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      settings = reinterpret_cast<SaverSettings*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      fillChoiceLists(dialog);
      Win32DialogControls controls(dialog);
      showOptions(settings->options, controls);
      return TRUE;  // the platform sets the default focus
    }
    case WM_COMMAND: {
      if (settings == nullptr) return FALSE;
      Win32RegistryStore registry;
      Win32DialogControls controls(dialog);
      const DialogOutcome outcome =
          configDialogCommand(*settings, registry, LOWORD(wParam), controls);
      if (!outcome.problem.empty()) {
        // The dialog stays open, so the user can try again or cancel.
        MessageBoxW(dialog, wide("The settings were not saved: " + outcome.problem).c_str(),
                    L"Marvolet", MB_OK | MB_ICONWARNING);
      }
      if (outcome.endWith != 0) EndDialog(dialog, outcome.endWith);
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace marvolet
