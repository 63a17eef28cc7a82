// Text files as the Windows C runtime's text mode sees them, on every build:
// reading turns CR LF into LF and ends at the first Ctrl-Z; writing turns
// every LF into CR LF. The files themselves are opened in binary mode, so
// both builds read and write the same bytes.
#pragma once
#include <cstdio>
#include <string>

namespace bw {

// Line source with the fgets contract of a text-mode stream.
class TextInput {
 public:
  TextInput() = default;
  // Reads from text already in memory (raw file bytes, CR LF or LF).
  explicit TextInput(std::string bytes);

  // Opens a file and takes its content; false when it cannot be opened.
  bool Open(const std::string& path);
  bool IsOpen() const { return open_; }

  // Like fgets(buffer, size, stream): copies at most size - 1 bytes, stopping
  // after a line feed, and terminates the buffer. Returns false at the end of
  // input when nothing was read. A CR LF pair counts as the single byte LF.
  bool ReadLine(char* buffer, int size);
  // False while the last ReadLine stopped inside a physical line (the line
  // was longer than the buffer): the next ReadLine then gives its rest.
  bool AtLineStart() const { return atLineStart_; }

 private:
  std::string bytes_;
  size_t pos_ = 0;
  bool open_ = false;
  bool atLineStart_ = true;
};

// The whole file as stored, byte for byte; false when it cannot be opened.
bool ReadFileBytes(const std::string& path, std::string* bytes);

// Text sink that stores each LF as CR LF. It writes to a file or, when
// opened on nothing, collects the bytes in memory (for tests and tools).
class TextOutput {
 public:
  TextOutput() = default;
  ~TextOutput();
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  // Creates or truncates the file; false when it cannot be created.
  bool Open(const std::string& path);
  // Writes to a file already opened for writing in binary mode, and owns it.
  void Attach(std::FILE* file);

  void Write(const char* text);
  // Writes bytes exactly as given (no line-end conversion).
  void WriteRaw(const char* bytes, size_t length);
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Hands buffered bytes to the file; false once any write has failed.
  bool Flush();
  // Flushes, syncs to disk when asked, and closes; false when anything failed.
  bool Close(bool sync = false);

  bool Failed() const { return failed_; }
  // Marks the output as failed, as a write error would: the text must not
  // replace the file (a value that would not read back as it is).
  void Refuse() { failed_ = true; }
  // The bytes written so far when writing to memory.
  const std::string& Bytes() const { return bytes_; }

 private:
  std::FILE* file_ = nullptr;
  std::string bytes_;
  bool failed_ = false;
};

// Writes a new version of a file in its place. The text goes to a work file
// beside the file itself (symbolic links followed), named as the file with
// "_new" appended and created afresh, so that nothing planted under that
// name is written through. The work file replaces the file only when written
// whole, and the file keeps its protection. A read-only file is never
// replaced. A hard link to the file is split: its other names keep the old
// text.
class FileReplacement {
 public:
  explicit FileReplacement(const std::string& path);
  // Removes a work file that was never committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Creates the work file; false when the file is read-only or the work
  // file cannot be created. `ownerOnly`: the new file is for its owner alone
  // (it holds a secret; see PlatformRestrictToOwner).
  bool Open(bool ownerOnly = false);
  // The work file's name (beside the file the links lead to).
  const std::string& WorkPath() const { return workPath_; }
  TextOutput& Out() { return out_; }
  // Writes the rest, syncs it to disk and moves the work file over the file.
  // False, with the file unchanged and the work file removed, when any write
  // or the move failed (should the file be gone, the work file is kept).
  bool Commit();

 private:
  std::string target_;
  std::string workPath_;
  TextOutput out_;
  bool pending_ = false;
  bool existed_ = false;
};

}  // namespace bw
