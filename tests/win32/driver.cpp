// Program driver for the Windows end-to-end tests (see driver.h).
#include <winsock2.h>

#include "tests/win32/driver.h"

#include "common/win32/program_names.h"
#include "platform/win32/wide_text.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace bw_test {
namespace {

struct BoxSearch {
  DWORD processId;
  std::vector<HWND> found;
  HWND checker = nullptr;
};

BOOL CALLBACK CollectBoxes(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t wide[64];
  if (!GetClassNameW(window, wide, 64)) return TRUE;
  const std::string cls = bw::Narrow(wide);
  if (std::string(cls) == "#32770") search->found.push_back(window);
  if (std::string(cls) == bw::kCheckerClassName) search->checker = window;
  return TRUE;
}

LONG g_closeCount = 0;

LRESULT CALLBACK FakeCheckerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    InterlockedIncrement(&g_closeCount);
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// Texts are read as UTF-16 and turned into Shift_JIS here, so that they
// compare with the programs' texts whatever the system's code page.
SeenBox ReadBox(HWND box) {
  SeenBox seen;
  wchar_t buffer[4096];
  if (GetWindowTextW(box, buffer, 4096)) seen.caption = bw::Narrow(buffer);
  if (GetDlgItemTextW(box, 0xFFFF, buffer, 4096)) seen.text = bw::Narrow(buffer);
  return seen;
}

std::string WindowText(HWND window) {
  wchar_t buffer[4096] = L"";
  const int n = GetWindowTextW(window, buffer, 4096);
  return bw::Narrow(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

bool StartProcess(const std::string& commandLine, const std::string& directory,
                  PROCESS_INFORMATION* info) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::vector<wchar_t> line = bw::WideBuffer(commandLine);
  const std::wstring folder = bw::Wide(directory);
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : folder.c_str(), &startup, info) != FALSE;
}

RunResult RunAnsweringBoxes(const std::string& commandLine, const std::string& directory,
                            DWORD timeoutMs, int answer) {
  RunResult result;
  PROCESS_INFORMATION info{};
  if (!StartProcess(commandLine, directory, &info)) {
    result.timedOut = true;
    return result;
  }
  CloseHandle(info.hThread);
  std::set<HWND> answered;
  DWORD waited = 0;
  for (;;) {
    if (WaitForSingleObject(info.hProcess, 50) == WAIT_OBJECT_0) break;
    waited += 50;
    BoxSearch search{info.dwProcessId, {}, nullptr};
    EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&search));
    if (search.checker) {
      // Start-up went through to the running checker: that is as far as
      // these runs go.
      result.checkerStarted = true;
      SendMessageA(search.checker, WM_CLOSE, 0, 0);
    }
    for (HWND box : search.found) {
      if (answered.count(box)) continue;
      answered.insert(box);
      Sleep(100);  // let the box finish drawing its text
      result.boxes.push_back(ReadBox(box));
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    }
    if (waited >= timeoutMs) {
      result.timedOut = true;
      TerminateProcess(info.hProcess, 99);
      WaitForSingleObject(info.hProcess, 5000);
      break;
    }
  }
  GetExitCodeProcess(info.hProcess, &result.exitCode);
  CloseHandle(info.hProcess);
  return result;
}

FakeRunningChecker::FakeRunningChecker() {
  g_closeCount = 0;
  ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Thread, this, 0, &threadId_);
  WaitForSingleObject(ready_, 10000);
}

FakeRunningChecker::~FakeRunningChecker() {
  PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_, 10000);
  CloseHandle(thread_);
  CloseHandle(ready_);
}

int FakeRunningChecker::CloseCount() const { return static_cast<int>(g_closeCount); }

DWORD WINAPI FakeRunningChecker::Thread(void* self) {
  auto* me = static_cast<FakeRunningChecker*>(self);
  WNDCLASSA wc{};
  wc.lpfnWndProc = FakeCheckerProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = bw::kCheckerClassName;
  RegisterClassA(&wc);
  HWND window = CreateWindowA(wc.lpszClassName, bw::kCheckerWindowName, WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, wc.hInstance, nullptr);
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists now
  SetEvent(me->ready_);
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  if (IsWindow(window)) DestroyWindow(window);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
  return 0;
}

TinyPop3Server::TinyPop3Server(int messages) : messages_(messages) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listen(s, 8);
  listener_ = s;
  thread_ = CreateThread(nullptr, 0, Thread, this, 0, nullptr);
}

TinyPop3Server::~TinyPop3Server() {
  InterlockedExchange(&stop_, 1);
  closesocket(static_cast<SOCKET>(listener_));
  WaitForSingleObject(thread_, 5000);
  CloseHandle(thread_);
  WSACleanup();
}

DWORD WINAPI TinyPop3Server::Thread(void* self) {
  auto* me = static_cast<TinyPop3Server*>(self);
  while (!me->stop_) {
    SOCKET client = accept(static_cast<SOCKET>(me->listener_), nullptr, nullptr);
    if (client == INVALID_SOCKET) break;
    me->Serve(client);
    closesocket(client);
  }
  return 0;
}

void TinyPop3Server::Serve(UINT_PTR client) {
  const SOCKET c = static_cast<SOCKET>(client);
  auto reply = [c](const std::string& text) { send(c, text.data(), static_cast<int>(text.size()), 0); };
  reply("+OK tiny ready\r\n");
  std::string pending;
  char buffer[512];
  for (;;) {
    size_t end;
    while ((end = pending.find("\r\n")) == std::string::npos) {
      int n = recv(c, buffer, sizeof buffer, 0);
      if (n <= 0) return;
      pending.append(buffer, static_cast<size_t>(n));
    }
    const std::string command = pending.substr(0, 4);
    pending.erase(0, end + 2);
    const int messages = static_cast<int>(messages_);
    if (command == "STAT") {
      reply("+OK " + std::to_string(messages) + " " + std::to_string(messages * 100) + "\r\n");
    } else if (command == "UIDL") {
      std::string listing = "+OK\r\n";
      for (int i = 1; i <= messages; ++i)
        listing += std::to_string(i) + " uid" + std::to_string(i) + "\r\n";
      reply(listing + ".\r\n");
    } else if (command == "TOP ") {
      // No message bodies here: the checker's header fetch must take the
      // refusal and keep the count.
      reply("-ERR no TOP here\r\n");
    } else if (command == "QUIT") {
      reply("+OK bye\r\n");
      return;
    } else {
      reply("+OK\r\n");
    }
  }
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (condition()) return true;
    Sleep(50);
  }
  return condition();
}

// With BW_E2E_JAPANESE_FOLDERS=1 every scratch folder's name ends in
// Japanese (with "表", whose second Shift_JIS byte is a backslash), so that
// the programs meet such names in every path they are given.
std::string MakeScratchFolder(const std::string& name) {
  namespace fs = std::filesystem;
  const char* japanese = std::getenv("BW_E2E_JAPANESE_FOLDERS");
  const std::string leaf = name + (japanese && *japanese == '1' ? "_日本語表ﾌｫﾙﾀﾞ" : "");
  fs::path dir = fs::temp_directory_path() / "bw-e2e" / bw::Wide(leaf);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  fs::create_directories(dir);
  return bw::Narrow(dir.wstring());
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  if (std::FILE* in = _wfopen(bw::Wide(path).c_str(), L"rb")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) bytes.append(chunk, n);
    std::fclose(in);
  }
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  if (std::FILE* out = _wfopen(bw::Wide(path).c_str(), L"wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
}

namespace {

// CTest hands over a Unix path; Wine maps the Unix root to drive Z:.
std::string WindowsFolder(const char* dir) {
  return dir[0] == '/' ? std::string("Z:") + dir : std::string(dir);
}

}  // namespace

std::string TargetBinFolder() {
  if (const char* dir = std::getenv("BW_TARGET_BIN_DIR")) return WindowsFolder(dir);
  return BinFolder();
}

std::string BinFolder() {
  if (const char* dir = std::getenv("BW_BIN_DIR")) return WindowsFolder(dir);
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string file = bw::Narrow(path, n);
  return file.substr(0, file.find_last_of("\\/"));
}

}  // namespace bw_test
