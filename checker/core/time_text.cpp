// Local-time texts; see time_text.h.
#include "checker/core/time_text.h"

#include <cstdio>

namespace bw {
namespace {

// A time the C library cannot convert shows as all zeros rather than as
// whatever a failed conversion would leave.
std::tm LocalParts(std::time_t t) {
  std::tm local{};
  if (const std::tm* p = std::localtime(&t)) local = *p;
  return local;
}

}  // namespace

std::string AsctimeText(std::time_t t) {
  static const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::tm local = LocalParts(t);
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n",
                kDays[(local.tm_wday % 7 + 7) % 7], kMonths[(local.tm_mon % 12 + 12) % 12],
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                1900 + local.tm_year);
  return text;
}

std::string LocalHourMinute(std::time_t t) {
  const std::tm local = LocalParts(t);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", local.tm_hour, local.tm_min);
  return text;
}

}  // namespace bw
