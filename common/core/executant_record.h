// Parameter-file records of the applications the checker starts: Executant
// (auto-exec, started when mail arrives) and MenuExecutant (started from the
// popup menu).
#pragma once
#include <string>

#include "common/core/key_table.h"
#include "common/core/param_syntax.h"
#include "common/core/property_list.h"
#include "common/core/ring_list.h"
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

class Executant : public RingListClass {
 public:
  Executant() = default;
  ~Executant() override;

  // Launch operations; the platform's launcher does the work (common/core/
  // launch.h). The new program's top-level window, or none.
  virtual void* FindTopLevelWindow(void* process, int timeoutMs, void* snapshotBefore,
                                   void* snapshotAfter);
  // 0, -1 (end of input before the block closed) or -10 (no program file).
  virtual int ReadBlock(TextInput& in);
  // Writes the entries at depth + 1; with the header flag, inside its own
  // "Executant::RingListClass" block at depth.
  virtual int WriteBlock(TextOutput& out, int depth, bool header);
  virtual const char* KeyName(int id) const;
  // 0 started, 1 already running (double-start check), -1 not created.
  virtual int Launch(const char* desktop);
  // Launch with the handle kept and the double-start check skipped.
  virtual int LaunchKeepingHandle();
  // Ends the held process with the method set; always 0.
  virtual int Kill(int methods);
  // Required-key check and defaults: 0, -1 (no memory) or -10.
  virtual int CompleteRecord();
  virtual void ParseValues();
  // 1 added, 0 unknown key, -1 out of memory.
  virtual int AddKeyLine(const char* key, const char* value);
  // 0 started, -1 failed.
  virtual int LaunchViaHopexec(const char* desktop);
  // Always 0.
  virtual int LaunchViaShell();
  // Clears the window search and sets its match mode (1 process id, 2 path).
  virtual void ResetWindowSearch(int mode);

  // Field access by key id (the Executant table) for the configurator's
  // dialogs, as on the account record (see AncestryPop3Checker::KeyText and
  // SetKeyText). The keys without a typed field (ExecutionPath,
  // ExecutionShowMode, ExecutionDisableIME, ExecutionInitialOnce) read and
  // write their property-list entry; an absent one reads as its default text.
  // ExecutionPosition and ExecutionSize read "" when not given.
  bool KeyText(int id, std::string* text) const;
  int SetKeyText(int id, const std::string& text);

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
  // Run-time state of the launcher: the kept process handle (closed through
  // the hook below when the record dies), the thread that termination
  // messages go to, and whether a keep-handle launch is under way.
  void* heldProcess = nullptr;
  unsigned long heldThreadId = 0;
  int keepHandle = 0;
  int ExecutionShellExec = 0;

  // Closes a held process handle; installed by the platform's launcher.
  static void (*closeHeldProcess)(void* handle);

 protected:
  // The block's lines, then CompleteRecord and ParseValues.
  int ReadRecord(TextInput& in, const char* unknownFormat, const char* noMemoryText);
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
  // Field access with MenuKeyName's ids: the menu table first (id 0 is
  // MenuExecutionName), then the Executant table. The Executant's id 0,
  // ExecutionFileName, is reached with KeyText and SetKeyText.
  bool MenuKeyText(int id, std::string* text) const;
  int SetMenuKeyText(int id, const std::string& text);

  MenuExecutant* NextMenu() const { return static_cast<MenuExecutant*>(Next()); }

  std::string MenuExecutionName;
};

extern const KeyTableEntry<Executant> kExecutantKeyTable[];
extern const KeyTableEntry<MenuExecutant> kMenuExecutantKeyTable[];

}  // namespace bw
