// What the hollow-button window hands on to the application that runs it:
// menu commands, the cycle's timers, closing, the face text and the popup
// menu. The window keeps its looks to itself and knows the application only
// through this interface. Every call is made on the window's thread, from
// inside its window procedure.
#pragma once
#include <windows.h>

#include <string>

namespace bw {

class ButtonEvents {
 public:
  virtual ~ButtonEvents() = default;
  // A WM_COMMAND with its whole wParam. False when the exit command was
  // answered No: the window procedure then returns at once.
  virtual bool OnCommand(WPARAM command) = 0;
  // A timer that is not the window's own bury animation fired.
  virtual void OnTimer(unsigned id) = 0;
  // Another checker or the configurator asked the window to close.
  virtual void OnClose() = 0;
  // A quit request was delivered to the window itself.
  virtual void OnQuitMessage() = 0;
  // WM_POWERBROADCAST with its event (PBT_...).
  virtual void OnPowerBroadcast(WPARAM event) = 0;
  // Windows ends the session (sign-out, shutdown): the program must be done
  // by the time this returns.
  virtual void OnEndSession() = 0;
  // The machine's address list changed.
  virtual void OnAddressChange() = 0;
  // An idling account's connection (its socket in `socket`) has something
  // to read.
  virtual void OnPushReadable(WPARAM socket) = 0;
  // The face the button shows when no account is being checked.
  virtual std::string FaceText() const = 0;
  // A dialog of the application is open: clicks and drags are ignored.
  virtual bool DialogOpen() const = 0;
  // The popup menu was loaded, so a right click can show it.
  virtual bool HasPopupMenu() const = 0;
  // Prepares the popup menu and shows it at the cursor, owned by the window.
  virtual void ShowPopupMenu() = 0;
  // A message of the application's own range (WM_APP and above) came to
  // the window; true when it was handled.
  virtual bool OnAppMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)message, (void)wParam, (void)lParam;
    return false;
  }
};

}  // namespace bw
