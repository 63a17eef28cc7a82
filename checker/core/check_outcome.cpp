// The check state and error cause each step of a check leaves behind.
#include "checker/core/check_outcome.h"

#include "checker/core/line_reader.h"
#include "common/core/oauth_tokens.h"
#include "platform/tls.h"

namespace bw {

CheckOutcome StepOutcome(CheckStep step, int code, bool continueTimeout, bool continueConnectER) {
  using C = AccountCodes;
  // A time-out waits for the next cycle when the account says so; any other
  // failure suspends it.
  auto timeoutRule = [&](bool timedOut, int cause) {
    return CheckOutcome{timedOut && continueTimeout ? C::RetryWait : C::Suspended, cause};
  };
  const CheckOutcome suspended{C::Suspended, kUnchanged};
  if (code == 0) {
    if (step == CheckStep::Connect) return {C::Communicating, kUnchanged};
    if (step == CheckStep::ServiceLookup) return {C::Ready, kUnchanged};
    return {kUnchanged, kUnchanged};
  }
  switch (step) {
    case CheckStep::HostLookup:
    case CheckStep::ServiceLookup:
      // No worker thread: nothing was looked up, the process is short of room.
      if (code == LookupNoWorker) return {C::Suspended, C::CauseSocket};
      return timeoutRule(code == LookupTimedOut, C::CauseDns);
    case CheckStep::DottedAddress:
      return {C::Suspended, C::CauseNone};
    case CheckStep::Connect:
      if (code == ConnectNoWorker) return {C::Suspended, C::CauseSocket};
      if (continueConnectER) return {C::RetryWait, C::CauseConnection};
      return timeoutRule(code == ConnectTimedOut, C::CauseConnection);
    case CheckStep::Handshake:
      // A certificate this machine does not accept is the account's to
      // settle, never a passing fault.
      if (net::IsCertificateFailure(code)) return {C::Suspended, C::CauseAccount};
      return timeoutRule(code == net::kTlsTimedOut,
                         code == net::kTlsSetupFailed ? C::CauseSocket : C::CauseConnection);
    case CheckStep::Greeting:
      if (code == GreetingRefused) return {C::ServerRefused, C::CauseConnection};
      return timeoutRule(code == LineTimeout, C::CauseConnection);
    case CheckStep::Stls:
      if (code == StlsTrailingData || code == LineNegativeReply) return {C::Suspended, C::CauseAccount};
      return timeoutRule(code == LineTimeout, C::CauseConnection);
    case CheckStep::TokenRefresh:
      // An endpoint out of reach, or one that cannot answer for now (HTTP
      // 5xx or 429, an answer cut off), is a passing fault; a refused grant, a
      // refused certificate or a client the provider does not know are the
      // account's to settle (sign in again, or mend the settings).
      if (code == oauth::kTokenUnreachable || code == oauth::kTokenUnavailable) return {C::RetryWait, C::CauseConnection};
      if (code == oauth::kTokenTlsFailed) return {C::Suspended, C::CauseConnection};
      return {C::Suspended, C::CauseAccount};
    case CheckStep::User:
    case CheckStep::Pass:
    case CheckStep::Apop:
    case CheckStep::Xoauth2:
      // A mailbox held by another program, or logins too close together,
      // pass by themselves: tried again at the next cycle.
      if (code == LoginTemporaryRefusal) return {C::RetryWait, C::CauseAccount};
      return timeoutRule(code == LineTimeout, C::CauseAccount);
    case CheckStep::Stat:
    case CheckStep::UidlListing:
      return timeoutRule(code == LineTimeout, C::CauseTransfer);
    case CheckStep::UidlCommand:
      return timeoutRule(code == LineTimeout, C::CauseAccount);
    case CheckStep::ImapCapability:
      if (code == ImapBadReply) return {C::Suspended, C::CauseTransfer};
      return timeoutRule(code == LineTimeout, C::CauseConnection);
    case CheckStep::ImapLogin:
      if (code == LoginTemporaryRefusal) return {C::RetryWait, C::CauseAccount};
      // BAD means the server did not take the command as sent: its fault
      // or ours, never the account's password.
      if (code == ImapBadReply) return {C::Suspended, C::CauseTransfer};
      return timeoutRule(code == LineTimeout, C::CauseAccount);
    case CheckStep::ImapFolders:
      if (code == LoginTemporaryRefusal) return {C::RetryWait, C::CauseTransfer};
      if (code == NoFolderReadable) return {C::Suspended, C::CauseAccount};
      return timeoutRule(code == LineTimeout, C::CauseTransfer);
    case CheckStep::Query:
      // Whatever the query left: ContinueTimeout has no effect on it.
      return suspended;
    case CheckStep::SocketLibrary:
    case CheckStep::Socket:
      return {C::Suspended, C::CauseSocket};
    case CheckStep::TlsSetting:
    case CheckStep::Credentials:
    case CheckStep::OAuthSetting:
      return {C::Suspended, C::CauseAccount};
  }
  return suspended;
}

CheckOutcome NetworkAdjusted(CheckOutcome usual, CheckStep step, int code, NetworkCircumstance network) {
  using C = AccountCodes;
  if (network == NetworkCircumstance::Usual || code == 0) return usual;
  bool passing = false;
  switch (step) {
    case CheckStep::HostLookup:
    case CheckStep::ServiceLookup:
      passing = code == LookupNotFound || code == LookupTimedOut;
      break;
    case CheckStep::Connect:
      passing = code == ConnectNotMade || code == ConnectTimedOut;
      break;
    default:
      break;
  }
  if (!passing) return usual;
  if (network == NetworkCircumstance::Down) return {C::RetryWait, C::CauseNetworkDown};
  return {C::RetryWait, usual.cause};
}

}  // namespace bw
