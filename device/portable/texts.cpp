#include "device/portable/texts.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "device/portable/audio_levels.h"
#include "device/portable/mixer_names.h"
#include "startup/tables.h"

namespace kal {

namespace {

std::uint8_t First(const Bytes& b) { return b.empty() ? 0 : b[0]; }
std::uint8_t ByteAt(const Bytes& b, std::size_t i) { return i < b.size() ? b[i] : 0; }

// A little-endian number of up to eight bytes.
double LittleEndianNumber(const Bytes& b) {
    std::uint64_t v = 0;
    for (std::size_t i = b.size() < 8 ? b.size() : 8; i-- > 0;) v = (v << 8) | b[i];
    return static_cast<double>(v);
}

const wchar_t* OnOff(const Bytes& b) { return First(b) == 1 ? L"ON" : L"OFF"; }

std::int32_t RoundWhole(Currency value) {
    return static_cast<std::int32_t>(std::nearbyint(Fixed4ToDouble(value)));
}

}  // namespace

std::wstring HpImpedanceValueName(const Bytes& panel) {
    return First(panel) == 0 ? L"HpImpedanceModeRear" : L"HpImpedanceModeFront";
}

std::wstring DVSModeName(int mode) {
    switch (mode) {
        case 5: return L"Reference";
        case 6: return L"Wide";
        default: return {};
    }
}

std::wstring DHRoomName(int room) {
    switch (room) {
        case 1: return L"DH-1 Studio";
        case 2: return L"DH-2 Cinema";
        case 3: return L"DH-3 Hall";
        default: return {};
    }
}

std::wstring Fixed4Text(Currency value, std::wstring_view decimalSeparator) {
    const bool negative = value < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::wstring text = negative ? L"-" : L"";
    text += std::to_wstring(magnitude / kCurrencyScale);
    std::uint64_t fraction = magnitude % kCurrencyScale;
    if (fraction) {
        std::wstring digits = std::to_wstring(fraction + kCurrencyScale).substr(1);  // four digits
        while (digits.back() == L'0') digits.pop_back();
        text += decimalSeparator;
        text += digits;
    }
    return text;
}

std::wstring NumberText(double value, std::wstring_view decimalSeparator) {
    wchar_t buffer[64];
    std::swprintf(buffer, 64, L"%.15g", value);
    std::wstring text = buffer;
    if (const std::size_t dot = text.find(L'.'); dot != std::wstring::npos) text.replace(dot, 1, decimalSeparator);
    return text;
}

std::int32_t ChannelGainPercentOf(const Bytes& gain) {
    if (gain.size() != 4) return 0;
    auto dB = static_cast<std::int16_t>(gain[2] | (gain[3] << 8));
    // Beyond these ends the taper's power leaves the range of numbers; the percentage is 0
    // long before the lower end and far above any slider at the upper one.
    if (dB < -400) dB = -400;
    if (dB > 200) dB = 200;
    return RoundWhole(LinearFromDB(static_cast<Currency>(dB) * kCurrencyScale, 35, -96, 12));
}

std::wstring BuildTooltipText(const TooltipFacts& facts, std::wstring_view sep) {
    std::wstring text = L"Master volume: ";
    if (!facts.levelKnown) {
        text += L"Unknown";
    } else if (facts.muted) {
        text += L"Muted";
    } else {
        text += std::to_wstring(facts.percent) + L"%";
        if (facts.dB) text += L" (" + Fixed4Text(*facts.dB, sep) + L"dB)";
    }
    text += L"\r\n";
    if (facts.activeProfile) return text + L"Active Profile: " + *facts.activeProfile;
    switch (First(facts.spDigitalOut)) {
        case 0x10: text += L"Dolby Digital Live"; break;
        case 0x20: text += L"DTS Interactive"; break;
        default:
            switch (First(facts.speakerConfig)) {
                case 1: text += L"Headphones"; break;
                case 3: text += L"4 Speakers"; break;
                case 4: text += L"2 Speakers"; break;
                case 6: text += L"5.1 Speakers"; break;
                case 7: text += L"7.1 Speakers"; break;
                default: break;
            }
            break;
    }
    text += L" on ";
    text += First(facts.panelConfig) == 1 ? L"Front" : L"Rear";
    text += L" Panel";
    return text;
}

std::wstring BuildProfileSummary(SummarySource& p) {
    const std::wstring sep = p.DecimalSeparator();
    std::wstring s = L"Vol.: ";

    // Master volume.
    if (!p.Holds(MixerValueName(0, 0, 0, 0))) {
        s += L"Don't Change";
    } else {
        const Currency v = p.LineVolume(0, 0);
        if (v == 255 * kCurrencyScale) {
            s += L"Last";
        } else {
            s += Fixed4Text(v, sep) + L"%";
            if (auto dB = p.LineDB(0, 0, static_cast<std::int16_t>(RoundWhole(v))))
                s += L" (" + Fixed4Text(*dB, sep) + L"dB)";
        }
        if (p.Holds(L"NoVolChangeOnSameOut")) s += L" (Don't Change On Same Output)";
    }

    if (p.Holds(L"SmartVolumeParams")) s += std::wstring(L" | SVN: ") + OnOff(p.Value(L"SmartVolumeParams"));

    if (const std::uint8_t channels = First(p.Value(L"SystemSpeakers")))
        s += L" | Channels: " + std::to_wstring(channels);

    const bool depth = p.Holds(kMixerBitDepth), rate = p.Holds(kMixerSampleRate);
    if (depth || rate) {
        s += L" | Sys Playback: ";
        if (depth) s += std::to_wstring(First(p.Value(kMixerBitDepth))) + L" bit";
        if (rate) {
            if (s.ends_with(L"bit")) s += L", ";
            s += NumberText(LittleEndianNumber(p.Value(kMixerSampleRate)) / 1000, sep) + L" KHz";
        }
    }

    if (p.Holds(L"OutputFormat"))
        s += L" | Card Sample: " + NumberText(LittleEndianNumber(p.Value(L"OutputFormat")) / 1000, sep) + L" KHz";

    static constexpr std::pair<const wchar_t*, const wchar_t*> kFlags[] = {
        {L"HeadphoneLRXchg", L" | HP L-R Exchg: "},
        {L"Dual2D", L" | Stereo Upmix: "},
        {L"CenterBassXchg", L" | Center-Bass Exchg: "},
        {L"SideRearXchg", L" | Side-Rear Surr. Exchg: "},
    };
    for (const auto& [name, caption] : kFlags)
        if (p.Holds(name)) s += caption + std::wstring(OnOff(p.Value(name)));

    // The headphone amplifier's gain; a gain the card has no mode for is left out.
    const CardModel* card = p.Card();
    if (card && card->HPAmp && First(p.Value(L"SpeakerConfig")) == 1) {
        const std::wstring gainName = HpImpedanceValueName(p.Value(L"PanelConfig"));
        if (p.Holds(gainName)) {
            const std::uint8_t gain = First(p.Value(gainName));
            if (gain < 255)
                if (auto caption = card->AmpGainModeCaption(gain + 1, true)) s += L" | HP Amp Mode: " + *caption;
        }
    }

    const bool dvs = First(p.Value(L"DVSEnable")) == 1;
    if (dvs) {
        s += L" | DVS: ON";
        if (auto name = DVSModeName(First(p.Value(L"DVSMode"))); !name.empty()) s += L" (" + name + L")";
    }
    if (First(p.Value(L"DHEnable")) == 1) {
        s += L" | DH: ON";
        if (auto name = DHRoomName(First(p.Value(L"DHRoom"))); !name.empty()) s += L" (" + name + L")";
    }
    if (First(p.Value(L"EnableXear3D")) == 1) {
        s += L" | 7.1 VSS: ON";
        if (auto name = p.VssPresetName(p.Value(L"VSpeakerPos")); !name.empty()) s += L" (" + name + L")";
    }
    if (!dvs) {
        const Bytes pl2x = p.Value(L"Pl2xParam");
        if (First(pl2x) == 1) s += std::wstring(L" | PLIIx: ON (") + (ByteAt(pl2x, 11) == 0 ? L"Music" : L"Movie") + L" Mode)";
    }
    const Bytes neo = p.Value(L"NeoParam");
    if (First(neo) == 1) s += std::wstring(L" | NEO:PC: ON (") + (ByteAt(neo, 4) == 2 ? L"Music" : L"Movie") + L" Mode)";

    for (std::size_t i = 0; i < gChannelVolumeValues.size(); ++i) {
        if (!p.Holds(gChannelVolumeValues[i])) continue;
        const std::int32_t percent = ChannelGainPercentOf(p.Value(gChannelVolumeValues[i]));
        if (percent < 0 || percent > 255) continue;  // no slider position: a gain far outside the card's range
        const Currency dB = DBFromLinear(static_cast<std::int16_t>(percent), 35, -96, 12);
        s += L" | " + std::wstring(gChannelNames[i]) + L" Vol.: " + std::to_wstring(percent) + L"% (" +
             std::to_wstring(RoundWhole(dB)) + L"dB)";
    }

    if (p.Holds(kMixerInputLineSel)) {
        const std::uint8_t input = First(p.Value(kMixerInputLineSel));
        if (input < gInputLineNames.size()) s += L" | Input Sel.: " + std::wstring(gInputLineNames[input]);
    }

    for (int i = 0; i < static_cast<int>(gInputLineNames.size()); ++i) {
        if (!p.Holds(MixerValueName(1, i, 0, 0))) continue;
        const Currency v = p.LineVolume(1, i);
        s += L" | " + std::wstring(gInputLineNames[static_cast<std::size_t>(i)]) + L" Vol.: " + Fixed4Text(v, sep) + L"%";
        if (auto dB = p.LineDB(1, i, static_cast<std::int16_t>(RoundWhole(v)))) s += L" (" + Fixed4Text(*dB, sep) + L"db)";
    }

    if (p.Holds(L"EqEnable")) {
        const std::uint8_t eq = First(p.Value(L"EqEnable"));
        if (eq < 255) {
            s += eq == 1 ? L" | EQ: ON" : L" | EQ: OFF";
            if (eq == 1)
                if (auto name = p.EqPresetName(p.Value(L"EqGain")); !name.empty()) s += L" (" + name + L")";
        }
    }

    if (First(p.Value(L"BassManagement")) == 1)
        s += L" | FlexBass: ON (CF:" + std::to_wstring(First(p.Value(L"BassCornerFrequency"))) + L"Hz)";

    const Bytes aec = p.Value(L"AEC");
    if (aec.size() == 40 && aec[8] == 1) s += L" | AEC: ON";
    return s;
}

}  // namespace kal
