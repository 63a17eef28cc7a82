// The configurator's window-free rules: enabling, tab labels and cells, the
// account dialog's masking and its bound fields (limits, radio values,
// required fields), the list limits, the drafts and the record adapter.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "configurator/core/field_binding.h"
#include "common/core/key_table.h"
#include "common/core/param_file.h"
#include "configurator/core/account_model.h"
#include "configurator/core/main_rules.h"
#include "configurator/core/main_tabs.h"
#include "configurator/core/record_fields.h"
#include "configurator/core/record_list.h"
#include "platform/message_box.h"

namespace bw {
namespace {

TEST(MainEnablingTest, AddStopsExactlyAtEachTabsLimit) {
  EXPECT_TRUE(ComputeMainEnabling("a.ini.x", 0, kTabAccounts, 255).add);
  EXPECT_FALSE(ComputeMainEnabling("a.ini.x", 0, kTabAccounts, 256).add);
  EXPECT_TRUE(ComputeMainEnabling("a.ini.x", 0, kTabMenu, 8).add);
  EXPECT_FALSE(ComputeMainEnabling("a.ini.x", 0, kTabMenu, 9).add);
  EXPECT_TRUE(ComputeMainEnabling("a.ini.x", 0, kTabAutoExec, 15).add);
  EXPECT_FALSE(ComputeMainEnabling("a.ini.x", 0, kTabAutoExec, 16).add);
}

TEST(MainEnablingTest, UpdateDeleteNeedASelectionAndCaptureNeverOnAccounts) {
  MainEnabling none = ComputeMainEnabling("x", 0, kTabAccounts, 3);
  EXPECT_FALSE(none.update);
  EXPECT_FALSE(none.remove);
  EXPECT_FALSE(none.capture);
  EXPECT_FALSE(none.ok);  // five characters are not enough
  MainEnabling two = ComputeMainEnabling("ab.ini", 2, kTabMenu, 3);
  EXPECT_TRUE(two.update);
  EXPECT_TRUE(two.remove);
  EXPECT_TRUE(two.capture);
  EXPECT_TRUE(two.ok);
}

TEST(MainRowsTest, TabLabelsCarryTheEmptyOrFilledMarker) {
  EXPECT_EQ(TabLabel(kTabAccounts, false), "●接続先");
  EXPECT_EQ(TabLabel(kTabAutoExec, true), "  自動起動");
}

TEST(MainRowsTest, EachTabsRowHasItsCellsInColumnOrder) {
  std::unique_ptr<MenuExecutant> menu(NewMenuRecord());
  SetMenuCaption(*menu, "m9");
  SetExecutantProgram(*menu, "c:\\app9.exe");
  menu->SetKeyText(kExecutionArguments, "-x");
  menu->SetKeyText(kExecutionPriority, "0x0023");
  const TabRow row = DescribeTab(kTabMenu).row(*menu);
  EXPECT_EQ(row.cells, (std::vector<std::string>{"m9", "app9.exe", "－", "普通+0", "■"}));
  EXPECT_EQ(row.iconFile, "c:\\app9.exe");
  EXPECT_EQ(DescribeTab(kTabAutoExec).row(*menu).cells,
            (std::vector<std::string>{"app9.exe", "○", "－", "---", "---", "普通+0", "■"}));
  std::unique_ptr<AncestryPop3Checker> account(NewAccountRecord());
  const TabRow accountRow = DescribeTab(kTabAccounts).row(*account);
  EXPECT_EQ(accountRow.cells, (std::vector<std::string>{"", "", "110", "POP3", "15"}));
  EXPECT_EQ(accountRow.iconFile, "");
  account->SetKeyText(kProtocol, "1");
  EXPECT_EQ(DescribeTab(kTabAccounts).row(*account).cells[3], "IMAP");
  EXPECT_EQ(DescribeTab(kTabAccounts).columns.size(), 5u);
  EXPECT_EQ(DescribeTab(kTabMenu).columns.size(), 5u);
  EXPECT_EQ(DescribeTab(kTabAutoExec).columns.size(), 7u);
}

TEST(MainRowsTest, PriorityTextCoversClassAndThreadBitsAndUnknownValues) {
  EXPECT_EQ(PriorityText(""), "継承  ");
  EXPECT_EQ(PriorityText("0x0023"), "普通+0");
  EXPECT_EQ(PriorityText("0x0031"), " 高 -2");
  EXPECT_EQ(PriorityText("0x0015"), " 低 +2");
  EXPECT_EQ(PriorityText("0x0046"), "??????");
}

TEST(MainRowsTest, DirectoryMarkerComparesFolderIgnoringCaseAndOneBackslash) {
  EXPECT_EQ(DirectoryMarker("c:\\tools\\mail.exe", ""), "－");
  EXPECT_EQ(DirectoryMarker("c:\\tools\\mail.exe", "C:\\Tools\\"), "○");
  EXPECT_EQ(DirectoryMarker("c:\\tools\\mail.exe", "C:\\Tools"), "○");
  EXPECT_EQ(DirectoryMarker("c:\\tools\\mail.exe", "C:\\Other"), "◆");
}

TEST(MainRowsTest, ModuleNameNeverSplitsAtTheTrailByteOfADoubleByteCharacter) {
  // "ソ" is 0x83 0x5C: its second byte is a backslash.
  EXPECT_EQ(ModuleText("c:\\ソフト\\app.exe"), "app.exe");
  EXPECT_EQ(ModuleText("c:\\dir\\ソ.exe"), "ソ.exe");
  EXPECT_EQ(DirectoryMarker("c:\\ソ\\a.exe", "c:\\ソ"), "○");
  EXPECT_EQ(ModuleText("plain.exe"), "plain.exe");
}

TEST(MainRowsTest, PositionSizeArgumentsAndOnceCells) {
  EXPECT_EQ(PositionText(""), "---");
  EXPECT_EQ(PositionText("-5,20"), "-5,20");
  EXPECT_EQ(SizeText("640,480"), "640X480");
  EXPECT_EQ(ArgumentsMarker(""), "－");
  EXPECT_EQ(ArgumentsMarker("-x"), "■");
  EXPECT_EQ(InitialOnceMarker("1"), "×");
  EXPECT_EQ(InitialOnceMarker(""), "○");
}

TEST(MainWindowBindingTest, LogLimitRowTakes0To9999) {
  const FieldBinding& row = *kMainWindowBindings.begin();
  std::string value;
  EXPECT_EQ(CheckBoundText(row, "9999", &value), "");
  EXPECT_EQ(value, "9999");
  EXPECT_EQ(CheckBoundText(row, "10000", &value), "0 から 9999 までの整数を入力してください.");
  EXPECT_EQ(CheckBoundText(row, "-1", &value), "0 から 9999 までの整数を入力してください.");
}

TEST(ProgramPathsTest, CheckerHelpAndRestartArguments) {
  EXPECT_EQ(PathBesideProgram("C:\\a b\\Knobset.exe", "Bellwick.exe"), "C:\\a b\\Bellwick.exe");
  EXPECT_EQ(PathBesideProgram("Knobset.exe", "Bellwick.exe"), "Bellwick.exe");
  EXPECT_EQ(HelpFilePath("C:\\x.y\\Knobset.exe"), "C:\\x.y\\Knobset.chm");
  EXPECT_EQ(HelpFilePath("C:\\x.y\\Knobset"), "C:\\x.y\\Knobset.chm");
  EXPECT_EQ(RestartArguments(false, "C:\\p.ini"), "-d 0 -p \"C:\\p.ini\"");
  EXPECT_EQ(RestartArguments(true, "C:\\a b.ini"), "-d 0 -s -p \"C:\\a b.ini\"");
}

TEST(MaskingTest, PlaceholderHidesTheLengthUntilTheBoxHasTheFocus) {
  MaskedField f;
  f.Open("abc", true);
  EXPECT_EQ(f.Shown(), std::string(42, '-'));
  f.FocusGained();
  EXPECT_EQ(f.Shown(), "abc");
  f.Changed("abcd");
  f.FocusLost("abcd");
  EXPECT_EQ(f.Real(), "abcd");
  EXPECT_EQ(f.Shown(), std::string(42, '-'));
}

// Text Shift_JIS cannot hold stays in the box as typed (the window sets no
// Shown() over it) through focus and masking changes, until it is edited.
TEST(MaskingTest, TextShiftJisCannotHoldIsKeptAsTypedUntilEdited) {
  MaskedField f;
  f.Open("bob", true);
  f.FocusLost("us?r", false);
  f.ApplyMasking(false);
  f.FocusGained();
  EXPECT_TRUE(f.TypedTextKept());
  f.Changed("user");
  EXPECT_FALSE(f.TypedTextKept());
}

TEST(MaskingTest, UnmaskingShowsRealValuesAndEmptyValuesShowNoPlaceholder) {
  MaskedField f;
  f.Open("", true);
  EXPECT_EQ(f.Shown(), "");
  f.Open("secret", true);
  f.ApplyMasking(false);
  EXPECT_EQ(f.Shown(), "secret");
  f.FocusGained();
  f.FocusLost("");
  f.ApplyMasking(true);
  EXPECT_EQ(f.Real(), "");
  EXPECT_EQ(f.Shown(), "");
}

// The account row bound to `key`.
const FieldBinding& AccountRow(int key) {
  for (const FieldBinding& row : kAccountBindings)
    if (row.key == key) return row;
  throw std::out_of_range("no row");
}

// The refusal CheckBoundText gives `text` in the row of `key` ("" when it
// passes, then *kept holds the value text).
std::string Refusal(int key, const std::string& text, std::string* kept = nullptr) {
  std::string value = "untouched";
  const std::string message = CheckBoundText(AccountRow(key), text, &value);
  if (kept) *kept = value;
  return message;
}

TEST(AccountBindingTest, RowsRefuseNamesOver64CyclesOutside1To999AndTimeoutsOver30) {
  for (int key : {kConnectionName, kHostName, kServiceName}) {
    EXPECT_EQ(Refusal(key, std::string(65, 'x')), "64 文字以内で入力してください.") << key;
    EXPECT_EQ(Refusal(key, std::string(64, 'x')), "") << key;
  }
  std::string kept;
  EXPECT_EQ(Refusal(kCycleMinutes, "1000"), "1 から 999 までの整数を入力してください.");
  EXPECT_EQ(Refusal(kCycleMinutes, "0"), "1 から 999 までの整数を入力してください.");
  EXPECT_EQ(Refusal(kCycleMinutes, "12a"), "整数を入力してください.");
  EXPECT_EQ(Refusal(kCycleMinutes, " 999 ", &kept), "");
  EXPECT_EQ(kept, "999");
  for (int key : {kTOofDNS_Sec, kTOofConnect_Sec, kTOofSendRecv_Sec}) {
    EXPECT_EQ(Refusal(key, "31"), "0 から 30 までの整数を入力してください.") << key;
    EXPECT_EQ(Refusal(key, "-1"), "0 から 30 までの整数を入力してください.") << key;
    // "基準値" gives 0, "変更" 30.
    EXPECT_EQ(ChoiceValue(AccountRow(key), false), "0");
    EXPECT_EQ(ChoiceValue(AccountRow(key), true), "30");
  }
}

TEST(RequiredFieldsTest, AllFiveLinesInDialogOrderAndNoneWhenComplete) {
  auto message = [](const char* name, const char* host, const char* service, const char* user,
                    const char* password) {
    RecordDraft d;
    d.Set(kConnectionName, name);
    d.Set(kHostName, host);
    d.Set(kServiceName, service);
    d.Set(kUserID, user);
    d.Set(kPassword, password);
    return RequiredFieldsMessage(kAccountBindings, d);
  };
  EXPECT_EQ(message("", "", "", "", ""),
            "接続名は必須入力項目です\r\n"
            "ﾎｽﾄ名は必須入力項目です.\r\n"
            "ｻｰﾋﾞｽ名は必須入力項目です.\r\n"
            "ﾕｰｻﾞIDは必須入力項目です.\r\n"
            "ﾊﾟｽﾜｰﾄﾞは必須入力項目です.\r\n");
  EXPECT_EQ(message("n", "h", "", "u", ""),
            "ｻｰﾋﾞｽ名は必須入力項目です.\r\nﾊﾟｽﾜｰﾄﾞは必須入力項目です.\r\n");
  EXPECT_EQ(message("n", "h", "110", "u", "p"), "");
  // Blanks alone are kept as nothing: asked for, not stored empty or
  // refused as unstorable.
  EXPECT_EQ(message("  ", " \t ", "110", "u", "p"),
            "接続名は必須入力項目です\r\nﾎｽﾄ名は必須入力項目です.\r\n");
  EXPECT_EQ(message(" n ", " h", "110", "u", " p "), "");
}

TEST(RequiredFieldsTest, PasswordIsNotAskedForWithASignInProvider) {
  RecordDraft d;
  d.Set(kConnectionName, "n");
  d.Set(kHostName, "h");
  d.Set(kServiceName, "995");
  d.Set(kUserID, "u");
  d.Set(kOAuthProvider, "2");
  EXPECT_EQ(RequiredFieldsMessage(kAccountBindings, d), "");
  d.Set(kOAuthProvider, "0");
  EXPECT_EQ(RequiredFieldsMessage(kAccountBindings, d), "ﾊﾟｽﾜｰﾄﾞは必須入力項目です.\r\n");
}

TEST(OAuthPageTest, EndpointsAndScopeOnlyForAnotherProviderClientForAny) {
  for (int key : {kOAuthClientID, kOAuthClientSecret, kOAuthToken}) {
    EXPECT_FALSE(OAuthKeyEnabled(key, 0)) << key;
    for (int provider : {1, 2, 3}) EXPECT_TRUE(OAuthKeyEnabled(key, provider)) << key;
  }
  for (int key : {kOAuthAuthorizeURL, kOAuthTokenURL, kOAuthScope}) {
    for (int provider : {0, 1, 2}) EXPECT_FALSE(OAuthKeyEnabled(key, provider)) << key;
    EXPECT_TRUE(OAuthKeyEnabled(key, 3)) << key;
  }
}

TEST(ProtocolPageTest, Pop3OnlyControlsOffWithImapAndTheFolderListOnlyWithIt) {
  for (int key : {kUseAPOP, kUseUIDL, kDisconnectNoQuit}) {
    EXPECT_TRUE(ProtocolKeyEnabled(key, 0)) << key;
    EXPECT_FALSE(ProtocolKeyEnabled(key, 1)) << key;
  }
  for (int key : {kImapFolders, kUseIdle}) {
    EXPECT_FALSE(ProtocolKeyEnabled(key, 0)) << key;
    EXPECT_TRUE(ProtocolKeyEnabled(key, 1)) << key;
  }
  for (int key : {kProtocol, kUseTLS})
    for (int protocol : {0, 1}) EXPECT_TRUE(ProtocolKeyEnabled(key, protocol)) << key;
}

TEST(ProtocolPageTest, ServiceFollowsTheProtocolOnlyWhileItHoldsTheOtherOnesUsualPort) {
  EXPECT_EQ(ServiceForProtocol("110", 0, 1, 0), "143");
  EXPECT_EQ(ServiceForProtocol("143", 1, 0, 2), "110");
  EXPECT_EQ(ServiceForProtocol("995", 0, 1, 1), "993");
  EXPECT_EQ(ServiceForProtocol("993", 1, 0, 1), "995");
  // The new port follows UseTLS, whichever usual port the old one was.
  EXPECT_EQ(ServiceForProtocol("110", 0, 1, 1), "993");
  EXPECT_EQ(ServiceForProtocol("995", 0, 1, 2), "143");
  EXPECT_EQ(ServiceForProtocol(" pop3s ", 0, 1, 1), "imaps");
  EXPECT_EQ(ServiceForProtocol("imap", 1, 0, 0), "pop3");
  // A port the user chose stays, and so does one of the new protocol.
  for (const char* kept : {"2525", "1143", "", "143"})
    EXPECT_EQ(ServiceForProtocol(kept, 0, 1, 0), kept) << kept;
  EXPECT_EQ(ServiceForProtocol("110", 1, 0, 0), "110");
  EXPECT_EQ(ServiceForProtocol("110", 0, 0, 0), "110");
}

// A token issued for one provider and client is of no use to another: the
// draft keeps it while the page shows its issuer (the client ID as the file
// would keep it) and drops it once either differs.
TEST(OAuthPageTest, TokenIsDroppedWhenTheProviderOrClientIdChanges) {
  const OAuthClient issuer{1, "client-a"};
  RecordDraft d;
  d.Set(kOAuthToken, "stored");
  EXPECT_FALSE(DropTokenOfAnotherClient(d, issuer, {1, "client-a  "}));
  EXPECT_EQ(d.Text(kOAuthToken), "stored");
  EXPECT_TRUE(DropTokenOfAnotherClient(d, issuer, {2, "client-a"}));
  EXPECT_EQ(d.Text(kOAuthToken), "");
  d.Set(kOAuthToken, "stored");
  EXPECT_TRUE(DropTokenOfAnotherClient(d, issuer, {1, "client-b"}));
  EXPECT_EQ(d.Text(kOAuthToken), "");
  EXPECT_FALSE(DropTokenOfAnotherClient(d, issuer, {3, "x"}));  // nothing left to drop
}

// Two accounts alike in ConnectionName, HostName and UserID cannot be told
// apart: the dialog refuses the draft that would make such a pair, but not
// the account it edits, and not one that differs in any of the three.
TEST(AccountDialogRules, DuplicateOfAnotherAccountIsRefusedButNotOfItself) {
  AncestryPop3Checker* first = new AncestryPop3Checker;
  first->ConnectionName = "Office";
  first->HostName = "pop.example.com";
  first->UserID = "u";
  AncestryPop3Checker* second = new AncestryPop3Checker;
  second->ConnectionName = "Home";
  second->HostName = "pop.example.com";
  second->UserID = "u";
  first->InsertAfter(second);
  RecordDraft d;
  d.Set(kConnectionName, "Office ");
  d.Set(kHostName, "pop.example.com");
  d.Set(kUserID, "u");
  EXPECT_TRUE(DuplicatesAnotherAccount(d, first, nullptr));   // a new account
  EXPECT_TRUE(DuplicatesAnotherAccount(d, first, second));    // Home renamed to Office
  EXPECT_FALSE(DuplicatesAnotherAccount(d, first, first));    // Office edited
  d.Set(kUserID, "v");
  EXPECT_FALSE(DuplicatesAnotherAccount(d, first, nullptr));
  EXPECT_FALSE(DuplicatesAnotherAccount(d, nullptr, nullptr));
  second->Unlink();
  delete second;
  delete first;
}

// Collects the boxes the limits check shows.
int CollectBox(void* context, const std::string& text, const std::string&, unsigned) {
  static_cast<std::vector<std::string>*>(context)->push_back(text);
  return kIdOk;
}

TEST(ListLimitsTest, AccountMessagesComeBeforeTheApplicationLimits) {
  std::vector<std::string> boxes;
  SetMessageBoxHandler(CollectBox, &boxes);
  AncestryPop3Controller controller;
  for (int i = 0; i < 10; ++i) AppendRecord(controller.menuHead, NewMenuRecord());
  for (int i = 0; i < 17; ++i) AppendRecord(controller.autoExecHead, NewAutoExecRecord());
  EXPECT_FALSE(CheckListLimits(controller));
  for (int i = 0; i < 257; ++i) AppendRecord(controller.accountHead, NewAccountRecord());
  EXPECT_FALSE(CheckListLimits(controller));
  DeleteRecords(controller.accountHead, {controller.accountHead});
  EXPECT_FALSE(CheckListLimits(controller));
  DeleteRecords(controller.menuHead, {controller.menuHead});
  EXPECT_FALSE(CheckListLimits(controller));
  DeleteRecords(controller.autoExecHead, {controller.autoExecHead});
  EXPECT_TRUE(CheckListLimits(controller));
  SetMessageBoxHandler(nullptr, nullptr);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0], "接続先は１箇所以上設定して下さい.");
  EXPECT_EQ(boxes[1], "接続先は２５６箇所までしか登録できません.");
  EXPECT_EQ(boxes[2], "メニューは９件までしか登録できません.");
  EXPECT_EQ(boxes[3], "自動実行ｱﾌﾟﾘは１６件までしか登録できません.");
}

TEST(RecordDraftTest, NewAccountStartsWithTheKeyDefaultsNotTheConstructorValues) {
  std::unique_ptr<AncestryPop3Checker> a(NewAccountRecord());
  const RecordDraft d = DraftOf(kAccountKeyTable, *a);
  EXPECT_EQ(d.Text(kServiceName), "110");
  EXPECT_EQ(d.Text(kCycleMinutes), "15");
  EXPECT_EQ(d.Text(kUseUIDL), "0");
  EXPECT_EQ(d.Text(kTOofDNS_Sec), "0");
  EXPECT_EQ(d.Text(kTOofConnect_Sec), "0");
  EXPECT_EQ(d.Text(kDisconnectNoQuit), "0");
}

TEST(RecordDraftTest, StoredDraftReadsBackAndTheTlsChoiceSurvives) {
  std::unique_ptr<AncestryPop3Checker> a(NewAccountRecord());
  RecordDraft d = DraftOf(kAccountKeyTable, *a);
  d.Set(kConnectionName, "n");
  d.Set(kHostName, "h");
  d.Set(kServiceName, "995");
  d.Set(kUserID, "u");
  d.Set(kPassword, " p w ");
  d.Set(kCycleMinutes, "3");
  d.Set(kTOofConnect_Sec, "12");
  d.Set(kUseAPOP, "2");
  d.Set(kUseUIDL, "1");
  d.Set(kUseTLS, "1");
  EXPECT_EQ(StoreDraft(kAccountKeyTable, d, *a), kSetOk);
  const RecordDraft back = DraftOf(kAccountKeyTable, *a);
  // Stored as the file gives it back: the leading space stays, the trailing
  // one goes.
  EXPECT_EQ(back.Text(kPassword), " p w");
  EXPECT_EQ(back.Text(kTOofConnect_Sec), "12");
  EXPECT_EQ(back.Text(kUseAPOP), "2");
  EXPECT_EQ(back.Text(kUseTLS), "1");
  // The saved block carries the choice: the record's own field is what the
  // writer folds out, not a property line beside it.
  {
    TextOutput out;
    a->WriteBlock(out, 1);
    EXPECT_NE(out.Bytes().find("\t\tUseTLS\t1\r\n"), std::string::npos) << out.Bytes();
  }
  d.Set(kUseTLS, "0");
  StoreDraft(kAccountKeyTable, d, *a);
  EXPECT_EQ(DraftOf(kAccountKeyTable, *a).Text(kUseTLS), "0");
}

TEST(RecordDraftTest, ImapChoiceAndFolderListAreStoredAndWritten) {
  std::unique_ptr<AncestryPop3Checker> a(NewAccountRecord());
  RecordDraft d = DraftOf(kAccountKeyTable, *a);
  EXPECT_EQ(d.Text(kProtocol), "0");
  d.Set(kConnectionName, "n");
  d.Set(kHostName, "h");
  d.Set(kServiceName, "143");
  d.Set(kUserID, "u");
  d.Set(kPassword, "p");
  d.Set(kProtocol, "1");
  // A list longer than any name box: one file line still carries it.
  const std::string folders = "INBOX,仕事,a\\,b,c\\\\d," + std::string(200, 'f');
  std::string kept;
  EXPECT_EQ(Refusal(kImapFolders, folders, &kept), "");
  d.Set(kImapFolders, kept);
  EXPECT_EQ(StoreDraft(kAccountKeyTable, d, *a), kSetOk);
  EXPECT_EQ(a->Protocol, 1);
  EXPECT_EQ(a->ImapFolders, folders);
  TextOutput out;
  a->WriteBlock(out, 1);
  EXPECT_NE(out.Bytes().find("\t\tProtocol\t1\r\n"), std::string::npos) << out.Bytes();
  EXPECT_NE(out.Bytes().find("\t\tImapFolders\t" + folders + "\r\n"), std::string::npos);
  EXPECT_EQ(Refusal(kImapFolders, std::string(256, 'f')), "255 文字以内で入力してください.");
}

// A new account stored with its required fields; `d` is its draft.
void StoreRequired(AncestryPop3Checker& a, RecordDraft& d, const char* name, const char* password) {
  d = DraftOf(kAccountKeyTable, a);
  d.Set(kConnectionName, name);
  d.Set(kHostName, "h");
  d.Set(kUserID, "u");
  d.Set(kPassword, password);
  ASSERT_EQ(StoreDraft(kAccountKeyTable, d, a), kSetOk);
}

TEST(RecordDraftTest, TextNoFileLineCanHoldIsRefusedAndNothingIsStored) {
  std::unique_ptr<AncestryPop3Checker> a(NewAccountRecord());
  RecordDraft d;
  StoreRequired(*a, d, "kept", "p");
  d.Set(kConnectionName, "new");
  d.Set(kPassword, "two\r\nlines");
  EXPECT_EQ(StoreDraft(kAccountKeyTable, d, *a), kSetUnstorable);
  EXPECT_EQ(DraftOf(kAccountKeyTable, *a).Text(kConnectionName), "kept");
  EXPECT_EQ(DraftOf(kAccountKeyTable, *a).Text(kPassword), "p");
}

TEST(RecordDraftTest, ChoosingAProviderStoresAnEmptyPassword) {
  // Password comes before OAuthProvider in the table, yet its check sees the
  // provider the draft chooses.
  std::unique_ptr<AncestryPop3Checker> a(NewAccountRecord());
  RecordDraft d;
  StoreRequired(*a, d, "n", "old");
  d.Set(kPassword, "");
  d.Set(kOAuthProvider, "1");
  EXPECT_EQ(StoreDraft(kAccountKeyTable, d, *a), kSetOk);
  EXPECT_EQ(a->Password, "");
  EXPECT_EQ(a->OAuthProvider, 1);
}

TEST(RecordFieldsTest, NewApplicationRecordsHaveNoPositionSizeOrPriority) {
  std::unique_ptr<MenuExecutant> m(NewMenuRecord());
  const RecordDraft d = DraftOf(kExecutantKeyTable, static_cast<const Executant&>(*m));
  EXPECT_EQ(d.Text(kExecutionPosition), "");
  EXPECT_EQ(d.Text(kExecutionSize), "");
  EXPECT_EQ(d.Text(kExecutionPriority), "0x0000");
  std::string name = "x";
  m->MenuKeyText(kMenuExecutionName, &name);
  EXPECT_EQ(name, "");
}

}  // namespace
}  // namespace bw
