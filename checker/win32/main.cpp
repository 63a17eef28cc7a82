// Bellwick.exe entry point: start-up against the real platform.
#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "checker/core/startup.h"
#include "common/core/command_line.h"
#include "common/win32/process_start.h"

namespace bw {
namespace {

const char kClassName[] = "POP3 Mail Checker Checker";
const char kWindowName[] = "Bellwick";

// The checker's application object. It owns the parameter-file records; the
// window, the check cycle and the menu join it as they are built.
class CheckerApplication : public AncestryPop3Controller {
 public:
  void SetUp(HINSTANCE instance, const char* className, const char* windowName) {
    instance_ = instance;
    className_ = className;
    windowName_ = windowName;
  }

 private:
  HINSTANCE instance_ = nullptr;
  std::string className_;
  std::string windowName_;
};

int g_simulation = 0;

class Win32StartupHost : public StartupHost {
 public:
  explicit Win32StartupHost(HINSTANCE instance) : instance_(instance) {}

  bool FindRunningChecker() override {
    running_ = FindWindowA(kClassName, nullptr);
    return running_ != nullptr;
  }
  void CloseRunningChecker() override {
    if (running_) SendMessageA(running_, WM_CLOSE, 0, 0);
  }
  std::unique_ptr<AncestryPop3Controller> CreateApplication() override {
    auto app = std::make_unique<CheckerApplication>();
    app->SetUp(instance_, kClassName, kWindowName);
    return app;
  }
  bool ConfiguratorPresent() override {
    char path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    std::string file(path, n);
    size_t cut = file.find_last_of("\\/");
    file = (cut == std::string::npos ? std::string() : file.substr(0, cut + 1)) + "Knobset.exe";
    DWORD attributes = GetFileAttributesA(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE)) == 0;
  }
  void StartConfigurator() override {
    StartSimpleProcess(nullptr, "Knobset.exe", nullptr, nullptr);
  }
  void EnterSimulationMode() override {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    g_simulation = 1;
  }

 private:
  HINSTANCE instance_;
  HWND running_ = nullptr;
};

int MainRoutine(HINSTANCE instance, const char* commandLine) {
  Win32StartupHost host(instance);
  StartupResult start = RunStartup(commandLine, host);
  if (!start.application) return 0;
  // Instance initialisation, the window and the message loop follow here.
  return 0;
}

}  // namespace
}  // namespace bw

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return bw::MainRoutine(instance, bw::SkipProgramName(GetCommandLineA()));
}
