// Parameter-file records of the applications the checker starts: Executant
// (auto-exec, started when mail arrives) and MenuExecutant (started from the
// popup menu). They are plain data: the launcher (common/core/launch.h)
// starts and ends what they describe.
#pragma once
#include <string>

#include "common/core/key_table.h"
#include "common/core/param_syntax.h"
#include "common/core/property_list.h"
#include "common/core/ring_list.h"
#include "common/core/table_record.h"
#include "common/core/text_file.h"

namespace bw {

enum ExecutantKey {
  kExecutionFileName = 0,
  kExecutionArguments = 1,
  kExecutionPath = 2,
  kExecutionPosition = 3,
  kExecutionSize = 4,
  kExecutionShowMode = 5,
  kExecutionDisableIME = 6,
  kExecutionInitialOnce = 7,
  kExecutionPriority = 8,
  kExecutionInputTO = 9,
  kExecutionShellExec = 10,
};
enum MenuExecutantKey { kMenuExecutionName = 0 };

class Executant;
extern const KeyTableEntry<Executant> kExecutantKeyTable[];

// The controller writes these records at depth 1, so their key lines carry
// two tabs; an absent key reads as its default text (an absent
// ExecutionInputTO means 5000, an empty one 0). In the field access the keys
// without a typed field (ExecutionPath, ExecutionShowMode,
// ExecutionDisableIME, ExecutionInitialOnce) read and write their
// property-list entry, an absent one reading as its default text;
// ExecutionPosition and ExecutionSize read "" when not given.
class Executant : public RingListClass,
                  public TableRecord<Executant, kExecutantKeyTable, 2, AbsentKey::kReadsDefault> {
 public:
  Executant() = default;
  ~Executant() override;

  // 0, -1 (end of input before the block closed) or -10 (no program file).
  virtual int ReadBlock(TextInput& in);
  // Writes the entries at depth + 1; with the header flag, inside its own
  // "Executant::RingListClass" block at depth.
  virtual int WriteBlock(TextOutput& out, int depth, bool header);
  // Required-key check and defaults: 0, -1 (no memory) or -10.
  virtual int CompleteRecord();

  Executant* NextExecutant() const { return static_cast<Executant*>(Next()); }

  std::string ExecutionFileName;  // held lower-cased
  std::string ExecutionArguments;
  int positionGiven = 0;
  int x = kNoCoordinate, y = kNoCoordinate;
  int sizeGiven = 0;
  int width = kNoCoordinate, height = kNoCoordinate;
  int priorityGiven = 0;
  int ExecutionPriority = 0;
  int ExecutionInputTO = 5000;
  int ExecutionShellExec = 0;

 protected:
  // The block's lines, then CompleteRecord and ParseValues.
  int ReadRecord(TextInput& in, const char* unknownFormat, const char* noMemoryText);
};

class MenuExecutant : public Executant {
 public:
  int ReadBlock(TextInput& in) override;
  int CompleteRecord() override;
  void ParseValues() override;
  int AddKeyLine(const char* key, const char* value) override;
  // Writes the whole "MenuExecutant::Executant::RingListClass" block.
  virtual int WriteMenuBlock(TextOutput& out, int depth);
  // The menu table first, then the Executant table (id 0: MenuExecutionName).
  virtual const char* MenuKeyName(int id) const;
  // Field access with MenuKeyName's ids: the menu table first (id 0 is
  // MenuExecutionName), then the Executant table. The Executant's id 0,
  // ExecutionFileName, is reached with KeyText and SetKeyText.
  bool MenuKeyText(int id, std::string* text) const;
  int SetMenuKeyText(int id, const std::string& text);

  MenuExecutant* NextMenu() const { return static_cast<MenuExecutant*>(Next()); }

  std::string MenuExecutionName;
};

extern const KeyTableEntry<MenuExecutant> kMenuExecutantKeyTable[];

}  // namespace bw
