// Where the fetched headers show on the screen: the list window of new
// mail, the button's tooltip and the notification-area icon with its
// balloon. Every text crosses to Windows as UTF-16 through the W
// functions, so that a subject with an emoji or Hangul shows as it came.
#pragma once
#include <windows.h>

#include <string>

#include "checker/core/new_mail_list.h"

namespace bw {

// The window "新着ﾒｰﾙ一覧": a list view with the columns 接続先, 差出人,
// 件名 and 日時, newest first. It exists while it is open; closing it
// destroys it.
class NewMailWindow {
 public:
  NewMailWindow() = default;
  NewMailWindow(const NewMailWindow&) = delete;
  NewMailWindow& operator=(const NewMailWindow&) = delete;
  ~NewMailWindow();

  // Opens the window (or brings it to the front) showing `list`.
  void Open(HINSTANCE instance, const NewMailList& list);
  // Shows `list` again when the window is open.
  void Refresh(const NewMailList& list);
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  HWND listView_ = nullptr;
};

// The tooltip of the button: the newest three as "差出人 - 件名".
class ButtonTooltip {
 public:
  ButtonTooltip() = default;
  ButtonTooltip(const ButtonTooltip&) = delete;
  ButtonTooltip& operator=(const ButtonTooltip&) = delete;
  ~ButtonTooltip();
  void Attach(HWND button);
  // An empty text shows no tooltip.
  void SetText(const std::u16string& text);

 private:
  HWND tooltip_ = nullptr;
  HWND button_ = nullptr;
  std::wstring text_;
};

// The icon in the notification area (NotifyNewMail): its clicks come to
// `owner` as `callbackMessage` with the mouse or balloon event in lParam.
class NotifyIcon {
 public:
  NotifyIcon() = default;
  NotifyIcon(const NotifyIcon&) = delete;
  NotifyIcon& operator=(const NotifyIcon&) = delete;
  ~NotifyIcon() { Remove(); }
  bool Add(HWND owner, UINT callbackMessage, HICON icon, const std::u16string& tip);
  // A balloon (a toast on Windows 10 and 11) with a title and a text.
  void Balloon(const std::u16string& title, const std::u16string& text);
  void Remove();
  bool Shown() const { return owner_ != nullptr; }

 private:
  HWND owner_ = nullptr;
};

}  // namespace bw
