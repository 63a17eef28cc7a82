// What the options dialog ("オプション") and the auto-exec control dialog
// ("自動実行ｱﾌﾟﾘの制御") hold, and how it maps to and from the controller
// record. Both dialogs work on drafts of their bound keys: the record
// changes only when every field passes.
#pragma once
#include <string>
#include <vector>

#include "common/core/controller_record.h"
#include "configurator/core/field_binding.h"

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

// Its fields bound to the controller: the sequence radios
// ("ﾃﾞｨﾚｲ時間経過するまで待ってから、次のｱﾌﾟﾘを実行する" 0, "ﾀｲﾑｱｳﾄするまで、
// 待ってから次のｱﾌﾟﾘを実行する" 1), the event and method boxes as bits of
// AutoKillMethod, and the delay ("ﾃﾞｨﾚｲ/ﾀｲﾑｱｳﾄ:" ms, 0..INT_MAX) last, so the
// boxes are read even while the delay is refused.
extern const BindingTable kAutoExecControlBindings;

extern const char kChooseKillMethodMessage[];  // "終了させる方法を選んで下さい."
extern const char kChooseKillEventMessage[];  // "終了させるイベントを選んで下さい."

// Opening: the draft of the bound keys. Methods stored without any event are
// never acted on; they open unchecked.
RecordDraft OpenAutoExecControl(const AncestryPop3Controller& controller);
// "ﾃﾞﾌｫﾙﾄ(&D)": the draft as the three settings' parameter-file defaults
// open it.
RecordDraft DefaultAutoExecControl();
// The method boxes are enabled only while some event box is checked; when
// disabled they keep their check state.
bool KillMethodsEnabled(const RecordDraft& draft);
// OK, after the rows were read: an event needs a method and a method an
// event (also a checked but disabled one: it would be lost silently). The
// refusal's text, "" when both hold.
std::string CheckKillMethod(const RecordDraft& draft);
// Stores the draft; AutoKillMethod keeps only the event and method bits.
int StoreAutoExecControl(const RecordDraft& draft, AncestryPop3Controller& controller);

}  // namespace bw
