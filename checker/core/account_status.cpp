// The account's status line and the attribute texts the status displays
// and argument macros ask for.
#include "checker/core/account_status.h"

#include <cstdio>

#include "checker/core/pop3_checker.h"
#include "checker/core/time_text.h"

namespace bw {

const char* CheckStateWord(int state) {
  switch (state) {
    case Pop3Checker::Unprocessed: return "未処理";
    case Pop3Checker::Ready: return "";
    case Pop3Checker::Communicating: return "通信処理中";
    case Pop3Checker::Suspended: return "休止中";
    case Pop3Checker::RetryWait: return "ﾘﾄﾗｲ待ち";
    case Pop3Checker::ServerRefused: return "ｻｰﾊﾞ拒絶";
    default: return "???";
  }
}

const char* ErrorCauseText(int state, int cause) {
  const bool retry = state == Pop3Checker::RetryWait;
  const bool refused = state == Pop3Checker::ServerRefused;
  switch (cause) {
    case Pop3Checker::CauseDns: return retry ? "(DNSﾀｲﾑｱｳﾄ)" : "(DNSｴﾗｰ)";
    case Pop3Checker::CauseSocket: return "(Socketｴﾗｰ)";
    case Pop3Checker::CauseConnection: return refused ? "(接続拒否応答)" : "(接続ｴﾗｰ)";
    case Pop3Checker::CauseAccount: return retry ? "(ｱｶｳﾝﾄ認証ﾀｲﾑｱｳﾄ)" : "(ｱｶｳﾝﾄｴﾗｰ)";
    case Pop3Checker::CauseTransfer: return retry ? "(通信ﾀｲﾑｱｳﾄ)" : "(通信ｴﾗｰ)";
    default: return "(ｴﾗｰ)";
  }
}

void AccountStatusText(const Pop3Checker& account, std::string& text) {
  const Pop3Checker& a = account;
  text = a.Emergency ? "(緊急)" + a.ConnectionName : a.ConnectionName;
  if (a.UseTLS != 0) text += "[TLS]";
  text += ':';
  switch (a.CheckState) {
    case Pop3Checker::Unprocessed:
      text += "未処理";
      break;
    case Pop3Checker::Ready: {
      if (a.LastCheckTime == 0) {
        text += "未処理";
        break;
      }
      char piece[64];
      if (a.UseUIDL)
        std::snprintf(piece, sizeof piece, "%s 未読数=%u(%d)", LocalHourMinute(a.LastCheckTime).c_str(),
                      a.MessageCount, a.NewCount);
      else
        std::snprintf(piece, sizeof piece, "%s 未読数=%u", LocalHourMinute(a.LastCheckTime).c_str(),
                      a.MessageCount);
      text += piece;
      std::snprintf(piece, sizeof piece, " [%d分周期]", a.CycleMinutes);
      text += piece;
      break;
    }
    case Pop3Checker::Communicating:
      text += "通信処理中";
      break;
    case Pop3Checker::Suspended:
    case Pop3Checker::RetryWait:
    case Pop3Checker::ServerRefused:
      text += CheckStateWord(a.CheckState);
      text += ' ';
      text += ErrorCauseText(a.CheckState, a.ErrorCause);
      break;
    default:
      text += "???";
      break;
  }
}

void AccountAttributeText(const Pop3Checker& account, AttributeRequest& request) {
  const Pop3Checker& a = account;
  request.result.clear();
  char text[32];
  const std::string& code = request.code;
  if (code == "ST") {
    AccountStatusText(a, request.result);
    return;
  }
  if (code == "NR")
    std::snprintf(text, sizeof text, "%u", a.MessageCount);
  else if (code == "NM")
    std::snprintf(text, sizeof text, "%d", a.NewCount);
  else if (code == "CT")
    std::snprintf(text, sizeof text, "%d", a.CycleMinutes);
  else if (code == "AT")
    std::snprintf(text, sizeof text, "%s", a.LastCheckTime ? LocalHourMinute(a.LastCheckTime).c_str() : "--:--");
  else
    std::snprintf(text, sizeof text, "Undef");
  request.result = text;
}

}  // namespace bw
