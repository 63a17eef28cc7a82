// Auto-exec and menu application records: key tables, reading, writing.
#include "common/core/executant_record.h"

#include <cstring>

#include "common/core/log.h"
#include "common/core/sjis.h"

namespace bw {

const KeyTableEntry kExecutantKeyTable[] = {
    {"ExecutionFileName", kExecutionFileName, true, ""},
    {"ExecutionArguments", kExecutionArguments, false, ""},
    {"ExecutionPath", kExecutionPath, false, ""},
    {"ExecutionPosition", kExecutionPosition, false, "0x80000000,0x80000000"},
    {"ExecutionSize", kExecutionSize, false, "0x80000000,0x80000000"},
    {"ExecutionShowMode", kExecutionShowMode, false, "1"},
    {"ExecutionDisableIME", kExecutionDisableIME, false, ""},
    {"ExecutionInitialOnce", kExecutionInitialOnce, false, ""},
    {"ExecutionPriority", kExecutionPriority, false, ""},
    {"ExecutionInputTO", kExecutionInputTO, false, "5000"},
    {"ExecutionShellExec", kExecutionShellExec, false, ""},
    {nullptr, 11, false, nullptr},
};

const KeyTableEntry kMenuExecutantKeyTable[] = {
    {"MenuExecutionName", kMenuExecutionName, false, ""},
    {nullptr, 1, false, nullptr},
};

Executant::~Executant() = default;

int Executant::ReadLines(TextInput& in, const char* unknownFormat,
                         const char* noMemoryText) {
  BlockLine line;
  for (;;) {
    if (!ReadBlockLine(in, &line)) return -1;
    if (std::strcmp(line.key, "--EOF--") == 0) {
      LogWrite("終了識別子が途中で見つかりました.\n");
      return 0;
    }
    if (std::strcmp(line.key, "}") == 0 || std::strcmp(line.value, "}") == 0) return 0;
    int r = AddKeyLine(line.key, line.value);
    if (r < 0) LogWrite("%s", noMemoryText);
    if (r == 0) LogWrite(unknownFormat, line.key);
  }
}

int Executant::ReadBlock(TextInput& in) {
  if (ReadLines(in, "Executer : KeyWord[%s]は、認識できません.", "メモリ不足です.") < 0)
    return -1;
  int r = CompleteRecord();
  if (r < 0) return r;
  ParseValues();
  return 0;
}

int Executant::AddKeyLine(const char* key, const char* value) {
  if (!FindKeyByName(kExecutantKeyTable, key)) return 0;
  return properties.Append(key, value) ? 1 : -1;
}

int Executant::CompleteExecutantKeys() {
  for (const KeyTableEntry* k = kExecutantKeyTable; k->name; ++k) {
    if (k->required && properties.FindValue(k->name).empty()) {
      LogWrite("%sが定義されていません.", k->name);
      return -10;
    }
  }
  for (const KeyTableEntry* k = kExecutantKeyTable; k->name; ++k) {
    if (properties.FindEntry(k->name)) continue;
    if (!properties.Append(k->name, k->defaultText)) {
      LogWrite("メモリが足りません.\n");
      return -1;
    }
  }
  return 0;
}

int Executant::CompleteRecord() { return CompleteExecutantKeys(); }

void Executant::ParseExecutantValues() {
  ExecutionFileName = properties.FindValue("ExecutionFileName");
  LowerCaseSjis(ExecutionFileName);
  ExecutionArguments = properties.FindValue("ExecutionArguments");

  int a, b;
  positionGiven = ScanPair(properties.FindValue("ExecutionPosition"), &a, &b) &&
                  a != kNoCoordinate && b != kNoCoordinate;
  x = positionGiven ? a : kNoCoordinate;
  y = positionGiven ? b : kNoCoordinate;
  sizeGiven = ScanPair(properties.FindValue("ExecutionSize"), &a, &b) &&
              a != kNoCoordinate && b != kNoCoordinate;
  width = sizeGiven ? a : kNoCoordinate;
  height = sizeGiven ? b : kNoCoordinate;

  const PropertyEntry* e = properties.FindEntry("ExecutionPriority");
  ExecutionPriority = e ? static_cast<int>(StrtolValue(e->value)) : 0;
  priorityGiven = ExecutionPriority != 0;
  e = properties.FindEntry("ExecutionInputTO");
  ExecutionInputTO = e ? AtoiValue(e->value) : 5000;
  e = properties.FindEntry("ExecutionShellExec");
  ExecutionShellExec = e && AtoiValue(e->value) > 0;
}

void Executant::ParseValues() { ParseExecutantValues(); }

const char* Executant::KeyName(int id) const { return TableKeyName(kExecutantKeyTable, id); }

namespace {
// A position or size is written only when both coordinates are given.
std::string PairText(int given, int a, int b) {
  if (!given || a == kNoCoordinate || b == kNoCoordinate) return std::string();
  return FormatInt("%d,", a) + FormatInt("%d", b);
}
}  // namespace

int Executant::WriteBlock(TextOutput& out, int depth, bool header) {
  properties.SetOrAppend("ExecutionFileName", ExecutionFileName);
  properties.SetOrAppend("ExecutionArguments", ExecutionArguments);
  properties.SetOrAppend("ExecutionPosition", PairText(positionGiven, x, y));
  properties.SetOrAppend("ExecutionSize", PairText(sizeGiven, width, height));
  properties.SetOrAppend("ExecutionPriority",
                         ExecutionPriority ? FormatInt("0x%04X", ExecutionPriority) : "");
  properties.SetOrAppend("ExecutionInputTO", IntUnless(ExecutionInputTO, 5000));
  properties.SetOrAppend("ExecutionShellExec", FlagText(ExecutionShellExec));
  if (header) WriteBlockOpen(out, depth, "Executant::RingListClass");
  WriteEntries(out, depth + 1, properties);
  if (header) WriteBlockClose(out, depth);
  out.Flush();
  return 0;
}

int MenuExecutant::ReadBlock(TextInput& in) {
  if (ReadLines(in, "MenuExecuter : KeyWord[%s]は、認識できません.", "メモリ不足です.\n") < 0)
    return -1;
  int r = CompleteRecord();
  if (r < 0) return r;
  ParseValues();
  return 0;
}

int MenuExecutant::AddKeyLine(const char* key, const char* value) {
  if (std::strcmp(key, "MenuExecutionName") == 0)
    return properties.Append(key, value) ? 1 : -1;
  return Executant::AddKeyLine(key, value);
}

int MenuExecutant::CompleteRecord() {
  if (!properties.FindEntry("MenuExecutionName") &&
      !properties.Append("MenuExecutionName", "")) {
    LogWrite("メモリが足りません.\n");
    return -1;
  }
  return CompleteExecutantKeys();
}

void MenuExecutant::ParseValues() {
  MenuExecutionName = properties.FindValue("MenuExecutionName");
  ParseExecutantValues();
}

int MenuExecutant::WriteMenuBlock(TextOutput& out, int depth) {
  properties.SetOrAppend("MenuExecutionName", MenuExecutionName);
  WriteBlockOpen(out, depth, "MenuExecutant::Executant::RingListClass");
  int r = WriteBlock(out, depth, false);
  WriteBlockClose(out, depth);
  out.Flush();
  return r;
}

const char* MenuExecutant::MenuKeyName(int id) const {
  const char* name = TableKeyName(kMenuExecutantKeyTable, id);
  return name ? name : Executant::KeyName(id);
}

}  // namespace bw
