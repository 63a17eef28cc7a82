// knobset-drive: small commands on a running Knobset for the screenshot
// script. Prints the screen rectangle of the window it worked on as
// "WxH+X+Y" (the form the screenshot tool crops with).
//   knobset-drive tab N      show tab N of the main window
//   knobset-drive update     open the account dialog on the first row
//   knobset-drive page N     show page N of the account dialog
//   knobset-drive protocol N choose entry N of its protocol drop-down
//   knobset-drive app N      open the application dialog of tab N's first row
//   knobset-drive apppage N  show page N of the open application dialog
//   knobset-drive options    open the options dialog
//   knobset-drive control    open the auto-exec control dialog
//   knobset-drive capture    open the capture dialog (on tab 1 or 2)
//   knobset-drive signin     press サインイン... on the account dialog's OAuth
//                            page and wait for the sign-in's wait dialog
//   knobset-drive signincancel  press its ｷｬﾝｾﾙ and print the box that follows
//   knobset-drive cancel     cancel whichever of those dialogs is open
//   knobset-drive close      cancel the account dialog and leave Knobset
//   knobset-drive help       choose Help and wait for the help viewer's window
//                            (fails on the "HELP Error" or "Error" box)
//   knobset-drive helpclose  close the help viewer
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "configurator/ids/account_dialog_ids.h"
#include "configurator/ids/app_dialog_ids.h"
#include "configurator/ids/knobset_ids.h"
#include "configurator/ids/main_window_ids.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/knobset_driver.h"

namespace {

// The window class of the HTML Help viewer's frame.
const char kHelpViewerClass[] = "HH Parent";

HWND FindTitled(const char* title) {
  return FindWindowW(L"#32770", bw::Wide(title).c_str());
}

// The client area: without a window manager on the test display only that
// part of a window is drawn, and the frame's place shows what lies below.
void PrintRect(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
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
  } else if (command == "protocol") {
    HWND account = FindTitled("接続先の設定");
    if (!account) return 1;
    HWND list = bw_test::FindControl(account, IDC_PROTOCOL);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(number), 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_PROTOCOL, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    Sleep(500);
    PrintRect(account);
  } else if (command == "app") {
    knobset.ClickTab(bw_test::FindControl(main, IDC_TABS), number);
    Sleep(300);
    knobset.SelectRows(bw_test::FindControl(main, IDC_LIST), {0});
    bw_test::PressButton(main, IDC_UPDATE);
    HWND app = knobset.WaitForDialog(number == 1 ? "ﾒﾆｭｰ起動情報" : "ｱﾌﾟﾘｹｰｼｮﾝ起動情報", 10000);
    if (!app) return 1;
    Sleep(500);
    PrintRect(app);
  } else if (command == "apppage") {
    HWND app = FindTitled("ﾒﾆｭｰ起動情報");
    if (!app) app = FindTitled("ｱﾌﾟﾘｹｰｼｮﾝ起動情報");
    if (!app) return 1;
    knobset.ClickTab(bw_test::FindControl(app, IDC_APP_TABS), number);
    Sleep(500);
    PrintRect(app);
  } else if (command == "options" || command == "control" || command == "capture") {
    const int button = command == "options" ? IDC_OPTIONS
                       : command == "control" ? IDC_CONTROL
                                              : IDC_CAPTURE;
    const char* title = command == "options"   ? "オプション"
                        : command == "control" ? "自動実行ｱﾌﾟﾘの制御"
                                               : "実行中ｱﾌﾟﾘのｷｬﾌﾟﾁｬ";
    bw_test::PressButton(main, button);
    HWND dialog = knobset.WaitForDialog(title, 10000);
    if (!dialog) return 1;
    Sleep(500);
    PrintRect(dialog);
  } else if (command == "signin") {
    HWND account = FindTitled("接続先の設定");
    if (!account) return 1;
    bw_test::PressButton(account, IDC_OAUTH_SIGN_IN);
    HWND wait = knobset.WaitForDialog("サインイン", 10000);
    if (!wait) return 1;
    Sleep(1000);
    PrintRect(wait);
  } else if (command == "signincancel") {
    HWND wait = FindTitled("サインイン");
    if (!wait) return 1;
    bw_test::PressButton(wait, IDCANCEL);
    bw_test::SeenBox box;
    if (!knobset.AnswerBox(IDOK, &box)) return 1;
    std::printf("%s\n", box.text.c_str());
  } else if (command == "cancel") {
    for (const char* title : {"ﾒﾆｭｰ起動情報", "ｱﾌﾟﾘｹｰｼｮﾝ起動情報", "オプション", "自動実行ｱﾌﾟﾘの制御",
                              "実行中ｱﾌﾟﾘのｷｬﾌﾟﾁｬ"}) {
      if (HWND dialog = FindTitled(title)) {
        bw_test::PressButton(dialog, IDCANCEL);
        Sleep(300);
      }
    }
  } else if (command == "help") {
    PostMessageA(main, WM_COMMAND, IDM_HELP, 0);
    for (int i = 0; i < 1200; ++i) {
      if (HWND viewer = FindWindowA(kHelpViewerClass, nullptr)) {
        Sleep(2000);  // let it draw its contents
        PrintRect(viewer);
        return 0;
      }
      for (const char* title : {"HELP Error", "Error"}) {
        if (FindTitled(title)) {
          std::fprintf(stderr, "Help showed the box \"%s\"\n", title);
          return 1;
        }
      }
      Sleep(100);
    }
    std::fprintf(stderr, "no help viewer window within 120 s\n");
    return 1;
  } else if (command == "helpclose") {
    HWND viewer = FindWindowA(kHelpViewerClass, nullptr);
    if (!viewer) return 1;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(viewer, WM_CLOSE, 0, 0, SMTO_NORMAL, 10000, &result);
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
