// Record classes: what each block reads, logs, folds and writes back.
#include <memory>
#include <string>
#include <vector>

#include "common/core/controller_record.h"
#include "common/core/imap_folders.h"
#include "common/core/log.h"
#include "tests/unit/test_support.h"

namespace {

using bw_test::Crlf;
using bw_test::ScratchTest;

// Reads one block's body (the lines after its opening line).
template <typename Record>
int ReadFrom(Record& record, const std::string& body) {
  bw::TextInput in(body);
  return record.ReadBlock(in);
}

std::string Written(bw::AncestryPop3Checker& a) {
  bw::TextOutput out;
  a.WriteBlock(out, 1);
  return out.Bytes();
}
std::string Written(bw::Executant& e) {
  bw::TextOutput out;
  e.WriteBlock(out, 1, true);
  return out.Bytes();
}
std::string Written(bw::MenuExecutant& m) {
  bw::TextOutput out;
  m.WriteMenuBlock(out, 1);
  return out.Bytes();
}
std::string Written(bw::AncestryPop3Controller& c) {
  bw::TextOutput out;
  c.WriteBlock(out, 0);
  return out.Bytes();
}

const char kMinimalAccount[] = "\t\tHostName\tpop.example\n\t\tUserID\tu\n\t\tPassword\tp\n\t}\n";

using AccountRecord = ScratchTest;

TEST_F(AccountRecord, MinimalBlockTakesKeyDefaultsAndWritesBackOnlyServiceName) {
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, kMinimalAccount), 0);
  EXPECT_EQ(a.ServiceName, "110");
  EXPECT_EQ(a.CycleMinutes, 15);
  EXPECT_EQ(a.UseUIDL, 0);
  EXPECT_EQ(a.UseAPOP, 0);
  EXPECT_EQ(a.TOofDNS_Sec + a.TOofConnect_Sec + a.TOofSendRecv_Sec, 0);
  EXPECT_EQ(Written(a), Crlf("\tAncestryPop3Checker::RingListClass\t{\n"
                             "\t\tHostName\tpop.example\n\t\tUserID\tu\n\t\tPassword\tp\n"
                             "\t\tServiceName\t110\n\t}\n"));
}

TEST_F(AccountRecord, FlagsFoldToOneAndValuesEqualToTheOmittedOneVanish) {
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, std::string("\t\tUseUIDL\t5\n\t\tCycleMinutes\t15\n\t\tUseAPOP\t2\n"
                                    "\t\tTOofDNS_Sec\t-3\n") + kMinimalAccount),
            0);
  EXPECT_EQ(a.UseUIDL, 1);
  std::string out = Written(a);
  EXPECT_NE(out.find("\t\tUseUIDL\t1\r\n"), std::string::npos);
  EXPECT_NE(out.find("\t\tUseAPOP\t2\r\n"), std::string::npos);
  EXPECT_NE(out.find("\t\tTOofDNS_Sec\t-3\r\n"), std::string::npos);
  EXPECT_EQ(out.find("CycleMinutes"), std::string::npos);

  a.CycleMinutes = 0;
  EXPECT_NE(Written(a).find("\t\tCycleMinutes\t0\r\n"), std::string::npos);
}

TEST_F(AccountRecord, PasswordKeepsInnerAndLeadingSpacesButLosesTrailingOnes) {
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, "\t\tHostName\th\n\t\tUserID\tu\n\t\tPassword  pass word \t\n\t}\n"), 0);
  EXPECT_EQ(a.Password, " pass word");
  bw::AncestryPop3Checker b;
  ASSERT_EQ(ReadFrom(b, bw_test::Crlf(Written(a).substr(Written(a).find('\n') + 1))), 0);
  EXPECT_EQ(b.Password, " pass word");
}

TEST_F(AccountRecord, DuplicateKeyUsesTheFirstAndKeepsBothLines) {
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, std::string("\t\tConnectionName\tfirst\n\t\tConnectionName\tsecond\n") +
                            kMinimalAccount),
            0);
  EXPECT_EQ(a.ConnectionName, "first");
  a.ConnectionName = "renamed";
  std::string out = Written(a);
  EXPECT_NE(out.find("\t\tConnectionName\trenamed\r\n\t\tConnectionName\tsecond\r\n"),
            std::string::npos);
}

TEST_F(AccountRecord, MissingOrEmptyRequiredKeyIsLoggedAndRefused) {
  StartLog();
  bw::AncestryPop3Checker a;
  EXPECT_EQ(ReadFrom(a, "\t\tHostName\th\n\t\tUserID\tu\n\t\tPassword\n\t}\n"), -10);
  bw::AncestryPop3Checker b;
  EXPECT_EQ(ReadFrom(b, "\t\tPassword\tp\n\t}\n"), -10);
  EXPECT_EQ(LogText(), Crlf("Passwordが定義されていません.\nHostNameが定義されていません.\n"));
}

TEST_F(AccountRecord, UnknownKeysBlankLinesNestedBlocksAndEofInsideAreLogged) {
  StartLog();
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, "\t\tColour\tred\n\n\t\t;x\n\tInner\t{\n\t\tHostName\th\n"
                        "\t\tUserID\tu\n\t\tPassword\tp\n--EOF--\n"),
            0);
  EXPECT_EQ(LogText(), Crlf("POP3 Checker : KeyWord[Colour]は、認識できません.\n"
                            "POP3 Checker : KeyWord[]は、認識できません.\n"
                            "POP3 Checker : KeyWord[;x]は、認識できません.\n"
                            "書式エラー:このクラスはどのクラスも所有しません\n"
                            "終了識別子が途中で見つかりました.\n"));
}

TEST_F(AccountRecord, BraceAfterAKeyClosesTheBlockAndLosesThatLine) {
  bw::AncestryPop3Checker a;
  EXPECT_EQ(ReadFrom(a, "\t\tHostName\th\n\t\tPassword\tp\n\t\tUserID }\n"), -10);
  bw::AncestryPop3Checker b;
  EXPECT_EQ(ReadFrom(b, "\t\tHostName\th\n\t\tPassword\tp\n"), -1);
}

TEST_F(AccountRecord, ResetToDefaultChangesFieldAndExistingEntryOnly) {
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, std::string("\t\tCycleMinutes\t3\n") + kMinimalAccount), 0);
  int count = a.properties.Count();
  a.ResetToDefault(bw::kCycleMinutes);
  EXPECT_EQ(a.CycleMinutes, 15);
  EXPECT_EQ(a.properties.FindValue("CycleMinutes"), "15");
  a.ResetToDefault(8);  // no such id
  EXPECT_EQ(a.properties.Count(), count);
  EXPECT_EQ(a.KeyName(8), nullptr);
  EXPECT_STREQ(a.KeyName(14), "DisconnectNoQuit");
  EXPECT_STREQ(a.DefaultText(2), "110");
}

TEST_F(AccountRecord, UseTlsIsWrittenLastAndOnlyWhenSetSoOlderFilesStayByteForByte) {
  bw::AncestryPop3Checker plain;
  ASSERT_EQ(ReadFrom(plain, std::string("\t\tDisconnectNoQuit\t1\n") + kMinimalAccount), 0);
  EXPECT_EQ(plain.UseTLS, 0);
  EXPECT_EQ(Written(plain).find("UseTLS"), std::string::npos);

  for (int value : {1, 2}) {
    // Read back as written, and set on an account that had no such line:
    // the new line follows every line the file already had.
    bw::AncestryPop3Checker a;
    const std::string text = std::to_string(value);
    ASSERT_EQ(ReadFrom(a, "\t\tUseTLS\t" + text + "\n" + kMinimalAccount), 0);
    EXPECT_EQ(a.UseTLS, value);
    bw::AncestryPop3Checker b;
    ASSERT_EQ(ReadFrom(b, std::string("\t\tDisconnectNoQuit\t1\n") + kMinimalAccount), 0);
    ASSERT_EQ(b.SetKeyText(bw::kUseTLS, text), bw::kSetOk);
    const std::string out = Written(b);
    EXPECT_NE(out.find("\t\tServiceName\t110\r\n\t\tUseTLS\t" + text + "\r\n\t}"), std::string::npos) << out;
  }
  bw::AncestryPop3Checker off;
  ASSERT_EQ(ReadFrom(off, std::string("\t\tUseTLS\t0\n\t\tProtocol\t0\n\t\tImapFolders\t\n\t\tUseIdle\t1\n") +
                              kMinimalAccount),
            0);
  EXPECT_EQ(Written(off).find("UseIdle"), std::string::npos);
  EXPECT_EQ(Written(off).find("UseTLS"), std::string::npos);
  EXPECT_EQ(Written(off).find("Protocol"), std::string::npos);
  EXPECT_EQ(Written(off).find("ImapFolders"), std::string::npos);
}

// The IMAP keys come after the OAuth keys, each only when set (UseIdle only
// when turned off), and read back as written (a Shift_JIS name with a 0x5C
// trail byte included).
TEST_F(AccountRecord, ImapKeysFollowTheOAuthKeysAndOnlyWhenSet) {
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, std::string("\t\tOAuthScope\ts\n") + kMinimalAccount), 0);
  ASSERT_EQ(a.SetKeyText(bw::kImapFolders, "INBOX,\x95\x5C,a\\,b"), bw::kSetOk);
  ASSERT_EQ(a.SetKeyText(bw::kProtocol, "1"), bw::kSetOk);
  EXPECT_EQ(a.UseIdle, 1);
  ASSERT_EQ(a.SetKeyText(bw::kUseIdle, "0"), bw::kSetOk);
  const std::string out = Written(a);
  EXPECT_NE(out.find("\t\tPassword\tp\r\n\t\tServiceName\t110\r\n\t\tProtocol\t1\r\n"
                     "\t\tImapFolders\tINBOX,\x95\x5C,a\\,b\r\n\t\tUseIdle\t0\r\n\t}"),
            std::string::npos)
      << out;
  bw::AncestryPop3Checker b;
  ASSERT_EQ(ReadFrom(b, out.substr(out.find("\r\n") + 2)), 0);
  EXPECT_TRUE(b.UsesImap());
  EXPECT_EQ(b.ImapFolders, "INBOX,\x95\x5C,a\\,b");
  EXPECT_EQ(b.UseIdle, 0);
  EXPECT_EQ(Written(b), out);
}

// A protected password longer than a line (a dialog's draft hands it back
// on OK) is taken whole and written in pieces where Password stood, and
// natively, where it cannot be read, it stands for the password and is kept.
TEST_F(AccountRecord, ProtectedPasswordOfAnyLengthIsStoredInPiecesInThePasswordsPlace) {
  std::string blob;
  for (int i = 0; i < 500; ++i) blob += static_cast<char>('A' + i % 26);
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, "\t\tHostName\th\n\t\tUserID\tu\n\t\tPasswordProtected\tQUJD\n\t\tCycleMinutes\t5\n\t}\n"), 0);
  ASSERT_EQ(a.SetKeyText(bw::kPasswordProtected, blob), bw::kSetOk);
  const std::string out = Written(a);
  EXPECT_EQ(out, Crlf("\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n\t\tUserID\tu\n"
                      "\t\tPasswordProtected\t" + blob.substr(0, 256) + "\n"
                      "\t\tPasswordProtected2\t" + blob.substr(256) + "\n"
                      "\t\tCycleMinutes\t5\n\t\tServiceName\t110\n\t}\n"));
  bw::AncestryPop3Checker b;
  ASSERT_EQ(ReadFrom(b, out.substr(out.find("\r\n") + 2)), 0);
  EXPECT_EQ(b.PasswordProtected, blob);
  EXPECT_EQ(Written(b), out);
}

// A refresh token longer than a line is written in pieces after UseTLS and
// read back joined; an OAuth account needs no password and writes none.
TEST_F(AccountRecord, OAuthKeysFollowUseTLSAndALongTokenGoesInPieces) {
  std::string token;
  for (int i = 0; i < 700; ++i) token += static_cast<char>('A' + i % 26);
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, "\t\tHostName\th\n\t\tUserID\tu\n\t\tUseTLS\t1\n\t\tOAuthProvider\t2\n\t}\n"), 0);
  ASSERT_EQ(a.SetKeyText(bw::kOAuthClientID, "client"), bw::kSetOk);
  ASSERT_EQ(a.SetKeyText(bw::kOAuthToken, token), bw::kSetOk);
  EXPECT_EQ(a.SetKeyText(bw::kPassword, ""), bw::kSetOk);
  const std::string out = Written(a);
  EXPECT_EQ(out, Crlf("\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n\t\tUserID\tu\n"
                      "\t\tUseTLS\t1\n\t\tOAuthProvider\t2\n\t\tServiceName\t110\n"
                      "\t\tOAuthClientID\tclient\n"
                      "\t\tOAuthToken\t" + token.substr(0, 256) + "\n"
                      "\t\tOAuthToken2\t" + token.substr(256, 256) + "\n"
                      "\t\tOAuthToken3\t" + token.substr(512) + "\n\t}\n"));
  // Read back (the pieces in any order) and written again: the same bytes.
  bw::AncestryPop3Checker b;
  std::string body = out.substr(out.find("\r\n") + 2);
  ASSERT_EQ(ReadFrom(b, body), 0);
  EXPECT_EQ(b.OAuthToken, token);
  EXPECT_EQ(Written(b), out);
  EXPECT_EQ(LogText(), "");
  // Without OAuthProvider the password is required again.
  bw::AncestryPop3Checker c;
  EXPECT_EQ(ReadFrom(c, "\t\tHostName\th\n\t\tUserID\tu\n\t\tOAuthToken\tx\n\t}\n"), -10);
  EXPECT_EQ(c.SetKeyText(bw::kPassword, " "), bw::kSetRequiredEmpty);
}

// A token whose pieces do not join up (one missing, one given twice) is no
// token the provider issued: it is named when read, dropped, and the account
// asks for a new sign-in instead of a save losing it silently.
TEST_F(AccountRecord, DamagedTokenPiecesAreNamedAndTheTokenDropped) {
  StartLog();
  const std::string head = "\t\tConnectionName\tmail\n\t\tHostName\th\n\t\tUserID\tu\n\t\tOAuthProvider\t1\n";
  struct Case {
    const char* lines;
    const char* named;
  } cases[] = {{"\t\tOAuthToken\taaa\n\t\tOAuthToken3\tccc\n", "OAuthToken2がありません"},
               {"\t\tOAuthToken2\tbbb\n", "OAuthTokenがありません"},
               {"\t\tOAuthToken\taaa\n\t\tOAuthToken2\tbbb\n\t\tOAuthToken2\tbbb\n", "OAuthToken2が2回あります"},
               {"\t\tOAuthToken\taaa\n\t\tOAuthToken\taaa\n", "OAuthTokenが2回あります"}};
  for (const Case& c : cases) {
    bw::LogReset();
    StartLog();
    bw::AncestryPop3Checker a;
    ASSERT_EQ(ReadFrom(a, head + c.lines + "\t}\n"), 0) << c.lines;
    EXPECT_EQ(a.OAuthToken, "") << c.lines;
    EXPECT_EQ(LogText(), std::string("mail : 保存されたOAuthのﾄｰｸﾝが壊れています(") + c.named +
                             "). もう一度サインインしてください.\r\n");
    EXPECT_EQ(Written(a).find("OAuthToken"), std::string::npos) << c.lines;
  }
}

// No value goes into the file that the reader would read back otherwise:
// one that closes or opens a block, ends the file early, or adds a line.
TEST_F(AccountRecord, ValuesThatWouldNotReadBackAreRefused) {
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, kMinimalAccount), 0);
  for (const char* bad : {"}", "{", "x\n\t}\n}\n--EOF--", "x\r\n\t\tPassword\tx"}) {
    EXPECT_EQ(a.SetKeyText(bw::kPassword, bad), bw::kSetUnstorable) << bad;
    EXPECT_EQ(a.SetKeyText(bw::kOAuthToken, bad), bw::kSetUnstorable) << bad;
  }
  // A field set around SetKeyText still never reaches the text.
  a.Password = "}";
  bw::TextOutput out;
  a.WriteBlock(out, 1);
  EXPECT_TRUE(out.Failed());
  std::vector<std::string> pieces;
  EXPECT_TRUE(bw::SplitValuePieces(std::string(256, 'a') + "}", 256, &pieces));
  EXPECT_EQ(pieces.back(), "a}");
}

// A cut never leaves a piece ending in a blank, which the reader would trim.
TEST(ValuePieces, NoPieceEndsInABlankOrStartsWithAControlByte) {
  std::vector<std::string> pieces;
  ASSERT_TRUE(bw::SplitValuePieces("abc def", 4, &pieces));
  EXPECT_EQ(pieces, (std::vector<std::string>{"abc", " def"}));
  EXPECT_FALSE(bw::SplitValuePieces("a    b", 2, &pieces));
}

using ExecutantRecord = ScratchTest;

TEST_F(ExecutantRecord, FileNameIsLowerCasedAndOnlyShowModeIsWrittenBack) {
  bw::Executant e;
  ASSERT_EQ(ReadFrom(e, "\t\tExecutionFileName\tC:\\Tools\\Viewer.EXE\n\t}\n"), 0);
  EXPECT_EQ(e.ExecutionFileName, "c:\\tools\\viewer.exe");
  EXPECT_EQ(e.ExecutionInputTO, 5000);
  EXPECT_EQ(e.properties.FindValue("ExecutionInputTO"), "5000");
  EXPECT_FALSE(e.positionGiven);
  EXPECT_FALSE(e.sizeGiven);
  EXPECT_EQ(Written(e), Crlf("\tExecutant::RingListClass\t{\n"
                             "\t\tExecutionFileName\tc:\\tools\\viewer.exe\n"
                             "\t\tExecutionShowMode\t1\n\t}\n"));
}

TEST_F(ExecutantRecord, PositionPriorityInputWaitAndShellFoldAsWritten) {
  bw::Executant e;
  ASSERT_EQ(ReadFrom(e, "\t\tExecutionFileName\ta.exe\n\t\tExecutionPosition\t100,200\n"
                        "\t\tExecutionSize\t-2147483648,5\n\t\tExecutionPriority\t49\n"
                        "\t\tExecutionInputTO\t0\n\t\tExecutionShellExec\t-1\n\t}\n"),
            0);
  EXPECT_TRUE(e.positionGiven);
  EXPECT_EQ(e.x, 100);
  EXPECT_EQ(e.y, 200);
  EXPECT_FALSE(e.sizeGiven);
  EXPECT_EQ(e.ExecutionPriority, 0x31);
  EXPECT_EQ(e.ExecutionInputTO, 0);
  EXPECT_EQ(e.ExecutionShellExec, 0);
  std::string out = Written(e);
  EXPECT_NE(out.find("\t\tExecutionPosition\t100,200\r\n"), std::string::npos);
  EXPECT_EQ(out.find("ExecutionSize"), std::string::npos);
  EXPECT_NE(out.find("\t\tExecutionPriority\t0x0031\r\n"), std::string::npos);
  EXPECT_NE(out.find("\t\tExecutionInputTO\t0\r\n"), std::string::npos);
  EXPECT_EQ(out.find("ExecutionShellExec"), std::string::npos);

  bw::Executant s;
  ASSERT_EQ(ReadFrom(s, "\t\tExecutionFileName\ta.exe\n\t\tExecutionShellExec\t2\n\t}\n"), 0);
  EXPECT_NE(Written(s).find("\t\tExecutionShellExec\t1\r\n"), std::string::npos);
}

TEST_F(ExecutantRecord, EmptyInputWaitEntryMeansNoWaitNotTheDefault) {
  bw::Executant e;
  ASSERT_EQ(ReadFrom(e, "\t\tExecutionFileName\ta.exe\n\t\tExecutionInputTO\n\t}\n"), 0);
  EXPECT_EQ(e.ExecutionInputTO, 0);
}

TEST_F(ExecutantRecord, MessagesHaveNoLineFeedAndMissingFileNameDropsTheRecord) {
  StartLog();
  bw::Executant e;
  EXPECT_EQ(ReadFrom(e, "\t\tColour\tred\n\tX\t{\n\t}\n"), -10);
  bw::MenuExecutant m;
  EXPECT_EQ(ReadFrom(m, "\t\tColour\tblue\n\t}\n"), -10);
  bw::LogWrite("!\n");
  EXPECT_EQ(LogText(), Crlf("Executer : KeyWord[Colour]は、認識できません."
                            "Executer : KeyWord[X]は、認識できません."
                            "ExecutionFileNameが定義されていません."
                            "MenuExecuter : KeyWord[Colour]は、認識できません."
                            "ExecutionFileNameが定義されていません.!\n"));
}

TEST_F(ExecutantRecord, MenuBlockWithoutCaptionWritesNoCaptionLine) {
  bw::MenuExecutant m;
  ASSERT_EQ(ReadFrom(m, "\t\tExecutionFileName\tv.exe\n\t}\n"), 0);
  EXPECT_EQ(m.MenuExecutionName, "");
  EXPECT_EQ(Written(m), Crlf("\tMenuExecutant::Executant::RingListClass\t{\n"
                             "\t\tExecutionFileName\tv.exe\n\t\tExecutionShowMode\t1\n\t}\n"));
  EXPECT_STREQ(m.MenuKeyName(0), "MenuExecutionName");
  EXPECT_STREQ(m.KeyName(0), "ExecutionFileName");
}

using ControllerRecord = ScratchTest;

TEST_F(ControllerRecord, EmptyBlockTakesDefaultsAndWritesTheFourAlwaysWrittenKeys) {
  bw::AncestryPop3Controller c;
  ASSERT_EQ(ReadFrom(c, "}\n"), 0);
  EXPECT_EQ(c.windowX, 64);
  EXPECT_EQ(c.windowHeightSetting, 64);
  EXPECT_EQ(c.ExecutionDelay, 0);
  EXPECT_EQ(c.AutoWakeup, 1);
  EXPECT_EQ(c.InitSleep_Sec, 0);
  EXPECT_EQ(c.Consecutive_Sec, 5);
  EXPECT_EQ(c.AutoKillMethod, 0x72);
  EXPECT_EQ(Written(c), Crlf("AncestryPop3Controller::RingListClass\t{\n"
                             "\tWindowPosition\t64,64\n\tWindowSize\t128,64\n"
                             "\tAnimateTimer\t100\n\tExecutionDelay\t0\n}\n"));
}

TEST_F(ControllerRecord, KillMethodReadsAnyBaseAndInvertedFlagsWriteZero) {
  for (const char* text : {"114", "0x72", "0162"}) {
    bw::AncestryPop3Controller c;
    ASSERT_EQ(ReadFrom(c, std::string("\tAutoKillMethod\t") + text + "\n}\n"), 0);
    EXPECT_EQ(c.AutoKillMethod, 0x72) << text;
    EXPECT_EQ(Written(c).find("AutoKillMethod"), std::string::npos);
  }
  bw::AncestryPop3Controller c;
  ASSERT_EQ(ReadFrom(c, "\tAutoKillMethod\t0\n\tAutoWakeup\t0\n\tConsecutive_Sec\t0\n"
                        "\tWindowPosition\t-10,20\n\tWindowSize\t10,20,30\n}\n"),
            0);
  EXPECT_EQ(c.windowX, -10);
  EXPECT_EQ(c.windowWidthSetting, 10);
  EXPECT_EQ(c.windowHeightSetting, 20);
  std::string out = Written(c);
  EXPECT_NE(out.find("\tAutoKillMethod\t0x0000\r\n"), std::string::npos);
  EXPECT_NE(out.find("\tAutoWakeup\t0\r\n"), std::string::npos);
  EXPECT_NE(out.find("\tConsecutive_Sec\t0\r\n"), std::string::npos);
  EXPECT_NE(out.find("\tWindowPosition\t-10,20\r\n"), std::string::npos);
  EXPECT_NE(out.find("\tWindowSize\t10,20\r\n"), std::string::npos);
}

TEST_F(ControllerRecord, MalformedGeometryFallsBackToBothDefaultNumbers) {
  bw::AncestryPop3Controller c;
  ASSERT_EQ(ReadFrom(c, "\tWindowPosition\t7\n\tWindowSize\tbig\n}\n"), 0);
  EXPECT_EQ(c.windowX, 64);
  EXPECT_EQ(c.windowY, 64);
  EXPECT_EQ(c.windowWidthSetting, 128);
}

std::string AccountBlock(const std::string& name) {
  return "\tAncestryPop3Checker::RingListClass\t{\n\t\tConnectionName\t" + name +
         "\n\t\tHostName\th\n\t\tUserID\tu\n\t\tPassword\tp\n\t}\n";
}
std::string ExecBlock(const std::string& cls, const std::string& file) {
  return "\t" + cls + "\t{\n\t\tExecutionFileName\t" + file + "\n\t}\n";
}

TEST_F(ControllerRecord, ChildrenKeepFileOrderWithinEachKindWhateverTheInterleaving) {
  bw::AncestryPop3Controller c;
  std::string body = ExecBlock("MenuExecutant::Executant::RingListClass", "m1.exe") +
                     AccountBlock("a1") + ExecBlock("Executant::RingListClass", "e1.exe") +
                     AccountBlock("a2") + ExecBlock("Executant::RingListClass", "e2.exe") +
                     AccountBlock("a3") + "}\n";
  ASSERT_EQ(ReadFrom(c, body), 0);
  std::string names;
  bw::WalkRing(c.accountHead, [&](bw::AncestryPop3Checker* a) { names += a->ConnectionName; });
  EXPECT_EQ(names, "a1a2a3");
  EXPECT_EQ(c.AccountCount(), 3);
  std::string out = Written(c);
  size_t a1 = out.find("a1"), a3 = out.find("a3"), e1 = out.find("e1.exe"),
         e2 = out.find("e2.exe"), m1 = out.find("m1.exe");
  EXPECT_LT(a1, a3);
  EXPECT_LT(a3, e1);
  EXPECT_LT(e1, e2);
  EXPECT_LT(e2, m1);
}

TEST_F(ControllerRecord, DroppedChildAndUnknownChildClassLeaveTheRestIntact) {
  StartLog();
  bw::AncestryPop3Controller c;
  std::string body = AccountBlock("a1") +
                     "\tAncestryPop3Checker::RingListClass\t{\n\t\tHostName\th\n\t}\n" +
                     "\tStranger::RingListClass\t{\n\t\tAnimateTimer\t7\n\t}\n" +
                     AccountBlock("a2") + "}\n";
  ASSERT_EQ(ReadFrom(c, body), 0);
  EXPECT_EQ(c.AccountCount(), 1);  // the unknown block's "}" closed the controller
  EXPECT_EQ(c.AnimateTimer, 7);
  EXPECT_EQ(LogText(), Crlf("UserIDが定義されていません.\n"));
}

TEST_F(ControllerRecord, EndOfInputInsideAChildFailsTheController) {
  bw::AncestryPop3Controller c;
  EXPECT_EQ(ReadFrom(c, AccountBlock("a1") + "\tAncestryPop3Checker::RingListClass\t{\n"
                                              "\t\tHostName\th\n"),
            -1);
}

using FieldAccess = ScratchTest;

// The ids of every key of a table, read to its end: a key added to a table
// is covered by the tests that walk them without editing them.
template <class R>
std::vector<int> IdsOf(const bw::KeyTableEntry<R>* table) {
  std::vector<int> ids;
  for (const bw::KeyTableEntry<R>* k = table; k->name; ++k) ids.push_back(k->id);
  return ids;
}

// Every key of every record: a text set through the table is written and
// read back as the same field value. (A negative number in a hexadecimal key
// is written as 0x8... and reads back saturated, as the Windows C runtime
// reads it; no text here is negative.)
TEST_F(FieldAccess, EveryKeySetByTextSurvivesWritingAndReadingBack) {
  const std::vector<int> accountIds = IdsOf(bw::kAccountKeyTable);
  const std::vector<int> controllerIds = IdsOf(bw::kControllerKeyTable);
  // A menu record's ids: its own table, then the Executant's (whose id 0,
  // ExecutionFileName, the menu's id 0 hides; it is set below).
  std::vector<int> menuIds = IdsOf(bw::kMenuExecutantKeyTable);
  for (int id : IdsOf(bw::kExecutantKeyTable))
    if (id >= static_cast<int>(menuIds.size())) menuIds.push_back(id);
  const char* texts[] = {"7", "0", "2147483647", "0x0031", "10,20", "Viewer", " lead space"};
  for (const char* text : texts) {
    bw::AncestryPop3Checker a;
    ASSERT_EQ(ReadFrom(a, kMinimalAccount), 0);
    bw::AncestryPop3Controller c;
    ASSERT_EQ(ReadFrom(c, "}\n"), 0);
    bw::MenuExecutant m;
    ASSERT_EQ(ReadFrom(m, "\t\tExecutionFileName\tv.exe\n\t}\n"), 0);
    for (int id : accountIds) EXPECT_EQ(a.SetKeyText(id, text), bw::kSetOk) << id;
    for (int id : controllerIds) EXPECT_EQ(c.SetKeyText(id, text), bw::kSetOk) << id;
    for (int id : menuIds) EXPECT_EQ(m.SetMenuKeyText(id, text), bw::kSetOk) << id;
    EXPECT_EQ(m.SetKeyText(bw::kExecutionFileName, text), bw::kSetOk);

    bw::AncestryPop3Checker a2;
    bw::AncestryPop3Controller c2;
    bw::MenuExecutant m2;
    ASSERT_EQ(ReadFrom(a2, Crlf(Written(a).substr(Written(a).find('\n') + 1))), 0) << text;
    ASSERT_EQ(ReadFrom(c2, Crlf(Written(c).substr(Written(c).find('\n') + 1))), 0) << text;
    ASSERT_EQ(ReadFrom(m2, Crlf(Written(m).substr(Written(m).find('\n') + 1))), 0) << text;
    std::string before, after;
    for (int id : accountIds) {
      ASSERT_TRUE(a.KeyText(id, &before) && a2.KeyText(id, &after)) << id;
      EXPECT_EQ(after, before) << a.KeyName(id) << " " << text;
    }
    for (int id : controllerIds) {
      ASSERT_TRUE(c.KeyText(id, &before) && c2.KeyText(id, &after)) << id;
      EXPECT_EQ(after, before) << c.KeyName(id) << " " << text;
    }
    for (int id : menuIds) {
      ASSERT_TRUE(m.MenuKeyText(id, &before) && m2.MenuKeyText(id, &after)) << id;
      EXPECT_EQ(after, before) << m.MenuKeyName(id) << " " << text;
    }
    ASSERT_TRUE(m2.KeyText(bw::kExecutionFileName, &after));
    EXPECT_EQ(after, std::string(text) == "Viewer" ? "viewer" : text);
  }
}

TEST_F(FieldAccess, TextIsReadAsTheBlockReaderReadsItAndRefusedWhenTheFileCannotHoldIt) {
  bw::AncestryPop3Checker a;
  ASSERT_EQ(ReadFrom(a, kMinimalAccount), 0);
  std::string text;
  ASSERT_TRUE(a.KeyText(bw::kCycleMinutes, &text));
  EXPECT_EQ(text, "15");  // the default, which the file leaves out
  EXPECT_FALSE(a.KeyText(8, &text));
  EXPECT_EQ(a.SetKeyText(8, "1"), bw::kSetUnknownKey);
  EXPECT_EQ(a.SetKeyText(bw::kUseUIDL, "5"), bw::kSetOk);
  EXPECT_EQ(a.UseUIDL, 1);
  EXPECT_EQ(a.SetKeyText(bw::kHostName, " \t"), bw::kSetRequiredEmpty);
  EXPECT_EQ(a.HostName, "pop.example");
  EXPECT_EQ(a.SetKeyText(bw::kPassword, "pass\nConnectionName\tx"), bw::kSetUnstorable);
  EXPECT_EQ(a.SetKeyText(bw::kPassword, "pass\x1Aword"), bw::kSetUnstorable);
  EXPECT_EQ(a.Password, "p");
  EXPECT_EQ(a.SetKeyText(bw::kPassword, "\t pw \t"), bw::kSetOk);
  EXPECT_EQ(a.Password, " pw");  // what reading the written line gives
  // The longest password whose line still reads back in one piece.
  const std::string longest(383 - 2 - 8 - 2, 'p');
  EXPECT_EQ(a.SetKeyText(bw::kPassword, longest + "p"), bw::kSetUnstorable);
  ASSERT_EQ(a.SetKeyText(bw::kPassword, longest), bw::kSetOk);
  bw::AncestryPop3Checker b;
  ASSERT_EQ(ReadFrom(b, Crlf(Written(a).substr(Written(a).find('\n') + 1))), 0);
  EXPECT_EQ(b.Password, longest);

  bw::AncestryPop3Controller c;
  ASSERT_EQ(c.SetKeyText(bw::kWindowSize, "big"), bw::kSetOk);
  EXPECT_EQ(c.windowWidthSetting, 128);
  ASSERT_EQ(c.SetKeyText(bw::kAutoKillMethod, "114"), bw::kSetOk);
  ASSERT_TRUE(c.KeyText(bw::kAutoKillMethod, &text));
  EXPECT_EQ(text, "0x0072");

  bw::MenuExecutant m;
  ASSERT_TRUE(m.KeyText(bw::kExecutionShowMode, &text));
  EXPECT_EQ(text, "1");  // no entry yet: the default text
  EXPECT_EQ(m.SetKeyText(bw::kExecutionFileName, ""), bw::kSetRequiredEmpty);
  ASSERT_EQ(m.SetKeyText(bw::kExecutionShowMode, "2"), bw::kSetOk);
  EXPECT_EQ(m.properties.FindValue("ExecutionShowMode"), "2");
  ASSERT_EQ(m.SetMenuKeyText(bw::kMenuExecutionName, "Viewer"), bw::kSetOk);
  EXPECT_EQ(m.MenuExecutionName, "Viewer");
  ASSERT_EQ(m.SetMenuKeyText(bw::kExecutionArguments, "-x"), bw::kSetOk);
  EXPECT_EQ(m.ExecutionArguments, "-x");
}

TEST(RingList, InsertUnlinkAndWalkKeepTheRingConsistent) {
  auto* a = new bw::Executant;
  auto* b = new bw::Executant;
  auto* c = new bw::Executant;
  bw::Executant* head = a;
  EXPECT_EQ(a->Next(), nullptr);
  EXPECT_EQ(a->InsertAfter(b), b);
  EXPECT_EQ(a->Next(), b);
  EXPECT_EQ(b->Next(), a);
  a->InsertBefore(c);  // a b c
  EXPECT_EQ(bw::RingCount(head), 3);
  EXPECT_EQ(b->Next(), c);
  EXPECT_EQ(b->Unlink(), a);
  EXPECT_EQ(a->Next(), c);
  EXPECT_EQ(c->Unlink(), a);
  EXPECT_EQ(a->Next(), nullptr);
  EXPECT_EQ(a->Previous(), nullptr);
  EXPECT_EQ(a->Unlink(), nullptr);
  delete b;
  delete c;
  bw::DestroyRing(head);
  EXPECT_EQ(head, nullptr);
}

}  // namespace

namespace {

// A name with "," or "\" of its own goes through escaped; a Shift_JIS trail
// byte 0x5C is no escape, and blanks and empty names are dropped.
TEST(ImapFolderList, EscapesOnlySingleByteCommasAndBackslashes) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(bw::ImapFolderList(""), Names{"INBOX"});
  EXPECT_EQ(bw::ImapFolderList(" , ,"), Names{"INBOX"});
  EXPECT_EQ(bw::ImapFolderList("INBOX, Sent ,,\x8E\x64\x8E\x96"), (Names{"INBOX", "Sent", "\x8E\x64\x8E\x96"}));
  // 表 ends in 0x5C: followed by "," it still ends the name.
  EXPECT_EQ(bw::ImapFolderList("\x95\x5C,a\\,b,c\\\\,d\\x,e\\"), (Names{"\x95\x5C", "a,b", "c\\", "d\\x", "e\\"}));
  const Names names{"a,b", "c\\", "\x95\x5C", "\x95\x5C,"};
  EXPECT_EQ(bw::JoinImapFolderList(names), "a\\,b,c\\\\,\x95\x5C,\x95\x5C\\,");
  EXPECT_EQ(bw::ImapFolderList(bw::JoinImapFolderList(names)), names);
}

}  // namespace
