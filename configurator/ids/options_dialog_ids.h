// Ids of the options dialog and its controls, shared by options_dialog.rc
// and the code.
#pragma once

#define IDD_OPTIONS 140

#define IDC_OPT_INIT_SLEEP 1901
#define IDC_OPT_CONSECUTIVE 1902
#define IDC_OPT_STOP_SSAVING 1903
#define IDC_OPT_CLASS 1904
#define IDC_OPT_THREAD 1905
#define IDC_OPT_X 1906
#define IDC_OPT_Y 1907
#define IDC_OPT_WIDTH 1908
#define IDC_OPT_HEIGHT 1909
#define IDC_OPT_KEEP_GEOMETRY 1910
#define IDC_OPT_STARTUP_BURIED 1911
#define IDC_OPT_AUTO_WAKEUP 1912
#define IDC_OPT_MENU_EXEC_BURIED 1913
#define IDC_OPT_ANIMATE_TIMER 1914
#define IDC_OPT_NOTIFY_NEW_MAIL 1920
#define IDC_OPT_PROTECT_PASSWORDS 1921
