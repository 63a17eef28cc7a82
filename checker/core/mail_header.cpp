// Header fields, sender and date; see mail_header.h.
#include "checker/core/mail_header.h"

#include <cstdio>
#include <ctime>

#include "checker/core/header_text.h"

namespace bw {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

// A quoted string's content: the quotes gone, each quoted pair its
// character.
std::string Unquote(std::string_view text) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return std::string(text);
  std::string out;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '\\' && i + 2 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

// The first mailbox of an address list: up to the first comma outside
// quotes, angle brackets and comments.
std::string_view FirstMailbox(std::string_view from) {
  bool quoted = false;
  int angle = 0;
  int comment = 0;
  for (std::size_t i = 0; i < from.size(); ++i) {
    const char c = from[i];
    if (quoted) {
      if (c == '\\') ++i;
      else if (c == '"') quoted = false;
    } else if (c == '\\') {
      ++i;
    } else if (c == '"' && comment == 0) {
      quoted = true;
    } else if (c == '(') {
      ++comment;
    } else if (c == ')' && comment > 0) {
      --comment;
    } else if (c == '<' && comment == 0) {
      ++angle;
    } else if (c == '>' && angle > 0) {
      --angle;
    } else if (c == ',' && angle == 0 && comment == 0) {
      return from.substr(0, i);
    }
  }
  return from;
}

// Where the mailbox's "<" stands outside quotes and comments, or npos.
std::size_t AngleStart(std::string_view box) {
  bool quoted = false;
  int comment = 0;
  for (std::size_t i = 0; i < box.size(); ++i) {
    const char c = box[i];
    if (quoted) {
      if (c == '\\') ++i;
      else if (c == '"') quoted = false;
    } else if (c == '"' && comment == 0) {
      quoted = true;
    } else if (c == '(') {
      ++comment;
    } else if (c == ')' && comment > 0) {
      --comment;
    } else if (c == '<' && comment == 0) {
      return i;
    }
  }
  return std::string_view::npos;
}

bool BlankText(const std::u16string& text) {
  for (char16_t c : text)
    if (c != u' ' && c != u'\t') return false;
  return true;
}

std::u16string TrimmedText(std::u16string text) {
  std::size_t begin = 0;
  while (begin < text.size() && text[begin] == u' ') ++begin;
  std::size_t end = text.size();
  while (end > begin && text[end - 1] == u' ') --end;
  return text.substr(begin, end - begin);
}

// ---- Dates ----

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

class DateScanner {
 public:
  explicit DateScanner(std::string_view text) : text_(text) {}
  // Skips blanks and comments (a comment such as "(JST)" after the zone).
  void Skip() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (IsBlank(c) || c == '\r' || c == '\n') {
        ++at_;
      } else if (c == '(') {
        int depth = 0;
        for (; at_ < text_.size(); ++at_) {
          if (text_[at_] == '(') ++depth;
          if (text_[at_] == ')' && --depth == 0) {
            ++at_;
            break;
          }
        }
      } else {
        break;
      }
    }
  }
  bool Number(int maxDigits, long long* value, int* digits) {
    Skip();
    *value = 0;
    *digits = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9' && *digits < maxDigits) {
      *value = *value * 10 + (text_[at_++] - '0');
      ++*digits;
    }
    return *digits > 0;
  }
  std::string Word() {
    Skip();
    std::string word;
    while (at_ < text_.size() &&
           ((text_[at_] >= 'a' && text_[at_] <= 'z') || (text_[at_] >= 'A' && text_[at_] <= 'Z')))
      word += LowerAscii(text_[at_++]);
    return word;
  }
  bool Take(char c) {
    Skip();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  char Peek() {
    Skip();
    return at_ < text_.size() ? text_[at_] : '\0';
  }
  bool AtEnd() {
    Skip();
    return at_ >= text_.size();
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// The offset in minutes of a zone name. JST is not in the standard but
// Japanese servers write it. The military letters are taken as -0000 (their signs were published the
// wrong way round, so they say nothing), as are names not known here.
int ZoneMinutes(const std::string& name) {
  static const struct {
    const char* name;
    int minutes;
  } zones[] = {{"ut", 0},        {"utc", 0},       {"gmt", 0},       {"z", 0},        {"est", -5 * 60},
               {"edt", -4 * 60}, {"cst", -6 * 60}, {"cdt", -5 * 60}, {"mst", -7 * 60}, {"mdt", -6 * 60},
               {"pst", -8 * 60}, {"pdt", -7 * 60}, {"jst", 9 * 60}};
  for (const auto& zone : zones)
    if (name == zone.name) return zone.minutes;
  return 0;
}

}  // namespace

HeaderFields FindHeaderFields(std::string_view block) {
  HeaderFields fields;
  bool haveFrom = false, haveSubject = false, haveDate = false;
  std::string* current = nullptr;  // the field being read, continued by folded lines
  std::size_t at = 0;
  while (at < block.size()) {
    std::size_t end = block.find('\n', at);
    if (end == std::string_view::npos) end = block.size();
    std::string_view line = block.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;  // the end of the header
    if (IsBlank(line.front())) {
      // A folded line: unfolding keeps its blank and drops the break.
      if (current) *current += line;
      continue;
    }
    current = nullptr;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);  // obsolete "Subject :"
    std::string_view value = line.substr(colon + 1);
    if (SameName(name, "from") && !haveFrom) {
      haveFrom = true;
      current = &fields.from;
    } else if (SameName(name, "subject") && !haveSubject) {
      haveSubject = true;
      current = &fields.subject;
    } else if (SameName(name, "date") && !haveDate) {
      haveDate = true;
      current = &fields.date;
    }
    if (current) *current = std::string(value);
  }
  fields.from = std::string(Trim(fields.from));
  fields.subject = std::string(Trim(fields.subject));
  fields.date = std::string(Trim(fields.date));
  return fields;
}

std::u16string SenderText(std::string_view from) {
  const std::string_view box = Trim(FirstMailbox(from));
  std::string_view address;
  std::string name;
  const std::size_t angle = AngleStart(box);
  if (angle != std::string_view::npos) {
    const std::size_t close = box.find('>', angle);
    address = Trim(box.substr(angle + 1, (close == std::string_view::npos ? box.size() : close) - angle - 1));
    name = Unquote(Trim(box.substr(0, angle)));
  } else {
    // "addr (Name)": the comment names the sender.
    const std::size_t open = box.find('(');
    const std::size_t close = box.rfind(')');
    if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
      name = Unquote(Trim(box.substr(open + 1, close - open - 1)));
      address = Trim(box.substr(0, open));
    } else {
      address = box;
    }
  }
  std::u16string shown = TrimmedText(DecodeHeaderText(name));
  if (!shown.empty() && !BlankText(shown)) return shown;
  shown = TrimmedText(DecodeHeaderText(address));
  // Neither name nor address: the field as it came, never an empty sender.
  return shown.empty() ? TrimmedText(DecodeHeaderText(box)) : shown;
}

bool ParseMailDate(std::string_view date, long long* utcSeconds) {
  DateScanner scan(date);
  // An optional day of the week and its comma.
  if (scan.Peek() < '0' || scan.Peek() > '9') {
    if (scan.Word().empty()) return false;
    scan.Take(',');
  }
  long long day, year, hour, minute, second = 0;
  int digits;
  if (!scan.Number(2, &day, &digits)) return false;
  static const char* const months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                       "jul", "aug", "sep", "oct", "nov", "dec"};
  const std::string monthName = scan.Word();
  int month = 0;
  for (int m = 0; m < 12; ++m)
    if (monthName == months[m]) month = m + 1;
  if (month == 0) return false;
  if (!scan.Number(4, &year, &digits)) return false;
  // Obsolete years: two digits are 1950 to 2049, three are counted from 1900.
  if (digits == 2) year += year < 50 ? 2000 : 1900;
  else if (digits == 3) year += 1900;
  if (!scan.Number(2, &hour, &digits) || !scan.Take(':') || !scan.Number(2, &minute, &digits)) return false;
  if (scan.Take(':') && !scan.Number(2, &second, &digits)) return false;
  if (day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return false;
  int offset = 0;
  const char sign = scan.Peek();
  if (sign == '+' || sign == '-') {
    scan.Take(sign);
    long long zone;
    if (!scan.Number(4, &zone, &digits) || digits != 4) return false;
    offset = static_cast<int>(zone / 100 * 60 + zone % 100);
    if (sign == '-') offset = -offset;
  } else if (!scan.AtEnd()) {
    offset = ZoneMinutes(scan.Word());
  }
  *utcSeconds = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
                hour * 3600 + minute * 60 + second - offset * 60LL;
  return true;
}

bool LocalTimeOf(long long utcSeconds, int* month, int* day, int* hour, int* minute) {
  const std::time_t t = static_cast<std::time_t>(utcSeconds);
  if (static_cast<long long>(t) != utcSeconds) return false;  // beyond a 32-bit time_t
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &t) != 0) return false;
#else
  if (!localtime_r(&t, &local)) return false;
#endif
  *month = local.tm_mon + 1;
  *day = local.tm_mday;
  *hour = local.tm_hour;
  *minute = local.tm_min;
  return true;
}

std::u16string DateText(std::string_view date) {
  long long utc;
  int month, day, hour, minute;
  if (!ParseMailDate(date, &utc) || !LocalTimeOf(utc, &month, &day, &hour, &minute))
    return TrimmedText(DecodeHeaderText(date));
  char text[48];  // room for any int, so the compiler sees no truncation
  std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d", month, day, hour, minute);
  std::u16string shown;
  for (const char* p = text; *p; ++p) shown += static_cast<char16_t>(*p);
  return shown;
}

MailHeader DecodeMailHeader(std::string_view block) {
  const HeaderFields fields = FindHeaderFields(block);
  MailHeader header;
  header.from = SenderText(fields.from);
  header.subject = TrimmedText(DecodeHeaderText(fields.subject));
  header.date = DateText(fields.date);
  return header;
}

}  // namespace bw
