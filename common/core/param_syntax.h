// Line-level syntax of the parameter file: comments, the tokenizer that
// splits a line into key and value, and the key tables of the record classes.
#pragma once
#include <string>

#include "common/core/property_list.h"
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

// One line of a block, read, comment-filtered and tokenized.
struct BlockLine {
  char buffer[kLineBufferSize];
  const char* key;
  const char* value;
};

// Reads the next non-comment line and tokenizes it; false at end of input.
bool ReadBlockLine(TextInput& in, BlockLine* line);

// One entry of a record class's constant key table; the table ends with an
// entry without a name whose id is one above the last.
struct KeyTableEntry {
  const char* name;
  int id;
  bool required;
  const char* defaultText;
};

const KeyTableEntry* FindKeyById(const KeyTableEntry* table, int id);
const KeyTableEntry* FindKeyByName(const KeyTableEntry* table, const char* name);
// The name and the default text of a key by id; none for an unknown id.
const char* TableKeyName(const KeyTableEntry* table, int id);
const char* TableDefaultText(const KeyTableEntry* table, int id);
// Appends (key, default text) for every table key the list lacks, in table
// order.
void ApplyTableDefaults(PropertyList& properties, const KeyTableEntry* table);

// C library conversions as the records use them.
int AtoiValue(const std::string& text);
long StrtolValue(const std::string& text);  // base 0: decimal, 0x hex, 0 octal
// sscanf "%d,%d": true only when exactly two numbers were read.
bool ScanPair(const std::string& text, int* a, int* b);
std::string FormatInt(const char* format, int value);

// Value texts of the writers: a flag is "1" when set and left out when clear;
// an int is "%d" unless it equals the value that is left out.
inline std::string FlagText(int flag) { return flag ? "1" : ""; }
inline std::string IntUnless(int value, int omitted) {
  return value == omitted ? std::string() : FormatInt("%d", value);
}

// Block writing: the opening line "<tabs>Class\t{", the entries with a value
// (entries with an empty value are not written at all), the closing "}".
void WriteBlockOpen(TextOutput& out, int depth, const char* className);
void WriteEntries(TextOutput& out, int depth, const PropertyList& properties);
void WriteBlockClose(TextOutput& out, int depth);

}  // namespace bw
