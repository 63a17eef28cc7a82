// Whole-file reading, loading, saving, and the geometry and token rewrites.
#include <filesystem>
#include <functional>
#include <vector>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/core/log.h"
#include "common/core/param_file.h"
#include "common/core/param_rewrite.h"
#include "tests/unit/test_support.h"

namespace {

using bw_test::Crlf;
using bw_test::ReadBytes;
using bw_test::WriteBytes;

// The complete file the configurator writes for one account, one auto-exec
// application and one menu application, everything else at its default.
const char kExampleFile[] =
    ";Bellwick\n"
    "FileVersion\t0x0110\n"
    "LogFileName\t\n"
    "LogFileLimit\t100\n"
    "AncestryPop3Controller::RingListClass\t{\n"
    "\tWindowPosition\t64,64\n"
    "\tWindowSize\t128,64\n"
    "\tAnimateTimer\t100\n"
    "\tExecutionDelay\t0\n"
    "\tAncestryPop3Checker::RingListClass\t{\n"
    "\t\tConnectionName\tOffice\n"
    "\t\tHostName\tpop.example.com\n"
    "\t\tServiceName\t110\n"
    "\t\tUserID\tuser\n"
    "\t\tPassword\tsecret word\n"
    "\t}\n"
    "\tExecutant::RingListClass\t{\n"
    "\t\tExecutionFileName\tc:\\tools\\viewer.exe\n"
    "\t\tExecutionShowMode\t1\n"
    "\t}\n"
    "\tMenuExecutant::Executant::RingListClass\t{\n"
    "\t\tMenuExecutionName\tViewer\n"
    "\t\tExecutionFileName\tc:\\tools\\viewer.exe\n"
    "\t\tExecutionShowMode\t1\n"
    "\t}\n"
    "}\n"
    "--EOF--\n";

class ParameterFile : public bw_test::ScratchTest {};

TEST_F(ParameterFile, ConfiguratorFileWritesBackByteForByteFromCrLfOrLf) {
  for (const std::string& stored : {Crlf(kExampleFile), std::string(kExampleFile)}) {
    WriteBytes(Path("in.ini"), stored);
    bw::ParameterFileHeader header;
    auto controller = bw::LoadParameterFile(Path("in.ini"), &header);
    ASSERT_TRUE(controller);
    EXPECT_EQ(header.logFileLimit, 100);
    ASSERT_TRUE(bw::SaveParameterFile(Path("out.ini"), header.logFileName, header.logFileLimit,
                                      *controller));
    EXPECT_EQ(ReadBytes(Path("out.ini")), Crlf(kExampleFile));
  }
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "保存しました.");
  EXPECT_EQ(boxes[0].style, 0x40u);
}

// kExampleFile with ProtectPasswords on (the controller's line after
// ExecutionDelay) and the account's Password line replaced by `password`.
std::string ProtectedExample(const std::string& password) {
  std::string text = kExampleFile;
  const std::string delay = "\tExecutionDelay\t0\n";
  text.insert(text.find(delay) + delay.size(), "\tProtectPasswords\t1\n");
  const std::string clear = "\t\tPassword\tsecret word\n";
  return text.replace(text.find(clear), clear.size(), password);
}

std::unique_ptr<bw::AncestryPop3Controller> LoadFile(const std::string& path) {
  bw::ParameterFileHeader header;
  return bw::LoadParameterFile(path, &header);
}

// A stored form no one can read here (natively none can be read; on Windows
// the text is base64, but no blob of this user): the account asks for the
// password again, and a save keeps the stored form byte for byte. Natively
// the other account's password stays in the clear, in a file for its owner.
TEST_F(ParameterFile, UnreadableProtectedPasswordIsKeptAndAsksForThePassword) {
  std::string blob;
  for (int i = 0; i < 100; ++i) blob += "QUJD";
  const std::string second =
      "\tAncestryPop3Checker::RingListClass\t{\n\t\tConnectionName\tHome\n\t\tHostName\th\n"
      "\t\tServiceName\t110\n\t\tUserID\tu\n\t\tPassword\tclear\n\t}\n";
  std::string original = ProtectedExample("\t\tPasswordProtected\t" + blob.substr(0, 256) +
                                          "\n\t\tPasswordProtected2\t" + blob.substr(256) + "\n");
  original.insert(original.find("\tExecutant::"), second);
  WriteBytes(Path("in.ini"), Crlf(original));
  auto controller = LoadFile(Path("in.ini"));
  ASSERT_TRUE(controller);
  const bw::AncestryPop3Checker* office = controller->accountHead;
  ASSERT_EQ(office->ConnectionName, "Office");
  EXPECT_TRUE(office->PasswordUnreadable);
  EXPECT_EQ(office->Password, "");
  EXPECT_FALSE(office->NextAccount()->PasswordUnreadable);
  ASSERT_TRUE(bw::SaveParameterFile(Path("out.ini"), "", 100, *controller));
  const std::string saved = ReadBytes(Path("out.ini"));
  const std::size_t home = Crlf(original).find("\tAncestryPop3Checker::RingListClass\t{\r\n\t\tConnectionName\tHome");
  EXPECT_EQ(saved.substr(0, home), Crlf(original).substr(0, home));
#ifdef _WIN32
  // Where it can be, the readable one is protected now.
  EXPECT_EQ(saved.find("clear"), std::string::npos);
#else
  EXPECT_EQ(saved, Crlf(original));
  struct stat st {};
  ASSERT_EQ(::stat(Path("out.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);
#endif
}

#ifdef _WIN32
// Turned on, the password is stored protected only (never in the clear) and
// reads back; an unchanged password keeps its stored form; turned off, the
// file is again exactly the one without the key.
TEST_F(ParameterFile, ProtectedPasswordsRoundTripOnOffOnAndNeverStandInTheClear) {
  WriteBytes(Path("in.ini"), Crlf(ProtectedExample("\t\tPassword\tsecret word\n")));
  auto controller = LoadFile(Path("in.ini"));
  ASSERT_TRUE(controller);
  ASSERT_TRUE(bw::SaveParameterFile(Path("on.ini"), "", 100, *controller));
  const std::string on = ReadBytes(Path("on.ini"));
  EXPECT_EQ(on.find("secret"), std::string::npos);
  EXPECT_EQ(on.find("\tPassword\t"), std::string::npos);
  EXPECT_NE(on.find("\t\tUserID\tuser\r\n\t\tPasswordProtected\t"), std::string::npos);

  auto reread = LoadFile(Path("on.ini"));
  ASSERT_TRUE(reread);
  EXPECT_EQ(reread->accountHead->Password, "secret word");
  EXPECT_FALSE(reread->accountHead->PasswordUnreadable);
  ASSERT_TRUE(bw::SaveParameterFile(Path("again.ini"), "", 100, *reread));
  EXPECT_EQ(ReadBytes(Path("again.ini")), on);

  reread->ProtectPasswords = 0;
  ASSERT_TRUE(bw::SaveParameterFile(Path("off.ini"), "", 100, *reread));
  EXPECT_EQ(ReadBytes(Path("off.ini")), Crlf(kExampleFile));

  auto off = LoadFile(Path("off.ini"));
  off->ProtectPasswords = 1;
  ASSERT_TRUE(bw::SaveParameterFile(Path("on2.ini"), "", 100, *off));
  const std::string on2 = ReadBytes(Path("on2.ini"));
  EXPECT_EQ(on2.find("secret"), std::string::npos);
  EXPECT_EQ(LoadFile(Path("on2.ini"))->accountHead->Password, "secret word");
}
#endif

TEST_F(ParameterFile, DefaultsLiveOnlyInMemoryAndSurviveASecondRoundTrip) {
  WriteBytes(Path("in.ini"), Crlf(kExampleFile));
  bw::ParameterFileHeader header;
  auto first = bw::LoadParameterFile(Path("in.ini"), &header);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->accountHead->properties.FindValue("CycleMinutes"), "15");
  ASSERT_TRUE(bw::SaveParameterFile(Path("a.ini"), "", 100, *first));
  auto second = bw::LoadParameterFile(Path("a.ini"), &header);
  ASSERT_TRUE(bw::SaveParameterFile(Path("b.ini"), "", 100, *second));
  EXPECT_EQ(ReadBytes(Path("a.ini")), ReadBytes(Path("b.ini")));
  EXPECT_EQ(ReadBytes(Path("a.ini")).find("CycleMinutes"), std::string::npos);
}

TEST_F(ParameterFile, CheckerReaderSetsUpTheLogAtTheFirstBlockOnly) {
  WriteBytes(Path("old.log"), "previous run");
  WriteBytes(Path("p.ini"),
             "LogFileName\told.log\nLogFileLimit\t4\nOther::RingListClass\t{\n"
             "LogFileName\tlater.log\n"
             "AncestryPop3Controller::RingListClass\t{\n\tMystery\t1\n}\n"
             "LogFileLimit\t0\n--EOF--\n");
  bw::AncestryPop3Controller c;
  bw::ParameterFileHeader header;
  EXPECT_EQ(bw::ReadParameterFile(Path("p.ini"), c, &header), 0);
  // The second block opening set the log up again, on the later name.
  EXPECT_EQ(bw::LogPath(), "later.log");
  EXPECT_EQ(ReadBytes(Path("later.log")),
            Crlf("Controller : KeyWord[Mystery]は、認識できません.\n"));
  EXPECT_EQ(ReadBytes(Path("old.log")),
            Crlf("クラス [Other::RingListClass] は認識できません.\n"));
}

#ifndef _WIN32
// A token in a file others may read is used, with a warning in the log; a
// file without a token, or one for its owner alone, says nothing.
TEST_F(ParameterFile, TokenInAFileOthersMayReadIsWarnedAbout) {
  const std::string account = "\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n\t\tUserID\tu\n"
                              "\t\tOAuthProvider\t1\n";
  auto read = [&](const std::string& file, mode_t mode) {
    WriteBytes(Path("p.ini"), "LogFileName\tp.log\nLogFileLimit\t4\nAncestryPop3Controller::RingListClass\t{\n" +
                                  file + "\t}\n}\n--EOF--\n");
    chmod(Path("p.ini").c_str(), mode);
    std::filesystem::remove(Path("p.log"));
    bw::AncestryPop3Controller c;
    bw::ParameterFileHeader header;
    EXPECT_EQ(bw::ReadParameterFile(Path("p.ini"), c, &header), 0);
    return bw_test::FileExists(Path("p.log")) ? ReadBytes(Path("p.log")) : std::string();
  };
  EXPECT_EQ(read(account + "\t\tOAuthToken\ttok\n", 0644),
            Crlf("パラメータファイル " + Path("p.ini") + " は他のﾕｰｻﾞも読めます(ﾓｰﾄﾞ0644). OAuthのﾄｰｸﾝを守るため, "
                 "所有者だけが読めるようにしてください(chmod 600).\n"));
  EXPECT_NE(read(account + "\t\tOAuthToken\ttok\n", 0640), "");
  EXPECT_EQ(read(account + "\t\tOAuthToken\ttok\n", 0600), "");
  EXPECT_EQ(read(account, 0644), "");
}
#endif

TEST_F(ParameterFile, CheckerReaderResultsForTruncatedAndEarlyEndFiles) {
  bw::AncestryPop3Controller a, b, c, d;
  bw::ParameterFileHeader header;
  WriteBytes(Path("noeof.ini"), "AncestryPop3Controller::RingListClass\t{\n}\n");
  EXPECT_EQ(bw::ReadParameterFile(Path("noeof.ini"), a, &header), 0);
  EXPECT_EQ(header.logFileLimit, 16384);
  WriteBytes(Path("early.ini"), "--EOF--\nAncestryPop3Controller::RingListClass\t{\n}\n");
  EXPECT_EQ(bw::ReadParameterFile(Path("early.ini"), b, &header), 0);
  EXPECT_EQ(b.AccountCount(), 0);
  WriteBytes(Path("open.ini"),
             "AncestryPop3Controller::RingListClass\t{\n"
             "\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n");
  EXPECT_LT(bw::ReadParameterFile(Path("open.ini"), c, &header), 0);
  WriteBytes(Path("none.ini"), "FileVersion\t0x0110\n");
  EXPECT_LT(bw::ReadParameterFile(Path("none.ini"), d, &header), 0);
  EXPECT_LT(bw::ReadParameterFile(Path("missing.ini"), d, &header), 0);
}

TEST_F(ParameterFile, LoaderWarnsAboutNewerVersionsAndUnknownTopLevelClasses) {
  WriteBytes(Path("v.ini"), "FileVersion\t0x0200\nJunk::RingListClass\t{\n"
                            "AncestryPop3Controller::RingListClass\t{\n}\n--EOF--\n");
  bw::ParameterFileHeader header;
  EXPECT_TRUE(bw::LoadParameterFile(Path("v.ini"), &header));
  EXPECT_EQ(header.fileVersion, "0x0200");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "ファイルバージョンが違います\r\nパラメータ保存が全部できない恐れがあります.");
  EXPECT_EQ(boxes[0].caption, "Knobset");
  EXPECT_EQ(boxes[1].text, "クラス [Junk::RingListClass] は認識できません.");

  boxes.clear();
  WriteBytes(Path("old.ini"), "FileVersion\t0x0100\n--EOF--\n");
  EXPECT_FALSE(bw::LoadParameterFile(Path("old.ini"), &header));
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(bw::LoadParameterFile(Path("missing.ini"), &header));
}

TEST_F(ParameterFile, TruncatedControllerIsKeptForEditingInFileOrder) {
  WriteBytes(Path("t.ini"),
             "AncestryPop3Controller::RingListClass\t{\n"
             "\tAncestryPop3Checker::RingListClass\t{\n\t\tConnectionName\tx\n\t\tHostName\th\n"
             "\t\tUserID\tu\n\t\tPassword\tp\n\t}\n"
             "\tAncestryPop3Checker::RingListClass\t{\n\t\tConnectionName\ty\n\t\tHostName\th\n"
             "\t\tUserID\tu\n\t\tPassword\tp\n\t}\n");
  bw::ParameterFileHeader header;
  auto c = bw::LoadParameterFile(Path("t.ini"), &header);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->accountHead->ConnectionName, "x");
}

TEST_F(ParameterFile, TruncatedControllerSavesTheSettingsItReadNotConstructionValues) {
  WriteBytes(Path("t.ini"),
             "AncestryPop3Controller::RingListClass\t{\n\tAnimateTimer\t50\n"
             "\tWindowPosition\t5,6\n\tAutoWakeup\t0\n"
             "\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n"
             "\t\tUserID\tu\n\t\tPassword\tp\n\t}\n");
  bw::ParameterFileHeader header;
  auto c = bw::LoadParameterFile(Path("t.ini"), &header);
  ASSERT_TRUE(c);
  ASSERT_TRUE(bw::SaveParameterFile(Path("s.ini"), "", 0, *c));
  EXPECT_EQ(ReadBytes(Path("s.ini")),
            Crlf(";Bellwick\nFileVersion\t0x0110\nLogFileName\t\nLogFileLimit\t0\n"
                 "AncestryPop3Controller::RingListClass\t{\n\tAnimateTimer\t50\n"
                 "\tWindowPosition\t5,6\n\tAutoWakeup\t0\n\tWindowSize\t128,64\n"
                 "\tExecutionDelay\t0\n"
                 "\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n"
                 "\t\tUserID\tu\n\t\tPassword\tp\n\t\tServiceName\t110\n\t}\n}\n--EOF--\n"));
}

TEST_F(ParameterFile, FailedSaveLeavesTheExistingFileWhole) {
  bw::AncestryPop3Controller c;
  c.AddAccount(new bw::AncestryPop3Checker);
  WriteBytes(Path("s.ini"), "previous settings\r\n");
  std::filesystem::create_directory(Path("s.ini_new"));  // the work file cannot be created
  EXPECT_FALSE(bw::SaveParameterFile(Path("s.ini"), "", 0, c));
  EXPECT_EQ(ReadBytes(Path("s.ini")), "previous settings\r\n");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, Path("s.ini") + " ファイルが作成できません.");

  // A target the finished work file cannot be moved over: reported, and no
  // work file is left behind.
  boxes.clear();
  std::filesystem::create_directories(Path("d.ini/inside"));
  EXPECT_FALSE(bw::SaveParameterFile(Path("d.ini"), "", 0, c));
  EXPECT_FALSE(bw_test::FileExists(Path("d.ini_new")));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, Path("d.ini") + " ファイルが作成できません.");
}

TEST_F(ParameterFile, NoByteOfAnOverlongPasswordReachesTheLog) {
  StartLog();
  // The tail beyond the reading buffer starts like a key of its own.
  const std::string password = "head" + std::string(400, 'p') + " TAIL-SECRET x";
  WriteBytes(Path("p.ini"),
             Crlf("AncestryPop3Controller::RingListClass\t{\n"
                  "\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n"
                  "\t\tUserID\tu\n\t\tPassword\t" + password + "\n"
                  "\t\tConnectionName\t" + std::string(366, 'n') + "\n"
                  "\t}\n}\n--EOF--\n"));
  bw::AncestryPop3Controller c;
  bw::ParameterFileHeader header;
  ASSERT_EQ(bw::ReadParameterFile(Path("p.ini"), c, &header), 0);
  ASSERT_EQ(c.AccountCount(), 1);
  // The value is what fits the first piece of the line.
  EXPECT_EQ(c.accountHead->Password, password.substr(0, 383 - 11));
  EXPECT_EQ(LogText(), "");
}

TEST_F(ParameterFile, SaveRefusesListsOutsideTheLimitsAndWritesNothing) {
  bw::AncestryPop3Controller c;
  EXPECT_FALSE(bw::SaveParameterFile(Path("s.ini"), "", 0, c));
  EXPECT_FALSE(bw_test::FileExists(Path("s.ini")));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "接続先は１箇所以上設定して下さい.");

  c.AddAccount(new bw::AncestryPop3Checker);
  for (int i = 0; i < 10; ++i) {
    auto* m = new bw::MenuExecutant;
    c.menuHead = c.menuHead ? static_cast<bw::MenuExecutant*>(c.menuHead->InsertAfter(m)) : m;
  }
  EXPECT_FALSE(bw::SaveParameterFile(Path("s.ini"), "", 0, c));
  EXPECT_EQ(boxes.back().text, "メニューは９件までしか登録できません.");
  EXPECT_FALSE(bw::SaveParameterFile(Path("no/such/dir/s.ini"), "", 0, c));
}

TEST_F(ParameterFile, SaveToAnUncreatableFileIsReportedNotSaved) {
  bw::AncestryPop3Controller c;
  c.AddAccount(new bw::AncestryPop3Checker);
  EXPECT_FALSE(bw::SaveParameterFile(Path("no/such/dir/s.ini"), "", 0, c));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, Path("no/such/dir/s.ini") + " ファイルが作成できません.");
}

using GeometryRewrite = ParameterFile;

// Places the window at 1,2 with the size 3,4.
void Place(bw::AncestryPop3Controller& c) {
  c.windowX = 1;
  c.windowY = 2;
  c.windowWidthSetting = 3;
  c.windowHeightSetting = 4;
}

TEST_F(GeometryRewrite, ChangesExactlyTheTwoControllerLines) {
  std::string original = Crlf(kExampleFile);
  WriteBytes(Path("g.ini"), original);
  bw::AncestryPop3Controller c;
  c.windowX = -5;
  c.windowY = 300;
  c.windowWidthSetting = 200;
  c.windowHeightSetting = 48;
  bw::SaveGeometry(c, Path("g.ini"));
  std::string expected = original;
  expected.replace(expected.find("64,64"), 5, "-5,300");
  expected.replace(expected.find("128,64"), 6, "200,48");
  EXPECT_EQ(ReadBytes(Path("g.ini")), expected);
  EXPECT_FALSE(bw_test::FileExists(Path("g.ini_new")));
}

// A rotated refresh token replaces only that account's token lines (its
// pieces too); a file that no longer names the account is left alone.
TEST_F(GeometryRewrite, TokenSaveChangesOnlyTheAccountsTokenLines) {
  const std::string original = Crlf(kExampleFile);
  WriteBytes(Path("t.ini"), original);
  const std::string longToken(300, 'L');
  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "user", longToken));
  std::string expected = original;
  expected.insert(expected.find("\t}\r\n\tExecutant"), "\t\tOAuthToken\t" + std::string(256, 'L') +
                                                           "\r\n\t\tOAuthToken2\t" + std::string(44, 'L') + "\r\n");
  EXPECT_EQ(ReadBytes(Path("t.ini")), expected);
  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "user", "short"));
  expected = original;
  expected.insert(expected.find("\t}\r\n\tExecutant"), "\t\tOAuthToken\tshort\r\n");
  EXPECT_EQ(ReadBytes(Path("t.ini")), expected);
#ifndef _WIN32
  struct stat st;
  ASSERT_EQ(stat(Path("t.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
  EXPECT_FALSE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "someone", "x"));
  EXPECT_FALSE(bw::SaveAccountToken(Path("t.ini"), "Home", "pop.example.com", "user", "x"));
  EXPECT_EQ(ReadBytes(Path("t.ini")), expected);
}

// A token that would end the block or the file early, add a key or cut the
// text is never written: the file stays exactly as it was.
TEST_F(GeometryRewrite, TokenThatWouldNotReadBackLeavesTheFileUntouched) {
  const std::string original = Crlf(kExampleFile);
  WriteBytes(Path("t.ini"), original);
  for (const std::string& bad : {std::string("t\n\t}\n}\n--EOF--"), std::string("t\r\n\t\tPassword\tx"),
                                 std::string("t\x1Au"), std::string("t\0u", 3), std::string("}")}) {
    EXPECT_FALSE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "user", bad));
    EXPECT_EQ(ReadBytes(Path("t.ini")), original);
  }
  // The configurator's save refuses such a value too, with its usual message.
  bw::ParameterFileHeader header;
  auto controller = bw::LoadParameterFile(Path("t.ini"), &header);
  ASSERT_TRUE(controller);
  controller->accountHead->Password = "}";
  EXPECT_FALSE(bw::SaveParameterFile(Path("t.ini"), "", 100, *controller));
  EXPECT_EQ(ReadBytes(Path("t.ini")), original);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, Path("t.ini") + " ファイルが作成できません.");
}

// The token rewrite's files: accounts of one server that differ in their
// UserID, each with `lines` before its close (LF line ends; Crlf stores them).
std::string TokenAccount(const std::string& user, const std::string& lines) {
  return "\tAncestryPop3Checker::RingListClass\t{\n\t\tConnectionName\tOffice\n"
         "\t\tHostName\tpop.example.com\n\t\tUserID\t" + user + "\n\t\tPassword\tpw\n" + lines + "\t}\n";
}
std::string TokenFile(const std::string& accounts) {
  return "FileVersion\t0x0110\nAncestryPop3Controller::RingListClass\t{\n" + accounts + "}\n--EOF--\n";
}
// The token the configurator's loader reads for the first account.
std::string LoadedToken(const std::string& path) {
  bw::ParameterFileHeader header;
  auto controller = bw::LoadParameterFile(path, &header);
  return controller && controller->accountHead ? controller->accountHead->OAuthToken : "(none)";
}

using TokenRewrite = ParameterFile;

TEST_F(TokenRewrite, TwoAlikeAccountsAreRefusedAndOnlyTheNamedAccountsLinesChange) {
  const std::string original =
      Crlf(TokenFile(TokenAccount("a", "\t\tOAuthToken\tfirst\n") + TokenAccount("a", "\t\tOAuthToken\tsecond\n") +
                     TokenAccount("b", "\t\tOAuthToken\tbold\n\t\tOAuthToken2\tbold2\n")));
  WriteBytes(Path("t.ini"), original);
  bool alike = false;
  EXPECT_FALSE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "a", "new", &alike));
  EXPECT_TRUE(alike);  // the reason the checker logs
  EXPECT_EQ(ReadBytes(Path("t.ini")), original);
  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "b", "bnew", &alike));
  EXPECT_FALSE(alike);
  std::string expected = original;
  const std::string old = "bold\r\n\t\tOAuthToken2\tbold2\r\n";
  expected.replace(expected.find(old), old.size(), "bnew\r\n");
  EXPECT_EQ(ReadBytes(Path("t.ini")), expected);
}

// The reader's text ends at a Ctrl-Z, here one inside the controller block.
TEST_F(TokenRewrite, TextAfterCtrlZIsCopiedUnreadAndHoldsNoAccount) {
  const std::string head = Crlf("AncestryPop3Controller::RingListClass\t{\n" +
                                TokenAccount("a", "\t\tOAuthToken\told\n"));
  const std::string tail = "\x1A\r\n" + Crlf(TokenAccount("z", "\t\tOAuthToken\tzold\n") + "}\n--EOF--\n");
  WriteBytes(Path("t.ini"), head + tail);
  EXPECT_FALSE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "z", "new"));
  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "a", "new"));
  std::string expected = head;
  expected.replace(expected.find("old"), 3, "new");
  EXPECT_EQ(ReadBytes(Path("t.ini")), expected + tail);
}

// A comment is no line of the block, even one that reads like its close, and
// a key that only begins like the token's is no piece of it.
TEST_F(TokenRewrite, CommentsAndUnknownKeysStayAndACommentClosesNoBlock) {
  const std::string lines = "\t\tOAuthTokenURL\thttps://auth.example.com/token\n"
                            "#OAuthToken\tcommented\n\t\tMystery\tm\n;\t}\n";
  const std::string original = Crlf(TokenFile(TokenAccount("a", lines)));
  WriteBytes(Path("t.ini"), original);
  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "a", "new"));
  std::string expected = original;
  expected.insert(expected.find(";\t}\r\n") + 5, "\t\tOAuthToken\tnew\r\n");
  EXPECT_EQ(ReadBytes(Path("t.ini")), expected);
}

// The rewrite drops exactly the lines the reader takes for the token's
// pieces, stray ones too, and the new token goes where the first stood.
TEST_F(TokenRewrite, StrayPiecesGoAndKeysTheReaderDoesNotTakeForPiecesStay) {
  const std::string kept = "\t\tOAuthToken1\tone\n\t\tOAuthToken02\tzero\n\t\tOAuthToken12345\tfive\n";
  WriteBytes(Path("t.ini"),
             Crlf(TokenFile(TokenAccount("a", "\t\tOAuthToken3\tstray\n" + kept +
                                                   "\t\tOAuthToken\told\n\t\tOAuthToken9999\tlast\n"))));
  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "a", "new"));
  EXPECT_EQ(ReadBytes(Path("t.ini")), Crlf(TokenFile(TokenAccount("a", "\t\tOAuthToken\tnew\n" + kept))));
  EXPECT_EQ(LoadedToken(Path("t.ini")), "new");
}

TEST_F(TokenRewrite, LongerShorterAndEmptyTokensReplaceEveryPieceInPlace) {
  const std::string after = "\t\tCycleMinutes\t5\n";
  WriteBytes(Path("t.ini"), Crlf(TokenFile(TokenAccount(
                                "a", "\t\tOAuthToken\t" + std::string(256, 'a') + "\n\t\tOAuthToken2\t" +
                                         std::string(256, 'a') + "\n\t\tOAuthToken3\ta\n" + after))));
  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "a", "short"));
  EXPECT_EQ(ReadBytes(Path("t.ini")), Crlf(TokenFile(TokenAccount("a", "\t\tOAuthToken\tshort\n" + after))));

  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "a", std::string(600, 'L')));
  EXPECT_EQ(ReadBytes(Path("t.ini")),
            Crlf(TokenFile(TokenAccount("a", "\t\tOAuthToken\t" + std::string(256, 'L') + "\n\t\tOAuthToken2\t" +
                                                 std::string(256, 'L') + "\n\t\tOAuthToken3\t" +
                                                 std::string(88, 'L') + "\n" + after))));
  EXPECT_EQ(LoadedToken(Path("t.ini")), std::string(600, 'L'));

  ASSERT_TRUE(bw::SaveAccountToken(Path("t.ini"), "Office", "pop.example.com", "a", ""));
  EXPECT_EQ(ReadBytes(Path("t.ini")), Crlf(TokenFile(TokenAccount("a", after))));
}

TEST_F(GeometryRewrite, InsertsMissingLinesBeforeTheFirstChildAndKeepsOtherLineEnds) {
  WriteBytes(Path("g.ini"),
             "AncestryPop3Controller::RingListClass\t{\n\tAnimateTimer\t100\n"
             "\tAncestryPop3Checker::RingListClass\t{\n\t\tWindowSize\t1,1\n\t}\n}\n--EOF--\n");
  bw::AncestryPop3Controller c;
  Place(c);
  bw::SaveGeometry(c, Path("g.ini"));
  EXPECT_EQ(ReadBytes(Path("g.ini")),
            "AncestryPop3Controller::RingListClass\t{\n\tAnimateTimer\t100\n"
            "\tWindowPosition\t1,2\r\n\tWindowSize\t3,4\r\n"
            "\tAncestryPop3Checker::RingListClass\t{\n\t\tWindowSize\t1,1\n\t}\n}\n--EOF--\n");
}

TEST_F(GeometryRewrite, NulBytesLoneCrsLongLinesAndTextAfterCtrlZSurviveByteForByte) {
  // A NUL inside a value, a lone CR, a line longer than the reading buffer
  // whose tail looks like a geometry line and a closing brace, an LF-only
  // line end, and bytes after a Ctrl-Z.
  const std::string longLine =
      "\tPasswordish\t" + std::string(374, 'x') + "\tWindowPosition\t9,9 }";
  const std::string head = std::string("AncestryPop3Controller::RingListClass\t{\r\n") +
                           "\tMystery\ta" + std::string(1, '\0') + "b\r\n" +
                           "\tLone\tc\rd\r\n" + longLine + "\r\n" + "\tLfOnly\te\n";
  const std::string tail = "\tAncestryPop3Checker::RingListClass\t{\r\n\t\tHostName\th\r\n\t}\r\n"
                           "}\r\n--EOF--\r\n\x1A\tWindowSize\t7,7\r\nafter";
  WriteBytes(Path("g.ini"), head + "\tWindowSize\t1,1\r\n" + tail);
  bw::AncestryPop3Controller c;
  Place(c);
  bw::SaveGeometry(c, Path("g.ini"));
  EXPECT_EQ(ReadBytes(Path("g.ini")),
            head + "\tWindowSize\t3,4\r\n\tWindowPosition\t1,2\r\n" + tail);
}

// The reader's text ends at the Ctrl-Z inside the WindowSize line: the line
// is replaced as read, and the Ctrl-Z with all that follows stays, a
// geometry line there included.
TEST_F(GeometryRewrite, CtrlZInsideAGeometryLineKeepsTheTailAfterIt) {
  const std::string tail = "\x1A junk\r\n\tWindowPosition\t7,7\r\n}\r\n--EOF--\r\n";
  WriteBytes(Path("g.ini"), "AncestryPop3Controller::RingListClass\t{\r\n\tWindowSize\t1,1" + tail);
  bw::AncestryPop3Controller c;
  Place(c);
  bw::SaveGeometry(c, Path("g.ini"));
  EXPECT_EQ(ReadBytes(Path("g.ini")), "AncestryPop3Controller::RingListClass\t{\r\n\tWindowSize\t3,4\r\n" + tail);
}

TEST_F(GeometryRewrite, MissingFileIsNeverReplacedAndUncreatableWorkFileIsReported) {
  bw::AncestryPop3Controller c;
  bw::SaveGeometry(c, Path("missing.ini"));
  EXPECT_FALSE(bw_test::FileExists(Path("missing.ini")));
  EXPECT_FALSE(bw_test::FileExists(Path("missing.ini_new")));
  EXPECT_TRUE(boxes.empty());

  WriteBytes(Path("g.ini"), "x\n");
  std::filesystem::create_directory(Path("g.ini_new"));  // blocks the work file
  bw::SaveGeometry(c, Path("g.ini"));
  EXPECT_EQ(ReadBytes(Path("g.ini")), "x\n");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "ジオメトリ保存失敗[" + Path("g.ini_new") + "]");
  EXPECT_EQ(boxes[0].caption, "Bellwick");
}

// A save cut off between the old file's removal and the work file's move
// leaves only the work file. Every reader and writer takes a complete one
// back before anything else; a cut-off one (no end marker, a block left
// open) is no copy of the settings and stays where it is.
TEST_F(GeometryRewrite, OnlyACompleteWorkFileIsTakenBackWhenTheFileIsGone) {
  const std::string whole = Crlf(kExampleFile);
  bw::AncestryPop3Controller placed;
  Place(placed);
  bw::ParameterFileHeader header;
  const std::vector<std::function<bool(const std::string&)>> readersAndWriters = {
      [&](const std::string& p) { bw::AncestryPop3Controller c; return bw::ReadParameterFile(p, c, &header) == 0; },
      [&](const std::string& p) { return bw::LoadParameterFile(p, &header) != nullptr; },
      [&](const std::string& p) { return bw::SaveGeometry(placed, p) == bw::GeometrySave::kSaved; },
      [&](const std::string& p) { return bw::SaveAccountToken(p, "Office", "pop.example.com", "user", "tok"); },
  };
  for (const auto& use : readersAndWriters) {
    std::filesystem::remove(Path("w.ini"));
    WriteBytes(Path("w.ini_new"), whole);
    EXPECT_TRUE(use(Path("w.ini")));
    EXPECT_FALSE(bw_test::FileExists(Path("w.ini_new")));
    const std::string taken = ReadBytes(Path("w.ini"));
    EXPECT_NE(taken.find("HostName\tpop.example.com"), std::string::npos);
    EXPECT_NE(taken.find("--EOF--"), std::string::npos);
  }
  const std::string cut = whole.substr(0, whole.find("\tExecutant"));
  for (const std::string& partial : {cut, whole.substr(0, whole.find("--EOF--")), cut + "--EOF--\r\n"}) {
    std::filesystem::remove(Path("w.ini"));
    WriteBytes(Path("w.ini_new"), partial);
    EXPECT_EQ(bw::SaveGeometry(placed, Path("w.ini")), bw::GeometrySave::kNoFile);
    EXPECT_FALSE(bw_test::FileExists(Path("w.ini")));
    EXPECT_EQ(ReadBytes(Path("w.ini_new")), partial);
  }
}

// A save replaces the file by a work file beside it. Every writer goes
// through that one path, so each case runs the configurator's save and the
// checker's geometry rewrite.
class SavePath : public ParameterFile {
 protected:
  // Saves one account to `path`: true when the save reported success.
  bool Save(const std::string& path) {
    bw::AncestryPop3Controller c;
    c.AddAccount(new bw::AncestryPop3Checker);
    return bw::SaveParameterFile(path, "", 0, c);
  }
  void Geometry(const std::string& path) {
    bw::AncestryPop3Controller c;
    Place(c);
    bw::SaveGeometry(c, path);
  }
};

#ifndef _WIN32

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST_F(SavePath, NewFileKeepsTheModeAndAReadOnlyFileIsRefusedUntouched) {
  for (mode_t mode : {0600, 0660}) {
    WriteBytes(Path("s.ini"), kExampleFile);
    ::chmod(Path("s.ini").c_str(), mode);
    ASSERT_TRUE(Save(Path("s.ini")));
    EXPECT_EQ(ModeOf(Path("s.ini")), mode);
    Geometry(Path("s.ini"));
    EXPECT_NE(ReadBytes(Path("s.ini")).find("WindowPosition\t1,2"), std::string::npos);
    EXPECT_EQ(ModeOf(Path("s.ini")), mode);
  }

  // No write permission for anyone: refused even for root, who could write.
  boxes.clear();
  WriteBytes(Path("r.ini"), kExampleFile);
  ::chmod(Path("r.ini").c_str(), 0444);
  EXPECT_FALSE(Save(Path("r.ini")));
  Geometry(Path("r.ini"));
  EXPECT_EQ(ReadBytes(Path("r.ini")), kExampleFile);
  EXPECT_EQ(ModeOf(Path("r.ini")), 0444u);
  EXPECT_FALSE(bw_test::FileExists(Path("r.ini_new")));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, Path("r.ini") + " ファイルが作成できません.");
  EXPECT_EQ(boxes[1].text, "ジオメトリ保存失敗[" + Path("r.ini_new") + "]");
}

TEST_F(SavePath, PlantedWorkFileLinkIsNeverFollowedAndAStalePlainOneIsReplaced) {
  WriteBytes(Path("victim"), "victim's own text");
  WriteBytes(Path("s.ini"), kExampleFile);
  ASSERT_EQ(::symlink("victim", Path("s.ini_new").c_str()), 0);
  EXPECT_FALSE(Save(Path("s.ini")));
  Geometry(Path("s.ini"));
  EXPECT_EQ(ReadBytes(Path("victim")), "victim's own text");
  EXPECT_EQ(ReadBytes(Path("s.ini")), kExampleFile);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, Path("s.ini") + " ファイルが作成できません.");

  // A plain work file left by an interrupted save is no obstacle.
  ::unlink(Path("s.ini_new").c_str());
  WriteBytes(Path("s.ini_new"), "left over");
  EXPECT_TRUE(Save(Path("s.ini")));
  EXPECT_FALSE(bw_test::FileExists(Path("s.ini_new")));
}

TEST_F(SavePath, FileReachedThroughALinkIsUpdatedWhereTheLinkPoints) {
  std::filesystem::create_directory(Path("real"));
  WriteBytes(Path("real/b.ini"), kExampleFile);
  ASSERT_EQ(::symlink("real/b.ini", Path("b.ini").c_str()), 0);
  Geometry(Path("b.ini"));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("b.ini")));
  EXPECT_NE(ReadBytes(Path("real/b.ini")).find("WindowPosition\t1,2"), std::string::npos);
  ASSERT_TRUE(Save(Path("b.ini")));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("b.ini")));
  EXPECT_EQ(ReadBytes(Path("real/b.ini")).find("Office"), std::string::npos);
  EXPECT_FALSE(bw_test::FileExists(Path("real/b.ini_new")));
}

#else

TEST_F(SavePath, ReplacedFileKeepsItsAttributesReadOnlyIsRefusedPlantedLinkIsNotFollowed) {
  WriteBytes(Path("h.ini"), kExampleFile);
  ASSERT_TRUE(SetFileAttributesA(Path("h.ini").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(Save(Path("h.ini")));
  Geometry(Path("h.ini"));
  EXPECT_NE(ReadBytes(Path("h.ini")).find("WindowPosition\t1,2"), std::string::npos);
  EXPECT_TRUE(GetFileAttributesA(Path("h.ini").c_str()) & FILE_ATTRIBUTE_HIDDEN);

  boxes.clear();
  WriteBytes(Path("r.ini"), kExampleFile);
  ASSERT_TRUE(SetFileAttributesA(Path("r.ini").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(Save(Path("r.ini")));
  Geometry(Path("r.ini"));
  EXPECT_EQ(ReadBytes(Path("r.ini")), kExampleFile);
  EXPECT_FALSE(bw_test::FileExists(Path("r.ini_new")));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, Path("r.ini") + " ファイルが作成できません.");
  EXPECT_EQ(boxes[1].text, "ジオメトリ保存失敗[" + Path("r.ini_new") + "]");
  SetFileAttributesA(Path("r.ini").c_str(), FILE_ATTRIBUTE_NORMAL);

  // A work file planted as a second name of another file: the save makes a
  // file of its own and never writes into the other one.
  WriteBytes(Path("victim"), "victim's own text");
  ASSERT_TRUE(CreateHardLinkA(Path("p.ini_new").c_str(), Path("victim").c_str(), nullptr));
  ASSERT_TRUE(Save(Path("p.ini")));
  Geometry(Path("p.ini"));
  EXPECT_EQ(ReadBytes(Path("victim")), "victim's own text");
  EXPECT_NE(ReadBytes(Path("p.ini")).find("WindowPosition\t1,2"), std::string::npos);
}

#endif

}  // namespace
