// test_browser: the browser of the OAuth tests under Wine, registered as the
// handler of http and https URLs in the tests' private prefix, and only
// while a test runs.
//   test_browser register      handle http and https URLs from now on
//                              (exit 1 if already registered)
//   test_browser unregister    put the handlers found back (exit 1 if ours
//                              is still registered)
//   test_browser check         exit 1 when registered
//   test_browser URL           fetch URL (the provider's page, which answers
//                              with a redirect), then fetch where it points
//                              (the loopback address), as a browser would
// Each URL run appends "opened", the URL and the final HTTP status to the
// file named by BW_TEST_BROWSER_LOG. With BW_TEST_BROWSER_HOLD naming a file,
// it waits (at most 60 s) until that file exists before it fetches, so that
// a test can look at the program while it waits for the browser. The test CA
// must be trusted in the prefix.
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kSchemes[] = {"http", "https"};

// Wine's HKEY_CLASSES_ROOT does not look into the user's own classes
// (HKCU\Software\Classes), so the handler is set there, in the prefix's
// machine classes, and the command it replaces is kept here until
// unregister puts it back.
const char kSaved[] = "Software\\Bellwick tests\\URL handlers";

std::string CommandKey(const char* scheme) { return std::string(scheme) + "\\shell\\open\\command"; }

bool Read(HKEY root, const std::string& path, const char* name, std::string* value) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char text[1024];
  DWORD size = sizeof text - 1;
  DWORD type = 0;
  const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
  text[size] = '\0';
  *value = text;
  return true;
}

bool Write(HKEY root, const std::string& path, const char* name, const std::string& value) {
  HKEY key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool Ours(const char* scheme) {
  std::string command;
  return Read(HKEY_CLASSES_ROOT, CommandKey(scheme), nullptr, &command) &&
         command.find("test_browser.exe") != std::string::npos;
}

bool Registered() { return Ours("http") || Ours("https"); }

int Register() {
  if (Registered()) return 1;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  const std::string command = std::string("\"") + self + "\" \"%1\"";
  for (const char* scheme : kSchemes) {
    std::string old;
    Read(HKEY_CLASSES_ROOT, CommandKey(scheme), nullptr, &old);
    if (!Write(HKEY_CURRENT_USER, kSaved, scheme, old) ||
        !Write(HKEY_CLASSES_ROOT, scheme, "URL Protocol", "") ||
        !Write(HKEY_CLASSES_ROOT, CommandKey(scheme), nullptr, command))
      return 1;
  }
  return 0;
}

int Unregister() {
  for (const char* scheme : kSchemes) {
    std::string old;
    if (Read(HKEY_CURRENT_USER, kSaved, scheme, &old)) Write(HKEY_CLASSES_ROOT, CommandKey(scheme), nullptr, old);
  }
  if (Registered()) return 1;
  RegDeleteKeyA(HKEY_CURRENT_USER, kSaved);
  return 0;
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// One GET without following redirects: the status, and the Location header
// of a redirect.
bool Get(const std::string& url, DWORD* status, std::string* location) {
  const std::wstring wide = Widen(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) return false;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  HINTERNET session = WinHttpOpen(L"test_browser", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  HINTERNET connection = session ? WinHttpConnect(session, host.c_str(), parts.nPort, 0) : nullptr;
  HINTERNET request =
      connection ? WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)
                 : nullptr;
  bool ok = false;
  if (request) {
    DWORD disable = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof disable);
    WinHttpSetTimeouts(request, 10000, 10000, 10000, 10000);
    DWORD size = sizeof *status;
    ok = WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, nullptr, 0, 0, 0) &&
         WinHttpReceiveResponse(request, nullptr) &&
         WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, status, &size, WINHTTP_NO_HEADER_INDEX);
    wchar_t text[4096];
    size = sizeof text;
    if (ok && WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                                  WINHTTP_NO_HEADER_INDEX)) {
      for (const wchar_t* c = text; *c; ++c) *location += static_cast<char>(*c);
    }
    // The page itself is read and dropped.
    char page[4096];
    DWORD got = 0;
    while (ok && WinHttpReadData(request, page, sizeof page, &got) && got > 0) {
    }
  }
  if (request) WinHttpCloseHandle(request);
  if (connection) WinHttpCloseHandle(connection);
  if (session) WinHttpCloseHandle(session);
  return ok;
}

int Browse(const std::string& url) {
  const char* logPath = std::getenv("BW_TEST_BROWSER_LOG");
  FILE* log = logPath ? std::fopen(logPath, "a") : nullptr;
  if (log) {
    std::fprintf(log, "opened\nurl %s\n", url.c_str());
    std::fflush(log);
  }
  if (const char* hold = std::getenv("BW_TEST_BROWSER_HOLD")) {
    for (int i = 0; i < 600 && GetFileAttributesA(hold) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  }
  DWORD status = 0;
  std::string location;
  bool ok = Get(url, &status, &location) && status == 302 && !location.empty();
  if (ok) {
    std::string ignored;
    ok = Get(location, &status, &ignored);
  }
  if (log) {
    std::fprintf(log, "%s %lu\n", ok ? "final" : "failed", static_cast<unsigned long>(status));
    std::fclose(log);
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: test_browser register|unregister|check|URL\n");
    return 2;
  }
  if (std::strcmp(argv[1], "register") == 0) return Register();
  if (std::strcmp(argv[1], "unregister") == 0) return Unregister();
  if (std::strcmp(argv[1], "check") == 0) return Registered() ? 1 : 0;
  return Browse(argv[1]);
}
