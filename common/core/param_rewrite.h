// Rewrites of a few lines of the parameter file in place, every other byte
// kept: the checker's window geometry at exit and an account's refreshed
// OAuth token. Both go over one scanner that sees the lines as the reader
// does, and both replace the file only when the new one was written whole.
#pragma once
#include <string>

#include "common/core/controller_record.h"

namespace bw {

// Rewrites only the controller's WindowPosition and WindowSize lines with
// the controller's values. The new file is written beside the old one and
// moved over it only when complete, so the file is never left half written.
// kNotCreated has shown "ジオメトリ保存失敗[work file]"; the other failures
// show nothing (the checker leaves them unreported at exit).
enum class GeometrySave { kSaved, kNoFile, kNotCreated, kNotWritten };
GeometrySave SaveGeometry(const AncestryPop3Controller& controller, const std::string& path);

// Rewrites only the OAuthToken lines (and their pieces) of the one account
// block with this ConnectionName, HostName and UserID; every other byte stays. The new value goes where
// the old one stood, or at the end of the block; an empty one removes it. The
// same atomic save as the others, and the file for its owner alone where
// the token is kept in the clear. False, with the file untouched, when the
// account is not found, when two accounts are alike in those three (then
// `alike`, when given, is set: no one can tell which is meant), or when the
// file cannot be written.
bool SaveAccountToken(const std::string& path, const std::string& connectionName, const std::string& hostName,
                      const std::string& userId, const std::string& stored, bool* alike = nullptr);

}  // namespace bw
