// The process-wide log file: every write opens the file for appending,
// writes one formatted text (LF stored as CR LF) and closes it again, so the
// user may read, move or delete the log at any time.
#pragma once
#include <string>

namespace bw {

// Starts logging to `path` with a size limit in kilobytes. A limit of 0 or
// less switches logging off. Deletes the existing file, so each start of the
// checker begins with an empty log.
void LogSetup(const std::string& path, int limitKB);

// printf-style write. Does nothing before a set-up, with logging off, or after
// the file once could not be opened. When the file has grown beyond the limit
// it is deleted first and the new file starts with a refresh note.
void LogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Back to the state before any set-up (for tests and tools).
void LogReset();

// What the log is doing now (for tests and tools).
bool LogActive();
const std::string& LogPath();

}  // namespace bw
