// Dialog base (see dialog.h).
#include "configurator/win32/dialog.h"

#include <vector>

namespace bw {

Dialog::~Dialog() {
  if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::RunModal(HWND owner, int templateId) {
  modal_ = true;
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                         Procedure, reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateChild(HWND parent, int templateId) {
  modal_ = false;
  return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
                            Procedure, reinterpret_cast<LPARAM>(this));
}

std::string Dialog::ItemText(int id) const {
  HWND item = Item(id);
  const int length = GetWindowTextLengthA(item);
  std::vector<char> buffer(static_cast<size_t>(length) + 2);
  const int n = GetWindowTextA(item, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void Dialog::SetItemText(int id, const std::string& text) { SetDlgItemTextA(hwnd_, id, text.c_str()); }

bool Dialog::OnCommand(int id, int, HWND) {
  if (id == IDOK) {
    OnOk();
    return true;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return true;
  }
  return false;
}

void Dialog::End(INT_PTR result) {
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    self->hwnd_ = window;
    return self->OnInit();
  }
  self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND:
      return self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!self->OnNotify(reinterpret_cast<NMHDR*>(lParam), &result)) return FALSE;
      SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_NCDESTROY:
      self->hwnd_ = nullptr;
      return FALSE;
    default: {
      INT_PTR result = 0;
      if (self->OnMessage(message, wParam, lParam, &result)) return result;
      return FALSE;
    }
  }
}

int KnobsetBox(HWND owner, const std::string& text, UINT style) {
  return MessageBoxA(owner, text.c_str(), "Knobset", style);
}

}  // namespace bw
