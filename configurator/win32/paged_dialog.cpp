// Tabbed pages of a dialog (see paged_dialog.h).
#include "configurator/win32/paged_dialog.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace bw {
namespace {

// The dialog whose Tab keys the message filter handles (one at a time).
PagedDialog* g_navigating = nullptr;

}  // namespace

PagedDialog::PagedDialog(int templateId, int tabsId)
    : BoundDialog(GetModuleHandleW(nullptr), templateId), tabsId_(tabsId) {}

PagedDialog::~PagedDialog() {
  if (filter_) UnhookWindowsHookEx(filter_);
  if (g_navigating == this) g_navigating = nullptr;
}

void PagedDialog::SetUpPages(const std::vector<const char*>& labels,
                             const std::vector<Dialog*>& pages) {
  HWND tabs = Item(tabsId_);
  for (size_t i = 0; i < labels.size(); ++i) {
    std::wstring label = Wide(labels[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = &label[0];
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  // The pages fill the tab control's display area and lie above it.
  RECT frame;
  GetWindowRect(tabs, &frame);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&frame), 2);
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&frame));
  pages_.clear();
  for (Dialog* page : pages) pages_.push_back(page->Create(Handle()));
  for (HWND page : pages_)
    SetWindowPos(page, HWND_TOP, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_HIDEWINDOW);
  ShowPage(0);
  g_navigating = this;
  filter_ = SetWindowsHookExW(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
}

void PagedDialog::ShowPage(int page) {
  SendMessageW(Item(tabsId_), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  for (size_t i = 0; i < pages_.size(); ++i)
    ShowWindow(pages_[i], static_cast<int>(i) == page ? SW_SHOW : SW_HIDE);
  shown_ = page;
}

void PagedDialog::AddShownPage(std::vector<HWND>* ring) const {
  for (HWND child = GetWindow(pages_[shown_], GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if ((style & WS_TABSTOP) && IsWindowEnabled(child) && IsWindowVisible(child))
      ring->push_back(child);
  }
}

bool PagedDialog::OnNotify(NMHDR* header, LRESULT*) {
  if (header->idFrom == static_cast<UINT_PTR>(tabsId_) && header->code == TCN_SELCHANGE) {
    ShowPage(static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
    SetFocus(header->hwndFrom);
    return true;
  }
  return false;
}

bool PagedDialog::Navigate(HWND focus, bool backwards) {
  const std::vector<HWND> ring = TabRing();
  // A combo box's edit or list child counts as the combo box itself.
  HWND control = focus;
  while (control && GetParent(control) != Handle() && GetParent(control) != pages_[shown_])
    control = GetParent(control);
  for (size_t i = 0; i < ring.size(); ++i) {
    if (ring[i] != control) continue;
    const size_t n = ring.size();
    HWND next = ring[backwards ? (i + n - 1) % n : (i + 1) % n];
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    return true;
  }
  return false;
}

LRESULT CALLBACK PagedDialog::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && g_navigating && msg->message == WM_KEYDOWN &&
      msg->wParam == VK_TAB && IsChild(g_navigating->Handle(), msg->hwnd)) {
    if (g_navigating->Navigate(msg->hwnd, GetKeyState(VK_SHIFT) < 0)) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace bw
