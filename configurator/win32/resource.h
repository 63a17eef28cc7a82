// Resource and control ids of Knobset, shared by knobset.rc and the code.
#pragma once

#define IDI_KNOBSET 1
#define IDD_MAIN 100
#define IDR_MAIN_MENU 101
#define IDR_ACCELERATORS 102
#define IDR_LIST_POPUP 103
#define IDD_ACCOUNT 110
#define IDD_ACCOUNT_PAGE 111
#define IDD_TIMEOUT_PAGE 112
#define IDD_PROTOCOL_PAGE 113
#define IDD_FIRST_USE 120
#define IDD_ABOUT 121
#define IDD_APPLICATION_STUB 130

// Main window.
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

// Menu and accelerator commands.
#define IDM_LOAD 40001
#define IDM_SAVE 40002
#define IDM_EXIT 40003
#define IDM_DESELECT_ALL 40004
#define IDM_SELECT_ALL 40005
#define IDM_RESTART_SIMULATED 40006
#define IDM_RESTART 40007
#define IDM_HELP 40008
#define IDM_ABOUT 40009
#define IDM_UPDATE 40010
// System-menu item (system command ids are multiples of 16 below 0xF000).
#define IDM_SYSTEM_ABOUT 0x0010

// Account dialog and its pages.
#define IDC_CONNECTION_NAME 1101
#define IDC_HOST_NAME 1102
#define IDC_SERVICE_NAME 1103
#define IDC_ACCOUNT_TABS 1104
#define IDC_USER_ID 1201
#define IDC_PASSWORD 1202
#define IDC_CYCLE 1203
#define IDC_MASKING 1204
#define IDC_DNS_DEFAULT 1301
#define IDC_DNS_CHANGE 1302
#define IDC_DNS_SEC 1303
#define IDC_CONNECT_DEFAULT 1304
#define IDC_CONNECT_CHANGE 1305
#define IDC_CONNECT_SEC 1306
#define IDC_SENDRECV_DEFAULT 1307
#define IDC_SENDRECV_CHANGE 1308
#define IDC_SENDRECV_SEC 1309
#define IDC_CONTINUE_TIMEOUT 1310
#define IDC_CONTINUE_CONNECT 1311
#define IDC_APOP 1401
#define IDC_UIDL 1402
#define IDC_NO_QUIT 1403
#define IDC_TLS 1404

// First-use notes, about box, application stub.
#define IDC_NOTES 1501
#define IDC_APP_CAPTION 1601
#define IDC_APP_FILE 1602
