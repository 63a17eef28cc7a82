// Line-level syntax of the parameter file: comments, the tokenizer that
// splits a line into key and value, and the C library conversions of values.
#pragma once
#include <string>

#include "common/core/text_file.h"

namespace bw {

// A physical line is read in pieces of at most this many bytes minus one.
constexpr int kLineBufferSize = 384;

// Only the very first byte of the raw line marks a comment.
inline bool IsCommentLine(const char* line) {
  return line[0] == ';' || line[0] == '#' || line[0] == '\'';
}

// Splits `line` in place. key and value point into the buffer (or at an empty
// text). Trailing bytes of 0x20 and below are trimmed; the key is preceded by
// spaces and tabs only; after the one separator byte, control bytes (not
// spaces) are skipped and the rest of the line is the value.
void TokenizeLine(char* line, const char** key, const char** value);

// True when the key line "<depth tabs>key<tab>value" reads back as exactly
// this key and this value: no line end, NUL or Ctrl-Z in it, nothing the
// tokenizer trims or skips, the whole line within one piece of the reader's
// buffer, not a comment, and not a line that opens or closes a block ("{" or
// "}" as key or value) or ends the file. Every writer of a value asks this.
bool ValueReadsBack(int depth, const std::string& key, const std::string& value);

// One line of a block, read, comment-filtered and tokenized.
struct BlockLine {
  char buffer[kLineBufferSize];
  const char* key;
  const char* value;
};

// Reads the next non-comment line and tokenizes it; false at end of input.
// A physical line longer than the buffer is read in pieces: only its first
// piece counts as a line; the rest is the tail of that line's value, cut
// off, and is skipped — never taken for a key line of its own, so the tail
// of a long password can never show up as an unknown key in the log.
bool ReadBlockLine(TextInput& in, BlockLine* line);

// C library conversions as the records use them.
int AtoiValue(const std::string& text);
long StrtolValue(const std::string& text);  // base 0: decimal, 0x hex, 0 octal
// sscanf "%d,%d": true only when exactly two numbers were read.
bool ScanPair(const std::string& text, int* a, int* b);
std::string FormatInt(const char* format, int value);

}  // namespace bw
