// Helper program of the launcher tests. Options:
//   -w              open a visible top-level window (title "bw probe")
//   -r FILE         on WM_APP, write "x y w h show threadPriority class" to FILE
//   -c              ignore WM_CLOSE (window or thread message)
//   -q              ignore WM_QUIT
//   -e MS           exit by itself after MS milliseconds
// Without -w the program still runs a message loop on its main thread.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool g_ignoreClose = false;
const char* g_report = nullptr;

void WriteReport(HWND window) {
  if (!g_report) return;
  RECT r{};
  GetWindowRect(window, &r);
  const char* show = IsIconic(window) ? "min" : IsZoomed(window) ? "max" : "normal";
  std::FILE* f = std::fopen(g_report, "w");
  if (!f) return;
  std::fprintf(f, "%ld %ld %ld %ld %s %d %lu\n", r.left, r.top, r.right - r.left,
               r.bottom - r.top, show, GetThreadPriority(GetCurrentThread()),
               static_cast<unsigned long>(GetPriorityClass(GetCurrentProcess())));
  std::fclose(f);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_APP:
      WriteReport(window);
      return 1;
    case WM_CLOSE:
      if (g_ignoreClose) return 0;
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_TIMER:
      ExitProcess(3);
  }
  return DefWindowProcA(window, message, w, l);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  // Started without arguments (as the shell way starts it), it shows a window.
  bool window = __argc == 1, ignoreQuit = false;
  int exitAfter = 0;
  for (int i = 1; i < __argc; ++i) {
    const char* a = __argv[i];
    if (!std::strcmp(a, "-w")) window = true;
    else if (!std::strcmp(a, "-c")) g_ignoreClose = true;
    else if (!std::strcmp(a, "-q")) ignoreQuit = true;
    else if (!std::strcmp(a, "-r") && i + 1 < __argc) g_report = __argv[++i];
    else if (!std::strcmp(a, "-e") && i + 1 < __argc) exitAfter = std::atoi(__argv[++i]);
  }
  HWND hwnd = nullptr;
  if (window) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "BwProbeWindow";
    RegisterClassA(&wc);
    hwnd = CreateWindowA("BwProbeWindow", "bw probe", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 300, 200, nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
  }
  if (exitAfter > 0) SetTimer(hwnd, 1, static_cast<UINT>(exitAfter), nullptr);
  MSG msg;
  for (;;) {
    BOOL r = GetMessageA(&msg, nullptr, 0, 0);
    if (r == 0) {
      if (ignoreQuit) continue;
      return 0;
    }
    if (r < 0) return 2;
    if (!msg.hwnd && msg.message == WM_CLOSE && !g_ignoreClose) return 0;
    if (!msg.hwnd && msg.message == WM_TIMER) return 3;
    DispatchMessageA(&msg);
  }
}
