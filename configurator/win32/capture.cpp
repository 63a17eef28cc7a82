// The capture dialog and the capture session (see capture.h).
#include "configurator/win32/capture.h"

#include <tlhelp32.h>

#include <vector>

#include "platform/platform_family.h"
#include "common/core/ring_list.h"
#include "platform/win32/handles.h"
#include "platform/win32/process_names.h"
#include "platform/win32/system_error.h"
#include "platform/win32/system_libraries.h"
#include "platform/win32/wide_text.h"
#include "configurator/core/record_list.h"
#include "configurator/core/capture_model.h"
#include "common/win32/dialog.h"
#include "configurator/win32/knobset_box.h"
#include "configurator/win32/main_paths.h"
#include "configurator/ids/capture_dialog_ids.h"

namespace bw {
namespace {

struct BoxBit {
  int id;
  bool CaptureDialogFields::*field;
};
const BoxBit kBoxes[] = {
    {IDC_CAP_SKIP_LISTED, &CaptureDialogFields::skipListed},
    {IDC_CAP_SKIP_SELF, &CaptureDialogFields::skipSelf},
    {IDC_CAP_SKIP_PROGMAN, &CaptureDialogFields::skipProgman},
    {IDC_CAP_PRIORITY, &CaptureDialogFields::capturePriority},
    {IDC_CAP_SIZE, &CaptureDialogFields::captureSize},
    {IDC_CAP_MINIMIZED, &CaptureDialogFields::acceptMinimized},
    {IDC_CAP_DISABLED, &CaptureDialogFields::acceptDisabled},
    {IDC_CAP_ZERO_SIZE, &CaptureDialogFields::acceptZeroSize},
    {IDC_CAP_UNTITLED, &CaptureDialogFields::acceptUntitled},
};

class CaptureDialog : public Dialog {
 public:
  explicit CaptureDialog(unsigned* options)
      : Dialog(GetModuleHandleW(nullptr), IDD_CAPTURE), options_(options) {
    SetHelpTopic("capture-dialog.html");
  }

 protected:
  bool OnInit() override {
    Show(LoadCaptureDialog(*options_));
    return true;
  }

  bool OnCommand(int id, int code) override {
    switch (id) {
      case IDC_CAP_REPLACE:
      case IDC_CAP_KEEP:
        if (code == BN_CLICKED) EnableItem(IDC_CAP_SKIP_LISTED, SkipListedEnabled(Read()));
        return true;
      case IDC_CAP_DEFAULT:
        Show(LoadCaptureDialog(kCaptureDefaultOptions));
        return true;
      case IDC_CAP_BULK:
      case IDC_CAP_MOUSE:
        *options_ = BuildCaptureOptions(Read());
        End(id);
        return true;
      default:
        return Dialog::OnCommand(id, code);
    }
  }

  // Enter goes through the default button "一括(&A)"; a bare IDOK does nothing.
  bool OnOK() override { return false; }

 private:
  void Show(const CaptureDialogFields& fields) {
    CheckRadioButton(Handle(), IDC_CAP_REPLACE, IDC_CAP_KEEP,
                     fields.replaceList ? IDC_CAP_REPLACE : IDC_CAP_KEEP);
    for (const BoxBit& box : kBoxes) SetChecked(box.id, fields.*box.field);
    EnableItem(IDC_CAP_SKIP_LISTED, SkipListedEnabled(fields));
  }

  CaptureDialogFields Read() const {
    CaptureDialogFields fields;
    fields.replaceList = IsChecked(IDC_CAP_REPLACE);
    for (const BoxBit& box : kBoxes) fields.*box.field = IsChecked(box.id);
    return fields;
  }

  unsigned* options_;
};

// What the filter and the record need of one window. A window that vanished
// meanwhile reads as invisible and untitled, so the filter refuses it.
// `*holdable` tells whether Shift_JIS holds its title and class name.
CapturedWindow ReadWindow(HWND window, bool* holdable) {
  CapturedWindow w;
  w.hasOwner = GetWindow(window, GW_OWNER) != nullptr;
  w.enabled = IsWindowEnabled(window) != FALSE;
  w.visible = IsWindowVisible(window) != FALSE;
  // At most 260 bytes of title, as the record holds: the characters are cut
  // where the Shift_JIS form reaches that length.
  wchar_t text[261] = {};
  const int n = GetWindowTextW(window, text, 261);
  bool titleHeld = true, classHeld = true;
  w.title = Narrow(text, n > 0 ? static_cast<size_t>(n) : 0, &titleHeld);
  for (size_t cut = n > 0 ? static_cast<size_t>(n) : 0; w.title.size() > 260 && cut > 0;)
    w.title = Narrow(text, --cut, &titleHeld);
  wchar_t className[261] = {};
  const int c = GetClassNameW(window, className, 261);
  w.className = Narrow(className, c > 0 ? static_cast<size_t>(c) : 0, &classHeld);
  *holdable = titleHeld && classHeld;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  w.placementRead = GetWindowPlacement(window, &placement) != FALSE;
  if (w.placementRead) {
    w.showState = static_cast<int>(placement.showCmd);
    w.normalPosition = {placement.rcNormalPosition.left, placement.rcNormalPosition.top,
                        placement.rcNormalPosition.right, placement.rcNormalPosition.bottom};
  }
  RECT rect{};
  if (GetWindowRect(window, &rect)) w.windowRect = {rect.left, rect.top, rect.right, rect.bottom};
  return w;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

CapturedPriority PriorityOf(HANDLE process) {
  switch (GetPriorityClass(process)) {
    case IDLE_PRIORITY_CLASS: return CapturedPriority::kIdle;
    case HIGH_PRIORITY_CLASS: return CapturedPriority::kHigh;
    default: return CapturedPriority::kOther;
  }
}

}  // namespace

int RunCaptureDialog(HWND owner, unsigned* options) {
  CaptureDialog dialog(options);
  return static_cast<int>(dialog.DoModal(owner));
}

CaptureSession::CaptureSession(HWND owner, bool menu, unsigned options, bool messages)
    : owner_(owner), menu_(menu), options_(options), messages_(messages),
      ownProgram_(ProgramPath()) {
  LinkSystemLibraries(kLinkPsapi, true);
}

CaptureSession::~CaptureSession() { DestroyRing(scratch_); }

Executant* CaptureSession::Release() {
  Executant* scratch = scratch_;
  scratch_ = nullptr;
  return scratch;
}

void CaptureSession::Say(const std::string& text) const {
  if (messages_) KnobsetBox(owner_, text, MB_OK | MB_ICONEXCLAMATION);
}

void CaptureSession::SaySystemError() const { ShowSystemError(messages_); }

bool CaptureSession::Prepare() {
  if (PlatformFamily() != kFamilyWindows95) return true;
  const SystemFunctions& f = LinkedFunctions();
  if (!f.CreateToolhelp32Snapshot || !f.Process32First || !f.Process32Next) {
    Say(kCaptureNoDynamicLinkMessage);
    return false;
  }
  snapshot_.reset(f.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot_) {
    Say(kCaptureNoSnapshotMessage);
    return false;
  }
  return true;
}

std::string CaptureSession::ModulePath(HANDLE process, DWORD processId) const {
  if (PlatformFamily() == kFamilyWindows95) {
    const SystemFunctions& f = LinkedFunctions();
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot_ && f.Process32First(snapshot_.get(), &entry); more;
         more = f.Process32Next(snapshot_.get(), &entry)) {
      if (entry.th32ProcessID == processId) return entry.szExeFile;
    }
    Say(CaptureNotFoundPidMessage(processId));
    return "";
  }
  return ProcessImagePath(process);
}

void CaptureSession::Take(HWND window) {
  bool holdable = true;
  const CapturedWindow facts = ReadWindow(window, &holdable);
  const CaptureRefusal refusal = FilterCapturedWindow(facts, options_);
  if (refusal == CaptureRefusal::kNoPlacement) {
    SaySystemError();
    return;
  }
  if (refusal != CaptureRefusal::kAccepted) {
    if (const char* text = CaptureRefusalMessage(refusal)) Say(text);
    return;
  }
  // A title the parameter file cannot hold is refused, not mangled.
  if (!holdable) {
    Say("ｳｨﾝﾄﾞｳ[" + facts.title + "]" + kNotShiftJisText);
    return;
  }
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(window, &processId) || !processId) {
    SaySystemError();
    return;
  }
  UniqueHandle process = OpenProcessForNaming(processId);
  if (!process) {
    SaySystemError();
    return;
  }
  CapturedProcess owner;
  owner.modulePath = ModulePath(process.get(), processId);
  owner.priority = PriorityOf(process.get());
  Executant* record = menu_ ? new MenuExecutant() : new Executant();
  const CaptureBuild built = BuildCapturedRecord(facts, owner, options_, ownProgram_, *record);
  if (built != CaptureBuild::kBuilt) {
    if (built == CaptureBuild::kOwnProgram) Say(kCaptureOwnProgramMessage);
    delete record;
    return;
  }
  AppendRecord(scratch_, record);
}

void CaptureSession::TakeAll() {
  // The windows are listed first and visited after: capturing one shows
  // nothing, but a window may end meanwhile, which the filter then refuses.
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) Take(window);
}

namespace {

// The timer that watches the mouse buttons during a pick.
constexpr UINT_PTR kPickTimer = 0x5049;

// Only the button's present state: the "pressed since the last look" bit
// is not kept alike on every system. The timer looks often enough for a
// hand's click.
bool ButtonDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

}  // namespace

void MousePick::Start(HWND window) {
  // The next click anywhere on the screen comes to this hidden window.
  // Hiding activates some other window; the capture routes the mouse only
  // while this thread has the foreground, so that is taken back first.
  ShowWindow(window, SW_HIDE);
  SetForegroundWindow(window);
  SetFocus(window);
  SetCapture(window);
  running_ = true;
  // A button held when the pick starts counts only once it has been let go.
  armed_ = !ButtonDown(VK_LBUTTON) && !ButtonDown(VK_RBUTTON);
  SetTimer(window, kPickTimer, 10, nullptr);
}

void MousePick::Stop(HWND window) {
  running_ = false;
  KillTimer(window, kPickTimer);
  ReleaseCapture();
}

bool MousePick::OnMessage(UINT message, WPARAM wParam, Outcome* outcome) {
  *outcome = kGoesOn;
  if (!running_) return false;
  switch (message) {
    case WM_TIMER: {
      if (wParam != kPickTimer) return false;
      const bool left = ButtonDown(VK_LBUTTON), right = ButtonDown(VK_RBUTTON);
      if (!armed_) {
        armed_ = !left && !right;
      } else if (left || right) {
        *outcome = left ? kTake : kCancel;
      }
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
      *outcome = kTake;
      return true;
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      *outcome = kCancel;
      return true;
    default:
      // Losing the capture (WM_CAPTURECHANGED) does not end the pick: the
      // buttons' watch still brings the click.
      return false;
  }
}

}  // namespace bw
