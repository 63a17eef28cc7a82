// The main window's capture command: the capture dialog, the bulk capture
// and the mouse pick, and the merge of what was captured into the list of
// the current tab.
#include "configurator/win32/main_window.h"

#include "configurator/core/main_rules.h"
#include "configurator/models/capture_model.h"
#include "configurator/win32/capture.h"
#include "configurator/win32/knobset_box.h"

namespace bw {
namespace {

// The timer that watches the mouse buttons during a pick.
constexpr UINT_PTR kPickTimer = 0x5049;

// Only the button's present state: the "pressed since the last look" bit
// is not kept alike on every system. The timer looks often enough for a
// hand's click.
bool ButtonDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

}  // namespace

void MainWindow::Capture() {
  if (tab_ != kTabMenu && tab_ != kTabAutoExec) return;
  const int how = RunCaptureDialog(Handle(), &captureOptions_);
  if (how == IDC_CAP_BULK) {
    CaptureSession session(Handle(), tab_ == kTabMenu, captureOptions_, false);
    if (session.Prepare()) session.TakeAll();
    if (session.Empty()) {
      KnobsetBox(Handle(), kCaptureNothingFoundMessage, MB_OK | MB_ICONINFORMATION);
      return;
    }
    MergeCapture(session.Release());
  } else if (how == IDC_CAP_MOUSE) {
    // The next click anywhere on the screen comes to this hidden window.
    // Hiding activates some other window; the capture routes the mouse only
    // while this thread has the foreground, so that is taken back first.
    ShowWindow(Handle(), SW_HIDE);
    SetForegroundWindow(Handle());
    SetFocus(Handle());
    SetCapture(Handle());
    picking_ = true;
    // Where the system hands a capture only the clicks over this program's
    // own windows, clicks over other programs are seen by watching the
    // buttons' state. A button held when the pick starts counts only once
    // it has been let go.
    pickArmed_ = !ButtonDown(VK_LBUTTON) && !ButtonDown(VK_RBUTTON);
    SetTimer(Handle(), kPickTimer, 10, nullptr);
  }
}

void MainWindow::EndPick(bool take) {
  picking_ = false;
  KillTimer(Handle(), kPickTimer);
  ReleaseCapture();
  HWND picked = nullptr;
  if (take) {
    POINT at;
    if (!GetCursorPos(&at)) {
      ShowWindow(Handle(), SW_SHOW);
      KnobsetBox(Handle(), kCaptureNoCursorMessage, MB_OK | MB_ICONEXCLAMATION);
      UpdateEnabling();
      return;
    }
    // A click on a control captures the top-level window holding it.
    picked = WindowFromPoint(at);
    if (picked) picked = GetAncestor(picked, GA_ROOT);
  }
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  if (take && !picked) KnobsetBox(Handle(), kCaptureNoWindowMessage, MB_OK | MB_ICONEXCLAMATION);
  if (take && picked) {
    CaptureSession session(Handle(), tab_ == kTabMenu, captureOptions_, true);
    if (session.Prepare()) session.Take(picked);
    if (!session.Empty()) {
      MergeCapture(session.Release());
      return;
    }
  }
  UpdateEnabling();
}

void MainWindow::MergeCapture(Executant* scratch) {
  CaptureMerge merge;
  if (tab_ == kTabMenu) {
    merge = MergeCaptured(controller_->menuHead, static_cast<MenuExecutant*>(scratch),
                          captureOptions_);
  } else {
    merge = MergeCaptured(controller_->autoExecHead, scratch, captureOptions_);
  }
  Rebuild();
  UpdateEnabling();
  if (merge.changed) dirty_ = true;
  if (!merge.message.empty()) KnobsetBox(Handle(), merge.message, MB_OK | MB_ICONINFORMATION);
}

bool MainWindow::OnPickMessage(UINT message, WPARAM wParam) {
  if (!picking_) return false;
  switch (message) {
    case WM_TIMER: {
      if (wParam != kPickTimer) return false;
      const bool left = ButtonDown(VK_LBUTTON), right = ButtonDown(VK_RBUTTON);
      if (!pickArmed_) {
        pickArmed_ = !left && !right;
      } else if (left || right) {
        EndPick(left);
      }
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
      EndPick(true);
      return true;
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      EndPick(false);
      return true;
    case WM_CAPTURECHANGED:
      // Someone else took the mouse: the pick ends as cancelled.
      // Losing the capture does not end the pick: the hook still brings
      // the click.
      return false;
    default:
      return false;
  }
}

}  // namespace bw
