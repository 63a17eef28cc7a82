// The priority drop-down lists (see priority_lists.h).
#include "configurator/win32/priority_lists.h"

#include <cstddef>
#include <string>

#include "common/win32/wide_text.h"

namespace bw {
namespace {

const char* const kClassEntries[] = {"継承", "低い", "通常", "高い"};
const char* const kThreadEntries[] = {"継承", "より低く", "少し低く", "通常", "少し高く", "より高く"};

template <std::size_t N>
void FillList(HWND combo, const char* const (&entries)[N], int selected) {
  for (const char* entry : entries)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

}  // namespace

void FillPriorityLists(HWND classList, int classIndex, HWND threadList, int threadIndex) {
  FillList(classList, kClassEntries, classIndex);
  FillList(threadList, kThreadEntries, threadIndex);
}

int Selected(HWND combo) {
  const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(index);
}

}  // namespace bw
