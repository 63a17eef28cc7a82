// The parameter-file record of one POP3 account.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/core/key_table.h"
#include "common/core/param_syntax.h"
#include "common/core/property_list.h"
#include "common/core/ring_list.h"
#include "common/core/table_record.h"
#include "common/core/text_file.h"

namespace bw {

// Key ids of the account table (there is no id 8).
enum AccountKey {
  kConnectionName = 0,
  kHostName = 1,
  kServiceName = 2,
  kUserID = 3,
  kPassword = 4,
  kCycleMinutes = 5,
  kUseUIDL = 6,
  kUseAPOP = 7,
  kTOofDNS_Sec = 9,
  kTOofConnect_Sec = 10,
  kTOofSendRecv_Sec = 11,
  kContinueTimeout = 12,
  kContinueConnectER = 13,
  kDisconnectNoQuit = 14,
  kUseTLS = 15,  // added after the original keys; absent in older files
  // Signing in with OAuth 2.0, after UseTLS; each written only when set.
  kOAuthProvider = 16,
  kOAuthClientID = 17,
  kOAuthClientSecret = 18,
  kOAuthAuthorizeURL = 19,
  kOAuthTokenURL = 20,
  kOAuthScope = 21,
  kOAuthToken = 22,
  // IMAP accounts, after the OAuth keys; each written only when set.
  kProtocol = 23,
  kImapFolders = 24,
  // Fetching the headers of new messages; written only when turned off.
  kFetchHeaders = 25,
  // IMAP push (IDLE); written only when turned off.
  kUseIdle = 26,
  // The password protected at rest (the controller's ProtectPasswords), in
  // pieces; written instead of Password.
  kPasswordProtected = 27,
};

// A long value (the stored refresh token, the protected password) is written
// in pieces of at most this many bytes: "OAuthToken", then "OAuthToken2",
// "OAuthToken3", ...
constexpr std::size_t kValuePieceLength = 256;
// Splits `text` into such pieces so that each reads back whole: none ends
// with a byte of 0x20 or below (trimmed by the reader), none begins with a
// control byte (skipped), no Shift_JIS character is cut, and each line
// passes ValueReadsBack (no line end, NUL or Ctrl-Z, not "{" or "}"). False
// when the text cannot be cut that way.
bool SplitValuePieces(const std::string& text, std::size_t pieceLength, std::vector<std::string>* pieces);
// Which piece of the value of `piecedKey` a key names: 1 for "OAuthToken",
// 2 to 9999 for "OAuthToken2" to "OAuthToken9999" written without leading
// zeros, 0 for any other key ("OAuthToken1", "OAuthToken02" and
// "OAuthToken12345" included: the reader takes those for unknown keys, and a
// rewrite keeps them).
int ValuePieceNumber(const char* key, const char* piecedKey = "OAuthToken");

// Why an account's protected password cannot be used (PasswordUnreadable):
// on Windows it asks for the password again, natively it says the password
// cannot be read on this system.
const char* UnreadablePasswordText();

class AncestryPop3Checker;
extern const KeyTableEntry<AncestryPop3Checker> kAccountKeyTable[];

// The controller writes accounts at depth 1, so their key lines carry two
// tabs; an absent key reads as the empty text.
class AncestryPop3Checker
    : public RingListClass,
      public TableRecord<AncestryPop3Checker, kAccountKeyTable, 2, AbsentKey::kReadsEmpty> {
 public:
  AncestryPop3Checker() = default;
  ~AncestryPop3Checker() override = default;

  // Reads the block's lines up to its closing line. 0, -1 (end of input
  // before the block closed) or -10 (a required key is missing).
  virtual int ReadBlock(TextInput& in);
  // Writes the password protected (PasswordProtected) when `protect` is set
  // and the system can protect it, else in the clear as Password.
  virtual int WriteBlock(TextOutput& out, int depth, bool protect = false);

  // As the table's (HostName and UserID are required), but Password is
  // required too unless OAuthProvider is set, and OAuthToken takes any
  // length: it is written in pieces.
  int SetKeyText(int id, const std::string& text) override;

  AncestryPop3Checker* NextAccount() const {
    return static_cast<AncestryPop3Checker*>(Next());
  }

  int CheckState = 0;
  int ErrorCause = 0;
  std::string ConnectionName;
  std::string HostName;
  std::string ServiceName;
  std::string UserID;
  std::string Password;
  int CycleMinutes = 15;
  int UseUIDL = 1;
  int UseAPOP = 0;
  int TOofDNS_Sec = 1;
  int TOofSendRecv_Sec = 1;
  int TOofConnect_Sec = 1;
  int ContinueTimeout = 0;
  int ContinueConnectER = 0;
  int DisconnectNoQuit = 0;
  // 0 plain, 1 TLS from the first byte (POP3S), 2 STLS required; written
  // only when not 0, so files without TLS stay as they were.
  int UseTLS = 0;
  // OAuth 2.0 (all written only when not empty or 0): 0 password, 1 Google,
  // 2 Microsoft, 3 another provider with its own URLs and scope.
  int OAuthProvider = 0;
  std::string OAuthClientID;
  std::string OAuthClientSecret;
  std::string OAuthAuthorizeURL;
  std::string OAuthTokenURL;
  std::string OAuthScope;
  // The refresh token as stored (net::ProtectSecret), pieces joined.
  std::string OAuthToken;
  // 0 POP3, 1 IMAP; written only when not 0.
  int Protocol = 0;
  // The IMAP folders to watch as the user names them, separated by ","
  // (ImapFolderList); empty watches INBOX. Written only when not empty.
  std::string ImapFolders;
  // 1: after a check that found new messages, fetch their headers (held in
  // memory only); written only when 0.
  int FetchHeaders = 1;
  // The password as stored protected (net::ProtectPassword), pieces joined;
  // Password then holds it in the clear once read. Kept as read while it
  // still matches Password, so a save does not change it.
  std::string PasswordProtected;
  // A stored protected password that could not be read here (another
  // Windows user or machine, a damaged text, or no protection service): the
  // account cannot log in until the password is entered again. Not in the
  // file.
  bool PasswordUnreadable = false;
  // 1: an IMAP account whose server offers IDLE keeps its connection after
  // a check and hears of changes at once; 0 polls it. Written only when 0.
  int UseIdle = 1;

  bool UsesOAuth() const { return OAuthProvider != 0; }
  bool UsesImap() const { return Protocol == 1; }

 private:
  // Reading: Password from PasswordProtected, or PasswordUnreadable.
  void RevealPassword();
  // Writing: PasswordProtected made (or kept) from Password, or dropped.
  void SealPassword(bool protect);
  // A pieced value into its field and entry; false when it cannot be cut
  // into pieces that read back whole.
  bool SetPieced(const char* key, const std::string& text, std::string* field);
};

}  // namespace bw
