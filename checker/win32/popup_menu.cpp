// The popup menu (see popup_menu.h).
#include "checker/win32/popup_menu.h"

#include <cstdio>
#include <string>

#include "checker/win32/bellwick_ids.h"
#include "platform/win32/wide_text.h"

namespace bw {
namespace {

void SetCheck(HMENU popup, UINT id, int on) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = on ? MFS_CHECKED : 0;
  SetMenuItemInfoW(popup, id, FALSE, &info);
}

}  // namespace

PopupMenu::~PopupMenu() {
  if (menu_) DestroyMenu(menu_);
}

bool PopupMenu::Load(HINSTANCE instance) {
  menu_ = LoadMenuW(instance, MAKEINTRESOURCEW(IDM_POPUP));
  return menu_ != nullptr;
}

void PopupMenu::Prepare(const AncestryPop3Controller& settings, bool configuratorPresent) {
  HMENU popup = Popup();
  SetCheck(popup, IDM_AUTO_WAKEUP, settings.AutoWakeup);
  SetCheck(popup, IDM_KEEP_GEOMETRY, settings.KeepGeometry);
  SetCheck(popup, IDM_MENU_EXEC_BURIED, settings.MenuExecBuried);
  if (prepared_) return;
  prepared_ = true;

  if (!configuratorPresent) EnableMenuItem(popup, IDM_CONFIGURE, MF_BYCOMMAND | MF_GRAYED);
  const int count = GetMenuItemCount(popup);
  int position = 0;
  HMENU sub = nullptr;
  for (; position < count; ++position)
    if ((sub = GetSubMenu(popup, position)) != nullptr) break;
  if (!sub) return;
  for (UINT id = IDM_USER_APP_FIRST; id <= IDM_USER_APP_LAST; ++id)
    DeleteMenu(sub, id, MF_BYCOMMAND);
  int n = 0;
  WalkRing(settings.menuHead, [&](MenuExecutant* m) {
    if (n >= kMenuApplications) return;
    ++n;
    char label[32];
    std::snprintf(label, sizeof label, "(&%d)", n);
    std::wstring text = Wide(std::string(label) + " " + m->MenuExecutionName);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_TYPE | MIIM_STATE;
    info.fType = MFT_STRING;
    info.fState = n == 1 ? MFS_DEFAULT : 0;
    info.wID = IDM_USER_APP_FIRST + static_cast<UINT>(n - 1);
    info.dwTypeData = &text[0];
    InsertMenuItemW(sub, static_cast<UINT>(GetMenuItemCount(sub)), TRUE, &info);
  });
  if (n == 0) RemoveMenu(popup, static_cast<UINT>(position), MF_BYPOSITION);
}

void PopupMenu::Track(HWND owner) {
  POINT cursor{};
  GetCursorPos(&cursor);
  TrackPopupMenu(Popup(), TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
}

}  // namespace bw
