// Parameter file as a whole: start-up reading, loading, saving, geometry.
#include "common/core/param_file.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "common/core/log.h"
#include "common/core/param_syntax.h"
#include "platform/message_box.h"

namespace bw {
namespace {

const char kControllerClass[] = "AncestryPop3Controller::RingListClass";
const char kCheckerCaption[] = "Bellwick";
const char kConfiguratorCaption[] = "Knobset";

void ShowConfiguratorBox(const std::string& text, unsigned style = kMbOk) {
  ShowMessageBox(text, kConfiguratorCaption, style);
}

}  // namespace

int ReadParameterFile(const std::string& path, AncestryPop3Controller& controller,
                      ParameterFileHeader* header) {
  TextInput in;
  if (!in.Open(path)) {
    header->fileVersion.clear();
    header->logFileName.clear();
    header->logFileLimit = 16384;
    return -1;
  }
  return ReadParameterFile(in, controller, header);
}

int ReadParameterFile(TextInput& in, AncestryPop3Controller& controller,
                      ParameterFileHeader* header) {
  // A file full of unknown keys would otherwise open and close the log once
  // per line.
  LogBatch batch;
  header->fileVersion.clear();
  header->logFileName.clear();
  header->logFileLimit = 16384;
  BlockLine line;
  for (;;) {
    if (!ReadBlockLine(in, &line)) return -1;
    if (std::strcmp(line.key, "--EOF--") == 0) return 0;
    if (std::strcmp(line.value, "{") != 0) {
      if (std::strcmp(line.key, "FileVersion") == 0) header->fileVersion = line.value;
      else if (std::strcmp(line.key, "LogFileName") == 0) header->logFileName = line.value;
      else if (std::strcmp(line.key, "LogFileLimit") == 0) header->logFileLimit = AtoiValue(line.value);
      continue;
    }
    // Each class block opening sets the log up again, so only settings that
    // stand before the first block take effect.
    if (!header->logFileName.empty() && header->logFileLimit > 0)
      LogSetup(header->logFileName, header->logFileLimit);
    if (std::strcmp(line.key, kControllerClass) != 0) {
      LogWrite("クラス [%s] は認識できません.\n", line.key);
      continue;
    }
    return controller.ReadBlock(in);
  }
}

std::unique_ptr<AncestryPop3Controller> LoadParameterFile(const std::string& path,
                                                          ParameterFileHeader* header) {
  header->fileVersion = FormatInt("0x%04X", kFileVersion);
  header->logFileName.clear();
  header->logFileLimit = 0;

  TextInput in;
  if (!in.Open(path)) return nullptr;
  BlockLine line;
  while (ReadBlockLine(in, &line)) {
    if (std::strcmp(line.key, "--EOF--") == 0) break;
    if (std::strcmp(line.value, "{") == 0) {
      if (std::strcmp(line.key, kControllerClass) != 0) {
        char text[kLineBufferSize + 64];
        std::snprintf(text, sizeof text, "クラス [%s] は認識できません.", line.key);
        ShowConfiguratorBox(text);
        continue;
      }
      std::unique_ptr<AncestryPop3Controller> controller(new (std::nothrow) AncestryPop3Controller());
      if (!controller) {
        ShowConfiguratorBox("メモリが足りません.");
        return nullptr;
      }
      // Whatever was read up to a format error is kept for editing.
      controller->ReadBlock(in);
      return controller;
    }
    if (std::strcmp(line.key, "FileVersion") == 0) {
      header->fileVersion = line.value;
      // Text that is not a hexadecimal number reads as version 0.
      unsigned long version = std::strtoul(line.value, nullptr, 16);
      if (version > static_cast<unsigned long>(kFileVersion))
        ShowConfiguratorBox("ファイルバージョンが違います\r\nパラメータ保存が全部できない恐れがあります.");
    } else if (std::strcmp(line.key, "LogFileName") == 0) {
      header->logFileName = line.value;
    } else if (std::strcmp(line.key, "LogFileLimit") == 0) {
      header->logFileLimit = AtoiValue(line.value);
    }
  }
  return nullptr;
}

bool CheckListLimits(const AncestryPop3Controller& controller) {
  int accounts = RingCount(controller.accountHead);
  const char* message = nullptr;
  if (accounts < 1) message = "接続先は１箇所以上設定して下さい.";
  else if (accounts > 256) message = "接続先は２５６箇所までしか登録できません.";
  else if (RingCount(controller.menuHead) > 9) message = "メニューは９件までしか登録できません.";
  else if (RingCount(controller.autoExecHead) > 16) message = "自動実行ｱﾌﾟﾘは１６件までしか登録できません.";
  if (!message) return true;
  ShowConfiguratorBox(message);
  return false;
}

bool SaveParameterFile(const std::string& path, const std::string& logFileName,
                       int logFileLimit, AncestryPop3Controller& controller,
                       void (*afterSave)(void*), void* context) {
  if (!CheckListLimits(controller)) return false;
  // The new file is written beside the old one and moved over it only when
  // complete, so a failed or interrupted save never leaves a cut-off file.
  FileReplacement replacement(path);
  bool ok = replacement.Open(HoldsToken(controller));
  if (ok) {
    TextOutput& out = replacement.Out();
    out.Write(";Bellwick\n");
    out.Printf("FileVersion\t%s\n", FormatInt("0x%04x", kFileVersion).c_str());
    out.Printf("LogFileName\t%s\n", logFileName.c_str());
    out.Printf("LogFileLimit\t%d\n", logFileLimit);
    controller.WriteBlock(out, 0);
    out.Write("--EOF--\n");
    // A write that failed part-way (disk full) or a move that failed is
    // reported like a file that could not be created, never as saved.
    ok = replacement.Commit();
  }
  // A read-only file is refused with the same message, untouched.
  if (!ok) {
    ShowConfiguratorBox(path + " ファイルが作成できません.");
    return false;
  }
  if (afterSave) afterSave(context);
  ShowConfiguratorBox("保存しました.", kMbIconInformation);
  return true;
}

namespace {

// The line as the checker's reader sees its first piece: a CR LF pair counts
// as one byte, the rest is cut at the rewrite's buffer, and the text ends at
// a NUL like any C text. Whether the last byte is CR or LF does not matter:
// the tokenizer trims both.
void FirstPiece(const std::string& bytes, size_t begin, size_t end, char* piece, size_t size) {
  size_t length = end - begin;
  if (length >= 2 && bytes[end - 2] == '\r' && bytes[end - 1] == '\n') --length;
  if (length > size - 1) length = size - 1;
  std::memcpy(piece, bytes.data() + begin, length);
  piece[length] = '\0';
}

}  // namespace

void SaveGeometry(const AncestryPop3Controller& controller, const std::string& path) {
  std::string bytes;
  // Without the original there is nothing to rewrite, and replacing it with
  // an empty file would lose the configuration.
  if (!ReadFileBytes(path, &bytes)) return;
  FileReplacement replacement(path);
  if (!replacement.Open()) {
    ShowMessageBox("ジオメトリ保存失敗[" + replacement.WorkPath() + "]", kCheckerCaption,
                   kMbTaskModal);
    return;
  }
  TextOutput& out = replacement.Out();
  char position[64], size[64];
  std::snprintf(position, sizeof position, "\tWindowPosition\t%d,%d\n", controller.windowX,
                controller.windowY);
  std::snprintf(size, sizeof size, "\tWindowSize\t%d,%d\n", controller.windowWidthSetting,
                controller.windowHeightSetting);

  // Every physical line is copied byte for byte (NUL bytes, lone CRs, LF-only
  // line ends and over-long lines included) unless it is one of the two
  // geometry lines; the lines are only told apart as the reader reads them.
  // Text mode ends the text at a Ctrl-Z: what follows is copied unread.
  const size_t textEnd = std::min(bytes.find('\x1A'), bytes.size());
  int depth = 0;
  bool positionWritten = false, sizeWritten = false;
  for (size_t begin = 0; begin < bytes.size();) {
    size_t end = bytes.find('\n', begin);
    end = end == std::string::npos ? bytes.size() : end + 1;
    if (begin >= textEnd) {
      out.WriteRaw(bytes.data() + begin, bytes.size() - begin);
      break;
    }
    char piece[388];
    FirstPiece(bytes, begin, std::min(end, textEnd), piece, sizeof piece);
    const char* key;
    const char* value;
    TokenizeLine(piece, &key, &value);
    if (std::strcmp(value, "{") == 0) ++depth;

    if (depth == 1 && std::strcmp(key, "WindowPosition") == 0) {
      out.Write(position);
      positionWritten = true;
    } else if (depth == 1 && std::strcmp(key, "WindowSize") == 0) {
      out.Write(size);
      sizeWritten = true;
    } else {
      if (depth == 2) {
        if (!positionWritten) out.Write(position);
        if (!sizeWritten) out.Write(size);
        positionWritten = sizeWritten = true;
      }
      out.WriteRaw(bytes.data() + begin, end - begin);
    }
    if (std::strcmp(key, "}") == 0 || std::strcmp(value, "}") == 0) --depth;
    begin = end;
  }
  // The work file replaces the original only when it was written whole; a
  // failed move is not reported.
  replacement.Commit();
}

bool HoldsToken(const AncestryPop3Controller& controller) {
  bool holds = false;
  WalkRing(controller.accountHead, [&holds](AncestryPop3Checker* a) { holds = holds || !a->OAuthToken.empty(); });
  return holds;
}

bool SaveAccountToken(const std::string& path, const std::string& connectionName, const std::string& hostName,
                      const std::string& userId, const std::string& stored) {
  std::string bytes;
  if (!ReadFileBytes(path, &bytes)) return false;
  std::vector<std::string> pieces;
  if (!SplitValuePieces(stored, kValuePieceLength, &pieces)) return false;

  // The lines as the reader sees them, with the account block each is in.
  struct Line {
    size_t begin, end;
    int account;  // index of the account block holding the line, or -1
    std::string key, value;
  };
  std::vector<Line> lines;
  const size_t textEnd = std::min(bytes.find('\x1A'), bytes.size());
  int depth = 0;
  int accounts = 0;
  int inAccount = -1;
  for (size_t begin = 0; begin < textEnd;) {
    size_t end = bytes.find('\n', begin);
    end = end == std::string::npos ? bytes.size() : end + 1;
    char piece[388];
    FirstPiece(bytes, begin, std::min(end, textEnd), piece, sizeof piece);
    const char* key = "";
    const char* value = "";
    if (!IsCommentLine(piece)) TokenizeLine(piece, &key, &value);
    if (std::strcmp(value, "{") == 0) {
      ++depth;
      if (depth == 2 && std::strcmp(key, "AncestryPop3Checker::RingListClass") == 0) inAccount = accounts++;
    }
    lines.push_back({begin, std::min(end, textEnd), depth == 2 ? inAccount : -1, key, value});
    if (std::strcmp(key, "}") == 0 || std::strcmp(value, "}") == 0) {
      if (depth == 2) lines.back().account = inAccount;
      --depth;
      if (depth < 2) inAccount = -1;
    }
    begin = end;
  }
  // The account's block: the one that names it (first lines of a key count,
  // as for the reader).
  std::vector<std::vector<std::string>> names(accounts, std::vector<std::string>(3));
  std::vector<std::vector<bool>> seen(accounts, std::vector<bool>(3, false));
  const char* const kNameKeys[] = {"ConnectionName", "HostName", "UserID"};
  for (const Line& l : lines) {
    if (l.account < 0) continue;
    for (int k = 0; k < 3; ++k) {
      if (l.key == kNameKeys[k] && !seen[l.account][k]) {
        names[l.account][k] = l.value;
        seen[l.account][k] = true;
      }
    }
  }
  int accountIndex = -1;
  for (int i = 0; i < accounts; ++i) {
    if (names[i] != std::vector<std::string>{connectionName, hostName, userId}) continue;
    if (accountIndex >= 0) return false;  // two alike: which one is meant is not known
    accountIndex = i;
  }
  if (accountIndex < 0) return false;

  auto isTokenKey = [](const std::string& key) {
    if (key.compare(0, 10, "OAuthToken") != 0) return false;
    for (size_t i = 10; i < key.size(); ++i)
      if (key[i] < '0' || key[i] > '9') return false;
    return key.size() == 10 || key[10] != '0';
  };
  FileReplacement replacement(path);
  if (!replacement.Open(!stored.empty())) return false;
  TextOutput& out = replacement.Out();
  auto writeToken = [&]() {
    for (size_t i = 0; i < pieces.size(); ++i)
      out.Printf("\t\tOAuthToken%s\t%s\n", i == 0 ? "" : std::to_string(i + 1).c_str(), pieces[i].c_str());
  };
  bool written = false;
  for (size_t n = 0; n < lines.size(); ++n) {
    const Line& l = lines[n];
    const bool closes = l.account == accountIndex && (l.key == "}" || l.value == "}");
    if (l.account == accountIndex && isTokenKey(l.key)) {
      if (!written) writeToken();
      written = true;
      continue;
    }
    if (closes && !written) {
      writeToken();
      written = true;
    }
    out.WriteRaw(bytes.data() + l.begin, l.end - l.begin);
  }
  if (textEnd < bytes.size()) out.WriteRaw(bytes.data() + textEnd, bytes.size() - textEnd);
  return replacement.Commit();
}

}  // namespace bw
