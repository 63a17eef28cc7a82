// Parameter-file records of the applications the checker starts: Executant
// (auto-exec, started when mail arrives) and MenuExecutant (started from the
// popup menu). They are plain data: the launcher (common/core/launch.h)
// starts and ends what they describe.
#pragma once
#include <string>

#include "common/core/param_syntax.h"
#include "common/core/property_list.h"
#include "common/core/ring_list.h"

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

extern const KeyTableEntry kExecutantKeyTable[];
extern const KeyTableEntry kMenuExecutantKeyTable[];

// Marks a coordinate as not given; never written to the file.
constexpr int kNoCoordinate = static_cast<int>(0x80000000u);

class Executant : public RingListClass {
 public:
  Executant() = default;
  ~Executant() override;

  // 0, -1 (end of input before the block closed) or -10 (no program file).
  virtual int ReadBlock(TextInput& in);
  // Writes the entries at depth + 1; with the header flag, inside its own
  // "Executant::RingListClass" block at depth.
  virtual int WriteBlock(TextOutput& out, int depth, bool header);
  virtual const char* KeyName(int id) const;
  // Required-key check and defaults: 0, -1 (no memory) or -10.
  virtual int CompleteRecord();
  virtual void ParseValues();
  // 1 added, 0 unknown key, -1 out of memory.
  virtual int AddKeyLine(const char* key, const char* value);

  Executant* NextExecutant() const { return static_cast<Executant*>(Next()); }

  PropertyList properties;
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
  int ReadLines(TextInput& in, const char* unknownFormat, const char* noMemoryText);
  int CompleteExecutantKeys();
  void ParseExecutantValues();
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

  MenuExecutant* NextMenu() const { return static_cast<MenuExecutant*>(Next()); }

  std::string MenuExecutionName;
};

}  // namespace bw
