// A small base for Knobset's dialogs: one object per dialog, the dialog
// procedure forwarding to virtual handlers, and helpers for control texts.
#pragma once
#include <windows.h>

#include <string>

namespace bw {

class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; the value given to End (or -1 on failure).
  INT_PTR RunModal(HWND owner, int templateId);
  // Creates the dialog as an embedded child page of `parent`.
  HWND CreateChild(HWND parent, int templateId);

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  bool Checked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
  void SetChecked(int id, bool checked) {
    CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  void Enable(int id, bool enabled) { EnableWindow(Item(id), enabled); }

 protected:
  // WM_INITDIALOG; TRUE lets the system set the focus.
  virtual BOOL OnInit() { return TRUE; }
  // WM_COMMAND; true when handled.
  virtual bool OnCommand(int id, int code, HWND control);
  // WM_NOTIFY; true when handled (with the result in *result).
  virtual bool OnNotify(NMHDR*, LRESULT*) { return false; }
  // Any other message; true when handled (with the result in *result).
  virtual bool OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }
  virtual void OnOk() { End(IDOK); }
  virtual void OnCancel() { End(IDCANCEL); }
  // Ends a modal dialog (a modeless one is destroyed).
  void End(INT_PTR result);

  HWND hwnd_ = nullptr;
  bool modal_ = false;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// Shows a message box owned by `owner` with Knobset's caption.
int KnobsetBox(HWND owner, const std::string& text, UINT style = MB_OK);

}  // namespace bw
