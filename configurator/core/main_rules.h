// The main window's texts that need neither a window nor the tabs: the cell
// texts of the application rows, and the paths and command lines it derives.
#pragma once
#include <string>

namespace bw {

// Cell texts of the application rows, from their keys' value texts (a
// position or size "" when not given).
std::string ModuleText(const std::string& executionFileName);
std::string DirectoryMarker(const std::string& executionFileName,
                            const std::string& executionPath);
std::string PositionText(const std::string& executionPosition);
std::string SizeText(const std::string& executionSize);
std::string PriorityText(const std::string& executionPriority);
std::string ArgumentsMarker(const std::string& executionArguments);
std::string InitialOnceMarker(const std::string& executionInitialOnce);


// Paths beside the program: the folder part (up to the last "\" or "/") of
// `programPath` followed by `fileName`; only `fileName` without a folder.
std::string PathBesideProgram(const std::string& programPath, const char* fileName);
// The help file: the program path with its extension replaced by ".chm".
std::string HelpFilePath(const std::string& programPath);
// The checker's arguments for a restart: always the file name in quotes.
std::string RestartArguments(bool simulated, const std::string& saveFileName);

}  // namespace bw
