// Ids of the emergency-mode dialog and its controls, shared by
// emergency_dialog.rc and the code.
#pragma once

#define IDD_EMERGENCY 104
#define IDC_EMERGENCY_LIST 1001
#define IDC_EMERGENCY_CLEAR 1002
