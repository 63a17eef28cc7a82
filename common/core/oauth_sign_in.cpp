// The sign-in from the settings to the stored refresh token.
#include "common/core/oauth_sign_in.h"

#include "common/core/oauth_flow.h"
#include "common/core/oauth_tokens.h"
#include "platform/browser.h"
#include "platform/secret.h"

namespace bw::oauth {
namespace {

SignInResult Failure(int status, int detail, const std::string& message) {
  SignInResult result;
  result.status = status;
  result.detail = detail;
  result.message = message;
  return result;
}

const char* RedirectMessage(int result) {
  switch (result) {
    case kRedirectWrongState:
      return "ブラウザから戻った応答が、このサインインのものではありません(stateが違います).";
    case kRedirectDenied:
      return "サインインが拒否されました.";
    case kRedirectNoCode:
      return "ブラウザから戻った応答に認可コードがありません.";
    case kRedirectTimedOut:
      return "サインインが時間内に終わりませんでした.";
    case kRedirectCancelled:
      return "サインインを中止しました.";
    case kRedirectSocketFailed:
      return "ブラウザからの応答を受け取れませんでした.";
    default:
      return "ブラウザから戻った応答を読めません.";
  }
}

}  // namespace

SignInResult SignIn(const AncestryPop3Checker& account, net::HttpsClient& https, const SignInOptions& options) {
  Endpoints endpoints;
  std::string error;
  if (!ProviderEndpoints(account, &endpoints, &error))
    return Failure(kSignInSettings, 0, "OAuthの設定が正しくありません: " + error + ".");
  std::string verifier, state;
  if (!MakeVerifier(&verifier) || !MakeState(&state))
    return Failure(kSignInNoRandom, 0, "乱数を得られないためサインインできません.");
  LoopbackRedirect listener;
  if (!listener.Open()) return Failure(kSignInNoListener, 0, "ブラウザからの応答を待つソケットを開けません.");
  const std::string redirectUri = listener.RedirectUri();
  // Without SHA-256 (CryptoAPI before Windows XP SP3) the challenge would go
  // out empty, which a provider refuses with a page the user cannot act on.
  const std::string challenge = S256Challenge(verifier);
  if (challenge.empty())
    return Failure(kSignInNoRandom, 0, "このｼｽﾃﾑではSHA-256を計算できないためサインインできません.");
  const std::string url = AuthorizeUrl(endpoints, account.OAuthClientID, redirectUri, state, challenge);
  if (options.showUrl) options.showUrl(url);
  if (!net::OpenBrowser(url, options.browserCommand))
    return Failure(kSignInNoBrowser, 0, "ブラウザを起動できません.");

  Redirect redirect;
  const int got = listener.Wait(options.timeoutMs, options.cancelled, state, &redirect);
  // The browser's page waits for the outcome and then tells it.
  auto finish = [&listener](const SignInResult& result) {
    listener.Answer(result.status == kSignInOk, result.message);
    return result;
  };
  if (got != kRedirectOk) {
    std::string message = RedirectMessage(got);
    // The provider's error, as outside text: escaped, and nothing of ours in it.
    if (got == kRedirectDenied) message += "(" + ProviderText(redirect.error, {state, verifier}, 64) + ")";
    return finish(Failure(kSignInRedirect, got, message));
  }

  const TokenReply reply = ExchangeCode(https, endpoints, account.OAuthClientID, account.OAuthClientSecret,
                                        redirect.code, verifier, redirectUri, 30000);
  if (reply.status != kTokenOk) {
    std::string message = "トークンを受け取れませんでした(" + reply.reason + ").";
    if (reply.status == kTokenTlsFailed)
      message += " トークン発行元にはTLS 1.2が必要です. このシステムでは使えない可能性があります.";
    return finish(Failure(kSignInToken, reply.status, message));
  }
  if (reply.refreshToken.empty())
    return finish(Failure(kSignInNoRefreshToken, 0,
                          "リフレッシュトークンが発行されませんでした. スコープ(offline_access など)を確認してください."));
  SignInResult result;
  if (!net::ProtectSecret(reply.refreshToken, &result.storedToken))
    return finish(Failure(kSignInNotStored, 0, "トークンを保護して保存することができません."));
  // Natively the token is stored as it came; one the file cannot hold is
  // named here, not blamed on the file.
  std::vector<std::string> pieces;
  if (!SplitValuePieces(result.storedToken, kValuePieceLength, &pieces))
    return finish(Failure(kSignInNotStored, 0,
                          std::string("発行されたリフレッシュトークンはパラメータファイルに書けない形です(") +
                              UnstorableTokenText(reply.refreshToken) + ")."));
  if (options.store) {
    const std::string failed = options.store(result.storedToken);
    if (!failed.empty()) return finish(Failure(kSignInNotStored, 0, failed));
  }
  result.status = kSignInOk;
  result.message = "サインインしました.";
  return finish(result);
}

}  // namespace bw::oauth
