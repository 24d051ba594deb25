#include "sim/simcard.h"

#include <windows.h>

#include "device/platform.h"

namespace kal::sim {
namespace {

// No card interface is registered yet: every request finds no device.
HANDLE OpenNothing(const wchar_t*) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

HRESULT NoEnumerator(IMMDeviceEnumerator** out) {
    if (out) *out = nullptr;
    return REGDB_E_CLASSNOTREG;
}

HRESULT NoPolicyConfig(IUnknown** out) {
    if (out) *out = nullptr;
    return REGDB_E_CLASSNOTREG;
}

}  // namespace

void InstallSimulatedCard() {
    Platform p = RealPlatform();
    p.OpenDeviceInterface = OpenNothing;
    p.CreateDeviceEnumerator = NoEnumerator;
    p.CreatePolicyConfig = NoPolicyConfig;
    gPlatform = p;
}

}  // namespace kal::sim
