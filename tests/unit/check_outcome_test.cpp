// The state and cause each step's code leaves in the account, for the
// cases the dialogue tests do not reach over a live connection.
#include <gtest/gtest.h>

#include "checker/core/check_outcome.h"
#include "checker/core/line_reader.h"
#include "common/core/oauth_tokens.h"
#include "platform/tls.h"

namespace {

using bw::CheckStep;
using C = bw::AccountCodes;

TEST(StepOutcome, EachStepAndCodeGivesItsStateAndCause) {
  struct Row {
    CheckStep step;
    int code;
    bool continueTimeout, continueConnectER;
    int state, cause;
  };
  const Row rows[] = {
      {CheckStep::SocketLibrary, 1, true, true, C::Suspended, C::CauseSocket},
      {CheckStep::Socket, 1, true, true, C::Suspended, C::CauseSocket},
      {CheckStep::ServiceLookup, bw::LookupTimedOut, true, false, C::RetryWait, C::CauseDns},
      {CheckStep::ServiceLookup, bw::LookupNotFound, true, true, C::Suspended, C::CauseDns},
      {CheckStep::Connect, bw::ConnectNoWorker, true, true, C::Suspended, C::CauseSocket},
      // ContinueTimeout covers a connect that timed out, not one that failed.
      {CheckStep::Connect, bw::ConnectNotMade, true, false, C::Suspended, C::CauseConnection},
      {CheckStep::Connect, bw::ConnectTimedOut, true, false, C::RetryWait, C::CauseConnection},
      {CheckStep::Connect, bw::ConnectTimedOut, false, true, C::RetryWait, C::CauseConnection},
      {CheckStep::TlsSetting, 1, true, true, C::Suspended, C::CauseAccount},
      {CheckStep::Handshake, bw::net::kTlsTimedOut, true, false, C::RetryWait, C::CauseConnection},
      {CheckStep::Handshake, bw::net::kTlsSetupFailed, true, true, C::Suspended, C::CauseSocket},
      {CheckStep::Stls, bw::LineNegativeReply, true, true, C::Suspended, C::CauseAccount},
      {CheckStep::Stls, bw::LineTimeout, true, false, C::RetryWait, C::CauseConnection},
      {CheckStep::Pass, bw::LineTimeout, true, false, C::RetryWait, C::CauseAccount},
      {CheckStep::Stat, bw::LineTimeout, true, false, C::RetryWait, C::CauseTransfer},
      {CheckStep::Stat, bw::LineNegativeReply, true, true, C::Suspended, C::CauseTransfer},
      // The UIDL command itself is the account's; its listing is transfer.
      {CheckStep::UidlCommand, bw::LineNegativeReply, true, true, C::Suspended, C::CauseAccount},
      {CheckStep::UidlListing, bw::LineTimeout, true, false, C::RetryWait, C::CauseTransfer},
      // OAuth: an unreachable token endpoint passes by itself, whatever
      // ContinueTimeout says; a refused grant is the account's to settle.
      {CheckStep::TokenRefresh, bw::oauth::kTokenUnreachable, false, false, C::RetryWait, C::CauseConnection},
      {CheckStep::TokenRefresh, bw::oauth::kTokenInvalidGrant, true, true, C::Suspended, C::CauseAccount},
      {CheckStep::OAuthSetting, 1, true, true, C::Suspended, C::CauseAccount},
      {CheckStep::Xoauth2, bw::Xoauth2Refused, true, true, C::Suspended, C::CauseAccount},
      // IMAP: [UNAVAILABLE] or [INUSE] waits for the next cycle; a refused
      // login, LOGINDISABLED and a folder list with no folder the server
      // has are the account's; BAD is a server error.
      {CheckStep::ImapLogin, bw::LoginTemporaryRefusal, false, false, C::RetryWait, C::CauseAccount},
      {CheckStep::ImapLogin, bw::LineNegativeReply, true, true, C::Suspended, C::CauseAccount},
      {CheckStep::ImapLogin, bw::LoginDisabled, true, true, C::Suspended, C::CauseAccount},
      {CheckStep::ImapLogin, bw::ImapBadReply, true, true, C::Suspended, C::CauseTransfer},
      {CheckStep::ImapFolders, bw::LoginTemporaryRefusal, false, false, C::RetryWait, C::CauseTransfer},
      {CheckStep::ImapFolders, bw::NoFolderReadable, true, true, C::Suspended, C::CauseAccount},
      {CheckStep::ImapFolders, bw::LineTimeout, true, false, C::RetryWait, C::CauseTransfer},
      {CheckStep::ImapFolders, bw::ReplyTooLong, true, true, C::Suspended, C::CauseTransfer},
      {CheckStep::ImapCapability, bw::ImapBadReply, true, true, C::Suspended, C::CauseTransfer},
      {CheckStep::ImapCapability, bw::LineClosed, true, true, C::Suspended, C::CauseConnection},
      // A failed query suspends whatever its step said, keeping the cause.
      {CheckStep::Query, -10, true, true, C::Suspended, bw::kUnchanged},
      // Successes: only the connect and the end of a resolution move the state.
      {CheckStep::Connect, bw::ConnectDone, false, false, C::Communicating, bw::kUnchanged},
      {CheckStep::ServiceLookup, bw::LookupFound, false, false, C::Ready, bw::kUnchanged},
      {CheckStep::Greeting, 0, false, false, bw::kUnchanged, bw::kUnchanged},
  };
  for (const Row& row : rows) {
    const bw::CheckOutcome outcome =
        bw::StepOutcome(row.step, row.code, row.continueTimeout, row.continueConnectER);
    EXPECT_EQ(outcome.state, row.state) << "step " << int(row.step) << " code " << row.code;
    EXPECT_EQ(outcome.cause, row.cause) << "step " << int(row.step) << " code " << row.code;
  }
}

}  // namespace
