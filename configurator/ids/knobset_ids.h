// Knobset's program-wide ids, shared by knobset.rc and the code: the icon,
// the menus and accelerators and their commands. Each dialog keeps its own
// ids in <dialog>_ids.h here, for its template configurator/win32/<dialog>.rc
// and for the code of both layers (plain numbers only); dialog templates
// take ids from 100 to 199 and each dialog's controls a block of a hundred
// of their own (main window 1000, account 1100-1400, first-use notes 1500,
// application 1600-1800, options 1900, auto-exec control 2000, capture
// 2100), so a new dialog takes the next free block.
#pragma once

#define IDI_KNOBSET 1
#define IDR_MAIN_MENU 101
#define IDR_ACCELERATORS 102
#define IDR_LIST_POPUP 103

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
