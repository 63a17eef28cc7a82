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
#include "checker/win32/platform_query.h"
#include "common/core/command_line.h"
#include "common/core/log.h"
#include "common/win32/launch_win32.h"
#include "common/win32/process_start.h"

namespace bw {
namespace {

class Win32StartupHost : public StartupHost {
 public:
  explicit Win32StartupHost(HINSTANCE instance) : instance_(instance) {}

  bool FindRunningChecker() override {
    running_ = FindWindowA(kCheckerClassName, nullptr);
    return running_ != nullptr;
  }
  void CloseRunningChecker() override {
    if (running_) SendMessageA(running_, WM_CLOSE, 0, 0);
  }
  std::unique_ptr<AncestryPop3Controller> CreateApplication() override {
    auto app = std::unique_ptr<CheckerApplication>(new (std::nothrow) CheckerApplication());
    if (app) app->SetUp(instance_, kCheckerClassName, kCheckerWindowName);
    return app;
  }
  bool ConfiguratorPresent() override {
    char path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return (g_configuratorPresent = 0);
    std::string file(path, n);
    size_t cut = file.find_last_of("\\/");
    file = (cut == std::string::npos ? std::string() : file.substr(0, cut + 1)) + "Knobset.exe";
    DWORD attributes = GetFileAttributesA(file.c_str());
    g_configuratorPresent =
        attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM |
                       FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE)) == 0;
    return g_configuratorPresent != 0;
  }
  void StartConfigurator() override {
    StartSimpleProcess(nullptr, "Knobset.exe", nullptr, nullptr);
  }
  void EnterSimulationMode() override {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    SetSimulationMode(true);
  }

 private:
  HINSTANCE instance_;
  HWND running_ = nullptr;
};

int MainRoutine(HINSTANCE instance, const char* commandLine) {
  Win32StartupHost host(instance);
  StartupResult start = RunStartup(commandLine, host);
  if (!start.application) return 0;
  auto* app = static_cast<CheckerApplication*>(start.application.get());
  app->parameterPath = start.parameterPath;
  InstallWin32Launcher();

  if (app->InitializeInstance() != 0) return 0;
  LinkCheckerLibraries(true);
  const int exitCode = app->Run();
  app->Shutdown();
  LinkCheckerLibraries(false);
  if (IsWindow(app->window)) ::DestroyWindow(app->window);
  LogWrite("--- Program End Code=%d ---\n", exitCode);
  return exitCode;
}

}  // namespace
}  // namespace bw

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return bw::MainRoutine(instance, bw::SkipProgramName(GetCommandLineA()));
}
