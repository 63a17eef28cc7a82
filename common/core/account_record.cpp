// Account record: its key table, and the shared block reading, defaulting
// and writing over it.
#include "common/core/account_record.h"

#include <cstdlib>
#include <cstring>
#include <map>

#include "common/core/log.h"
#include "common/core/record_block.h"
#include "common/core/sjis.h"

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
    {nullptr, 27, false, nullptr, KeptField<A>()},
};

namespace {
const BlockRules kAccountRules = {"POP3 Checker : KeyWord[%s]は、認識できません.\n",
                                  "メモリ不足です.\n", NestedBlock::kNotice};
// The key whose value is written in pieces, the later ones numbered from 2.
constexpr const char* kPiecedKey = "OAuthToken";
constexpr std::size_t kPiecedKeyLength = 10;

bool PasswordRequired(const PropertyList& properties) {
  return AtoiValue(properties.FindValue("OAuthProvider")) == 0;
}
}  // namespace

int ValuePieceNumber(const char* key) {
  if (std::strncmp(key, kPiecedKey, kPiecedKeyLength) != 0) return 0;
  const char* digits = key + kPiecedKeyLength;
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
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = std::min(text.size(), begin + pieceLength);
    while (end > begin && end < text.size() &&
           (!starts[end] || byte(end - 1) <= 0x20 || byte(end) < 0x20))
      --end;
    if (end == begin || byte(end - 1) <= 0x20 || byte(begin) < 0x20) return false;
    pieces->push_back(text.substr(begin, end - begin));
    begin = end;
  }
  return true;
}

int A::ReadBlock(TextInput& in) {
  std::map<int, std::string> pieces;
  if (ReadBlockLines(in, kAccountRules, [this, &pieces](const char* key, const char* value) {
        const int number = ValuePieceNumber(key);
        if (number >= 2) {
          pieces[number] = value;
          return 1;
        }
        return AddKeyLine(key, value);
      }) < 0)
    return -1;
  // The pieces follow the first one in number order; one without every
  // piece before it is no part of the value.
  if (PropertyEntry* token = properties.FindEntry(kPiecedKey)) {
    for (int number = 2; pieces.count(number); ++number) {
      token->value += pieces[number];
      pieces.erase(number);
    }
  }
  for (const auto& stray : pieces)
    LogWrite(kAccountRules.unknownKeyFormat, (kPiecedKey + std::to_string(stray.first)).c_str());
  if (CheckRequired("%sが定義されていません.\n") < 0) return -10;
  if (PasswordRequired(properties) && properties.FindValue("Password").empty()) {
    LogWrite("%sが定義されていません.\n", "Password");
    return -10;
  }
  ApplyDefaults();
  ParseValues();
  return 0;
}

int A::WriteBlock(TextOutput& out, int depth) {
  FoldValues();
  WriteBlockOpen(out, depth, "AncestryPop3Checker::RingListClass");
  // The entries as usual, but the long value in its pieces.
  PropertyList lines;
  for (const PropertyEntry& e : properties.Entries()) {
    std::vector<std::string> pieces;
    if (e.key != kPiecedKey || !SplitValuePieces(e.value, kValuePieceLength, &pieces)) {
      lines.Append(e.key.c_str(), e.value.c_str());
      continue;
    }
    for (std::size_t i = 0; i < pieces.size(); ++i)
      lines.Append(i == 0 ? e.key.c_str() : (e.key + std::to_string(i + 1)).c_str(), pieces[i].c_str());
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
  if (id == kOAuthToken) {
    // Stored in pieces, so any length will do, as long as the pieces read
    // back as they were written.
    if (text.find_first_of(std::string("\r\n\0\x1A", 4)) != std::string::npos) return kSetUnstorable;
    std::string normal = text;
    NormaliseValueText(kPiecedKey, kLineDepth, &normal);  // trims; the length is no matter here
    std::vector<std::string> pieces;
    if (!SplitValuePieces(normal, kValuePieceLength, &pieces)) return kSetUnstorable;
    OAuthToken = normal;
    properties.SetOrAppend(kPiecedKey, normal);
    return kSetOk;
  }
  return TableRecord::SetKeyText(id, text);
}

}  // namespace bw
