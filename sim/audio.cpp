#include <windows.h>

#include "sim/parts.h"

namespace kal::sim {
namespace {

// No endpoints are presented yet.
HRESULT NoEnumerator(IMMDeviceEnumerator** out) {
    if (out) *out = nullptr;
    return REGDB_E_CLASSNOTREG;
}

HRESULT NoPolicyConfig(IUnknown** out) {
    if (out) *out = nullptr;
    return REGDB_E_CLASSNOTREG;
}

}  // namespace

void InstallSimAudio(Platform& p) {
    p.CreateDeviceEnumerator = NoEnumerator;
    p.CreatePolicyConfig = NoPolicyConfig;
}

}  // namespace kal::sim
