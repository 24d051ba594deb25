// The profile behind the editor's controls. The controls hold the user's choices; this record
// holds the rest, one entry per value: the stored bytes the editor loaded, what the controls gave
// for the value then, what they gave before echo cancellation locked it, and the card's value
// when the editor last looked; and, by control, the values kept aside while something hides
// them. Save, the live profile and the follow of the card read it; nothing else keeps such state.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/keyed.h"
#include "base/registry.h"

namespace kal {

// One value of a save: its bytes, or nullopt where the controls leave it out; for a value from a
// list, the list's index too.
struct SavedValue {
    std::wstring name;
    std::optional<RegValue> bytes;
    int listIndex = 0;
    bool shown = true;  // the controls show it (live mode may send it)
    // Where a value also carries another group's choice: the bytes a change of its own group is
    // judged by.
    std::optional<RegValue> judged = std::nullopt;
};
using ProfileValueList = std::vector<SavedValue>;

// The values that one choice sets together: both channels of a line's volume (its volume and
// balance); any other value alone.
std::wstring ValueGroup(const std::wstring& name);

class ProfileRecord {
public:
    using NameFilter = std::function<bool(const std::wstring&)>;

    // ---- The stored profile ----
    // A load of a stored profile: the values the stored-value checks accept and every name it
    // held (damaged ones included); `fromStored` false: no stored profile stands behind the
    // controls (a new profile, the card's state). Then `Shown`: what the controls gave for it,
    // read with the stored values already in place. Entries `keep` names are left as they were
    // (a reload leaves the shortcut and the icon).
    void Load(std::map<std::wstring, RegValue, CaseInsensitiveLess> stored,
              const std::set<std::wstring, CaseInsensitiveLess>& names, bool fromStored, const NameFilter& keep);
    void Shown(const ProfileValueList& shown, const NameFilter& keep);
    // Values `of` loaded from the stored profile after the editor opened (a device that came
    // into service, a row an output brings): what the controls give now is what loaded.
    void Reloaded(const ProfileValueList& shown, const NameFilter& of);
    bool HasStored() const { return fromStored_; }
    // The accepted bytes the stored profile held for `name` when it loaded.
    std::optional<RegValue> Stored(const std::wstring& name) const;
    // The groups whose values the controls no longer give as they gave when they loaded.
    std::set<std::wstring> ChangedGroups(const ProfileValueList& now) const;
    // What a save writes for `v`: a group the user left as loaded keeps its stored bytes, and a
    // value the stored profile lacked stays out of it; any other value as the controls give it.
    std::optional<RegValue> ToWrite(const SavedValue& v, const std::set<std::wstring>& changed) const;
    // Stored values that no control gives (a setting the editor doesn't show, a line this card
    // lacks): a save keeps them as stored.
    std::vector<std::pair<std::wstring, RegValue>> StoredBeyond(const ProfileValueList& values) const;

    // ---- Echo cancellation's lock ----
    // The user's Enable: `before` is what the locked values gave before it.
    void Lock(const ProfileValueList& before);
    void Unlock();
    bool Locked() const { return locked_; }
    // While locked: what value `name` gave before the lock, if it is locked.
    const SavedValue* LockedAs(const std::wstring& name) const;

    // ---- Values kept aside, by key (a control, and why) ----
    void Keep(const std::wstring& key, std::int32_t value) { kept_[key] = value; }
    std::optional<std::int32_t> Kept(const std::wstring& key) const;
    std::optional<std::int32_t> Take(const std::wstring& key);
    void ForgetKept() { kept_.clear(); }

    // ---- The card ----
    // What the card holds now for each value the editor follows; empty: it follows none.
    void SeeCard(const std::map<std::wstring, Bytes>& values);
    // After an own send: value `name`, when followed, is what the card holds now.
    void SeeCard(const std::wstring& name, const Bytes& now);
    // After an own send of part of value `name` (the bits set in `mask`): those bits are what the
    // card holds now, the others stay as last seen, so that another program's change of them
    // still shows. A value seen at another size is taken whole.
    void SeeCardPart(const std::wstring& name, const Bytes& now, const Bytes& mask);
    // A user's change of part `own` of value `name` (`parts`: each part's bits): the bits to
    // send, its own and those of any other part where the card holds what the editor last saw
    // but not what the controls show (`shown`), so that the card comes to hold what a save
    // writes; a part another program changed since stays as the card holds it. A card's value
    // of another size than `shown`: every part.
    Bytes PartsToSend(const std::wstring& name, const Bytes& shown, const Bytes& card, const std::vector<Bytes>& parts,
                      std::size_t own) const;
    // What the editor last saw of the card's value `name`; none while it isn't followed.
    std::optional<Bytes> SeenCard(const std::wstring& name) const;
    bool WatchesCard() const { return watching_; }
    // Whether the card's value `name` differs from what the editor last saw.
    bool CardChanged(const std::wstring& name, const Bytes& now) const;
    std::vector<std::wstring> CardNames() const;

private:
    struct Entry {
        std::optional<RegValue> stored;    // accepted stored bytes
        bool named = false;                // the stored profile held the name
        std::optional<SavedValue> loaded;  // what the controls gave when it loaded
        std::optional<SavedValue> locked;  // what it gave before echo cancellation locked it
        std::optional<Bytes> card;         // the card's value when the editor last looked
    };
    std::map<std::wstring, Entry, CaseInsensitiveLess> entries_;
    std::map<std::wstring, std::int32_t> kept_;
    bool fromStored_ = false;
    bool locked_ = false;
    bool watching_ = false;
};

}  // namespace kal
