// The one read loop and the one writer that every record block of the
// parameter file goes through; each record class only supplies its messages,
// how it treats a nested block opening, and what it does with a key line.
#pragma once
#include <functional>

#include "common/core/key_table.h"
#include "common/core/param_syntax.h"
#include "common/core/property_list.h"
#include "common/core/text_file.h"

namespace bw {

// What a line whose value is "{" means inside a record's block.
enum class NestedBlock {
  kKeyLine,  // nothing special: an ordinary key line (auto-exec and menu records)
  kNotice,   // key or value "{": logged as a format error and ignored (account)
  kChild,    // value "{": a child record is read (controller)
};

// The reading differences between the record classes.
struct BlockRules {
  const char* unknownKeyFormat;  // logged with the key of a line the record refuses
  const char* noMemoryText;      // logged when an entry cannot be created
  NestedBlock nested;
};

// The record's answer to a key line: 1 added, 0 unknown key, -1 out of memory.
using AddKeyLineFn = std::function<int(const char* key, const char* value)>;
// Reads a child block whose opening line named `className`; false when the
// child record could not be created (the parent's block then counts as closed).
using ReadChildFn = std::function<bool(const char* className, TextInput& in)>;

// Reads a block's lines up to and including its closing line ("}" as key or
// value, or a "--EOF--" line, which is logged). 0 when the block closed, -1
// at the end of input before that.
int ReadBlockLines(TextInput& in, const BlockRules& rules, const AddKeyLineFn& addKeyLine,
                   const ReadChildFn& readChild = nullptr);

// Block writing: the opening line "<tabs>Class\t{", the entries with a value
// (entries with an empty value are not written at all), the closing "}".
// An entry whose value would not read back as it is (ValueReadsBack) is
// logged by its key and refuses the output (TextOutput::Refuse).
void WriteBlockOpen(TextOutput& out, int depth, const char* className);
void WriteEntries(TextOutput& out, int depth, const PropertyList& properties);
void WriteBlockClose(TextOutput& out, int depth);

}  // namespace bw
