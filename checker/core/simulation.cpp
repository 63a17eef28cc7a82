// The process-wide simulation flag with its random draws and sleeps.
#include "checker/core/simulation.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <utility>

namespace bw {
namespace {

bool simulation = false;
std::function<int()> randomHook;
std::function<void(int)> sleepHook;

}  // namespace

bool SimulationMode() { return simulation; }

void SetSimulationMode(bool on) {
  simulation = on;
  if (on) std::srand(static_cast<unsigned>(std::time(nullptr)));
}

int SimulationRandom() { return randomHook ? randomHook() : std::rand(); }

void SimulationSleep(int milliseconds) {
  if (sleepHook)
    sleepHook(milliseconds);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetSimulationHooks(std::function<int()> random, std::function<void(int)> sleep) {
  randomHook = std::move(random);
  sleepHook = std::move(sleep);
}

}  // namespace bw
