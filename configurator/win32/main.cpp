// Knobset.exe entry point: reads the command line and the parameter file
// (or shows the first-use notes and starts from the defaults) and runs the
// main window until the user leaves it.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "common/core/command_line.h"
#include "common/core/param_file.h"
#include "configurator/win32/knobset_box.h"
#include "configurator/win32/main_window.h"
#include "configurator/win32/simple_dialogs.h"
#include "common/win32/process_start.h"
#include "platform/win32/wide_text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  std::string commandLine;
  if (!bw::OwnCommandLine(&commandLine)) {
    bw::KnobsetBox(nullptr, std::string("コマンドライン") + bw::kNotShiftJisText,
                   MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  bw::OptionList options;
  options.Parse(bw::SkipProgramName(commandLine.c_str()));
  std::string path = "Bellwick.ini";
  if (const std::string* value = options.Find("-p")) {
    if (value->empty()) {
      bw::KnobsetBox(nullptr, "保存ファイル名が不正です.");
      return 1;
    }
    path = *value;
  }

  bw::ParameterFileHeader header;
  std::unique_ptr<bw::AncestryPop3Controller> controller = bw::LoadParameterFile(path, &header);
  if (!controller) {
    bw::RunFirstUseNotes();
    controller = bw::NewParameterSet();
    if (!controller) return 1;
    header = bw::ParameterFileHeader();
  }

  bw::MainWindow window(path, header, std::move(controller));
  window.Run();
  return 0;
}
