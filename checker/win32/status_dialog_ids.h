// Ids of the status dialog, shared by status_dialog.rc and the code.
#pragma once

#define IDD_STATUS 102
#define IDC_STATUS_TEXT 1000
