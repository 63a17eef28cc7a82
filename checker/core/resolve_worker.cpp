// Worker threads with a time-out for look-ups and the connect.
#include "checker/core/resolve_worker.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "common/core/log.h"

namespace bw {
namespace {

struct WorkerState {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
};

std::atomic<int> waitCeilingMs{kWaitCeilingMs};
std::atomic<bool> workerStartsFail{false};
std::atomic<int> checkCeilingMs{kCheckCeilingMs};

}  // namespace

int CheckCeilingMs() { return checkCeilingMs.load(); }
void SetCheckCeilingMs(int ms) { checkCeilingMs = ms > 0 ? ms : kCheckCeilingMs; }

int WaitCeilingMs() { return waitCeilingMs.load(); }
void SetWaitCeilingMs(int ms) { waitCeilingMs = ms > 0 ? ms : kWaitCeilingMs; }

int TimeoutMs(int seconds) {
  const int ceiling = WaitCeilingMs();
  if (seconds <= 0 || seconds > ceiling / 1000) return ceiling;
  return seconds * 1000;
}

void SetWorkerStartsFail(bool fail) { workerStartsFail = fail; }

void LogWorkerNotStarted(const char* name) {
  LogWrite("%s : 作業ｽﾚｯﾄﾞを作成できません.\n", name);
}

WorkerRun RunWithTimeout(std::function<void()> work, int timeoutMs) {
  auto state = std::make_shared<WorkerState>();
  try {
    if (workerStartsFail)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    std::thread([state, work = std::move(work)] {
      work();
      std::lock_guard<std::mutex> lock(state->mutex);
      state->done = true;
      state->finished.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return WorkerRun::NotStarted;
  } catch (const std::bad_alloc&) {
    return WorkerRun::NotStarted;
  }
  std::unique_lock<std::mutex> lock(state->mutex);
  if (timeoutMs < 0) {
    state->finished.wait(lock, [&] { return state->done; });
    return WorkerRun::Finished;
  }
  return state->finished.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return state->done; })
             ? WorkerRun::Finished
             : WorkerRun::TimedOut;
}

}  // namespace bw
