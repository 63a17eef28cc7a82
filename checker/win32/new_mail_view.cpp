// The list window, the tooltip and the notification icon of new mail; see
// new_mail_view.h.
#include "checker/win32/new_mail_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

namespace bw {
namespace {

const wchar_t kListClass[] = L"BellwickNewMailList";
constexpr UINT kTipId = 1;

const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Copies `text` into a fixed field of a Windows structure, cut to fit.
template <std::size_t N>
void CopyField(wchar_t (&field)[N], const std::u16string& text) {
  const std::size_t n = std::min(text.size(), N - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), field);
  field[n] = 0;
}

void SetCell(HWND list, int row, int column, const std::u16string& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(W(text));
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

NewMailWindow::~NewMailWindow() {
  if (window_) DestroyWindow(window_);
}

LRESULT CALLBACK NewMailWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<NewMailWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_SIZE:
      if (self && self->listView_) MoveWindow(self->listView_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (self) {
        self->window_ = nullptr;
        self->listView_ = nullptr;
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void NewMailWindow::Open(HINSTANCE instance, const NewMailList& list) {
  if (window_) {
    Refresh(list);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    return;
  }
  static bool registered = false;
  if (!registered) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(5));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kListClass;
    registered = RegisterClassExW(&windowClass) != 0;
  }
  window_ = CreateWindowExW(0, kListClass, W(u"新着ﾒｰﾙ一覧"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                            560, 300, nullptr, nullptr, instance, nullptr);
  if (!window_) return;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  RECT client{};
  GetClientRect(window_, &client);
  listView_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0,
                              client.right, client.bottom, window_, nullptr, instance, nullptr);
  SendMessageW(listView_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const struct {
    const char16_t* title;
    int width;
  } columns[] = {{u"接続先", 80}, {u"差出人", 120}, {u"件名", 240}, {u"日時", 80}};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(columns[i].title));
    column.cx = columns[i].width;
    column.iSubItem = i;
    SendMessageW(listView_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  Refresh(list);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
}

void NewMailWindow::Refresh(const NewMailList& list) {
  if (!listView_) return;
  SendMessageW(listView_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
  int row = 0;
  for (const NewMailEntry& entry : list.Entries()) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(W(entry.account));
    if (SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0) break;
    SetCell(listView_, row, 1, entry.from);
    SetCell(listView_, row, 2, entry.subject);
    SetCell(listView_, row, 3, entry.date);
    ++row;
  }
  SendMessageW(listView_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(listView_, nullptr, TRUE);
}

// ---- tooltip ----

ButtonTooltip::~ButtonTooltip() {
  if (tooltip_) DestroyWindow(tooltip_);
}

void ButtonTooltip::Attach(HWND button) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  button_ = button;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, button, nullptr,
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(button, GWLP_HINSTANCE)), nullptr);
  if (!tooltip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = button;
  tool.uId = reinterpret_cast<UINT_PTR>(button);
  text_.clear();
  tool.lpszText = const_cast<wchar_t*>(text_.c_str());
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // Wide enough for three lines of sender and subject, broken at CR LF.
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 480);
}

void ButtonTooltip::SetText(const std::u16string& text) {
  if (!tooltip_) return;
  text_.assign(text.begin(), text.end());
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = button_;
  tool.uId = reinterpret_cast<UINT_PTR>(button_);
  tool.lpszText = const_cast<wchar_t*>(text_.c_str());
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// ---- notification icon ----

bool NotifyIcon::Add(HWND owner, UINT callbackMessage, HICON icon, const std::u16string& tip) {
  if (owner_) return true;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = kTipId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon;
  CopyField(data.szTip, tip);
  if (!Shell_NotifyIconW(NIM_ADD, &data)) return false;
  owner_ = owner;
  return true;
}

void NotifyIcon::Balloon(const std::u16string& title, const std::u16string& text) {
  if (!owner_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = kTipId;
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_INFO;
  CopyField(data.szInfoTitle, title);
  CopyField(data.szInfo, text);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void NotifyIcon::Remove() {
  if (!owner_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = kTipId;
  Shell_NotifyIconW(NIM_DELETE, &data);
  owner_ = nullptr;
}

}  // namespace bw
