// The main window's commands on the file as a whole and beyond the window:
// save, load, exit, the checker restart, help, about and the file dialogs.
#include "configurator/win32/main_window.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstring>

#include "common/win32/process_start.h"
#include "common/win32/program_names.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"
#include "configurator/core/main_rules.h"
#include "configurator/win32/main_paths.h"
#include "configurator/win32/simple_dialogs.h"
#include "configurator/win32/knobset_box.h"
#include "configurator/win32/file_chooser.h"

namespace bw {
namespace {

// The save-file dialog of "参照(&1)..." and "参照(&2)...", and Load's open
// dialog. Starts in the folder of `current` with its file name filled in.
bool AskFileName(HWND owner, bool open, const char* filter, const char* extension,
                 std::string* path) {
  std::string folder, file;
  const std::string current = *path;
  const size_t slash = current.find_last_of("\\/");
  if (slash != std::string::npos) {
    folder = current.substr(0, slash + 1);
    file = current.substr(slash + 1);
  } else {
    file = current;
  }
  const DWORD flags = OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN | OFN_NOCHANGEDIR |
                      (open ? OFN_FILEMUSTEXIST | OFN_HIDEREADONLY : OFN_OVERWRITEPROMPT);
  return AskFile(owner, open, filter, file, folder.empty() ? nullptr : folder.c_str(), extension,
                 flags, path);
}

}  // namespace

bool MainWindow::Save() {
  if (!ReadControls()) return false;
  return SaveParameterFile(
      saveFileName_, logFileName_, logFileLimit_, *controller_,
      [](void* self) {
        auto* me = static_cast<MainWindow*>(self);
        me->UpdateEnabling();
        me->dirty_ = false;
      },
      this);
}

void MainWindow::Load() {
  if (!ReadControls()) return;
  if (dirty_ && KnobsetBox(Handle(), "変更内容が破棄されます. 読み込みますか?",
                           MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) != IDYES)
    return;
  std::string path = saveFileName_;
  if (!AskFileName(Handle(), true, "設定保存ﾌｧｲﾙ (*.INI)|*.ini|全て(*.*)|*.*||", "ini", &path))
    return;
  ParameterFileHeader header;
  std::unique_ptr<AncestryPop3Controller> loaded = LoadParameterFile(path, &header);
  if (!loaded) {
    KnobsetBox(Handle(), "ファイル[" + path + "]の読み込みに失敗しました.");
    return;
  }
  KnobsetBox(Handle(), "新しい定義ファイルを読み込みました.");
  saveFileName_ = path;
  controller_ = std::move(loaded);  // the old controller frees every old record
  logFileName_ = header.logFileName;
  logFileLimit_ = header.logFileLimit;
  fileVersion_ = header.fileVersion;
  TakeConfiguration();
}

void MainWindow::Exit() {
  if (dirty_) {
    const int answer = KnobsetBox(
        Handle(),
        "変更内容が保存されていません. 保存してから終了しますか？\r\n"
        "\t[はい]\t保存終了します\r\n\t[いいえ]\t破棄終了します\r\n\t[ｷｬﾝｾﾙ]\t中止します\r\n",
        MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONQUESTION);
    if (answer == IDCANCEL) return;
    if (answer == IDYES) {
      if (!ReadControls() || !CheckListLimits(*controller_)) return;
      // A file that cannot be created is reported by the save; the window
      // stays with the edits, which would otherwise be lost.
      if (!Save()) return;
    }
  }
  dirty_ = false;
  End(IDCANCEL);
}

void MainWindow::Restart(bool simulated) {
  if (!checkerPresent_) {
    KnobsetBox(Handle(), "Bellwickが、同じフォルダに格納されていません.");
    return;
  }
  if (dirty_) {
    if (!ReadControls() || !CheckListLimits(*controller_)) return;
    if (KnobsetBox(Handle(), "まず、変更を保存します. よろしいですか？", MB_YESNO) != IDYES) return;
    // Starting the checker on a file that does not hold the changes (or
    // does not exist) would not be the restart the user asked for.
    if (!Save()) return;
  }
  if (HWND running = FindWindowW(Wide(kCheckerClassName).c_str(), nullptr)) {
    const char* question = simulated ? "ｼﾐｭﾚｰﾄﾓｰﾄﾞにて再起動します. よろしいですか？\r\n"
                                     : "再起動します. よろしいですか？\r\n";
    if (KnobsetBox(Handle(), question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    // SendMessage returns once the checker has handled the close.
    SendMessageW(running, WM_CLOSE, 0, 0);
    Sleep(500);
  }
  const std::string arguments = RestartArguments(simulated, saveFileName_);
  StartSimpleProcess(nullptr, checkerPath_.c_str(), arguments.c_str(), nullptr);
}

void MainWindow::Help() {
  const std::string program = ProgramPath();
  const std::string help = HelpFilePath(program);
  if (program.empty() || !IsOrdinaryFile(help)) {
    MessageBoxW(Handle(), Wide("ﾍﾙﾌﾟﾌｧｲﾙが見つかりません.").c_str(), L"HELP Error", MB_OK);
    return;
  }
  const std::string folder = program.substr(0, program.find_last_of("\\/") + 1);
  wchar_t viewerName[MAX_PATH] = {};
  const INT_PTR found = reinterpret_cast<INT_PTR>(
      FindExecutableW(Wide(help).c_str(), Wide(folder).c_str(), viewerName));
  if (found <= 32) {
    // FindExecutable's small codes are the system's error numbers, except
    // for the missing association.
    SetLastError(found == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : static_cast<DWORD>(found));
    ShowSystemError(true);
    return;
  }
  bool lossless = true;
  const std::string viewer = Narrow(viewerName, std::wstring(viewerName).size(), &lossless);
  if (!lossless) {
    KnobsetBox(Handle(), "ﾍﾙﾌﾟの表示ﾌﾟﾛｸﾞﾗﾑ[" + viewer + "]" + kNotShiftJisText,
               MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const std::string argument = "\"" + help + "\"";
  StartSimpleProcess(nullptr, viewer.c_str(), argument.c_str(), nullptr);
}

void MainWindow::About() { RunAboutBox(Handle()); }

void MainWindow::BrowseSave() {
  std::string path = ItemText(IDC_SAVE_FILE);
  if (!AskFileName(Handle(), false, "設定保存ﾌｧｲﾙ (*.INI)|*.ini|全て (*.*)|*.*||", "ini", &path))
    return;
  saveFileName_ = path;
  SetTextQuietly(IDC_SAVE_FILE, path);
  UpdateEnabling();
  dirty_ = true;
}

void MainWindow::BrowseLog() {
  std::string path = ItemText(IDC_LOG_FILE);
  if (!AskFileName(Handle(), false, "ﾛｸﾞﾌｧｲﾙ (*.TXT)|*.txt|全て (*.*)|*.*||", "txt", &path))
    return;
  logFileName_ = path;
  SetItemText(IDC_LOG_FILE, path);  // the edit-change rule marks the change
}

}  // namespace bw
