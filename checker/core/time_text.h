// The two local-time texts of the checker: the asctime form of the log's
// check headers and the "hh:mm" of the face and the status lines. Both are
// built by hand so that no locale can change them.
#pragma once
#include <ctime>
#include <string>

namespace bw {

// The local time of `t` in the asctime form: "Sun Sep 16 01:03:52 1973\n".
std::string AsctimeText(std::time_t t);

// "%02d:%02d" with the local hour and minute of `t`.
std::string LocalHourMinute(std::time_t t);

}  // namespace bw
