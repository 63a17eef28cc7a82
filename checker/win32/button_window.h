// The hollow-button window: a superclass of the system button showing the
// checker's face. It owns its looks: the face text, burying (the animated
// ellipse on timers of its own, then the hollow frame), restoring and
// dragging. Commands, the cycle's timers, closing and the popup menu go to
// the application through ButtonEvents.
#pragma once
#include <windows.h>

#include <string>

#include "checker/win32/button_events.h"

namespace bw {

// Timer ids of the bury animation, one per step; the cycle's ids are all
// below them.
enum : unsigned {
  kBuryTimerFirst = 10000,
  kBuryTimerLast = 10010,
};

// Posted to the window when the machine's address list changes.
constexpr UINT kAddressChangedMessage = WM_APP + 1;
// Posted when the kept connection of an idling account has something to
// read; wParam is its socket.
constexpr UINT kPushReadableMessage = WM_APP + 2;
// The notification icon's clicks.
constexpr UINT kNotifyIconMessage = WM_APP + 3;

class ButtonWindow {
 public:
  explicit ButtonWindow(ButtonEvents& events) : events_(events) {}
  ButtonWindow(const ButtonWindow&) = delete;
  ButtonWindow& operator=(const ButtonWindow&) = delete;

  // Registers the class `className` and creates the window at x, y with
  // the given size; shown, at the bottom of the z-order. 0 or -1.
  int Create(HINSTANCE instance, const char* className, const char* title, int x, int y,
             int width, int height);
  HWND Handle() const { return window_; }

  void SetFace(const std::string& text);
  void SetPressed(bool pressed);

  // Into the desktop: with an animation period above 0 the ellipse shrinks
  // in steps of that period first, otherwise the hollow frame comes at once.
  void Bury(int animationMs);
  // Buried without animation, as at start-up.
  void BuryAtOnce();
  // Out of the desktop: whole again and topmost.
  void Restore();

  // The cycle's timers and the window rectangle.
  void ArmTimer(unsigned id, unsigned milliseconds);
  void KillTimer(unsigned id);
  int RemoveQueuedTimerMessages();
  bool Rectangle(int& left, int& top, int& width, int& height) const;
  void Destroy();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CallButton(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Measure();
  void ReplaceRegion(HRGN newRegion);
  void BuildHollowFrame();
  void BuryStep(unsigned id);
  void OnTimer(unsigned id);
  void Resized(int clientWidth, int clientHeight);
  // While the button holds the mouse capture: moves the window so that the
  // point grabbed stays under the cursor. False when no drag is going on.
  bool FollowDrag();
  // A left-button press: remembers where the window was grabbed and lifts
  // the whole button to the top.
  void StartDrag(LPARAM lParam);
  // A right-button press: the whole button on top, then the popup menu.
  void OpenPopupMenu();

  ButtonEvents& events_;
  HWND window_ = nullptr;
  // The system button's own procedure, which the superclass hands on to;
  // a property of the class, so it serves the messages that come before the
  // window knows its object too.
  static WNDPROC buttonProcedure_;
  HRGN region_ = nullptr;
  int width_ = 0, height_ = 0;
  int stepX_ = 0, stepY_ = 0;
  int frameX_ = 0, frameY_ = 0;
  int dragOffsetX_ = 0, dragOffsetY_ = 0;
  int buried_ = 0;
  int animationMs_ = 0;
};

}  // namespace bw
