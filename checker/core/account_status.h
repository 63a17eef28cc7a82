// The account's status line and the attribute texts the status displays
// and argument macros ask for.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>

#include "common/core/account_record.h"

namespace bw {

// Carries a two-letter attribute code in and its text out (AttributeText).
struct AttributeRequest {
  std::string code;
  std::string result;
};

// The live values of an account that its status shows beside its record.
struct AccountLive {
  bool emergency;
  std::uint32_t messageCount;
  std::int32_t newCount;
  std::time_t lastCheckTime;  // 0 = never checked
  // Push (IMAP IDLE): 0 polled, 1 idling, 2 waiting to reconnect.
  int push = 0;
};

// Status word of a check state ("未処理", "通信処理中", ...), empty for Ready.
const char* CheckStateWord(int state);
// The bracketed cause text for a failed state, e.g. "(DNSﾀｲﾑｱｳﾄ)".
const char* ErrorCauseText(int state, int cause);

// The one-line status of an account (name, state and counts or cause).
void AccountStatusText(const AncestryPop3Checker& record, const AccountLive& live, std::string& text);
// Fills request.result for its two-letter code ("ST", "NR", "NM", "CT",
// "AT"; "Undef" for any other).
void AccountAttributeText(const AncestryPop3Checker& record, const AccountLive& live,
                          AttributeRequest& request);

}  // namespace bw
