// POSIX implementation of the platform's files (native build).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/files.h"

namespace bw {

std::FILE* PlatformOpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool PlatformDeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool PlatformFileSize(const std::string& path, std::uint64_t* size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

std::string PlatformResolveLinks(const std::string& path) {
  // Only the last component matters: the work file goes into the folder
  // that holds the file itself, whatever way that folder was reached. A
  // loop of links ends unresolved, and the save then refuses the link.
  std::string real = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(real.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::vector<char> target(st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 4096);
    ssize_t n = ::readlink(real.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) break;
    std::string next(target.data(), static_cast<size_t>(n));
    size_t slash = real.rfind('/');
    if (next[0] != '/' && slash != std::string::npos) next = real.substr(0, slash + 1) + next;
    real = next;
  }
  return real;
}

bool PlatformMayReplace(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  // A file nobody may write is read-only even for root, who could.
  return S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

std::FILE* PlatformCreateWorkFile(const std::string& workPath, const std::string& path) {
  struct stat old;
  const bool replacing = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  struct stat stale;
  if (::lstat(workPath.c_str(), &stale) == 0 && S_ISREG(stale.st_mode)) ::unlink(workPath.c_str());
  // Exclusive and without following a link: a name planted between the
  // removal and here makes the creation fail rather than be written through.
  // A replacement starts readable by its owner only and gets the old file's
  // owner and mode before a byte is written.
  int fd = ::open(workPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  replacing ? 0600 : 0666);
  if (fd < 0) return nullptr;
  if (replacing) {
    mode_t mode = old.st_mode & 0777;
    // Only root may give the file away; a user may still keep the group.
    // Another group than the old file's must not get its group's rights.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0)
      mode &= ~static_cast<mode_t>(S_IRWXG);
    (void)::fchmod(fd, mode);
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    ::close(fd);
    ::unlink(workPath.c_str());
  }
  return file;
}

bool PlatformReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool PlatformRestrictToOwner(std::FILE* file) { return ::fchmod(fileno(file), 0600) == 0; }

bool PlatformOthersMayRead(const std::string& path, unsigned* mode) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *mode = static_cast<unsigned>(st.st_mode & 07777);
  return (st.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

bool PlatformSyncFile(std::FILE* file) {
  return std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
}

}  // namespace bw
