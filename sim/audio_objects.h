// Factories of the simulated card's Core Audio objects.
#pragma once
#include <windows.h>
#include <mmdeviceapi.h>

namespace kal::sim {

HRESULT CreateSimDeviceEnumerator(IMMDeviceEnumerator** out);
// An object offering the policy-config client's interface.
HRESULT CreateSimPolicyConfig(IUnknown** out);

// Objects alive now, and objects whose last reference went on a thread without COM.
long SimAudioLiveObjects();
long SimAudioReleasesWithoutCom();

}  // namespace kal::sim
