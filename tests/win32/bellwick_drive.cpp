// bellwick-drive: a small command-line driver for a running checker, used by
// the screenshot script and handy for poking a checker by hand.
//   bellwick-drive text           print the button's face text
//   bellwick-drive command NAME   post WM_COMMAND with the menu command NAME
//                                 (see kCommands) or a numeric id
//   bellwick-drive close          send WM_CLOSE and wait until it is handled
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "checker/win32/bellwick_ids.h"
#include "common/win32/program_names.h"
#include "tests/win32/driver.h"

namespace {

struct Command {
  const char* name;
  unsigned id;
};
const Command kCommands[] = {
    {"exit", IDM_EXIT},           {"configure", IDM_CONFIGURE},
    {"version", IDM_VERSION},     {"bury", IDM_BURY},
    {"status", IDM_STATUS},       {"emergency", IDM_EMERGENCY},
    {"check-now", IDM_CHECK_NOW}, {"reset-errors", IDM_RESET_ERRORS},
};

unsigned CommandId(const char* text) {
  for (const Command& c : kCommands)
    if (std::strcmp(c.name, text) == 0) return c.id;
  return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}

}  // namespace

int main(int argc, char** argv) {
  HWND window = FindWindowA(bw::kCheckerClassName, nullptr);
  if (!window) {
    std::fprintf(stderr, "no checker is running\n");
    return 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "text") == 0) {
    std::printf("%s\n", bw_test::WindowText(window).c_str());
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "command") == 0) {
    return PostMessageA(window, WM_COMMAND, CommandId(argv[2]), 0) ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "close") == 0) {
    SendMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  std::fprintf(stderr, "usage: bellwick-drive text | command NAME | close\n");
  return 2;
}
