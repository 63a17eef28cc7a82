// Win32 implementation of the platform's files. Names are Shift_JIS
// inside the programs and go to Windows in UTF-16 (see wide_text.h).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>

#include "platform/files.h"
#include "platform/win32/wide_text.h"

namespace bw {

std::FILE* PlatformOpenFile(const std::string& path, const char* mode) {
  return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool PlatformDeleteFile(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) != 0;
}

bool PlatformFileSize(const std::string& path, std::uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

namespace {

// The attributes SetFileAttributesW can give back.
const DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// The full name of a path, with long names for short ones where it exists.
std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH], longer[MAX_PATH];
  DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return path;
  n = GetLongPathNameW(full, longer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(longer, n) : std::wstring(full);
}

// The name of the file `path` leads to, links followed, when the system can
// tell (GetFinalPathNameByHandleW came with Vista, and with it file links).
// Asked of every existing file, as a link need not show itself as a reparse
// point: Wine's links to host files do not.
bool FinalPath(const std::wstring& path, std::wstring* real) {
  using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
  static const FinalPathFn finalPath = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
  if (!finalPath) return false;
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  wchar_t buffer[MAX_PATH + 8];
  DWORD n = finalPath(h, buffer, MAX_PATH + 8, 0);
  CloseHandle(h);
  if (n == 0 || n >= MAX_PATH + 8) return false;
  real->assign(buffer, n);
  if (real->compare(0, 8, L"\\\\?\\UNC\\") == 0) *real = L"\\" + real->substr(7);
  else if (real->compare(0, 4, L"\\\\?\\") == 0) real->erase(0, 4);
  return real->size() < MAX_PATH;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return lstrcmpiW(FullPath(a).c_str(), FullPath(b).c_str()) == 0;
}

}  // namespace

std::string PlatformResolveLinks(const std::string& path) {
  const std::wstring name = Wide(path);
  std::wstring real;
  // The same file by its own name keeps the name it was given.
  if (!FinalPath(name, &real) || SameName(real, name)) return path;
  // A real name Shift_JIS cannot hold cannot be saved to: the link's own
  // name is kept, and the save replaces the link.
  bool lossless = false;
  std::string narrow = Narrow(real, &lossless);
  return lossless ? narrow : path;
}

bool PlatformMayReplace(const std::string& path) {
  DWORD attributes = Attributes(Wide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // created, or the move fails
  return !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

std::FILE* PlatformCreateWorkFile(const std::string& workPath, const std::string&) {
  const std::wstring work = Wide(workPath);
  // A plain file of that name goes first. Wine deletes what a link to a
  // host file leads to, not the link, so a name that leads elsewhere stays.
  DWORD stale = Attributes(work);
  std::wstring real;
  if (stale != INVALID_FILE_ATTRIBUTES &&
      !(stale & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
      (!FinalPath(work, &real) || SameName(real, work)))
    DeleteFileW(work.c_str());
  // CREATE_NEW fails on any name that is still there, a link included. No
  // one else may open the work file while it is written.
  HANDLE h = CreateFileW(work.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    DeleteFileW(work.c_str());
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (!file) {
    _close(fd);
    DeleteFileW(work.c_str());
  }
  return file;
}

bool PlatformReplaceFile(const std::string& fromPath, const std::string& toPath) {
  const std::wstring from = Wide(fromPath), to = Wide(toPath);
  DWORD attributes = Attributes(to);
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  // ReplaceFileW keeps the replaced file's ACL and attributes. Wine's needs
  // a folder in both names and does not carry the attributes over, so they
  // are given back here where they differ.
  if (!ReplaceFileW(FullPath(to).c_str(), FullPath(from).c_str(), nullptr, 0, nullptr, nullptr)) {
    // Without a backup name, a work file that could not be renamed leaves
    // the old file gone: the work file is all there is, so it goes in place.
    if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        Attributes(to) == INVALID_FILE_ATTRIBUTES)
      return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    return false;
  }
  attributes &= kSettableAttributes;
  if ((Attributes(to) & kSettableAttributes) != attributes)
    SetFileAttributesW(to.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
  return true;
}

bool PlatformRestrictToOwner(std::FILE*) { return true; }

bool PlatformOthersMayRead(const std::string&, unsigned*) { return false; }

bool PlatformSyncFile(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0;
}

}  // namespace bw
