// The hollow-button window (see button_window.h).
#include "checker/win32/button_window.h"

#include <windowsx.h>

#include "checker/win32/platform_query.h"
#include "platform/win32/wide_text.h"

namespace bw {
namespace {

// Flags of the topmost move that restores or lifts the button.
constexpr UINT kRaiseFlags =
    SWP_NOMOVE | SWP_NOSIZE | SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;

}  // namespace

WNDPROC ButtonWindow::buttonProcedure_ = nullptr;

LRESULT ButtonWindow::CallButton(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (buttonProcedure_) return CallWindowProcW(buttonProcedure_, window, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

// The object is in the window's user data once the window exists; what
// comes during creation is the plain button's business.
LRESULT CALLBACK ButtonWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  auto* self = reinterpret_cast<ButtonWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return CallButton(window, message, wParam, lParam);
  return self->OnMessage(message, wParam, lParam);
}

int ButtonWindow::Create(HINSTANCE instance, const char* className, const char* title, int x,
                         int y, int width, int height) {
  // A UTF-16 window: its face shows the Japanese texts whatever the
  // system's code page.
  const std::wstring classNameW = Wide(className);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(nullptr, L"BUTTON", &wc)) return -1;
  buttonProcedure_ = wc.lpfnWndProc;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = nullptr;
  wc.hIconSm = nullptr;
  wc.lpszClassName = classNameW.c_str();
  if (!RegisterClassExW(&wc)) return -1;

  window_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE,
                            classNameW.c_str(), Wide(title).c_str(),
                            WS_POPUP | WS_VISIBLE | WS_THICKFRAME | BS_PUSHLIKE | BS_MULTILINE |
                                BS_CENTER,
                            x, y, width, height, GetDesktopWindow(), nullptr, instance, nullptr);
  if (!window_) return -1;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowPos(window_, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  Measure();
  return 0;
}

void ButtonWindow::Measure() {
  RECT outer, client;
  GetWindowRect(window_, &outer);
  GetClientRect(window_, &client);
  width_ = outer.right - outer.left;
  height_ = outer.bottom - outer.top;
  stepX_ = width_ / 16;
  stepY_ = height_ / 16;
  frameX_ = (width_ - (client.right - client.left)) / 2;
  frameY_ = (height_ - (client.bottom - client.top)) / 2;
}

void ButtonWindow::SetFace(const std::string& text) { SetWindowTextW(window_, Wide(text).c_str()); }

void ButtonWindow::SetPressed(bool pressed) {
  SendMessageW(window_, BM_SETSTATE, pressed ? 1 : 0, 0);
}

// A region handed to SetWindowRgn belongs to the system from then on; the
// new one simply replaces the old.
void ButtonWindow::ReplaceRegion(HRGN newRegion) {
  region_ = newRegion;
  SetWindowRgn(window_, newRegion, TRUE);
}

void ButtonWindow::Bury(int animationMs) {
  buried_ = 1;
  animationMs_ = animationMs;
  if (animationMs > 0) {
    ArmTimer(kBuryTimerFirst, static_cast<unsigned>(animationMs));
  } else {
    BuildHollowFrame();
  }
}

void ButtonWindow::BuryAtOnce() {
  SetWindowRgn(window_, nullptr, TRUE);
  region_ = nullptr;
  buried_ = 1;
  BuildHollowFrame();
}

void ButtonWindow::BuildHollowFrame() {
  SetWindowPos(window_, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
  HRGN outer = CreateRectRgn(0, 0, width_, height_);
  HRGN inner = CreateRectRgn(frameX_ + 1, frameY_ + 1, width_ - frameX_ - 1,
                             height_ - frameY_ - 1);
  CombineRgn(outer, outer, inner, RGN_DIFF);
  DeleteObject(inner);
  ReplaceRegion(outer);
}

// Step `id` shows the ellipse inset by (id - kBuryTimerFirst - 2) steps; the
// last one gives way to the hollow frame.
void ButtonWindow::BuryStep(unsigned id) {
  const int k = static_cast<int>(id - kBuryTimerFirst) - 2;
  ReplaceRegion(CreateEllipticRgn(k * stepX_, k * stepY_, width_ - k * stepX_,
                                  height_ - k * stepY_));
  if (id < kBuryTimerLast) {
    ArmTimer(id + 1, static_cast<unsigned>(animationMs_ > 0 ? animationMs_ : 1));
  } else {
    BuildHollowFrame();
  }
}

void ButtonWindow::Restore() {
  buried_ = 0;
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, kRaiseFlags);
  ReplaceRegion(nullptr);
}

void ButtonWindow::ArmTimer(unsigned id, unsigned milliseconds) {
  SetTimer(window_, id, milliseconds, nullptr);
}

void ButtonWindow::KillTimer(unsigned id) { ::KillTimer(window_, id); }

int ButtonWindow::RemoveQueuedTimerMessages() {
  MSG msg;
  int removed = 0;
  while (PeekMessageW(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE)) ++removed;
  return removed;
}

bool ButtonWindow::Rectangle(int& left, int& top, int& width, int& height) const {
  RECT r;
  if (!GetWindowRect(window_, &r)) return false;
  left = r.left;
  top = r.top;
  width = r.right - r.left;
  height = r.bottom - r.top;
  return true;
}

void ButtonWindow::Destroy() {
  if (window_ && IsWindow(window_)) ::DestroyWindow(window_);
}

void ButtonWindow::Resized(int clientWidth, int clientHeight) {
  width_ = clientWidth + 2 * frameX_;
  height_ = clientHeight + 2 * frameY_;
  stepX_ = width_ / 16;
  stepY_ = height_ / 16;
}

// The bury animation's timers are the window's own; every other timer is
// the application's.
void ButtonWindow::OnTimer(unsigned id) {
  if (id >= kBuryTimerFirst && id <= kBuryTimerLast) {
    KillTimer(id);
    BuryStep(id);
  } else {
    events_.OnTimer(id);
  }
}

bool ButtonWindow::FollowDrag() {
  POINT cursor;
  if (GetCapture() != window_ || !GetCursorPos(&cursor)) return false;
  SetWindowPos(window_, nullptr, cursor.x - dragOffsetX_, cursor.y - dragOffsetY_, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER |
                   SWP_NOSENDCHANGING);
  return true;
}

void ButtonWindow::StartDrag(LPARAM lParam) {
  dragOffsetX_ = GET_X_LPARAM(lParam) + frameX_;
  dragOffsetY_ = GET_Y_LPARAM(lParam) + frameY_;
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
  ReplaceRegion(nullptr);
  SetFace(events_.FaceText());
}

void ButtonWindow::OpenPopupMenu() {
  if (!events_.HasPopupMenu()) return;
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, kRaiseFlags);
  ReplaceRegion(nullptr);
  events_.ShowPopupMenu();
}

// Most messages end with the working-set trim and the system button's own
// handling; the mouse is ignored while a dialog of the application is open.
// The button procedure captures the mouse on a left-button press, so a drag
// is every mouse move while that capture lasts.
LRESULT ButtonWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Resized(LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_CLOSE:
      events_.OnClose();
      return 0;
    case WM_QUIT:
      events_.OnQuitMessage();
      break;
    case WM_POWERBROADCAST:
      events_.OnPowerBroadcast(wParam);
      return TRUE;
    case WM_QUERYENDSESSION:
      // The session may end: nothing here needs asking first.
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) events_.OnEndSession();
      return 0;
    case kAddressChangedMessage:
      events_.OnAddressChange();
      return 0;
    case kPushReadableMessage:
      events_.OnPushReadable(wParam);
      return 0;
    case WM_SETCURSOR: {
      const UINT mouse = HIWORD(lParam);
      if (buried_ && (mouse == WM_LBUTTONDOWN || mouse == WM_MBUTTONDOWN || mouse == WM_RBUTTONDOWN)) {
        Restore();
        SetFace(events_.FaceText());
      }
      break;
    }
    case WM_COMMAND:
      if (!events_.OnCommand(wParam)) {
        TrimWorkingSet();
        return 0;
      }
      break;
    case WM_TIMER:
      OnTimer(static_cast<unsigned>(wParam));
      break;
    case WM_CTLCOLORBTN:
      break;
    case WM_MOUSEMOVE:
      if (events_.DialogOpen()) return 0;
      if (FollowDrag()) {
        TrimWorkingSet();
        return 0;
      }
      return CallButton(window_, message, wParam, lParam);
    case WM_LBUTTONDOWN:
      if (events_.DialogOpen()) return 0;
      StartDrag(lParam);
      break;
    case WM_RBUTTONDOWN:
      if (events_.DialogOpen()) return 0;
      OpenPopupMenu();
      break;
    default:
      if (message >= WM_APP && message <= 0xBFFF && events_.OnAppMessage(message, wParam, lParam)) {
        TrimWorkingSet();
        return 0;
      }
      return CallButton(window_, message, wParam, lParam);
  }
  TrimWorkingSet();
  return CallButton(window_, message, wParam, lParam);
}

}  // namespace bw
