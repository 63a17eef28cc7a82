// Binding rows and rules of the two application dialogs.
#include "configurator/core/app_dialog_model.h"

#include <climits>
#include <vector>

#include "common/core/param_syntax.h"
#include "configurator/core/field_text.h"
#include "configurator/core/options_model.h"
#include "configurator/ids/app_dialog_ids.h"

namespace bw {

namespace {

constexpr int kApp = kAppGeometryPage, kPri = kAppPriorityPage;
// The priority's bits: the class list's index in the high nibble, the
// thread list's in the low one.
constexpr unsigned kClassBits = 0xF0, kThreadBits = 0x0F;

// The rows of the dialog of that kind: the menu dialog adds the menu name
// and takes a shorter start-up time-out. Each page reads its own rows in
// order; across pages the order is the one the record appends the lines it
// lacks in (the double-start flag first), as OK has always stored them.
std::vector<FieldBinding> AppRows(AppDialogKind kind) {
  const bool menu = kind == AppDialogKind::kMenu;
  std::vector<FieldBinding> rows = {FlagBinding(IDC_INITIAL_ONCE, kExecutionInitialOnce, kPri)};
  if (menu) rows.push_back(TextBinding(IDC_APP_MENU_NAME, kAppMenuNameKey, kNoPage, 0));
  rows.insert(rows.end(), {
      TextBinding(IDC_APP_FILE, kExecutionFileName, kNoPage, 0),
      TextBinding(IDC_APP_FOLDER, kExecutionPath, kNoPage, 0),
      TextBinding(IDC_APP_ARGUMENTS, kExecutionArguments, kNoPage, 255),
      RadioGroupBinding({IDC_SHOW_NORMAL, IDC_SHOW_MINIMIZED, IDC_SHOW_MAXIMIZED},
                        kExecutionShowMode, kApp, {"1", "2", "3"}),
      OptionalPairBinding(IDC_POSITION_GIVEN, IDC_POS_X, IDC_POS_Y, kExecutionPosition, kApp,
                          INT_MIN, INT_MAX),
      OptionalPairBinding(IDC_SIZE_GIVEN, IDC_SIZE_WIDTH, IDC_SIZE_HEIGHT, kExecutionSize, kApp,
                          INT_MIN, INT_MAX),
      ComboBitsBinding(IDC_PRIORITY_CLASS, kExecutionPriority, kPri, kClassBits,
                       kPriorityClassEntries),
      ComboBitsBinding(IDC_PRIORITY_THREAD, kExecutionPriority, kPri, kThreadBits,
                       kPriorityThreadEntries),
      FlagBinding(IDC_DISABLE_IME, kExecutionDisableIME, kPri),
      NumberBinding(IDC_INPUT_TIMEOUT, kExecutionInputTO, kPri, 0, menu ? 9999 : 99999),
  });
  return rows;
}

bool ShellStart(const RecordDraft& draft) { return AtoiValue(draft.Text(kExecutionShellExec)) != 0; }

// The text a row's key stores: the working folder without its trailing
// separator.
std::string StoredText(const RecordDraft& draft, int key) {
  return key == kExecutionPath ? WithoutTrailingSeparator(draft.Text(key)) : draft.Text(key);
}

// True when the record can keep the text on one parameter-file line; tried
// on a scratch record so the real one stays untouched until all is checked.
bool Storable(int key, const std::string& text) {
  if (key == kAppMenuNameKey) {
    MenuExecutant scratch;
    return scratch.SetMenuKeyText(kMenuExecutionName, text) != kSetUnstorable;
  }
  Executant scratch;
  return scratch.SetKeyText(key, text) != kSetUnstorable;
}

// The longest text of plain characters the key's line can hold, for the
// length message.
int LongestStorable(int key) {
  int fits = 0, fails = 1024;
  while (fails - fits > 1) {
    int mid = (fits + fails) / 2;
    (Storable(key, std::string(static_cast<size_t>(mid), 'a')) ? fits : fails) = mid;
  }
  return fits;
}

AppDialogCheck Refuse(int control, std::string message) {
  AppDialogCheck c;
  c.ok = false;
  c.control = control;
  c.message = std::move(message);
  return c;
}

}  // namespace

const BindingTable& AppDialogBindings(AppDialogKind kind) {
  // Built on first use: the priority entries are another file's globals.
  static const std::vector<FieldBinding> autoExecRows = AppRows(AppDialogKind::kAutoExec);
  static const std::vector<FieldBinding> menuRows = AppRows(AppDialogKind::kMenu);
  static const BindingTable autoExec = {autoExecRows.data(), autoExecRows.size()};
  static const BindingTable menu = {menuRows.data(), menuRows.size()};
  return kind == AppDialogKind::kMenu ? menu : autoExec;
}

RecordDraft OpenAppDialog(const Executant& record) {
  RecordDraft draft = DraftOf(kExecutantKeyTable, record);
  if (ShellStart(draft)) {
    draft.Set(kExecutionInitialOnce, "");
    draft.Set(kExecutionDisableIME, "");
  }
  return draft;
}

RecordDraft OpenAppDialog(const MenuExecutant& record) {
  RecordDraft draft = OpenAppDialog(static_cast<const Executant&>(record));
  std::string name;
  record.MenuKeyText(kMenuExecutionName, &name);
  draft.Set(kAppMenuNameKey, name);
  return draft;
}

bool AppPriorityGiven(const RecordDraft& draft) {
  return StrtolValue(draft.Text(kExecutionPriority)) != 0;
}

AppDialogEnabling AppDialogEnablingFor(const RecordDraft& draft, bool priorityGiven) {
  const bool shell = ShellStart(draft);
  const std::string& fileName = draft.Text(kExecutionFileName);
  AppDialogEnabling e;
  e.fileName = !shell;
  e.classList = priorityGiven;
  e.threadList = priorityGiven && !shell;
  e.initialOnce = !shell;
  e.disableIME = !shell;
  // A shell start needs a document (or the program found for it); OK would
  // otherwise be enabled and do nothing.
  e.ok = shell ? !(fileName.empty() && draft.Text(kExecutionArguments).empty())
               : fileName.size() >= static_cast<size_t>(kMinProgramNameLength);
  return e;
}

std::string AppDialogBaseName(const RecordDraft& draft) {
  return FileNamePart(draft.Text(kExecutionFileName));
}

AppDialogCheck CheckAppProgram(const RecordDraft& draft, AppDialogKind kind) {
  const bool shell = ShellStart(draft);
  // OK is disabled while the program name is too short, so there is nothing
  // to say when it is pressed anyway.
  if (!shell && draft.Text(kExecutionFileName).size() < static_cast<size_t>(kMinProgramNameLength))
    return Refuse(IDC_APP_FILE, std::string());
  // A shell start needs the document; without it there is nothing to store.
  if (shell && draft.Text(kExecutionFileName).empty() && draft.Text(kExecutionArguments).empty())
    return Refuse(IDC_APP_ARGUMENTS, std::string());
  // A text longer than a parameter-file line would come back in pieces.
  for (const FieldBinding& row : AppDialogBindings(kind)) {
    if (row.page != kNoPage) continue;
    if (!Storable(row.key, StoredText(draft, row.key)))
      return Refuse(row.control, LengthMessage(LongestStorable(row.key)));
  }
  return AppDialogCheck();
}

bool StoreAppDialog(const RecordDraft& draft, bool priorityGiven, AppDialogKind kind,
                    Executant& record) {
  RecordDraft stored = draft;
  const bool shell = ShellStart(draft);
  stored.Set(kExecutionShellExec, shell ? "1" : "");
  // A record without a program would be dropped when the file is read
  // again; a shell start whose document has no associated program keeps the
  // document there instead (the shell starts the document in either case).
  if (shell && draft.Text(kExecutionFileName).empty())
    stored.Set(kExecutionFileName, draft.Text(kExecutionArguments));
  if (shell) stored.Set(kExecutionInitialOnce, "");
  stored.Set(kExecutionPath, StoredText(draft, kExecutionPath));
  // The shell starts a document, not a process whose thread we could reach,
  // so no thread priority is kept for it.
  long priority = priorityGiven ? StrtolValue(draft.Text(kExecutionPriority)) : 0;
  priority &= shell ? kClassBits : kClassBits | kThreadBits;
  stored.Set(kExecutionPriority, FormatInt("0x%04X", static_cast<int>(priority)));
  if (StoreBoundDraft(kExecutantKeyTable, AppDialogBindings(kind), stored, record) != kSetOk)
    return false;
  if (kind == AppDialogKind::kMenu)
    static_cast<MenuExecutant&>(record).SetMenuKeyText(kMenuExecutionName,
                                                       draft.Text(kAppMenuNameKey));
  return true;
}

void ClearShellFlag(RecordDraft& draft) { draft.Set(kExecutionShellExec, ""); }

void ApplyBrowsedProgram(RecordDraft& draft, const std::string& chosenPath) {
  ClearShellFlag(draft);
  draft.Set(kExecutionFileName, chosenPath);
  draft.Set(kExecutionPath, WorkingFolderOf(chosenPath));
}

void ApplyShellDocument(RecordDraft& draft, const std::string& document,
                        const ExecutableExtensions& extensions, const ShellQueries& queries) {
  draft.Set(kExecutionShellExec, "1");
  draft.Set(kExecutionArguments, document);
  const std::string folder = WorkingFolderOf(document);
  draft.Set(kExecutionPath, folder);
  std::string program = extensions.Contains(ExtensionPart(document))
                            ? document
                            : queries.findExecutable(document, folder);
  if (!program.empty() && !queries.isFile(program)) program.clear();
  draft.Set(kExecutionFileName, program);
}

std::string QuickLaunchStartFolder(const std::string& appData,
                                   const std::string& mapGroupsQuickLaunch,
                                   const std::string& currentDirectory,
                                   const std::function<bool(const std::string&)>& isUsableFolder) {
  std::string folder;
  if (!appData.empty()) {
    std::string candidate = appData + "\\Microsoft\\Internet Explorer\\Quick Launch";
    if (isUsableFolder(candidate)) folder = candidate;
  }
  if (folder.empty()) folder = mapGroupsQuickLaunch.empty() ? currentDirectory : mapGroupsQuickLaunch;
  if (!isUsableFolder(folder)) folder = currentDirectory;
  return folder;
}

}  // namespace bw
