// A small base for dialogs made from a dialog template resource, for every
// dialog of both programs: modal ones, and modeless ones such as a page
// embedded in another dialog or a dialog serving as a program's main window.
//
// A dialog class derives from Dialog, keeps its own data as members,
// fills its controls in OnInit, reads them back in OnOK and handles its
// other buttons in OnCommand. The caller sets the data, runs DoModal and,
// on IDOK, reads the data back:
//
//   class NameDialog : public Dialog {
//    public:
//     NameDialog(HINSTANCE instance, std::string name)
//         : Dialog(instance, IDD_NAME), name(std::move(name)) {}
//     std::string name;
//
//    protected:
//     bool OnInit() override {
//       SetItemText(IDC_NAME, name);
//       return true;
//     }
//     bool OnOK() override {
//       name = ItemText(IDC_NAME);
//       return !name.empty();  // false keeps the dialog open
//     }
//   };
//
//   NameDialog dialog(instance, current);
//   if (dialog.DoModal(owner) == IDOK) current = dialog.name;
#pragma once
#include <windows.h>

#include <string>

namespace bw {

class Dialog {
 public:
  Dialog(HINSTANCE instance, int templateId);
  // A modeless dialog still open goes with its object.
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Shows the dialog, owned by `owner` (may be none), and returns when it
  // has ended: the result given to End (IDOK, IDCANCEL or another), or -1
  // when the dialog could not be created.
  INT_PTR DoModal(HWND owner);
  // Creates the dialog modeless: a child page when its template has the
  // WS_CHILD style (then `parent` is the dialog it sits in), otherwise a
  // window of its own owned by `parent` (may be none). The caller's message
  // loop feeds it through IsDialogMessage. Returns the dialog, or none when
  // it could not be created.
  HWND Create(HWND parent);

  // The running dialog (none before it is made and after it has ended) and
  // its program instance.
  HWND Handle() const { return dialog_; }
  HINSTANCE Instance() const { return instance_; }

  // Control helpers; `id` is the control's id in the template. Public so
  // that a dialog can reach the controls of the pages it holds.
  HWND Item(int id) const;
  LRESULT SendItem(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  // The control's text as a signed decimal number; `ok` tells whether it
  // was one.
  int ItemInt(int id, bool* ok = nullptr) const;
  void SetItemInt(int id, int value);
  bool IsChecked(int id) const;
  void SetChecked(int id, bool checked);
  void EnableItem(int id, bool enabled);

  // This dialog's page of the help ("options-dialog.html"): F1 and a button
  // with the id IDHELP open it. A page inside another dialog without one of
  // its own leaves F1 to the dialog it sits in.
  void SetHelpTopic(const char* topic) { helpTopic_ = topic; }

 protected:
  // WM_INITDIALOG: fill the controls. True lets the system put the focus on
  // the first control; false when OnInit set the focus itself.
  virtual bool OnInit() { return true; }
  // The IDOK command (the OK button, Enter): read the controls back. True
  // ends the dialog with IDOK; false keeps it open (after telling the user
  // what is wrong).
  virtual bool OnOK() { return true; }
  // The IDCANCEL command (Cancel, Esc, the close box). True ends the dialog
  // with IDCANCEL.
  virtual bool OnCancel() { return true; }
  // Any other WM_COMMAND, as the control id and the notification code.
  // True when handled.
  virtual bool OnCommand(int id, int code) {
    (void)id;
    (void)code;
    return false;
  }
  // WM_NOTIFY from a control. True when handled; then `*result` is the
  // notification's answer (0 unless set otherwise).
  virtual bool OnNotify(NMHDR* header, LRESULT* result) {
    (void)header;
    (void)result;
    return false;
  }
  // Any other message (WM_TIMER, WM_SYSCOMMAND, ...). True when handled; then
  // `result` is the dialog procedure's answer (TRUE unless set otherwise).
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    (void)message;
    (void)wParam;
    (void)lParam;
    (void)result;
    return false;
  }

  // Ends the dialog: DoModal returns `result`; a modeless dialog is
  // destroyed.
  void End(INT_PTR result);

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  int templateId_;
  HWND dialog_ = nullptr;
  bool modeless_ = false;
  const char* helpTopic_ = nullptr;
};

// True when Shift_JIS holds the text of every edit field in `dialog` (and
// the pages in it). Otherwise tells the user in a box captioned with the
// program's name, puts the focus on the first such field and answers false.
// IDOK checks this before OnOK; a dialog that reads its fields elsewhere
// asks it itself.
bool FieldsHoldShiftJis(HWND dialog);

}  // namespace bw
