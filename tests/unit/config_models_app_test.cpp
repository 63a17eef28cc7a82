// The application dialogs' model: what opens from a record, what OK stores,
// the enabling rules, the program choosers and the path handling under them.
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "configurator/core/app_dialog_model.h"
#include "configurator/core/field_text.h"

namespace {

using bw::AppDialogKind;
using bw::RecordDraft;

template <typename Record>
void Read(Record& r, const std::string& body) {
  bw::TextInput in(body);
  ASSERT_EQ(r.ReadBlock(in), 0);
}

std::string Written(bw::Executant& e) {
  bw::TextOutput out;
  e.WriteBlock(out, 0, false);
  return out.Bytes();
}

// A record as the main window's Add makes it.
template <typename Record>
void MakeNew(Record& r) {
  r.CompleteRecord();
  r.ParseValues();
}

// The dialog's row bound to `key` (a priority list by its bits).
const bw::FieldBinding& AppRow(int key, unsigned mask = 0, AppDialogKind kind = AppDialogKind::kAutoExec) {
  for (const bw::FieldBinding& row : bw::AppDialogBindings(kind))
    if (row.key == key && row.mask == mask) return row;
  throw std::out_of_range("no row");
}
const bw::FieldBinding& ClassRow() { return AppRow(bw::kExecutionPriority, 0xF0); }
const bw::FieldBinding& ThreadRow() { return AppRow(bw::kExecutionPriority, 0x0F); }

// The refusal of `text` in the row ("" when it passes).
std::string Refusal(const bw::FieldBinding& row, const std::string& text) {
  std::string value;
  return bw::CheckBoundText(row, text, &value);
}

// The draft with the priority lists on these entries.
void ChoosePriority(RecordDraft& d, int classIndex, int threadIndex) {
  d.Set(bw::kExecutionPriority, bw::WithComboBits(ClassRow(), d.Text(bw::kExecutionPriority), classIndex));
  d.Set(bw::kExecutionPriority, bw::WithComboBits(ThreadRow(), d.Text(bw::kExecutionPriority), threadIndex));
}

TEST(AppDialogLoad, ShowModeGeometryPriorityAndControlBoxesComeFromTheRecord) {
  bw::Executant e;
  Read(e, "ExecutionFileName\tC:\\T\\v.exe\nExecutionShowMode\t3\nExecutionPosition\t-5,200\n"
          "ExecutionPriority\t0x0024\nExecutionInitialOnce\t1\nExecutionDisableIME\t2\n"
          "ExecutionInputTO\t0\n}\n");
  RecordDraft d = bw::OpenAppDialog(e);
  const bw::FieldBinding& show = AppRow(bw::kExecutionShowMode);
  EXPECT_EQ(bw::RadioIndex(show, d.Text(bw::kExecutionShowMode)), 2u);
  EXPECT_EQ(d.Text(bw::kExecutionPosition), "-5,200");
  EXPECT_EQ(d.Text(bw::kExecutionSize), "");
  EXPECT_TRUE(bw::AppPriorityGiven(d));
  EXPECT_EQ(bw::ComboBitsIndex(ClassRow(), d.Text(bw::kExecutionPriority)), 2);
  EXPECT_EQ(bw::ComboBitsIndex(ThreadRow(), d.Text(bw::kExecutionPriority)), 4);
  EXPECT_EQ(d.Text(bw::kExecutionInitialOnce), "1");
  EXPECT_EQ(d.Text(bw::kExecutionDisableIME), "2");
  EXPECT_EQ(d.Text(bw::kExecutionInputTO), "0");

  bw::Executant s;
  Read(s, "ExecutionFileName\tnotepad.exe\nExecutionShowMode\t2\nExecutionShellExec\t1\n"
          "ExecutionPriority\t0x0047\nExecutionInitialOnce\t1\nExecutionDisableIME\t1\n}\n");
  d = bw::OpenAppDialog(s);
  EXPECT_EQ(bw::RadioIndex(show, d.Text(bw::kExecutionShowMode)), 1u);
  EXPECT_EQ(bw::ComboBitsIndex(ClassRow(), d.Text(bw::kExecutionPriority)), 0);  // 0x40 is no class the list knows
  EXPECT_EQ(bw::ComboBitsIndex(ThreadRow(), d.Text(bw::kExecutionPriority)), 0);  // nor 7 a thread priority
  // Shown unchecked while the shell flag is set.
  EXPECT_EQ(d.Text(bw::kExecutionInitialOnce), "");
  EXPECT_EQ(d.Text(bw::kExecutionDisableIME), "");
}

TEST(AppDialogEnabling, OkNeedsFiveCharactersOrAShellDocumentAndTheShellFlagDisablesItsControls) {
  bw::MenuExecutant m;
  MakeNew(m);
  RecordDraft d = bw::OpenAppDialog(m);
  EXPECT_EQ(bw::RadioIndex(AppRow(bw::kExecutionShowMode), d.Text(bw::kExecutionShowMode)), 0u);
  EXPECT_FALSE(bw::AppPriorityGiven(d));
  EXPECT_EQ(d.Text(bw::kExecutionInputTO), "5000");
  d.Set(bw::kExecutionFileName, "a.ex");
  bw::AppDialogEnabling e = bw::AppDialogEnablingFor(d, true);
  EXPECT_FALSE(e.ok);
  EXPECT_TRUE(e.fileName && e.classList && e.threadList && e.initialOnce && e.disableIME);
  EXPECT_FALSE(bw::CheckAppProgram(d, AppDialogKind::kMenu).ok);
  d.Set(bw::kExecutionFileName, "a.exe");
  EXPECT_TRUE(bw::AppDialogEnablingFor(d, true).ok);
  d.Set(bw::kExecutionFileName, "");
  d.Set(bw::kExecutionShellExec, "1");
  e = bw::AppDialogEnablingFor(d, true);
  // A shell start without a document has nothing to store: OK stays off
  // until the arguments name one.
  EXPECT_FALSE(e.ok);
  EXPECT_FALSE(bw::CheckAppProgram(d, AppDialogKind::kMenu).ok);
  d.Set(bw::kExecutionArguments, "D:\\x.txt");
  e = bw::AppDialogEnablingFor(d, true);
  EXPECT_TRUE(e.ok && e.classList);
  EXPECT_FALSE(e.fileName || e.threadList || e.initialOnce || e.disableIME);
}

TEST(AppDialogStore, PriorityGivenWithBothInheritedStoresZeroAndReopensUnchecked) {
  bw::Executant e;
  MakeNew(e);
  RecordDraft d = bw::OpenAppDialog(e);
  d.Set(bw::kExecutionFileName, "c:\\t\\v.exe");
  ASSERT_TRUE(bw::StoreAppDialog(d, true, AppDialogKind::kAutoExec, e));
  EXPECT_EQ(e.ExecutionPriority, 0);
  EXPECT_FALSE(bw::AppPriorityGiven(bw::OpenAppDialog(e)));
  EXPECT_EQ(Written(e).find("ExecutionPriority"), std::string::npos);

  ChoosePriority(d, 1, 5);
  ASSERT_TRUE(bw::StoreAppDialog(d, true, AppDialogKind::kAutoExec, e));
  EXPECT_EQ(e.ExecutionPriority, 0x15);
  // The lists' entries count only while "指定" is checked.
  ASSERT_TRUE(bw::StoreAppDialog(d, false, AppDialogKind::kAutoExec, e));
  EXPECT_EQ(e.ExecutionPriority, 0);
}

TEST(AppDialogStore, ShellFlagDropsThreadPartAndDoubleStartButKeepsClass) {
  bw::Executant e;
  MakeNew(e);
  RecordDraft d = bw::OpenAppDialog(e);
  d.Set(bw::kExecutionShellExec, "1");
  d.Set(bw::kExecutionArguments, "D:\\x.txt");
  ChoosePriority(d, 3, 5);
  d.Set(bw::kExecutionInitialOnce, "1");
  ASSERT_TRUE(bw::StoreAppDialog(d, true, AppDialogKind::kAutoExec, e));
  EXPECT_EQ(e.ExecutionPriority, 0x30);
  EXPECT_EQ(e.ExecutionShellExec, 1);
  const std::string block = Written(e);
  EXPECT_NE(block.find("\tExecutionShellExec\t1\r\n"), std::string::npos);
  EXPECT_EQ(block.find("ExecutionInitialOnce"), std::string::npos);
}

TEST(AppDialogRows, TimeoutLimitsDifferPerDialogAndTheArgumentsHold255Characters) {
  const bw::FieldBinding& autoExec = AppRow(bw::kExecutionInputTO);
  const bw::FieldBinding& menu = AppRow(bw::kExecutionInputTO, 0, AppDialogKind::kMenu);
  EXPECT_EQ(Refusal(autoExec, "50000"), "");
  EXPECT_EQ(Refusal(menu, "50000"), "0 から 9999 までの整数を入力してください.");
  EXPECT_EQ(Refusal(autoExec, "100000"), "0 から 99999 までの整数を入力してください.");
  EXPECT_EQ(Refusal(autoExec, "-1"), "0 から 99999 までの整数を入力してください.");
  const bw::FieldBinding& arguments = AppRow(bw::kExecutionArguments);
  EXPECT_EQ(Refusal(arguments, std::string(255, 'a')), "");
  EXPECT_EQ(Refusal(arguments, std::string(256, 'a')), "255 文字以内で入力してください.");
}

TEST(AppDialogRows, UncheckedPositionIsNotGivenEvenWithNumbersAndBadNumbersAreRefused) {
  const bw::FieldBinding& position = AppRow(bw::kExecutionPosition);
  std::string value = "1,2";
  int part = -1;
  EXPECT_EQ(bw::CheckPairBoxes(position, false, "10", "junk", &value, &part), "");  // not read: the box is off
  EXPECT_EQ(value, "");
  EXPECT_EQ(bw::CheckPairBoxes(position, true, "-10", " 20 ", &value, &part), "");
  EXPECT_EQ(value, "-10,20");
  EXPECT_EQ(bw::CheckPairBoxes(position, true, "10", "junk", &value, &part), "整数を入力してください.");
  EXPECT_EQ(part, 1);
  EXPECT_EQ(value, "-10,20");

  bw::Executant e;
  MakeNew(e);
  RecordDraft d = bw::OpenAppDialog(e);
  d.Set(bw::kExecutionFileName, "c:\\t\\v.exe");
  d.Set(bw::kExecutionSize, "640,480");
  ASSERT_TRUE(bw::StoreAppDialog(d, false, AppDialogKind::kAutoExec, e));
  EXPECT_EQ(e.positionGiven, 0);
  EXPECT_EQ(e.x, bw::kNoCoordinate);
  const std::string block = Written(e);
  EXPECT_EQ(block.find("ExecutionPosition"), std::string::npos);
  EXPECT_NE(block.find("\tExecutionSize\t640,480\r\n"), std::string::npos);
}

TEST(AppDialogStore, MenuDialogWritesEveryFieldWhereTheFileWriterFindsIt) {
  bw::MenuExecutant m;
  MakeNew(m);
  RecordDraft d = bw::OpenAppDialog(m);
  d.Set(bw::kAppMenuNameKey, "ﾒｰﾙ");
  d.Set(bw::kExecutionFileName, "C:\\Mail\\Mailer.exe");
  d.Set(bw::kExecutionPath, "C:\\Mail\\");
  d.Set(bw::kExecutionArguments, "-n");
  d.Set(bw::kExecutionShowMode, "2");
  d.Set(bw::kExecutionInitialOnce, "1");
  d.Set(bw::kExecutionDisableIME, "1");
  d.Set(bw::kExecutionInputTO, "0");
  ASSERT_TRUE(bw::StoreAppDialog(d, false, AppDialogKind::kMenu, m));
  bw::TextOutput out;
  m.WriteMenuBlock(out, 0);
  EXPECT_EQ(out.Bytes(),
            "MenuExecutant::Executant::RingListClass\t{\r\n"
            "\tMenuExecutionName\tﾒｰﾙ\r\n\tExecutionInitialOnce\t1\r\n"
            "\tExecutionPath\tC:\\Mail\r\n\tExecutionShowMode\t2\r\n"
            "\tExecutionDisableIME\t1\r\n\tExecutionFileName\tc:\\mail\\mailer.exe\r\n"
            "\tExecutionArguments\t-n\r\n\tExecutionInputTO\t0\r\n}\r\n");
  // Reopened, the dialog shows what was stored.
  RecordDraft back = bw::OpenAppDialog(m);
  EXPECT_EQ(back.Text(bw::kAppMenuNameKey), "ﾒｰﾙ");
  EXPECT_EQ(back.Text(bw::kExecutionShowMode), "2");
  EXPECT_EQ(back.Text(bw::kExecutionInitialOnce), "1");
}

TEST(AppDialogStore, MenuNameTooLongForOneFileLineIsRefused) {
  bw::MenuExecutant m;
  MakeNew(m);
  RecordDraft d = bw::OpenAppDialog(m);
  d.Set(bw::kExecutionFileName, "c:\\t\\v.exe");
  d.Set(bw::kAppMenuNameKey, std::string(362, 'n'));  // two tabs, the key, a tab and the line end fill the rest
  EXPECT_TRUE(bw::CheckAppProgram(d, AppDialogKind::kMenu).ok);
  d.Set(bw::kAppMenuNameKey, std::string(363, 'n'));
  bw::AppDialogCheck c = bw::CheckAppProgram(d, AppDialogKind::kMenu);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.control, AppRow(bw::kAppMenuNameKey, 0, AppDialogKind::kMenu).control);
  EXPECT_EQ(c.message, "362 文字以内で入力してください.");
  // The auto-exec dialog has no menu name to check.
  EXPECT_TRUE(bw::CheckAppProgram(d, AppDialogKind::kAutoExec).ok);
}

TEST(AppDialogStore, ShellDocumentWithoutProgramIsKeptAsTheProgramSoTheRecordSurvivesReading) {
  bw::Executant e;
  MakeNew(e);
  RecordDraft d = bw::OpenAppDialog(e);
  d.Set(bw::kExecutionShellExec, "1");
  d.Set(bw::kExecutionArguments, "D:\\Docs\\x.zzz");
  ASSERT_TRUE(bw::StoreAppDialog(d, false, AppDialogKind::kAutoExec, e));
  bw::Executant back;
  bw::TextInput in(Written(e) + "}\r\n");
  ASSERT_EQ(back.ReadBlock(in), 0);
  EXPECT_EQ(back.ExecutionFileName, "d:\\docs\\x.zzz");
  EXPECT_EQ(back.ExecutionArguments, "D:\\Docs\\x.zzz");
  EXPECT_EQ(back.ExecutionShellExec, 1);
  d.Set(bw::kExecutionArguments, "");  // nothing to start at all
  EXPECT_FALSE(bw::CheckAppProgram(d, AppDialogKind::kAutoExec).ok);
}

TEST(WorkingFolder, IsTheFolderWithoutItsSeparatorButARootKeepsIt) {
  EXPECT_EQ(bw::WorkingFolderOf("D:\\ソ\\a.b.exe"), "D:\\ソ");
  EXPECT_EQ(bw::WorkingFolderOf("C:\\v.exe"), "C:\\");
}

TEST(NumberField, SignsSpacesOverflowAndJunk) {
  int v = 7;
  EXPECT_EQ(bw::ReadNumberField(" -12 ", -100, 100, &v), bw::NumberCheck::kOk);
  EXPECT_EQ(v, -12);
  EXPECT_EQ(bw::ReadNumberField("99999999999999999999", 0, 99999, &v),
            bw::NumberCheck::kOutOfRange);
  EXPECT_EQ(bw::ReadNumberField("12x", 0, 99, &v), bw::NumberCheck::kNotNumber);
  EXPECT_EQ(bw::ReadNumberField("-", 0, 99, &v), bw::NumberCheck::kNotNumber);
  EXPECT_EQ(bw::ReadNumberField("", 1, 999, &v), bw::NumberCheck::kNotNumber);
  EXPECT_EQ(v, -12);  // untouched by refusals
  EXPECT_EQ(bw::ReadNumberField("9999", 0, 9999, &v), bw::NumberCheck::kOk);
  EXPECT_EQ(bw::ReadNumberField("10000", 0, 9999, &v), bw::NumberCheck::kOutOfRange);
  // One message set for every dialog: junk is no number, whatever the range.
  EXPECT_EQ(bw::NumberMessage(bw::NumberCheck::kNotNumber, 1, 999), "整数を入力してください.");
  EXPECT_EQ(bw::NumberMessage(bw::NumberCheck::kOutOfRange, 0, 9999),
            "0 から 9999 までの整数を入力してください.");
}

TEST(ExecutableExtensions, ShortPathentGivesTheDefaultElseItsLowerCasedEntriesFromTheLastDot) {
  for (const char* value : {static_cast<const char*>(nullptr), "ab"}) {
    bw::ExecutableExtensions list(value);
    EXPECT_EQ(list.List(), ".cmd;.exe;.bat");
    EXPECT_TRUE(list.Contains(".BAT"));
    EXPECT_FALSE(list.Contains(""));
  }
  bw::ExecutableExtensions list(".COM;.EXE;c:\\tools\\x.PL;rb");
  EXPECT_EQ(list.List(), ".com;.exe;c:\\tools\\x.pl;rb");
  EXPECT_TRUE(list.Contains(".Pl"));
  EXPECT_FALSE(list.Contains(".bat"));  // the custom list replaces the default
  EXPECT_FALSE(list.Contains(".rb"));  // an entry without a dot matches nothing
  EXPECT_FALSE(list.Contains(".ex"));
}

struct FakeShell {
  std::string associated;
  bool exists = true;
  std::string askedFolder;
  bw::ShellQueries Queries() {
    return {[this](const std::string&, const std::string& folder) {
              askedFolder = folder;
              return associated;
            },
            [this](const std::string&) { return exists; }};
  }
};

TEST(ShellChooser, DocumentBecomesArgumentsAndItsAssociatedProgramTheProgram) {
  FakeShell shell;
  shell.associated = "C:\\Ed\\editor.exe";
  RecordDraft f;
  f.Set(bw::kExecutionFileName, "c:\\old.exe");
  bw::ApplyShellDocument(f, "D:\\Docs\\note.TXT", bw::ExecutableExtensions(nullptr), shell.Queries());
  EXPECT_EQ(f.Text(bw::kExecutionShellExec), "1");
  EXPECT_EQ(f.Text(bw::kExecutionArguments), "D:\\Docs\\note.TXT");
  EXPECT_EQ(f.Text(bw::kExecutionPath), "D:\\Docs");
  EXPECT_EQ(shell.askedFolder, "D:\\Docs");
  EXPECT_EQ(f.Text(bw::kExecutionFileName), "C:\\Ed\\editor.exe");
  EXPECT_FALSE(bw::AppDialogEnablingFor(f, false).fileName);

  // A listed extension keeps the document itself as the program.
  shell.associated = "C:\\Windows\\cmd.exe";
  bw::ApplyShellDocument(f, "D:\\Run\\go.Bat", bw::ExecutableExtensions(nullptr), shell.Queries());
  EXPECT_EQ(f.Text(bw::kExecutionFileName), "D:\\Run\\go.Bat");

  // No association, or one naming no file: no program, OK still enabled.
  shell.associated = "";
  bw::ApplyShellDocument(f, "D:\\Docs\\x.zzz", bw::ExecutableExtensions(nullptr), shell.Queries());
  EXPECT_EQ(f.Text(bw::kExecutionFileName), "");
  EXPECT_TRUE(bw::AppDialogEnablingFor(f, false).ok);
  shell.associated = "C:\\Gone\\gone.exe";
  shell.exists = false;
  bw::ApplyShellDocument(f, "D:\\Docs\\x.txt", bw::ExecutableExtensions(nullptr), shell.Queries());
  EXPECT_EQ(f.Text(bw::kExecutionFileName), "");
}

TEST(ProgramBrowser, ChosenProgramClearsTheShellFlagAndSetsItsFolder) {
  RecordDraft f;
  f.Set(bw::kExecutionShellExec, "1");
  bw::ApplyBrowsedProgram(f, "C:\\Program Files\\ソ\\app.exe");
  EXPECT_EQ(f.Text(bw::kExecutionShellExec), "");
  EXPECT_EQ(f.Text(bw::kExecutionFileName), "C:\\Program Files\\ソ\\app.exe");
  EXPECT_EQ(f.Text(bw::kExecutionPath), "C:\\Program Files\\ソ");
  EXPECT_EQ(bw::AppDialogBaseName(f), "app.exe");
}

TEST(QuickLaunch, StartFolderFallsBackToMapGroupsThenTheCurrentFolder) {
  const std::string ql = "C:\\U\\AppData\\Microsoft\\Internet Explorer\\Quick Launch";
  auto only = [](std::string existing) {
    return [existing](const std::string& p) { return p == existing; };
  };
  EXPECT_EQ(bw::QuickLaunchStartFolder("C:\\U\\AppData", "C:\\QL", "C:\\Cur", only(ql)), ql);
  EXPECT_EQ(bw::QuickLaunchStartFolder("C:\\U\\AppData", "C:\\QL", "C:\\Cur", only("C:\\QL")),
            "C:\\QL");
  EXPECT_EQ(bw::QuickLaunchStartFolder("C:\\U\\AppData", "C:\\QL", "C:\\Cur", only("none")),
            "C:\\Cur");
  EXPECT_EQ(bw::QuickLaunchStartFolder("", "", "C:\\Cur", only("C:\\Cur")), "C:\\Cur");
}

}  // namespace
