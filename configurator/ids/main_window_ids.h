// Ids of Knobset's main window and its controls, shared by main_window.rc
// and the code.
#pragma once

#define IDD_MAIN 100

#define IDC_SAVE_FILE 1001
#define IDC_BROWSE_SAVE 1002
#define IDC_LOG_LIMIT 1003
#define IDC_LOG_FILE 1004
#define IDC_BROWSE_LOG 1005
#define IDC_TABS 1006
#define IDC_LIST 1007
#define IDC_OPTIONS 1010
#define IDC_CONTROL 1011
#define IDC_CAPTURE 1012
#define IDC_ADD 1013
#define IDC_UPDATE 1014
#define IDC_UP 1015
#define IDC_DOWN 1016
#define IDC_DELETE 1017
