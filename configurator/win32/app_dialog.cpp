// The application dialogs and their pages (see app_dialog.h), with the
// program choosers: the plain and Quick Launch browsers, "Shell" through the
// file association, and the working-folder chooser.
#include "configurator/win32/app_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/system_error.h"
#include "configurator/core/field_text.h"
#include "configurator/win32/knobset_box.h"
#include "configurator/win32/file_chooser.h"
#include "platform/win32/wide_text.h"

namespace bw {
namespace {

// The current drive and directory, put back when the chooser is done (the
// file dialogs may move it, and the record's relative paths depend on it).
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper() {
    wchar_t folder[MAX_PATH] = {};
    if (GetCurrentDirectoryW(MAX_PATH, folder)) savedWide_ = folder;
    // A folder Shift_JIS cannot hold is put back but not offered as a start.
    bool lossless = true;
    saved_ = Narrow(savedWide_, &lossless);
    if (!lossless) saved_.clear();
  }
  ~CurrentDirectoryKeeper() {
    if (!savedWide_.empty()) SetCurrentDirectoryW(savedWide_.c_str());
  }
  CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
  CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;
  const std::string& Saved() const { return saved_; }

 private:
  std::wstring savedWide_;
  std::string saved_;
};

// The open-file dialog of the choosers.
bool AskOpenFile(HWND owner, const char* filter, const std::string& initial, DWORD flags,
                 const char* initialFolder, std::string* chosen) {
  return AskFile(owner, true, filter, initial, initialFolder, nullptr,
                 OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | flags, chosen);
}

// A registry text value of the current user, "" when unreadable.
std::string UserRegistryText(const char* key, const char* value) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return "";
  wchar_t buffer[261] = {};
  DWORD size = 260 * sizeof(wchar_t);
  DWORD type = 0;
  const LONG result = RegQueryValueExW(handle, Wide(value).c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return "";
  const DWORD n = size / sizeof(wchar_t);
  buffer[n < 260 ? n : 260] = L'\0';
  // A folder Shift_JIS cannot hold cannot be stored: none is offered.
  bool lossless = true;
  std::string text = Narrow(buffer, std::wstring(buffer).size(), &lossless);
  return lossless ? text : "";
}

bool IsUsableFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  return !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                         FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE));
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string AssociatedProgram(const std::string& document, const std::string& folder) {
  wchar_t program[MAX_PATH] = {};
  const std::wstring in = Wide(folder);
  const INT_PTR found = reinterpret_cast<INT_PTR>(
      FindExecutableW(Wide(document).c_str(), folder.empty() ? nullptr : in.c_str(), program));
  // A program Shift_JIS cannot hold cannot be stored: as if none were found.
  bool lossless = true;
  std::string name = Narrow(program, std::wstring(program).size(), &lossless);
  return found > 32 && lossless ? name : std::string();
}

// The list is built once per run from the environment.
const ExecutableExtensions& Extensions() {
  static const ExecutableExtensions extensions(std::getenv("PATHENT"));
  return extensions;
}

int CALLBACK FolderChooserEvent(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    SetWindowTextW(window, Wide("パスの選択").c_str());
    const auto* start = reinterpret_cast<const std::string*>(data);
    if (!start->empty())
      SendMessageW(window, BFFM_SETSELECTIONW, TRUE,
                   reinterpret_cast<LPARAM>(Wide(*start).c_str()));
  }
  return 0;
}

// The path-selection dialog ("パスの選択"): starts in `folder` and replaces
// it by the chosen folder; false when cancelled.
bool ChooseFolder(HWND owner, std::string* folder) {
  CurrentDirectoryKeeper keeper;
  const std::string start = *folder;
  wchar_t display[MAX_PATH] = {};
  const std::wstring title = Wide("パス(&P):");
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = FolderChooserEvent;
  info.lParam = reinterpret_cast<LPARAM>(&start);
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  if (!chosen) return false;
  wchar_t path[MAX_PATH] = {};
  const BOOL ok = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  if (!ok) return false;
  bool lossless = true;
  const std::string narrow = Narrow(path, std::wstring(path).size(), &lossless);
  if (!lossless) {
    KnobsetBox(owner, "ﾌｫﾙﾀﾞ名[" + narrow + "]" + kNotShiftJisText, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  *folder = narrow;
  return true;
}

}  // namespace

// ---- Pages ----

const BindingTable& AppPage::Rows() const { return owner_.Rows(); }

bool AppPage::OnInit() {
  FillBound(Rows(), page_, draft_);
  return false;
}

BoundRefusal AppPage::Read() { return ReadBoundRows(Rows(), page_, draft_); }

bool AppPage::OnCommand(int id, int code) {
  if (ChangesEnabling(id) && code == BN_CLICKED) {
    owner_.Refresh();
    return true;
  }
  return false;
}

void GeometryPage::ApplyEnabling(const AppDialogEnabling&) {
  EnableBoundPairs(Rows(), page_);
}

bool PriorityPage::OnInit() {
  SetChecked(IDC_PRIORITY_GIVEN, AppPriorityGiven(draft_));
  return AppPage::OnInit();
}

void PriorityPage::ApplyEnabling(const AppDialogEnabling& enabling) {
  EnableItem(IDC_PRIORITY_CLASS, enabling.classList);
  EnableItem(IDC_PRIORITY_THREAD, enabling.threadList);
  EnableItem(IDC_INITIAL_ONCE, enabling.initialOnce);
  EnableItem(IDC_DISABLE_IME, enabling.disableIME);
}

// ---- The dialog ----

ApplicationDialog::ApplicationDialog(AppDialogKind kind, Executant& record)
    : PagedDialog(IDD_APPLICATION, IDC_APP_TABS),
      kind_(kind),
      record_(record),
      draft_(kind == AppDialogKind::kMenu ? OpenAppDialog(static_cast<MenuExecutant&>(record))
                                          : OpenAppDialog(record)),
      geometryPage_(draft_, *this),
      priorityPage_(draft_, *this) {
  SetHelpTopic("app-dialog.html");
}

ApplicationDialog::~ApplicationDialog() {
  ReleaseIcons();
}

bool ApplicationDialog::OnInit() {
  const bool menu = kind_ == AppDialogKind::kMenu;
  SetWindowTextW(Handle(), Wide(menu ? "ﾒﾆｭｰ起動情報" : "ｱﾌﾟﾘｹｰｼｮﾝ起動情報").c_str());
  ShowWindow(Item(IDC_APP_MENU_LABEL), menu ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(IDC_APP_MENU_NAME), menu ? SW_SHOW : SW_HIDE);
  ShowMainFields();

  SetUpPages({"表示属性", "ｱﾄﾞﾊﾞﾝｽﾄ"}, {&geometryPage_, &priorityPage_});
  ShowProgram();
  SendMessageW(Handle(), WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(Item(menu ? IDC_APP_MENU_NAME : IDC_APP_FILE)), TRUE);
  return false;
}

void ApplicationDialog::ShowMainFields() {
  quiet_ = true;
  FillBound(Rows(), kNoPage, draft_);
  quiet_ = false;
}

void ApplicationDialog::ReadMainFields() { ReadBoundRows(Rows(), kNoPage, draft_); }

void ApplicationDialog::Refresh() {
  ReadMainFields();
  const bool priorityGiven = Page(1) ? priorityPage_.PriorityGiven() : AppPriorityGiven(draft_);
  const AppDialogEnabling enabling = AppDialogEnablingFor(draft_, priorityGiven);
  EnableItem(IDC_APP_FILE, enabling.fileName);
  EnableItem(IDOK, enabling.ok);
  if (Page(0)) geometryPage_.ApplyEnabling(enabling);
  if (Page(1)) priorityPage_.ApplyEnabling(enabling);
}

void ApplicationDialog::ReleaseIcons() {
  if (largeIcon_) DestroyIcon(largeIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  largeIcon_ = smallIcon_ = nullptr;
}

void ApplicationDialog::ShowProgram() {
  ReadMainFields();
  SetItemText(IDC_APP_BASE_NAME, AppDialogBaseName(draft_));
  // The buttons drop the old icons before they are destroyed.
  SendMessageW(Item(IDC_APP_LARGE_ICON), BM_SETIMAGE, IMAGE_ICON, 0);
  SendMessageW(Item(IDC_APP_SMALL_ICON), BM_SETIMAGE, IMAGE_ICON, 0);
  ReleaseIcons();
  const std::string& program = draft_.Text(kExecutionFileName);
  if (!program.empty() && ExtractIconExW(Wide(program).c_str(), 0, &largeIcon_, &smallIcon_, 1) == 0) {
    largeIcon_ = smallIcon_ = nullptr;
  }
  SendMessageW(Item(IDC_APP_LARGE_ICON), BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(largeIcon_));
  SendMessageW(Item(IDC_APP_SMALL_ICON), BM_SETIMAGE, IMAGE_ICON,
               reinterpret_cast<LPARAM>(smallIcon_));
  Refresh();
}

bool ApplicationDialog::OnCommand(int id, int code) {
  switch (id) {
    case IDC_APP_FILE:
      if (code == EN_CHANGE && !quiet_) ShowProgram();
      return true;
    case IDC_APP_ARGUMENTS:
      // The arguments hold a shell start's document: OK follows them.
      if (code == EN_CHANGE && !quiet_) Refresh();
      return true;
    case IDC_APP_LARGE_ICON:
    case IDC_APP_SMALL_ICON:
      return true;  // display only
    case IDC_APP_BROWSE: BrowseProgram(); return true;
    case IDC_APP_QUICK_LAUNCH: BrowseQuickLaunch(); return true;
    case IDC_APP_SHELL: ChooseShellDocument(); return true;
    case IDC_APP_BROWSE_FOLDER: BrowseFolder(); return true;
    default: return Dialog::OnCommand(id, code);
  }
}

void ApplicationDialog::BrowseProgram() {
  ReadMainFields();
  ClearShellFlag(draft_);
  std::string chosen;
  if (AskOpenFile(Handle(), "実行ファイル(*.exe;*.cmd)|*.exe;*.cmd|すべて(*.*)|*.*||",
                  draft_.Text(kExecutionFileName), OFN_HIDEREADONLY | OFN_NOCHANGEDIR, nullptr,
                  &chosen)) {
    ApplyBrowsedProgram(draft_, chosen);
    ShowMainFields();
  }
  ShowProgram();
}

void ApplicationDialog::BrowseQuickLaunch() {
  ReadMainFields();
  ClearShellFlag(draft_);
  const std::string appData = UserRegistryText(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData");
  const std::string mapGroups = UserRegistryText(
      "Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups", "Quick Launch");
  std::string chosen;
  bool ok;
  {
    CurrentDirectoryKeeper keeper;
    const std::string start =
        QuickLaunchStartFolder(appData, mapGroups, keeper.Saved(), IsUsableFolder);
    if (!SetCurrentDirectoryW(Wide(start).c_str())) ShowSystemError(true);
    ok = AskOpenFile(Handle(), "実行ファイル(*.exe;*.cmd;*.bat)|*.exe;*.cmd;*.bat|すべて(*.*)|*.*||",
                     FileNamePart(draft_.Text(kExecutionFileName)), 0, start.c_str(), &chosen);
  }
  if (ok) {
    ApplyBrowsedProgram(draft_, chosen);
    ShowMainFields();
  }
  ShowProgram();
}

void ApplicationDialog::ChooseShellDocument() {
  ReadMainFields();
  std::string chosen;
  if (AskOpenFile(Handle(), "すべて(*.*)|*.*||", draft_.Text(kExecutionArguments), OFN_NOCHANGEDIR,
                  nullptr, &chosen)) {
    ShellQueries queries;
    queries.findExecutable = AssociatedProgram;
    queries.isFile = IsFile;
    ApplyShellDocument(draft_, chosen, Extensions(), queries);
    ShowMainFields();
  }
  ShowProgram();
}

void ApplicationDialog::BrowseFolder() {
  std::string folder = ItemText(IDC_APP_FOLDER);
  if (!ChooseFolder(Handle(), &folder)) return;
  quiet_ = true;
  SetItemText(IDC_APP_FOLDER, folder);
  quiet_ = false;
  Refresh();
}

bool ApplicationDialog::OnOK() {
  // Enter reaches here too; a disabled OK refuses it like a click.
  if (!IsWindowEnabled(Item(IDOK))) return false;
  // The dialog's own fields and their rules, then each page in turn.
  BoundRefusal refusal = ReadBoundRows(Rows(), kNoPage, draft_);
  if (refusal.row) return Refuse(kNoPage, refusal.control, refusal.message);
  const AppDialogCheck check = CheckAppProgram(draft_, kind_);
  if (!check.ok) return Refuse(check.page, check.control, check.message);
  AppPage* pages[] = {&geometryPage_, &priorityPage_};
  for (int page = kAppGeometryPage; page <= kAppPriorityPage; ++page) {
    refusal = pages[page]->Read();
    if (refusal.row) return Refuse(page, refusal.control, refusal.message);
  }
  return StoreAppDialog(draft_, priorityPage_.PriorityGiven(), kind_, record_);
}

bool ApplicationDialog::Refuse(int page, int control, const std::string& message) {
  Dialog* holder = this;
  if (page != kNoPage) {
    ShowPage(page);
    holder = page == kAppGeometryPage ? static_cast<Dialog*>(&geometryPage_) : &priorityPage_;
  }
  if (!message.empty()) KnobsetBox(Handle(), message, MB_OK | MB_ICONEXCLAMATION);
  if (control) {
    HWND field = holder->Item(control);
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    SendMessageW(field, EM_SETSEL, 0, -1);
  }
  return false;
}

std::vector<HWND> ApplicationDialog::TabRing() const {
  // The menu name, the tab control, the shown page's controls, then the
  // program, folder and arguments with their buttons, OK and Cancel. So Tab
  // on the tab control enters the page, Shift+Tab on the program goes back
  // into it, and leaving the page either way returns to the dialog.
  std::vector<HWND> ring;
  if (kind_ == AppDialogKind::kMenu) ring.push_back(Item(IDC_APP_MENU_NAME));
  ring.push_back(Item(IDC_APP_TABS));
  AddShownPage(&ring);
  for (int id : {IDC_APP_FILE, IDC_APP_SHELL, IDC_APP_QUICK_LAUNCH, IDC_APP_BROWSE, IDC_APP_FOLDER,
                 IDC_APP_BROWSE_FOLDER, IDC_APP_ARGUMENTS, IDOK, IDCANCEL}) {
    if (IsWindowEnabled(Item(id))) ring.push_back(Item(id));
  }
  return ring;
}

bool RunApplicationDialog(HWND owner, AppDialogKind kind, Executant& record) {
  ApplicationDialog dialog(kind, record);
  return dialog.DoModal(owner) == IDOK;
}

}  // namespace bw
