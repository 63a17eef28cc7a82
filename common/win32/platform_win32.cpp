// Win32 implementation of the core's platform services.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>

#include "common/core/platform.h"

namespace bw {

bool PlatformDeleteFile(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

bool PlatformFileSize(const std::string& path, std::uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

namespace {

// The attributes SetFileAttributesA can give back.
const DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The full name of a path, with long names for short ones where it exists.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH], longer[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full) return path;
  n = GetLongPathNameA(full, longer, sizeof longer);
  return n > 0 && n < sizeof longer ? std::string(longer, n) : std::string(full);
}

// The name of the file `path` leads to, links followed, when the system can
// tell (GetFinalPathNameByHandleA came with Vista, and with it file links).
// Asked of every existing file, as a link need not show itself as a reparse
// point: Wine's links to host files do not.
bool FinalPath(const std::string& path, std::string* real) {
  using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  static const FinalPathFn finalPath = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
  if (!finalPath) return false;
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  char buffer[MAX_PATH + 8];
  DWORD n = finalPath(h, buffer, sizeof buffer, 0);
  CloseHandle(h);
  if (n == 0 || n >= sizeof buffer) return false;
  real->assign(buffer, n);
  if (real->compare(0, 8, "\\\\?\\UNC\\") == 0) *real = "\\" + real->substr(7);
  else if (real->compare(0, 4, "\\\\?\\") == 0) real->erase(0, 4);
  return real->size() < MAX_PATH;
}

bool SameName(const std::string& a, const std::string& b) {
  return lstrcmpiA(FullPath(a).c_str(), FullPath(b).c_str()) == 0;
}

}  // namespace

std::string PlatformResolveLinks(const std::string& path) {
  std::string real;
  // The same file by its own name keeps the name it was given.
  if (!FinalPath(path, &real) || SameName(real, path)) return path;
  return real;
}

bool PlatformMayReplace(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // created, or the move fails
  return !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

std::FILE* PlatformCreateWorkFile(const std::string& workPath, const std::string&) {
  // A plain file of that name goes first. Wine deletes what a link to a
  // host file leads to, not the link, so a name that leads elsewhere stays.
  DWORD stale = GetFileAttributesA(workPath.c_str());
  std::string real;
  if (stale != INVALID_FILE_ATTRIBUTES &&
      !(stale & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
      (!FinalPath(workPath, &real) || SameName(real, workPath)))
    DeleteFileA(workPath.c_str());
  // CREATE_NEW fails on any name that is still there, a link included. No
  // one else may open the work file while it is written.
  HANDLE h = CreateFileA(workPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    DeleteFileA(workPath.c_str());
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (!file) {
    _close(fd);
    DeleteFileA(workPath.c_str());
  }
  return file;
}

bool PlatformReplaceFile(const std::string& from, const std::string& to) {
  DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  // ReplaceFileA keeps the replaced file's ACL and attributes. Wine's needs
  // a folder in both names and does not carry the attributes over, so they
  // are given back here where they differ.
  if (!ReplaceFileA(FullPath(to).c_str(), FullPath(from).c_str(), nullptr, 0, nullptr, nullptr)) {
    // Without a backup name, a work file that could not be renamed leaves
    // the old file gone: the work file is all there is, so it goes in place.
    if (GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
        GetFileAttributesA(to.c_str()) == INVALID_FILE_ATTRIBUTES)
      return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    return false;
  }
  attributes &= kSettableAttributes;
  if ((GetFileAttributesA(to.c_str()) & kSettableAttributes) != attributes)
    SetFileAttributesA(to.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
  return true;
}

bool PlatformRestrictToOwner(std::FILE*) { return true; }

bool PlatformSyncFile(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0;
}

std::string Cp932ToUtf8(const std::string& text) { return text; }

int PlatformMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) {
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

}  // namespace bw
