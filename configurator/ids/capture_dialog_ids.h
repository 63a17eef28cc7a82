// Ids of the capture dialog and its controls, shared by capture_dialog.rc
// and the code.
#pragma once

#define IDD_CAPTURE 150

#define IDC_CAP_REPLACE 2101
#define IDC_CAP_KEEP 2102
#define IDC_CAP_SKIP_LISTED 2103
#define IDC_CAP_BULK 2104
#define IDC_CAP_MOUSE 2105
#define IDC_CAP_SKIP_SELF 2106
#define IDC_CAP_SKIP_PROGMAN 2107
#define IDC_CAP_PRIORITY 2108
#define IDC_CAP_SIZE 2109
#define IDC_CAP_MINIMIZED 2110
#define IDC_CAP_DISABLED 2111
#define IDC_CAP_ZERO_SIZE 2112
#define IDC_CAP_UNTITLED 2113
#define IDC_CAP_DEFAULT 2114
