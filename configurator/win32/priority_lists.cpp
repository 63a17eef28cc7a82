// The priority drop-down lists (see priority_lists.h).
#include "configurator/win32/priority_lists.h"

#include <string>
#include <vector>

#include "common/win32/wide_text.h"
#include "configurator/core/options_model.h"

namespace bw {
namespace {

void FillList(HWND combo, const std::vector<const char*>& entries, int selected) {
  for (const char* entry : entries)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

}  // namespace

void FillPriorityLists(HWND classList, int classIndex, HWND threadList, int threadIndex) {
  FillList(classList, kPriorityClassEntries, classIndex);
  FillList(threadList, kPriorityThreadEntries, threadIndex);
}

int Selected(HWND combo) {
  const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(index);
}

}  // namespace bw
