// Face, status, time and count texts.
#include "checker/core/display_values.h"

#include <cstdio>

#include "checker/core/check_state.h"
#include "checker/core/time_text.h"

namespace bw {

std::string FaceText(const DisplaySource& source) {
  bool anyActive = false;
  for (int i = 0; i < source.AccountCount(); ++i) {
    int state = source.AccountCheckState(i);
    if (state != AccountCodes::Suspended && state != AccountCodes::ServerRefused) {
      anyActive = true;
      break;
    }
  }
  if (!anyActive) return "停止";
  bool emergency = source.AnyEmergency();
  if (source.LastCheckTime() == 0) return emergency ? "(緊急)\r\n待機中" : "待機中";
  char count[32];
  std::snprintf(count, sizeof count, "%d", source.TotalUnread());
  return std::string(emergency ? "(緊急)" : "") + LocalHourMinute(source.LastCheckTime()) +
         "\r\n未読数=" + count;
}

std::string BuildDisplayValue(const DisplaySource& source, const std::string& name) {
  if (name == "CP") return FaceText(source);
  if (name == "ST") {
    std::string lines;
    for (int i = 0; i < source.AccountCount(); ++i) {
      if (i > 0) lines += "\r\n";
      lines += source.AccountAttributeText(i, "ST");
    }
    return lines;
  }
  if (name == "TM")
    return source.LastCheckTime() == 0 ? "--:--" : LocalHourMinute(source.LastCheckTime());
  if (name == "NR") {
    if (source.LastCheckTime() == 0) return "XX";
    char count[32];
    std::snprintf(count, sizeof count, "%d", source.TotalUnread());
    return count;
  }
  return std::string();
}

}  // namespace bw
