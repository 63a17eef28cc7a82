// What the options dialog ("オプション") and the auto-exec control dialog
// ("自動実行ｱﾌﾟﾘの制御") hold, and how it maps to and from the controller
// record. Both dialogs work on copies: the record changes only through the
// Store functions, and only when every field passes.
#pragma once
#include <string>

#include "common/core/controller_record.h"

namespace bw {

// ---- Options dialog ----

struct OptionsFields {
  int classIndex = 0;  // "ｸﾗｽ:" "継承", "低い", "通常", "高い"
  int threadIndex = 0;  // "ｽﾚｯﾄﾞ:" "継承", "より低く", "少し低く", "通常", "少し高く", "より高く"
  std::string initSleep;  // "初期起動時ﾃﾞｨﾚｲ:" seconds
  std::string consecutive;  // "複数ｻｰﾊﾞ間ﾃﾞｨﾚｲ:" seconds
  bool stopDuringSSaving = false;  // "ｽｸﾘｰﾝｾｰﾋﾞﾝｸﾞ中は更新しない"
  std::string x, y, width, height;  // "X:", "Y:", "幅:", "高さ:"
  bool keepGeometry = false;  // "終了時に保存する"
  bool startupBuried = false;  // "埋もれた状態から開始する"
  bool autoWakeup = false;  // "未読発見時に復帰する"
  bool menuExecBuried = false;  // "ﾒﾆｭｰ実行時に埋もれる"
  std::string animateTimer;  // "ｱﾆﾒｰﾄﾀｲﾏ(0=なし):" ms
};

// The fields in the order they are read and checked.
enum class OptionsField {
  kNone, kClass, kThread, kInitSleep, kConsecutive, kAutoWakeup, kStartupBuried,
  kKeepGeometry, kHeight, kX, kY, kWidth, kAnimateTimer, kMenuExecBuried, kStopDuringSSaving
};

// On failure: the field to focus and the range message.
struct OptionsCheck {
  bool ok = true;
  OptionsField field = OptionsField::kNone;
  std::string message;
};

OptionsFields LoadOptions(const AncestryPop3Controller& controller);
OptionsCheck CheckOptions(const OptionsFields& fields);
// Checks, then copies every value into the controller; on failure the
// controller is untouched. The caller sets its unsaved-changes flag on ok.
OptionsCheck StoreOptions(const OptionsFields& fields, AncestryPop3Controller& controller);

// ---- Auto-exec control dialog ----

struct AutoExecControlFields {
  // 0 "ﾃﾞｨﾚｲ時間経過するまで待ってから、次のｱﾌﾟﾘを実行する",
  // 1 "ﾀｲﾑｱｳﾄするまで、待ってから次のｱﾌﾟﾘを実行する".
  int sequenceRadio = 0;
  std::string delay;  // "ﾃﾞｨﾚｲ/ﾀｲﾑｱｳﾄ:" ms
  // Event boxes.
  bool killBeforeRestart = false;  // "既に実行していれば、終了させてから新たに起動する"
  bool killWhenNoMail = false;  // "未読が無くなった時点で終了させる"
  bool killOnMenuExec = false;  // "メニュー実行した時点で終了させる"
  // Method boxes.
  bool postClose = false;  // "WM_CLOSEをｽﾚｯﾄﾞへPostする"
  bool postQuit = false;  // "WM_QUITをｽﾚｯﾄﾞへPostする"
  bool terminate = false;  // "TERMINATEでﾌﾟﾛｾｽを終了させる"
};

enum class AutoExecControlField { kNone, kDelay, kMethods, kEvents };

struct AutoExecControlCheck {
  bool ok = true;
  AutoExecControlField field = AutoExecControlField::kNone;
  std::string message;
};

extern const char kChooseKillMethodMessage[];  // "終了させる方法を選んで下さい."
extern const char kChooseKillEventMessage[];  // "終了させるイベントを選んで下さい."

AutoExecControlFields LoadAutoExecControl(const AncestryPop3Controller& controller);
// "ﾃﾞﾌｫﾙﾄ(&D)": the fields as the three settings' parameter-file defaults
// load them.
AutoExecControlFields DefaultAutoExecControl();
// The method boxes are enabled only while some event box is checked; when
// disabled they keep their check state.
bool KillMethodsEnabled(const AutoExecControlFields& fields);
// AutoKillMethod from the boxes: the event bits, and the method bits only
// when some event is chosen.
int BuildAutoKillMethod(const AutoExecControlFields& fields);
AutoExecControlCheck CheckAutoExecControl(const AutoExecControlFields& fields);
AutoExecControlCheck StoreAutoExecControl(const AutoExecControlFields& fields,
                                          AncestryPop3Controller& controller);

}  // namespace bw
