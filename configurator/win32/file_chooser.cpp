// The open and save file dialogs (see file_chooser.h).
#include "configurator/win32/file_chooser.h"

#include <commdlg.h>

#include <vector>

#include "configurator/win32/knobset_box.h"
#include "platform/win32/wide_text.h"

namespace bw {

bool AskFile(HWND owner, bool open, const char* filter, const std::string& initial,
             const char* folder, const char* extension, DWORD flags, std::string* chosen) {
  std::vector<wchar_t> file(MAX_PATH, L'\0');
  const std::wstring start = Wide(initial).substr(0, MAX_PATH - 1);
  std::copy(start.begin(), start.end(), file.begin());
  // The parts are split after the conversion: a Shift_JIS trail byte may be
  // a '|'.
  std::wstring filters = Wide(filter);
  for (wchar_t& c : filters)
    if (c == L'|') c = L'\0';
  const std::wstring initialFolder = Wide(folder ? folder : "");
  const std::wstring defaultExtension = Wide(extension ? extension : "");
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filters.c_str();
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = folder ? initialFolder.c_str() : nullptr;
  ofn.lpstrDefExt = extension ? defaultExtension.c_str() : nullptr;
  ofn.Flags = flags;
  if (!(open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn))) return false;
  bool lossless = true;
  std::string path = Narrow(file.data(), std::wstring(file.data()).size(), &lossless);
  if (!lossless) {
    KnobsetBox(owner, "ﾌｧｲﾙ名[" + path + "]" + kNotShiftJisText, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  *chosen = path;
  return true;
}

}  // namespace bw
