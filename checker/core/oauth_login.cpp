// The account's OAuth settings and its access token (see oauth_login.h).
#include "checker/core/oauth_login.h"

#include "common/core/log.h"
#include "common/core/param_rewrite.h"
#include "platform/secret.h"

namespace bw {
namespace {

// The log line of a refresh that failed, by the token endpoint's answer;
// each takes the account name and the reason.
const char* RefreshFailureFormat(int status) {
  switch (status) {
    case oauth::kTokenUnreachable:
      return "%s : ﾄｰｸﾝ発行元に接続できません(%s). 次回の更新で再試行します.\n";
    case oauth::kTokenUnavailable:
      return "%s : ﾄｰｸﾝ発行元が一時的に応答できません(%s). 次回の更新で再試行します.\n";
    case oauth::kTokenTlsFailed:
      return "%s : ﾄｰｸﾝ発行元とTLSで接続できません(%s). OAuthにはTLS 1.2が必要です.\n";
    case oauth::kTokenCertificate:
      return "%s : ﾄｰｸﾝ発行元の証明書を確認できません(%s).\n";
    case oauth::kTokenInvalidGrant:
      return "%s : ｻｲﾝｲﾝの許可が取り消されたか期限切れです(%s). もう一度サインインしてください.\n";
    case oauth::kTokenRefused:
      return "%s : ﾄｰｸﾝ発行元が要求を拒否しました(%s).\n";
    default:
      return "%s : ﾄｰｸﾝ発行元の応答を読めません(%s).\n";
  }
}

}  // namespace

net::HttpsClient& OAuthAccess::Https() {
  if (!https_) https_ = net::HttpsClient::Create(extraCaFile_);
  return *https_;
}

void OAuthAccess::SaveTokensIn(const std::string& parameterPath) {
  saveToken = [parameterPath](const AncestryPop3Checker& account, const std::string& stored) {
    bool alike = false;
    if (SaveAccountToken(parameterPath, account.ConnectionName, account.HostName, account.UserID, stored, &alike))
      return true;
    if (alike)
      LogWrite("%s : ConnectionName, HostName, UserIDの同じｱｶｳﾝﾄが複数あり, どれのﾄｰｸﾝか決められません. "
               "Knobsetでどちらかの名前を変えてください.\n",
               account.ConnectionName.c_str());
    return false;
  };
}

StepResult CheckOAuthSettings(const AncestryPop3Checker& account) {
  const char* name = account.ConnectionName.c_str();
  // A bearer token in the clear is as good as a password to anyone on the way.
  if (account.UseTLS != 1 && account.UseTLS != 2) {
    LogWrite("%s : OAuthのｱｶｳﾝﾄはUseTLS 1か2でなければ確認しません. 何も送信しません.\n", name);
    return {CheckStep::OAuthSetting, 1};
  }
  oauth::Endpoints endpoints;
  std::string error;
  if (!oauth::ProviderEndpoints(account, &endpoints, &error)) {
    LogWrite("%s : OAuthの設定が正しくありません(%s). 何も送信しません.\n", name, error.c_str());
    return {CheckStep::OAuthSetting, 2};
  }
  if (account.OAuthToken.empty()) {
    LogWrite("%s : OAuthのﾄｰｸﾝがありません. サインインしてください.\n", name);
    return {CheckStep::OAuthSetting, 3};
  }
  return {CheckStep::OAuthSetting, 0};
}

StepResult ObtainAccessToken(AncestryPop3Checker& account, OAuthAccess& access, oauth::AccessTokenCache& cache,
                             int timeoutMs, std::string* accessToken) {
  const char* name = account.ConnectionName.c_str();
  const auto now = oauth::AccessTokenCache::Clock::now();
  *accessToken = cache.Get(now);
  if (!accessToken->empty()) {
    LogWrite("%s : 有効なｱｸｾｽﾄｰｸﾝを使います.\n", name);
    return {CheckStep::TokenRefresh, oauth::kTokenOk};
  }
  oauth::Endpoints endpoints;
  std::string error;
  if (!oauth::ProviderEndpoints(account, &endpoints, &error)) return {CheckStep::TokenRefresh, oauth::kTokenRefused};
  std::string refreshToken;
  if (!net::UnprotectSecret(account.OAuthToken, &refreshToken) || refreshToken.empty()) {
    LogWrite("%s : 保存されたﾄｰｸﾝを復号できません. このﾕｰｻﾞでもう一度サインインしてください.\n", name);
    return {CheckStep::TokenRefresh, oauth::kTokenInvalidGrant};
  }
  const oauth::TokenReply reply = oauth::RefreshAccessToken(access.Https(), endpoints, account.OAuthClientID,
                                                            account.OAuthClientSecret, refreshToken, timeoutMs);
  if (reply.status != oauth::kTokenOk) {
    LogWrite(RefreshFailureFormat(reply.status), name, reply.reason.c_str());
    return {CheckStep::TokenRefresh, reply.status};
  }
  *accessToken = reply.accessToken;
  cache.Put(reply.accessToken, reply.expiresIn, now);
  if (reply.expiresIn < 0)
    LogWrite("%s : ｱｸｾｽﾄｰｸﾝを取得しました(有効期間の指定なし. 1時間とみなします).\n", name);
  else if (reply.expiresClamped)
    LogWrite("%s : ｱｸｾｽﾄｰｸﾝを取得しました(有効期間%lld秒. 応答の値は0秒から1年の範囲外のため収めました).\n", name,
             reply.expiresIn);
  else
    LogWrite("%s : ｱｸｾｽﾄｰｸﾝを取得しました(有効期間%lld秒).\n", name, reply.expiresIn);
  if (!reply.refreshToken.empty() && reply.refreshToken != refreshToken) {
    std::string stored;
    std::vector<std::string> pieces;
    // Checked before the account takes it, so that a token the file cannot
    // hold never replaces the one in memory.
    if (!net::ProtectSecret(reply.refreshToken, &stored) || !SplitValuePieces(stored, kValuePieceLength, &pieces)) {
      LogWrite("%s : 新しいﾘﾌﾚｯｼｭﾄｰｸﾝはﾊﾟﾗﾒｰﾀﾌｧｲﾙに書けない形(%s)のため保存しません.\n", name,
               oauth::UnstorableTokenText(reply.refreshToken));
    } else if (account.SetKeyText(kOAuthToken, stored) == kSetOk && access.saveToken &&
               access.saveToken(account, stored)) {
      LogWrite("%s : 新しいﾘﾌﾚｯｼｭﾄｰｸﾝを保存しました.\n", name);
    } else {
      LogWrite("%s : 新しいﾘﾌﾚｯｼｭﾄｰｸﾝをﾊﾟﾗﾒｰﾀﾌｧｲﾙに保存できませんでした.\n", name);
    }
  }
  return {CheckStep::TokenRefresh, oauth::kTokenOk};
}

}  // namespace bw
