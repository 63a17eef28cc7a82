// bellwick-drive: a small command-line driver for a running checker, used by
// the screenshot script and handy for poking a checker by hand.
//   bellwick-drive text           print the button's face text
//   bellwick-drive command ID     post WM_COMMAND with a menu id
//   bellwick-drive close          send WM_CLOSE and wait until it is handled
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  HWND window = FindWindowA("POP3 Mail Checker Checker", nullptr);
  if (!window) {
    std::fprintf(stderr, "no checker is running\n");
    return 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "text") == 0) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    std::printf("%s\n", text);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "command") == 0) {
    return PostMessageA(window, WM_COMMAND, std::strtoul(argv[2], nullptr, 10), 0) ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "close") == 0) {
    SendMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  std::fprintf(stderr, "usage: bellwick-drive text | command ID | close\n");
  return 2;
}
