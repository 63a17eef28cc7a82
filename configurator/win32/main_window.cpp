// Knobset's main window: set-up, the record list and its editing commands
// (see main_window.h; the file commands are in main_commands.cpp).
#include "configurator/win32/main_window.h"


#include <shellapi.h>

#include "common/win32/program_names.h"
#include "configurator/core/field_text.h"
#include "platform/win32/wide_text.h"
#include "configurator/core/main_rules.h"
#include "configurator/core/main_tabs.h"
#include "configurator/core/record_list.h"
#include "configurator/ids/knobset_ids.h"
#include "configurator/win32/account_dialog.h"
#include "configurator/win32/app_dialog.h"
#include "configurator/win32/knobset_box.h"
#include "configurator/win32/main_paths.h"
#include "configurator/win32/options_dialogs.h"
#include "configurator/win32/simple_dialogs.h"

namespace bw {
namespace {

int ColumnFormat(ColumnAlign align) {
  switch (align) {
    case ColumnAlign::kRight: return LVCFMT_RIGHT;
    case ColumnAlign::kCenter: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
  }
}

void SetCell(HWND list, int row, int column, const std::string& text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = &wide[0];
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

MainWindow::MainWindow(std::string saveFileName, const ParameterFileHeader& header,
                       std::unique_ptr<AncestryPop3Controller> controller)
    : BoundDialog(GetModuleHandleW(nullptr), IDD_MAIN),
      saveFileName_(std::move(saveFileName)),
      logFileName_(header.logFileName),
      logFileLimit_(header.logFileLimit),
      fileVersion_(header.fileVersion),
      controller_(std::move(controller)) {
  SetHelpTopic("knobset-main.html");
}

MainWindow::~MainWindow() {
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  if (bigIcon_) DestroyIcon(bigIcon_);
  if (smallIcon_) DestroyIcon(smallIcon_);
}

void MainWindow::Run() {
  if (!Create(nullptr)) return;
  ShowWindow(Handle(), SW_SHOW);
  // The accelerators are looked at before the dialog's own key handling.
  MSG msg;
  while (!ended_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (Handle() && TranslateAcceleratorW(Handle(), accelerators_, &msg)) continue;
    if (Handle() && IsDialogMessageW(Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MainWindow::OnInit() {
  HMENU system = GetSystemMenu(Handle(), FALSE);
  AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(system, MF_STRING, IDM_SYSTEM_ABOUT, Wide("Knobset のﾊﾞｰｼﾞｮﾝ情報(&A)...").c_str());
  HINSTANCE instance = GetModuleHandleW(nullptr);
  bigIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KNOBSET), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON),
                                           GetSystemMetrics(SM_CYICON), 0));
  smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KNOBSET),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

  HWND tabs = Item(IDC_TABS);
  for (int i = 0; i < kTabCount; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring label = Wide(TabLabel(i, true));
    item.pszText = &label[0];
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tabs, TCM_SETCURSEL, 0, 0);
  tab_ = 0;
  SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  SetMessageOwner(Handle());

  TakeConfiguration();

  const std::string program = ProgramPath();
  checkerPath_ = PathBesideProgram(program, kCheckerProgram);
  checkerPresent_ = !program.empty() && IsOrdinaryFile(checkerPath_);
  return false;
}

void MainWindow::TakeConfiguration() {
  dirty_ = false;
  saveFileName_ = FullPath(saveFileName_);
  logFileName_ = FullPath(logFileName_);
  SetTextQuietly(IDC_SAVE_FILE, saveFileName_);
  RecordDraft limit;
  limit.Set(kLogFileLimitKey, std::to_string(logFileLimit_));
  quiet_ = true;
  FillBound(kMainWindowBindings, kNoPage, limit);
  quiet_ = false;
  SetTextQuietly(IDC_LOG_FILE, logFileName_);
  Rebuild();
  UpdateEnabling();
}

void MainWindow::SetTextQuietly(int id, const std::string& text) {
  quiet_ = true;
  SetItemText(id, text);
  quiet_ = false;
}

bool MainWindow::ReadControls() {
  if (!FieldsHoldShiftJis(Handle())) return false;
  RecordDraft limit;
  const BoundRefusal refusal = ReadBoundRows(kMainWindowBindings, kNoPage, limit);
  if (refusal.row) {
    KnobsetBox(Handle(), refusal.message, MB_OK | MB_ICONEXCLAMATION);
    SetFocus(Item(refusal.control));
    SendMessageW(Item(refusal.control), EM_SETSEL, 0, -1);
    return false;
  }
  logFileLimit_ = AtoiValue(limit.Text(kLogFileLimitKey));
  saveFileName_ = ItemText(IDC_SAVE_FILE);
  logFileName_ = ItemText(IDC_LOG_FILE);
  return true;
}

int MainWindow::ListRows() const {
  return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
}

void MainWindow::UpdateEnabling() {
  const int selected = static_cast<int>(SendMessageW(List(), LVM_GETSELECTEDCOUNT, 0, 0));
  const MainEnabling e = ComputeMainEnabling(saveFileName_, selected, tab_, ListRows());
  EnableItem(IDOK, e.ok);
  EnableItem(IDC_UPDATE, e.update);
  EnableItem(IDC_DELETE, e.remove);
  EnableItem(IDC_CAPTURE, e.capture);
  EnableItem(IDC_ADD, e.add);
}

std::vector<RingListClass*> MainWindow::SelectedRecords() const {
  std::vector<RingListClass*> records;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                              LVNI_SELECTED))) >= 0) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    records.push_back(reinterpret_cast<RingListClass*>(item.lParam));
  }
  return records;
}

void MainWindow::Reselect(const std::vector<RingListClass*>& records) {
  const int rows = ListRows();
  for (int row = 0; row < rows; ++row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (RingListClass* record : records) {
      if (reinterpret_cast<RingListClass*>(item.lParam) != record) continue;
      ListView_SetItemState(List(), row, LVIS_SELECTED, LVIS_SELECTED);
    }
  }
}

void MainWindow::SetTabLabels() {
  for (int i = 0; i < kTabCount; ++i) {
    std::wstring label = Wide(TabLabel(i, DescribeTab(i).head(*controller_) == nullptr));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = &label[0];
    SendMessageW(Item(IDC_TABS), TCM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

void MainWindow::FreshImageList() {
  images_.Reset(ImageList_Create(16, 16, ILC_MASK | ILC_COLOR24, 4, 4));
  SendMessageW(List(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.Get()));
}

void MainWindow::Rebuild() {
  SetTabLabels();
  HWND list = List();
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  while (SendMessageW(list, LVM_DELETECOLUMN, 0, 0)) {
  }
  const std::vector<TabColumn>& columns = DescribeTab(tab_).columns;
  for (size_t i = 0; i < columns.size(); ++i) {
    std::wstring title = Wide(columns[i].title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = ColumnFormat(columns[i].align);
    column.cx = columns[i].width;
    column.pszText = &title[0];
    column.iSubItem = static_cast<int>(i);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  FreshImageList();
  InsertRows();
  SetFocus(list);
}

void MainWindow::Refill() {
  HWND list = List();
  const int top = GetScrollPos(list, SB_VERT);
  const int left = GetScrollPos(list, SB_HORZ);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  FreshImageList();
  InsertRows();
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (ListRows() > 0 && SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)))
    SendMessageW(list, LVM_SCROLL, static_cast<WPARAM>(left), top * (row.bottom - row.top));
  SetFocus(list);
}

void MainWindow::InsertRows() {
  HWND list = List();
  const TabDescription& tab = DescribeTab(tab_);
  int row = 0;
  for (RingListClass* record : RingRows(Head())) {
    TabRow shown = tab.row(*record);
    int image = -1;
    HICON icon = nullptr;
    if (!shown.iconFile.empty() &&
        ExtractIconExW(Wide(shown.iconFile).c_str(), 0, nullptr, &icon, 1) > 0 && icon) {
      image = ImageList_AddIcon(images_.Get(), icon);
      DestroyIcon(icon);
    }
    std::wstring first = Wide(shown.cells[0]);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = row;
    item.pszText = &first[0];
    item.lParam = reinterpret_cast<LPARAM>(record);
    item.iImage = image;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (size_t c = 1; c < shown.cells.size(); ++c)
      SetCell(list, row, static_cast<int>(c), shown.cells[c]);
    ++row;
  }
}

RingListClass* MainWindow::Head() const { return DescribeTab(tab_).head(*controller_); }

void MainWindow::SetHead(RingListClass* head) { DescribeTab(tab_).setHead(*controller_, head); }

bool MainWindow::OnCommand(int id, int code) {
  switch (id) {
    case IDC_SAVE_FILE:
      if (code == EN_CHANGE && !quiet_) {
        saveFileName_ = ItemText(IDC_SAVE_FILE);
        UpdateEnabling();
      }
      return true;
    case IDC_LOG_FILE:
    case IDC_LOG_LIMIT:
      if (code == EN_CHANGE && !quiet_) dirty_ = true;
      return true;
    case IDC_BROWSE_SAVE: BrowseSave(); return true;
    case IDC_BROWSE_LOG: BrowseLog(); return true;
    case IDC_ADD: Add(); return true;
    case IDC_UPDATE:
    case IDM_UPDATE: Update(); return true;
    case IDC_UP: Move(true); return true;
    case IDC_DOWN: Move(false); return true;
    case IDC_DELETE: Delete(); return true;
    case IDC_OPTIONS: EditOptions(); return true;
    case IDC_CONTROL: EditAutoExecControl(); return true;
    case IDC_CAPTURE: Capture(); return true;
    case IDM_SELECT_ALL: SelectAll(true); return true;
    case IDM_DESELECT_ALL: SelectAll(false); return true;
    case IDM_LOAD: Load(); return true;
    case IDM_SAVE: Save(); return true;
    case IDM_EXIT: Exit(); return true;
    case IDM_RESTART: Restart(false); return true;
    case IDM_RESTART_SIMULATED: Restart(true); return true;
    case IDM_HELP: Help(); return true;
    case IDM_ABOUT: About(); return true;
    default: return Dialog::OnCommand(id, code);
  }
}

bool MainWindow::OnNotify(NMHDR* header, LRESULT*) {
  if (header->idFrom == IDC_TABS && header->code == TCN_SELCHANGE) {
    // A refused log limit is reported but does not hold the tab back.
    ReadControls();
    tab_ = static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
    Rebuild();
    UpdateEnabling();
    return true;
  }
  if (header->idFrom != IDC_LIST) return false;
  switch (header->code) {
    case LVN_ITEMCHANGED: UpdateEnabling(); return true;
    case NM_DBLCLK: Update(); return true;
    case NM_RCLICK: ShowListPopup(); return true;
    default: return false;
  }
}

bool MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  // What it handles, it answers FALSE, leaving the system's handling in place.
  result = FALSE;
  MousePick::Outcome pick = MousePick::kGoesOn;
  if (pick_.OnMessage(message, wParam, &pick)) {
    if (pick != MousePick::kGoesOn) EndPick(pick == MousePick::kTake);
    return true;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_SYSTEM_ABOUT) {
    About();
    return true;
  }
  if (message == WM_DESTROY) {
    // The image list goes with the window; the records stay with the
    // controller, which the caller destroys.
    SendMessageW(List(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    images_.Reset(nullptr);
    SetMessageOwner(nullptr);
    ended_ = true;
  }
  return false;
}

bool MainWindow::OnOK() {
  // Enter runs Update, but only while the hidden OK button is enabled; the
  // window stays.
  if (IsWindowEnabled(Item(IDOK))) Update();
  return false;
}

void MainWindow::ShowListPopup() {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_LIST_POPUP));
  if (!menu) return;
  POINT at;
  GetCursorPos(&at);
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
  DestroyMenu(menu);
}

void MainWindow::EditOptions() {
  if (RunOptionsDialog(Handle(), *controller_)) dirty_ = true;
}

void MainWindow::EditAutoExecControl() {
  if (RunAutoExecControlDialog(Handle(), *controller_)) dirty_ = true;
}

namespace {

// The record dialogs of the three tabs, each with the ring of its tab; true
// on OK.
bool RunAccountDialog(HWND owner, RingListClass* record, RingListClass* head) {
  AccountDialog dialog(*static_cast<AncestryPop3Checker*>(record), static_cast<AncestryPop3Checker*>(head));
  return dialog.DoModal(owner) == IDOK;
}
bool RunMenuDialog(HWND owner, RingListClass* record, RingListClass*) {
  return RunApplicationDialog(owner, AppDialogKind::kMenu, *static_cast<Executant*>(record));
}
bool RunAutoExecDialog(HWND owner, RingListClass* record, RingListClass*) {
  return RunApplicationDialog(owner, AppDialogKind::kAutoExec, *static_cast<Executant*>(record));
}
bool (*const kRecordDialogs[kTabCount])(HWND, RingListClass*, RingListClass*) = {
    RunAccountDialog, RunMenuDialog, RunAutoExecDialog};

}  // namespace

void MainWindow::Add() {
  RingListClass* record = DescribeTab(tab_).newRecord();
  if (!kRecordDialogs[tab_](Handle(), record, Head())) {
    delete record;
    return;
  }
  RingListClass* head = Head();
  const bool wasEmpty = !head;
  AppendRecord(head, record);
  SetHead(head);
  if (wasEmpty) {
    Rebuild();
  } else {
    Refill();
  }
  UpdateEnabling();
  dirty_ = true;
}

void MainWindow::Update() {
  const std::vector<RingListClass*> selected = SelectedRecords();
  if (selected.size() != 1) return;
  if (!kRecordDialogs[tab_](Handle(), selected[0], Head())) return;
  SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
  Refill();
  Reselect(selected);
  SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(List(), nullptr, TRUE);
  UpdateEnabling();
  dirty_ = true;
}

void MainWindow::Delete() {
  const std::vector<RingListClass*> selected = SelectedRecords();
  if (selected.empty()) return;
  RingListClass* head = Head();
  const int index = DeleteRecords(head, selected);
  SetHead(head);
  if (!head) {
    Rebuild();
  } else {
    Refill();
  }
  UpdateEnabling();
  if (index >= 0 && index < ListRows()) {
    SendMessageW(List(), LVM_SETSELECTIONMARK, 0, index);
    ListView_SetItemState(List(), index, LVIS_SELECTED, LVIS_SELECTED);
  }
  dirty_ = true;
}

void MainWindow::Move(bool up) {
  const std::vector<RingListClass*> selected = SelectedRecords();
  RingListClass* head = Head();
  const bool moved = up ? MoveRecordsUp(head, selected) : MoveRecordsDown(head, selected);
  SetHead(head);
  if (!moved) {
    SetFocus(List());
    return;
  }
  SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
  Refill();
  Reselect(selected);
  SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(List(), nullptr, TRUE);
  dirty_ = true;
}

void MainWindow::SelectAll(bool select) {
  ListView_SetItemState(List(), -1, select ? LVIS_SELECTED : 0, LVIS_SELECTED);
  if (select) SetFocus(List());
}

}  // namespace bw
