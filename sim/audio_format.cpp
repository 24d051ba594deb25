#include "sim/audio_format.h"

#include <objbase.h>

#include <atomic>
#include <bitset>
#include <cwctype>
#include <cstring>
#include <map>
#include <mutex>

#include "device/coreaudio_interfaces.h"
#include "sim/audio_card.h"
#include "sim/state.h"
#include "startup/catalogue.h"
#include "base/keyed.h"
#include "base/registry.h"

namespace kal::sim {
namespace {

constexpr wchar_t kFormatValue[] = L"DeviceFormat";
constexpr std::uint32_t kForeignMaxRate = 48000;
constexpr HRESULT kUnsupportedFormat = static_cast<HRESULT>(0x88890008);  // the audio client's "unsupported format"

std::atomic<long> gWrites{0};
std::atomic<long> gRefused{0};
std::atomic<bool> gFailNextRead{false};
std::atomic<bool> gRefuseWrites{false};


const SimEndpointDesc& Endpoint(int e) { return SimAudioEndpoints()[static_cast<std::size_t>(e)]; }

std::wstring EndpointKey(int e) { return RegJoin(SimAudioStateKey(), Endpoint(e).key); }

bool IsSpdif(const SimEndpointDesc& d) { return d.path[0].name.find(L"SPDIF") != std::wstring::npos; }

WAVEFORMATEXTENSIBLE MakeFormat(WORD channels, DWORD rate, WORD bits, DWORD mask) {
    WAVEFORMATEXTENSIBLE f{};
    f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    f.Format.nChannels = channels;
    f.Format.nSamplesPerSec = rate;
    f.Format.wBitsPerSample = bits;
    f.Format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.Format.nAvgBytesPerSec = f.Format.nBlockAlign * rate;
    f.Format.cbSize = 22;
    f.Samples.wValidBitsPerSample = bits;
    f.dwChannelMask = mask;
    f.SubFormat = kKsDataFormatSubtypePcm;
    return f;
}

WAVEFORMATEXTENSIBLE DefaultFormat(int e) {
    const auto& d = Endpoint(e);
    if (d.flow == eCapture) return MakeFormat(static_cast<WORD>(d.channels), 48000, 16, d.channels == 1 ? 0x4 : 0x3);
    if (!d.onCard) return MakeFormat(2, 44100, 16, 0x3);
    if (IsSpdif(d)) return MakeFormat(2, 48000, 16, 0x3);
    return MakeFormat(2, 48000, 24, 0x3);
}

bool IsRate(DWORD rate) {
    for (DWORD r : {44100u, 48000u, 88200u, 96000u, 176400u, 192000u})
        if (rate == r) return true;
    return false;
}

// Subsys -> highest rate, from the catalogue as the card knows it.
std::uint32_t MaxRateOf(const std::wstring& subsys) {
    static const std::map<std::wstring, std::uint32_t> rates = [] {
        std::map<std::wstring, std::uint32_t> out;
        const bool had = !gCardModels.Empty();
        if (!had) BuildCardCatalogue();
        for (const auto& [key, model] : gCardModels) out[ToUpper(key)] = static_cast<std::uint32_t>(model->MaxSampleRate);
        if (!had) gCardModels.Clear();
        return out;
    }();
    const auto it = rates.find(ToUpper(subsys));
    return it != rates.end() && it->second ? it->second : kForeignMaxRate;
}

}  // namespace

WAVEFORMATEXTENSIBLE SimDeviceFormat(int endpoint) {
    auto b = RegReadBytes(EndpointKey(endpoint), kFormatValue);
    if (b && b->size() == sizeof(WAVEFORMATEXTENSIBLE)) {
        WAVEFORMATEXTENSIBLE f;
        std::memcpy(&f, b->data(), sizeof f);
        return f;
    }
    return DefaultFormat(endpoint);
}

void SetSimDeviceFormat(int endpoint, const WAVEFORMATEXTENSIBLE& format) {
    Bytes b(sizeof format);
    std::memcpy(b.data(), &format, sizeof format);
    RegWrite(EndpointKey(endpoint), kFormatValue, b);
}

std::uint32_t SimMaxSampleRate() { return MaxRateOf(SimModel()); }

std::wstring SimFormatProblem(int endpoint, const WAVEFORMATEX* f, std::size_t size) {
    if (!f || size < sizeof(WAVEFORMATEX)) return L"no format";
    const auto& d = Endpoint(endpoint);
    WORD validBits = f->wBitsPerSample;
    if (f->wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        if (f->cbSize < 22 || size < sizeof(WAVEFORMATEXTENSIBLE)) return L"extensible format too short";
        const auto* x = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(f);
        if (!IsEqualGUID(x->SubFormat, kKsDataFormatSubtypePcm)) return L"not PCM";
        validBits = x->Samples.wValidBitsPerSample;
        if (x->dwChannelMask != 0 && std::bitset<32>(x->dwChannelMask).count() != f->nChannels)
            return L"channel mask does not match the channels";
    } else if (f->wFormatTag != WAVE_FORMAT_PCM) {
        return L"not PCM";
    }

    const WORD bits = f->wBitsPerSample;
    if (bits != 16 && bits != 24 && bits != 32) return L"bit depth";
    if (IsSpdif(d) && bits == 32) return L"bit depth";
    if (validBits < 8 || validBits > bits) return L"valid bits";

    const WORD ch = f->nChannels;
    if (d.flow == eCapture) {
        if (ch != 1 && ch != 2) return L"channels";
    } else if (d.onCard && d.key == L"speakers") {
        if (ch != 2 && ch != 4 && ch != 6 && ch != 8) return L"channels";
    } else if (ch != 2) {
        return L"channels";
    }

    const std::uint32_t maxRate = d.onCard ? SimMaxSampleRate() : kForeignMaxRate;
    if (!IsRate(f->nSamplesPerSec) || f->nSamplesPerSec > maxRate) return L"sample rate";
    if (f->nBlockAlign != ch * bits / 8) return L"block align";
    if (f->nAvgBytesPerSec != static_cast<DWORD>(f->nBlockAlign) * f->nSamplesPerSec) return L"byte rate";
    return L"";
}

HRESULT SimPolicyGetDeviceFormat(LPCWSTR id, WAVEFORMATEX** format) {
    if (!format) return E_POINTER;
    *format = nullptr;
    if (!id) return E_POINTER;
    if (gFailNextRead.exchange(false)) return E_FAIL;
    const int e = FindSimEndpoint(id);
    if (e < 0 || !EqualsNoCase(id, Endpoint(e).id)) return E_INVALIDARG;
    const WAVEFORMATEXTENSIBLE f = SimDeviceFormat(e);
    auto* block = static_cast<WAVEFORMATEXTENSIBLE*>(::CoTaskMemAlloc(sizeof f));
    if (!block) return E_OUTOFMEMORY;
    *block = f;
    *format = &block->Format;
    return S_OK;
}

HRESULT SimPolicySetDeviceFormat(LPCWSTR id, WAVEFORMATEX* endpointFormat, WAVEFORMATEX*) {
    ++gWrites;
    auto refuse = [](HRESULT hr) {
        ++gRefused;
        return hr;
    };
    if (gRefuseWrites) return refuse(E_ACCESSDENIED);
    if (!id || !endpointFormat) return refuse(E_POINTER);
    const int e = FindSimEndpoint(id);
    if (e < 0 || !EqualsNoCase(id, Endpoint(e).id) || SimEndpointState(e) != DEVICE_STATE_ACTIVE)
        return refuse(E_INVALIDARG);
    const std::size_t size =
        endpointFormat->wFormatTag == WAVE_FORMAT_EXTENSIBLE ? sizeof(WAVEFORMATEX) + endpointFormat->cbSize : sizeof(WAVEFORMATEX);
    if (!SimFormatProblem(e, endpointFormat, size).empty()) return refuse(kUnsupportedFormat);

    WAVEFORMATEXTENSIBLE f{};
    if (endpointFormat->wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        std::memcpy(&f, endpointFormat, sizeof f);
        f.Format.cbSize = 22;
    } else {
        f = MakeFormat(endpointFormat->nChannels, endpointFormat->nSamplesPerSec, endpointFormat->wBitsPerSample, 0);
        f.Format.wFormatTag = WAVE_FORMAT_PCM;
        f.Format.cbSize = 0;
        f.SubFormat = GUID{};
    }
    const WAVEFORMATEXTENSIBLE before = SimDeviceFormat(e);
    if (std::memcmp(&before, &f, sizeof f) == 0) return S_OK;
    SetSimDeviceFormat(e, f);
    RaiseSimPropertyValueChanged(Endpoint(e).id, PROPERTYKEY{kPropDeviceFormatGuid, 0});
    return S_OK;
}

HRESULT SimIsFormatSupported(int endpoint, const void* ksFormat, DWORD size, BOOL* supported) {
    if (!ksFormat || !supported) return E_POINTER;
    *supported = FALSE;
    // A data format header (64 bytes) followed by a wave format.
    struct Header {
        ULONG formatSize, flags, sampleSize, reserved;
        GUID major, sub, specifier;
    };
    static_assert(sizeof(Header) == 64);
    if (size < sizeof(Header) + sizeof(WAVEFORMATEX)) return E_INVALIDARG;
    Header h;
    std::memcpy(&h, ksFormat, sizeof h);
    if (h.formatSize != size) return E_INVALIDARG;
    if (!IsEqualGUID(h.major, kKsDataFormatTypeAudio) || !IsEqualGUID(h.specifier, kKsDataFormatSpecifierWaveFormatEx) ||
        !IsEqualGUID(h.sub, kKsDataFormatSubtypePcm))
        return S_OK;
    const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(static_cast<const std::uint8_t*>(ksFormat) + sizeof h);
    *supported = SimFormatProblem(endpoint, wave, size - sizeof h).empty();
    return S_OK;
}

long SimFormatWrites() { return gWrites; }
long SimFormatWritesRefused() { return gRefused; }
void FailNextSimFormatRead() { gFailNextRead = true; }
void RefuseSimFormatWrites(bool refuse) { gRefuseWrites = refuse; }

}  // namespace kal::sim
