// The simulated card: stands in for the card's driver and audio endpoints behind the
// platform seam, for the tests and the demo build.
#pragma once

namespace kal::sim {

// Installs the simulation's platform functions.
void InstallSimulatedCard();

}  // namespace kal::sim
