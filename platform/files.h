// The files of the platform: opening, deleting, sizes and saving in place.
// Each build links exactly one implementation: platform/posix or
// platform/win32.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace bw {

// Opens a file with fopen's `mode` (binary modes only). On Windows the name
// is Shift_JIS whatever the system's code page (_wfopen on its UTF-16 form).
std::FILE* PlatformOpenFile(const std::string& path, const char* mode);

// Deletes a file (DeleteFileW on Windows). False when it could not.
bool PlatformDeleteFile(const std::string& path);

// Size of a file in bytes; false when it cannot be queried (missing file).
bool PlatformFileSize(const std::string& path, std::uint64_t* size);

// Saving a file in place (FileReplacement in text_file.h builds on these).
//
// The file a save of `path` writes: `path` itself, or the file its symbolic
// links lead to, so that a link stays a link and its target is updated.
std::string PlatformResolveLinks(const std::string& path);

// False when `path` exists and must not be replaced: a read-only file (no
// write permission, or the read-only attribute) or anything but a file.
bool PlatformMayReplace(const std::string& path);

// Creates the work file `workPath` afresh for a new version of `path`, open
// for writing in binary mode. A plain file of that name (left by an
// interrupted save) is removed first; nothing else there is removed or
// followed, and then the creation fails. On POSIX the work file gets the
// mode (and, where allowed, the owner) of `path` from the start. Null when
// it cannot be created.
std::FILE* PlatformCreateWorkFile(const std::string& workPath, const std::string& path);

// Moves the finished work file `from` over `to`. An existing file is
// replaced so that it keeps its protection (ReplaceFileW on Windows keeps its
// ACL and attributes; on POSIX the work file already carries its mode).
// False on failure, with `to` unchanged.
bool PlatformReplaceFile(const std::string& from, const std::string& to);

// Makes a file just created readable and writable by its owner only (a file
// that holds a secret in the clear). Windows protects the secret itself and
// leaves the file as it is.
bool PlatformRestrictToOwner(std::FILE* file);

// True when users other than the owner may read `path` (a group or others
// permission bit), with its permission bits in *mode. Always false on
// Windows, where the secret in the file is protected itself.
bool PlatformOthersMayRead(const std::string& path, unsigned* mode);

// Flushes a written file's data to the disk before it is renamed into place.
bool PlatformSyncFile(std::FILE* file);

}  // namespace bw
