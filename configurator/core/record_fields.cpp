// Record field access for the configurator (see record_fields.h), through
// the records' key access: values come and go as the file's value texts.
#include "configurator/core/record_fields.h"

#include "common/core/key_table.h"
#include "common/core/param_syntax.h"

namespace bw {
namespace {

template <class R>
std::string Text(const R& record, int id) {
  std::string text;
  record.KeyText(id, &text);
  return text;
}

template <class R>
int Number(const R& record, int id) {
  return AtoiValue(Text(record, id));
}

}  // namespace

ExecutantRow ReadExecutantRow(const Executant& e) {
  ExecutantRow r;
  r.fileName = Text(e, kExecutionFileName);
  r.path = Text(e, kExecutionPath);
  r.arguments = Text(e, kExecutionArguments);
  r.initialOnce = Number(e, kExecutionInitialOnce);
  r.positionGiven = ScanPair(Text(e, kExecutionPosition), &r.x, &r.y);
  r.sizeGiven = ScanPair(Text(e, kExecutionSize), &r.width, &r.height);
  r.priority = static_cast<int>(StrtolValue(Text(e, kExecutionPriority)));
  return r;
}

ExecutantRow ReadMenuRow(const MenuExecutant& m) {
  ExecutantRow r = ReadExecutantRow(m);
  m.MenuKeyText(kMenuExecutionName, &r.menuName);
  return r;
}

int SetExecutantProgram(Executant& executant, const std::string& fileName) {
  return executant.SetKeyText(kExecutionFileName, fileName);
}

int SetMenuCaption(MenuExecutant& menu, const std::string& caption) {
  return menu.SetMenuKeyText(kMenuExecutionName, caption);
}

AncestryPop3Checker* NewAccountRecord() {
  auto* account = new AncestryPop3Checker;
  account->ApplyDefaults();
  account->ParseValues();
  return account;
}

namespace {
// The application records have no ApplyDefaults of their own: every key the
// list lacks gets its default text, then the values are parsed.
template <typename T>
T* NewExecutant(bool menu) {
  auto* record = new T;
  if (menu) AppendTableDefaults(kMenuExecutantKeyTable, record->properties);
  AppendTableDefaults(kExecutantKeyTable, record->properties);
  record->ParseValues();
  return record;
}
}  // namespace

Executant* NewAutoExecRecord() { return NewExecutant<Executant>(false); }
MenuExecutant* NewMenuRecord() { return NewExecutant<MenuExecutant>(true); }

}  // namespace bw
