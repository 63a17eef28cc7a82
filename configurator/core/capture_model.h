// The capture of running applications without the windows themselves: the
// capture dialog's option word, the window filter, the record built from a
// captured window, and the merge of the captured records into a list. The
// Win32 side gathers each window's facts into a CapturedWindow and its
// process's into a CapturedProcess, and shows the texts given here.
#pragma once
#include <string>

#include "common/core/executant_record.h"

namespace bw {

// Capture option bits (kept by the main window for the whole run).
enum : unsigned {
  kCaptureReplaceList = 0x10000000u,  // "ﾘｽﾄを破棄し作り直す"
  kCaptureSkipListed = 0x20000000u,  // "ﾘｽﾄに登録済みｱﾌﾟﾘは無視する"
  kCaptureSkipSelf = 0x00000800u,  // "自分自身は無視する"
  kCaptureSkipProgman = 0x00000400u,  // "ﾌﾟﾛｸﾞﾗﾑﾏﾈｼﾞｬｸﾗｽは無視する"
  kCapturePriority = 0x00000200u,  // "ﾌﾟﾗｲｵﾘﾃｨ情報も取り込む"
  kCaptureSize = 0x00000100u,  // "ｻｲｽﾞ情報も取り込む"
  kCaptureMinimized = 0x00000040u,  // "ｱｲｺﾝ状態でも取り込む"
  kCaptureDisabled = 0x00000010u,  // "Disable状態でも取り込む"
  kCaptureZeroSize = 0x00000008u,  // "ｻｲｽﾞ＝０でも取り込む"
  kCaptureUntitled = 0x00000004u,  // "ﾀｲﾄﾙが未設定でも取り込む"
};
constexpr unsigned kCaptureDefaultOptions = 0x20000D50u;

// The capture dialog "実行中ｱﾌﾟﾘのｷｬﾌﾟﾁｬ": its radio and check boxes.
struct CaptureDialogFields {
  bool replaceList = false;  // radio "ﾘｽﾄを破棄し作り直す" (else "ﾘｽﾄを維持する（追加する）")
  bool skipListed = false;
  bool skipSelf = false;
  bool skipProgman = false;
  bool capturePriority = false;
  bool captureSize = false;
  bool acceptMinimized = false;
  bool acceptDisabled = false;
  bool acceptZeroSize = false;
  bool acceptUntitled = false;
};

// Loading (also "ﾃﾞﾌｫﾙﾄ(&D)" with kCaptureDefaultOptions) and rebuilding
// the word ("一括(&A)" and "ﾏｳｽ指定(&M)"); unlisted bits are never set.
CaptureDialogFields LoadCaptureDialog(unsigned options);
unsigned BuildCaptureOptions(const CaptureDialogFields& fields);
// "ﾘｽﾄに登録済みｱﾌﾟﾘは無視する" is enabled only while the list is kept.
inline bool SkipListedEnabled(const CaptureDialogFields& fields) { return !fields.replaceList; }

struct CaptureRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// What the filter and the record need to know of one top-level window.
struct CapturedWindow {
  bool hasOwner = false;
  bool enabled = true;  // accepts mouse and keyboard input
  bool visible = true;
  std::string title;  // at most 260 bytes
  std::string className;
  bool placementRead = true;  // false when the placement could not be read
  int showState = 1;  // the placement's: 1 normal, 2 minimized, 3 maximized
  CaptureRect normalPosition;  // the placement's normal-position rectangle
  CaptureRect windowRect;  // the window's current rectangle
};

// The filter's steps, in order; the first that applies refuses the window.
enum class CaptureRefusal {
  kAccepted, kOwned, kDisabled, kInvisible, kUntitled, kProgramManager,
  kNoPlacement, kZeroSize, kMinimized
};

CaptureRefusal FilterCapturedWindow(const CapturedWindow& window, unsigned options);
// The text a mouse pick shows for a refusal; none for kAccepted and for
// kNoPlacement, which shows the system's error text instead.
const char* CaptureRefusalMessage(CaptureRefusal refusal);

// The captured window's process, as far as the record needs it.
enum class CapturedPriority { kIdle, kHigh, kOther };
struct CapturedProcess {
  std::string modulePath;  // the program file; "" when it could not be found
  CapturedPriority priority = CapturedPriority::kOther;
};

enum class CaptureBuild { kBuilt, kNoModule, kOwnProgram };

// Fills a newly constructed record of the tab's kind from an accepted window
// and its process. On kNoModule and kOwnProgram the caller drops the record
// (a pick shows kCaptureOwnProgramMessage for the latter).
CaptureBuild BuildCapturedRecord(const CapturedWindow& window, const CapturedProcess& process,
                                 unsigned options, const std::string& ownProgramPath,
                                 Executant& record);

// Result of merging a capture into the tab's list.
struct CaptureMerge {
  int total = 0;  // captured records
  int added = 0;  // of them, those now in the list
  bool changed = false;  // the list changed: set the unsaved-changes flag
  std::string message;  // "" when nothing is to be shown
};

// Merges the scratch ring into the list and takes ownership of every scratch
// record (each is either in the list afterwards or destroyed). In replace
// mode the old list is destroyed. `head` is the list head, updated.
CaptureMerge MergeCapturedRing(Executant*& head, Executant* scratch, unsigned options);
template <typename T>
CaptureMerge MergeCaptured(T*& head, T* scratch, unsigned options) {
  Executant* h = head;
  CaptureMerge m = MergeCapturedRing(h, scratch, options);
  head = static_cast<T*>(h);
  return m;
}

// Texts of the capture beyond the filter's.
extern const char kCaptureNothingFoundMessage[];  // bulk capture found no window
extern const char kCaptureOwnProgramMessage[];  // "自分自身を指定しています."
extern const char kCaptureNoDynamicLinkMessage[];  // snapshot interface missing (pick)
extern const char kCaptureNoSnapshotMessage[];  // snapshot failed (pick)
extern const char kCaptureNoCursorMessage[];  // cursor position unreadable
extern const char kCaptureNoWindowMessage[];  // no window under the cursor
// "Not Found : PID=%d": no snapshot entry for the window's process.
std::string CaptureNotFoundPidMessage(unsigned long pid);

}  // namespace bw
