// knobset-drive: small commands on a running Knobset for the screenshot
// script. Prints the screen rectangle of the window it worked on as
// "WxH+X+Y" (the form the screenshot tool crops with).
//   knobset-drive tab N      show tab N of the main window
//   knobset-drive update     open the account dialog on the first row
//   knobset-drive page N     show page N of the account dialog
//   knobset-drive close      cancel the account dialog and leave Knobset
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "configurator/win32/resource.h"
#include "tests/win32/knobset_driver.h"

namespace {

HWND FindTitled(const char* title) {
  return FindWindowA("#32770", title);
}

void PrintRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  const int number = argc > 2 ? std::atoi(argv[2]) : 0;
  HWND main = FindTitled("Bellwick Configration");
  if (!main) return 1;
  bw_test::KnobsetProcess knobset(main);
  if (command == "tab") {
    knobset.ClickTab(bw_test::FindControl(main, IDC_TABS), number);
    Sleep(500);
    PrintRect(main);
  } else if (command == "update") {
    knobset.SelectRows(bw_test::FindControl(main, IDC_LIST), {0});
    bw_test::PressButton(main, IDC_UPDATE);
    HWND account = knobset.WaitForDialog("接続先の設定", 10000);
    if (!account) return 1;
    Sleep(500);
    PrintRect(account);
  } else if (command == "page") {
    HWND account = FindTitled("接続先の設定");
    if (!account) return 1;
    knobset.ClickTab(bw_test::FindControl(account, IDC_ACCOUNT_TABS), number);
    Sleep(500);
    PrintRect(account);
  } else if (command == "close") {
    if (HWND account = FindTitled("接続先の設定")) {
      bw_test::PressButton(account, IDCANCEL);
      Sleep(300);
    }
    bw_test::PressButton(main, IDCANCEL);
    knobset.AnswerBox(IDNO, nullptr, "Knobset", 2000);
  } else {
    return 2;
  }
  return 0;
}
