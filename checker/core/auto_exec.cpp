// Auto-exec sequence and termination over the launcher.
#include "checker/core/auto_exec.h"

#include "common/core/log.h"

namespace bw {

namespace {

// The low four bits of AutoKillMethod carry the method set.
constexpr int kKillMethods = 0x000F;

// Walks a ring from its head: until the next link is none or the head again.
template <typename Fn>
void ForEachExecutant(Executant* head, Fn fn) {
  Executant* e = head;
  int i = 0;
  while (e) {
    fn(*e, i++);
    Executant* next = e->NextExecutant();
    if (next == head) break;
    e = next;
  }
}

}  // namespace

AutoExecApplications::AutoExecApplications(AncestryPop3Controller& settings, Launcher& launcher)
    : settings_(settings), launcher_(launcher) {}

ProgramHold& AutoExecApplications::HoldAt(int index) {
  if (static_cast<size_t>(index) >= holds_.size()) holds_.resize(static_cast<size_t>(index) + 1);
  return holds_[static_cast<size_t>(index)];
}

bool AutoExecApplications::Holds(int index) const {
  return index >= 0 && static_cast<size_t>(index) < holds_.size() &&
         holds_[static_cast<size_t>(index)] != nullptr;
}

void AutoExecApplications::RunAutoExecSequence(const MacroExpander& expand) {
  ForEachExecutant(settings_.autoExecHead, [&](Executant& e, int i) {
    bool keepHandle = settings_.ExecuteSequence || settings_.AutoKillMethod != 0;
    std::string arguments = e.ExecutionArguments;
    e.ExecutionArguments = expand ? expand(arguments) : arguments;
    if (settings_.AutoKillMethod & kKillBeforeRestart)
      launcher_.Kill(e, HoldAt(i), settings_.AutoKillMethod & kKillMethods);
    if (keepHandle)
      LaunchKeepingHandle(launcher_, e, HoldAt(i));
    else
      launcher_.Launch(e, nullptr, nullptr);
    if (i >= 1) {
      // What follows the launch of application i: a wait for the end of
      // application i-1 (ExecuteSequence) or the start delay.
      if (settings_.ExecuteSequence) {
        LogWrite("ｼｰｹﾝｽ実行 : ");
        const ProgramHold& previous = HoldAt(i - 1);
        if (!previous) {
          LogWrite("終了済.\n");
        } else {
          unsigned long limit = settings_.ExecutionDelay == 0
                                    ? kWaitForever
                                    : static_cast<unsigned long>(settings_.ExecutionDelay);
          LogWrite("ﾌﾟﾛｾｽ終了待ち...");
          if (launcher_.WaitForEnd(*previous, limit) == 1)
            LogWrite("ﾀｲﾑｱｳﾄ[%d ms].\n", settings_.ExecutionDelay);
          else
            LogWrite("終了検知.\n");
        }
      } else if (settings_.ExecutionDelay > 0) {
        LogWrite("連続起動ﾃﾞｨﾚｲ[%d ms]\n", settings_.ExecutionDelay);
        launcher_.Sleep(static_cast<unsigned long>(settings_.ExecutionDelay));
      }
    }
    e.ExecutionArguments = arguments;
  });
}

void AutoExecApplications::TerminateAutoExecApplications() {
  ForEachExecutant(settings_.autoExecHead, [&](Executant& e, int i) {
    launcher_.Kill(e, HoldAt(i), settings_.AutoKillMethod & kKillMethods);
  });
}

}  // namespace bw
