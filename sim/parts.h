// The simulation's parts; each replaces its platform functions in `p`.
#pragma once
#include "device/platform.h"

namespace kal::sim {

// The card's kernel-streaming driver (sim/driver.cpp).
void InstallSimDriver(Platform& p);
// The card's Core Audio endpoints, the policy-config client, and XP's DirectSound and mixers
// (sim/audio.cpp).
void InstallSimAudio(Platform& p);

}  // namespace kal::sim
