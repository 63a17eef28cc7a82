// The IMAP replies of one check, read strictly and boundedly: one response
// (a line, and each literal it announces with the lines after it) read
// whole under one time-out, lines of at most 64 KiB and literals of at most
// 1 MiB, checked before anything is kept; then taken apart into its tag,
// status, response code and data.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "checker/core/check_outcome.h"
#include "checker/core/line_reader.h"

namespace bw {

constexpr std::size_t kImapLineMax = 64 * 1024;  // one line, CR LF included
constexpr std::size_t kImapLiteralMax = 1024 * 1024;
// One response: a literal at its limit and the lines around it.
constexpr std::size_t kImapResponseMax = kImapLiteralMax + 2 * kImapLineMax;

// Reads one response into `raw`: its lines and literals as received, the
// final CR LF removed, and logs it as "IMAP -> " with its first line and
// its byte count. 0, a LineResult of the reader, or ReplyTooLong (the
// reading stopped at the limit and a line says so; the caller closes the
// connection, whatever is still on the way is never read).
// With `quiet` a response read whole is not logged (the caller logs what
// matters); failures are logged all the same.
int ReadImapResponse(LineReader& reader, int timeoutMs, std::string* raw, bool quiet = false);

// How the literals of a response are bounded when they may be long and only
// their beginning matters (a message's header): a literal of up to `keep`
// bytes is kept whole; one of up to `readPast` bytes keeps its first `keep`
// bytes, the rest is read and dropped, and `raw` announces the kept size;
// a longer one ends the reading as above.
struct ImapLiteralBound {
  std::size_t keep = kImapLiteralMax;
  std::size_t readPast = 0;
};
int ReadImapResponse(LineReader& reader, int timeoutMs, std::string* raw, const ImapLiteralBound& bound,
                     bool quiet = false);

// Walks the tokens of a response.
class ImapTokens {
 public:
  explicit ImapTokens(const std::string& raw, std::size_t at = 0) : raw_(raw), at_(at) {}
  bool AtEnd() const { return at_ >= raw_.size(); }
  char Peek() const { return AtEnd() ? '\0' : raw_[at_]; }
  std::size_t Offset() const { return at_; }
  void Seek(std::size_t at) { at_ = at; }
  // Takes `c` when it comes next.
  bool Take(char c);
  // Skips spaces.
  void Blanks();
  // An atom: bytes up to a space, a bracket, a parenthesis or a control byte.
  bool Atom(std::string* out);
  // A number of at most 32 bits.
  bool Number(std::uint32_t* out);
  // A string as it may stand: quoted (with \" and \\), a literal, or an atom.
  bool String(std::string* out);
  // The rest of the response.
  std::string Rest() const { return AtEnd() ? std::string() : raw_.substr(at_); }

 private:
  const std::string& raw_;
  std::size_t at_;
};

// One response taken apart.
struct ImapReply {
  enum Kind { Untagged, Tagged, Continuation } kind = Untagged;
  std::string tag;     // Tagged
  std::uint32_t number = 0;  // "* 3 EXISTS" (hasNumber)
  bool hasNumber = false;
  std::string word;    // upper-cased: OK, NO, BAD, BYE, PREAUTH, CAPABILITY, STATUS, ...
  std::string code;    // the response code's name, upper-cased ("ALERT", "UNAVAILABLE")
  std::string codeData;  // what follows the name inside the brackets
  std::string text;    // status responses: the text after the code
  std::size_t data = 0;  // where the data after the word begins
  std::string challenge;  // a tagged reply: the server's last "+" text before it, if any
};
// False when `raw` is no response at all.
bool ParseImapReply(const std::string& raw, ImapReply* reply);

// The capability names of "CAPABILITY a b" data (upper-cased) into `caps`.
void TakeCapabilities(const std::string& raw, std::size_t at, std::set<std::string>* caps);

// The data of "* STATUS name (MESSAGES n UNSEEN n UIDNEXT n UIDVALIDITY n)".
struct ImapFolderStatus {
  std::string name;  // as the server wrote it
  std::uint32_t messages = 0, unseen = 0, uidNext = 0, uidValidity = 0;
  bool hasUnseen = false, hasUidNext = false, hasUidValidity = false;
};
bool ParseImapStatus(const std::string& raw, std::size_t at, ImapFolderStatus* status);

// The UIDs of "* SEARCH 3 5" data; false when it cannot be read.
bool ParseImapSearch(const std::string& raw, std::size_t at, std::vector<std::uint32_t>* uids);
// MIN and COUNT of "* ESEARCH (TAG "x") UID MIN 7 COUNT 3" data (0 when
// absent).
bool ParseImapEsearch(const std::string& raw, std::size_t at, std::uint32_t* min, std::uint32_t* count);
// The data of "* 3 FETCH (UID 7 BODY[HEADER.FIELDS (FROM SUBJECT DATE)] {n}
// ...)": the UID and the section's text (empty for NIL); items in any order,
// others passed over. False when it cannot be read or lacks either.
bool ParseImapFetchHeader(const std::string& raw, std::size_t at, std::uint32_t* uid, std::string* block);
// The sequence set of "* ESEARCH (TAG "x") UID ALL 3:5,9" data ("" when
// nothing matched).
bool ParseImapEsearchAll(const std::string& raw, std::size_t at, std::string* set);
// The highest `most` numbers of a sequence set ("3:5,9", ranges either way
// round; "*" is not allowed in an answer) that are `from` or above, highest
// first; false when it cannot be read.
bool NewestOfSequenceSet(const std::string& set, std::uint32_t from, std::size_t most,
                         std::vector<std::uint32_t>* numbers);

}  // namespace bw
