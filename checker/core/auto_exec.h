// The auto-exec sequence: the applications the checker starts when mail has
// arrived, one after another with pauses or waits, and their termination.
#pragma once
#include <functional>
#include <string>

#include "common/core/controller_record.h"

namespace bw {

// Expands the argument macros of one text (ExpandMacros over the checker's
// display values).
using MacroExpander = std::function<std::string(const std::string&)>;

// Starts every auto-exec application of `settings` in list order. Each one
// runs with its arguments expanded and gets its own text back afterwards.
// From the second application on, the sequence waits for the previous
// application's end (ExecuteSequence) or sleeps ExecutionDelay.
void RunAutoExecSequence(AncestryPop3Controller& settings, const MacroExpander& expand);

// Ends every auto-exec application with the method set of AutoKillMethod.
void TerminateAutoExecApplications(AncestryPop3Controller& settings);

}  // namespace bw
