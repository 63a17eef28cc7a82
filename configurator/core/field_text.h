// Two path texts the configurator's dialog models share: the working folder
// of a program chosen by path, and the lower-cased copy by which program
// names and extensions are compared. The path rules themselves are the
// shared ones of common/core/sjis.h.
#pragma once
#include <string>

#include "configurator/core/field_binding.h"
#include "common/core/sjis.h"

namespace bw {

// FolderPart without its trailing separator: the working folder of a
// program chosen by path.
std::string WorkingFolderOf(const std::string& path);

// Lower-cased copy (A to Z only; double-byte characters untouched).
std::string LowerCased(std::string text);

}  // namespace bw
