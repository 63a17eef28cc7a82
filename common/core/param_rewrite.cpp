// The in-place rewrites of the parameter file (see param_rewrite.h): one
// scanner tells the lines apart as the reader reads them, and each rewrite
// copies every line it does not replace byte for byte.
#include "common/core/param_rewrite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/core/account_record.h"
#include "common/core/param_file.h"
#include "common/core/param_syntax.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace bw {
namespace {

// One physical line of the file and what the reader makes of it.
struct ScannedLine {
  size_t begin, end;       // its bytes, line end included, cut at the text's end
  std::string key, value;  // tokenized; both empty for a skipped comment
  // The block depth the line stands at: a line opening a block stands
  // inside it, and so does the line closing it.
  int depth;
  bool closes;  // key or value "}"
};

// Whether comment lines are tokenized like any other line (and so may open
// or close a block) or are skipped as the reader skips them.
enum class CommentLines { kTokenized, kSkipped };

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

// Text mode ends the text at a Ctrl-Z: what follows is no line of the file,
// and a rewrite copies it unread.
size_t TextEnd(const std::string& bytes) { return std::min(bytes.find('\x1A'), bytes.size()); }

// Every physical line of the text (NUL bytes, lone CRs, LF-only line ends
// and over-long lines included); the lines are only told apart as the
// reader reads them.
std::vector<ScannedLine> ScanLines(const std::string& bytes, CommentLines comments) {
  std::vector<ScannedLine> lines;
  const size_t textEnd = TextEnd(bytes);
  int depth = 0;
  for (size_t begin = 0; begin < textEnd;) {
    size_t end = bytes.find('\n', begin);
    end = std::min(end == std::string::npos ? bytes.size() : end + 1, textEnd);
    char piece[388];
    FirstPiece(bytes, begin, end, piece, sizeof piece);
    const char* key = "";
    const char* value = "";
    if (comments == CommentLines::kTokenized || !IsCommentLine(piece)) TokenizeLine(piece, &key, &value);
    if (std::strcmp(value, "{") == 0) ++depth;
    const bool closes = std::strcmp(key, "}") == 0 || std::strcmp(value, "}") == 0;
    lines.push_back({begin, end, key, value, depth, closes});
    if (closes) --depth;
    begin = end;
  }
  return lines;
}

void CopyLine(TextOutput& out, const std::string& bytes, const ScannedLine& line) {
  out.WriteRaw(bytes.data() + line.begin, line.end - line.begin);
}

void CopyTail(TextOutput& out, const std::string& bytes) {
  const size_t textEnd = TextEnd(bytes);
  if (textEnd < bytes.size()) out.WriteRaw(bytes.data() + textEnd, bytes.size() - textEnd);
}

const char kAccountClass[] = "AncestryPop3Checker::RingListClass";

// Which account block (counted from 0) each line stands in; -1 for a line
// outside every account block, or inside a block nested in one.
std::vector<int> AccountOfLines(const std::vector<ScannedLine>& lines, int* accounts) {
  std::vector<int> account;
  *accounts = 0;
  int inAccount = -1;
  for (const ScannedLine& l : lines) {
    if (l.depth == 2 && l.value == "{" && l.key == kAccountClass) inAccount = (*accounts)++;
    account.push_back(l.depth == 2 ? inAccount : -1);
    if (l.closes && l.depth <= 2) inAccount = -1;
  }
  return account;
}

// The one account block named by these three keys (the first line of each
// key counts, as for the reader); -1 when none is, -2 when two are and which
// one is meant is not known.
int FindAccount(const std::vector<ScannedLine>& lines, const std::vector<int>& account, int accounts,
                const std::vector<std::string>& wanted) {
  static const char* const kNameKeys[] = {"ConnectionName", "HostName", "UserID"};
  std::vector<std::vector<std::string>> names(accounts, std::vector<std::string>(3));
  std::vector<std::vector<bool>> seen(accounts, std::vector<bool>(3, false));
  for (size_t n = 0; n < lines.size(); ++n) {
    if (account[n] < 0) continue;
    for (int k = 0; k < 3; ++k) {
      if (lines[n].key == kNameKeys[k] && !seen[account[n]][k]) {
        names[account[n]][k] = lines[n].value;
        seen[account[n]][k] = true;
      }
    }
  }
  int found = -1;
  for (int i = 0; i < accounts; ++i) {
    if (names[i] != wanted) continue;
    if (found >= 0) return -2;
    found = i;
  }
  return found;
}

}  // namespace

GeometrySave SaveGeometry(const AncestryPop3Controller& controller, const std::string& path) {
  std::string bytes;
  // Without the original there is nothing to rewrite, and replacing it with
  // an empty file would lose the configuration.
  RecoverParameterFile(path);
  if (!ReadFileBytes(path, &bytes)) return GeometrySave::kNoFile;
  FileReplacement replacement(path);
  if (!replacement.Open()) {
    ShowMessageBox("ジオメトリ保存失敗[" + replacement.WorkPath() + "]", "Bellwick", kMbTaskModal);
    return GeometrySave::kNotCreated;
  }
  TextOutput& out = replacement.Out();
  char position[64], size[64];
  std::snprintf(position, sizeof position, "\tWindowPosition\t%d,%d\n", controller.windowX,
                controller.windowY);
  std::snprintf(size, sizeof size, "\tWindowSize\t%d,%d\n", controller.windowWidthSetting,
                controller.windowHeightSetting);

  // Unlike the reader and the token rewrite, this rewrite has always
  // tokenized comment lines too (a comment ending in a brace counts as one);
  // it stays so, so that it treats every file as it always did.
  bool positionWritten = false, sizeWritten = false;
  for (const ScannedLine& l : ScanLines(bytes, CommentLines::kTokenized)) {
    if (l.depth == 1 && l.key == "WindowPosition") {
      out.Write(position);
      positionWritten = true;
    } else if (l.depth == 1 && l.key == "WindowSize") {
      out.Write(size);
      sizeWritten = true;
    } else {
      // The controller's own lines end where its first child block begins.
      if (l.depth == 2) {
        if (!positionWritten) out.Write(position);
        if (!sizeWritten) out.Write(size);
        positionWritten = sizeWritten = true;
      }
      CopyLine(out, bytes, l);
    }
  }
  CopyTail(out, bytes);
  // The work file replaces the original only when it was written whole; the
  // checker does not report a failed write or move at exit.
  return replacement.Commit() ? GeometrySave::kSaved : GeometrySave::kNotWritten;
}

bool SaveAccountToken(const std::string& path, const std::string& connectionName, const std::string& hostName,
                      const std::string& userId, const std::string& stored, bool* alike) {
  std::string bytes;
  RecoverParameterFile(path);
  if (!ReadFileBytes(path, &bytes)) return false;
  std::vector<std::string> pieces;
  if (!SplitValuePieces(stored, kValuePieceLength, &pieces)) return false;

  const std::vector<ScannedLine> lines = ScanLines(bytes, CommentLines::kSkipped);
  int accounts = 0;
  const std::vector<int> account = AccountOfLines(lines, &accounts);
  const int target = FindAccount(lines, account, accounts, {connectionName, hostName, userId});
  if (alike) *alike = target == -2;
  if (target < 0) return false;

  FileReplacement replacement(path);
  if (!replacement.Open(!stored.empty())) return false;
  TextOutput& out = replacement.Out();
  // The token goes where its first line (or piece) stood, or before the
  // block's closing line; every other line of the value is dropped.
  bool written = false;
  auto writeToken = [&]() {
    for (size_t i = 0; !written && i < pieces.size(); ++i)
      out.Printf("\t\tOAuthToken%s\t%s\n", i == 0 ? "" : std::to_string(i + 1).c_str(), pieces[i].c_str());
    written = true;
  };
  for (size_t n = 0; n < lines.size(); ++n) {
    const ScannedLine& l = lines[n];
    if (account[n] == target && ValuePieceNumber(l.key.c_str()) != 0) {
      writeToken();
      continue;
    }
    if (account[n] == target && l.closes) writeToken();
    CopyLine(out, bytes, l);
  }
  CopyTail(out, bytes);
  return replacement.Commit();
}

}  // namespace bw
