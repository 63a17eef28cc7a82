// The hollow-button window: a superclass of the system button, its face
// text, the bury animation, the hollow frame, restoring and dragging.
#include <windowsx.h>

#include "checker/core/display_values.h"
#include "checker/win32/checker_application.h"
#include "checker/win32/platform_query.h"

namespace bw {
namespace {

WNDPROC g_buttonProcedure = nullptr;

// Flags of the topmost move that restores or lifts the button.
constexpr UINT kRaiseFlags =
    SWP_NOMOVE | SWP_NOSIZE | SWP_NOCOPYBITS | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;

CheckerApplication* ApplicationOf(HWND window) {
  return reinterpret_cast<CheckerApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CallButton(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_buttonProcedure) return CallWindowProcA(g_buttonProcedure, window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK CheckerWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CheckerApplication* app = ApplicationOf(window);
  if (!app) return CallButton(window, message, wParam, lParam);
  return app->WindowProcedure(window, message, wParam, lParam);
}

}  // namespace

int CheckerApplication::CreateMainWindow() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExA(nullptr, "BUTTON", &wc)) return -1;
  g_buttonProcedure = wc.lpfnWndProc;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = CheckerWindowProcedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = nullptr;
  wc.hIconSm = nullptr;
  wc.lpszClassName = className.c_str();
  if (!RegisterClassExA(&wc)) return -1;

  if (windowWidthSetting < 16) windowWidthSetting = 32;
  if (windowHeightSetting < 16) windowHeightSetting = 32;
  window = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE,
                           className.c_str(), windowName.c_str(),
                           WS_POPUP | WS_VISIBLE | WS_THICKFRAME | BS_PUSHLIKE | BS_MULTILINE |
                               BS_CENTER,
                           windowX, windowY, windowWidthSetting, windowHeightSetting,
                           GetDesktopWindow(), nullptr, instance, nullptr);
  if (!window) return -1;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  Measure();
  return 0;
}

void CheckerApplication::Measure() {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  windowWidth = outer.right - outer.left;
  windowHeight = outer.bottom - outer.top;
  stepX = windowWidth / 16;
  stepY = windowHeight / 16;
  frameX = (windowWidth - (client.right - client.left)) / 2;
  frameY = (windowHeight - (client.bottom - client.top)) / 2;
}

void CheckerApplication::ShowFace(Pop3Checker* connecting) {
  std::string text = connecting ? ConnectingFaceText(connecting->ConnectionName)
                                : BuildDisplayValue(*this, "CP");
  SetWindowTextA(window, text.c_str());
}

// A region handed to SetWindowRgn belongs to the system from then on; the
// new one simply replaces the old.
void CheckerApplication::ReplaceRegion(HRGN newRegion) {
  region = newRegion;
  SetWindowRgn(window, newRegion, TRUE);
}

void CheckerApplication::StartBurying() {
  buried = 1;
  if (AnimateTimer > 0) {
    ArmTimer(10000, static_cast<unsigned>(AnimateTimer));
  } else {
    BuildHollowFrame();
  }
}

void CheckerApplication::BuildHollowFrame() {
  SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
  HRGN outer = CreateRectRgn(0, 0, windowWidth, windowHeight);
  HRGN inner = CreateRectRgn(frameX + 1, frameY + 1, windowWidth - frameX - 1,
                             windowHeight - frameY - 1);
  CombineRgn(outer, outer, inner, RGN_DIFF);
  DeleteObject(inner);
  ReplaceRegion(outer);
}

void CheckerApplication::BuryStep(unsigned id) {
  const int k = static_cast<int>(id) - 10002;
  ReplaceRegion(CreateEllipticRgn(k * stepX, k * stepY, windowWidth - k * stepX,
                                  windowHeight - k * stepY));
  if (id < 10010) {
    ArmTimer(id + 1, static_cast<unsigned>(AnimateTimer > 0 ? AnimateTimer : 1));
  } else {
    BuildHollowFrame();
  }
}

void CheckerApplication::Restore() {
  buried = 0;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kRaiseFlags);
  ReplaceRegion(nullptr);
}

LRESULT CheckerApplication::WindowProcedure(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      windowWidth = LOWORD(lParam) + 2 * frameX;
      windowHeight = HIWORD(lParam) + 2 * frameY;
      stepX = windowWidth / 16;
      stepY = windowHeight / 16;
      break;
    case WM_CLOSE:
      cycle_->OnClose();
      return 0;
    case WM_QUIT:
      cycle_->OnQuitMessage();
      break;
    case WM_SETCURSOR: {
      const UINT mouse = HIWORD(lParam);
      if (buried && (mouse == WM_LBUTTONDOWN || mouse == WM_MBUTTONDOWN || mouse == WM_RBUTTONDOWN)) {
        Restore();
        ShowFace(nullptr);
      }
      break;
    }
    case WM_COMMAND:
      if (!MenuCommand(wParam)) {
        Trim();
        return 0;
      }
      break;
    case WM_TIMER:
      cycle_->OnTimer(static_cast<unsigned>(wParam));
      break;
    case WM_CTLCOLORBTN:
      break;
    case WM_MOUSEMOVE: {
      if (dialogOpen) return 0;
      POINT cursor;
      if (GetCapture() == w && GetCursorPos(&cursor)) {
        SetWindowPos(w, nullptr, cursor.x - dragOffsetX, cursor.y - dragOffsetY, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER |
                         SWP_NOSENDCHANGING);
        Trim();
        return 0;
      }
      return CallButton(w, message, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
      if (dialogOpen) return 0;
      dragOffsetX = GET_X_LPARAM(lParam) + frameX;
      dragOffsetY = GET_Y_LPARAM(lParam) + frameY;
      SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
      ReplaceRegion(nullptr);
      ShowFace(nullptr);
      break;
    case WM_RBUTTONDOWN:
      if (dialogOpen) return 0;
      if (popupMenu) {
        SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, kRaiseFlags);
        ReplaceRegion(nullptr);
        HMENU popup = GetSubMenu(popupMenu, 0);
        PreparePopupMenu(popup);
        SetForegroundWindow(w);
        POINT cursor{};
        GetCursorPos(&cursor);
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, w, nullptr);
      }
      break;
    default:
      return CallButton(w, message, wParam, lParam);
  }
  Trim();
  return CallButton(w, message, wParam, lParam);
}

}  // namespace bw
