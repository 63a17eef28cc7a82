// The two priority drop-down lists of the options and the application
// dialogs: the process's class and the main thread's priority.
#pragma once
#include <windows.h>

namespace bw {

// Fills both lists in the order of the stored indexes and selects the given
// entries.
void FillPriorityLists(HWND classList, int classIndex, HWND threadList, int threadIndex);
// A drop-down list's selected index, 0 when none is selected.
int Selected(HWND combo);

}  // namespace bw
