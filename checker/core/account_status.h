// The account's status line and the attribute texts the status displays
// and argument macros ask for.
#pragma once
#include <string>

namespace bw {

class Pop3Checker;
struct AttributeRequest;

// Status word of a check state ("未処理", "通信処理中", ...), empty for Ready.
const char* CheckStateWord(int state);
// The bracketed cause text for a failed state, e.g. "(DNSﾀｲﾑｱｳﾄ)".
const char* ErrorCauseText(int state, int cause);

// The one-line status of `account` (name, state and counts or cause).
void AccountStatusText(const Pop3Checker& account, std::string& text);
// Fills request.result for its two-letter code ("ST", "NR", "NM", "CT",
// "AT"; "Undef" for any other).
void AccountAttributeText(const Pop3Checker& account, AttributeRequest& request);

}  // namespace bw
