// Capture of running applications: option word, window filter, record
// building and merging.
#include "configurator/core/capture_model.h"

#include <cstdio>

#include "common/core/param_syntax.h"
#include "common/core/ring_list.h"
#include "configurator/core/field_text.h"

namespace bw {

const char kCaptureNothingFoundMessage[] = "一つのｳｨﾝﾄﾞｳも検索できませんでした.";
const char kCaptureOwnProgramMessage[] = "自分自身を指定しています.";
const char kCaptureNoDynamicLinkMessage[] = "動的ﾘﾝｸが完了していません.";
const char kCaptureNoSnapshotMessage[] = "SnapShotが獲得できませんでした.";
const char kCaptureNoCursorMessage[] = "ﾏｳｽｶｰｿﾙの座標獲得に失敗しました.";
const char kCaptureNoWindowMessage[] = "ｳｨﾝﾄﾞｳが選択されていません";

namespace {

// ---- Record adapter: the only code that touches the launch records. ----

struct CapturedValues {
  int x, y, width, height, sizeGiven;
  std::string showMode, fileName, path;
  int priority;
};

// Through the record's key access, so each field is what reading its line
// back from the file would give (the program file, for one, lower-cased).
void WriteCapturedRecord(const CapturedValues& v, Executant& r) {
  r.SetKeyText(kExecutionPosition, FormatInt("%d,", v.x) + FormatInt("%d", v.y));
  if (v.sizeGiven) r.SetKeyText(kExecutionSize, FormatInt("%d,", v.width) + FormatInt("%d", v.height));
  r.SetKeyText(kExecutionShowMode, v.showMode);
  r.SetKeyText(kExecutionFileName, v.fileName);
  r.SetKeyText(kExecutionPath, v.path);
  if (v.priority) r.SetKeyText(kExecutionPriority, FormatInt("0x%04X", v.priority));
}

// The program name two records are compared by: name and extension of the
// program file, lower-cased.
std::string ProgramNameOf(const Executant& r) { return LowerCased(FileNamePart(r.ExecutionFileName)); }

std::string CountMessage(const char* format, int count) {
  char text[128];
  std::snprintf(text, sizeof text, format, count);
  return text;
}

}  // namespace

CaptureDialogFields LoadCaptureDialog(unsigned o) {
  CaptureDialogFields f;
  f.replaceList = (o & kCaptureReplaceList) != 0;
  f.skipListed = (o & kCaptureSkipListed) != 0;
  f.skipSelf = (o & kCaptureSkipSelf) != 0;
  f.skipProgman = (o & kCaptureSkipProgman) != 0;
  f.capturePriority = (o & kCapturePriority) != 0;
  f.captureSize = (o & kCaptureSize) != 0;
  f.acceptMinimized = (o & kCaptureMinimized) != 0;
  f.acceptDisabled = (o & kCaptureDisabled) != 0;
  f.acceptZeroSize = (o & kCaptureZeroSize) != 0;
  f.acceptUntitled = (o & kCaptureUntitled) != 0;
  return f;
}

unsigned BuildCaptureOptions(const CaptureDialogFields& f) {
  unsigned o = 0;
  if (f.replaceList) o |= kCaptureReplaceList;
  if (f.skipListed) o |= kCaptureSkipListed;
  if (f.skipSelf) o |= kCaptureSkipSelf;
  if (f.skipProgman) o |= kCaptureSkipProgman;
  if (f.capturePriority) o |= kCapturePriority;
  if (f.captureSize) o |= kCaptureSize;
  if (f.acceptMinimized) o |= kCaptureMinimized;
  if (f.acceptDisabled) o |= kCaptureDisabled;
  if (f.acceptZeroSize) o |= kCaptureZeroSize;
  if (f.acceptUntitled) o |= kCaptureUntitled;
  return o;
}

CaptureRefusal FilterCapturedWindow(const CapturedWindow& w, unsigned o) {
  if (w.hasOwner) return CaptureRefusal::kOwned;
  if (!w.enabled && !(o & kCaptureDisabled)) return CaptureRefusal::kDisabled;
  if (!w.visible) return CaptureRefusal::kInvisible;
  if (w.title.empty() && !(o & kCaptureUntitled)) return CaptureRefusal::kUntitled;
  if ((o & kCaptureSkipProgman) && w.title == "Program Manager" && w.className == "Progman")
    return CaptureRefusal::kProgramManager;
  if (!w.placementRead) return CaptureRefusal::kNoPlacement;
  const CaptureRect& n = w.normalPosition;
  if (n.right - n.left <= 0 && n.bottom - n.top <= 0 && !(o & kCaptureZeroSize))
    return CaptureRefusal::kZeroSize;
  if (w.showState == 2 && !(o & kCaptureMinimized)) return CaptureRefusal::kMinimized;
  return CaptureRefusal::kAccepted;
}

const char* CaptureRefusalMessage(CaptureRefusal refusal) {
  switch (refusal) {
    case CaptureRefusal::kOwned:
      return "ｵｰﾅを持つｳｨﾝﾄﾞｳですので取り込みできません.";
    case CaptureRefusal::kDisabled:
      return "ﾏｳｽ･ｷｰﾎﾞｰﾄﾞｲﾍﾞﾝﾄを受け付けないｳｨﾝﾄﾞｳですので取り込みできません.";
    case CaptureRefusal::kInvisible:
      return "ﾋﾞｼﾞﾌﾞﾙ属性を持たないｳｨﾝﾄﾞｳですので取り込みできません.";
    case CaptureRefusal::kUntitled:
      return "ﾀｲﾄﾙが未設定のｳｨﾝﾄﾞｳですので取り込みできません.";
    case CaptureRefusal::kProgramManager:
      return "ﾌﾟﾛｸﾞﾗﾑﾏﾈｼﾞｬｸﾗｽです.";
    case CaptureRefusal::kZeroSize:
      return "ｳｨﾝﾄﾞｳｻｲｽﾞが０ですので取り込みできません.";
    case CaptureRefusal::kMinimized:
      return "ｱｲｺﾝ状態ですので取り込みできません.";
    case CaptureRefusal::kAccepted:
    case CaptureRefusal::kNoPlacement:
      break;
  }
  return nullptr;
}

CaptureBuild BuildCapturedRecord(const CapturedWindow& window, const CapturedProcess& process,
                                 unsigned options, const std::string& ownProgramPath,
                                 Executant& record) {
  if (process.modulePath.empty()) return CaptureBuild::kNoModule;
  if ((options & kCaptureSkipSelf) &&
      LowerCased(process.modulePath) == LowerCased(ownProgramPath))
    return CaptureBuild::kOwnProgram;
  CapturedValues v;
  v.x = window.normalPosition.left;
  v.y = window.normalPosition.top;
  v.width = window.windowRect.right - window.windowRect.left;
  v.height = window.windowRect.bottom - window.windowRect.top;
  v.sizeGiven = (options & kCaptureSize) != 0;
  v.showMode = FormatInt("%d", window.showState);
  v.fileName = process.modulePath;
  v.path = WorkingFolderOf(process.modulePath);
  v.priority = 0;
  if (options & kCapturePriority) {
    v.priority = process.priority == CapturedPriority::kIdle   ? 0x10
                 : process.priority == CapturedPriority::kHigh ? 0x30
                                                               : 0x20;
  }
  WriteCapturedRecord(v, record);
  return CaptureBuild::kBuilt;
}

CaptureMerge MergeCapturedRing(Executant*& head, Executant* scratch, unsigned options) {
  CaptureMerge m;
  if (!scratch) return m;
  if (options & kCaptureReplaceList) {
    m.total = m.added = RingCount(scratch);
    DestroyRing(head);
    head = scratch;
    m.changed = true;
    return m;
  }
  while (scratch) {
    Executant* node = scratch;
    RingListClass* next = node->Next();
    node->Unlink();
    // A ring of two leaves its other node alone (no links), which is then
    // the whole rest of the scratch list.
    scratch = next && next != node ? static_cast<Executant*>(next) : nullptr;
    ++m.total;
    bool listed = false;
    if (options & kCaptureSkipListed) {
      const std::string name = ProgramNameOf(*node);
      WalkRing(head, [&](Executant* e) { listed = listed || ProgramNameOf(*e) == name; });
    }
    if (listed) {
      delete node;
      continue;
    }
    if (head)
      head->InsertBefore(node);  // before the head of a ring is its end
    else
      head = node;
    ++m.added;
  }
  m.changed = m.added > 0;
  if (m.added == 0)
    m.message = m.total == 1
                    ? "既にﾘｽﾄに登録済みのモジュールですので、取り込みませんでした."
                    : "既にﾘｽﾄに登録済みのモジュールですので、１件も取り込みませんでした.";
  else if (m.added < m.total)
    m.message = CountMessage("既に登録済みのモジュールを除いて %d 件取り込みました.", m.added);
  else
    m.message = CountMessage("%d 件取り込みました.", m.added);
  return m;
}

std::string CaptureNotFoundPidMessage(unsigned long pid) {
  return CountMessage("Not Found : PID=%d", static_cast<int>(pid));
}

}  // namespace bw
