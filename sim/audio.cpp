#include <windows.h>

#include "sim/audio_card.h"
#include "sim/audio_objects.h"
#include "sim/parts.h"

namespace kal::sim {

void InstallSimAudio(Platform& p) {
    // The category names the card's driver registers with its installation.
    WriteSimMediaCategories();
    p.CreateDeviceEnumerator = CreateSimDeviceEnumerator;
    p.CreatePolicyConfig = CreateSimPolicyConfig;
}

}  // namespace kal::sim
