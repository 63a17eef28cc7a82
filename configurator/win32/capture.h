// The capture of running applications: the capture dialog
// ("実行中ｱﾌﾟﾘのｷｬﾌﾟﾁｬ") and a capture session that turns top-level windows
// into launch records. The rules (filter, record, merge) are the capture
// model's; this side reads the windows and their processes.
#pragma once
#include <windows.h>

#include <string>

#include "common/core/executant_record.h"
#include "common/win32/handles.h"

namespace bw {

// Runs the capture dialog on the option word. Returns IDC_CAP_BULK or
// IDC_CAP_MOUSE (with *options rebuilt from the controls) or IDCANCEL
// (*options unchanged).
int RunCaptureDialog(HWND owner, unsigned* options);

// One capture: a scratch list of new records of the tab's kind. With
// `messages` (a mouse pick) every refusal is shown; a bulk capture is silent.
class CaptureSession {
 public:
  CaptureSession(HWND owner, bool menu, unsigned options, bool messages);
  ~CaptureSession();
  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;

  // Takes what the platform needs before windows can be captured (a process
  // snapshot on the Windows 95 family); false when nothing can be captured.
  bool Prepare();
  // Filters one top-level window and, when accepted, appends its record.
  void Take(HWND window);
  // Every top-level window in the system's order.
  void TakeAll();
  bool Empty() const { return scratch_ == nullptr; }
  // Hands the scratch list over (the session no longer owns it).
  Executant* Release();

 private:
  void Say(const std::string& text) const;
  void SaySystemError() const;
  // The program file of a process; "" when none is found.
  std::string ModulePath(HANDLE process, DWORD processId) const;

  HWND owner_;
  bool menu_;
  unsigned options_;
  bool messages_;
  std::string ownProgram_;
  UniqueHandle snapshot_;
  Executant* scratch_ = nullptr;
};

}  // namespace bw
