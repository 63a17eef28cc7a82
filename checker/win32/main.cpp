// Bellwick.exe entry point: start-up against the real platform, then the
// instance initialisation, the message loop and the shutdown.
#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "checker/core/simulation.h"
#include "checker/core/startup.h"
#include "checker/win32/checker_application.h"
#include "common/core/command_line.h"
#include "common/core/log.h"
#include "common/core/sjis.h"
#include "common/win32/process_start.h"
#include "common/win32/program_names.h"
#include "platform/win32/wide_text.h"

namespace bw {
namespace {

class Win32StartupHost : public StartupHost {
 public:
  explicit Win32StartupHost(HINSTANCE instance) : instance_(instance) {}

  bool FindRunningChecker() override {
    running_ = FindWindowW(Wide(kCheckerClassName).c_str(), nullptr);
    return running_ != nullptr;
  }
  void CloseRunningChecker() override {
    if (running_) SendMessageW(running_, WM_CLOSE, 0, 0);
  }
  std::unique_ptr<AncestryPop3Controller> CreateApplication() override {
    return std::unique_ptr<CheckerApplication>(new (std::nothrow) CheckerApplication(instance_));
  }
  // The configurator counts when Knobset.exe is a plain file in this
  // program's folder.
  bool ConfiguratorPresent() override {
    const std::string folder = OwnProgramFolder();
    if (folder.empty()) return (configuratorPresent_ = false);
    DWORD attributes = GetFileAttributesW(Wide(folder + kConfiguratorProgram).c_str());
    configuratorPresent_ =
        attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM |
                       FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE)) == 0;
    return configuratorPresent_;
  }
  void StartConfigurator() override {
    StartSimpleProcess(nullptr, kConfiguratorProgram, nullptr, nullptr);
  }
  void EnterSimulationMode() override {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    SetSimulationMode(true);
  }

  bool configuratorPresent() const { return configuratorPresent_; }

 private:
  HINSTANCE instance_;
  HWND running_ = nullptr;
  bool configuratorPresent_ = true;
};

int MainRoutine(HINSTANCE instance, const char* commandLine) {
  Win32StartupHost host(instance);
  StartupResult start = RunStartup(commandLine, host);
  if (!start.application) return 0;
  auto* app = static_cast<CheckerApplication*>(start.application.get());
  app->SetParameterPath(start.parameterPath);
  app->SetConfiguratorPresent(host.configuratorPresent());

  if (app->InitializeInstance() != 0) return 0;
  const int exitCode = app->Run();
  app->Shutdown();
  LogWrite("--- Program End Code=%d ---\n", exitCode);
  return exitCode;
}

}  // namespace
}  // namespace bw

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::string commandLine;
  if (!bw::OwnCommandLine(&commandLine)) {
    const std::string message = std::string("コマンドライン") + bw::kNotShiftJisText;
    MessageBoxW(nullptr, bw::Wide(message).c_str(), bw::Wide(bw::kCheckerWindowName).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  return bw::MainRoutine(instance, bw::SkipProgramName(commandLine.c_str()));
}
