// What a failed (or finished) step of a check leaves in the account: the one
// rule from a step and its code, with the account's ContinueTimeout and
// ContinueConnectER, to a check state and error cause. The steps report
// codes only; the account applies the outcome.
#pragma once

#include "checker/core/check_state.h"

namespace bw {

// The steps of a check, each with the kind of code it reports.
enum class CheckStep {
  SocketLibrary,  // the socket library did not start: any code
  HostLookup,     // LookupCode
  ServiceLookup,  // LookupCode
  DottedAddress,  // a malformed dotted address: any code
  Socket,         // no socket could be made: any code
  Connect,        // ConnectCode
  TlsSetting,     // a UseTLS value this version does not know: any code
  Handshake,      // a net::TlsCode
  Greeting,       // a LineResult, or GreetingRefused
  Stls,           // a LineResult, or StlsTrailingData
  Credentials,    // a user name or password that cannot be sent: any code
  OAuthSetting,   // an OAuth account that cannot be checked as set (no TLS,
                  // no provider, client or token): any code; nothing was sent
  TokenRefresh,   // the token endpoint's answer: an oauth::TokenStatus
  User,           // the login commands USER, PASS and APOP: a LineResult,
  Pass,           // or LoginTemporaryRefusal
  Apop,
  Xoauth2,        // AUTH XOAUTH2: a LineResult, LoginTemporaryRefusal or Xoauth2Refused
  Stat,           // a LineResult, or StatUnparsable
  UidlCommand,    // a LineResult
  UidlListing,    // a LineResult, or ListingRefused
  Query,          // the check after a failed mailbox query: any code
  // IMAP accounts (greeting and STARTTLS as Greeting and Stls above):
  ImapCapability,  // CAPABILITY: a LineResult, ImapBadReply or ReplyTooLong
  ImapLogin,       // AUTHENTICATE or LOGIN: a LineResult (LineNegativeReply for
                   // NO), LoginTemporaryRefusal, ImapBadReply, ReplyTooLong,
                   // LoginDisabled or Xoauth2Refused
  ImapFolders,     // STATUS, EXAMINE and SEARCH: a LineResult,
                   // LoginTemporaryRefusal, ImapBadReply, ReplyTooLong or
                   // NoFolderReadable
};

// Codes of the look-ups and the connect (0 is success for each).
enum LookupCode : int { LookupFound = 0, LookupNotFound = 1, LookupTimedOut = 2, LookupNoWorker = 3 };
enum ConnectCode : int { ConnectDone = 0, ConnectNotMade = 1, ConnectTimedOut = 2, ConnectNoWorker = 3 };
// Step codes beyond the line results (which stay below 1000).
enum StepCode : int {
  GreetingRefused = 1001,        // a greeting not beginning with "+OK"
  StlsTrailingData = 1002,       // bytes in the clear after the STLS reply
  LoginTemporaryRefusal = 1003,  // "-ERR [IN-USE]" and the like: not now rather than no
  StatUnparsable = 1004,         // a STAT reply without a usable count
  ListingRefused = 1005,         // a UIDL listing beyond its limits
  Xoauth2Refused = 1006,         // the server refused the access token
  ReplyTooLong = 1007,           // an IMAP line or literal beyond its limit
  ImapBadReply = 1008,           // a tagged BAD, or a reply the client cannot read
  LoginDisabled = 1009,          // no login without TLS, and none offered
  NoFolderReadable = 1010,       // not one of the account's folders could be read
  FolderMissing = 1011,          // STATUS refused for one folder (not an outcome: the folder is skipped)
};

// A step and the code it ended with.
struct StepResult {
  CheckStep step;
  int code;
  bool ok() const { return code == 0; }
};

// A state or cause value meaning "stays as it is".
constexpr int kUnchanged = -1;

struct CheckOutcome {
  int state;  // or kUnchanged
  int cause;  // or kUnchanged
};

// The account's state and cause after `step` ended with `code`. Of the
// successes only two move the state: the connect (Communicating) and the
// service look-up that ends a resolution (Ready).
CheckOutcome StepOutcome(CheckStep step, int code, bool continueTimeout, bool continueConnectER);

}  // namespace bw
