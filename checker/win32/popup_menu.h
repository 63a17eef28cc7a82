// The checker's popup menu: loaded from the resources, its check marks set
// before each showing and, before the first, the menu applications filled
// in and the configurator's item greyed out when there is no configurator.
#pragma once
#include <windows.h>

#include "checker/win32/bellwick_ids.h"
#include "common/core/controller_record.h"

namespace bw {

// The menu lists at most this many menu applications, one command id each.
constexpr int kMenuApplications = IDM_USER_APP_LAST - IDM_USER_APP_FIRST + 1;

class PopupMenu {
 public:
  PopupMenu() = default;
  ~PopupMenu();
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  // False when the menu resource could not be loaded; the checker then
  // runs without its menu.
  bool Load(HINSTANCE instance);
  bool Loaded() const { return menu_ != nullptr; }

  // The check marks of the three toggles; the first time also the menu
  // applications (at most nine) and the configurator's item.
  void Prepare(const AncestryPop3Controller& settings, bool configuratorPresent);
  // Shows the prepared menu at the cursor; its command goes to `owner`.
  void Track(HWND owner);

 private:
  HMENU Popup() const { return GetSubMenu(menu_, 0); }

  HMENU menu_ = nullptr;
  // The one-time part of Prepare has been done.
  bool prepared_ = false;
};

}  // namespace bw
