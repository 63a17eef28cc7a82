// What the two application dialogs (auto-exec "ｱﾌﾟﾘｹｰｼｮﾝ起動情報" and menu
// "ﾒﾆｭｰ起動情報") hold, and how it maps to and from a launch record. The
// Win32 dialogs only move values between their controls and these fields;
// every rule about what is shown, enabled, accepted and stored is here.
#pragma once
#include <functional>
#include <string>

#include "common/core/executant_record.h"
#include "configurator/core/executable_extensions.h"

namespace bw {

enum class AppDialogKind { kAutoExec, kMenu };

// What the controls hold. Number boxes are kept as their text, so reading
// them (and refusing bad text) is the model's business too.
struct AppDialogFields {
  std::string menuName;  // "ﾒﾆｭｰ名(&M):", menu dialog only
  std::string fileName;  // "実行ﾌｧｲﾙ名(&F):"
  std::string workingFolder;  // "実行ﾃﾞｨﾚｸﾄﾘ(&D):"
  std::string arguments;  // "起動引数(&A):"
  bool shellExec = false;  // no control: set by "Shell(&S)...", cleared by the browsers
  // Geometry page. showRadio 0 "ｳｨﾝﾄﾞｳ状態で起動", 1 "ｱｲｺﾝ状態で起動",
  // 2 "最大化状態で起動".
  int showRadio = 0;
  bool positionGiven = false;  // "位置指定"
  std::string x = "0", y = "0";
  bool sizeGiven = false;  // "ｻｲｽﾞ指定"
  std::string width = "0", height = "0";
  // Priority page. classIndex: "継承", "低い", "通常", "高い"; threadIndex:
  // "継承", "より低く", "少し低く", "通常", "少し高く", "より高く".
  bool priorityGiven = false;  // "指定"
  int classIndex = 0;
  int threadIndex = 0;
  bool initialOnce = false;  // "二重起動を防止する"
  bool disableIME = false;  // "IMEを無効化して起動する"
  std::string inputTimeout = "5000";  // "起動完了　ﾀｲﾑｱｳﾄ:"
};

// Which controls are enabled for the current fields.
struct AppDialogEnabling {
  bool fileName;
  bool positionEdits;
  bool sizeEdits;
  bool classList;
  bool threadList;
  bool initialOnce;
  bool disableIME;
  bool ok;
};

enum class AppDialogPage { kMain, kGeometry, kPriority };
enum class AppDialogField {
  kNone, kMenuName, kFileName, kWorkingFolder, kArguments, kX, kY, kWidth, kHeight,
  kClass, kThread, kInputTimeout
};

// The outcome of OK: on failure the page to show, the field to focus and
// the text to show (empty when there is nothing to say).
struct AppDialogCheck {
  bool ok = true;
  AppDialogPage page = AppDialogPage::kMain;
  AppDialogField field = AppDialogField::kNone;
  std::string message;
};

constexpr int kArgumentsMaxLength = 255;
constexpr int kMinProgramNameLength = 5;
// Largest start-up time-out each dialog accepts.
int InputTimeoutMax(AppDialogKind kind);

// Opening: the fields from the record (the menu overload adds the menu name).
AppDialogFields LoadAppDialog(const Executant& record);
AppDialogFields LoadAppDialog(const MenuExecutant& record);

AppDialogEnabling AppDialogEnablingFor(const AppDialogFields& fields);
// The "ﾍﾞｰｽ名:" text.
std::string AppDialogBaseName(const AppDialogFields& fields);

// OK: checks the fields in the dialog's reading order; only when all pass is
// the record written (an auto-exec record by the first, a menu record by the
// second). The record is untouched when the check fails. Besides the ranges,
// every text must fit one parameter-file line (length message otherwise),
// and a shell start whose document found no program stores the document as
// the program, since a record without one is dropped when the file is read.
AppDialogCheck CheckAppDialog(const AppDialogFields& fields, AppDialogKind kind);
AppDialogCheck StoreAppDialog(const AppDialogFields& fields, Executant& record);
AppDialogCheck StoreAppDialog(const AppDialogFields& fields, MenuExecutant& record);

// "参照(&1).." and "QL(&Q)..." after the file dialog's OK: the chosen program
// and its folder; the shell flag is cleared (also clear it when the file
// dialog is cancelled).
void ApplyBrowsedProgram(AppDialogFields& fields, const std::string& chosenPath);

// What "Shell(&S)..." asks of the system.
struct ShellQueries {
  // The program associated with a document, searched from a folder; "" when
  // there is none.
  std::function<std::string(const std::string& document, const std::string& folder)> findExecutable;
  // True when the path names an existing file (not a folder).
  std::function<bool(const std::string& path)> isFile;
};

// "Shell(&S)..." after the file dialog's OK with the chosen document.
void ApplyShellDocument(AppDialogFields& fields, const std::string& document,
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
