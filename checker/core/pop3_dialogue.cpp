// The replies of the POP3 dialogue that carry data: the APOP challenge of
// the greeting, a temporary login refusal, the STAT count and the lines of a
// UIDL listing.
#include "checker/core/pop3_dialogue.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "checker/core/line_reader.h"
#include "checker/core/uidl_list.h"
#include "common/core/log.h"

namespace bw {
namespace {

bool Printable(unsigned char c) { return c >= 0x21 && c <= 0x7F; }
bool EndsText(unsigned char c) { return c < 0x20 || c >= 0x80; }

}  // namespace

const char* TemporaryRefusalCode(const char* reply) {
  static const char* const kCodes[] = {"[IN-USE]", "[LOGIN-DELAY]", "[SYS/TEMP]"};
  if (std::strncmp(reply, "-ERR ", 5) != 0) return nullptr;
  const char* text = reply + 5;
  for (const char* code : kCodes) {
    std::size_t i = 0;
    while (code[i] && std::toupper(static_cast<unsigned char>(text[i])) == code[i]) ++i;
    if (!code[i]) return code;
  }
  return nullptr;
}

bool ParseStatCount(const char* reply, std::uint32_t* count) {
  // The count is the word after "+OK " and must be followed by a space.
  // A word that is not a decimal number within an int is refused as well,
  // rather than read as some other count or shown negative.
  if (std::strlen(reply) < 4) return false;
  const char* p = reply + 4;
  const char* end = p;
  while (Printable(static_cast<unsigned char>(*end))) ++end;
  if (*end != ' ' || end == p || end - p > 10) return false;
  unsigned long long value = 0;
  for (const char* q = p; q < end; ++q) {
    if (*q < '0' || *q > '9') return false;
    value = value * 10 + unsigned(*q - '0');
  }
  if (value > INT_MAX) return false;
  *count = static_cast<std::uint32_t>(value);
  return true;
}

UidlLine ParseUidlLine(const char* line) {
  const char* p = line;
  while (Printable(static_cast<unsigned char>(*p))) ++p;
  if (*p != ' ') return {UidlLine::Skipped, {}, {}};
  const char* uid = p + 1;
  const char* uidEnd = uid;
  while (*uidEnd && !EndsText(static_cast<unsigned char>(*uidEnd))) ++uidEnd;
  UidlLine parsed{UidlLine::Entry, std::string_view(line, static_cast<std::size_t>(p - line)),
                  std::string_view(uid, static_cast<std::size_t>(uidEnd - uid))};
  if (parsed.number.size() > kMessageNumberMaxLength)
    parsed.kind = UidlLine::NumberTooLong;
  else if (parsed.uid.size() > kUidMaxLength)
    parsed.kind = UidlLine::UidTooLong;
  return parsed;
}

void TakeChallenge(char* greeting, std::string& challenge) {
  challenge.clear();
  char* start = nullptr;
  for (char* p = greeting; *p; ++p) {
    if (*p == '<') {
      start = p;
    } else if (*p == '>' && start) {
      p[1] = '\0';
      challenge.assign(start, p + 1);
      // The server chose these bytes: the log shows them, never obeys them.
      LogWrite("\tChallengeStrings=%s\n",
               VisibleServerText(challenge.data(), challenge.size()).c_str());
      return;
    }
  }
}

}  // namespace bw
