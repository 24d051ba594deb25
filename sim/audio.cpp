#include <windows.h>

#include "sim/audio_card.h"
#include "sim/audio_objects.h"
#include "sim/dsound.h"
#include "sim/parts.h"
#include "sim/xp_mixer.h"

namespace kal::sim {

void InstallSimAudio(Platform& p) {
    // The category names the card's driver registers with its installation.
    WriteSimMediaCategories();
    p.CreateDeviceEnumerator = CreateSimDeviceEnumerator;
    p.CreatePolicyConfig = CreateSimPolicyConfig;
    // Windows XP's side of the card: DirectSound and the winmm mixers.
    p.DirectSoundCreate8 = CreateSimDirectSound8;
    InstallSimMixer(p);
}

}  // namespace kal::sim
