// What the options dialog ("オプション") and the auto-exec control dialog
// ("自動実行ｱﾌﾟﾘの制御") hold, and how it maps to and from the controller
// record. Both dialogs work on copies: the record changes only when every
// field passes (the options through a draft of their bound keys, the
// control dialog through StoreAutoExecControl).
#pragma once
#include <string>
#include <vector>

#include "common/core/controller_record.h"
#include "common/core/field_binding.h"

namespace bw {

// ---- Options dialog ----

// The entries of the priority lists (here and in the application dialogs),
// by the index the records store.
extern const std::vector<const char*> kPriorityClassEntries;   // "継承", "低い", "通常", "高い"
extern const std::vector<const char*> kPriorityThreadEntries;  // "継承", "より低く", ... "より高く"

// Every field of the options dialog, bound to its controller key, in the
// order OK reads and checks them (the height before the position and the
// width). The rows hold the ranges: start-up delay 0..999 s, delay between
// servers 0..99 s, width and height 32..1024, a free signed position, and
// the animation timer 0..999 ms. A priority list with nothing chosen reads
// as "継承".
extern const BindingTable kOptionsBindings;

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
