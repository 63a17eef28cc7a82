// Knobset driver for the end-to-end tests (see knobset_driver.h).
#include "tests/win32/knobset_driver.h"

#include <commctrl.h>

#include <cstring>

#include "common/win32/program_names.h"
#include "platform/win32/wide_text.h"

namespace bw_test {
namespace {

struct DialogSearch {
  DWORD processId;
  const std::string* title;
  HWND found;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->processId || !IsWindowVisible(window)) return TRUE;
  wchar_t cls[32] = L"";
  GetClassNameW(window, cls, 32);
  if (std::wcscmp(cls, L"#32770") == 0 && *search->title == WindowText(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK FindControlBelow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  if (GetDlgCtrlID(window) == search->id) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

KnobsetProcess::KnobsetProcess(const std::string& arguments, const std::string& directory) {
  std::string line = "\"" + BinFolder() + "\\" + bw::kConfiguratorProgram + "\" " + arguments;
  PROCESS_INFORMATION info{};
  if (!StartProcess(line, directory, &info)) return;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  WaitForInputIdle(process_, 10000);
}

KnobsetProcess::KnobsetProcess(HWND window) : owned_(false) {
  GetWindowThreadProcessId(window, &processId_);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                             PROCESS_QUERY_INFORMATION | SYNCHRONIZE,
                         FALSE, processId_);
}

KnobsetProcess::~KnobsetProcess() {
  if (!process_) return;
  if (owned_ && WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool KnobsetProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process_, exitCode);
  return true;
}

HWND KnobsetProcess::WaitForDialog(const std::string& title, DWORD timeoutMs) const {
  for (DWORD waited = 0;; waited += 50) {
    DialogSearch search{processId_, &title, nullptr};
    EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (waited >= timeoutMs) return nullptr;
    Sleep(50);
  }
}

bool KnobsetProcess::AnswerBox(int answer, SeenBox* seen, const std::string& caption,
                               DWORD timeoutMs) const {
  HWND box = WaitForDialog(caption, timeoutMs);
  if (!box) return false;
  Sleep(100);  // let the box finish drawing its text
  if (seen) *seen = ReadBox(box);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
  // The next look must not find this box again.
  for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(25);
  return true;
}

bool KnobsetProcess::NoBoxWithin(DWORD waitMs, const std::string& caption) const {
  return WaitForDialog(caption, waitMs) == nullptr;
}

KnobsetProcess::Remote::Remote(HANDLE process, size_t size) : process_(process) {
  base_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

KnobsetProcess::Remote::~Remote() {
  if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
}

void KnobsetProcess::Remote::Write(size_t offset, const void* data, size_t size) const {
  WriteProcessMemory(process_, At(offset), data, size, nullptr);
}

void KnobsetProcess::Remote::Read(size_t offset, void* data, size_t size) const {
  ReadProcessMemory(process_, At(offset), data, size, nullptr);
}

int KnobsetProcess::ListRowCount(HWND list) const {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string KnobsetProcess::ListCell(HWND list, int row, int column) const {
  // The item structure and its text buffer, side by side in Knobset.
  Remote remote(process_, 4096);
  const size_t textAt = 512;
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = static_cast<wchar_t*>(remote.At(textAt));
  item.cchTextMax = 1024;
  remote.Write(0, &item, sizeof item);
  const LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                 reinterpret_cast<LPARAM>(remote.At()));
  wchar_t text[1025] = L"";
  remote.Read(textAt, text, 1024 * sizeof(wchar_t));
  return bw::Narrow(text, n > 0 ? static_cast<size_t>(n) : 0);
}

void KnobsetProcess::SelectRows(HWND list, const std::vector<int>& rows) const {
  Remote remote(process_, 512);
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = 0;
  remote.Write(0, &item, sizeof item);
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.At()));
  for (int row : rows) {
    item.state = LVIS_SELECTED;
    remote.Write(0, &item, sizeof item);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At()));
  }
}

std::string KnobsetProcess::TabLabel(HWND tabs, int index) const {
  Remote remote(process_, 1024);
  const size_t textAt = 256;
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = static_cast<wchar_t*>(remote.At(textAt));
  item.cchTextMax = 256;
  remote.Write(0, &item, sizeof item);
  SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.At()));
  wchar_t text[257] = L"";
  remote.Read(textAt, text, 256 * sizeof(wchar_t));
  return bw::Narrow(text);
}

void KnobsetProcess::ClickTab(HWND tabs, int index) const {
  Remote remote(process_, 64);
  SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.At()));
  RECT rect{};
  remote.Read(0, &rect, sizeof rect);
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(tabs, WM_LBUTTONUP, 0, at);
  Sleep(300);
}

HWND FindControl(HWND dialog, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(dialog, FindControlBelow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ControlText(HWND dialog, int id) {
  // WM_GETTEXT itself: GetWindowText of another process's control gives
  // only the name the window was created with.
  wchar_t buffer[4096] = L"";
  const LRESULT n = SendMessageW(FindControl(dialog, id), WM_GETTEXT, 4096,
                                 reinterpret_cast<LPARAM>(buffer));
  return bw::Narrow(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

void TypeText(HWND dialog, int id, const std::string& text) {
  SendMessageW(FindControl(dialog, id), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(bw::Wide(text).c_str()));
}

void TypeWideText(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(FindControl(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressButton(HWND dialog, int id) {
  HWND control = FindControl(dialog, id);
  PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
}

void ClickControl(HWND dialog, int id) { PostMessageA(FindControl(dialog, id), BM_CLICK, 0, 0); }

void PickCommand(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

bool ControlEnabled(HWND dialog, int id) {
  // IsWindowEnabled reads the style without asking the dialog's thread, so
  // it could see a handler half done (one control enabled, the next not
  // yet). A message sent first returns only once that handler has ended.
  HWND control = FindControl(dialog, id);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(control, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
  return IsWindowEnabled(control) != FALSE;
}

bool IsChecked(HWND dialog, int id) {
  return SendMessageA(FindControl(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace bw_test
