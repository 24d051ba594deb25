// Device format and speakers of the audio object: the shared-mode format through the
// policy-config client, the format-support test of the line's path, and DirectSound's speaker
// configuration on Windows XP.
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "device/audio.h"
#include "device/platform.h"
#include "startup/globals.h"

namespace kal {
namespace {

// A block from the policy-config client, freed with CoTaskMemFree.
struct CoTaskFormat {
    WAVEFORMATEX* p = nullptr;
    CoTaskFormat() = default;
    CoTaskFormat(const CoTaskFormat&) = delete;
    CoTaskFormat& operator=(const CoTaskFormat&) = delete;
    ~CoTaskFormat() { ::CoTaskMemFree(p); }
};

// The format test record: a kernel-streaming data format header followed by the wave format.
#pragma pack(push, 1)
struct FormatTestRecord {
    KSDATAFORMAT header;
    WAVEFORMATEXTENSIBLE wave;
};
#pragma pack(pop)
static_assert(sizeof(FormatTestRecord) == 104, "format test record is 104 bytes");

std::uint16_t BlockAlign(std::uint32_t channels, std::uint32_t bits) {
    return static_cast<std::uint16_t>(std::nearbyint(static_cast<double>((channels * bits) & 0xFFFF) / 8.0));
}

// DirectSound speaker configuration (its low four bits) -> channels.
std::int16_t ChannelsOfSpeakerConfig(DWORD config) {
    switch (config & 0xF) {
    case DSSPEAKER_MONO: return 1;
    case DSSPEAKER_QUAD:
    case DSSPEAKER_SURROUND: return 4;
    case DSSPEAKER_5POINT1:
    case DSSPEAKER_5POINT1_SURROUND: return 6;
    case DSSPEAKER_7POINT1:
    case DSSPEAKER_7POINT1_SURROUND: return 8;
    default: return 2;  // headphone, stereo, direct out and unknown values
    }
}

DWORD SpeakerConfigForChannels(std::uint8_t channels) {
    switch (channels) {
    case 2: return DSSPEAKER_STEREO;
    case 4: return DSSPEAKER_QUAD;
    case 6: return DSSPEAKER_5POINT1;
    case 8: return DSSPEAKER_7POINT1_SURROUND;
    default: return DSSPEAKER_DIRECTOUT;
    }
}

// Lets the user-interface thread's queued messages run once.
void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

std::uint32_t CAudio::ChannelsToSpeakerMask(std::uint32_t channels) {
    switch (channels) {
    case 2: return 0x3;
    case 4: return 0x33;
    case 6: return 0x60F;
    case 8: return 0x63F;
    default: return 0;
    }
}

bool CAudio::ReadDeviceFormat(const std::wstring& line, DeviceFormat& format) {
    format = DeviceFormat{};
    if (!policyConfig_) return false;
    CoTaskFormat block;
    if (FAILED(policyConfig_->GetDeviceFormat(line.c_str(), 0, &block.p)) || !block.p) return false;
    // A plain wave format is read only as far as it reaches.
    const std::size_t size = std::min<std::size_t>(sizeof format, sizeof(WAVEFORMATEX) + block.p->cbSize);
    std::memcpy(&format, block.p, size);
    return true;
}

DeviceFormat CAudio::GetDeviceFormat(const std::wstring& line) {
    DeviceFormat format{};
    ReadDeviceFormat(line, format);
    return format;
}

std::uint32_t CAudio::GetSpeakersVista(const std::wstring& line) { return GetDeviceFormat(line).Format.nChannels; }

void CAudio::SetDeviceFormat(const std::wstring& line, std::uint32_t rate, std::uint16_t bits, std::uint16_t channels) {
    DeviceFormat f{};
    // Without the present format the record would be built on zeros: leave the device alone.
    if (!ReadDeviceFormat(line, f)) return;
    if (rate) f.Format.nSamplesPerSec = rate;
    if (bits) {
        f.Format.wBitsPerSample = bits;
        f.Samples.wValidBitsPerSample = bits;
    }
    if (channels) f.Format.nChannels = channels;
    else channels = f.Format.nChannels;
    f.Format.nBlockAlign = BlockAlign(channels, f.Format.wBitsPerSample);
    f.Format.nAvgBytesPerSec = static_cast<DWORD>(f.Format.nBlockAlign) * f.Format.nSamplesPerSec;
    f.dwChannelMask = ChannelsToSpeakerMask(channels);
    policyConfig_->SetDeviceFormat(line.c_str(), &f.Format, nullptr);
}

bool CAudio::FormatSupported(const std::wstring& line, std::uint32_t flow, std::uint32_t rate, std::uint16_t bits,
                             std::uint16_t channels) {
    const auto found = ActivatePartInterface(line, flow, StringFromGUID(kIidKsFormatSupport), true, false);
    if (found.empty()) return false;
    auto support = found.front().As<IKsFormatSupport>(kIidKsFormatSupport);
    if (!support) return false;

    FormatTestRecord r{};
    r.header.FormatSize = sizeof r;
    r.header.MajorFormat = kKsDataFormatTypeAudio;
    r.header.SubFormat = kKsDataFormatSubtypePcm;
    r.header.Specifier = kKsDataFormatSpecifierWaveFormatEx;
    r.wave.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    r.wave.Format.nChannels = channels;
    r.wave.Format.nSamplesPerSec = rate;
    r.wave.Format.nBlockAlign = BlockAlign(channels, bits);
    r.wave.Format.nAvgBytesPerSec = static_cast<DWORD>(r.wave.Format.nBlockAlign) * rate;
    r.wave.Format.wBitsPerSample = bits;
    r.wave.Format.cbSize = 22;
    r.wave.Samples.wValidBitsPerSample = bits;
    r.wave.dwChannelMask = ChannelsToSpeakerMask(channels);
    r.wave.SubFormat = kKsDataFormatSubtypePcm;

    BOOL supported = FALSE;
    if (FAILED(support->IsFormatSupported(&r.header, sizeof r, &supported))) return false;
    return supported == 1;
}

ComPtr<IDirectSound8> CAudio::CreateDirectSound() {
    ComPtr<IDirectSound8> ds;
    if (!gPlatform.DirectSoundCreate8 || FAILED(gPlatform.DirectSoundCreate8(nullptr, ds.put(), nullptr))) return {};
    return ds;
}

std::int16_t CAudio::GetSpeakersXP() {
    auto ds = CreateDirectSound();
    if (!ds) return 2;
    DWORD config = 0;
    // The configuration may read as 0 for a moment after the device comes up: retry a few times.
    for (int attempt = 0; attempt < 10; ++attempt) {
        DWORD read = 0;
        const HRESULT hr = ds->GetSpeakerConfig(&read);
        if (SUCCEEDED(hr)) config = read;
        if (SUCCEEDED(hr) && read != 0) break;
        if (attempt < 9) PumpMessages();
    }
    return ChannelsOfSpeakerConfig(config);
}

void CAudio::SetSpeakersXP(std::uint8_t channels) {
    auto ds = CreateDirectSound();
    if (ds) ds->SetSpeakerConfig(SpeakerConfigForChannels(channels));
}

std::int16_t CAudio::GetSpeakers(const std::wstring& line) {
    if (gIsXP) return GetSpeakersXP();
    return static_cast<std::int16_t>(GetSpeakersVista(line));
}

void CAudio::SetSpeakers(const std::wstring& line, std::int16_t channels) {
    if (gIsXP) {
        if (channels < 0 || channels > 255) throw std::overflow_error("speaker channel count");
        SetSpeakersXP(static_cast<std::uint8_t>(channels));
    } else {
        SetDeviceFormat(line, 0, 0, static_cast<std::uint16_t>(channels));
    }
}

}  // namespace kal
