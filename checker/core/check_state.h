// The check states and error causes of an account: the one definition the
// account, the check cycle and the display values all read.
#pragma once

namespace bw {

// Pop3Checker derives from this, so the codes read as Pop3Checker::Ready as
// well as AccountCodes::Ready where no account is at hand.
struct AccountCodes {
  enum CheckStateCode : int {
    Unprocessed = 0,
    Ready = 1,
    Communicating = 2,
    Suspended = 3,
    RetryWait = 4,
    ServerRefused = 5,
  };
  enum ErrorCauseCode : int {
    CauseNone = 0,  // also: a malformed dotted address
    CauseDns = 1,
    CauseSocket = 2,
    CauseConnection = 3,
    CauseAccount = 4,
    CauseTransfer = 5,
    CauseNetworkDown = 6,  // no usable network address when a look-up or connect failed
  };
};

// Only these two states are checked and kept on the cycle's schedule.
inline bool CheckableState(int state) {
  return state == AccountCodes::Ready || state == AccountCodes::RetryWait;
}

}  // namespace bw
