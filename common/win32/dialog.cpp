// The dialog base (see dialog.h).
#include "common/win32/dialog.h"

#include <vector>

#include "common/core/sjis.h"
#include "common/win32/help_topic.h"
#include "common/win32/process_start.h"
#include "platform/win32/wide_text.h"

namespace bw {

Dialog::Dialog(HINSTANCE instance, int templateId)
    : instance_(instance), templateId_(templateId) {}

Dialog::~Dialog() {
  if (dialog_ && modeless_) DestroyWindow(dialog_);
}

INT_PTR Dialog::DoModal(HWND owner) {
  modeless_ = false;
  INT_PTR result = DialogBoxParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, Procedure,
                                   reinterpret_cast<LPARAM>(this));
  dialog_ = nullptr;
  return result;
}

HWND Dialog::Create(HWND parent) {
  modeless_ = true;
  return CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), parent, Procedure,
                            reinterpret_cast<LPARAM>(this));
}

namespace {

// The first edit field (of the dialog or of a page in it) whose text
// Shift_JIS cannot hold, or none. Such text would be mangled on its way into
// the program, so it is refused before OnOK reads it.
BOOL CALLBACK FindUnholdableField(HWND window, LPARAM param) {
  wchar_t className[16];
  if (!GetClassNameW(window, className, 16) || lstrcmpiW(className, L"Edit") != 0) return TRUE;
  std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  int n = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  bool lossless = true;
  Narrow(text.data(), n > 0 ? static_cast<size_t>(n) : 0, &lossless);
  if (lossless) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

}  // namespace

bool FieldsHoldShiftJis(HWND dialog) {
  HWND field = nullptr;
  EnumChildWindows(dialog, FindUnholdableField, reinterpret_cast<LPARAM>(&field));
  if (!field) return true;
  std::string program = OwnProgramPath();
  program.erase(0, FileNameStart(program));
  program = program.substr(0, program.rfind('.'));
  const std::string message = std::string("この欄") + kNotShiftJisText;
  MessageBoxW(dialog, Wide(message).c_str(), Wide(program).c_str(), MB_OK | MB_ICONEXCLAMATION);
  SetFocus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
  return false;
}

// The object rides in the dialog's user data from WM_INITDIALOG on; the
// few messages before it (WM_SETFONT) go to the system's handling.
INT_PTR CALLBACK Dialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<Dialog*>(lParam)->dialog_ = dialog;
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self ? self->Dispatch(message, wParam, lParam) : FALSE;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInit() ? TRUE : FALSE;
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id == IDOK) {
      if (FieldsHoldShiftJis(dialog_) && OnOK()) End(IDOK);
      return TRUE;
    }
    if (id == IDCANCEL) {
      if (OnCancel()) End(IDCANCEL);
      return TRUE;
    }
    if (id == IDHELP && helpTopic_ && !OnCommand(id, HIWORD(wParam))) {
      OpenHelpTopic(dialog_, helpTopic_);
      return TRUE;
    }
    return OnCommand(id, HIWORD(wParam)) ? TRUE : FALSE;
  }
  if (message == WM_NOTIFY) {
    LRESULT result = 0;
    if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), &result)) return FALSE;
    SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, result);
    return TRUE;
  }
  if (message == WM_HELP && helpTopic_) {
    OpenHelpTopic(dialog_, helpTopic_);
    return TRUE;
  }
  if (message == WM_NCDESTROY) {
    ForgetHelpTopic(dialog_);
    // The last message a modeless dialog gets; its object may outlive it.
    dialog_ = nullptr;
    return FALSE;
  }
  INT_PTR result = TRUE;
  return OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

void Dialog::End(INT_PTR result) {
  if (!dialog_) return;
  if (modeless_) {
    DestroyWindow(dialog_);
  } else {
    EndDialog(dialog_, result);
  }
}

HWND Dialog::Item(int id) const { return GetDlgItem(dialog_, id); }

LRESULT Dialog::SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendDlgItemMessageW(dialog_, id, message, wParam, lParam);
}

std::string Dialog::ItemText(int id) const {
  HWND item = Item(id);
  if (!item) return std::string();
  std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  int n = GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
  return Narrow(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void Dialog::SetItemText(int id, const std::string& text) {
  SetWindowTextW(Item(id), Wide(text).c_str());
}

int Dialog::ItemInt(int id, bool* ok) const {
  BOOL translated = FALSE;
  int value = static_cast<int>(GetDlgItemInt(dialog_, id, &translated, TRUE));
  if (ok) *ok = translated != FALSE;
  return value;
}

void Dialog::SetItemInt(int id, int value) {
  SetDlgItemInt(dialog_, id, static_cast<UINT>(value), TRUE);
}

bool Dialog::IsChecked(int id) const {
  return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

void Dialog::SetChecked(int id, bool checked) {
  CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Dialog::EnableItem(int id, bool enabled) { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

}  // namespace bw
