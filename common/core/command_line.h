// The command-line tokenizer and option list both programs use.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace bw {

// Ordered (name, value) pairs. Options begin with "-" or "+"; a following
// argument that is no option is its value. Look-up is exact and
// case-sensitive; the first match wins.
class OptionList {
 public:
  // Tokenizes a command line (program name already skipped). False when it
  // ends inside quotes or right after a backslash, or when a value has no
  // option before it. Quotes stay in the text, except that a value wrapped
  // whole in quotes loses that outer pair; a backslash makes the next byte
  // ordinary and stays itself; a Shift_JIS character is never split.
  bool Parse(const char* commandLine);

  bool Has(const std::string& name) const { return Find(name) != nullptr; }
  // The option's value, or none when the option is absent.
  const std::string* Find(const std::string& name) const;
  // The option's value, empty when absent.
  std::string Value(const std::string& name) const;

  const std::vector<std::pair<std::string, std::string>>& Entries() const {
    return entries_;
  }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

// Skips the program name at the front of a raw command line (a quoted name up
// to its closing quote, else up to the first byte at or below a space) and
// the blanks after it.
const char* SkipProgramName(const char* commandLine);

}  // namespace bw
