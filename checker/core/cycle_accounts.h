// The check cycle's view of the checker's own accounts: the Pop3Checker
// objects of the application's account ring, by list position.
#pragma once
#include <vector>

#include "checker/core/check_cycle.h"
#include "checker/core/pop3_checker.h"

namespace bw {

class Pop3CycleAccounts : public CycleAccounts {
 public:
  // Takes the accounts as they stand in the ring; the list does not change
  // once the checker runs. A record that is not a Pop3Checker keeps its
  // position but is never scheduled.
  explicit Pop3CycleAccounts(const AncestryPop3Controller& application);

  int Count() const override;
  int State(int index) const override;
  void SetState(int index, int state) override;
  int Check(int index) override;
  void ResetCounts(int index) override;
  std::uint32_t MessageCount(int index) const override;
  std::time_t LastCheckTime(int index) const override;
  bool InEmergency(int index) const override;
  void StartEmergency(int index, std::time_t start) override;
  void EndEmergency(int index) override;
  int CycleMinutes(int index) const override;
  std::string ConnectionName(int index) const override;
  int ErrorCause(int index) const override;
  void SetErrorCause(int index, int cause) override;
  long long PushTimerMs(int index) const override;
  int PushReadable(int index) override;
  void EndPush(int index) override;
  void ForgetAddress(int index) override;
  // The sockets of the account's idling connections (none when it is
  // polled).
  std::vector<net::SocketHandle> IdleSockets(int index) const;

 private:
  Pop3Checker* At(int index) const;
  std::vector<Pop3Checker*> accounts_;
};

}  // namespace bw
