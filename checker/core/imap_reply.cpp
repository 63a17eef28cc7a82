// Reading and taking apart IMAP responses; see imap_reply.h.
#include "checker/core/imap_reply.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "common/core/log.h"

namespace bw {
namespace {

using Clock = std::chrono::steady_clock;

bool AtomByte(unsigned char c) {
  return c > 0x20 && c != 0x7F && c != '(' && c != ')' && c != '[' && c != ']' && c != '{' && c != '"';
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The announced size of a literal that ends `line` ("{12}" or "{12+}", CR
// LF already taken off); false when the line ends in none. A size beyond
// 32 bits reads as the largest, which no limit lets through.
bool LiteralSize(const std::string& raw, std::size_t lineStart, unsigned long long* size) {
  if (raw.size() <= lineStart || raw.back() != '}') return false;
  std::size_t i = raw.size() - 1;
  if (i > lineStart && raw[i - 1] == '+') --i;
  std::size_t digitsEnd = i;
  while (i > lineStart && raw[i - 1] >= '0' && raw[i - 1] <= '9') --i;
  if (i == digitsEnd || i == lineStart || raw[i - 1] != '{') return false;
  unsigned long long value = 0;
  for (std::size_t d = i; d < digitsEnd; ++d) {
    value = value * 10 + static_cast<unsigned>(raw[d] - '0');
    if (value > 0xFFFFFFFFULL) value = 0xFFFFFFFFULL + 1;
  }
  *size = value;
  return true;
}

}  // namespace

int ReadImapResponse(LineReader& reader, int timeoutMs, std::string* raw, bool quiet) {
  return ReadImapResponse(reader, timeoutMs, raw, ImapLiteralBound(), quiet);
}

int ReadImapResponse(LineReader& reader, int timeoutMs, std::string* raw, const ImapLiteralBound& bound,
                     bool quiet) {
  raw->clear();
  const std::string prefix = std::string(reader.LogName()) + " -> ";
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t received = 0;
  std::size_t firstLineEnd = std::string::npos;
  // The log shows the first line as far as it is plain text (the literals'
  // bytes never), and the byte count of the whole response.
  auto logResponse = [&] {
    std::size_t length = std::min({firstLineEnd, raw->size(), std::size_t(kPop3LineMax)});
    // A FETCH response may carry a message's text even outside a literal
    // (a quoted header): the log shows it up to the word FETCH only.
    const std::size_t fetch = raw->find(" FETCH ");
    if (raw->compare(0, 2, "* ") == 0 && fetch != std::string::npos && fetch < length &&
        raw->find_first_not_of("0123456789", 2) == fetch)
      length = fetch + 6;
    std::size_t cut = 0;
    for (std::size_t i = 1; i < length; ++i) {
      const unsigned char c = static_cast<unsigned char>((*raw)[i]);
      if (c < 0x20 || c >= 0x80) break;
      cut = i + 1;
    }
    LogWrite("%s%s(%u Bytes)\n", prefix.c_str(), VisibleServerText(raw->data(), cut).c_str(),
             static_cast<unsigned>(received));
  };
  for (;;) {
    const std::size_t lineStart = raw->size();
    bool afterCr = false;
    bool complete = false;
    while (!complete) {
      if (int rc = reader.WaitBytes(end, prefix.c_str())) return rc;
      const char* data = reader.Buffered();
      const int available = reader.UnreadBytes();
      int take = 0;
      while (take < available) {
        const char c = data[take++];
        if (afterCr && c == '\n') {
          complete = true;
          break;
        }
        afterCr = c == '\r';
      }
      const std::size_t lineLength = raw->size() - lineStart + static_cast<std::size_t>(take);
      if (lineLength > kImapLineMax || raw->size() + static_cast<std::size_t>(take) > kImapResponseMax) {
        // Nothing more is kept or read: the connection ends here.
        if (firstLineEnd == std::string::npos) firstLineEnd = raw->size();
        logResponse();
        LogWrite("IMAP応答の1行が%uﾊﾞｲﾄを超えたため読むのをやめました.\n", static_cast<unsigned>(kImapLineMax));
        return ReplyTooLong;
      }
      raw->append(data, static_cast<std::size_t>(take));
      reader.Consume(take);
      received += static_cast<std::size_t>(take);
    }
    raw->resize(raw->size() - 2);
    if (firstLineEnd == std::string::npos) firstLineEnd = raw->size();
    unsigned long long size = 0;
    if (!LiteralSize(*raw, lineStart, &size)) {
      if (!quiet) logResponse();
      return 0;
    }
    // The size is checked before a byte of the literal is kept.
    const std::size_t keepLimit = std::min(bound.keep, kImapLiteralMax);
    const unsigned long long kept = std::min<unsigned long long>(size, keepLimit);
    if ((size > keepLimit && size > bound.readPast) || raw->size() + 2 + kept > kImapResponseMax) {
      logResponse();
      LogWrite("IMAP応答のﾘﾃﾗﾙ(%.0fﾊﾞｲﾄ)が上限%uﾊﾞｲﾄを超えたため読むのをやめました.\n", static_cast<double>(size),
               static_cast<unsigned>(std::max(keepLimit, bound.readPast)));
      return ReplyTooLong;
    }
    if (kept < size) {
      // What stays of the literal is announced as what it is.
      raw->erase(raw->rfind('{'));
      *raw += "{" + std::to_string(kept) + "}";
    }
    *raw += "\r\n";
    std::size_t left = static_cast<std::size_t>(size);
    std::size_t keepLeft = static_cast<std::size_t>(kept);
    while (left > 0) {
      if (int rc = reader.WaitBytes(end, prefix.c_str())) return rc;
      const std::size_t take = std::min(left, static_cast<std::size_t>(reader.UnreadBytes()));
      const std::size_t keep = std::min(take, keepLeft);
      raw->append(reader.Buffered(), keep);
      keepLeft -= keep;
      reader.Consume(static_cast<int>(take));
      received += take;
      left -= take;
    }
  }
}

bool ImapTokens::Take(char c) {
  if (Peek() != c || AtEnd()) return false;
  ++at_;
  return true;
}

void ImapTokens::Blanks() {
  while (!AtEnd() && raw_[at_] == ' ') ++at_;
}

bool ImapTokens::Atom(std::string* out) {
  const std::size_t start = at_;
  while (!AtEnd() && AtomByte(static_cast<unsigned char>(raw_[at_]))) ++at_;
  if (at_ == start) return false;
  out->assign(raw_, start, at_ - start);
  return true;
}

bool ImapTokens::Number(std::uint32_t* out) {
  unsigned long long value = 0;
  const std::size_t start = at_;
  while (!AtEnd() && raw_[at_] >= '0' && raw_[at_] <= '9') {
    value = value * 10 + static_cast<unsigned>(raw_[at_++] - '0');
    if (value > 0xFFFFFFFFULL) return false;
  }
  if (at_ == start) return false;
  *out = static_cast<std::uint32_t>(value);
  return true;
}

bool ImapTokens::String(std::string* out) {
  out->clear();
  if (Take('"')) {
    while (!AtEnd()) {
      char c = raw_[at_++];
      if (c == '"') return true;
      if (c == '\\') {
        if (AtEnd()) return false;
        c = raw_[at_++];
        if (c != '"' && c != '\\') return false;
      }
      if (c == '\r' || c == '\n') return false;
      *out += c;
    }
    return false;
  }
  if (Take('{')) {
    std::uint32_t size = 0;
    if (!Number(&size)) return false;
    Take('+');
    if (!Take('}') || !Take('\r') || !Take('\n')) return false;
    if (raw_.size() - at_ < size) return false;
    out->assign(raw_, at_, size);
    at_ += size;
    return true;
  }
  return Atom(out);
}

bool ParseImapReply(const std::string& raw, ImapReply* reply) {
  *reply = ImapReply();
  ImapTokens t(raw);
  if (t.Take('+')) {
    reply->kind = ImapReply::Continuation;
    t.Blanks();
    reply->text = t.Rest();
    return true;
  }
  if (t.Take('*')) {
    reply->kind = ImapReply::Untagged;
  } else {
    reply->kind = ImapReply::Tagged;
    if (!t.Atom(&reply->tag)) return false;
  }
  if (!t.Take(' ')) return false;
  if (reply->kind == ImapReply::Untagged && t.Number(&reply->number)) {
    reply->hasNumber = true;
    if (!t.Take(' ')) return false;
  }
  if (!t.Atom(&reply->word)) return false;
  reply->word = Upper(reply->word);
  reply->data = t.Offset();
  const std::string& w = reply->word;
  if (w == "OK" || w == "NO" || w == "BAD" || w == "BYE" || w == "PREAUTH") {
    t.Blanks();
    if (t.Take('[')) {
      std::string name;
      if (!t.Atom(&name)) return false;
      reply->code = Upper(name);
      const std::size_t start = t.Offset();
      // The code's data runs to its closing bracket; quoted strings in it
      // may hold one.
      std::size_t i = start;
      bool quoted = false;
      while (i < raw.size() && (quoted || raw[i] != ']')) {
        if (raw[i] == '\\' && quoted) ++i;
        else if (raw[i] == '"') quoted = !quoted;
        ++i;
      }
      if (i >= raw.size()) return false;
      reply->codeData = raw.substr(start, i - start);
      reply->data = start;
      t.Seek(i + 1);
      t.Blanks();
    }
    reply->text = t.Rest();
  }
  return true;
}

void TakeCapabilities(const std::string& raw, std::size_t at, std::set<std::string>* caps) {
  caps->clear();
  ImapTokens t(raw, at);
  for (;;) {
    t.Blanks();
    std::string name;
    if (!t.Atom(&name)) break;
    caps->insert(Upper(name));
  }
}

bool ParseImapStatus(const std::string& raw, std::size_t at, ImapFolderStatus* status) {
  *status = ImapFolderStatus();
  ImapTokens t(raw, at);
  if (!t.Take(' ') || !t.String(&status->name) || !t.Take(' ') || !t.Take('(')) return false;
  for (;;) {
    t.Blanks();
    if (t.Take(')')) return true;
    std::string item;
    std::uint32_t value = 0;
    if (!t.Atom(&item) || !t.Take(' ')) return false;
    if (!t.Number(&value)) {
      // An item of an extension this client did not ask for.
      std::string skipped;
      if (!t.String(&skipped)) return false;
      continue;
    }
    item = Upper(item);
    if (item == "MESSAGES") {
      status->messages = value;
    } else if (item == "UNSEEN") {
      status->unseen = value;
      status->hasUnseen = true;
    } else if (item == "UIDNEXT") {
      status->uidNext = value;
      status->hasUidNext = true;
    } else if (item == "UIDVALIDITY") {
      status->uidValidity = value;
      status->hasUidValidity = true;
    }
  }
}

bool ParseImapSearch(const std::string& raw, std::size_t at, std::vector<std::uint32_t>* uids) {
  uids->clear();
  ImapTokens t(raw, at);
  for (;;) {
    t.Blanks();
    if (t.AtEnd()) return true;
    std::uint32_t uid = 0;
    if (t.Take('(')) {  // a MODSEQ item of CONDSTORE: not asked for, passed over
      const std::size_t close = raw.find(')', t.Offset());
      if (close == std::string::npos) return false;
      t.Seek(close + 1);
      continue;
    }
    if (!t.Number(&uid)) return false;
    uids->push_back(uid);
  }
}

namespace {

// Walks an ESEARCH response's data from `at`: the correlator "(TAG "x")" is
// passed over, so is the UID marker; `take` reads each result's value after
// its upper-cased name. False when the text is not such a response.
template <typename Take>
bool WalkEsearch(const std::string& raw, std::size_t at, Take take) {
  ImapTokens t(raw, at);
  t.Blanks();
  if (t.Take('(')) {
    while (!t.AtEnd() && !t.Take(')')) {
      std::string skipped;
      t.Blanks();
      if (!t.String(&skipped)) return false;
    }
  }
  for (;;) {
    t.Blanks();
    if (t.AtEnd()) return true;
    std::string name;
    if (!t.Atom(&name)) return false;
    name = Upper(name);
    if (name == "UID") continue;
    t.Blanks();
    if (!take(name, t)) return false;
  }
}

}  // namespace

bool ParseImapEsearch(const std::string& raw, std::size_t at, std::uint32_t* min, std::uint32_t* count) {
  *min = 0;
  *count = 0;
  return WalkEsearch(raw, at, [&](const std::string& name, ImapTokens& t) {
    if (name == "MIN" || name == "COUNT") {
      std::uint32_t value = 0;
      if (!t.Number(&value)) return false;
      (name == "MIN" ? *min : *count) = value;
      return true;
    }
    std::string skipped;  // ALL, MAX and others: a value this client did not ask for
    return t.String(&skipped);
  });
}

bool ParseImapEsearchAll(const std::string& raw, std::size_t at, std::string* set) {
  set->clear();
  return WalkEsearch(raw, at, [&](const std::string& name, ImapTokens& t) {
    std::string value;
    if (!t.String(&value)) return false;
    if (name == "ALL") *set = value;
    return true;
  });
}

bool NewestOfSequenceSet(const std::string& set, std::uint32_t from, std::size_t most,
                         std::vector<std::uint32_t>* numbers) {
  numbers->clear();
  struct Range {
    std::uint32_t low, high;
  };
  std::vector<Range> ranges;
  ImapTokens t(set);
  while (!t.AtEnd()) {
    std::uint32_t a = 0, b = 0;
    if (!t.Number(&a)) return false;
    b = a;
    if (t.Take(':') && !t.Number(&b)) return false;
    ranges.push_back({std::min(a, b), std::max(a, b)});
    if (!t.AtEnd() && !t.Take(',')) return false;
  }
  // Walks down from the highest number without spelling out the ranges,
  // which may hold millions.
  std::uint32_t below = UINT32_MAX;  // every number taken so far is above this
  bool any = false;
  while (numbers->size() < most) {
    bool found = false;
    std::uint32_t best = 0;
    for (const Range& r : ranges) {
      if (r.low > below || (any && r.low == below)) continue;
      const std::uint32_t top = any ? std::min<std::uint32_t>(r.high, below - 1) : r.high;
      if (!found || top > best) best = top;
      found = true;
    }
    if (!found || best < from) break;
    numbers->push_back(best);
    below = best;
    any = true;
    if (best == 0) break;
  }
  return true;
}

namespace {

// Passes over one value of a FETCH item: a parenthesised list (nested), a
// string, a literal or an atom.
bool SkipFetchValue(ImapTokens& t, int depth) {
  t.Blanks();
  if (!t.Take('(')) {
    std::string skipped;
    return t.String(&skipped);
  }
  if (depth > 32) return false;
  for (;;) {
    t.Blanks();
    if (t.Take(')')) return true;
    if (t.AtEnd() || !SkipFetchValue(t, depth + 1)) return false;
  }
}

}  // namespace

bool ParseImapFetchHeader(const std::string& raw, std::size_t at, std::uint32_t* uid, std::string* block) {
  *uid = 0;
  block->clear();
  bool hasUid = false, hasBlock = false;
  ImapTokens t(raw, at);
  t.Blanks();
  if (!t.Take('(')) return false;
  for (;;) {
    t.Blanks();
    if (t.Take(')')) return hasUid && hasBlock;
    std::string name;
    if (!t.Atom(&name)) return false;
    name = Upper(name);
    bool section = false;
    if (t.Peek() == '[') {
      const std::size_t close = raw.find(']', t.Offset());
      if (close == std::string::npos) return false;
      t.Seek(close + 1);
      section = true;
      if (t.Peek() == '<') {
        const std::size_t origin = raw.find('>', t.Offset());
        if (origin == std::string::npos) return false;
        t.Seek(origin + 1);
      }
    }
    t.Blanks();
    if (name == "UID") {
      if (!t.Number(uid)) return false;
      hasUid = true;
    } else if (section && (name == "BODY" || name == "BINARY")) {
      const bool atom = t.Peek() != '"' && t.Peek() != '{';
      if (!t.String(block)) return false;
      if (atom && Upper(*block) == "NIL") block->clear();
      hasBlock = true;
    } else if (!SkipFetchValue(t, 0)) {
      return false;
    }
  }
}

}  // namespace bw
