// The auto-exec sequence: the applications the checker starts when mail has
// arrived, one after another with pauses or waits, and their termination.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "common/core/controller_record.h"
#include "common/core/launch.h"

namespace bw {

// Expands the argument macros of one text (ExpandMacros over the checker's
// display values).
using MacroExpander = std::function<std::string(const std::string&)>;

// The auto-exec applications of a controller at run time: the records give
// what to start, this object keeps what each start held (by list position;
// the list does not change while the checker runs).
class AutoExecApplications {
 public:
  AutoExecApplications(AncestryPop3Controller& settings, Launcher& launcher);

  // Starts every auto-exec application in list order. Each one runs with
  // its arguments expanded and gets its own text back afterwards. From the
  // second application on, the sequence waits for the previous
  // application's end (ExecuteSequence) or sleeps ExecutionDelay.
  void RunAutoExecSequence(const MacroExpander& expand);

  // Ends every auto-exec application with the method set of AutoKillMethod.
  void TerminateAutoExecApplications();

  // Whether the application at `index` is held from its last start.
  bool Holds(int index) const;

 private:
  ProgramHold& HoldAt(int index);

  AncestryPop3Controller& settings_;
  Launcher& launcher_;
  std::vector<ProgramHold> holds_;
};

}  // namespace bw
