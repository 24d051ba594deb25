// The simulated card's DirectSound device (Windows XP's speaker configuration). The speaker
// configuration persists with the audio state; each change is also mirrored where DirectSound
// keeps it, the "Speaker Configuration" value of the card's DirectSound key in the current
// hardware profile (a volatile branch here), so that a watcher of that key sees it.
#pragma once
#include <windows.h>

#include <string>

struct IDirectSound8;

namespace kal::sim {

HRESULT CreateSimDirectSound8(LPCGUID device, IDirectSound8** out, IUnknown* outer);

// DirectSound's own key of the card.
std::wstring SimSpeakerConfigKey();
DWORD SimSpeakerConfig();
void SetSimSpeakerConfig(DWORD config);
void ResetSimSpeakerConfig();
// The next `count` reads of the configuration return 0 (as while the device comes up).
void SetSimSpeakerConfigZeroReads(int count);
// DirectSound objects alive now.
long SimDirectSoundLiveObjects();

}  // namespace kal::sim
