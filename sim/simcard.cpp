#include "sim/simcard.h"

#include "device/platform.h"
#include "sim/parts.h"

namespace kal::sim {

void InstallSimulatedCard() {
    Platform p = RealPlatform();
    InstallSimDriver(p);
    InstallSimAudio(p);
    gPlatform = p;
}

}  // namespace kal::sim
