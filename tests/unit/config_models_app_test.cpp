// The application dialogs' model: what opens from a record, what OK stores,
// the enabling rules, the program choosers and the path handling under them.
#include <string>

#include <gtest/gtest.h>

#include "configurator/core/app_dialog_model.h"
#include "configurator/core/field_text.h"

namespace {

using bw::AppDialogField;
using bw::AppDialogFields;
using bw::AppDialogKind;
using bw::AppDialogPage;

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

TEST(AppDialogLoad, ShowModeGeometryPriorityAndControlBoxesComeFromTheRecord) {
  bw::Executant e;
  Read(e, "ExecutionFileName\tC:\\T\\v.exe\nExecutionShowMode\t3\nExecutionPosition\t-5,200\n"
          "ExecutionPriority\t0x0024\nExecutionInitialOnce\t1\nExecutionDisableIME\t2\n"
          "ExecutionInputTO\t0\n}\n");
  AppDialogFields f = bw::LoadAppDialog(e);
  EXPECT_EQ(f.showRadio, 2);
  EXPECT_TRUE(f.positionGiven);
  EXPECT_EQ(f.x, "-5");
  EXPECT_EQ(f.y, "200");
  EXPECT_FALSE(f.sizeGiven);
  EXPECT_EQ(f.width, "0");  // unset coordinates show as 0, never as 0x80000000
  EXPECT_EQ(f.height, "0");
  EXPECT_TRUE(f.priorityGiven);
  EXPECT_EQ(f.classIndex, 2);
  EXPECT_EQ(f.threadIndex, 4);
  EXPECT_TRUE(f.initialOnce);
  EXPECT_TRUE(f.disableIME);
  EXPECT_EQ(f.inputTimeout, "0");

  bw::Executant s;
  Read(s, "ExecutionFileName\tnotepad.exe\nExecutionShowMode\t2\nExecutionShellExec\t1\n"
          "ExecutionPriority\t0x0047\nExecutionInitialOnce\t1\nExecutionDisableIME\t1\n}\n");
  f = bw::LoadAppDialog(s);
  EXPECT_EQ(f.showRadio, 1);
  EXPECT_TRUE(f.shellExec);
  EXPECT_EQ(f.classIndex, 0);  // 0x40 is no class the list knows
  EXPECT_EQ(f.threadIndex, 0);  // nor 7 a thread priority
  EXPECT_FALSE(f.initialOnce);  // shown unchecked while the shell flag is set
  EXPECT_FALSE(f.disableIME);
}

TEST(AppDialogEnabling, OkNeedsFiveCharactersOrAShellDocumentAndTheShellFlagDisablesItsControls) {
  bw::MenuExecutant m;
  MakeNew(m);
  AppDialogFields f = bw::LoadAppDialog(m);
  EXPECT_EQ(f.showRadio, 0);
  EXPECT_FALSE(f.positionGiven || f.sizeGiven || f.priorityGiven || f.shellExec);
  EXPECT_EQ(f.inputTimeout, "5000");
  f.fileName = "a.ex";
  f.priorityGiven = true;
  bw::AppDialogEnabling e = bw::AppDialogEnablingFor(f);
  EXPECT_FALSE(e.ok);
  EXPECT_TRUE(e.fileName && e.classList && e.threadList && e.initialOnce && e.disableIME);
  EXPECT_FALSE(bw::CheckAppDialog(f, AppDialogKind::kMenu).ok);
  f.fileName = "a.exe";
  EXPECT_TRUE(bw::AppDialogEnablingFor(f).ok);
  f.fileName.clear();
  f.shellExec = true;
  e = bw::AppDialogEnablingFor(f);
  // A shell start without a document has nothing to store: OK stays off
  // until the arguments name one.
  EXPECT_FALSE(e.ok);
  EXPECT_FALSE(bw::CheckAppDialog(f, AppDialogKind::kMenu).ok);
  f.arguments = "D:\\x.txt";
  e = bw::AppDialogEnablingFor(f);
  EXPECT_TRUE(e.ok && e.classList);
  EXPECT_FALSE(e.fileName || e.threadList || e.initialOnce || e.disableIME);
}

TEST(AppDialogStore, PriorityGivenWithBothInheritedStoresZeroAndReopensUnchecked) {
  bw::Executant e;
  MakeNew(e);
  AppDialogFields f = bw::LoadAppDialog(e);
  f.fileName = "c:\\t\\v.exe";
  f.priorityGiven = true;
  ASSERT_TRUE(bw::StoreAppDialog(f, e).ok);
  EXPECT_EQ(e.ExecutionPriority, 0);
  EXPECT_FALSE(bw::LoadAppDialog(e).priorityGiven);
  EXPECT_EQ(Written(e).find("ExecutionPriority"), std::string::npos);

  f.classIndex = 1;
  f.threadIndex = 5;
  ASSERT_TRUE(bw::StoreAppDialog(f, e).ok);
  EXPECT_EQ(e.ExecutionPriority, 0x15);
}

TEST(AppDialogStore, ShellFlagDropsThreadPartAndDoubleStartButKeepsClass) {
  bw::Executant e;
  MakeNew(e);
  AppDialogFields f = bw::LoadAppDialog(e);
  f.shellExec = true;
  f.arguments = "D:\\x.txt";
  f.priorityGiven = true;
  f.classIndex = 3;
  f.threadIndex = 5;
  f.initialOnce = true;
  ASSERT_TRUE(bw::StoreAppDialog(f, e).ok);
  EXPECT_EQ(e.ExecutionPriority, 0x30);
  EXPECT_EQ(e.ExecutionShellExec, 1);
  const std::string block = Written(e);
  EXPECT_NE(block.find("\tExecutionShellExec\t1\r\n"), std::string::npos);
  EXPECT_EQ(block.find("ExecutionInitialOnce"), std::string::npos);
}

TEST(AppDialogStore, TimeoutOf50000PassesTheAutoExecDialogAndNotTheMenuDialog) {
  AppDialogFields f;
  f.fileName = "c:\\t\\v.exe";
  f.inputTimeout = "50000";
  bw::Executant e;
  MakeNew(e);
  ASSERT_TRUE(bw::StoreAppDialog(f, e).ok);
  EXPECT_EQ(e.ExecutionInputTO, 50000);

  bw::MenuExecutant m;
  MakeNew(m);
  f.menuName = "Viewer";
  bw::AppDialogCheck c = bw::StoreAppDialog(f, m);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.page, AppDialogPage::kPriority);
  EXPECT_EQ(c.field, AppDialogField::kInputTimeout);
  EXPECT_EQ(c.message, "0 から 9999 までの整数を入力してください.");
  EXPECT_EQ(m.ExecutionInputTO, 5000);  // a refused OK leaves the record alone
  EXPECT_EQ(m.MenuExecutionName, "");

  f.inputTimeout = "100000";
  f.arguments = "-x";
  EXPECT_FALSE(bw::StoreAppDialog(f, e).ok);
  EXPECT_EQ(e.ExecutionInputTO, 50000);
  EXPECT_EQ(e.ExecutionArguments, "");
  f.inputTimeout = "-1";
  EXPECT_FALSE(bw::CheckAppDialog(f, AppDialogKind::kAutoExec).ok);
}

TEST(AppDialogStore, UncheckedPositionIsNotGivenEvenWithNumbersAndBadNumbersAreRefused) {
  bw::Executant e;
  MakeNew(e);
  AppDialogFields f = bw::LoadAppDialog(e);
  f.fileName = "c:\\t\\v.exe";
  f.x = "10";
  f.y = "junk";  // not read: the box is off
  f.sizeGiven = true;
  f.width = "640";
  f.height = "480";
  ASSERT_TRUE(bw::StoreAppDialog(f, e).ok);
  EXPECT_EQ(e.positionGiven, 0);
  EXPECT_EQ(e.x, bw::kNoCoordinate);
  const std::string block = Written(e);
  EXPECT_EQ(block.find("ExecutionPosition"), std::string::npos);
  EXPECT_NE(block.find("\tExecutionSize\t640,480\r\n"), std::string::npos);

  f.positionGiven = true;
  bw::AppDialogCheck c = bw::CheckAppDialog(f, AppDialogKind::kAutoExec);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.page, AppDialogPage::kGeometry);
  EXPECT_EQ(c.field, AppDialogField::kY);
  EXPECT_EQ(c.message, "整数を入力してください.");
}

TEST(AppDialogStore, MenuDialogWritesEveryFieldWhereTheFileWriterFindsIt) {
  bw::MenuExecutant m;
  MakeNew(m);
  AppDialogFields f = bw::LoadAppDialog(m);
  f.menuName = "ﾒｰﾙ";
  f.fileName = "C:\\Mail\\Mailer.exe";
  f.workingFolder = "C:\\Mail\\";
  f.arguments = "-n";
  f.showRadio = 1;
  f.initialOnce = true;
  f.disableIME = true;
  f.inputTimeout = "0";
  ASSERT_TRUE(bw::StoreAppDialog(f, m).ok);
  bw::TextOutput out;
  m.WriteMenuBlock(out, 0);
  EXPECT_EQ(out.Bytes(),
            "MenuExecutant::Executant::RingListClass\t{\r\n"
            "\tMenuExecutionName\tﾒｰﾙ\r\n\tExecutionInitialOnce\t1\r\n"
            "\tExecutionPath\tC:\\Mail\r\n\tExecutionShowMode\t2\r\n"
            "\tExecutionDisableIME\t1\r\n\tExecutionFileName\tc:\\mail\\mailer.exe\r\n"
            "\tExecutionArguments\t-n\r\n\tExecutionInputTO\t0\r\n}\r\n");
  // Reopened, the dialog shows what was stored.
  AppDialogFields back = bw::LoadAppDialog(m);
  EXPECT_EQ(back.menuName, "ﾒｰﾙ");
  EXPECT_EQ(back.showRadio, 1);
  EXPECT_TRUE(back.initialOnce && back.disableIME);
}

TEST(AppDialogStore, MenuNameTooLongForOneFileLineIsRefusedBeforeAnythingIsWritten) {
  bw::MenuExecutant m;
  MakeNew(m);
  AppDialogFields f = bw::LoadAppDialog(m);
  f.fileName = "c:\\t\\v.exe";
  f.menuName.assign(362, 'n');  // two tabs, the key, a tab and the line end fill the rest
  EXPECT_TRUE(bw::CheckAppDialog(f, AppDialogKind::kMenu).ok);
  f.menuName += 'n';
  bw::AppDialogCheck c = bw::StoreAppDialog(f, m);
  EXPECT_EQ(c.field, AppDialogField::kMenuName);
  EXPECT_EQ(c.message, "362 文字以内で入力してください.");
  EXPECT_EQ(m.MenuExecutionName, "");
  EXPECT_EQ(m.ExecutionFileName, "");
  // The auto-exec dialog has no menu name to check.
  EXPECT_TRUE(bw::CheckAppDialog(f, AppDialogKind::kAutoExec).ok);
}

TEST(AppDialogStore, ShellDocumentWithoutProgramIsKeptAsTheProgramSoTheRecordSurvivesReading) {
  bw::Executant e;
  MakeNew(e);
  AppDialogFields f = bw::LoadAppDialog(e);
  f.shellExec = true;
  f.arguments = "D:\\Docs\\x.zzz";
  ASSERT_TRUE(bw::StoreAppDialog(f, e).ok);
  bw::Executant back;
  bw::TextInput in(Written(e) + "}\r\n");
  ASSERT_EQ(back.ReadBlock(in), 0);
  EXPECT_EQ(back.ExecutionFileName, "d:\\docs\\x.zzz");
  EXPECT_EQ(back.ExecutionArguments, "D:\\Docs\\x.zzz");
  EXPECT_EQ(back.ExecutionShellExec, 1);
  f.arguments.clear();  // nothing to start at all
  EXPECT_FALSE(bw::CheckAppDialog(f, AppDialogKind::kAutoExec).ok);
}

TEST(AppDialogStore, ArgumentsOver255CharactersAreRefusedWithTheLengthMessage) {
  AppDialogFields f;
  f.fileName = "c:\\t\\v.exe";
  f.arguments.assign(255, 'a');
  EXPECT_TRUE(bw::CheckAppDialog(f, AppDialogKind::kAutoExec).ok);
  f.arguments += 'a';
  bw::AppDialogCheck c = bw::CheckAppDialog(f, AppDialogKind::kAutoExec);
  EXPECT_EQ(c.field, AppDialogField::kArguments);
  EXPECT_EQ(c.message, "255 文字以内で入力してください.");
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
  AppDialogFields f;
  f.fileName = "c:\\old.exe";
  bw::ApplyShellDocument(f, "D:\\Docs\\note.TXT", bw::ExecutableExtensions(nullptr), shell.Queries());
  EXPECT_TRUE(f.shellExec);
  EXPECT_EQ(f.arguments, "D:\\Docs\\note.TXT");
  EXPECT_EQ(f.workingFolder, "D:\\Docs");
  EXPECT_EQ(shell.askedFolder, "D:\\Docs");
  EXPECT_EQ(f.fileName, "C:\\Ed\\editor.exe");
  EXPECT_FALSE(bw::AppDialogEnablingFor(f).fileName);

  // A listed extension keeps the document itself as the program.
  shell.associated = "C:\\Windows\\cmd.exe";
  bw::ApplyShellDocument(f, "D:\\Run\\go.Bat", bw::ExecutableExtensions(nullptr), shell.Queries());
  EXPECT_EQ(f.fileName, "D:\\Run\\go.Bat");

  // No association, or one naming no file: no program, OK still enabled.
  shell.associated = "";
  bw::ApplyShellDocument(f, "D:\\Docs\\x.zzz", bw::ExecutableExtensions(nullptr), shell.Queries());
  EXPECT_EQ(f.fileName, "");
  EXPECT_TRUE(bw::AppDialogEnablingFor(f).ok);
  shell.associated = "C:\\Gone\\gone.exe";
  shell.exists = false;
  bw::ApplyShellDocument(f, "D:\\Docs\\x.txt", bw::ExecutableExtensions(nullptr), shell.Queries());
  EXPECT_EQ(f.fileName, "");
}

TEST(ProgramBrowser, ChosenProgramClearsTheShellFlagAndSetsItsFolder) {
  AppDialogFields f;
  f.shellExec = true;
  bw::ApplyBrowsedProgram(f, "C:\\Program Files\\ソ\\app.exe");
  EXPECT_FALSE(f.shellExec);
  EXPECT_EQ(f.fileName, "C:\\Program Files\\ソ\\app.exe");
  EXPECT_EQ(f.workingFolder, "C:\\Program Files\\ソ");
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
