// Auto-exec sequence and termination, over the launch operations of
// Executant and the waits of the installed launcher.
#include "checker/core/auto_exec.h"

#include "common/core/launch.h"
#include "common/core/log.h"

namespace bw {

namespace {

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

// What follows the launch of application i: a wait for the end of
// application i-1 (ExecuteSequence) or the start delay.
void PauseAfterLaunch(const AncestryPop3Controller& settings, Executant& previous) {
  Launcher* launcher = CurrentLauncher();
  if (settings.ExecuteSequence) {
    LogWrite("ｼｰｹﾝｽ実行 : ");
    if (!previous.heldProcess || !launcher) {
      LogWrite("終了済.\n");
      return;
    }
    unsigned long limit = settings.ExecutionDelay == 0
                              ? kWaitForever
                              : static_cast<unsigned long>(settings.ExecutionDelay);
    LogWrite("ﾌﾟﾛｾｽ終了待ち...");
    if (launcher->WaitForProcessEnd(previous.heldProcess, limit) == 1)
      LogWrite("ﾀｲﾑｱｳﾄ[%d ms].\n", settings.ExecutionDelay);
    else
      LogWrite("終了検知.\n");
    return;
  }
  if (settings.ExecutionDelay > 0) {
    LogWrite("連続起動ﾃﾞｨﾚｲ[%d ms]\n", settings.ExecutionDelay);
    if (launcher) launcher->Sleep(static_cast<unsigned long>(settings.ExecutionDelay));
  }
}

}  // namespace

void RunAutoExecSequence(AncestryPop3Controller& settings, const MacroExpander& expand) {
  Executant* previous = nullptr;
  ForEachExecutant(settings.autoExecHead, [&](Executant& e, int i) {
    bool keepHandle = settings.ExecuteSequence || settings.AutoKillMethod != 0;
    std::string arguments = e.ExecutionArguments;
    e.ExecutionArguments = expand ? expand(arguments) : arguments;
    if (settings.AutoKillMethod & kKillBeforeRestart)
      e.Kill(settings.AutoKillMethod & kKillMethods);
    if (keepHandle)
      e.LaunchKeepingHandle();
    else
      e.Launch(nullptr);
    if (i >= 1 && previous) PauseAfterLaunch(settings, *previous);
    e.ExecutionArguments = arguments;
    previous = &e;
  });
}

void TerminateAutoExecApplications(AncestryPop3Controller& settings) {
  ForEachExecutant(settings.autoExecHead, [&](Executant& e, int) {
    e.Kill(settings.AutoKillMethod & kKillMethods);
  });
}

}  // namespace bw
