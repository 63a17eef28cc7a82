// The main window's capture command: the capture dialog, the bulk capture
// and the mouse pick, and the merge of what was captured into the list of
// the current tab.
#include "configurator/win32/main_window.h"

#include "configurator/core/main_tabs.h"
#include "configurator/core/capture_model.h"
#include "configurator/win32/capture.h"
#include "configurator/win32/knobset_box.h"

namespace bw {

bool MainWindow::CapturesMenus() const { return DescribeTab(tab_).capture == TabCapture::kMenu; }

void MainWindow::Capture() {
  if (DescribeTab(tab_).capture == TabCapture::kNone) return;
  const int how = RunCaptureDialog(Handle(), &captureOptions_);
  if (how == IDC_CAP_BULK) {
    CaptureSession session(Handle(), CapturesMenus(), captureOptions_, false);
    if (session.Prepare()) session.TakeAll();
    if (session.Empty()) {
      KnobsetBox(Handle(), kCaptureNothingFoundMessage, MB_OK | MB_ICONINFORMATION);
      return;
    }
    MergeCapture(session.Release());
  } else if (how == IDC_CAP_MOUSE) {
    pick_.Start(Handle());
  }
}

void MainWindow::EndPick(bool take) {
  pick_.Stop(Handle());
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
    CaptureSession session(Handle(), CapturesMenus(), captureOptions_, true);
    if (session.Prepare()) session.Take(picked);
    if (!session.Empty()) {
      MergeCapture(session.Release());
      return;
    }
  }
  UpdateEnabling();
}

void MainWindow::MergeCapture(Executant* scratch) {
  // Both application lists hold Executant rings.
  Executant* head = static_cast<Executant*>(Head());
  const CaptureMerge merge = MergeCapturedRing(head, scratch, captureOptions_);
  SetHead(head);
  Rebuild();
  UpdateEnabling();
  if (merge.changed) dirty_ = true;
  if (!merge.message.empty()) KnobsetBox(Handle(), merge.message, MB_OK | MB_ICONINFORMATION);
}

}  // namespace bw
