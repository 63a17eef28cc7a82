// Main-window rules (see main_rules.h).
#include "configurator/core/main_rules.h"

#include <cstdio>

#include "common/core/param_syntax.h"
#include "common/core/sjis.h"

namespace bw {

namespace {

// Drops one final "\" that is a character of its own, even a root's: the
// directory marker compares the two folders in that form.
std::string WithoutTrailingBackslash(const std::string& path) {
  const bool drop = EndsWithSeparator(path) && path.back() == '\\';
  return drop ? path.substr(0, path.size() - 1) : path;
}

}  // namespace

std::string ModuleText(const std::string& executionFileName) {
  return FileNamePart(executionFileName);
}

std::string DirectoryMarker(const std::string& executionFileName,
                            const std::string& executionPath) {
  if (executionPath.empty()) return "－";
  std::string folder = WithoutTrailingBackslash(FolderPart(executionFileName));
  std::string path = WithoutTrailingBackslash(executionPath);
  LowerCaseSjis(folder);
  LowerCaseSjis(path);
  return folder == path ? "○" : "◆";
}

std::string PositionText(const std::string& executionPosition) {
  int x = 0, y = 0;
  if (!ScanPair(executionPosition, &x, &y)) return "---";
  char text[32];
  std::snprintf(text, sizeof text, "%d,%d", x, y);
  return text;
}

std::string SizeText(const std::string& executionSize) {
  int width = 0, height = 0;
  if (!ScanPair(executionSize, &width, &height)) return "---";
  char text[32];
  std::snprintf(text, sizeof text, "%dX%d", width, height);
  return text;
}

std::string PriorityText(const std::string& priorityText) {
  const int executionPriority = static_cast<int>(StrtolValue(priorityText));
  std::string text;
  switch (executionPriority & 0xF0) {
    case 0x00: text = "継承"; break;
    case 0x10: text = " 低 "; break;
    case 0x20: text = "普通"; break;
    case 0x30: text = " 高 "; break;
    default: text = "????"; break;
  }
  static const char* const kThread[] = {"  ", "-2", "-1", "+0", "+1", "+2"};
  const int thread = executionPriority & 0x0F;
  text += thread <= 5 ? kThread[thread] : "??";
  return text;
}

std::string ArgumentsMarker(const std::string& executionArguments) {
  return executionArguments.empty() ? "－" : "■";
}

std::string InitialOnceMarker(const std::string& executionInitialOnce) {
  return AtoiValue(executionInitialOnce) ? "×" : "○";
}

std::string PathBesideProgram(const std::string& programPath, const char* fileName) {
  return FolderPart(programPath) + fileName;
}

std::string HelpFilePath(const std::string& programPath) {
  const std::string extension = ExtensionPart(programPath);
  return programPath.substr(0, programPath.size() - extension.size()) + ".chm";
}

std::string RestartArguments(bool simulated, const std::string& saveFileName) {
  return std::string(simulated ? "-d 0 -s -p " : "-d 0 -p ") + "\"" + saveFileName + "\"";
}

}  // namespace bw
