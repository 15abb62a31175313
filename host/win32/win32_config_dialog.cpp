// Dialog procedure of the configuration dialog (resource 104), Unicode throughout so that a
// title or a file name in any script shows and is stored as typed.
#include <cstring>

#include "assets/text_file.h"
#include "assets/user_content.h"
#include "host/config_dialog.h"
#include "host/win32/win32_host.h"
#include "host/win32/win32_registry_store.h"

// After <windows.h>, which it needs.
#include <commdlg.h>

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

// The picker's filters: pairs of what the user reads and the patterns, each ended by a NUL.
constexpr wchar_t kTextFilter[] = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
constexpr wchar_t kPictureFilter[] =
    L"Pictures (*.jpg; *.jpeg; *.png)\0*.jpg;*.jpeg;*.png\0All files (*.*)\0*.*\0";

const FileRowControls* fileRowOf(int32_t controlId) {
  for (const FileRowControls& file : kFileRowControls) {
    if (controlId == file.browseId || controlId == file.builtInId) return &file;
  }
  return nullptr;
}

int32_t editOf(const FileRowControls& file) {
  const OptionTable& table = saverOptionTable();
  return table.rows[table.find(file.storedName)].controlId;
}

// The line under a file's box: what the saver would make of the file now.
void showGlimpse(HWND dialog, const FileRowControls& file, const std::string& path) {
  SetDlgItemTextW(dialog, file.glimpseId, wide(fileGlimpse(file.item, path)).c_str());
}

// The system's file picker over the dialog, starting at the file the box holds. The box changes
// only when the user picks a file; nothing is stored before OK.
void browse(HWND dialog, const FileRowControls& file) {
  Win32DialogControls controls(dialog);
  const int32_t edit = editOf(file);
  std::wstring current = wide(controls.text(edit));
  wchar_t path[4096] = {};
  if (current.size() < sizeof path / sizeof path[0]) {
    std::memcpy(path, current.c_str(), current.size() * sizeof(wchar_t));
  }
  OPENFILENAMEW open = {};
  open.lStructSize = sizeof open;
  open.hwndOwner = dialog;
  open.lpstrFilter = file.item == FileItem::Passage ? kTextFilter : kPictureFilter;
  open.nFilterIndex = 1;
  open.lpstrFile = path;
  open.nMaxFile = sizeof path / sizeof path[0];
  open.Flags =
      OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&open)) return;  // cancelled, or a path longer than any row keeps
  std::string chosen;
  if (!utf8FromUtf16(path, &chosen)) return;
  controls.setText(edit, chosen);
  showGlimpse(dialog, file, chosen);
}

void builtIn(HWND dialog, const FileRowControls& file) {
  Win32DialogControls(dialog).setText(editOf(file), std::string());
  showGlimpse(dialog, file, std::string());
}

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
  auto* settings = reinterpret_cast<SaverSettings*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      settings = reinterpret_cast<SaverSettings*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      fillChoiceLists(dialog);
      Win32DialogControls controls(dialog);
      // Code points of the title; a character beyond the first 65,536 counts twice here, so a
      // title that fits is never refused for its length when the saver reads it.
      SendDlgItemMessageW(dialog,
                          saverOptionTable().rows[saverOptionTable().find("Title")].controlId,
                          EM_LIMITTEXT, MaxTitleCharacters, 0);
      showOptions(settings->options, controls);
      for (const FileRowControls& file : kFileRowControls) {
        showGlimpse(dialog, file, settings->options.text(saverOptionTable().find(file.storedName)));
      }
      return TRUE;  // the platform sets the default focus
    }
    case WM_COMMAND: {
      if (settings == nullptr) return FALSE;
      if (const FileRowControls* file = fileRowOf(LOWORD(wParam))) {
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        if (LOWORD(wParam) == file->browseId) {
          browse(dialog, *file);
        } else {
          builtIn(dialog, *file);
        }
        return TRUE;
      }
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
