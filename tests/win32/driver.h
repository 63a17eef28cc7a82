// Drives the real programs from a test: starts a process, answers its
// message boxes (recording their texts) and waits for its end. Also offers a
// stand-in for a running checker: a window of the checker's class.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bw_test {

struct SeenBox {
  std::string caption;
  std::string text;
};

struct RunResult {
  DWORD exitCode = 0;
  bool timedOut = false;
  // The checker's window appeared (and was sent WM_CLOSE).
  bool checkerStarted = false;
  std::vector<SeenBox> boxes;
};

// Runs `commandLine` in `directory`, pressing `answer` (IDOK, IDYES, IDNO) in
// every message box the process shows, until it ends or `timeoutMs` passes
// (then it is terminated). A checker window the process opens is sent
// WM_CLOSE at once.
RunResult RunAnsweringBoxes(const std::string& commandLine, const std::string& directory,
                            DWORD timeoutMs = 30000, int answer = IDOK);

// The message box's text (its static control) and caption, in Shift_JIS
// (read through the W functions, whatever the system's code page).
SeenBox ReadBox(HWND box);
// A window's text (GetWindowTextW) in Shift_JIS.
std::string WindowText(HWND window);
// Starts `commandLine` (Shift_JIS) in `directory` through CreateProcessW.
bool StartProcess(const std::string& commandLine, const std::string& directory,
                  PROCESS_INFORMATION* info);

// A window of the checker's class (kCheckerClassName) on a thread of its own that
// counts the WM_CLOSE messages it receives and then goes away.
class FakeRunningChecker {
 public:
  FakeRunningChecker();
  ~FakeRunningChecker();
  FakeRunningChecker(const FakeRunningChecker&) = delete;
  FakeRunningChecker& operator=(const FakeRunningChecker&) = delete;
  int CloseCount() const;

 private:
  static DWORD WINAPI Thread(void* self);
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  DWORD threadId_ = 0;
};

// A minimal POP3 server on 127.0.0.1 in a thread of the test: it accepts
// any login and answers STAT and UIDL with the current message count.
class TinyPop3Server {
 public:
  explicit TinyPop3Server(int messages);
  // On a given port, such as one an earlier server of the test had.
  TinyPop3Server(int messages, int port);
  ~TinyPop3Server();
  TinyPop3Server(const TinyPop3Server&) = delete;
  TinyPop3Server& operator=(const TinyPop3Server&) = delete;
  int Port() const { return port_; }
  void SetMessages(int messages) { InterlockedExchange(&messages_, messages); }

 private:
  static DWORD WINAPI Thread(void* self);
  void Serve(UINT_PTR client);
  UINT_PTR listener_;
  int port_ = 0;
  volatile LONG messages_;
  volatile LONG stop_ = 0;
  HANDLE thread_ = nullptr;
};

// Polls `condition` every 50 ms until it holds (true) or `timeoutMs` has
// passed (then its last value).
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 20000);

// A fresh, empty folder under the temporary folder.
std::string MakeScratchFolder(const std::string& name);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The folder of the programs under test (BW_BIN_DIR, else this exe's folder).
std::string BinFolder();
// The folder of the helper programs a test runs beside them
// (BW_TARGET_BIN_DIR, else BinFolder()). The 32-bit suites take the 64-bit
// helpers, as users run 64-bit programs beside ours.
std::string TargetBinFolder();

}  // namespace bw_test
