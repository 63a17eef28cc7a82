// Face, status, time and count texts.
#include "checker/core/display_values.h"

#include <cstdio>

namespace bw {

std::string LocalHourMinute(std::time_t t) {
  std::tm local{};
  const std::tm* p = std::localtime(&t);
  if (p) local = *p;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", local.tm_hour, local.tm_min);
  return text;
}

std::string FaceText(const DisplaySource& source) {
  bool anyActive = false;
  for (int i = 0; i < source.AccountCount(); ++i) {
    int state = source.AccountCheckState(i);
    if (state != kStateSuspended && state != kStateServerRefused) {
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
