// Dialog procedure of the configuration dialog (resource 104).
#include "host/config_dialog.h"
#include "host/win32/win32_host.h"
#include "host/win32/win32_registry_store.h"

namespace marvolet {
namespace {

void writeBox(void* dialog, int32_t controlId, uint32_t state) {
  CheckDlgButton(static_cast<HWND>(dialog), controlId, state);
}

uint32_t readBox(void* dialog, int32_t controlId) {
  return IsDlgButtonChecked(static_cast<HWND>(dialog), controlId);
}

}  // namespace

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  // The settings come with WM_INITDIALOG and stay with the dialog for its later messages.
  auto* settings = reinterpret_cast<SaverSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      settings = reinterpret_cast<SaverSettings*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      initConfigDialog(*settings, writeBox, dialog);
      return TRUE;  // the platform sets the default focus
    case WM_COMMAND: {
      if (settings == nullptr) return FALSE;
      Win32RegistryStore registry;
      const uint32_t result =
          configDialogCommand(*settings, registry, LOWORD(wParam), readBox, dialog);
      if (result != 0) EndDialog(dialog, result);
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace marvolet
