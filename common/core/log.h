// The process-wide log file. Outside a batch every write opens the file for
// appending, writes one formatted text (LF stored as CR LF) and closes it
// again, so the user may read, move or delete the log at any time; a batch
// gathers the writes of a stretch of work (one check, the reading of the
// parameter file) and writes them at once, with the same bytes as a result.
#pragma once
#include <string>

namespace bw {

// Starts logging to `path` with a size limit in kilobytes. A limit of 0 or
// less switches logging off. Deletes the existing file, so each start of the
// checker begins with an empty log. Text a batch of this thread has gathered
// goes to the previous file first.
void LogSetup(const std::string& path, int limitKB);

// printf-style write. Does nothing before a set-up, with logging off, or after
// the file once could not be opened. When the file has grown beyond the limit
// it is deleted first and the new file starts with a refresh note.
void LogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Gathers the calling thread's log writes while it lives and writes them when
// it ends, opening and closing the file once instead of once per write. Use it
// around one stretch of work, never across waits for the user:
//
//   {
//     bw::LogBatch batch;   // e.g. around one account's check
//     ...every LogWrite of this thread is gathered...
//   }                       // written here
//
// The file ends up with exactly the bytes writing one by one would leave:
// the size rule is applied to each write as it is gathered (its size taken
// from the file at the first gathered write), so refresh notes fall where
// they would have fallen. Gathered text is also written whenever 64 KiB have
// gathered and when LogSetup runs. Batches nest; the outermost one writes.
// Writes from other threads are not gathered: they go to the file at once.
// Between batches the file is closed, so the user may still read, move or
// delete it; a deleted log is created again by the next write.
class LogBatch {
 public:
  LogBatch();
  ~LogBatch();
  LogBatch(const LogBatch&) = delete;
  LogBatch& operator=(const LogBatch&) = delete;
};

// Back to the state before any set-up (for tests and tools); text a batch
// of this thread has gathered is dropped.
void LogReset();

// What the log is doing now (for tests and tools).
bool LogActive();
const std::string& LogPath();

}  // namespace bw
