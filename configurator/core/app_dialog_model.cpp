// Field-to-record mapping and rules of the two application dialogs.
#include "configurator/core/app_dialog_model.h"

#include <climits>

#include "common/core/param_syntax.h"
#include "configurator/core/field_text.h"

namespace bw {

namespace {

// ---- Record adapter: the only code that touches the launch record. ----

// The record's values as the dialogs see them.
struct LaunchValues {
  std::string fileName, arguments, path, showMode, disableIME, initialOnce;
  int shellExec = 0;
  int positionGiven = 0, x = kNoCoordinate, y = kNoCoordinate;
  int sizeGiven = 0, width = kNoCoordinate, height = kNoCoordinate;
  int priority = 0;
  int inputTimeout = 5000;
};

LaunchValues ReadLaunchRecord(const Executant& r) {
  LaunchValues v;
  v.fileName = r.ExecutionFileName;
  v.arguments = r.ExecutionArguments;
  r.KeyText(kExecutionPath, &v.path);
  r.KeyText(kExecutionShowMode, &v.showMode);
  r.KeyText(kExecutionDisableIME, &v.disableIME);
  r.KeyText(kExecutionInitialOnce, &v.initialOnce);
  v.shellExec = r.ExecutionShellExec;
  v.positionGiven = r.positionGiven;
  v.x = r.x;
  v.y = r.y;
  v.sizeGiven = r.sizeGiven;
  v.width = r.width;
  v.height = r.height;
  v.priority = r.ExecutionPriority;
  v.inputTimeout = r.ExecutionInputTO;
  return v;
}

std::string PairText(int given, int a, int b) {
  return given ? FormatInt("%d,", a) + FormatInt("%d", b) : std::string();
}

// Writes in the order the dialog's OK gives (the menu name comes first and
// is written by the caller), through the record's key access, so each field
// ends up as reading its line back from the file would set it. Every text
// has passed Storable before.
void WriteLaunchRecord(const LaunchValues& v, Executant& r) {
  r.SetKeyText(kExecutionShellExec, v.shellExec ? "1" : "");
  r.SetKeyText(kExecutionFileName, v.fileName);
  r.SetKeyText(kExecutionInitialOnce, v.initialOnce);
  r.SetKeyText(kExecutionPath, v.path);
  r.SetKeyText(kExecutionArguments, v.arguments);
  r.SetKeyText(kExecutionShowMode, v.showMode);
  r.SetKeyText(kExecutionPosition, PairText(v.positionGiven, v.x, v.y));
  r.SetKeyText(kExecutionSize, PairText(v.sizeGiven, v.width, v.height));
  r.SetKeyText(kExecutionPriority, FormatInt("0x%04X", v.priority));
  r.SetKeyText(kExecutionDisableIME, v.disableIME);
  r.SetKeyText(kExecutionInputTO, FormatInt("%d", v.inputTimeout));
}

void WriteMenuName(const std::string& name, MenuExecutant& r) {
  r.SetMenuKeyText(kMenuExecutionName, name);
}

// True when the record can keep the text on one parameter-file line; tried
// on a scratch record so the real one stays untouched until all is checked.
bool Storable(AppDialogField field, const std::string& text) {
  if (field == AppDialogField::kMenuName) {
    MenuExecutant scratch;
    return scratch.SetMenuKeyText(kMenuExecutionName, text) != kSetUnstorable;
  }
  const int id = field == AppDialogField::kFileName        ? kExecutionFileName
                 : field == AppDialogField::kWorkingFolder ? kExecutionPath
                                                           : kExecutionArguments;
  Executant scratch;
  return scratch.SetKeyText(id, text) != kSetUnstorable;
}

// The longest text of plain characters the field's line can hold, for the
// length message.
int LongestStorable(AppDialogField field) {
  int fits = 0, fails = 1024;
  while (fails - fits > 1) {
    int mid = (fits + fails) / 2;
    (Storable(field, std::string(static_cast<size_t>(mid), 'a')) ? fits : fails) = mid;
  }
  return fits;
}

// ---- The dialog's rules. ----

std::string CoordinateText(int value) {
  return FormatInt("%d", value == kNoCoordinate ? 0 : value);
}

AppDialogFields FieldsFrom(const LaunchValues& v) {
  AppDialogFields f;
  f.fileName = v.fileName;
  f.workingFolder = v.path;
  f.arguments = v.arguments;
  f.shellExec = v.shellExec != 0;
  int show = AtoiValue(v.showMode);
  f.showRadio = show == 2 ? 1 : show == 3 ? 2 : 0;
  f.positionGiven = v.positionGiven != 0;
  f.x = CoordinateText(v.x);
  f.y = CoordinateText(v.y);
  f.sizeGiven = v.sizeGiven != 0;
  f.width = CoordinateText(v.width);
  f.height = CoordinateText(v.height);
  f.priorityGiven = v.priority != 0;
  int cls = v.priority & 0xF0;
  f.classIndex = cls == 0x10 ? 1 : cls == 0x20 ? 2 : cls == 0x30 ? 3 : 0;
  int thread = v.priority & 0x0F;
  f.threadIndex = thread >= 1 && thread <= 5 ? thread : 0;
  f.initialOnce = !f.shellExec && AtoiValue(v.initialOnce) != 0;
  f.disableIME = !f.shellExec && AtoiValue(v.disableIME) != 0;
  f.inputTimeout = FormatInt("%d", v.inputTimeout);
  return f;
}

AppDialogCheck Refuse(AppDialogPage page, AppDialogField field, std::string message) {
  AppDialogCheck c;
  c.ok = false;
  c.page = page;
  c.field = field;
  c.message = std::move(message);
  return c;
}

// Reads one number box; false (with the refusal in *check) when it fails.
bool ReadNumber(const std::string& text, long long lo, long long hi, int* value,
                AppDialogPage page, AppDialogField field, AppDialogCheck* check) {
  NumberCheck r = ReadNumberField(text, lo, hi, value);
  if (r == NumberCheck::kOk) return true;
  *check = Refuse(page, field, NumberMessage(r, lo, hi));
  return false;
}

// The check and the values to store, in one pass over the fields.
AppDialogCheck Evaluate(const AppDialogFields& f, AppDialogKind kind, LaunchValues* v) {
  AppDialogCheck check;
  // The dialog's own fields. OK is disabled while the program name is too
  // short, so there is nothing to say when it is pressed anyway.
  if (!f.shellExec && f.fileName.size() < static_cast<size_t>(kMinProgramNameLength))
    return Refuse(AppDialogPage::kMain, AppDialogField::kFileName, std::string());
  // A shell start needs the document; without it there is nothing to store.
  if (f.shellExec && f.fileName.empty() && f.arguments.empty())
    return Refuse(AppDialogPage::kMain, AppDialogField::kArguments, std::string());
  if (f.arguments.size() > static_cast<size_t>(kArgumentsMaxLength))
    return Refuse(AppDialogPage::kMain, AppDialogField::kArguments,
                  LengthMessage(kArgumentsMaxLength));
  // A text longer than a parameter-file line would come back in pieces.
  const std::string path = WithoutTrailingSeparator(f.workingFolder);
  const struct {
    AppDialogField field;
    const std::string& text;
  } texts[] = {{AppDialogField::kMenuName, f.menuName},
               {AppDialogField::kFileName, f.fileName},
               {AppDialogField::kWorkingFolder, path},
               {AppDialogField::kArguments, f.arguments}};
  for (const auto& t : texts) {
    if (t.field == AppDialogField::kMenuName && kind != AppDialogKind::kMenu) continue;
    if (!Storable(t.field, t.text))
      return Refuse(AppDialogPage::kMain, t.field, LengthMessage(LongestStorable(t.field)));
  }

  // Geometry page. Boxes of an unchecked position or size are not read:
  // their values are dropped anyway.
  const AppDialogPage geo = AppDialogPage::kGeometry;
  v->positionGiven = f.positionGiven;
  v->x = v->y = kNoCoordinate;
  if (f.positionGiven &&
      (!ReadNumber(f.x, INT_MIN, INT_MAX, &v->x, geo, AppDialogField::kX, &check) ||
       !ReadNumber(f.y, INT_MIN, INT_MAX, &v->y, geo, AppDialogField::kY, &check)))
    return check;
  v->sizeGiven = f.sizeGiven;
  v->width = v->height = kNoCoordinate;
  if (f.sizeGiven &&
      (!ReadNumber(f.width, INT_MIN, INT_MAX, &v->width, geo, AppDialogField::kWidth, &check) ||
       !ReadNumber(f.height, INT_MIN, INT_MAX, &v->height, geo, AppDialogField::kHeight, &check)))
    return check;

  // Priority page.
  const AppDialogPage pri = AppDialogPage::kPriority;
  v->priority = 0;
  if (f.priorityGiven) {
    if (f.classIndex < 0 || f.classIndex > 3)
      return Refuse(pri, AppDialogField::kClass, NumberMessage(NumberCheck::kOutOfRange, 0, 3));
    // The shell starts a document, not a process whose thread we could
    // reach, so no thread priority is kept for it.
    int thread = 0;
    if (!f.shellExec) {
      if (f.threadIndex < 0 || f.threadIndex > 5)
        return Refuse(pri, AppDialogField::kThread, NumberMessage(NumberCheck::kOutOfRange, 0, 5));
      thread = f.threadIndex;
    }
    v->priority = f.classIndex * 0x10 | thread;
  }
  if (!ReadNumber(f.inputTimeout, 0, InputTimeoutMax(kind), &v->inputTimeout, pri,
                  AppDialogField::kInputTimeout, &check))
    return check;

  v->shellExec = f.shellExec;
  // A record without a program would be dropped when the file is read
  // again; a shell start whose document has no associated program keeps the
  // document there instead (the shell starts the document in either case).
  v->fileName = f.shellExec && f.fileName.empty() ? f.arguments : f.fileName;
  v->initialOnce = f.initialOnce && !f.shellExec ? "1" : "";
  v->path = path;
  v->arguments = f.arguments;
  v->showMode = f.showRadio == 1 ? "2" : f.showRadio == 2 ? "3" : "1";
  v->disableIME = f.disableIME ? "1" : "";
  return check;
}

}  // namespace

int InputTimeoutMax(AppDialogKind kind) { return kind == AppDialogKind::kMenu ? 9999 : 99999; }

AppDialogFields LoadAppDialog(const Executant& record) {
  return FieldsFrom(ReadLaunchRecord(record));
}

AppDialogFields LoadAppDialog(const MenuExecutant& record) {
  AppDialogFields f = FieldsFrom(ReadLaunchRecord(record));
  f.menuName = record.MenuExecutionName;
  return f;
}

AppDialogEnabling AppDialogEnablingFor(const AppDialogFields& f) {
  AppDialogEnabling e;
  e.fileName = !f.shellExec;
  e.positionEdits = f.positionGiven;
  e.sizeEdits = f.sizeGiven;
  e.classList = f.priorityGiven;
  e.threadList = f.priorityGiven && !f.shellExec;
  e.initialOnce = !f.shellExec;
  e.disableIME = !f.shellExec;
  // A shell start needs a document (or the program found for it); OK would
  // otherwise be enabled and do nothing.
  e.ok = f.shellExec ? !(f.fileName.empty() && f.arguments.empty())
                     : f.fileName.size() >= static_cast<size_t>(kMinProgramNameLength);
  return e;
}

std::string AppDialogBaseName(const AppDialogFields& fields) { return FileNamePart(fields.fileName); }

AppDialogCheck CheckAppDialog(const AppDialogFields& fields, AppDialogKind kind) {
  LaunchValues v;
  return Evaluate(fields, kind, &v);
}

AppDialogCheck StoreAppDialog(const AppDialogFields& fields, Executant& record) {
  LaunchValues v;
  AppDialogCheck check = Evaluate(fields, AppDialogKind::kAutoExec, &v);
  if (check.ok) WriteLaunchRecord(v, record);
  return check;
}

AppDialogCheck StoreAppDialog(const AppDialogFields& fields, MenuExecutant& record) {
  LaunchValues v;
  AppDialogCheck check = Evaluate(fields, AppDialogKind::kMenu, &v);
  if (!check.ok) return check;
  WriteMenuName(fields.menuName, record);
  WriteLaunchRecord(v, record);
  return check;
}

void ApplyBrowsedProgram(AppDialogFields& fields, const std::string& chosenPath) {
  fields.shellExec = false;
  fields.fileName = chosenPath;
  fields.workingFolder = WorkingFolderOf(chosenPath);
}

void ApplyShellDocument(AppDialogFields& fields, const std::string& document,
                        const ExecutableExtensions& extensions, const ShellQueries& queries) {
  fields.shellExec = true;
  fields.arguments = document;
  fields.workingFolder = WorkingFolderOf(document);
  std::string program = extensions.Contains(ExtensionPart(document))
                            ? document
                            : queries.findExecutable(document, fields.workingFolder);
  if (!program.empty() && !queries.isFile(program)) program.clear();
  fields.fileName = program;
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
