// The checker's start-up: command line, a running checker, the parameter
// file (which sets up the log) and the account count. The platform side
// (window search, process start, the application object) is a host
// interface, so the whole road is testable without Windows.
#pragma once
#include <memory>
#include <string>

#include "common/core/command_line.h"
#include "common/core/controller_record.h"

namespace bw {

// The usage text shown for "-h", "-H", "-?" and a command line that cannot
// be parsed.
extern const char kUsageText[];

// What start-up asks of the platform.
class StartupHost {
 public:
  virtual ~StartupHost() = default;
  // A checker window of class "POP3 Mail Checker Checker" exists.
  virtual bool FindRunningChecker() = 0;
  // Sends it WM_CLOSE and returns once it has been handled.
  virtual void CloseRunningChecker() = 0;
  // The application object (none when it cannot be created), set up with
  // the instance, class name and window name.
  virtual std::unique_ptr<AncestryPop3Controller> CreateApplication() = 0;
  // "Knobset.exe" exists as an ordinary file beside the checker.
  virtual bool ConfiguratorPresent() = 0;
  // Starts "Knobset.exe" with no arguments (simple process start).
  virtual void StartConfigurator() = 0;
  // "-s": seed the random generator with the time, set the simulation flag.
  virtual void EnterSimulationMode() = 0;
};

struct StartupResult {
  std::unique_ptr<AncestryPop3Controller> application;
  OptionList options;
  std::string parameterPath;
};

// Runs start-up steps 1 to 11. The result holds the application object when
// the checker goes on; otherwise start-up has shown its message and the
// process ends with exit code 0.
StartupResult RunStartup(const char* commandLine, StartupHost& host);

// The account count check: none or more than 256 accounts give the message
// to show; none when the checker may go on.
const char* AccountCountMessage(const AncestryPop3Controller& controller);

// Shows a checker message box (caption "Bellwick", task-modal).
void ShowCheckerMessage(const std::string& text);

}  // namespace bw
