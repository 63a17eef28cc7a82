// The capture of running applications: the capture dialog
// ("実行中ｱﾌﾟﾘのｷｬﾌﾟﾁｬ"), a capture session that turns top-level windows
// into launch records, and the pick of one window by pointing. The rules
// (filter, record, merge) are the capture model's; this side reads the
// windows and their processes.
#pragma once
#include <windows.h>

#include <string>

#include "common/core/executant_record.h"
#include "configurator/ids/capture_dialog_ids.h"
#include "platform/win32/handles.h"

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

// The pick of one window by pointing. The window hides and holds the mouse;
// a timer watches the buttons as well, since where the system hands a
// capture only the clicks over this program's own windows, clicks over
// other programs are seen only in the buttons' state.
class MousePick {
 public:
  enum Outcome { kGoesOn, kTake, kCancel };
  // Hides `window` and starts the pick on it.
  void Start(HWND window);
  // Ends the pick: the timer stops and the mouse is let go.
  void Stop(HWND window);
  // A message to the window; true when it is the running pick's. *outcome
  // tells whether the pick ends on it: a left click takes, a right click
  // cancels.
  bool OnMessage(UINT message, WPARAM wParam, Outcome* outcome);

 private:
  bool running_ = false;
  bool armed_ = false;  // no button was down since the pick started
};

}  // namespace bw
