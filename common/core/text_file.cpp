// Text-mode emulation over binary files (see text_file.h).
#include "common/core/text_file.h"

#include <cstdarg>
#include <vector>

#include "platform/files.h"

namespace bw {

TextInput::TextInput(std::string bytes) : bytes_(std::move(bytes)), open_(true) {
  size_t eof = bytes_.find('\x1A');
  if (eof != std::string::npos) bytes_.resize(eof);
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  std::FILE* f = PlatformOpenFile(path, "rb");
  if (!f) return false;
  bytes->clear();
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes->append(chunk, n);
  // POSIX opens a folder like a file and fails only at the first read.
  const bool readable = !std::ferror(f);
  std::fclose(f);
  return readable;
}

bool TextInput::Open(const std::string& path) {
  std::string content;
  if (!ReadFileBytes(path, &content)) return false;
  *this = TextInput(std::move(content));
  return true;
}

bool TextInput::ReadLine(char* buffer, int size) {
  if (size <= 0) return false;
  if (pos_ >= bytes_.size()) return false;
  int used = 0;
  while (used < size - 1 && pos_ < bytes_.size()) {
    char c = bytes_[pos_++];
    if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') {
      c = '\n';
      ++pos_;
    }
    buffer[used++] = c;
    if (c == '\n') break;
  }
  buffer[used] = '\0';
  if (used > 0) atLineStart_ = buffer[used - 1] == '\n';
  return true;
}

TextOutput::~TextOutput() {
  if (file_) std::fclose(file_);
}

bool TextOutput::Open(const std::string& path) {
  file_ = PlatformOpenFile(path, "wb");
  return file_ != nullptr;
}

void TextOutput::Attach(std::FILE* file) {
  if (file_) std::fclose(file_);
  file_ = file;
}

void TextOutput::Write(const char* text) {
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') bytes_ += '\r';
    bytes_ += *p;
  }
  if (file_ && bytes_.size() >= 4096) Flush();
}

void TextOutput::WriteRaw(const char* bytes, size_t length) {
  bytes_.append(bytes, length);
  if (file_ && bytes_.size() >= 4096) Flush();
}

void TextOutput::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n < 0) {
    va_end(args);
    failed_ = true;
    return;
  }
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  Write(text.data());
}

bool TextOutput::Flush() {
  if (file_ && !bytes_.empty()) {
    if (std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) failed_ = true;
    bytes_.clear();
  }
  if (file_ && std::fflush(file_) != 0) failed_ = true;
  return !failed_;
}

bool TextOutput::Close(bool sync) {
  if (!file_) return !failed_;
  Flush();
  if (sync && !failed_ && !PlatformSyncFile(file_)) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

FileReplacement::FileReplacement(const std::string& path)
    : target_(PlatformResolveLinks(path)), workPath_(target_ + "_new") {}

FileReplacement::~FileReplacement() {
  if (!pending_) return;
  out_.Close();
  PlatformDeleteFile(workPath_);
}

bool FileReplacement::Open(bool ownerOnly) {
  if (!PlatformMayReplace(target_)) return false;
  std::uint64_t size;
  existed_ = PlatformFileSize(target_, &size);
  std::FILE* file = PlatformCreateWorkFile(workPath_, target_);
  if (!file) return false;
  if (ownerOnly && !PlatformRestrictToOwner(file)) {
    std::fclose(file);
    PlatformDeleteFile(workPath_);
    return false;
  }
  out_.Attach(file);
  pending_ = true;
  return true;
}

bool FileReplacement::Commit() {
  if (!pending_) return false;
  pending_ = false;
  if (out_.Close(true) && PlatformReplaceFile(workPath_, target_)) return true;
  // A failed replacement that took the old file away leaves the work file
  // as the only copy of the settings: it stays.
  std::uint64_t size;
  if (!existed_ || PlatformFileSize(target_, &size)) PlatformDeleteFile(workPath_);
  return false;
}

}  // namespace bw
