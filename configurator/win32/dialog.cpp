// Knobset's shared dialog helpers (see dialog.h).
#include "configurator/win32/dialog.h"

#include <commdlg.h>

#include <cstring>

namespace bw {
namespace {

const char* const kClassEntries[] = {"継承", "低い", "通常", "高い"};
const char* const kThreadEntries[] = {"継承", "より低く", "少し低く", "通常", "少し高く", "より高く"};

template <size_t N>
void FillList(HWND combo, const char* const (&entries)[N], int selected) {
  for (const char* entry : entries)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

}  // namespace

bool AskFile(HWND owner, bool open, const char* filter, const std::string& initial,
             const char* folder, const char* extension, DWORD flags, std::string* chosen) {
  char file[MAX_PATH] = {};
  std::strncpy(file, initial.c_str(), MAX_PATH - 1);
  std::string filters = filter;
  for (char& c : filters)
    if (c == '|') c = '\0';
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filters.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = folder;
  ofn.lpstrDefExt = extension;
  ofn.Flags = flags;
  if (!(open ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn))) return false;
  *chosen = file;
  return true;
}

void FillPriorityLists(HWND classList, int classIndex, HWND threadList, int threadIndex) {
  FillList(classList, kClassEntries, classIndex);
  FillList(threadList, kThreadEntries, threadIndex);
}

int Selected(HWND combo) {
  const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(index);
}

}  // namespace bw
