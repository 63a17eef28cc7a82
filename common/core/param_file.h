// Whole-file operations on the parameter file: the checker's start-up reader,
// the configurator's loader and writer. (The rewrites of single lines are in
// param_rewrite.h.)
#pragma once
#include <memory>
#include <string>

#include "common/core/controller_record.h"

namespace bw {

// The three top-level settings that stand before the controller block.
struct ParameterFileHeader {
  std::string fileVersion;
  std::string logFileName;
  int logFileLimit = 0;
};

constexpr int kFileVersion = 0x110;

// The checker's reader: fills `controller` and sets up the log as the file
// asks (paths relative to the current directory). Negative for a format
// error (including a file that cannot be opened), otherwise success.
int ReadParameterFile(const std::string& path, AncestryPop3Controller& controller,
                      ParameterFileHeader* header);
// The same over text already opened.
int ReadParameterFile(TextInput& in, AncestryPop3Controller& controller,
                      ParameterFileHeader* header);

// A save that was cut off after the old file was gone but before the work
// file took its place leaves the work file ("FILE_new") as the only copy.
// When `path` (or the file its links lead to) is missing and that work file
// is complete (its blocks close and the end marker follows them), the work
// file is moved back into place; true when it was. Every reader and writer
// of the parameter file calls this first, so no save deletes the copy as a
// leftover.
bool RecoverParameterFile(const std::string& path);

// The configurator's loader: the controller read from the file, or none when
// the file cannot be opened or holds no controller block.
std::unique_ptr<AncestryPop3Controller> LoadParameterFile(const std::string& path,
                                                          ParameterFileHeader* header);

// Refuses lists the checker cannot run: 1 to 256 accounts, at most 16
// auto-exec and 9 menu applications. Shows the reason; true when all fit.
bool CheckListLimits(const AncestryPop3Controller& controller);

// The configurator's writer. Writes nothing when the list limits are not
// met; shows "%s ファイルが作成できません." when the file cannot be written.
// `afterSave` runs between the write and the "保存しました." box. True when
// the file was written.
bool SaveParameterFile(const std::string& path, const std::string& logFileName,
                       int logFileLimit, AncestryPop3Controller& controller,
                       void (*afterSave)(void*) = nullptr, void* context = nullptr);

// The configurator's start when no file could be loaded: every default, and
// passwords protected from the first save on (an existing file keeps its
// setting until the user changes it).
std::unique_ptr<AncestryPop3Controller> NewParameterSet();

// True when any account keeps an OAuth token.
bool HoldsToken(const AncestryPop3Controller& controller);

}  // namespace bw
