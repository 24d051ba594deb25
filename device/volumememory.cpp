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

// The output's digits in the value names: panel, then speaker configuration.
std::wstring OutputDigits(const Bytes& panel, const Bytes& config) {
    return std::to_wstring(First(panel)) + std::to_wstring(First(config));
}

}  // namespace

void OutputVolumeMemory(const std::wstring& profile, Currency& volume, Currency& balance, bool save) {
    const std::wstring source = save ? std::wstring() : profile;
    const Bytes panel = GetProfileValue(source, L"PanelConfig");
    const Bytes config = GetProfileValue(source, L"SpeakerConfig");
    if (save) {
        const std::wstring output = OutputDigits(panel, config);
        Currency liveVolume = 0, liveBalance = 0;
        GetProfileVolumeBalance(liveVolume, liveBalance, 0, 0, L"");
        SetLastOutput(HexToBytes(BytesToHex(panel) + BytesToHex(config)));
        SetLastVolume(output, ToByte(Fixed4ToDouble(liveVolume)));
        SetLastBalance(output, ToByte(100.0 + 100.0 * Fixed4ToDouble(liveBalance)));
        return;
    }
    RememberedOutputVolume(panel, config, volume, balance);
}

void RememberedOutputVolume(const Bytes& panel, const Bytes& config, Currency& volume, Currency& balance) {
    const std::wstring output = OutputDigits(panel, config);
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
