// The platform seam: the few functions that reach the sound card itself. Kalvenor.exe installs
// the system's own; the simulated card installs its replacements. Everything else calls the
// Windows API directly.
#pragma once
#include <windows.h>
#include <mmsystem.h>

struct IMMDeviceEnumerator;
struct IDirectSound8;

namespace kal {

struct Platform {
    // Opens the card's device interface for a property request; INVALID_HANDLE_VALUE on failure
    // (GetLastError tells why).
    HANDLE (*OpenDeviceInterface)(const wchar_t* path);
    // IOCTL_KS_PROPERTY on an opened interface: property header in, the setting's bytes as the
    // data buffer. Returns 0 or the system error code.
    DWORD (*KsProperty)(HANDLE device, void* property, DWORD propertySize, void* data, DWORD dataSize,
                        DWORD* returned);
    void (*CloseDeviceInterface)(HANDLE device);

    // Core Audio's device enumerator and the policy-config client (an IUnknown to query).
    HRESULT (*CreateDeviceEnumerator)(IMMDeviceEnumerator** out);
    HRESULT (*CreatePolicyConfig)(IUnknown** out);

    // Windows XP: DirectSound and the winmm mixer.
    HRESULT (*DirectSoundCreate8)(LPCGUID device, IDirectSound8** out, IUnknown* outer);
    UINT (*mixerGetNumDevs)();
    MMRESULT (*mixerOpen)(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
    MMRESULT (*mixerClose)(HMIXER mixer);
    MMRESULT (*mixerGetDevCapsW)(UINT_PTR id, LPMIXERCAPSW caps, UINT size);
    MMRESULT (*mixerGetLineInfoW)(HMIXEROBJ mixer, LPMIXERLINEW line, DWORD flags);
    MMRESULT (*mixerGetLineControlsW)(HMIXEROBJ mixer, LPMIXERLINECONTROLSW controls, DWORD flags);
    MMRESULT (*mixerGetControlDetailsW)(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
    MMRESULT (*mixerSetControlDetails)(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
    MMRESULT (*mixerGetID)(HMIXEROBJ mixer, UINT* id, DWORD flags);
    // Driver messages to a mixer (a device index may stand for the handle), e.g. the device
    // interface name queries.
    DWORD (*mixerMessage)(HMIXER mixer, UINT message, DWORD_PTR param1, DWORD_PTR param2);
};

// Set before start-up runs.
extern Platform gPlatform;

// The system's own functions.
Platform RealPlatform();

}  // namespace kal
