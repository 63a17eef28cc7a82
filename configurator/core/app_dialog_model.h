// The two application dialogs (auto-exec "ｱﾌﾟﾘｹｰｼｮﾝ起動情報" and menu
// "ﾒﾆｭｰ起動情報"): their binding rows to the launch record's keys, and the
// rules across fields (what is enabled, accepted and stored). The Win32
// dialogs move the rows' values between their controls and a draft.
#pragma once
#include <functional>
#include <string>

#include "common/core/executant_record.h"
#include "configurator/core/field_binding.h"
#include "configurator/core/executable_extensions.h"

namespace bw {

enum class AppDialogKind { kAutoExec, kMenu };

// The pages behind the dialog's tab control (its own fields stand on
// kNoPage).
constexpr int kAppGeometryPage = 0;  // "表示属性"
constexpr int kAppPriorityPage = 1;  // "ｱﾄﾞﾊﾞﾝｽﾄ"

// The draft's key of the menu name ("ﾒﾆｭｰ名(&M):", menu dialog only): the
// launch keys keep their own ids, which the menu table's ids overlap.
constexpr int kAppMenuNameKey = 0x100;

// Every bound field of the dialog of that kind, in the order OK reads them:
// the dialog's own texts (arguments at most 255 bytes), then the geometry
// page (show mode radios, position and size each an optional pair of free
// signed numbers), then the priority page (class and thread lists as the
// bits 0xF0 and 0x0F of the priority, the double-start and IME flags, the
// start-up time-out 0..99999 ms, 0..9999 in the menu dialog). The shell
// flag has no control (set by "Shell(&S)...", cleared by the browsers), and
// the priority "指定" box is derived (checked while the priority is not 0).
const BindingTable& AppDialogBindings(AppDialogKind kind);

// Which controls are enabled.
struct AppDialogEnabling {
  bool fileName;
  bool classList;
  bool threadList;
  bool initialOnce;
  bool disableIME;
  bool ok;
};

// The outcome of OK's checks: on failure the page to show, the control to
// focus and the text to show (empty when there is nothing to say).
struct AppDialogCheck {
  bool ok = true;
  int page = kNoPage;
  int control = 0;
  std::string message;
};

constexpr int kMinProgramNameLength = 5;

// Opening: the draft of the record's keys (the menu overload adds the menu
// name). A shell start shows neither the double-start nor the IME flag.
RecordDraft OpenAppDialog(const Executant& record);
RecordDraft OpenAppDialog(const MenuExecutant& record);
// The "指定" box as the dialog opens.
bool AppPriorityGiven(const RecordDraft& draft);

AppDialogEnabling AppDialogEnablingFor(const RecordDraft& draft, bool priorityGiven);
// The "ﾍﾞｰｽ名:" text.
std::string AppDialogBaseName(const RecordDraft& draft);

// OK, after the dialog's own rows were read and before the pages are: the
// program and document rules, and every text must fit one parameter-file
// line (length message otherwise).
AppDialogCheck CheckAppProgram(const RecordDraft& draft, AppDialogKind kind);
// OK, after every row was read and checked: stores the draft (the menu name
// into a menu record, when `kind` is kMenu). The priority is 0 unless
// `priorityGiven`, and a shell start keeps neither a thread priority nor the
// double-start flag; a shell start whose document found no program stores
// the document as the program, since a record without one is dropped when
// the file is read. The working folder loses its trailing separator. False
// when the record refused a value (the checks let none through).
bool StoreAppDialog(const RecordDraft& draft, bool priorityGiven, AppDialogKind kind,
                    Executant& record);

// "参照(&1).." and "QL(&Q)..." after the file dialog's OK: the chosen program
// and its folder; the shell flag is cleared (also clear it when the file
// dialog is cancelled, with ClearShellFlag).
void ApplyBrowsedProgram(RecordDraft& draft, const std::string& chosenPath);
void ClearShellFlag(RecordDraft& draft);

// What "Shell(&S)..." asks of the system.
struct ShellQueries {
  // The program associated with a document, searched from a folder; "" when
  // there is none.
  std::function<std::string(const std::string& document, const std::string& folder)> findExecutable;
  // True when the path names an existing file (not a folder).
  std::function<bool(const std::string& path)> isFile;
};

// "Shell(&S)..." after the file dialog's OK with the chosen document.
void ApplyShellDocument(RecordDraft& draft, const std::string& document,
                        const ExecutableExtensions& extensions, const ShellQueries& queries);

// The folder "QL(&Q)..." starts in. `appData` is the user's "AppData" shell
// folder, `mapGroupsQuickLaunch` the "Quick Launch" value of GrpConv's
// MapGroups (each "" when unreadable); `isUsableFolder` tells an existing
// folder that is not read-only, system, temporary or offline.
std::string QuickLaunchStartFolder(const std::string& appData,
                                   const std::string& mapGroupsQuickLaunch,
                                   const std::string& currentDirectory,
                                   const std::function<bool(const std::string&)>& isUsableFolder);

}  // namespace bw
