#include "device/mixervalues.h"

#include <cmath>
#include <stdexcept>

#include "base/log.h"
#include "device/audio.h"
#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/portable/audio_levels.h"
#include "device/profilevalues.h"
#include "startup/globals.h"
#include "base/registry.h"

namespace kal {

namespace {

// Ends a mixer value operation: the value names no line or control there is, or does not fit.
struct Stop {};

const std::wstring& LineOf(int flow, int line) {
    if (line < 0) throw Stop{};
    if (flow == 1) {
        if (static_cast<std::size_t>(line) >= gInputLineIds.size()) throw Stop{};
        return gInputLineIds[static_cast<std::size_t>(line)];
    }
    if (static_cast<std::size_t>(line) >= gPlaybackLineIds.size()) throw Stop{};
    return gPlaybackLineIds[static_cast<std::size_t>(line)];
}

void InputLineSelection(Bytes& data, bool write) {
    if (write) {
        if (data.empty() || data[0] >= gInputLineIds.size()) throw Stop{};
        gAudio->SelectInputLine(gInputLineIds[data[0]]);
        return;
    }
    data.assign(1, 0);
    const int index = InputLineIndex(AudioValueText(gAudio->SelectedInputLineID()));
    if (index != -1) data[0] = static_cast<std::uint8_t>(index);
}

void ChannelValue(const std::wstring& name, Bytes& data, bool write) {
    data.resize(1);
    const auto ref = ParseMixerValueName(name);
    if (!ref) throw Stop{};
    const std::wstring line = LineOf(ref->flow, ref->line);
    if (ref->control != 0) {
        std::int16_t on = data[0] != 0 ? -1 : 0;
        try {
            gAudio->ControlValue(line, ref->control, on, write);
        } catch (const std::out_of_range&) {
            throw Stop{};
        }
        data[0] = on != 0 ? 1 : 0;
        return;
    }
    // A level above 1.0 is never set.
    if (write && data[0] > 100) throw Stop{};
    float level = static_cast<float>(data[0]) / 100.0f;
    std::int32_t channel = ref->channel;
    gAudio->LineChannelVolumeOperation(line, channel, level, static_cast<std::uint32_t>(ref->flow), write, false);
    const double percent = std::nearbyint(static_cast<double>(level) * 100.0);
    if (!(percent >= 0.0 && percent <= 255.0)) throw Stop{};
    data[0] = static_cast<std::uint8_t>(percent);
}

// The output's shared-mode format: bit depth and sample rate. Windows before Vista has none.
void DeviceFormatValue(const std::wstring& name, Bytes& data, bool write) {
    if (gIsXP) return;
    const std::wstring& line = gPlaybackLineIds[0];
    const bool bitDepth = name == kMixerBitDepth;
    if (write) {
        if (bitDepth) {
            if (data.empty()) throw Stop{};
            gAudio->SetDeviceFormat(line, 0, data[0], 0);
        } else {
            // An unsigned little-endian number of up to four bytes.
            if (data.size() > 4) throw Stop{};
            gAudio->SetDeviceFormat(line, BytesToUInt32(data), 0, 0);
        }
        return;
    }
    const DeviceFormat format = gAudio->GetDeviceFormat(line);
    if (bitDepth) {
        if (format.Format.wBitsPerSample > 255) throw Stop{};
        data.assign(1, static_cast<std::uint8_t>(format.Format.wBitsPerSample));
    } else {
        data.assign(4, 0);
        PutUInt32(data, 0, format.Format.nSamplesPerSec);
    }
}

// A channel byte from a fixed-point level; nullopt when it does not fit a byte.
std::optional<std::uint8_t> LevelByte(Currency level) {
    const double whole = std::nearbyint(Fixed4ToDouble(level));
    if (!(whole >= 0.0 && whole <= 255.0)) return std::nullopt;
    return static_cast<std::uint8_t>(whole);
}

}  // namespace

void MixerValue(const std::wstring& name, Bytes& data, bool write) {
    if (!IsMixerValueName(name)) return;
    if (write) StampSelfChange();
    if (!gAudio) return;
    try {
        if (name == kMixerInputLineSel) {
            InputLineSelection(data, write);
        } else if (name == kMixerBitDepth || name == kMixerSampleRate) {
            DeviceFormatValue(name, data, write);
        } else {
            ChannelValue(name, data, write);
        }
    } catch (const Stop&) {
        LogLine(L"MixerValue", name + (write ? L" not written" : L" not read"));
    } catch (const std::exception&) {
        LogCaught(L"MixerValue");
    }
}

Bytes MixerProfileValue(const std::wstring& profile, const std::wstring& name) {
    if (auto stored = StoredProfileValue(profile, name)) return std::move(*stored);
    Bytes live{0};
    MixerValue(name, live, false);
    return live;
}

void GetProfileVolumeBalance(Currency& volume, Currency& balance, int flow, int line, const std::wstring& profile) {
    GetProfileVolumeBalance(volume, balance, flow, line, [&](const std::wstring& name) {
        return MixerProfileValue(profile, name);
    });
}

void GetProfileVolumeBalance(Currency& volume, Currency& balance, int flow, int line,
                             const std::function<Bytes(const std::wstring&)>& channelValue) {
    const Bytes l = channelValue(MixerValueName(flow, line, 0, 0));
    const Bytes r = channelValue(MixerValueName(flow, line, 1, 0));
    Currency left = (l.empty() ? 0 : l[0]) * kCurrencyScale;
    Currency right = (r.empty() ? 0 : r[0]) * kCurrencyScale;
    ChannelsBalance(left, right, volume, balance, false);
}

void SetVolumeBalance(Currency volume, Currency balance, int flow, int line) {
    Currency left = 0, right = 0;
    ChannelsBalance(left, right, volume, balance, true);
    if (const auto b = LevelByte(left)) {
        Bytes data{*b};
        MixerValue(MixerValueName(flow, line, 0, 0), data, true);
    }
    if (const auto b = LevelByte(right)) {
        Bytes data{*b};
        MixerValue(MixerValueName(flow, line, 1, 0), data, true);
    }
}

int InputLineIndex(const std::wstring& id) {
    if (id.empty()) return -1;
    for (std::size_t i = 0; i < gInputLineIds.size(); ++i)
        if (gInputLineIds[i] == id) return static_cast<int>(i);
    return -1;
}

}  // namespace kal
