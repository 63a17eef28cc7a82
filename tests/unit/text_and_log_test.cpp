// Text-mode file emulation, Shift_JIS lower-casing and the log file.
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/core/log.h"
#include "common/core/param_syntax.h"
#include "common/core/sjis.h"
#include "common/core/text_file.h"
#include "tests/unit/test_support.h"

namespace {

using bw_test::Crlf;
using bw_test::ReadBytes;
using bw_test::ScratchTest;
using bw_test::WriteBytes;

std::vector<std::string> Lines(const std::string& bytes, int size = bw::kLineBufferSize) {
  bw::TextInput in(bytes);
  std::vector<std::string> lines;
  std::vector<char> buffer(static_cast<size_t>(size));
  while (in.ReadLine(buffer.data(), size)) lines.push_back(buffer.data());
  return lines;
}

TEST(TextModeReading, CrLfCountsAsOneByteSoLongLinesSplitWhereWindowsSplitsThem) {
  std::string line(400, 'a');
  auto lines = Lines(line + "\r\nnext\r\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(383, 'a'));
  EXPECT_EQ(lines[1], std::string(17, 'a') + "\n");
  EXPECT_EQ(lines[2], "next\n");

  // 383 bytes then CR LF: the pair is one byte and lands in the next piece.
  lines = Lines(std::string(383, 'b') + "\r\nx");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "\n");
  EXPECT_EQ(lines[2], "x");
}

TEST(TextModeReading, BareLfAndCrLfFilesReadTheSame) {
  EXPECT_EQ(Lines("a\tb\nc\n"), Lines("a\tb\r\nc\r\n"));
}

TEST(TextModeReading, LoneCrStaysAndCtrlZEndsTheFile) {
  auto lines = Lines("x\r\r\ny\x1Ahidden\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "x\r\n");
  EXPECT_EQ(lines[1], "y");
}

TEST_F(ScratchTest, TextOutputStoresEveryLineFeedAsCrLf) {
  bw::TextOutput out;
  ASSERT_TRUE(out.Open(Path("o.txt")));
  out.Printf("%s\t%d\n", "Key", 5);
  out.Write("a\r\nb");
  ASSERT_TRUE(out.Close());
  EXPECT_EQ(ReadBytes(Path("o.txt")), "Key\t5\r\na\r\r\nb");
}

TEST(ShiftJisLowerCase, TrailBytesInTheLetterRangeAreNeverChanged) {
  std::string text = "C:\\ア\\Viewer.EXE";  // ア is 0x83 0x41
  bw::LowerCaseSjis(text);
  EXPECT_EQ(text, "c:\\ア\\viewer.exe");
  EXPECT_EQ(static_cast<unsigned char>(text[3]), 0x83);
  EXPECT_EQ(text[4], 'A');

  std::string lastLead = "AB\x83";
  bw::LowerCaseSjis(lastLead);
  EXPECT_EQ(lastLead, "ab\x83");
}

TEST(ShiftJisPaths, ATrailByte5CIsNoSeparatorEveryKindOfSeparatorCountsAndRootsKeepTheirs) {
  const std::string path = "C:\\ソ\\表.EXE";  // ソ is 0x83 0x5C, 表 0x95 0x5C
  EXPECT_EQ(path.substr(bw::FileNameStart(path)), "表.EXE");
  EXPECT_EQ(path.substr(0, bw::FileNameStart(path)), "C:\\ソ\\");
  EXPECT_EQ(bw::FileNameStart("a/b\\c"), 4u);
  EXPECT_EQ(bw::FileNameStart("D:prog.exe"), 2u);
  EXPECT_EQ(bw::FileNameStart("prog.exe"), 0u);
  EXPECT_EQ(bw::FileNameStart(""), 0u);
  EXPECT_EQ(bw::FileNameStart("dir\\"), 4u);
  EXPECT_EQ(bw::FileNameStart("x\\\x83"), 2u);  // a lead byte standing last
  EXPECT_EQ(bw::FileNamePart("C:\\dir\\ソ"), "ソ");
  EXPECT_EQ(bw::FolderPart("D:prog.exe"), "D:");
  EXPECT_EQ(bw::ExtensionPart("D:\\x.y\\ソ"), "");
  EXPECT_EQ(bw::ExtensionPart("D:\\x\\a.b.EXE"), ".EXE");
  EXPECT_EQ(bw::WithoutTrailingSeparator("C:\\表"), "C:\\表");
  EXPECT_EQ(bw::WithoutTrailingSeparator("C:\\a\\\\"), "C:\\a\\");
  EXPECT_EQ(bw::WithoutTrailingSeparator("C:/a/"), "C:/a");
  EXPECT_EQ(bw::WithoutTrailingSeparator("\\"), "\\");
  EXPECT_EQ(bw::WithoutTrailingSeparator("C:\\"), "C:\\");
}

TEST_F(ScratchTest, LogWritesNothingBeforeSetUpOrWithoutNameOrLimit) {
  bw::LogWrite("dropped\n");
  EXPECT_FALSE(bw_test::FileExists(Path("test.log")));
  bw::LogSetup(Path("test.log"), 0);
  bw::LogWrite("dropped\n");
  EXPECT_FALSE(bw_test::FileExists(Path("test.log")));
  bw::LogSetup("", 10);
  bw::LogWrite("dropped\n");
  EXPECT_FALSE(bw_test::FileExists(Path("test.log")));
}

TEST_F(ScratchTest, LogSetUpDeletesThePreviousLogAndPiecesJoinIntoOneLine) {
  WriteBytes(Path("test.log"), "old run\r\n");
  StartLog();
  EXPECT_FALSE(bw_test::FileExists(Path("test.log")));
  bw::LogWrite("POP3 <- %s", "+OK");
  bw::LogWrite("\n");
  bw::LogWrite("%sが定義されていません.", "Password");
  bw::LogWrite("next\n");
  EXPECT_EQ(LogText(), Crlf("POP3 <- +OK\nPasswordが定義されていません.next\n"));
}

TEST_F(ScratchTest, LogRefreshesOnlyWhenTheFileIsBeyondTheLimit) {
  StartLog(1);
  WriteBytes(Path("test.log"), std::string(1024, 'x'));
  bw::LogWrite("at limit\n");
  EXPECT_EQ(LogText(), std::string(1024, 'x') + "at limit\r\n");

  bw::LogWrite("beyond\n");
  EXPECT_EQ(LogText(), Crlf("Logfile was Refreshed.  [MAX=1 KBytes.]\nbeyond\n"));
}

TEST_F(ScratchTest, HugeLimitDoesNotOverflowIntoARefreshOfEveryWrite) {
  StartLog(2147483647);
  bw::LogWrite("one\n");
  bw::LogWrite("two\n");
  EXPECT_EQ(LogText(), Crlf("one\ntwo\n"));
}

// The log formats its most frequent conversions itself; every write must
// still hold exactly what printf makes of it, the rarer conversions (left
// to the C library) and a text longer than the log's own buffer included.
TEST_F(ScratchTest, LogWritesExactlyWhatPrintfFormats) {
  StartLog();
  const std::string longText(700, 'L');
  std::string expected;
  auto both = [&](auto... args) {
    char text[1024];
    std::snprintf(text, sizeof text, args...);
    expected += text;
    bw::LogWrite(args...);
  };
  both("plain\n");
  both("%d|%d|%d|%d|%d\n", 0, 7, -42, INT_MAX, INT_MIN);
  both("%s(%d Bytes)\n", "1 00000001", 20);
  both("%s%%%s|100%%\n", "", "x");
  both("%3d|%-4s|%u|%2.2f|%c|%x\n", 5, "ab", 4000000000u, 1.005, 'q', 255);
  both("%s and %s\n", longText.c_str(), "more");
  both("%s %5d tail", longText.c_str(), 9);
  both("\n");
  EXPECT_EQ(LogText(), Crlf(expected));
}

// Writes of varied lengths, pieces without line feeds among them, that run
// through a 1 KB limit several times.
void WriteListing() {
  for (int i = 0; i < 120; ++i) {
    bw::LogWrite("POP3 <- %s", std::string(static_cast<size_t>(i % 37), 'r').c_str());
    bw::LogWrite(" line %d\n", i);
  }
}

TEST_F(ScratchTest, BatchedLogLeavesTheBytesAndRefreshesOfWritingLineByLine) {
  for (const std::string& start : {std::string(), std::string(1500, 'o'), std::string(1024, 'k')}) {
    bw::LogSetup(Path("one.log"), 1);
    WriteBytes(Path("one.log"), start);
    WriteListing();
    bw::LogSetup(Path("batch.log"), 1);
    WriteBytes(Path("batch.log"), start);
    {
      bw::LogBatch batch;
      bw::LogBatch nested;
      WriteListing();
      EXPECT_EQ(ReadBytes(Path("batch.log")), start);  // nothing written yet
    }
    EXPECT_EQ(ReadBytes(Path("batch.log")), ReadBytes(Path("one.log"))) << start.size();
    EXPECT_NE(ReadBytes(Path("one.log")).find("Logfile was Refreshed."), std::string::npos);
  }
}

TEST_F(ScratchTest, LogDeletedBetweenBatchesIsCreatedAgain) {
  StartLog();
  { bw::LogBatch batch; bw::LogWrite("first\n"); }
  std::filesystem::remove(Path("test.log"));
  { bw::LogBatch batch; bw::LogWrite("second\n"); }
  EXPECT_EQ(LogText(), "second\r\n");
}

TEST_F(ScratchTest, LogInMissingFolderSwitchesLoggingOffForTheRestOfTheRun) {
  bw::LogSetup(Path("missing/test.log"), 10);
  bw::LogWrite("lost\n");
  std::filesystem::create_directory(Path("missing"));
  bw::LogWrite("still lost\n");
  EXPECT_FALSE(bw_test::FileExists(Path("missing/test.log")));
}

}  // namespace
