#include "device/platform.h"

#include <initguid.h>
#include <mmdeviceapi.h>
#include <dsound.h>
#include <winioctl.h>
#include <ks.h>

#include "base/dyncalls.h"

namespace kal {

Platform gPlatform = RealPlatform();

namespace {

// The policy-config client: a system class with no public header.
constexpr CLSID kClsidPolicyConfig = {0x294935CE, 0xF637, 0x4E7C, {0xA4, 0x1B, 0xAB, 0x25, 0x54, 0x60, 0xB8, 0x62}};

HANDLE OpenInterface(const wchar_t* path) {
    // Read access is all a property request needs, and all that ordinary users may be granted.
    return ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

DWORD SendKsProperty(HANDLE device, void* property, DWORD propertySize, void* data, DWORD dataSize,
                     DWORD* returned) {
    DWORD got = 0;
    const BOOL ok = ::DeviceIoControl(device, IOCTL_KS_PROPERTY, property, propertySize, data, dataSize, &got, nullptr);
    if (returned) *returned = got;
    return ok ? 0 : ::GetLastError();
}

void CloseInterface(HANDLE device) { ::CloseHandle(device); }

HRESULT CreateEnumerator(IMMDeviceEnumerator** out) {
    return ::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(out));
}

HRESULT CreatePolicy(IUnknown** out) {
    return ::CoCreateInstance(kClsidPolicyConfig, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(out));
}

// dsound.dll is loaded on demand: most systems take the Core Audio path.
HRESULT CreateDirectSound(LPCGUID device, IDirectSound8** out, IUnknown* outer) {
    const auto fn = dyn::DirectSoundCreate8();
    return fn ? fn(device, out, outer) : E_NOTIMPL;
}

}  // namespace

Platform RealPlatform() {
    Platform p{};
    p.OpenDeviceInterface = OpenInterface;
    p.KsProperty = SendKsProperty;
    p.CloseDeviceInterface = CloseInterface;
    p.CreateDeviceEnumerator = CreateEnumerator;
    p.CreatePolicyConfig = CreatePolicy;
    p.DirectSoundCreate8 = CreateDirectSound;
    p.mixerGetNumDevs = [] { return ::mixerGetNumDevs(); };
    p.mixerOpen = [](LPHMIXER m, UINT id, DWORD_PTR cb, DWORD_PTR inst, DWORD fl) { return ::mixerOpen(m, id, cb, inst, fl); };
    p.mixerClose = [](HMIXER m) { return ::mixerClose(m); };
    p.mixerGetDevCapsW = [](UINT_PTR id, LPMIXERCAPSW c, UINT n) { return ::mixerGetDevCapsW(id, c, n); };
    p.mixerGetLineInfoW = [](HMIXEROBJ m, LPMIXERLINEW l, DWORD f) { return ::mixerGetLineInfoW(m, l, f); };
    p.mixerGetLineControlsW = [](HMIXEROBJ m, LPMIXERLINECONTROLSW c, DWORD f) { return ::mixerGetLineControlsW(m, c, f); };
    p.mixerGetControlDetailsW = [](HMIXEROBJ m, LPMIXERCONTROLDETAILS d, DWORD f) { return ::mixerGetControlDetailsW(m, d, f); };
    p.mixerSetControlDetails = [](HMIXEROBJ m, LPMIXERCONTROLDETAILS d, DWORD f) { return ::mixerSetControlDetails(m, d, f); };
    p.mixerGetID = [](HMIXEROBJ m, UINT* id, DWORD f) { return ::mixerGetID(m, id, f); };
    p.mixerMessage = [](HMIXER m, UINT msg, DWORD_PTR a, DWORD_PTR b) { return ::mixerMessage(m, msg, a, b); };
    return p;
}

}  // namespace kal
