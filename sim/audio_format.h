// The simulated endpoints' shared-mode formats: what the policy-config client reads and writes,
// what the property store shows and what the format-support parts accept. The card's limits come
// from its catalogue record (MaxSampleRate); the formats live in the registry with the rest of
// the audio state.
#pragma once
#include <windows.h>
#include <mmreg.h>

#include <cstdint>
#include <string>

namespace kal::sim {

// The endpoint's format (its default until one is written).
WAVEFORMATEXTENSIBLE SimDeviceFormat(int endpoint);
// Stores a format as is, without checks or notification (for tests and the demo).
void SetSimDeviceFormat(int endpoint, const WAVEFORMATEXTENSIBLE& format);
// Highest sample rate of the simulated model (48000 for a model the catalogue lacks).
std::uint32_t SimMaxSampleRate();
// Why the endpoint refuses a wave format of `size` bytes; "" when it accepts it.
std::wstring SimFormatProblem(int endpoint, const WAVEFORMATEX* format, std::size_t size);

// The policy-config client's two format calls.
HRESULT SimPolicyGetDeviceFormat(LPCWSTR id, WAVEFORMATEX** format);
HRESULT SimPolicySetDeviceFormat(LPCWSTR id, WAVEFORMATEX* endpointFormat, WAVEFORMATEX* mixFormat);
// IKsFormatSupport::IsFormatSupported of the endpoint's converter.
HRESULT SimIsFormatSupported(int endpoint, const void* ksFormat, DWORD size, BOOL* supported);

// Calls of set-device-format so far (accepted or refused), and the refused ones.
long SimFormatWrites();
long SimFormatWritesRefused();
// The next read of a device format fails.
void FailNextSimFormatRead();
// Every set-device-format call is refused until called with false.
void RefuseSimFormatWrites(bool refuse);

}  // namespace kal::sim
