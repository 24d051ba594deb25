#include "device/portable/texts_values.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "base/log.h"
#include "startup/tables.h"

namespace kal {

namespace {

constexpr std::size_t kLayoutSize = 128;

float FloatAt(const Bytes& b, std::size_t offset) {
    const std::uint32_t bits = BytesToUInt32(b, offset);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

bool ByteIs(const Bytes& b, std::size_t index, std::uint8_t value) { return index < b.size() && b[index] == value; }

std::uint8_t First(const Bytes& b) { return b.empty() ? 0 : b[0]; }

bool IsMasterVolume(std::wstring_view name) { return name == L"_mixer00000" || name == L"_mixer00010"; }

bool LayoutsOfOneBuiltIn(const Bytes& live, const Bytes& stored) {
    const std::pair<std::wstring_view, std::wstring_view> forms[] = {
        {kVssDefaultLayout, kVssDefaultLayoutAlt},
        {kVssPositionalLayout, kVssPositionalLayoutAlt},
    };
    for (const auto& [first, second] : forms) {
        if (VssLayoutsEqual(live, second) && VssLayoutsEqual(stored, first)) return true;
        if (VssLayoutsEqual(live, first) && VssLayoutsEqual(stored, second)) return true;
    }
    return false;
}

// The NEO block as stored, made comparable with the live one (texts of whole hex digits).
std::wstring AdjustNeo(std::wstring stored, const std::wstring& live) {
    if (stored.size() > 2 && stored.substr(2) == std::wstring(30, L'0')) {
        // Stored without parameters: only the on/off byte counts.
        if (live.size() >= 2) return stored.substr(0, 2) + live.substr(2);
        return stored;
    }
    if (stored.size() >= 18 && live.size() >= 18) {
        const std::wstring a = stored.substr(16, 2), b = live.substr(16, 2);
        if ((a == L"24" && b == L"25") || (a == L"25" && b == L"24")) stored.replace(16, 2, b);
    }
    return stored;
}

}  // namespace

VssLayout::VssLayout(std::wstring_view hex) {
    try {
        bytes = HexToBytes(hex);
    } catch (const std::invalid_argument&) {
        // Equal to no layout.
        LogCaught(L"VssLayout");
        bytes.clear();
    }
}

bool VssLayoutsEqual(const VssLayout& a, const VssLayout& b) {
    if (a.bytes.size() != kLayoutSize || b.bytes.size() != kLayoutSize) return false;
    for (std::size_t i = 0; i < 8; ++i) {
        if (FloatAt(a.bytes, 16 * i) != FloatAt(b.bytes, 16 * i)) return false;
        if (FloatAt(a.bytes, 16 * i + 8) != FloatAt(b.bytes, 16 * i + 8)) return false;
    }
    return true;
}

std::wstring BuiltInVssPresetName(const Bytes& layout) {
    if (VssLayoutsEqual(layout, kVssDefaultLayout) || VssLayoutsEqual(layout, kVssDefaultLayoutAlt))
        return L"Default Preset";
    if (VssLayoutsEqual(layout, kVssPositionalLayoutAlt) || VssLayoutsEqual(layout, kVssPositionalLayout))
        return L"Vantor's Preset";
    return {};
}

std::wstring BuiltInEqPresetName(const Bytes& gains) {
    const std::wstring text = BytesToHex(gains);
    for (std::size_t i = 0; i < gEqPresetGains.size(); ++i)
        if (gEqPresetGains[i] == text) return std::wstring(gEqPresetNames[i]) + L" Preset";
    return {};
}

std::optional<int> SpeakerChannelCount(const Bytes& configuration, const Bytes* spdif) {
    std::optional<int> count;
    switch (configuration.empty() ? -1 : configuration[0]) {
        case 1:
        case 4: count = 2; break;
        case 3: count = 4; break;
        case 6: count = 6; break;
        case 7: count = 8; break;
        default: break;
    }
    if (spdif && !spdif->empty() && ((*spdif)[0] == 0x10 || (*spdif)[0] == 0x20)) count = 6;
    return count;
}

int EffectBehavior(std::wstring_view effect, int channels, std::wstring_view mode, const CardModel* card) {
    static constexpr std::pair<std::wstring_view, std::int32_t> kFields[] = {
        {L"VSS", 0x7}, {L"PL2X", 0x38}, {L"DH", 0x1C0}, {L"DVS", 0xE00}, {L"NEO", 0x7000}, {L"SUM", 0x38000},
    };
    std::int32_t mask = 0;
    for (const auto& [name, m] : kFields)
        if (name == effect) mask = m;
    if (!mask || channels == 0 || mode.empty() || !card) return 0;
    std::wstring m(mode);
    if (m != L"Dolby" && m != L"DTS") {
        m = L"0" + m;
        m = m.substr(m.size() - 2);
    }
    const auto word = card->Behavior(std::to_wstring(channels) + m);
    if (!word) return 0;
    const int shift = static_cast<int>(std::log2(static_cast<double>(mask))) - 2;
    return (*word & mask) >> shift;
}

bool StoredValueMatchesLive(std::wstring_view name, const Bytes& stored, const Bytes& live, bool skipVolume) {
    if (name == L"Shortcut" || name == L"CustomIcon" || name == L"VolIgnoreForValidation" ||
        name == L"NoVolChangeOnSameOut")
        return true;
    if (IsMasterVolume(name)) {
        if (skipVolume) return true;
        return First(stored) == First(live) || First(stored) == 255;
    }
    if (name == L"SystemSpeakers") {
        if (First(stored) == 0) return true;
        std::uint64_t count = 0;
        for (std::uint8_t b : live) count = (count << 8) | b;
        return count == First(stored);
    }
    std::wstring storedText = BytesToHex(stored);
    const std::wstring liveText = BytesToHex(live);
    if (name == L"Pl2xParam") {
        if (ByteIs(stored, 0, 0) && ByteIs(live, 0, 0)) return true;
    } else if (name == L"VSpeakerPos") {
        if (VssLayoutsEqual(live, stored) || LayoutsOfOneBuiltIn(live, stored)) return true;
    } else if (name == L"NeoParam") {
        if (ByteIs(stored, 0, 0) && ByteIs(live, 0, 0)) return true;
        storedText = AdjustNeo(storedText, liveText);
    }
    return storedText == liveText;
}

}  // namespace kal
