// Ids of the first-use notes, shared by first_use_dialog.rc and the code.
#pragma once

#define IDD_FIRST_USE 120
#define IDC_NOTES 1501
