// Auto-exec and menu application records: key tables, reading, writing.
#include "common/core/executant_record.h"

#include "common/core/log.h"
#include "common/core/record_block.h"

namespace bw {

using E = Executant;
using M = MenuExecutant;

const KeyTableEntry<E> kExecutantKeyTable[] = {
    {"ExecutionFileName", kExecutionFileName, true, "", LowerTextField(&E::ExecutionFileName)},
    {"ExecutionArguments", kExecutionArguments, false, "", TextField(&E::ExecutionArguments)},
    {"ExecutionPath", kExecutionPath, false, "", KeptField<E>()},
    {"ExecutionPosition", kExecutionPosition, false, "0x80000000,0x80000000",
     OptionalPairField(&E::positionGiven, &E::x, &E::y)},
    {"ExecutionSize", kExecutionSize, false, "0x80000000,0x80000000",
     OptionalPairField(&E::sizeGiven, &E::width, &E::height)},
    {"ExecutionShowMode", kExecutionShowMode, false, "1", KeptField<E>()},
    {"ExecutionDisableIME", kExecutionDisableIME, false, "", KeptField<E>()},
    {"ExecutionInitialOnce", kExecutionInitialOnce, false, "", KeptField<E>()},
    {"ExecutionPriority", kExecutionPriority, false, "",
     HexField(&E::ExecutionPriority, 0, &E::priorityGiven)},
    {"ExecutionInputTO", kExecutionInputTO, false, "5000", IntField(&E::ExecutionInputTO, 5000)},
    {"ExecutionShellExec", kExecutionShellExec, false, "", PositiveFlagField(&E::ExecutionShellExec)},
    {nullptr, 11, false, nullptr, KeptField<E>()},
};

const KeyTableEntry<M> kMenuExecutantKeyTable[] = {
    {"MenuExecutionName", kMenuExecutionName, false, "", TextField(&M::MenuExecutionName)},
    {nullptr, 1, false, nullptr, KeptField<M>()},
};

namespace {
// CompleteRecord's two steps over one table: the required keys, then the
// missing keys with their default texts.
template <class R>
int CompleteTableKeys(const KeyTableEntry<R>* table, PropertyList& properties) {
  if (CheckTableRequired(table, properties, "%sが定義されていません.") < 0) return -10;
  if (AppendTableDefaults(table, properties) < 0) {
    LogWrite("メモリが足りません.\n");
    return -1;
  }
  return 0;
}
}  // namespace

Executant::~Executant() = default;

int E::ReadRecord(TextInput& in, const char* unknownFormat, const char* noMemoryText) {
  const BlockRules rules = {unknownFormat, noMemoryText, NestedBlock::kKeyLine};
  if (ReadBlockLines(in, rules, [this](const char* key, const char* value) {
        return AddKeyLine(key, value);
      }) < 0)
    return -1;
  const int r = CompleteRecord();
  if (r < 0) return r;
  ParseValues();
  return 0;
}

int E::ReadBlock(TextInput& in) {
  return ReadRecord(in, "Executer : KeyWord[%s]は、認識できません.", "メモリ不足です.");
}

int E::CompleteRecord() { return CompleteTableKeys(kExecutantKeyTable, properties); }

int E::WriteBlock(TextOutput& out, int depth, bool header) {
  FoldValues();
  if (header) WriteBlockOpen(out, depth, "Executant::RingListClass");
  WriteEntries(out, depth + 1, properties);
  if (header) WriteBlockClose(out, depth);
  out.Flush();
  return 0;
}

int M::ReadBlock(TextInput& in) {
  return ReadRecord(in, "MenuExecuter : KeyWord[%s]は、認識できません.", "メモリ不足です.\n");
}

int M::AddKeyLine(const char* key, const char* value) {
  const int r = AddTableKeyLine(kMenuExecutantKeyTable, properties, key, value);
  return r != 0 ? r : Executant::AddKeyLine(key, value);
}

int M::CompleteRecord() {
  const int r = CompleteTableKeys(kMenuExecutantKeyTable, properties);
  return r < 0 ? r : Executant::CompleteRecord();
}

void M::ParseValues() {
  ParseTableValues(kMenuExecutantKeyTable, *this, properties, AbsentKey::kReadsDefault);
  Executant::ParseValues();
}

int M::WriteMenuBlock(TextOutput& out, int depth) {
  FoldTableValues(kMenuExecutantKeyTable, *this, properties);
  WriteBlockOpen(out, depth, "MenuExecutant::Executant::RingListClass");
  const int r = WriteBlock(out, depth, false);
  WriteBlockClose(out, depth);
  out.Flush();
  return r;
}

const char* M::MenuKeyName(int id) const {
  const char* name = TableKeyName(kMenuExecutantKeyTable, id);
  return name ? name : Executant::KeyName(id);
}

bool M::MenuKeyText(int id, std::string* text) const {
  return GetTableKeyText(kMenuExecutantKeyTable, *this, properties, id, text) ||
         KeyText(id, text);
}
int M::SetMenuKeyText(int id, const std::string& text) {
  const int r = SetTableKeyText(kMenuExecutantKeyTable, *this, properties, id, text, kLineDepth);
  return r != kSetUnknownKey ? r : SetKeyText(id, text);
}

}  // namespace bw
