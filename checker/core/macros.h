// Argument macros: "$(NAME)" or "$(n.CODE)" in an application's arguments is
// replaced by a display value of the checker or of its n-th account.
#pragma once
#include <string>

#include "checker/core/display_values.h"

namespace bw {

// The value a macro name stands for: with a ".", the leading number before
// it picks the account (1-based) and the text after it is that account's
// code; without one, or with number 0, the name is a display value.
std::string LookUpMacroValue(const DisplaySource& source, const std::string& name);

// Expands every macro of `text`. "\$" gives a literal "$"; Shift_JIS
// double-byte characters pass whole; a broken pattern is copied as written.
std::string ExpandMacros(const DisplaySource& source, const std::string& text);

}  // namespace bw
