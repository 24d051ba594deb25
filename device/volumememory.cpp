#include "device/volumememory.h"

#include <cmath>

#include "device/mixervalues.h"
#include "device/portable/audio_levels.h"
#include "device/profilevalues.h"
#include "base/registry.h"
#include "startup/settings.h"

namespace kal {

namespace {

std::uint8_t First(const Bytes& b) { return b.empty() ? 0 : b[0]; }

std::uint8_t ToByte(double value) {
    const double whole = std::nearbyint(value);
    if (!(whole >= 0.0)) return 0;
    if (whole > 255.0) return 255;
    return static_cast<std::uint8_t>(whole);
}

}  // namespace

void OutputVolumeMemory(const std::wstring& profile, Currency& volume, Currency& balance, bool save) {
    const std::wstring source = save ? std::wstring() : profile;
    const Bytes panel = GetProfileValue(source, L"PanelConfig");
    const Bytes config = GetProfileValue(source, L"SpeakerConfig");
    const std::wstring output = std::to_wstring(First(panel)) + std::to_wstring(First(config));
    if (save) {
        Currency liveVolume = 0, liveBalance = 0;
        GetProfileVolumeBalance(liveVolume, liveBalance, 0, 0, L"");
        SetLastOutput(HexToBytes(BytesToHex(panel) + BytesToHex(config)));
        SetLastVolume(output, ToByte(Fixed4ToDouble(liveVolume)));
        SetLastBalance(output, ToByte(100.0 + 100.0 * Fixed4ToDouble(liveBalance)));
        return;
    }
    volume = static_cast<Currency>(GetLastVolume(output).value_or(255)) * kCurrencyScale;
    balance = (static_cast<Currency>(GetLastBalance(output).value_or(100)) - 100) * kCurrencyScale / 100;
}

std::wstring EqPresetName(const Bytes& gains) {
    if (auto name = BuiltInEqPresetName(gains); !name.empty()) return name;
    const std::wstring key = EqPresetsKey();
    const std::wstring text = BytesToHex(gains);
    for (const auto& name : RegEnumValues(key))
        if (auto v = RegReadBytes(key, name); v && BytesToHex(*v) == text) return name;
    return {};
}

std::wstring VssPresetName(const Bytes& layout) {
    if (auto name = BuiltInVssPresetName(layout); !name.empty()) return name;
    const std::wstring key = VssPresetsKey();
    for (const auto& name : RegEnumValues(key))
        if (auto v = RegReadBytes(key, name); v && VssLayoutsEqual(*v, layout)) return name;
    return {};
}

}  // namespace kal
