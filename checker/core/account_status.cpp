// The account's status line and the attribute texts the status displays
// and argument macros ask for.
#include "checker/core/account_status.h"

#include <cstdio>

#include "checker/core/check_state.h"
#include "checker/core/time_text.h"

namespace bw {

const char* CheckStateWord(int state) {
  switch (state) {
    case AccountCodes::Unprocessed: return "未処理";
    case AccountCodes::Ready: return "";
    case AccountCodes::Communicating: return "通信処理中";
    case AccountCodes::Suspended: return "休止中";
    case AccountCodes::RetryWait: return "ﾘﾄﾗｲ待ち";
    case AccountCodes::ServerRefused: return "ｻｰﾊﾞ拒絶";
    default: return "???";
  }
}

const char* ErrorCauseText(int state, int cause) {
  const bool retry = state == AccountCodes::RetryWait;
  const bool refused = state == AccountCodes::ServerRefused;
  switch (cause) {
    case AccountCodes::CauseDns: return retry ? "(DNSﾀｲﾑｱｳﾄ)" : "(DNSｴﾗｰ)";
    case AccountCodes::CauseSocket: return "(Socketｴﾗｰ)";
    case AccountCodes::CauseConnection: return refused ? "(接続拒否応答)" : "(接続ｴﾗｰ)";
    case AccountCodes::CauseAccount: return retry ? "(ｱｶｳﾝﾄ認証ﾀｲﾑｱｳﾄ)" : "(ｱｶｳﾝﾄｴﾗｰ)";
    case AccountCodes::CauseTransfer: return retry ? "(通信ﾀｲﾑｱｳﾄ)" : "(通信ｴﾗｰ)";
    case AccountCodes::CauseNetworkDown: return "(ﾈｯﾄﾜｰｸ切断中)";
    default: return "(ｴﾗｰ)";
  }
}

void AccountStatusText(const AncestryPop3Checker& record, const AccountLive& live, std::string& text) {
  text = live.emergency ? "(緊急)" + record.ConnectionName : record.ConnectionName;
  if (record.UseTLS != 0) text += "[TLS]";
  text += ':';
  switch (record.CheckState) {
    case AccountCodes::Unprocessed:
      text += "未処理";
      break;
    case AccountCodes::Ready: {
      if (live.lastCheckTime == 0) {
        text += "未処理";
        break;
      }
      char piece[64];
      // An IMAP account always knows its new messages.
      if (record.UseUIDL || record.UsesImap())
        std::snprintf(piece, sizeof piece, "%s 未読数=%u(%d)", LocalHourMinute(live.lastCheckTime).c_str(),
                      live.messageCount, live.newCount);
      else
        std::snprintf(piece, sizeof piece, "%s 未読数=%u", LocalHourMinute(live.lastCheckTime).c_str(),
                      live.messageCount);
      text += piece;
      std::snprintf(piece, sizeof piece, " [%d分周期]", record.CycleMinutes);
      text += piece;
      // The count stays the last one while a dropped connection waits.
      if (live.push == 1) text += " [IDLE待機中]";
      if (live.push == 2) text += " [再接続待ち]";
      break;
    }
    case AccountCodes::Communicating:
      text += "通信処理中";
      break;
    case AccountCodes::Suspended:
    case AccountCodes::RetryWait:
    case AccountCodes::ServerRefused:
      text += CheckStateWord(record.CheckState);
      text += ' ';
      text += ErrorCauseText(record.CheckState, record.ErrorCause);
      break;
    default:
      text += "???";
      break;
  }
}

void AccountAttributeText(const AncestryPop3Checker& record, const AccountLive& live, AttributeRequest& request) {
  request.result.clear();
  char text[32];
  const std::string& code = request.code;
  if (code == "ST") {
    AccountStatusText(record, live, request.result);
    return;
  }
  if (code == "NR")
    std::snprintf(text, sizeof text, "%u", live.messageCount);
  else if (code == "NM")
    std::snprintf(text, sizeof text, "%d", live.newCount);
  else if (code == "CT")
    std::snprintf(text, sizeof text, "%d", record.CycleMinutes);
  else if (code == "AT")
    std::snprintf(text, sizeof text, "%s", live.lastCheckTime ? LocalHourMinute(live.lastCheckTime).c_str() : "--:--");
  else
    std::snprintf(text, sizeof text, "Undef");
  request.result = text;
}

}  // namespace bw
