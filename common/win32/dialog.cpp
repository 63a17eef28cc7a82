// The modal dialog base (see dialog.h).
#include "common/win32/dialog.h"

#include <vector>

namespace bw {

ModalDialog::ModalDialog(HINSTANCE instance, int templateId)
    : instance_(instance), templateId_(templateId) {}

INT_PTR ModalDialog::DoModal(HWND owner) {
  INT_PTR result = DialogBoxParamA(instance_, MAKEINTRESOURCEA(templateId_), owner, Procedure,
                                   reinterpret_cast<LPARAM>(this));
  dialog_ = nullptr;
  return result;
}

// The object rides in the dialog's user data from WM_INITDIALOG on; the
// few messages before it (WM_SETFONT) go to the system's handling.
INT_PTR CALLBACK ModalDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    reinterpret_cast<ModalDialog*>(lParam)->dialog_ = dialog;
  }
  auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  return self ? self->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInit() ? TRUE : FALSE;
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id == IDOK) {
      if (OnOK()) End(IDOK);
      return TRUE;
    }
    if (id == IDCANCEL) {
      if (OnCancel()) End(IDCANCEL);
      return TRUE;
    }
    return OnCommand(id, HIWORD(wParam)) ? TRUE : FALSE;
  }
  INT_PTR result = TRUE;
  return OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

void ModalDialog::End(INT_PTR result) {
  if (dialog_) EndDialog(dialog_, result);
}

HWND ModalDialog::Item(int id) const { return GetDlgItem(dialog_, id); }

LRESULT ModalDialog::SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendDlgItemMessageA(dialog_, id, message, wParam, lParam);
}

std::string ModalDialog::ItemText(int id) const {
  HWND item = Item(id);
  if (!item) return std::string();
  std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1, '\0');
  int n = GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void ModalDialog::SetItemText(int id, const std::string& text) {
  SetDlgItemTextA(dialog_, id, text.c_str());
}

int ModalDialog::ItemInt(int id, bool* ok) const {
  BOOL translated = FALSE;
  int value = static_cast<int>(GetDlgItemInt(dialog_, id, &translated, TRUE));
  if (ok) *ok = translated != FALSE;
  return value;
}

void ModalDialog::SetItemInt(int id, int value) {
  SetDlgItemInt(dialog_, id, static_cast<UINT>(value), TRUE);
}

bool ModalDialog::IsChecked(int id) const {
  return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

void ModalDialog::SetChecked(int id, bool checked) {
  CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void ModalDialog::EnableItem(int id, bool enabled) { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

}  // namespace bw
