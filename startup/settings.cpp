#include "startup/settings.h"

#include "startup/globals.h"
#include "base/keyed.h"
#include "startup/names.h"
#include "base/registry.h"

namespace kal {
namespace {

std::wstring ReadText(const std::wstring& path, const std::wstring& name, const std::wstring& def) {
    const auto v = RegRead(path, name, def);
    const auto* text = v ? std::get_if<std::wstring>(&*v) : nullptr;
    return text ? *text : std::wstring();
}

// A flag stored as the first byte of a binary value. A value without bytes (empty, or stored as
// text) reads as the flag's default.
bool ReadFlag(const std::wstring& name, bool def) {
    const auto v = RegRead(gRegRoot, name, static_cast<std::uint8_t>(def ? 1 : 0));
    const auto* bytes = v ? std::get_if<Bytes>(&*v) : nullptr;
    if (!bytes || bytes->empty()) return def;
    return (*bytes)[0] == 1;
}

}  // namespace

std::wstring GetDefaultProfile() { return ReadText(gRegRoot, L"DefaultProfile", L""); }

std::int16_t GetDefaultVolume() {
    const auto v = RegRead(gRegRoot, L"DefaultVolume", std::wstring(L"-1"));
    const auto* text = v ? std::get_if<std::wstring>(&*v) : nullptr;
    const std::int16_t volume = text ? ParseDefaultVolume(*text) : std::int16_t{-1};
    // A percentage: above 100 is full volume, any negative number means none.
    if (volume > 100) return 100;
    return volume < 0 ? std::int16_t{-1} : volume;
}

bool GetDefaultProfileNotify() { return ReadFlag(L"DefaultProfileNotify", true); }
bool GetDefaultVolumeNotify() { return ReadFlag(L"DefaultVolumeNotify", true); }
bool GetWin10LegacyIcons() { return ReadFlag(L"Win10LegacyIcons", false); }

std::wstring GetActiveProfile() { return ReadText(gRegRoot, L"ActiveProfile", L""); }

void GetProfileCustomIcon(const std::wstring& profile, std::wstring& iconFile, bool& volumeOverlay) {
    SplitCustomIcon(ReadText(RegJoin(gRegProfiles, profile), L"CustomIcon", L""), iconFile, volumeOverlay);
}

std::wstring FindProfileKey(const std::wstring& name) {
    for (const auto& key : RegEnumKeys(gRegProfiles))
        if (EqualsNoCase(key, name)) return key;
    return {};
}

}  // namespace kal
