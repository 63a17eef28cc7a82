// The three fields of a message header that show who wrote and about what:
// found in a header block, decoded, the sender as a name and the date as
// local time.
#pragma once
#include <string>
#include <string_view>

namespace bw {

// The fields as they came (unfolded, blanks around the value trimmed);
// empty when the block lacks one. The first of each counts.
struct HeaderFields {
  std::string from;
  std::string subject;
  std::string date;
};
// Reads the fields out of a header block (lines ended by CR LF or LF; the
// header ends at the first empty line).
HeaderFields FindHeaderFields(std::string_view block);

// What a message shows: sender, subject and date, decoded.
struct MailHeader {
  std::u16string from;
  std::u16string subject;
  std::u16string date;
};
MailHeader DecodeMailHeader(std::string_view block);

// The sender of a From field: the display name of its first mailbox
// (quoted, or as a comment after the address), or the address when it has
// none.
std::u16string SenderText(std::string_view from);

// An RFC 5322 date (obsolete forms included: two- and three-digit years,
// the zone names of North America, military zones and unknown names as
// -0000) as seconds since 1970 in UTC; false when it is no date.
bool ParseMailDate(std::string_view date, long long* utcSeconds);
// The date as local "MM/DD HH:MM"; a text that is no date shows as it
// came.
std::u16string DateText(std::string_view date);

// The local time of a moment, as the C library gives it (the TZ variable
// natively); false when it cannot be had.
bool LocalTimeOf(long long utcSeconds, int* month, int* day, int* hour, int* minute);

}  // namespace bw
