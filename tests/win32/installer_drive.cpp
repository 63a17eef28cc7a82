// installer-drive: walks the installer's pages for the release test, as a
// user does, and reads its controls.
//   installer-drive next        press the next button (始める, 次へ, 同意する,
//                               インストール, 完了); prints its text (UTF-8)
//   installer-drive checked ID  print 1 or 0: the check box ID of the page
//   installer-drive untick ID   clear the check box ID
// Exit 1 when the installer's window or the control is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// "Bellwick X.YY セットアップ", with the page's name after it on some.
BOOL CALLBACK FindInstaller(HWND window, LPARAM context) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  const std::wstring text = title;
  if (IsWindowVisible(window) && text.compare(0, 9, L"Bellwick ") == 0 &&
      text.find(L"セットアップ") != std::wstring::npos && GetDlgItem(window, 1)) {
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
  }
  return TRUE;
}

HWND Installer() {
  HWND found = nullptr;
  EnumWindows(FindInstaller, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindControl(HWND child, LPARAM context) {
  auto* s = reinterpret_cast<ControlSearch*>(context);
  if (GetDlgCtrlID(child) == s->id && IsWindowVisible(child)) {
    s->found = child;
    return FALSE;
  }
  return TRUE;
}

// A visible control with this id anywhere inside the installer's window
// (the pages are dialogs inside it).
HWND Control(HWND installer, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(installer, FindControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Utf8(const wchar_t* text) {
  char out[512] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  HWND installer = nullptr;
  for (int i = 0; i < 300 && !(installer = Installer()); ++i) Sleep(100);
  if (!installer) return 1;
  if (command == "next") {
    HWND button = GetDlgItem(installer, 1);
    wchar_t text[128] = {};
    GetWindowTextW(button, text, 128);
    std::printf("%s\n", Utf8(text).c_str());
    PostMessageW(installer, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return 0;
  }
  if ((command == "checked" || command == "untick") && argc == 3) {
    HWND box = Control(installer, std::atoi(argv[2]));
    if (!box) return 1;
    if (command == "untick") {
      SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
      return 0;
    }
    std::printf("%d\n", SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    return 0;
  }
  return 2;
}
