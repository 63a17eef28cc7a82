// A Knobset dialog holding pages behind a tab control (the account and the
// application dialogs): it lays the pages over the tab control's display
// area, shows the chosen one, and walks the Tab key through a ring of its
// own, since the dialog manager would not step from the dialog into a page
// and back out.
#pragma once
#include <windows.h>

#include <vector>

#include "configurator/win32/bound_dialog.h"

namespace bw {

class PagedDialog : public BoundDialog {
 public:
  PagedDialog(int templateId, int tabsId);
  ~PagedDialog() override;

 protected:
  // From OnInit: labels the tabs, creates each page (labels[i] for
  // pages[i]) over the tab control's display area, shows the first and
  // starts the Tab handling.
  void SetUpPages(const std::vector<const char*>& labels, const std::vector<Dialog*>& pages);
  void ShowPage(int page);
  // The page's window once SetUpPages has created it, none before (while
  // the pages are being made, the later ones are not there yet).
  HWND Page(size_t page) const { return page < pages_.size() ? pages_[page] : nullptr; }
  // The controls Tab walks through, in order; AddShownPage adds the shown
  // page's enabled and visible tab stops where they belong.
  virtual std::vector<HWND> TabRing() const = 0;
  void AddShownPage(std::vector<HWND>* ring) const;

  // A click on a tab shows its page.
  bool OnNotify(NMHDR* header, LRESULT* result) override;

 private:
  // Moves the focus for Tab or Shift+Tab; false when the focus is elsewhere.
  bool Navigate(HWND focus, bool backwards);
  static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);

  int tabsId_;
  std::vector<HWND> pages_;
  int shown_ = 0;
  HHOOK filter_ = nullptr;
};

}  // namespace bw
