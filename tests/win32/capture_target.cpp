// Target program of the capture tests: two top-level windows, each with a
// push button filling its client area's left half, at fixed places:
// "capture target 1" at 200,150 (300x200), "capture target 2" at 560,150.
// Ends when either window is closed, or after 60 seconds by itself.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, w, l);
}

HWND OpenWindow(HINSTANCE instance, const char* title, int x) {
  HWND window = CreateWindowExA(0, "bw capture target", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                x, 150, 300, 200, nullptr, nullptr, instance, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  CreateWindowExA(0, "BUTTON", "child", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0,
                  client.right / 2, client.bottom, window, reinterpret_cast<HMENU>(100), instance,
                  nullptr);
  return window;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "bw capture target";
  RegisterClassA(&wc);
  OpenWindow(instance, "capture target 1", 200);
  OpenWindow(instance, "capture target 2", 560);
  SetTimer(nullptr, 0, 60000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
