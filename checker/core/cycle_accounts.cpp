// The cycle's view of the Pop3Checker ring; see cycle_accounts.h.
#include "checker/core/cycle_accounts.h"

#include "common/core/ring_list.h"

namespace bw {

Pop3CycleAccounts::Pop3CycleAccounts(const AncestryPop3Controller& application) {
  WalkRing(application.accountHead, [this](AncestryPop3Checker* record) {
    accounts_.push_back(dynamic_cast<Pop3Checker*>(record));
  });
}

Pop3Checker* Pop3CycleAccounts::At(int index) const {
  if (index < 0 || index >= static_cast<int>(accounts_.size())) return nullptr;
  return accounts_[static_cast<size_t>(index)];
}

int Pop3CycleAccounts::Count() const { return static_cast<int>(accounts_.size()); }

int Pop3CycleAccounts::State(int index) const {
  Pop3Checker* a = At(index);
  return a ? a->CheckState : AccountCodes::Unprocessed;
}

void Pop3CycleAccounts::SetState(int index, int state) {
  if (Pop3Checker* a = At(index)) a->CheckState = state;
}

int Pop3CycleAccounts::Check(int index) {
  Pop3Checker* a = At(index);
  return a ? a->Check() : Pop3Checker::CheckNotCheckable;
}

void Pop3CycleAccounts::ResetCounts(int index) {
  if (Pop3Checker* a = At(index)) a->ResetCounts();
}

std::uint32_t Pop3CycleAccounts::MessageCount(int index) const {
  Pop3Checker* a = At(index);
  return a ? a->MessageCount : 0;
}

std::time_t Pop3CycleAccounts::LastCheckTime(int index) const {
  Pop3Checker* a = At(index);
  return a ? a->LastCheckTime : 0;
}

bool Pop3CycleAccounts::InEmergency(int index) const {
  Pop3Checker* a = At(index);
  return a && a->InEmergency();
}

void Pop3CycleAccounts::StartEmergency(int index, std::time_t start) {
  if (Pop3Checker* a = At(index)) a->StartEmergency(start);
}

void Pop3CycleAccounts::EndEmergency(int index) {
  if (Pop3Checker* a = At(index)) a->EndEmergency();
}

int Pop3CycleAccounts::CycleMinutes(int index) const {
  Pop3Checker* a = At(index);
  return a ? a->CycleMinutes : 0;
}

std::string Pop3CycleAccounts::ConnectionName(int index) const {
  Pop3Checker* a = At(index);
  return a ? a->ConnectionName : std::string();
}

int Pop3CycleAccounts::ErrorCause(int index) const {
  Pop3Checker* a = At(index);
  return a ? a->ErrorCause : 0;
}

void Pop3CycleAccounts::SetErrorCause(int index, int cause) {
  if (Pop3Checker* a = At(index)) a->ErrorCause = cause;
}

long long Pop3CycleAccounts::PushTimerMs(int index) const {
  Pop3Checker* a = At(index);
  return a ? a->PushTimerMs() : -1;
}

int Pop3CycleAccounts::PushReadable(int index) {
  Pop3Checker* a = At(index);
  return a ? a->PushReadable() : 0;
}

void Pop3CycleAccounts::EndPush(int index) {
  if (Pop3Checker* a = At(index)) a->EndPush(false);
}

void Pop3CycleAccounts::ForgetAddress(int index) {
  if (Pop3Checker* a = At(index)) a->ForgetAddress();
}

std::vector<net::SocketHandle> Pop3CycleAccounts::IdleSockets(int index) const {
  Pop3Checker* a = At(index);
  return a ? a->IdleSockets() : std::vector<net::SocketHandle>();
}

}  // namespace bw
