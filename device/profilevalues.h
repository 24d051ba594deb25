// Profile values: one setting as a profile stores it or as the card and Windows hold it now (the
// live state, asked for with the profile name ""), whether a profile holds a setting, and the
// application of one stored setting to the card.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/hextext.h"
#include "base/keyed.h"
#include "base/registry.h"

namespace kal {

// The value's bytes. Stored profile: the value under gRegProfiles\profile, else its default
// (gDriverDefaults, else the single byte 00); a text value reads as its UTF-16 bytes. Live
// state: the driver's settings key with the same defaults, "_mixer" values through the audio
// object, SystemSpeakers as the Windows channel count of the card's speakers. A "_mixer" value
// missing from a profile reads as its live value.
Bytes GetProfileValue(const std::wstring& profile, const std::wstring& name);

// Whether the stored profile holds a value of that name that is not damaged; false for "".
bool ProfileValueExists(const std::wstring& profile, const std::wstring& name);
// The value as the profile stores it (a text value as its UTF-16 bytes); nullopt when the
// profile ("" included) does not hold it or holds it damaged (see device/portable/storedvalues.h).
std::optional<Bytes> StoredProfileValue(const std::wstring& profile, const std::wstring& name);

// One profile's stored values, read from its key in one pass, for callers that ask for many of
// them: each question is answered as StoredProfileValue, ProfileValueExists and GetProfileValue
// answer it (damaged values count as absent), from the key as it stood when read. For "" it
// holds nothing and Value gives the live state.
class ProfileSnapshot {
public:
    explicit ProfileSnapshot(const std::wstring& profile);
    // The profile as the last ReadProfileSnapshots holds it while that reading still stands
    // (nothing below the profiles key changed since), else read now.
    static ProfileSnapshot Kept(const std::wstring& profile);
    const std::wstring& Profile() const { return profile_; }
    std::optional<Bytes> Stored(const std::wstring& name) const;
    bool Holds(const std::wstring& name) const { return Stored(name).has_value(); }
    Bytes Value(const std::wstring& name) const;
    // Every value that is not damaged, by its stored name.
    std::vector<std::pair<std::wstring, Bytes>> Accepted() const;
    // The names of every stored value, damaged ones too, in the order the registry lists them.
    const std::vector<std::wstring>& Names() const { return values_->names; }

private:
    struct Values {
        std::map<std::wstring, RegValue, CaseInsensitiveLess> byName;
        std::vector<std::wstring> names;
    };
    friend std::vector<ProfileSnapshot> ReadProfileSnapshots();
    std::wstring profile_;
    // Shared by the copies: a snapshot never changes once read.
    std::shared_ptr<const Values> values_;
    bool whole_ = true;  // false when the key could not be read to its end: never kept
};

// Every stored profile's snapshot, in registry enumeration order (the subkeys of gRegProfiles;
// live mode's restore points, the program's own keys beside them, left out).
// The earlier call's reading stands as a whole while nothing below the profiles key changed
// since (the key is watched for changes); otherwise a profile whose key is unchanged (the same
// last write time, and that time far enough back for the registry's clock to tell a later write
// from it) is answered from that reading instead of being read again. A profile whose key could
// not be read to its end is read again next time, and keeps the whole reading from standing.
// User-interface thread only: the watch belongs to the thread that reads.
std::vector<ProfileSnapshot> ReadProfileSnapshots();

// The names of the stored profiles' keys, in enumeration order, restore points left out.
std::vector<std::wstring> ProfileKeyNames();

// The stored spelling of the profile key whose name equals `name` in any letter case; "" when
// there is none. Answered from the reading above.
std::wstring FindProfileKey(const std::wstring& name);

// Compares the stored value (with its partner, "" for none) with the live state and, when they
// differ, sends it through its packet builder or sets it through the audio object. A partner
// the profile lacks travels as the single byte 255 (keep) and never counts as a difference;
// "HpImpedanceMode" stands for the headphone gain of the stored panel. The master volume
// values are left alone with skipMasterVolume, and also when the profile asks not to change the
// volume on its own output and that output's volume was the one saved last; a stored 255 takes
// the volume remembered for the profile's output. The driver's status of the send: 0 when it
// took the value or nothing was sent (Windows-side values always count as taken).
std::uint32_t ApplyProfileValue(const std::wstring& profile, const std::wstring& name, const std::wstring& partner,
                                bool skipMasterVolume);
// The same with the stored values taken from one reading of the profile, for a caller that
// applies many of them.
std::uint32_t ApplyProfileValue(const ProfileSnapshot& profile, const std::wstring& name,
                                const std::wstring& partner, bool skipMasterVolume);

// Every value of the profile in the order the registry lists them, each with its partner (a
// value that throws counts as refused). The names of the values the card refused go to `refused`.
void ApplyProfileValues(const ProfileSnapshot& profile, bool skipMasterVolume, std::vector<std::wstring>* refused);

// A stored shortcut as the tray reads it: its first two bytes (key code, modifiers), a missing
// byte as 0; a key code of 0 is no shortcut.
Bytes ShortcutKey(Bytes stored);

// The headphone gain the profile holds for the panel it doesn't use (a card with a headphone
// amplifier keeps one per panel): sent through that panel, before the profile switches to its
// own. The name of the gain's value when the card refused it, else "".
std::wstring ApplyOtherPanelGain(const std::wstring& profile);

// The Windows speaker configuration of the card's speakers: the first byte as channel count;
// 0 leaves it as it is.
void ApplySystemSpeakers(const Bytes& value);

}  // namespace kal
