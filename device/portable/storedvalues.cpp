#include "device/portable/storedvalues.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <stdexcept>

#include "device/portable/mixer_names.h"
#include "startup/tables.h"

namespace kal {
namespace {

bool Is(std::wstring_view name, std::initializer_list<std::wstring_view> names) {
    for (auto n : names)
        if (n == name) return true;
    return false;
}

std::uint32_t Dword(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

float Float(const Bytes& b, std::size_t at) {
    const std::uint32_t bits = Dword(b, at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// A 4-byte code: the code in byte 0, zeros after it.
bool CodeIn(const Bytes& b, std::initializer_list<std::uint8_t> codes) {
    if (b[1] || b[2] || b[3]) return false;
    for (auto c : codes)
        if (b[0] == c) return true;
    return false;
}

// A whole number of decibels in 16.16 form (low half zero) within [lo, hi].
bool WholeDecibels(const Bytes& b, std::size_t at, int lo, int hi) {
    if (b[at] || b[at + 1]) return false;
    const auto db = static_cast<std::int16_t>(static_cast<std::uint16_t>(b[at + 2] | b[at + 3] << 8));
    return db >= lo && db <= hi;
}

std::optional<std::size_t> DefaultSize(std::wstring_view name) {
    const std::wstring* hex = gDriverDefaults.Find(name);
    if (!hex) return std::nullopt;
    return (hex->size() + 1) / 2;
}

bool MixerValueAcceptable(std::wstring_view name, const Bytes& b) {
    if (name == kMixerSampleRate) {
        if (b.size() != 4) return false;
        const std::uint32_t hz = Dword(b, 0);
        return hz >= 8000 && hz <= 768000;
    }
    if (b.size() != 1) return false;
    if (name == kMixerBitDepth) return b[0] == 8 || b[0] == 16 || b[0] == 20 || b[0] == 24 || b[0] == 32;
    if (name == kMixerInputLineSel) return b[0] <= 7;
    const auto ref = ParseMixerValueName(name);
    if (!ref) return true;  // no Windows setting of that name: applying it does nothing
    if (ref->control != 0) return b[0] <= 1;  // a custom control: off or on
    // A channel volume in percent; the master's 255 takes the output's remembered volume.
    const bool master = ref->flow != 1 && ref->line == 0;
    return b[0] <= 100 || (master && b[0] == 255);
}

bool DriverValueAcceptable(std::wstring_view name, const Bytes& b) {
    if (Is(name, {L"SpeakerConfig"})) return CodeIn(b, {1, 3, 4, 6, 7});
    if (Is(name, {L"PanelConfig", L"SmartVolumeParams", L"Dual2D", L"DVSEnable", L"DHEnable", L"EnableXear3D",
                  L"BassManagement", L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg", L"ListenerMode",
                  L"MuteSubwoofer", L"HeadphoneMuteRear"}))
        return CodeIn(b, {0, 1});
    if (name == L"SpDigitalOut") return CodeIn(b, {0, 2, 16, 32});
    if (name == L"DVSMode") return CodeIn(b, {5, 6});
    if (name == L"DHRoom") return CodeIn(b, {1, 2, 3});
    if (name == L"OutputFormat") {
        const std::uint32_t hz = Dword(b, 0);
        return hz == 44100 || hz == 48000 || hz == 96000 || hz == 192000;
    }
    if (Is(name, {L"HpImpedanceModeRear", L"HpImpedanceModeFront", L"BassCornerFrequency"}))
        return !b[1] && !b[2] && !b[3] && b[0] != 255;
    if (name == L"SpeakerSize") return !b[1] && !b[2] && !b[3] && !(b[0] & 0x08);  // bit 3 names no speaker
    if (name == L"EqEnable") return b[0] <= 1;
    if (name == L"SystemSpeakers") return b[0] == 0 || b[0] == 2 || b[0] == 4 || b[0] == 6 || b[0] == 8;
    if (name == L"EqGain") {
        for (std::size_t band = 0; band < 10; ++band)
            if (!WholeDecibels(b, 4 * band, -24, 24)) return false;
        return true;
    }
    for (auto channel : gChannelVolumeValues)
        if (name == channel) return WholeDecibels(b, 0, -96, 12);
    if (name == L"Pl2xParam") return b[0] <= 1 && b[4] <= 3;
    if (name == L"NeoParam") return b[0] <= 1 && b[4] <= 2 && std::isfinite(Float(b, 8));
    if (name == L"VSpeakerPos") {
        for (std::size_t speaker = 0; speaker < 8; ++speaker)
            for (std::size_t field = 0; field < 3; ++field) {
                const float v = Float(b, 16 * speaker + 4 * field);
                if (!std::isfinite(v) || std::fabs(v) > 10.0f) return false;
            }
        return true;
    }
    if (name == L"AEC") return b[8] <= 1;
    return true;
}

}  // namespace

bool IsAcceptableStoredValue(std::wstring_view name, const Bytes* binary) {
    // The program's own values: not sent anywhere as they stand.
    if (Is(name, {L"Shortcut", L"CustomIcon", L"VolIgnoreForValidation", L"NoVolChangeOnSameOut"})) return true;
    if (IsMixerValueName(name)) return binary && MixerValueAcceptable(name, *binary);
    const auto size = DefaultSize(name);
    if (!size) return true;  // no setting of that name
    return binary && binary->size() == *size && DriverValueAcceptable(name, *binary);
}

}  // namespace kal
