// The open and save file dialogs (see file_chooser.h).
#include "configurator/win32/file_chooser.h"

#include <commdlg.h>

#include <cstring>

namespace bw {

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

}  // namespace bw
