// The parameter-file record of the checker's global settings, and the owner
// of the account, auto-exec and menu records.
#pragma once
#include <string>

#include "common/core/account_record.h"
#include "common/core/executant_record.h"
#include "common/core/table_record.h"

namespace bw {

enum ControllerKey {
  kWindowPosition = 0,
  kWindowSize = 1,
  kAnimateTimer = 2,
  kExecuteSequence = 3,
  kExecutionDelay = 4,
  kAutoWakeup = 5,
  kKeepGeometry = 6,
  kStartupBuried = 7,
  kPriorityClass = 8,
  kPriorityThread = 9,
  kConsecutive_Sec = 10,
  kInitSleep_Sec = 11,
  kMenuExecBuried = 12,
  kAutoKillMethod = 13,
  kStopDuringSSaving = 14,
  kNotifyNewMail = 15,
  // Passwords written protected (PasswordProtected); written only when 1.
  kProtectPasswords = 16,
};

// AutoKillMethod bits.
enum : int {
  kKillPostClose = 0x0001,
  kKillPostQuit = 0x0002,
  kKillTerminate = 0x0004,
  kKillBeforeRestart = 0x0010,
  kKillWhenNoMail = 0x0020,
  kKillOnMenuExec = 0x0040,
};

class AncestryPop3Controller;
extern const KeyTableEntry<AncestryPop3Controller> kControllerKeyTable[];

// The controller's key lines carry one tab; an absent key reads as the
// empty text. Its field access (KeyText, SetKeyText) gives "64,64" for
// WindowPosition and "0x0072" for AutoKillMethod, and reads a WindowSize
// without two numbers as 128,64, as the block reader does.
class AncestryPop3Controller
    : public TableRecord<AncestryPop3Controller, kControllerKeyTable, 1, AbsentKey::kReadsEmpty> {
 public:
  AncestryPop3Controller() = default;
  // Destroys every record of the three rings.
  ~AncestryPop3Controller() override;
  AncestryPop3Controller(const AncestryPop3Controller&) = delete;
  AncestryPop3Controller& operator=(const AncestryPop3Controller&) = delete;

  virtual int ReadBlock(TextInput& in);
  virtual int WriteBlock(TextOutput& out, int depth);
  // Unlinks and destroys one account; the head moves to its former neighbour.
  virtual int RemoveAccount(AncestryPop3Checker* account);
  // Links an account in after the head; the head then stands on it.
  virtual int AddAccount(AncestryPop3Checker* account);
  virtual int AccountCount() const;
  // The account factory the block reader calls for every account block; the
  // checker overrides it to create its run-time account object.
  virtual AncestryPop3Checker* CreateAccount();

  AncestryPop3Checker* accountHead = nullptr;
  Executant* autoExecHead = nullptr;
  MenuExecutant* menuHead = nullptr;
  int AnimateTimer = 100;
  int ExecuteSequence = 0;
  int ExecutionDelay = 500;
  int AutoWakeup = 0;
  int windowX = 0, windowY = 0;
  int windowWidthSetting = 0, windowHeightSetting = 0;
  int KeepGeometry = 1;
  int StartupBuried = 0;
  int PriorityClass = 0;
  int PriorityThread = 0;
  int Consecutive_Sec = 5;
  int InitSleep_Sec = 5;
  int MenuExecBuried = 0;
  int AutoKillMethod = 0x0072;
  int StopDuringSSaving = 0;
  int NotifyNewMail = 0;  // a notification-area icon and balloons of new mail
  int ProtectPasswords = 0;

 private:
  // Reads one child block; false when the record could not be created.
  bool ReadChild(const char* className, TextInput& in);
};

}  // namespace bw
