// Opens the provider's sign-in page: the system's browser through the shell
// (the program registered for http and https), or a given browser program
// started with the URL as its one argument.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "platform/browser.h"

namespace bw::net {
namespace {

// Only web addresses are handed on: the shell would just as well start a
// program or open a file named by anything else.
bool IsWebAddress(const std::string& url) {
  const std::string::size_type colon = url.find("://");
  if (colon == std::string::npos) return false;
  std::string scheme = url.substr(0, colon);
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  if (scheme != "http" && scheme != "https") return false;
  for (unsigned char c : url)
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '\\') return false;
  return url.size() > colon + 3;
}

bool OpenWithShell(const std::string& url) {
  // Some shell handlers are COM objects: the thread needs COM while the
  // shell hands the URL over.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  // Wait until the URL is handed over (a DDE conversation may carry it),
  // and show no message box of the shell's own: the caller reports.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = url.c_str();
  info.nShow = SW_SHOWNORMAL;
  const bool ok = ShellExecuteExA(&info) != FALSE;
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}

bool OpenWithProgram(const std::string& url, const std::string& program) {
  // The program is one path; the URL is one quoted argument (it holds no
  // quote, space or backslash, so nothing in it can end the quotes). No
  // shell in between.
  if (program.empty() || program.find('"') != std::string::npos) return false;
  std::string line = "\"" + program + "\" \"" + url + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

bool OpenBrowser(const std::string& url, const std::string& command) {
  if (!IsWebAddress(url)) return false;
  return command.empty() ? OpenWithShell(url) : OpenWithProgram(url, command);
}

}  // namespace bw::net
