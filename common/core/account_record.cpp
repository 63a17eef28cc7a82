// Account record: its key table, and the shared block reading, defaulting
// and writing over it.
#include "common/core/account_record.h"

#include <cstdlib>
#include <cstring>
#include <map>

#include "common/core/log.h"
#include "common/core/record_block.h"
#include "common/core/sjis.h"
#include "platform/secret.h"

namespace bw {

using A = AncestryPop3Checker;

const KeyTableEntry<A> kAccountKeyTable[] = {
    {"ConnectionName", kConnectionName, false, "", TextField(&A::ConnectionName)},
    {"HostName", kHostName, true, "", TextField(&A::HostName)},
    {"ServiceName", kServiceName, false, "110", TextField(&A::ServiceName)},
    {"UserID", kUserID, true, "", TextField(&A::UserID)},
    // Required unless the account signs in with OAuth (ReadBlock).
    {"Password", kPassword, false, "", TextField(&A::Password)},
    {"CycleMinutes", kCycleMinutes, false, "15", IntField(&A::CycleMinutes, 15)},
    {"UseUIDL", kUseUIDL, false, "0", FlagField(&A::UseUIDL, 0)},
    {"UseAPOP", kUseAPOP, false, "0", IntField(&A::UseAPOP, 0)},
    {"TOofDNS_Sec", kTOofDNS_Sec, false, "0", IntField(&A::TOofDNS_Sec, 0)},
    {"TOofConnect_Sec", kTOofConnect_Sec, false, "0", IntField(&A::TOofConnect_Sec, 0)},
    {"TOofSendRecv_Sec", kTOofSendRecv_Sec, false, "0", IntField(&A::TOofSendRecv_Sec, 0)},
    {"ContinueTimeout", kContinueTimeout, false, "0", FlagField(&A::ContinueTimeout, 0)},
    {"ContinueConnectER", kContinueConnectER, false, "0", FlagField(&A::ContinueConnectER, 0)},
    {"DisconnectNoQuit", kDisconnectNoQuit, false, "0", FlagField(&A::DisconnectNoQuit, 0)},
    {"UseTLS", kUseTLS, false, "0", IntField(&A::UseTLS, 0)},
    {"OAuthProvider", kOAuthProvider, false, "0", IntField(&A::OAuthProvider, 0)},
    {"OAuthClientID", kOAuthClientID, false, "", TextField(&A::OAuthClientID)},
    {"OAuthClientSecret", kOAuthClientSecret, false, "", TextField(&A::OAuthClientSecret)},
    {"OAuthAuthorizeURL", kOAuthAuthorizeURL, false, "", TextField(&A::OAuthAuthorizeURL)},
    {"OAuthTokenURL", kOAuthTokenURL, false, "", TextField(&A::OAuthTokenURL)},
    {"OAuthScope", kOAuthScope, false, "", TextField(&A::OAuthScope)},
    {"OAuthToken", kOAuthToken, false, "", TextField(&A::OAuthToken)},
    {"Protocol", kProtocol, false, "0", IntField(&A::Protocol, 0)},
    {"ImapFolders", kImapFolders, false, "", TextField(&A::ImapFolders)},
    {"FetchHeaders", kFetchHeaders, false, "1", FlagField(&A::FetchHeaders, 1)},
    {"UseIdle", kUseIdle, false, "1", FlagField(&A::UseIdle, 1)},
    {"PasswordProtected", kPasswordProtected, false, "", TextField(&A::PasswordProtected)},
    {nullptr, 28, false, nullptr, KeptField<A>()},
};

namespace {
const BlockRules kAccountRules = {"POP3 Checker : KeyWord[%s]は、認識できません.\n",
                                  "メモリ不足です.\n", NestedBlock::kNotice};
// The keys whose values are written in pieces, the later ones numbered from 2.
constexpr const char* kPiecedKey = "OAuthToken";
// The controller writes accounts at depth 1, so their key lines carry two tabs.
constexpr int kAccountLineDepth = 2;
constexpr const char* kPiecedKeys[] = {"OAuthToken", "PasswordProtected"};

bool IsPiecedKey(const std::string& key) {
  for (const char* pieced : kPiecedKeys)
    if (key == pieced) return true;
  return false;
}

bool PasswordRequired(const PropertyList& properties) {
  return AtoiValue(properties.FindValue("OAuthProvider")) == 0;
}
}  // namespace

const char* UnreadablePasswordText() {
  return net::SecretsAreProtected()
             ? "保存されたﾊﾟｽﾜｰﾄﾞを復号できません. Knobsetでﾊﾟｽﾜｰﾄﾞをもう一度入力してください."
             : "暗号化して保存されたﾊﾟｽﾜｰﾄﾞはこのｼｽﾃﾑでは読めません. 確認しません.";
}

int ValuePieceNumber(const char* key, const char* piecedKey) {
  const std::size_t length = std::strlen(piecedKey);
  if (std::strncmp(key, piecedKey, length) != 0) return 0;
  const char* digits = key + length;
  if (*digits == '\0') return 1;
  if (*digits < '1' || *digits > '9' || std::strlen(digits) > 4) return 0;
  for (const char* d = digits; *d; ++d)
    if (*d < '0' || *d > '9') return 0;
  const int number = std::atoi(digits);
  return number >= 2 ? number : 0;
}

bool SplitValuePieces(const std::string& text, std::size_t pieceLength, std::vector<std::string>* pieces) {
  pieces->clear();
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  // Where each character begins, so a cut never falls inside one.
  std::vector<bool> starts(text.size() + 1, true);
  for (std::size_t i = 0; i < text.size(); ++i)
    if (IsLeadByte(byte(i)) && i + 1 < text.size()) starts[++i] = false;
  // A last piece of just "{" or "}" would read as a block's opening or end.
  auto structural = [&](std::size_t begin) {
    return text.size() - begin == 1 && (text[begin] == '{' || text[begin] == '}');
  };
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = std::min(text.size(), begin + pieceLength);
    while (end > begin && end < text.size() &&
           (!starts[end] || byte(end - 1) <= 0x20 || byte(end) < 0x20 || structural(end)))
      --end;
    if (end == begin) return false;
    const std::string piece = text.substr(begin, end - begin);
    // Each piece must come back from its line as it went in.
    const std::string key = pieces->empty() ? std::string(kPiecedKey)
                                            : kPiecedKey + std::to_string(pieces->size() + 1);
    if (!ValueReadsBack(kAccountLineDepth, key, piece)) return false;
    pieces->push_back(piece);
    begin = end;
  }
  return true;
}

int A::ReadBlock(TextInput& in) {
  // The later pieces of each pieced key, by key and number.
  std::map<std::string, std::map<int, std::string>> pieces;
  std::string twice;  // the first token piece key given more than once
  int tokenLines = 0;
  if (ReadBlockLines(in, kAccountRules, [this, &pieces, &twice, &tokenLines](const char* key, const char* value) {
        for (const char* pieced : kPiecedKeys) {
          const int number = ValuePieceNumber(key, pieced);
          if (number >= 2) {
            std::map<int, std::string>& later = pieces[pieced];
            if (later.count(number) && twice.empty() && std::strcmp(pieced, kPiecedKey) == 0) twice = key;
            later[number] = value;
            return 1;
          }
        }
        if (std::strcmp(key, kPiecedKey) == 0 && ++tokenLines == 2 && twice.empty()) twice = key;
        return AddKeyLine(key, value);
      }) < 0)
    return -1;
  // The pieces follow the first one in number order. A token piece without
  // every piece before it, or one given twice, leaves a token that cannot be
  // the one the provider issued: it is named in the log and dropped, and
  // the account asks for a new sign-in instead of sending a cut token.
  std::map<int, std::string>& tokenPieces = pieces[kPiecedKey];
  std::string damage;
  PropertyEntry* token = properties.FindEntry(kPiecedKey);
  if (!twice.empty()) {
    damage = twice + "が2回あります";
  } else if (!tokenPieces.empty()) {
    // The first piece missing before the last one given.
    std::string missing = kPiecedKey;
    if (token) {
      int number = 2;
      while (tokenPieces.count(number)) ++number;
      missing = number < tokenPieces.rbegin()->first ? kPiecedKey + std::to_string(number) : std::string();
    }
    if (!missing.empty()) damage = missing + "がありません";
  }
  if (!damage.empty()) {
    LogWrite("%s : 保存されたOAuthのﾄｰｸﾝが壊れています(%s). もう一度サインインしてください.\n",
             properties.FindValue("ConnectionName").c_str(), damage.c_str());
    properties.ClearValues(kPiecedKey);
    tokenPieces.clear();
  }
  // Other pieced values: one without every piece before it is no part of
  // the value (a protected password cut short then fails to decrypt, and
  // the account asks for the password again).
  for (auto& [key, later] : pieces) {
    if (PropertyEntry* first = properties.FindEntry(key)) {
      for (int number = 2; later.count(number); ++number) {
        first->value += later[number];
        later.erase(number);
      }
    }
    for (const auto& stray : later)
      LogWrite(kAccountRules.unknownKeyFormat, (key + std::to_string(stray.first)).c_str());
  }
  if (CheckRequired("%sが定義されていません.\n") < 0) return -10;
  // A protected password stands for the password, readable here or not.
  if (PasswordRequired(properties) && properties.FindValue("Password").empty() &&
      properties.FindValue("PasswordProtected").empty()) {
    LogWrite("%sが定義されていません.\n", "Password");
    return -10;
  }
  ApplyDefaults();
  ParseValues();
  RevealPassword();
  return 0;
}

void A::RevealPassword() {
  PasswordUnreadable = false;
  if (PasswordProtected.empty()) return;
  std::string plain;
  if (net::UnprotectPassword(PasswordProtected, &plain) && !plain.empty()) {
    Password = plain;
    return;
  }
  // The stored form stays as it is; unless the file also has it in the
  // clear, the password must be entered again.
  PasswordUnreadable = Password.empty();
}

void A::SealPassword(bool protect) {
  // A stored form that cannot be read here is kept until a password is
  // entered: dropping it would lose the password for good.
  if (Password.empty()) return;
  std::string stored;
  const bool stillMatches = !PasswordProtected.empty() && net::UnprotectPassword(PasswordProtected, &stored) &&
                            stored == Password;
  if (protect && !stillMatches) {
    // Where the system cannot protect it, the password stays in the clear.
    if (!net::ProtectPassword(Password, &stored) || !SetPieced("PasswordProtected", stored, &PasswordProtected))
      PasswordProtected.clear();
  } else if (!protect) {
    PasswordProtected.clear();
  }
  PasswordUnreadable = false;
}

bool A::SetPieced(const char* key, const std::string& text, std::string* field) {
  std::vector<std::string> pieces;
  if (!SplitValuePieces(text, kValuePieceLength, &pieces)) return false;
  *field = text;
  properties.SetOrAppend(key, text);
  return true;
}

int A::WriteBlock(TextOutput& out, int depth, bool protect) {
  SealPassword(protect);
  FoldValues();
  WriteBlockOpen(out, depth, "AncestryPop3Checker::RingListClass");
  // The entries as usual, but the long values in their pieces, and the
  // password in one form only, where the first of its two keys stood.
  PropertyList lines;
  bool passwordPlaced = false;
  for (const PropertyEntry& e : properties.Entries()) {
    std::string key = e.key;
    std::string value = e.value;
    if (key == "Password" || key == "PasswordProtected") {
      if (passwordPlaced) continue;
      passwordPlaced = true;
      const bool sealed = !PasswordProtected.empty();
      key = sealed ? "PasswordProtected" : "Password";
      value = properties.FindValue(key.c_str());
    }
    std::vector<std::string> pieces;
    if (!IsPiecedKey(key) || !SplitValuePieces(value, kValuePieceLength, &pieces)) {
      lines.Append(key.c_str(), value.c_str());
      continue;
    }
    for (std::size_t i = 0; i < pieces.size(); ++i)
      lines.Append(i == 0 ? key.c_str() : (key + std::to_string(i + 1)).c_str(), pieces[i].c_str());
  }
  WriteEntries(out, depth + 1, lines);
  WriteBlockClose(out, depth);
  out.Flush();
  return 0;
}

int A::SetKeyText(int id, const std::string& text) {
  if (id == kPassword && OAuthProvider == 0) {
    std::string normal = text;
    if (NormaliseValueText("Password", kLineDepth, &normal) && normal.empty()) return kSetRequiredEmpty;
  }
  if (id == kOAuthToken || id == kPasswordProtected) {
    // Stored in pieces, so any length will do, as long as the pieces read
    // back as they were written. A protected password set here (a dialog's
    // draft handing back what it was given) is not revealed again: the
    // Password beside it is the one to keep, and a save protects it anew
    // unless the two still match.
    if (text.find_first_of(std::string("\r\n\0\x1A", 4)) != std::string::npos) return kSetUnstorable;
    const char* key = KeyName(id);
    std::string normal = text;
    NormaliseValueText(key, kLineDepth, &normal);  // trims; the length is no matter here
    return SetPieced(key, normal, id == kOAuthToken ? &OAuthToken : &PasswordProtected) ? kSetOk : kSetUnstorable;
  }
  return TableRecord::SetKeyText(id, text);
}

}  // namespace bw
