#include "sim/dsound.h"

#include <dsound.h>

#include <atomic>
#include <new>

#include "base/log.h"
#include "sim/audio_card.h"
#include "sim/driver.h"
#include "sim/state.h"
#include "base/hextext.h"
#include "base/raii.h"
#include "base/registry.h"

namespace kal::sim {
namespace {

constexpr IID kIidDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr IID kIidDirectSound8 = {0xC50A7E93, 0xF395, 0x4834, {0x9E, 0xF6, 0x7F, 0xA9, 0x9D, 0xE5, 0x09, 0x66}};
constexpr wchar_t kValueName[] = L"Speaker Configuration";
constexpr wchar_t kStateValue[] = L"DirectSoundSpeakerConfig";
// DirectSound's default for a device nobody configured.
constexpr DWORD kDefaultConfig = DSSPEAKER_COMBINED(DSSPEAKER_STEREO, DSSPEAKER_GEOMETRY_WIDE);

std::atomic<long> gLive{0};
std::atomic<int> gZeroReads{0};

bool CardRemoved() { return RegReadText(RegJoin(kSimRoot, L"Driver"), L"Removed").value_or(L"") == L"1"; }

class DirectSound final : public IDirectSound8 {
public:
    DirectSound() { ++gLive; }
    DirectSound(const DirectSound&) = delete;
    DirectSound& operator=(const DirectSound&) = delete;
    ~DirectSound() { --gLive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, kIidDirectSound) && !IsEqualIID(iid, kIidDirectSound8))
            return E_NOINTERFACE;
        *out = static_cast<IDirectSound8*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC, LPLPDIRECTSOUNDBUFFER out, IUnknown*) override {
        if (out) *out = nullptr;
        return DSERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE GetCaps(LPDSCAPS) override { return DSERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER, LPLPDIRECTSOUNDBUFFER out) override {
        if (out) *out = nullptr;
        return DSERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD) override {
        return ::IsWindow(window) ? DS_OK : DSERR_INVALIDPARAM;
    }
    HRESULT STDMETHODCALLTYPE Compact() override { return DS_OK; }
    HRESULT STDMETHODCALLTYPE GetSpeakerConfig(LPDWORD config) override {
        if (!config) return DSERR_INVALIDPARAM;
        try {
            int pending = gZeroReads.load();
            while (pending > 0 && !gZeroReads.compare_exchange_weak(pending, pending - 1)) {}
            *config = pending > 0 ? 0 : SimSpeakerConfig();
            return DS_OK;
        } catch (...) {
            LogCaught(L"simulated DirectSound GetSpeakerConfig");
            return DSERR_GENERIC;
        }
    }
    HRESULT STDMETHODCALLTYPE SetSpeakerConfig(DWORD config) override {
        // Direct out (0) and the published configurations 1..9; the geometry byte only with stereo.
        const DWORD speakers = DSSPEAKER_CONFIG(config);
        if (speakers > DSSPEAKER_5POINT1_SURROUND || (config & 0xFF000000) ||
            (DSSPEAKER_GEOMETRY(config) != 0 && speakers != DSSPEAKER_STEREO))
            return DSERR_INVALIDPARAM;
        try {
            SetSimSpeakerConfig(config);
            return DS_OK;
        } catch (...) {
            LogCaught(L"simulated DirectSound SetSpeakerConfig");
            return DSERR_GENERIC;
        }
    }
    HRESULT STDMETHODCALLTYPE Initialize(LPCGUID) override { return DSERR_ALREADYINITIALIZED; }
    HRESULT STDMETHODCALLTYPE VerifyCertification(LPDWORD certified) override {
        if (!certified) return DSERR_INVALIDPARAM;
        *certified = DS_UNCERTIFIED;
        return DS_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT CreateSimDirectSound8(LPCGUID device, IDirectSound8** out, IUnknown* outer) {
    if (!out) return DSERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    // Only the default playback device (the card) exists.
    static constexpr GUID kDefaultPlayback = {0xDEF00000, 0x9C6D, 0x47ED, {0xAA, 0xF1, 0x4D, 0xDA, 0x8F, 0x2B, 0x5C, 0x03}};
    if (device && !IsEqualGUID(*device, GUID{}) && !IsEqualGUID(*device, kDefaultPlayback)) return DSERR_NODRIVER;
    if (CardRemoved()) return DSERR_NODRIVER;
    auto* ds = new (std::nothrow) DirectSound;
    if (!ds) return DSERR_OUTOFMEMORY;
    *out = ds;
    return DS_OK;
}

std::wstring SimSpeakerConfigKey() {
    std::wstring instance = SimCardInstanceId();
    if (instance.empty()) instance = L"PCI\\VEN_13F6&DEV_8788&SUBSYS_" + SimModel() + L"&REV_00\\4&2F6A1C0B&0&00E4";
    return L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum\\" +
           instance + L"\\DirectSound\\Speaker Configuration";
}

DWORD SimSpeakerConfig() {
    auto b = RegReadBytes(SimAudioStateKey(), kStateValue);
    if (!b || b->size() != 4) return kDefaultConfig;
    return BytesToUInt32(*b);
}

void SetSimSpeakerConfig(DWORD config) {
    Bytes b(4);
    PutUInt32(b, 0, config);
    RegWrite(SimAudioStateKey(), kStateValue, b);
    // The mirror: the hardware profile's branch is volatile, so its new keys must be too.
    std::wstring path = SimSpeakerConfigKey();
    const HKEY hive = SplitRegPath(path);
    UniqueHKey key;
    if (::RegCreateKeyExW(hive, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) == ERROR_SUCCESS)
        ::RegSetValueExW(key.get(), kValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&config), sizeof config);
}

void ResetSimSpeakerConfig() {
    RegDeleteValue(SimAudioStateKey(), kStateValue);
    RegDeleteValue(SimSpeakerConfigKey(), kValueName);
    gZeroReads = 0;
}

void SetSimSpeakerConfigZeroReads(int count) { gZeroReads = count; }

long SimDirectSoundLiveObjects() { return gLive; }

}  // namespace kal::sim
