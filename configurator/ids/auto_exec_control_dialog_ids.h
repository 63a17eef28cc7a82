// Ids of the auto-exec control dialog and its controls, shared by
// auto_exec_control_dialog.rc and the code.
#pragma once

#define IDD_AUTO_EXEC_CONTROL 141

#define IDC_CTL_SEQUENCE_DELAY 2001
#define IDC_CTL_SEQUENCE_TIMEOUT 2002
#define IDC_CTL_DELAY 2003
#define IDC_CTL_KILL_BEFORE 2004
#define IDC_CTL_KILL_NO_MAIL 2005
#define IDC_CTL_KILL_MENU 2006
#define IDC_CTL_POST_CLOSE 2007
#define IDC_CTL_POST_QUIT 2008
#define IDC_CTL_TERMINATE 2009
#define IDC_CTL_DEFAULT 2010
