// Shared block reading and writing of the record classes (see record_block.h).
#include "common/core/record_block.h"

#include <cstring>

#include "common/core/log.h"

namespace bw {

int ReadBlockLines(TextInput& in, const BlockRules& rules, const AddKeyLineFn& addKeyLine,
                   const ReadChildFn& readChild) {
  BlockLine line;
  for (;;) {
    if (!ReadBlockLine(in, &line)) return -1;
    if (std::strcmp(line.key, "--EOF--") == 0) {
      LogWrite("終了識別子が途中で見つかりました.\n");
      return 0;
    }
    if (std::strcmp(line.key, "}") == 0 || std::strcmp(line.value, "}") == 0) return 0;
    const bool opensBlock = std::strcmp(line.value, "{") == 0;
    if (rules.nested == NestedBlock::kNotice && (opensBlock || std::strcmp(line.key, "{") == 0)) {
      // The record owns no blocks; the nested lines count as its own.
      LogWrite("書式エラー:このクラスはどのクラスも所有しません\n");
      continue;
    }
    if (rules.nested == NestedBlock::kChild && opensBlock) {
      if (!readChild(line.key, in)) {
        LogWrite("メモリ不足です.\n");
        return 0;
      }
      continue;
    }
    const int added = addKeyLine(line.key, line.value);
    if (added < 0) LogWrite("%s", rules.noMemoryText);
    if (added == 0) LogWrite(rules.unknownKeyFormat, line.key);
  }
}

namespace {
void WriteTabs(TextOutput& out, int depth) {
  for (int i = 0; i < depth; ++i) out.Write("\t");
}
}  // namespace

void WriteBlockOpen(TextOutput& out, int depth, const char* className) {
  WriteTabs(out, depth);
  out.Printf("%s\t{\n", className);
}

void WriteEntries(TextOutput& out, int depth, const PropertyList& properties) {
  for (const PropertyEntry& e : properties.Entries()) {
    if (e.value.empty()) continue;
    // A value that would come back otherwise (cut, joined with the next
    // line, or taken for a block's end) fails the whole save: the file
    // stays as it was rather than lose what follows it.
    if (!ValueReadsBack(depth, e.key, e.value)) {
      LogWrite("%sの値はﾌｧｲﾙに書くと読み戻せないため保存しません.\n", e.key.c_str());
      out.Refuse();
      continue;
    }
    WriteTabs(out, depth);
    out.Printf("%s\t", e.key.c_str());
    out.Printf("%s\n", e.value.c_str());
  }
}

void WriteBlockClose(TextOutput& out, int depth) {
  WriteTabs(out, depth);
  out.Write("}\n");
}

}  // namespace bw
