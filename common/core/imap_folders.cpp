// Splitting and joining the ImapFolders value; see imap_folders.h.
#include "common/core/imap_folders.h"

#include "common/core/sjis.h"

namespace bw {
namespace {

void TakeName(std::string& name, std::vector<std::string>& names) {
  const std::string::size_type first = name.find_first_not_of(" \t");
  if (first != std::string::npos) {
    const std::string::size_type last = name.find_last_not_of(" \t");
    names.push_back(name.substr(first, last - first + 1));
  }
  name.clear();
}

}  // namespace

std::vector<std::string> ImapFolderList(const std::string& text) {
  std::vector<std::string> names;
  std::string name;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c) && i + 1 < text.size()) {
      name.append(text, i, 2);
      ++i;
    } else if (c == '\\' && i + 1 < text.size() && (text[i + 1] == ',' || text[i + 1] == '\\')) {
      name += text[++i];
    } else if (c == ',') {
      TakeName(name, names);
    } else {
      name += static_cast<char>(c);
    }
  }
  TakeName(name, names);
  if (names.empty()) names.push_back(kDefaultImapFolder);
  return names;
}

std::string JoinImapFolderList(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ',';
    for (std::string::size_type i = 0; i < name.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(name[i]);
      if (IsLeadByte(c) && i + 1 < name.size()) {
        text.append(name, i, 2);
        ++i;
        continue;
      }
      if (c == ',' || c == '\\') text += '\\';
      text += static_cast<char>(c);
    }
  }
  return text;
}

}  // namespace bw
