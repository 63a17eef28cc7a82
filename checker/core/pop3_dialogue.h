// The POP3 dialogue of one check: the named results of its steps and the
// parsing of the replies that carry data. The steps themselves are
// operations of Pop3Checker (pop3_dialogue.cpp); the line framing under
// them is the LineReader.
#pragma once
#include <cstdint>
#include <string_view>

namespace bw {

// Connect: socket, connect with time-out, greeting.
enum ConnectResult : int {
  ConnectOk = 0,
  ConnectSocketFailed = -10,
  ConnectFailed = -20,  // refused or timed out
  ConnectGreetingFailed = -30,
  ConnectRefusedByServer = -31,  // greeting not "+OK"
  ConnectTlsFailed = -40,  // no TLS as the account asks: nothing was sent
};

// LoginUserPass and LoginApop.
enum LoginResult : int {
  LoginOk = 0,
  LoginUserFailed = -10,  // USER, or the APOP command
  LoginPassFailed = -20,
};

// QueryStat and QueryUidl.
enum QueryResult : int {
  QueryOk = 0,
  QueryUnparsable = -1,  // a STAT reply without a usable count
  QueryCommandFailed = -10,
  QueryListingFailed = -20,
};

// The response code of a negative reply by which the server says "not now"
// rather than "no" ("-ERR [IN-USE] ..."): "[IN-USE]", "[LOGIN-DELAY]" or
// "[SYS/TEMP]", matched without regard to case. Null for any other reply.
const char* TemporaryRefusalCode(const char* reply);

// The count of a STAT reply ("+OK 3 4120" gives 3): the word after the
// first four bytes, which must be followed by a space and be a decimal
// number that fits an int. False for anything else.
bool ParseStatCount(const char* reply, std::uint32_t* count);

// One line of a UIDL listing, as read (CR LF included).
struct UidlLine {
  enum Kind { Skipped, Entry, NumberTooLong, UidTooLong } kind;
  std::string_view number;
  std::string_view uid;
};
// The message number is the run of bytes 0x21..0x7F at the start; a line
// where it does not end in a space is Skipped. The UID runs from after that
// space to the first control or non-ASCII byte (inner spaces belong to it).
// A number or UID longer than the listing allows is refused by its kind.
UidlLine ParseUidlLine(const char* line);

}  // namespace bw
