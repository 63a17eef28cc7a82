// The checker's program-wide ids, shared by bellwick.rc and the code: the
// icon, the popup menu and its commands. Each dialog keeps its own ids in
// <dialog>_ids.h beside its template <dialog>.rc.
#pragma once

#define IDI_BELLWICK 5
#define IDM_POPUP 101

// Static texts and icons of the dialogs, never addressed by code.
#define IDC_STATIC (-1)

// The popup menu's commands.
#define IDM_EXIT 40001
#define IDM_CONFIGURE 40002
#define IDM_VERSION 40003
#define IDM_BURY 40004
#define IDM_STATUS 40005
#define IDM_EMERGENCY 40006
// The menu applications' items: placeholders in the resource, replaced by
// the applications of the parameter file before the menu is first shown.
#define IDM_USER_APP_1 40021
#define IDM_USER_APP_2 40022
#define IDM_USER_APP_3 40023
#define IDM_USER_APP_4 40024
#define IDM_USER_APP_5 40025
#define IDM_USER_APP_6 40026
#define IDM_USER_APP_7 40027
#define IDM_USER_APP_8 40028
#define IDM_USER_APP_9 40029
#define IDM_USER_APP_FIRST IDM_USER_APP_1
#define IDM_USER_APP_LAST IDM_USER_APP_9
#define IDM_CHECK_NOW 40030
#define IDM_AUTO_WAKEUP 40031
#define IDM_KEEP_GEOMETRY 40032
#define IDM_MENU_EXEC_BURIED 40034
#define IDM_RESET_ERRORS 40035
#define IDM_NEW_MAIL_LIST 40036
