#include "editor/profilerecord.h"

#include "device/portable/mixer_names.h"
#include "editor/portable/valueparts.h"

namespace kal {

std::wstring ValueGroup(const std::wstring& name) {
    const auto ref = IsMixerValueName(name) ? ParseMixerValueName(name) : std::nullopt;
    if (!ref || ref->control != 0) return name;
    return MixerValueName(ref->flow, ref->line, 0, 0);
}

// ---- The stored profile ----

void ProfileRecord::Load(std::map<std::wstring, RegValue, CaseInsensitiveLess> stored,
                         const std::set<std::wstring, CaseInsensitiveLess>& names, bool fromStored,
                         const NameFilter& keep) {
    fromStored_ = fromStored;
    for (auto& [name, e] : entries_) {
        if (fromStored_ && keep(name)) continue;
        e.stored.reset();
        e.named = false;
        e.loaded.reset();
    }
    if (!fromStored_) return;
    for (const std::wstring& name : names)
        if (!keep(name)) entries_[name].named = true;
    for (auto& [name, bytes] : stored)
        if (!keep(name)) entries_[name].stored = std::move(bytes);
}

void ProfileRecord::Shown(const ProfileValueList& shown, const NameFilter& keep) {
    if (!fromStored_) return;
    for (const SavedValue& v : shown)
        if (!keep(v.name)) entries_[v.name].loaded = v;
}

std::optional<RegValue> ProfileRecord::Stored(const std::wstring& name) const {
    const auto it = entries_.find(name);
    return it == entries_.end() ? std::nullopt : it->second.stored;
}

void ProfileRecord::Reloaded(const ProfileValueList& shown, const NameFilter& of) {
    if (!fromStored_) return;
    for (auto& [name, e] : entries_)
        if (of(name)) e.loaded.reset();
    for (const SavedValue& v : shown)
        if (of(v.name)) entries_[v.name].loaded = v;
}

std::set<std::wstring> ProfileRecord::ChangedGroups(const ProfileValueList& now) const {
    const auto judged = [](const SavedValue& v) { return v.judged ? v.judged : v.bytes; };
    std::set<std::wstring> changed;
    std::set<std::wstring, CaseInsensitiveLess> given;
    for (const SavedValue& v : now) {
        given.insert(v.name);
        const auto it = entries_.find(v.name);
        const SavedValue* then = it == entries_.end() || !it->second.loaded ? nullptr : &*it->second.loaded;
        if (!then || judged(*then) != judged(v) || then->listIndex != v.listIndex) changed.insert(ValueGroup(v.name));
    }
    for (const auto& [name, e] : entries_)
        if (e.loaded && !given.count(name)) changed.insert(ValueGroup(name));
    return changed;
}

std::optional<RegValue> ProfileRecord::ToWrite(const SavedValue& v, const std::set<std::wstring>& changed) const {
    if (!changed.count(ValueGroup(v.name))) {
        const auto it = entries_.find(v.name);
        if (it != entries_.end() && it->second.stored) return it->second.stored;
        if (fromStored_ && (it == entries_.end() || !it->second.named)) return std::nullopt;
    }
    return v.bytes;
}

std::vector<std::pair<std::wstring, RegValue>> ProfileRecord::StoredBeyond(const ProfileValueList& values) const {
    std::set<std::wstring, CaseInsensitiveLess> listed;
    for (const SavedValue& v : values) listed.insert(v.name);
    std::vector<std::pair<std::wstring, RegValue>> out;
    for (const auto& [name, e] : entries_)
        if (e.stored && !listed.count(name)) out.emplace_back(name, *e.stored);
    return out;
}

// ---- Echo cancellation's lock ----

void ProfileRecord::Lock(const ProfileValueList& before) {
    for (const SavedValue& v : before) entries_[v.name].locked = v;
    locked_ = true;
}

void ProfileRecord::Unlock() {
    for (auto& [name, e] : entries_) e.locked.reset();
    locked_ = false;
}

const SavedValue* ProfileRecord::LockedAs(const std::wstring& name) const {
    if (!locked_) return nullptr;
    const auto it = entries_.find(name);
    return it == entries_.end() || !it->second.locked ? nullptr : &*it->second.locked;
}

// ---- Values kept aside ----

std::optional<std::int32_t> ProfileRecord::Kept(const std::wstring& key) const {
    const auto it = kept_.find(key);
    if (it == kept_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::int32_t> ProfileRecord::Take(const std::wstring& key) {
    const auto value = Kept(key);
    kept_.erase(key);
    return value;
}

// ---- The card ----

void ProfileRecord::SeeCard(const std::map<std::wstring, Bytes>& values) {
    for (auto& [name, e] : entries_) e.card.reset();
    for (const auto& [name, bytes] : values) entries_[name].card = bytes;
    watching_ = !values.empty();
}

void ProfileRecord::SeeCard(const std::wstring& name, const Bytes& now) {
    if (const auto it = entries_.find(name); watching_ && it != entries_.end() && it->second.card)
        it->second.card = now;
}

void ProfileRecord::SeeCardPart(const std::wstring& name, const Bytes& now, const Bytes& mask) {
    const auto it = entries_.find(name);
    if (!watching_ || it == entries_.end() || !it->second.card) return;
    Bytes& seen = *it->second.card;
    if (seen.size() != now.size()) {
        seen = now;
        return;
    }
    for (std::size_t i = 0; i < seen.size() && i < mask.size(); ++i)
        seen[i] = static_cast<std::uint8_t>((seen[i] & ~mask[i]) | (now[i] & mask[i]));
}

Bytes ProfileRecord::PartsToSend(const std::wstring& name, const Bytes& shown, const Bytes& card,
                                 const std::vector<Bytes>& parts, std::size_t own) const {
    Bytes out(shown.size(), 0);
    const std::optional<Bytes> seen = SeenCard(name);
    for (std::size_t p = 0; p < parts.size(); ++p) {
        const Bytes& part = parts[p];
        const bool outside = seen && seen->size() == card.size() && PartDiffers(*seen, card, part);
        if (p != own && card.size() == shown.size() && (outside || !PartDiffers(card, shown, part))) continue;
        for (std::size_t i = 0; i < part.size() && i < out.size(); ++i) out[i] |= part[i];
    }
    return out;
}

std::optional<Bytes> ProfileRecord::SeenCard(const std::wstring& name) const {
    const auto it = entries_.find(name);
    if (!watching_ || it == entries_.end()) return std::nullopt;
    return it->second.card;
}

bool ProfileRecord::CardChanged(const std::wstring& name, const Bytes& now) const {
    const auto it = entries_.find(name);
    return it == entries_.end() || !it->second.card || *it->second.card != now;
}

std::vector<std::wstring> ProfileRecord::CardNames() const {
    std::vector<std::wstring> names;
    for (const auto& [name, e] : entries_)
        if (e.card) names.push_back(name);
    return names;
}

}  // namespace kal
