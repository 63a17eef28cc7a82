// The help pages through hhctrl.ocx, loaded at run time (and kept loaded:
// the viewer's window lives in this process).
#include "common/win32/help_topic.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace bw {
namespace {

constexpr UINT kHhDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

HtmlHelpFn HtmlHelpEntry() {
  static HtmlHelpFn entry = [] {
    HMODULE library = LoadLibraryW(L"hhctrl.ocx");
    return library ? reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")))
                   : nullptr;
  }();
  return entry;
}

// Knobset.chm in the folder of the running program.
std::wstring HelpFile() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  std::wstring file(path, length);
  return file.substr(0, file.find_last_of(L"\\/") + 1) + L"Knobset.chm";
}

void KeepTopic(HWND owner, const char* topic) {
  ForgetHelpTopic(owner);
  if (ATOM atom = GlobalAddAtomW(Wide(topic).c_str()))
    SetPropW(owner, kHelpTopicProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
}

}  // namespace

void ForgetHelpTopic(HWND owner) {
  if (HANDLE kept = RemovePropW(owner, kHelpTopicProperty))
    GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(kept)));
}

void OpenHelpTopic(HWND owner, const char* topic) {
  KeepTopic(owner, topic);
  const std::wstring file = HelpFile();
  const DWORD attributes = file.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    MessageBoxW(owner, Wide("ﾍﾙﾌﾟﾌｧｲﾙが見つかりません.").c_str(), L"HELP Error", MB_OK);
    return;
  }
  HtmlHelpFn htmlHelp = HtmlHelpEntry();
  const std::wstring page = file + L"::/" + Wide(topic);
  if (!htmlHelp || !htmlHelp(owner, page.c_str(), kHhDisplayTopic, 0))
    MessageBoxW(owner, Wide("ﾍﾙﾌﾟを表示できません.").c_str(), L"HELP Error", MB_OK);
}

}  // namespace bw
