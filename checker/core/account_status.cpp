// The account's status line and the attribute texts the status displays
// and argument macros ask for.
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

void Pop3Checker::StatusText(std::string& text) {
  text = Emergency ? "(緊急)" + ConnectionName : ConnectionName;
  if (UseTLS != 0) text += "[TLS]";
  text += ':';
  switch (CheckState) {
    case Unprocessed:
      text += "未処理";
      break;
    case Ready: {
      if (LastCheckTime == 0) {
        text += "未処理";
        break;
      }
      char piece[64];
      if (UseUIDL)
        std::snprintf(piece, sizeof piece, "%s 未読数=%u(%d)", LocalHourMinute(LastCheckTime).c_str(),
                      MessageCount, NewCount);
      else
        std::snprintf(piece, sizeof piece, "%s 未読数=%u", LocalHourMinute(LastCheckTime).c_str(),
                      MessageCount);
      text += piece;
      std::snprintf(piece, sizeof piece, " [%d分周期]", CycleMinutes);
      text += piece;
      break;
    }
    case Communicating:
      text += "通信処理中";
      break;
    case Suspended:
    case RetryWait:
    case ServerRefused:
      text += CheckStateWord(CheckState);
      text += ' ';
      text += ErrorCauseText(CheckState, ErrorCause);
      break;
    default:
      text += "???";
      break;
  }
}

void Pop3Checker::AttributeText(AttributeRequest& request) {
  request.result.clear();
  char text[32];
  const std::string& code = request.code;
  if (code == "ST") {
    StatusText(request.result);
    return;
  }
  if (code == "NR")
    std::snprintf(text, sizeof text, "%u", MessageCount);
  else if (code == "NM")
    std::snprintf(text, sizeof text, "%d", NewCount);
  else if (code == "CT")
    std::snprintf(text, sizeof text, "%d", CycleMinutes);
  else if (code == "AT")
    std::snprintf(text, sizeof text, "%s", LastCheckTime ? LocalHourMinute(LastCheckTime).c_str() : "--:--");
  else
    std::snprintf(text, sizeof text, "Undef");
  request.result = text;
}

}  // namespace bw
