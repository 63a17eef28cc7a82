// The few services the portable core asks of the platform. Each build links
// exactly one implementation: common/posix or common/win32.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace bw {

// Deletes a file (DeleteFileA on Windows). False when it could not.
bool PlatformDeleteFile(const std::string& path);

// Size of a file in bytes; false when it cannot be queried (missing file).
bool PlatformFileSize(const std::string& path, std::uint64_t* size);

// Moves `from` over `to`, replacing it, with write-through where the platform
// offers it (MoveFileExA on Windows, rename on POSIX). False on failure.
bool PlatformReplaceFile(const std::string& from, const std::string& to);

// Flushes a written file's data to the disk before it is renamed into place.
bool PlatformSyncFile(std::FILE* file);

// Message box styles used by the programs (values as in the Win32 API).
enum : unsigned {
  kMbOk = 0x0000,
  kMbYesNo = 0x0004,
  kMbIconHand = 0x0010,
  kMbIconQuestion = 0x0020,
  kMbIconExclamation = 0x0030,
  kMbIconInformation = 0x0040,
  kMbTaskModal = 0x2000,
};
enum : int { kIdOk = 1, kIdYes = 6, kIdNo = 7 };

// Shows a message box; text and caption are CP932. Returns the button id.
// Windows shows a real MessageBoxA; the native build prints on stderr (in
// UTF-8) unless a handler was installed, as the tests do to collect them.
int ShowMessageBox(const std::string& text, const std::string& caption,
                   unsigned style);

using MessageBoxHandler = int (*)(void* context, const std::string& text,
                                  const std::string& caption, unsigned style);
// Installs a handler for every later ShowMessageBox (none restores the
// platform's own).
void SetMessageBoxHandler(MessageBoxHandler handler, void* context);

// The platform's own message box, used when no handler is installed.
int PlatformMessageBox(const std::string& text, const std::string& caption,
                       unsigned style);

// CP932 to UTF-8, for native tools that print the system's texts.
std::string Cp932ToUtf8(const std::string& text);

}  // namespace bw
