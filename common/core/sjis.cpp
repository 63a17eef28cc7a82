// Shift_JIS aware lower-casing and path splitting.
#include "common/core/sjis.h"

namespace bw {

void LowerCaseSjis(std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      ++i;  // the trail byte belongs to the character; never examine it
      continue;
    }
    if (c >= 'A' && c <= 'Z') text[i] = static_cast<char>(c - 'A' + 'a');
  }
}

std::string::size_type FileNameStart(const std::string& path) {
  std::string::size_type start = 0;
  for (std::string::size_type i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c)) {
      ++i;  // the trail byte may be 0x5C and is no folder separator
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
  }
  return start;
}

namespace {

// Offset of the last whole character of a non-empty text.
std::string::size_type LastCharacter(const std::string& text) {
  std::string::size_type last = 0;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    last = i;
    if (IsLeadByte(static_cast<unsigned char>(text[i]))) ++i;
  }
  return last;
}

}  // namespace

std::string FileNamePart(const std::string& path) { return path.substr(FileNameStart(path)); }

std::string FolderPart(const std::string& path) { return path.substr(0, FileNameStart(path)); }

std::string ExtensionPart(const std::string& path) {
  std::string::size_type dot = std::string::npos;
  for (std::string::size_type i = FileNameStart(path); i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c)) {
      ++i;
      continue;
    }
    if (c == '.') dot = i;
  }
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

bool EndsWithSeparator(const std::string& path) {
  if (path.empty()) return false;
  std::string::size_type last = LastCharacter(path);
  return last == path.size() - 1 && (path[last] == '\\' || path[last] == '/');
}

std::string WithoutTrailingSeparator(const std::string& folder) {
  if (!EndsWithSeparator(folder)) return folder;
  bool root = folder.size() == 1 || (folder.size() == 3 && folder[1] == ':');
  return root ? folder : folder.substr(0, folder.size() - 1);
}

}  // namespace bw
