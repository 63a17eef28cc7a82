// Command-line tokenizer (see command_line.h).
#include "common/core/command_line.h"

#include "common/core/sjis.h"

namespace bw {

bool OptionList::Parse(const char* commandLine) {
  entries_.clear();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
  bool lastWasOption = false;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') return true;

    std::string argument;
    bool quoted = false;
    while (*p != '\0') {
      unsigned char c = *p;
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '"') {
        quoted = !quoted;
        argument += static_cast<char>(*p++);
      } else if (c == '\\') {
        // The byte after a backslash is ordinary; when it starts a double-byte
        // character, the whole character is.
        argument += static_cast<char>(*p++);
        if (*p == '\0') return false;
        const bool lead = IsLeadByte(*p);
        argument += static_cast<char>(*p++);
        if (lead && *p != '\0') argument += static_cast<char>(*p++);
      } else if (IsLeadByte(c)) {
        argument += static_cast<char>(*p++);
        if (*p != '\0') argument += static_cast<char>(*p++);
      } else {
        argument += static_cast<char>(*p++);
      }
    }
    if (quoted) return false;

    if (argument[0] == '-' || argument[0] == '+') {
      entries_.emplace_back(argument, std::string());
      lastWasOption = true;
      continue;
    }
    if (!lastWasOption) return false;
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
      argument = argument.substr(1, argument.size() - 2);
    entries_.back().second = argument;
    lastWasOption = false;
  }
}

const std::string* OptionList::Find(const std::string& name) const {
  for (const auto& e : entries_)
    if (e.first == name) return &e.second;
  return nullptr;
}

std::string OptionList::Value(const std::string& name) const {
  const std::string* v = Find(name);
  return v ? *v : std::string();
}

const char* SkipProgramName(const char* commandLine) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p > ' ') ++p;
  }
  while (*p != '\0' && *p <= ' ') ++p;
  return reinterpret_cast<const char*>(p);
}

}  // namespace bw
