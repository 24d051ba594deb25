#include "device/profilevalues.h"

#include <cmath>
#include <cwctype>
#include <map>
#include <optional>
#include <stdexcept>

#include "base/log.h"
#include "base/raii.h"
#include "device/audio.h"
#include "device/cardlines.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/packets.h"
#include "device/portable/audio_levels.h"
#include "device/portable/storedvalues.h"
#include "device/portable/texts.h"
#include "device/transport.h"
#include "device/volumememory.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/names.h"
#include "startup/settings.h"
#include "startup/tables.h"

namespace kal {

namespace {

Bytes DefaultOf(const std::wstring& name) {
    if (const std::wstring* hex = gDriverDefaults.Find(name)) {
        try {
            return HexToBytes(*hex);
        } catch (const std::invalid_argument&) {
            LogCaught(L"driver default of a profile value");
        }
    }
    return Bytes{0};
}

Bytes TextBytes(const std::wstring& text) {
    Bytes out;
    for (wchar_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    return out;
}

// A stored value as bytes (text values as their UTF-16 bytes); nullopt when it is missing.
std::optional<Bytes> StoredBytes(std::optional<RegValue> v) {
    if (!v) return std::nullopt;
    if (auto* b = std::get_if<Bytes>(&*v)) return *b;
    return TextBytes(std::get<std::wstring>(*v));
}

// A value read from a profile key as the readers see it: text as its UTF-16 bytes; nullopt when
// damaged.
std::optional<Bytes> AcceptedValue(const std::wstring& name, const RegValue& value) {
    if (const auto* b = std::get_if<Bytes>(&value)) {
        if (!IsAcceptableStoredValue(name, b)) return std::nullopt;
        return *b;
    }
    if (!IsAcceptableStoredValue(name, nullptr)) return std::nullopt;
    return TextBytes(std::get<std::wstring>(value));
}

// A stored profile's value, else what stands in for a missing one: the live value of a
// "_mixer" value, the default of any other.
Bytes StoredOrFallback(const std::wstring& name, std::optional<Bytes> stored) {
    if (stored) return std::move(*stored);
    return IsMixerValueName(name) ? MixerProfileValue(L"", name) : DefaultOf(name);
}

// "_mixer000?0": the left or right master volume, the channel position any character.
bool IsMasterVolumeName(const std::wstring& name) {
    const std::wstring pattern = MixerValueName(0, 0, 9, 0);  // "_mixer00090"
    if (name.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (pattern[i] != L'9' && pattern[i] != name[i]) return false;
    return true;
}

std::uint8_t LevelToByte(Currency level) {
    const double whole = std::nearbyint(Fixed4ToDouble(level));
    if (!(whole >= 0.0)) return 0;
    if (whole > 255.0) return 255;
    return static_cast<std::uint8_t>(whole);
}

// The output whose volume was saved last is the profile's own output.
bool LastOutputIsProfiles(const std::wstring& profile) {
    const std::wstring own = BytesToHex(GetProfileValue(profile, L"PanelConfig")) +
                             BytesToHex(GetProfileValue(profile, L"SpeakerConfig"));
    const Bytes last = StoredBytes(GetLastOutput()).value_or(TextBytes(L"00"));
    return BytesToHex(last) == own;
}

void ApplyMixerValue(const std::wstring& profile, const std::wstring& name, Bytes stored, bool skipMasterVolume) {
    if (IsMasterVolumeName(name)) {
        if (!stored.empty() && stored[0] == 255) {
            Currency volume = 0, balance = 0, left = 0, right = 0;
            OutputVolumeMemory(profile, volume, balance, false);
            ChannelsBalance(left, right, volume, balance, true);
            stored[0] = LevelToByte(name == MixerValueName(0, 0, 0, 0) ? left : right);
        } else if (ProfileValueExists(profile, L"NoVolChangeOnSameOut") && LastOutputIsProfiles(profile)) {
            skipMasterVolume = true;
        }
        if (skipMasterVolume) return;
    }
    MixerValue(name, stored, true);
}

std::uint32_t Dispatch(const std::wstring& name, Bytes stored, Bytes partner) {
    if (ChannelIndex(name) >= 0) return ApplyChannelGain(name, stored);
    if (name == L"SmartVolumeParams") return ApplySmartVolume(stored);
    if (name == L"SystemSpeakers") {
        ApplySystemSpeakers(stored);
        return 0;
    }
    if (name == L"OutputFormat") return ApplyOutputFormat(stored);
    if (name == L"PanelConfig") return ApplyPanelConfig(stored, partner);
    if (name == L"SpeakerConfig") return ApplySpeakerConfig(stored);
    if (name == L"Dual2D") return ApplyDual2D(stored);
    if (name == L"CenterBassXchg") return ApplyCenterBassXchg(stored);
    if (name == L"HeadphoneLRXchg") return ApplyHeadphoneLRXchg(stored);
    if (name == L"SideRearXchg") return ApplySideRearXchg(stored);
    if (name == L"SpDigitalOut") return ApplySpDigitalOut(stored);
    if (name == L"DVSEnable") return ApplyDVS(stored, partner);
    if (name == L"DHEnable") return ApplyDH(stored, partner);
    if (name == L"EnableXear3D") return ApplyXear3D(stored);
    if (name == L"VSpeakerPos") return ApplyVSpeakerPos(stored);
    if (name == L"Pl2xParam") return ApplyPl2xParam(stored);
    if (name == L"NeoParam") return ApplyNeoParam(stored);
    if (name == L"EqEnable") return ApplyEqEnable(stored);
    if (name == L"EqGain") return ApplyEqGain(stored);
    if (name == L"BassManagement") return ApplyBassManagement(stored, partner);
    if (name == L"SpeakerSize") return ApplySpeakerSize(stored);
    if (name == L"AEC") return ApplyAEC(stored);
    // Anything else (the program's own values, the partners on their own) sends nothing.
    return 0;
}

}  // namespace

Bytes GetProfileValue(const std::wstring& profile, const std::wstring& name) {
    if (!profile.empty()) return StoredOrFallback(name, StoredProfileValue(profile, name));
    if (IsMixerValueName(name)) return MixerProfileValue(L"", name);
    if (name == L"SystemSpeakers") {
        if (!gAudio) return DefaultOf(name);
        const std::int16_t channels = gAudio->GetSpeakers(gPlaybackLineIds[0]);
        return HexToBytes(HexPad(channels, channels > 0xFF ? 4 : 2));
    }
    return LiveDriverValue(name);
}

std::optional<Bytes> StoredProfileValue(const std::wstring& profile, const std::wstring& name) {
    if (profile.empty()) return std::nullopt;
    auto v = RegRead(RegJoin(gRegProfiles, profile), name);
    if (!v) return std::nullopt;
    return AcceptedValue(name, *v);
}

ProfileSnapshot::ProfileSnapshot(const std::wstring& profile) : profile_(profile) {
    auto values = std::make_shared<Values>();
    if (!profile.empty()) {
        for (auto& [name, value] : RegReadValues(RegJoin(gRegProfiles, profile), &whole_)) {
            values->names.push_back(name);
            values->byName.emplace(std::move(name), std::move(value));
        }
    }
    values_ = std::move(values);
}

std::optional<Bytes> ProfileSnapshot::Stored(const std::wstring& name) const {
    const auto it = values_->byName.find(name);
    if (it == values_->byName.end()) return std::nullopt;
    return AcceptedValue(name, it->second);
}

Bytes ProfileSnapshot::Value(const std::wstring& name) const {
    if (profile_.empty()) return GetProfileValue(L"", name);
    return StoredOrFallback(name, Stored(name));
}

std::vector<std::pair<std::wstring, Bytes>> ProfileSnapshot::Accepted() const {
    std::vector<std::pair<std::wstring, Bytes>> accepted;
    for (const auto& [name, value] : values_->byName)
        if (auto bytes = AcceptedValue(name, value)) accepted.emplace_back(name, std::move(*bytes));
    return accepted;
}

namespace {

// A key's last write time counts as settled this long afterwards (100 ns units): the clock that
// stamps registry writes may advance only every few milliseconds, so a write soon after a
// reading could carry the time the reading saw.
constexpr std::uint64_t kSettledAge = 2 * 10'000'000ULL;

std::uint64_t SystemTimeNow() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

struct CachedProfile {
    std::uint64_t lastWritten;
    ProfileSnapshot snapshot;
};

using CachedProfiles = std::map<std::wstring, CachedProfile, CaseInsensitiveLess>;

// What was read from one profiles key. The whole reading stands while the watch on the key and
// its subkeys has not fired and the watched key still stands with its last write time (a deleted
// key answers nothing through its handle); otherwise the profiles whose keys kept their settled
// write times stand.
struct ProfilesReading {
    CachedProfiles byName;
    UniqueHKey watched;
    UniqueHandle changed;  // signalled by the first change below the watched key
    std::uint64_t watchedWritten = 0;
    std::optional<std::vector<ProfileSnapshot>> whole;
};

std::map<std::wstring, ProfilesReading, CaseInsensitiveLess>& Cache() {
    static std::map<std::wstring, ProfilesReading, CaseInsensitiveLess> cache;
    return cache;
}

// The key's own last write time; 0 when it can't be read (a key deleted since it was opened).
std::uint64_t KeyLastWritten(HKEY key) {
    FILETIME written{};
    if (!key || ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, &written) != ERROR_SUCCESS)
        return 0;
    return (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

// Watches the profiles key anew, before it is read, so that a change during the reading fires
// too; false when it can't be watched.
bool ArmWatch(ProfilesReading& reading) {
    std::wstring sub = gRegProfiles;
    const HKEY hive = SplitRegPath(sub);
    if (::RegOpenKeyExW(hive, sub.c_str(), 0, KEY_NOTIFY | KEY_QUERY_VALUE, reading.watched.put()) != ERROR_SUCCESS)
        return false;
    if (!reading.changed) reading.changed.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!reading.changed || !::ResetEvent(reading.changed.get())) return false;
    if (::RegNotifyChangeKeyValue(reading.watched.get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                  reading.changed.get(), TRUE) != ERROR_SUCCESS)
        return false;
    reading.watchedWritten = KeyLastWritten(reading.watched.get());
    return reading.watchedWritten != 0;
}

// The last whole reading of the profiles key, while nothing below the key changed since.
const std::vector<ProfileSnapshot>* StandingReading() {
    ProfilesReading& reading = Cache()[gRegProfiles];
    if (reading.whole && ::WaitForSingleObject(reading.changed.get(), 0) == WAIT_TIMEOUT &&
        KeyLastWritten(reading.watched.get()) == reading.watchedWritten)
        return &*reading.whole;
    return nullptr;
}

}  // namespace

ProfileSnapshot ProfileSnapshot::Kept(const std::wstring& profile) {
    if (const std::vector<ProfileSnapshot>* standing = profile.empty() ? nullptr : StandingReading()) {
        for (const ProfileSnapshot& snapshot : *standing) {
            if (!EqualsNoCase(snapshot.profile_, profile)) continue;
            ProfileSnapshot kept = snapshot;
            kept.profile_ = profile;
            return kept;
        }
    }
    return ProfileSnapshot(profile);
}

std::vector<ProfileSnapshot> ReadProfileSnapshots() {
    ProfilesReading& reading = Cache()[gRegProfiles];
    if (const std::vector<ProfileSnapshot>* standing = StandingReading()) return *standing;
    reading.whole.reset();
    const bool watched = ArmWatch(reading);
    const std::vector<RegSubkey> subkeys = RegEnumSubkeys(gRegProfiles);
    const std::uint64_t now = SystemTimeNow();
    CachedProfiles kept;
    bool whole = true;
    std::vector<ProfileSnapshot> snapshots;
    snapshots.reserve(subkeys.size());
    for (const RegSubkey& key : subkeys) {
        if (IsRestorePointName(key.name)) continue;
        const auto it = reading.byName.find(key.name);
        const bool unchanged = it != reading.byName.end() && it->second.lastWritten == key.lastWritten &&
                               it->second.snapshot.Profile() == key.name;
        ProfileSnapshot snapshot = unchanged ? it->second.snapshot : ProfileSnapshot(key.name);
        // A key that could not be read whole (deleted meanwhile, say) is read again next time.
        if (!snapshot.whole_) whole = false;
        // A time in the future (the clock was set back) never settles.
        else if (key.lastWritten != 0 && now >= key.lastWritten && now - key.lastWritten >= kSettledAge)
            kept.emplace(key.name, CachedProfile{key.lastWritten, snapshot});
        snapshots.push_back(std::move(snapshot));
    }
    // Profiles that are gone are forgotten.
    reading.byName = std::move(kept);
    if (watched && whole) reading.whole = snapshots;
    return snapshots;
}

std::vector<std::wstring> ProfileKeyNames() {
    std::vector<std::wstring> names = RegEnumKeys(gRegProfiles);
    std::erase_if(names, IsRestorePointName);
    return names;
}

std::wstring FindProfileKey(const std::wstring& name) {
    for (const ProfileSnapshot& profile : ReadProfileSnapshots())
        if (EqualsNoCase(profile.Profile(), name)) return profile.Profile();
    return {};
}

bool ProfileValueExists(const std::wstring& profile, const std::wstring& name) {
    return StoredProfileValue(profile, name).has_value();
}

std::uint32_t ApplyProfileValue(const std::wstring& profile, const std::wstring& name, const std::wstring& partnerName,
                                bool skipMasterVolume) {
    return ApplyProfileValue(ProfileSnapshot(profile), name, partnerName, skipMasterVolume);
}

std::uint32_t ApplyProfileValue(const ProfileSnapshot& profile, const std::wstring& name,
                                const std::wstring& partnerName, bool skipMasterVolume) {
    if (name.empty()) return 0;
    // A damaged stored value is not applied; the rest of the profile still is.
    if (!profile.Profile().empty() && !profile.Holds(name)) return 0;
    const Bytes stored = profile.Value(name);
    const bool same = BytesToHex(stored) == BytesToHex(GetProfileValue(L"", name));

    bool partnerSame = true;
    Bytes partner;
    if (!partnerName.empty()) {
        std::wstring p = partnerName == L"HpImpedanceMode" ? HpImpedanceValueName(stored) : partnerName;
        if (!profile.Holds(p)) p.clear();
        partner = p.empty() ? Bytes{255} : profile.Value(p);
        if (partner.empty() || partner[0] != 255)
            partnerSame = BytesToHex(partner) == BytesToHex(GetProfileValue(L"", p));
    }
    if (same && partnerSame) return 0;

    if (IsMixerValueName(name)) {
        ApplyMixerValue(profile.Profile(), name, stored, skipMasterVolume);
        return 0;
    }
    return Dispatch(name, stored, partner);
}

namespace {
// The partner value applied together with a profile value.
std::wstring PartnerOf(const std::wstring& name) {
    if (name == L"DVSEnable") return L"DVSMode";
    if (name == L"DHEnable") return L"DHRoom";
    if (name == L"BassManagement") return L"BassCornerFrequency";
    if (name == L"PanelConfig" && gCardCaps && gCardCaps->HPAmp) return L"HpImpedanceMode";
    return L"";
}
}  // namespace

void ApplyProfileValues(const ProfileSnapshot& profile, bool skipMasterVolume, std::vector<std::wstring>* refused) {
    for (const std::wstring& name : profile.Names()) {
        try {
            if (ApplyProfileValue(profile, name, PartnerOf(name), skipMasterVolume) != 0 && refused)
                refused->push_back(name);
        } catch (...) {
            // One bad value does not keep the others from being applied.
            LogCaught(L"ApplyProfileValues (" + profile.Profile() + L": " + name + L")");
            if (refused) refused->push_back(name);
        }
    }
}

Bytes ShortcutKey(Bytes stored) {
    stored.resize(2, 0);
    return stored;
}

std::wstring ApplyOtherPanelGain(const std::wstring& profile) {
    const Bytes panel = GetProfileValue(profile, L"PanelConfig");
    Bytes other = {static_cast<std::uint8_t>(panel.empty() || panel[0] == 0 ? 1 : 0), 0, 0, 0};
    const std::wstring gainName = HpImpedanceValueName(other);
    if (!ProfileValueExists(profile, gainName)) return L"";
    const Bytes gain = GetProfileValue(profile, gainName);
    if (BytesToHex(gain) == BytesToHex(GetProfileValue(L"", gainName))) return L"";
    return ApplyPanelConfig(other, gain) == 0 ? L"" : gainName;
}

void ApplySystemSpeakers(const Bytes& value) {
    if (value.empty() || value[0] == 0 || !gAudio) return;
    StampSelfChange();
    gAudio->SetSpeakers(gPlaybackLineIds[0], value[0]);
}

}  // namespace kal
