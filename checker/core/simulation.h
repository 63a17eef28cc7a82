// The process-wide simulation mode: checks behave as if mail had arrived
// without touching the network.
#pragma once
#include <functional>

namespace bw {

bool SimulationMode();
// Switching the mode on seeds the random draws with the current time.
void SetSimulationMode(bool on);

// Random draw and sleep used by simulated checks and resolution; tests
// replace them to get fixed draws and no waiting. Empty functions restore
// the defaults.
int SimulationRandom();
void SimulationSleep(int milliseconds);
void SetSimulationHooks(std::function<int()> random, std::function<void(int)> sleep);

}  // namespace bw
