// Knobset.exe end to end, driven through its windows: the first-use notes,
// adding an account and the bytes saved, the unsaved-changes questions, the
// list limits and range messages, and the restart of a running checker.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/win32/program_names.h"
#include "configurator/ids/account_dialog_ids.h"
#include "configurator/ids/app_dialog_ids.h"
#include "configurator/ids/auto_exec_control_dialog_ids.h"
#include "configurator/ids/first_use_dialog_ids.h"
#include "configurator/ids/knobset_ids.h"
#include "configurator/ids/main_window_ids.h"
#include "configurator/ids/options_dialog_ids.h"
#include "common/win32/help_topic.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/driver.h"
#include "tests/win32/knobset_driver.h"
#include "tests/win32/knobset_fixture.h"

namespace {

using namespace bw_test;

const char kAccountTitle[] = "接続先の設定";

bool FileExists(const std::string& path) {
  return GetFileAttributesW(bw::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A parameter file with one account on `port` and the log in the folder.
std::string OneAccountFile(int port) {
  return ";Bellwick\r\nFileVersion\t0x0110\r\nLogFileName\tBellwick.log\r\nLogFileLimit\t100\r\n"
         "AncestryPop3Controller::RingListClass\t{\r\n\tAnimateTimer\t0\r\n"
         "\tAncestryPop3Checker::RingListClass\t{\r\n\t\tConnectionName\tFirst\r\n"
         "\t\tHostName\t127.0.0.1\r\n\t\tServiceName\t" + std::to_string(port) +
         "\r\n\t\tUserID\tu\r\n\t\tPassword\tp\r\n\t\tTOofConnect_Sec\t2\r\n\t}\r\n}\r\n--EOF--\r\n";
}

// True when the box takes digits only.
bool DigitsOnly(HWND dialog, int id) {
  return (GetWindowLongA(FindControl(dialog, id), GWL_STYLE) & ES_NUMBER) != 0;
}

// The id of the control holding the keyboard focus in `window`'s thread.
int FocusedId(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0;
}

using KnobsetE2eTest = KnobsetTest;

TEST_F(KnobsetE2eTest, MissingFileShowsTheFirstUseNotesThenAnEmptyConfiguration) {
  dir = MakeScratchFolder("knobset-first-use");
  KnobsetProcess knobset("-p new.ini", dir);
  ASSERT_TRUE(knobset.Started());
  HWND notes = knobset.WaitForDialog("初めてご利用になる方へ");
  ASSERT_NE(notes, nullptr);
  const std::string text = ControlText(notes, IDC_NOTES);
  ASSERT_GT(text.size(), 4u);
  EXPECT_EQ(text.substr(0, 2), "■");
  EXPECT_NE(text.find("\r\n　シミュレーション機能のご紹介\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 2), "■");  // the last line has no line end
  PressButton(notes, IDOK);

  main = knobset.WaitForDialog(kMainTitle);
  ASSERT_NE(main, nullptr);
  HWND tabs = FindControl(main, IDC_TABS);
  EXPECT_EQ(knobset.TabLabel(tabs, 0), "  接続先");
  EXPECT_EQ(knobset.TabLabel(tabs, 1), "  ﾒﾆｭｰ起動");
  EXPECT_EQ(knobset.TabLabel(tabs, 2), "  自動起動");
  const std::string saveName = ControlText(main, IDC_SAVE_FILE);
  EXPECT_EQ(saveName.substr(saveName.size() - 8), "\\new.ini");
  EXPECT_TRUE(ControlEnabled(main, IDC_ADD));
  EXPECT_FALSE(ControlEnabled(main, IDC_UPDATE));
  EXPECT_FALSE(ControlEnabled(main, IDC_CAPTURE));

  // Nothing to save yet: refused, and no file appears.
  PickCommand(main, IDM_SAVE);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, "接続先は１箇所以上設定して下さい.");
  EXPECT_FALSE(FileExists(dir + "\\new.ini"));

  // Nothing changed: Esc ends without a question.
  PressButton(main, IDCANCEL);
  DWORD code = 1;
  EXPECT_TRUE(knobset.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(KnobsetE2eTest, EmptyPValueIsRefusedAndTheProgramEnds) {
  dir = MakeScratchFolder("knobset-empty-p");
  KnobsetProcess knobset("-p \"\"", dir);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, "保存ファイル名が不正です.");
  EXPECT_TRUE(knobset.WaitForExit(10000));
}

TEST_F(KnobsetE2eTest, AddedAccountIsListedAndSavedWithExactlyItsKeys) {
  KnobsetProcess& knobset = OpenNew("knobset-add", "added.ini");
  ASSERT_NE(main, nullptr);

  PressButton(main, IDC_ADD);
  HWND account = knobset.WaitForDialog(kAccountTitle);
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(ControlText(account, IDC_SERVICE_NAME), "110");
  EXPECT_EQ(ControlText(account, IDC_CYCLE), "15");
  // OK with the required fields empty: one box (its lines are the
  // binding rows', tested natively), the dialog stays and shows the account
  // page, whichever page was in front.
  HWND tabs = FindControl(account, IDC_ACCOUNT_TABS);
  knobset.ClickTab(tabs, 2);
  PressButton(account, IDOK);
  ASSERT_TRUE(knobset.AnswerBox(IDOK));
  ASSERT_TRUE(IsWindow(account));
  EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);

  TypeText(account, IDC_CONNECTION_NAME, "My Mail");
  TypeText(account, IDC_HOST_NAME, "pop.example.test");
  TypeText(account, IDC_USER_ID, "bob");
  TypeText(account, IDC_PASSWORD, "pw 1");
  // A cycle out of range is refused with the account page in front and the
  // focus in the cycle box.
  knobset.ClickTab(tabs, 1);
  TypeText(account, IDC_CYCLE, "1000");
  PressButton(account, IDOK);
  ASSERT_TRUE(knobset.AnswerBox(IDOK));
  EXPECT_TRUE(WaitFor([&] { return FocusedId(account) == IDC_CYCLE; }, 5000));
  EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
  // A name Shift_JIS cannot hold is refused, not stored with a "?".
  TypeWideText(account, IDC_CONNECTION_NAME, L"My Mail \U0001F4E8");
  PressButton(account, IDOK);
  SeenBox refused;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &refused));
  EXPECT_EQ(refused.text, "この欄にShift_JISで表せない文字があります.");
  ASSERT_TRUE(IsWindow(account));
  TypeText(account, IDC_CONNECTION_NAME, "My Mail");
  // A masked box keeps such text exactly as typed (no "?" in its place, no
  // placeholder), so a second OK refuses it again.
  TypeWideText(account, IDC_USER_ID, L"us\u00e9r");
  for (int attempt = 0; attempt < 2; ++attempt) {
    PressButton(account, IDOK);
    ASSERT_TRUE(knobset.AnswerBox(IDOK, &refused)) << attempt;
    EXPECT_EQ(refused.text, "この欄にShift_JISで表せない文字があります.");
    ASSERT_TRUE(IsWindow(account));
  }
  // Unmasked (a password box hides its text from other programs), the box
  // still holds what was typed.
  ClickControl(account, IDC_MASKING);
  EXPECT_TRUE(WaitFor([&] {
    wchar_t kept[16] = {};
    SendMessageW(FindControl(account, IDC_USER_ID), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(kept));
    return std::wstring(kept) == L"us\u00e9r";
  }, 5000));
  ClickControl(account, IDC_MASKING);
  TypeText(account, IDC_USER_ID, "bob");
  TypeText(account, IDC_CYCLE, "7");
  PressButton(account, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(account); }));

  HWND list = FindControl(main, IDC_LIST);
  ASSERT_EQ(knobset.ListRowCount(list), 1);
  EXPECT_EQ(knobset.ListCell(list, 0, 0), "My Mail");
  EXPECT_EQ(knobset.ListCell(list, 0, 1), "pop.example.test");
  EXPECT_EQ(knobset.ListCell(list, 0, 2), "110");
  EXPECT_EQ(knobset.ListCell(list, 0, 3), "POP3");
  EXPECT_EQ(knobset.ListCell(list, 0, 4), "7");
  EXPECT_EQ(knobset.TabLabel(FindControl(main, IDC_TABS), 0), "●接続先");

  PickCommand(main, IDM_SAVE);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, "保存しました.");
  // The whole file: header, the controller's defaults (a new file protects
  // passwords), the one account with only the keys that differ from their
  // defaults (and its service), its password protected, never in the clear.
  const std::string saved = ReadFileBytes(dir + "\\added.ini");
  const std::string head =
      ";Bellwick\r\nFileVersion\t0x0110\r\nLogFileName\t\r\nLogFileLimit\t0\r\n"
      "AncestryPop3Controller::RingListClass\t{\r\n"
      "\tWindowPosition\t64,64\r\n\tWindowSize\t128,64\r\n\tAnimateTimer\t100\r\n"
      "\tExecutionDelay\t0\r\n\tProtectPasswords\t1\r\n"
      "\tAncestryPop3Checker::RingListClass\t{\r\n"
      "\t\tConnectionName\tMy Mail\r\n\t\tHostName\tpop.example.test\r\n"
      "\t\tServiceName\t110\r\n\t\tUserID\tbob\r\n\t\tPasswordProtected\t";
  const std::string tail = "\r\n\t\tCycleMinutes\t7\r\n\t}\r\n}\r\n--EOF--\r\n";
  EXPECT_EQ(saved.substr(0, head.size()), head) << saved;
  ASSERT_GT(saved.size(), head.size() + tail.size());
  EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail) << saved;
  EXPECT_EQ(saved.find("pw 1"), std::string::npos) << saved;

  // Saved: Esc ends without a question.
  ExitUnasked();
}

// Chooses a drop-down entry as a click does: the selection, then the
// notice to the page holding the list.
void ChooseEntry(HWND dialog, int id, int index) {
  HWND list = FindControl(dialog, id);
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

TEST_F(KnobsetE2eTest, OAuthPageEnablesByProviderAndAnOAuthAccountIsSavedWithoutPassword) {
  KnobsetProcess& knobset = OpenNew("knobset-oauth", "oauth.ini");
  ASSERT_NE(main, nullptr);
  PressButton(main, IDC_ADD);
  HWND account = knobset.WaitForDialog(kAccountTitle);
  ASSERT_NE(account, nullptr);
  TypeText(account, IDC_CONNECTION_NAME, "O");
  TypeText(account, IDC_HOST_NAME, "pop.example.test");
  TypeText(account, IDC_USER_ID, "bob");
  knobset.ClickTab(FindControl(account, IDC_ACCOUNT_TABS), 3);
  EXPECT_FALSE(ControlEnabled(account, IDC_OAUTH_CLIENT_ID));
  EXPECT_FALSE(ControlEnabled(account, IDC_OAUTH_SIGN_IN));
  ChooseEntry(account, IDC_OAUTH_PROVIDER, 3);
  ASSERT_TRUE(WaitFor([&] { return ControlEnabled(account, IDC_OAUTH_SCOPE); }, 5000));
  EXPECT_TRUE(ControlEnabled(account, IDC_OAUTH_SIGN_IN));
  ChooseEntry(account, IDC_OAUTH_PROVIDER, 1);
  ASSERT_TRUE(WaitFor([&] { return !ControlEnabled(account, IDC_OAUTH_SCOPE); }, 5000));
  EXPECT_TRUE(ControlEnabled(account, IDC_OAUTH_CLIENT_ID));
  TypeText(account, IDC_OAUTH_CLIENT_ID, "id-1");
  // No password: with a provider chosen, OK takes the account.
  PressButton(account, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(account); }));
  PickCommand(main, IDM_SAVE);
  ASSERT_TRUE(knobset.AnswerBox(IDOK));
  const std::string saved = ReadFileBytes(dir + "\\oauth.ini");
  // Neither form of a password (the file protects passwords, as a new one does).
  EXPECT_EQ(saved.find("\t\tPassword"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\t\tUserID\tbob\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\t\tOAuthProvider\t1\r\n\t\tOAuthClientID\tid-1\r\n"), std::string::npos)
      << saved;
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, ImapAccountIsSavedWithItsFoldersAndOpensAgainAsIMAP) {
  KnobsetProcess& knobset = Open("knobset-imap", OneAccountFile(1));
  ASSERT_NE(main, nullptr);
  PressButton(main, IDC_ADD);
  HWND account = knobset.WaitForDialog(kAccountTitle);
  ASSERT_NE(account, nullptr);
  TypeText(account, IDC_CONNECTION_NAME, "Carol");
  TypeText(account, IDC_HOST_NAME, "imap.example.test");
  TypeText(account, IDC_USER_ID, "carol");
  TypeText(account, IDC_PASSWORD, "secret");
  knobset.ClickTab(FindControl(account, IDC_ACCOUNT_TABS), 2);
  EXPECT_FALSE(ControlEnabled(account, IDC_IMAP_FOLDERS));
  EXPECT_FALSE(ControlEnabled(account, IDC_USE_IDLE));
  EXPECT_TRUE(IsChecked(account, IDC_USE_IDLE));  // push is on unless turned off
  EXPECT_TRUE(ControlEnabled(account, IDC_UIDL));
  // Choosing IMAP turns the POP3-only controls off and the usual port over.
  ChooseEntry(account, IDC_PROTOCOL, 1);
  ASSERT_TRUE(WaitFor([&] { return ControlEnabled(account, IDC_IMAP_FOLDERS); }, 5000));
  for (int pop3Only : {IDC_APOP, IDC_UIDL, IDC_NO_QUIT})
    EXPECT_FALSE(ControlEnabled(account, pop3Only)) << pop3Only;
  EXPECT_EQ(ControlText(account, IDC_SERVICE_NAME), "143");
  EXPECT_TRUE(ControlEnabled(account, IDC_USE_IDLE));
  ClickControl(account, IDC_USE_IDLE);
  TypeText(account, IDC_IMAP_FOLDERS, "INBOX,仕事,a\\,b");
  PressButton(account, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(account); }));
  HWND list = FindControl(main, IDC_LIST);
  ASSERT_EQ(knobset.ListRowCount(list), 2);
  EXPECT_EQ(knobset.ListCell(list, 0, 3), "POP3");
  EXPECT_EQ(knobset.ListCell(list, 1, 3), "IMAP");
  const std::string saved = SaveAndRead();
  ASSERT_TRUE(knobset.AnswerBox(IDOK));
  EXPECT_NE(saved.find("\t\tServiceName\t143\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\t\tProtocol\t1\r\n\t\tImapFolders\tINBOX,仕事,a\\,b\r\n\t\tUseIdle\t0\r\n"),
            std::string::npos)
      << saved;
  ExitUnasked();

  // The saved file opens again on the IMAP account as it was left.
  KnobsetProcess& again = Open("knobset-imap-again", saved);
  ASSERT_NE(main, nullptr);
  again.SelectRows(FindControl(main, IDC_LIST), {1});
  PressButton(main, IDC_UPDATE);
  account = again.WaitForDialog(kAccountTitle);
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(SendMessageA(FindControl(account, IDC_PROTOCOL), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(ControlText(account, IDC_IMAP_FOLDERS), "INBOX,仕事,a\\,b");
  EXPECT_FALSE(IsChecked(account, IDC_USE_IDLE));
  EXPECT_FALSE(ControlEnabled(account, IDC_UIDL));
  PressButton(account, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(account); }));
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, UnsavedChangesAreAskedAboutOnLoadAndExitAndNothingIsWritten) {
  const std::string original = OneAccountFile(110);
  KnobsetProcess& knobset = Open("knobset-unsaved", original, "");  // the default file name
  ASSERT_NE(main, nullptr);
  HWND list = FindControl(main, IDC_LIST);
  ASSERT_EQ(knobset.ListRowCount(list), 1);
  EXPECT_EQ(knobset.ListCell(list, 0, 0), "First");

  TypeText(main, IDC_LOG_LIMIT, "200");  // marks the change
  PickCommand(main, IDM_LOAD);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDNO, &box));
  EXPECT_EQ(box.text, "変更内容が破棄されます. 読み込みますか?");

  PressButton(main, IDCANCEL);
  ASSERT_TRUE(knobset.AnswerBox(IDCANCEL, &box));
  EXPECT_EQ(box.text,
            "変更内容が保存されていません. 保存してから終了しますか？\r\n"
            "\t[はい]\t保存終了します\r\n\t[いいえ]\t破棄終了します\r\n"
            "\t[ｷｬﾝｾﾙ]\t中止します\r\n");
  EXPECT_FALSE(knobset.WaitForExit(500));

  // A log limit out of range stops "Yes" before anything is written.
  TypeText(main, IDC_LOG_LIMIT, "10000");
  PressButton(main, IDCANCEL);
  ASSERT_TRUE(knobset.AnswerBox(IDYES, &box));
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));  // the row's range message
  EXPECT_FALSE(knobset.WaitForExit(500));

  PressButton(main, IDCANCEL);
  ASSERT_TRUE(knobset.AnswerBox(IDNO, &box));
  EXPECT_TRUE(knobset.WaitForExit(10000));
  EXPECT_EQ(ReadFileBytes(dir + "\\Bellwick.ini"), original);
}

TEST_F(KnobsetE2eTest, SaveIntoAMissingFolderIsReportedAndExitWithYesKeepsTheEdits) {
  KnobsetProcess& knobset = Open("knobset-no-folder", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  const std::string target = dir + "\\missing\\x.ini";
  TypeText(main, IDC_SAVE_FILE, target);
  PickCommand(main, IDM_SAVE);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, target + " ファイルが作成できません.");
  // A change, then Exit with "Yes": the save fails again and is reported,
  // and the window stays with the change rather than lose it.
  TypeText(main, IDC_LOG_LIMIT, "5");
  PressButton(main, IDCANCEL);
  ASSERT_TRUE(knobset.AnswerBox(IDYES, &box));
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, target + " ファイルが作成できません.");
  EXPECT_FALSE(knobset.WaitForExit(500));
  EXPECT_EQ(ControlText(main, IDC_LOG_LIMIT), "5");
  PressButton(main, IDCANCEL);  // still unsaved: asked again
  ASSERT_TRUE(knobset.AnswerBox(IDNO, &box));
  EXPECT_TRUE(knobset.WaitForExit(10000));
}

// Width in pixels of `text` (the "&" of a mnemonic taken out) in the
// dialogs' font, and the client width of `control`.
int TextWidth(std::string text) {
  const size_t amp = text.find('&');
  if (amp != std::string::npos) text.erase(amp, 1);
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontW(-MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                           SHIFTJIS_CHARSET, 0, 0, 0, 0, bw::Wide("ＭＳ Ｐゴシック").c_str());
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  const std::wstring wide = bw::Wide(text);
  GetTextExtentPoint32W(dc, wide.data(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return size.cx;
}
int ClientWidth(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  return r.right - r.left;
}

// The label of the save file name shows its "(&K):" on the one line it has,
// and the options button leaves its edges free.
TEST_F(KnobsetE2eTest, MainWindowLabelAndButtonHaveRoomForTheirTexts) {
  Open("knobset-room", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  const char kLabel[] = "保存するﾌｧｲﾙ名:(&K):";
  HWND label = FindWindowExW(main, nullptr, L"Static", bw::Wide(kLabel).c_str());
  ASSERT_NE(label, nullptr);
  EXPECT_LE(TextWidth(kLabel), ClientWidth(label));
  HWND options = FindControl(main, IDC_OPTIONS);
  EXPECT_LE(TextWidth("ｵﾌﾟｼｮﾝ(&O)...."), ClientWidth(options) - 12);
  ExitUnasked();
}

// Five accounts A to E; the second has TOofConnect_Sec 12.
std::string FiveAccountsFile() {
  std::string text = ";Bellwick\r\nFileVersion\t0x0110\r\nLogFileName\t\r\nLogFileLimit\t0\r\n"
                     "AncestryPop3Controller::RingListClass\t{\r\n";
  for (char c = 'A'; c <= 'E'; ++c) {
    text += "\tAncestryPop3Checker::RingListClass\t{\r\n\t\tConnectionName\t" + std::string(1, c) +
            "\r\n\t\tHostName\th\r\n\t\tUserID\tu\r\n\t\tPassword\tabc\r\n";
    if (c == 'B') text += "\t\tTOofConnect_Sec\t12\r\n";
    text += "\t}\r\n";
  }
  return text + "}\r\n--EOF--\r\n";
}

std::string Rows(const KnobsetProcess& knobset, HWND list) {
  std::string rows;
  for (int i = 0; i < knobset.ListRowCount(list); ++i) rows += knobset.ListCell(list, i, 0);
  return rows;
}

std::string SelectedRows(HWND list) {
  std::string rows;
  const int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i)
    if (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED))
      rows += std::to_string(i);
  return rows;
}

TEST_F(KnobsetE2eTest, MovesKeepTheSelectionOnTheMovedRecordsAndDeleteSelectsTheNextRow) {
  KnobsetProcess& knobset = Open("knobset-list", FiveAccountsFile());
  ASSERT_NE(main, nullptr);
  HWND list = FindControl(main, IDC_LIST);
  ASSERT_EQ(Rows(knobset, list), "ABCDE");

  knobset.SelectRows(list, {1, 2});
  PressButton(main, IDC_UP);
  ASSERT_TRUE(WaitFor([&] { return Rows(knobset, list) == "BCADE"; }, 5000)) << Rows(knobset, list);
  EXPECT_EQ(SelectedRows(list), "01");
  // Enter with two rows selected opens nothing.
  PressButton(main, IDOK);
  EXPECT_EQ(knobset.WaitForDialog(kAccountTitle, 1000), nullptr);

  knobset.SelectRows(list, {2});
  PressButton(main, IDC_DELETE);
  ASSERT_TRUE(WaitFor([&] { return Rows(knobset, list) == "BCDE"; }, 5000)) << Rows(knobset, list);
  EXPECT_EQ(SelectedRows(list), "2");

  PressButton(main, IDCANCEL);
  ASSERT_TRUE(knobset.AnswerBox(IDNO));
  EXPECT_TRUE(knobset.WaitForExit(10000));
}

TEST_F(KnobsetE2eTest, AccountDialogMasksTheSecretsAndItsRadiosSetZeroOrThirtyAndCancelKeepsAll) {
  const std::string original = FiveAccountsFile();
  KnobsetProcess& knobset = Open("knobset-account-dialog", original);
  ASSERT_NE(main, nullptr);
  knobset.SelectRows(FindControl(main, IDC_LIST), {1});
  PressButton(main, IDOK);  // Enter with one row selected: Update
  HWND account = knobset.WaitForDialog(kAccountTitle);
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(ControlText(account, IDC_CONNECTION_NAME), "B");

  // The password box holds the placeholder, shown as asterisks; it never
  // tells the length.
  HWND password = FindControl(account, IDC_PASSWORD);
  EXPECT_EQ(ControlText(account, IDC_PASSWORD), std::string(42, '-'));
  EXPECT_EQ(SendMessageA(password, EM_GETPASSWORDCHAR, 0, 0), '*');
  ClickControl(account, IDC_MASKING);
  ASSERT_TRUE(WaitFor([&] { return ControlText(account, IDC_PASSWORD) == "abc"; }, 5000));
  EXPECT_EQ(SendMessageA(password, EM_GETPASSWORDCHAR, 0, 0), 0);
  EXPECT_EQ(ControlText(account, IDC_USER_ID), "u");

  EXPECT_EQ(IsDlgButtonChecked(GetParent(FindControl(account, IDC_CONNECT_CHANGE)),
                               IDC_CONNECT_CHANGE), BST_CHECKED);
  EXPECT_EQ(ControlText(account, IDC_CONNECT_SEC), "12");
  EXPECT_TRUE(ControlEnabled(account, IDC_CONNECT_SEC));
  for (int id : {IDC_CYCLE, IDC_DNS_SEC, IDC_CONNECT_SEC, IDC_SENDRECV_SEC})
    EXPECT_TRUE(DigitsOnly(account, id)) << id;
  ClickControl(account, IDC_CONNECT_DEFAULT);
  ASSERT_TRUE(WaitFor([&] { return ControlText(account, IDC_CONNECT_SEC) == "0"; }, 5000));
  EXPECT_FALSE(ControlEnabled(account, IDC_CONNECT_SEC));
  ClickControl(account, IDC_CONNECT_CHANGE);
  ASSERT_TRUE(WaitFor([&] { return ControlText(account, IDC_CONNECT_SEC) == "30"; }, 5000));
  EXPECT_TRUE(ControlEnabled(account, IDC_CONNECT_SEC));
  // A time-out out of range is refused when a radio button is chosen: the
  // clicked row stays as it was.
  TypeText(account, IDC_CONNECT_SEC, "31");
  ClickControl(account, IDC_DNS_CHANGE);
  ASSERT_TRUE(knobset.AnswerBox(IDOK));
  EXPECT_EQ(ControlText(account, IDC_DNS_SEC), "0");
  EXPECT_FALSE(ControlEnabled(account, IDC_DNS_SEC));

  TypeText(account, IDC_CONNECTION_NAME, "changed");
  PressButton(account, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(account); }));
  // Cancel changed nothing: no question on the way out, the file as it was.
  PressButton(main, IDCANCEL);
  EXPECT_TRUE(knobset.WaitForExit(10000));
  EXPECT_EQ(ReadFileBytes(dir + "\\Bellwick.ini"), original);
}

void PressTab(bool shift) {
  if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(VK_TAB, 0, 0, 0);
  keybd_event(VK_TAB, 0, KEYEVENTF_KEYUP, 0);
  if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  Sleep(150);
}

// Presses Tab (Shift+Tab when `backwards`) `presses` times and lists the id
// of the focused control after each press.
std::string TabWalk(HWND dialog, int presses, bool backwards) {
  std::string ids;
  for (int i = 0; i < presses; ++i) {
    // Every ring here has more than one stop, so each press moves the
    // focus; wait for that rather than trusting the pause alone.
    const int before = FocusedId(dialog);
    PressTab(backwards);
    WaitFor([&] { return FocusedId(dialog) != before; }, 2000);
    ids += std::to_string(FocusedId(dialog)) + " ";
  }
  return ids;
}

TEST_F(KnobsetE2eTest, TabKeysWalkFromTheTabControlIntoThePageAndFromThePageToOk) {
  KnobsetProcess& knobset = OpenNew("knobset-tab-keys", "new.ini");
  ASSERT_NE(main, nullptr);
  PressButton(main, IDC_ADD);
  HWND account = knobset.WaitForDialog(kAccountTitle);
  ASSERT_NE(account, nullptr);
  SetForegroundWindow(account);
  Sleep(300);
  ASSERT_EQ(FocusedId(account), IDC_CONNECTION_NAME);
  EXPECT_EQ(TabWalk(account, 10, false), "1102 1103 1104 1201 1202 1203 1204 1 2 1101 ");
  EXPECT_EQ(TabWalk(account, 7, true), "2 1 1204 1203 1202 1201 1104 ");
  PressButton(account, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(account); }));
  ExitUnasked();
}

// A visible dialog of the process that is none of the given titles (the
// system's file dialog, whose title depends on the system's language).
struct OtherDialogSearch {
  DWORD pid;
  const std::vector<std::string>* known;
  HWND found;
};

BOOL CALLBACK OtherDialogProc(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<OtherDialogSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[32] = "";
  GetClassNameA(w, cls, sizeof cls);
  const std::string title = bw_test::WindowText(w);
  if (pid != s->pid || !IsWindowVisible(w) || std::string(cls) != "#32770") return TRUE;
  for (const std::string& k : *s->known)
    if (k == title) return TRUE;
  s->found = w;
  return FALSE;
}

HWND WaitForOtherDialog(DWORD processId, const std::vector<std::string>& known) {
  for (int i = 0; i < 400; ++i, Sleep(50)) {
    OtherDialogSearch search{processId, &known, nullptr};
    EnumWindows(OtherDialogProc, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
  }
  return nullptr;
}

// Picks `path` in the open-file dialog that Load (or a dialog with one of
// the titles `open`) shows.
bool ChooseInFileDialog(const KnobsetProcess& knobset, const std::string& path,
                        std::vector<std::string> open = {}) {
  open.push_back(kMainTitle);
  open.push_back("Knobset");
  HWND dialog = WaitForOtherDialog(knobset.ProcessId(), open);
  if (!dialog) return false;
  Sleep(500);
  const int kFileNameBox = 0x47c;  // the file-name combo box of the system's dialog
  HWND box = FindControl(dialog, kFileNameBox);
  if (!box) return false;
  // The combo box's own edit holds the text the dialog reads.
  HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
  SendMessageW(edit ? edit : box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bw::Wide(path).c_str()));
  // Its own OK button: the shell view inside holds another control with id 1.
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  return true;
}

TEST_F(KnobsetE2eTest, LoadReplacesTheListsAndAnUnreadableFileChangesNothing) {
  KnobsetProcess& knobset = Open("knobset-load", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  WriteFileBytes(dir + "\\five.ini", FiveAccountsFile());
  WriteFileBytes(dir + "\\broken.ini", "no controller here\r\n");
  HWND list = FindControl(main, IDC_LIST);

  PickCommand(main, IDM_LOAD);
  ASSERT_TRUE(ChooseInFileDialog(knobset, dir + "\\broken.ini"));
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, "ファイル[" + dir + "\\broken.ini]の読み込みに失敗しました.");
  EXPECT_EQ(Rows(knobset, list), "First");

  PickCommand(main, IDM_LOAD);
  ASSERT_TRUE(ChooseInFileDialog(knobset, dir + "\\five.ini"));
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, "新しい定義ファイルを読み込みました.");
  ASSERT_TRUE(WaitFor([&] { return Rows(knobset, list) == "ABCDE"; }, 5000)) << Rows(knobset, list);
  EXPECT_EQ(ControlText(main, IDC_SAVE_FILE), dir + "\\five.ini");
  // Loaded, nothing changed: no question on the way out.
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, HelpWithoutItsFileAndTheAboutBoxFromTheSystemMenu) {
  KnobsetProcess& knobset = Open("knobset-help", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  PickCommand(main, IDM_HELP);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box, "HELP Error"));
  EXPECT_EQ(box.text, "ﾍﾙﾌﾟﾌｧｲﾙが見つかりません.");
  PostMessageA(main, WM_SYSCOMMAND, IDM_SYSTEM_ABOUT, 0);
  HWND about = knobset.WaitForDialog("ﾊﾞｰｼﾞｮﾝ情報");
  ASSERT_NE(about, nullptr);
  PressButton(about, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, NineMenuApplicationsDisableAddOnTheMenuTabOnly) {
  std::string file = OneAccountFile(110);
  std::string menus;
  for (int i = 1; i <= 9; ++i)
    menus += "\tMenuExecutant::Executant::RingListClass\t{\r\n\t\tMenuExecutionName\tm" +
             std::to_string(i) + "\r\n\t\tExecutionFileName\tc:\\\\app" + std::to_string(i) +
             ".exe\r\n\t\tExecutionArguments\t-x\r\n\t\tExecutionPriority\t0x0023\r\n\t}\r\n";
  file.insert(file.rfind("}\r\n--EOF--"), menus);
  KnobsetProcess& knobset = Open("knobset-nine-menus", file);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(ControlEnabled(main, IDC_ADD));
  HWND tabs = FindControl(main, IDC_TABS);
  EXPECT_EQ(knobset.TabLabel(tabs, 1), "●ﾒﾆｭｰ起動");
  knobset.ClickTab(tabs, 1);
  HWND list = FindControl(main, IDC_LIST);
  ASSERT_TRUE(WaitFor([&] { return knobset.ListRowCount(list) == 9; }, 5000));
  EXPECT_FALSE(ControlEnabled(main, IDC_ADD));
  EXPECT_TRUE(ControlEnabled(main, IDC_CAPTURE));
  EXPECT_EQ(knobset.ListCell(list, 8, 0), "m9");
  knobset.ClickTab(tabs, 2);
  ASSERT_TRUE(WaitFor([&] { return ControlEnabled(main, IDC_ADD); }, 5000));
  ExitUnasked();
}

// The checker's window that is not the test's own stand-in.
HWND FindRealChecker() {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, bw::kCheckerClassName, nullptr))) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId()) return window;
  }
  return nullptr;
}

void CloseRealChecker() {
  if (HWND checker = FindRealChecker()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(checker, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    SendMessageA(checker, WM_CLOSE, 0, 0);
    if (process) {
      WaitForSingleObject(process, 10000);
      CloseHandle(process);
    }
  }
}

TEST_F(KnobsetE2eTest, RestartSimulatedSavesFirstClosesTheRunningCheckerAndStartsTheNewOne) {
  FakeRunningChecker running;
  KnobsetProcess& knobset = Open("knobset-restart-sim", OneAccountFile(1));
  ASSERT_NE(main, nullptr);
  TypeText(main, IDC_LOG_LIMIT, "321");

  PickCommand(main, IDM_RESTART_SIMULATED);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDYES, &box));
  EXPECT_EQ(box.text, "まず、変更を保存します. よろしいですか？");
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, "保存しました.");
  ASSERT_TRUE(knobset.AnswerBox(IDYES, &box));
  EXPECT_EQ(box.text, "ｼﾐｭﾚｰﾄﾓｰﾄﾞにて再起動します. よろしいですか？\r\n");
  EXPECT_TRUE(WaitFor([&] { return running.CloseCount() == 1; }, 5000));

  ASSERT_TRUE(WaitFor([] { return FindRealChecker() != nullptr; }, 30000));
  EXPECT_NE(ReadFileBytes(dir + "\\Bellwick.ini").find("LogFileLimit\t321\r\n"), std::string::npos);
  // Simulation mode: the check pretends, the server port is never tried.
  EXPECT_TRUE(WaitFor([&] {
    return ReadFileBytes(dir + "\\Bellwick.log").find("ｼﾐｭﾚｰﾄ接続時間") != std::string::npos;
  }, 30000)) << ReadFileBytes(dir + "\\Bellwick.log");
  CloseRealChecker();
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, RestartWithoutARunningCheckerStartsItAtOnceInNormalMode) {
  TinyPop3Server server(2);
  KnobsetProcess& knobset = Open("knobset-restart", OneAccountFile(server.Port()));
  ASSERT_NE(main, nullptr);
  ASSERT_EQ(FindRealChecker(), nullptr);
  PickCommand(main, IDM_RESTART);
  EXPECT_TRUE(knobset.NoBoxWithin(1500));
  ASSERT_TRUE(WaitFor([] { return FindRealChecker() != nullptr; }, 30000));
  EXPECT_TRUE(WaitFor([&] {
    return ReadFileBytes(dir + "\\Bellwick.log").find("First : 接続時間") != std::string::npos;
  }, 30000)) << ReadFileBytes(dir + "\\Bellwick.log");
  EXPECT_EQ(ReadFileBytes(dir + "\\Bellwick.log").find("ｼﾐｭﾚｰﾄ"), std::string::npos);
  CloseRealChecker();
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, RestartAnsweredNoLeavesTheRunningCheckerAlone) {
  FakeRunningChecker running;
  KnobsetProcess& knobset = Open("knobset-restart-no", OneAccountFile(1));
  ASSERT_NE(main, nullptr);
  PickCommand(main, IDM_RESTART);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDNO, &box));
  EXPECT_EQ(box.text, "再起動します. よろしいですか？\r\n");
  Sleep(1500);
  EXPECT_EQ(running.CloseCount(), 0);
  EXPECT_EQ(FindRealChecker(), nullptr);
  ExitUnasked();
}

// ---- Application dialogs ----

const char kAutoExecTitle[] = "ｱﾌﾟﾘｹｰｼｮﾝ起動情報";
const char kMenuTitle[] = "ﾒﾆｭｰ起動情報";

TEST_F(KnobsetE2eTest, AutoExecDialogNeedsFiveCharactersStoresInheritedPriorityAsZeroAndTakes50000) {
  KnobsetProcess& knobset = Open("knobset-auto-exec-dialog", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  HWND app = OpenFromTab(2, IDC_ADD, kAutoExecTitle);
  ASSERT_NE(app, nullptr);
  // A new record: nothing typed yet, so OK waits for a program name.
  EXPECT_FALSE(ControlEnabled(app, IDOK));
  EXPECT_FALSE(IsWindowVisible(FindControl(app, IDC_APP_MENU_NAME)));
  EXPECT_EQ(ControlText(app, IDC_INPUT_TIMEOUT), "5000");
  EXPECT_TRUE(IsChecked(app, IDC_SHOW_NORMAL));
  EXPECT_TRUE(DigitsOnly(app, IDC_SIZE_WIDTH) && DigitsOnly(app, IDC_SIZE_HEIGHT));
  EXPECT_TRUE(DigitsOnly(app, IDC_INPUT_TIMEOUT));
  EXPECT_FALSE(DigitsOnly(app, IDC_POS_X) || DigitsOnly(app, IDC_POS_Y));
  TypeText(app, IDC_APP_FILE, "a.ex");
  EXPECT_TRUE(WaitFor([&] { return ControlText(app, IDC_APP_BASE_NAME) == "a.ex"; }, 3000));
  EXPECT_FALSE(ControlEnabled(app, IDOK));
  TypeText(app, IDC_APP_FILE, "a.exe");
  EXPECT_TRUE(WaitFor([&] { return ControlEnabled(app, IDOK); }, 3000));

  TypeText(app, IDC_APP_FILE, "c:\\windows\\notepad.exe");
  EXPECT_TRUE(WaitFor([&] { return ControlText(app, IDC_APP_BASE_NAME) == "notepad.exe"; }, 3000));
  knobset.ClickTab(FindControl(app, IDC_APP_TABS), 1);
  EXPECT_FALSE(ControlEnabled(app, IDC_PRIORITY_CLASS));
  ClickControl(app, IDC_PRIORITY_GIVEN);
  EXPECT_TRUE(WaitFor([&] { return ControlEnabled(app, IDC_PRIORITY_THREAD); }, 3000));
  TypeText(app, IDC_INPUT_TIMEOUT, "50000");
  PressButton(app, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(app); }, 5000));
  HWND list = FindControl(main, IDC_LIST);
  ASSERT_TRUE(WaitFor([&] { return knobset.ListRowCount(list) == 1; }, 3000));
  EXPECT_EQ(knobset.ListCell(list, 0, 0), "notepad.exe");

  // "指定" with two "継承" is no priority at all: it reopens unchecked.
  knobset.SelectRows(list, {0});
  PressButton(main, IDC_UPDATE);
  app = knobset.WaitForDialog(kAutoExecTitle);
  ASSERT_NE(app, nullptr);
  EXPECT_FALSE(IsChecked(app, IDC_PRIORITY_GIVEN));
  EXPECT_EQ(ControlText(app, IDC_INPUT_TIMEOUT), "50000");
  EXPECT_EQ(ControlText(app, IDC_APP_FILE), "c:\\windows\\notepad.exe");
  PressButton(app, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(app); }, 5000));

  const std::string saved = SaveAndRead();
  EXPECT_NE(saved.find("\t\tExecutionInputTO\t50000\r\n"), std::string::npos) << saved;
  // A priority of 0 is either left out or written as 0.
  const size_t priority = saved.find("ExecutionPriority");
  if (priority != std::string::npos) {
    EXPECT_EQ(saved.substr(priority, 26), "ExecutionPriority\t0x0000\r\n") << saved;
  }
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, MenuDialogRefusesATimeoutOf50000OnItsPriorityPage) {
  KnobsetProcess& knobset = Open("knobset-menu-dialog", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  HWND app = OpenFromTab(1, IDC_ADD, kMenuTitle);
  ASSERT_NE(app, nullptr);
  EXPECT_TRUE(IsWindowVisible(FindControl(app, IDC_APP_MENU_NAME)));
  TypeText(app, IDC_APP_MENU_NAME, "エディタ");
  TypeText(app, IDC_APP_FILE, "c:\\windows\\notepad.exe");
  TypeText(app, IDC_INPUT_TIMEOUT, "50000");
  ASSERT_TRUE(WaitFor([&] { return ControlEnabled(app, IDOK); }, 3000));
  PressButton(app, IDOK);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_NE(box.text.find("9999"), std::string::npos) << box.text;
  EXPECT_TRUE(IsWindow(app));
  EXPECT_TRUE(IsWindowVisible(FindControl(app, IDC_INPUT_TIMEOUT)));
  EXPECT_FALSE(IsWindowVisible(FindControl(app, IDC_SHOW_NORMAL)));
  TypeText(app, IDC_INPUT_TIMEOUT, "9999");
  PressButton(app, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(app); }, 5000));
  HWND list = FindControl(main, IDC_LIST);
  ASSERT_TRUE(WaitFor([&] { return knobset.ListRowCount(list) == 1; }, 3000));
  EXPECT_EQ(knobset.ListCell(list, 0, 0), "エディタ");
  const std::string saved = SaveAndRead();
  EXPECT_NE(saved.find("\t\tExecutionInputTO\t9999\r\n"), std::string::npos) << saved;
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, ShellWithADocumentWithoutAssociationKeepsOkAndABatchFileIsItsOwnProgram) {
  KnobsetProcess& knobset = Open("knobset-shell", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  WriteFileBytes(dir + "\\notes.zqx", "no program opens this\r\n");
  WriteFileBytes(dir + "\\run.bat", "@echo off\r\n");
  HWND app = OpenFromTab(2, IDC_ADD, kAutoExecTitle);
  ASSERT_NE(app, nullptr);
  PressButton(app, IDC_APP_SHELL);
  ASSERT_TRUE(ChooseInFileDialog(knobset, dir + "\\notes.zqx", {kAutoExecTitle}));
  ASSERT_TRUE(WaitFor([&] { return ControlText(app, IDC_APP_ARGUMENTS) == dir + "\\notes.zqx"; }));
  EXPECT_EQ(ControlText(app, IDC_APP_FILE), "");
  EXPECT_EQ(ControlText(app, IDC_APP_FOLDER), dir);
  EXPECT_FALSE(ControlEnabled(app, IDC_APP_FILE));
  EXPECT_FALSE(ControlEnabled(app, IDC_INITIAL_ONCE));
  EXPECT_TRUE(ControlEnabled(app, IDOK));

  PressButton(app, IDC_APP_SHELL);
  ASSERT_TRUE(ChooseInFileDialog(knobset, dir + "\\run.bat", {kAutoExecTitle}));
  ASSERT_TRUE(WaitFor([&] { return ControlText(app, IDC_APP_ARGUMENTS) == dir + "\\run.bat"; }));
  EXPECT_EQ(ControlText(app, IDC_APP_FILE), dir + "\\run.bat");
  EXPECT_EQ(ControlText(app, IDC_APP_BASE_NAME), "run.bat");
  PressButton(app, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(app); }, 5000));
  const std::string saved = SaveAndRead();
  EXPECT_NE(saved.find("\t\tExecutionShellExec\t1\r\n"), std::string::npos) << saved;
  ExitUnasked();
}

// ---- Options and auto-exec control ----

// OneAccountFile with extra controller lines.
std::string AccountFileWithController(const std::string& lines) {
  std::string file = OneAccountFile(110);
  file.insert(file.find("\tAnimateTimer"), lines);
  return file;
}

// The value written for `key` ("" when the key is not written).
std::string SavedValue(const std::string& saved, const std::string& key) {
  const size_t at = saved.find("\t" + key + "\t");
  if (at == std::string::npos) return "";
  const size_t start = at + key.size() + 2;
  return saved.substr(start, saved.find("\r\n", start) - start);
}

TEST_F(KnobsetE2eTest, ControlDialogRefusesAMethodWithoutEventAndDefaultStores0x72WithoutDelay) {
  KnobsetProcess& knobset =
      Open("knobset-control", AccountFileWithController("\tExecuteSequence\t1\r\n"
                                                        "\tExecutionDelay\t300\r\n"
                                                        "\tAutoKillMethod\t0x0003\r\n"));
  ASSERT_NE(main, nullptr);
  PressButton(main, IDC_CONTROL);
  HWND control = knobset.WaitForDialog("自動実行ｱﾌﾟﾘの制御");
  ASSERT_NE(control, nullptr);
  // Methods without an event load as nothing at all.
  for (int id : {IDC_CTL_KILL_BEFORE, IDC_CTL_KILL_NO_MAIL, IDC_CTL_KILL_MENU, IDC_CTL_POST_CLOSE,
                 IDC_CTL_POST_QUIT, IDC_CTL_TERMINATE})
    EXPECT_FALSE(IsChecked(control, id)) << id;
  EXPECT_FALSE(ControlEnabled(control, IDC_CTL_TERMINATE));
  EXPECT_TRUE(IsChecked(control, IDC_CTL_SEQUENCE_TIMEOUT));
  EXPECT_EQ(ControlText(control, IDC_CTL_DELAY), "300");

  // A method box left checked but disabled still counts.
  ClickControl(control, IDC_CTL_KILL_MENU);
  ASSERT_TRUE(WaitFor([&] { return ControlEnabled(control, IDC_CTL_TERMINATE); }, 3000));
  ClickControl(control, IDC_CTL_TERMINATE);
  ClickControl(control, IDC_CTL_KILL_MENU);
  ASSERT_TRUE(WaitFor([&] { return !ControlEnabled(control, IDC_CTL_TERMINATE); }, 3000));
  EXPECT_TRUE(IsChecked(control, IDC_CTL_TERMINATE));
  PressButton(control, IDOK);
  SeenBox box;
  ASSERT_TRUE(knobset.AnswerBox(IDOK, &box));
  EXPECT_EQ(box.text, "終了させるイベントを選んで下さい.");
  EXPECT_TRUE(IsWindow(control));

  PressButton(control, IDC_CTL_DEFAULT);
  ASSERT_TRUE(WaitFor([&] { return ControlText(control, IDC_CTL_DELAY) == "0"; }, 3000));
  EXPECT_TRUE(IsChecked(control, IDC_CTL_SEQUENCE_DELAY));
  EXPECT_TRUE(IsChecked(control, IDC_CTL_POST_QUIT));
  EXPECT_FALSE(IsChecked(control, IDC_CTL_TERMINATE));
  PressButton(control, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(control); }, 5000));
  const std::string saved = SaveAndRead();
  const std::string kill = SavedValue(saved, "AutoKillMethod");
  EXPECT_TRUE(kill == "" || kill == "0x0072") << saved;
  EXPECT_EQ(SavedValue(saved, "ExecutionDelay"), "0") << saved;
  const std::string sequence = SavedValue(saved, "ExecuteSequence");
  EXPECT_TRUE(sequence == "" || sequence == "0") << saved;
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, OptionsRefuseAWidthOf31AndStoreTheChosenClassIndex) {
  KnobsetProcess& knobset = Open("knobset-options", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  PressButton(main, IDC_OPTIONS);
  HWND options = knobset.WaitForDialog("オプション");
  ASSERT_NE(options, nullptr);
  // Counts, sizes and times take digits only, the position a minus sign too.
  EXPECT_TRUE(DigitsOnly(main, IDC_LOG_LIMIT));
  for (int id : {IDC_OPT_INIT_SLEEP, IDC_OPT_CONSECUTIVE, IDC_OPT_WIDTH, IDC_OPT_HEIGHT, IDC_OPT_ANIMATE_TIMER})
    EXPECT_TRUE(DigitsOnly(options, id)) << id;
  EXPECT_FALSE(DigitsOnly(options, IDC_OPT_X) || DigitsOnly(options, IDC_OPT_Y));
  TypeText(options, IDC_OPT_WIDTH, "31");
  TypeText(options, IDC_OPT_X, "-20");
  SendMessageA(FindControl(options, IDC_OPT_CLASS), CB_SETCURSEL, 3, 0);
  PressButton(options, IDOK);
  // Refused (the range and its message are the rows', tested natively): the
  // dialog stays with the focus on the width.
  ASSERT_TRUE(knobset.AnswerBox(IDOK));
  EXPECT_TRUE(IsWindow(options));
  EXPECT_TRUE(WaitFor([&] { return FocusedId(options) == IDC_OPT_WIDTH; }, 5000));
  TypeText(options, IDC_OPT_WIDTH, "32");
  PressButton(options, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(options); }, 5000));
  const std::string saved = SaveAndRead();
  EXPECT_EQ(SavedValue(saved, "PriorityClass"), "3") << saved;
  EXPECT_EQ(SavedValue(saved, "WindowPosition").substr(0, 4), "-20,") << saved;
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, ApplicationDialogTabKeysEnterThePageFromTheTabsAndShiftTabFromTheProgramGoesBackIn) {
  Open("knobset-app-tab-keys", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  HWND app = OpenFromTab(1, IDC_ADD, kMenuTitle);
  ASSERT_NE(app, nullptr);
  SetForegroundWindow(app);
  Sleep(300);
  ASSERT_EQ(FocusedId(app), IDC_APP_MENU_NAME);
  // OK is disabled (no program yet) and left out, as are the disabled boxes.
  EXPECT_EQ(TabWalk(app, 17, false),
            "1612 1701 1704 1707 1602 1606 1607 1608 1609 1610 1611 2 1601 1612 1701 1704 1707 ");
  PressTab(false);
  ASSERT_EQ(FocusedId(app), IDC_APP_FILE);
  EXPECT_EQ(TabWalk(app, 5, true), "1707 1704 1701 1612 1601 ");
  PressButton(app, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(app); }));
  ExitUnasked();
}

TEST_F(KnobsetE2eTest, QuickLaunchWithoutItsFolderStillBrowsesAndClearsTheShellStart) {
  KnobsetProcess& knobset = Open("knobset-quick-launch", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  WriteFileBytes(dir + "\\run.bat", "@echo off\r\n");
  HWND app = OpenFromTab(2, IDC_ADD, kAutoExecTitle);
  ASSERT_NE(app, nullptr);
  PressButton(app, IDC_APP_SHELL);
  ASSERT_TRUE(ChooseInFileDialog(knobset, dir + "\\run.bat", {kAutoExecTitle}));
  ASSERT_TRUE(WaitFor([&] { return !ControlEnabled(app, IDC_APP_FILE); }));
  // No Quick Launch folder in a fresh profile: the browser opens anyway,
  // and even its Cancel ends the shell start.
  PressButton(app, IDC_APP_QUICK_LAUNCH);
  HWND browser = WaitForOtherDialog(knobset.ProcessId(), {kMainTitle, kAutoExecTitle, "Knobset"});
  ASSERT_NE(browser, nullptr);
  Sleep(500);
  PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(browser); }));
  // The dialog enables its own fields before the page's, so wait for both.
  EXPECT_TRUE(WaitFor([&] { return ControlEnabled(app, IDC_APP_FILE); }, 3000));
  EXPECT_TRUE(WaitFor([&] { return ControlEnabled(app, IDC_INITIAL_ONCE); }, 3000));
  EXPECT_EQ(ControlText(app, IDC_APP_FILE), dir + "\\run.bat");
  PressButton(app, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(app); }));
  ExitUnasked();
}

}  // namespace

namespace {

// The page a window last asked the help viewer for: its pane is blank under
// Wine, so the request is read from the property the window keeps.
std::string HelpTopicOf(HWND window) {
  const HANDLE kept = GetPropW(window, bw::kHelpTopicProperty);
  char name[256] = {};
  if (!kept || !GlobalGetAtomNameA(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(kept)), name, sizeof name))
    return "(none)";
  return name;
}

void PressF1(HWND window) {
  SetForegroundWindow(window);
  Sleep(150);
  keybd_event(VK_F1, 0, 0, 0);
  keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
}

}  // namespace

// F1 and the ﾍﾙﾌﾟ button open each dialog's own page, also from a control on
// one of the account dialog's tab pages (the page leaves F1 to its dialog).
// There is no help file beside the test build, so each request ends in the
// missing-file box after it was made.
TEST_F(KnobsetE2eTest, F1AndTheHelpButtonAskForEachDialogsOwnPage) {
  KnobsetProcess& knobset = Open("knobset-help", OneAccountFile(110));
  ASSERT_NE(main, nullptr);
  PressF1(main);
  ASSERT_TRUE(knobset.AnswerBox(IDOK, nullptr, "HELP Error"));
  EXPECT_EQ(HelpTopicOf(main), "knobset-main.html");

  PressButton(main, IDC_OPTIONS);
  HWND options = knobset.WaitForDialog("オプション");
  ASSERT_NE(options, nullptr);
  PressButton(options, IDHELP);
  ASSERT_TRUE(knobset.AnswerBox(IDOK, nullptr, "HELP Error"));
  EXPECT_EQ(HelpTopicOf(options), "options-dialog.html");
  PressButton(options, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(options); }, 5000));

  PressButton(main, IDC_ADD);
  HWND account = knobset.WaitForDialog(kAccountTitle);
  ASSERT_NE(account, nullptr);
  PressF1(account);
  ASSERT_TRUE(knobset.AnswerBox(IDOK, nullptr, "HELP Error"));
  EXPECT_EQ(HelpTopicOf(account), "account-dialog.html");
  PressButton(account, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(account); }, 5000));
  ExitUnasked();
}
