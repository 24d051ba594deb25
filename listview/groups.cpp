// Item groups: the group objects, the item's group, and the control's group operations.
#include "listview/groups.h"

#include <commctrl.h>

#include <algorithm>

#include "listview/errors.h"
#include "listview/listview.h"

namespace kal {
namespace {

constexpr std::size_t kHeaderMax = 260;
// The group states of common controls 6.0 that the state property offers.
constexpr UINT kGroupStates = LVGS_COLLAPSED | LVGS_HIDDEN;

LVGROUP GroupInfo(UINT mask, std::int32_t id) {
    LVGROUP g{};
    g.cbSize = LVGROUP_V5_SIZE;  // the form every version 6 library takes
    g.mask = mask;
    g.iGroupId = id;
    return g;
}

}  // namespace

// ---- The control's group operations ----

std::optional<cItemGroups> zephListViewCtl::ItemGroups() const {
    if (!HasViewMessage(version_)) return std::nullopt;
    return cItemGroups(list_);
}

ItemGroupRecord* zephListViewCtl::GroupRecord(std::int32_t id) const {
    const auto it = groups_.find(id);
    return it == groups_.end() ? nullptr : it->second.get();
}

void zephListViewCtl::SetGroupsEnabled(bool value) {
    if (Send(LVM_ENABLEGROUPVIEW, value ? 1 : 0) == -1) RaiseListViewError(kLvGroupEnable, L"zephListViewCtl");
    groupsEnabled_ = value;
}

bool zephListViewCtl::GroupInsert(const std::wstring& header, std::int32_t position0, std::int32_t id) {
    SetGroupsEnabled(true);
    std::wstring text = header.substr(0, kHeaderMax);
    LVGROUP g = GroupInfo(LVGF_HEADER | LVGF_STATE | LVGF_ALIGN | LVGF_GROUPID, id);
    g.pszHeader = text.data();
    g.cchHeader = static_cast<int>(kHeaderMax);
    g.uAlign = LVGA_HEADER_LEFT;
    return Send(LVM_INSERTGROUP, static_cast<WPARAM>(position0), reinterpret_cast<LPARAM>(&g)) != -1;
}

void zephListViewCtl::GroupsClear() {
    Send(LVM_REMOVEALLGROUPS);
    groupKeys_.clear();
    groupOrder_.clear();
    groups_.clear();
}

void zephListViewCtl::GroupRemove(std::int32_t id) {
    Send(LVM_REMOVEGROUP, static_cast<WPARAM>(id));
    if (ItemGroupRecord* record = GroupRecord(id)) groupKeys_.erase(record->Key);
    groupOrder_.erase(std::remove(groupOrder_.begin(), groupOrder_.end(), id), groupOrder_.end());
    groups_.erase(id);
}

std::int32_t zephListViewCtl::GroupIdFromKey(const std::wstring& key) const {
    const auto it = groupKeys_.find(key);
    if (it == groupKeys_.end()) RaiseListViewError(kLvSubscript, L"zephListViewCtl");
    return it->second;
}

std::int32_t zephListViewCtl::GroupPosition(const ListArg& index, const wchar_t* className) const {
    if (const auto number = index.Number()) {
        const auto n = ToLong(*number);
        if (!n || *n < 1 || *n > GroupCount()) RaiseListViewError(kLvSubscript, className);
        return *n;
    }
    const std::int32_t id = GroupIdFromKey(index.Text());
    return static_cast<std::int32_t>(std::find(groupOrder_.begin(), groupOrder_.end(), id) - groupOrder_.begin()) + 1;
}

// ---- cItemGroups ----

zephListViewCtl& cItemGroups::ResolveOwner() const { return ListViewOwner(owner_, L"cItemGroups"); }

cItemGroup cItemGroups::Add(std::optional<ListArg> index, std::optional<ListArg> key, const std::wstring& header) {
    zephListViewCtl& c = ResolveOwner();
    auto record = std::make_unique<ItemGroupRecord>();
    const std::int32_t serial = NextItemId();
    record->Serial = serial;
    if (key) {
        record->Key = key->Text();
        if (c.GroupKeyLookup(record->Key)) RaiseListViewError(kLvDuplicateKey, L"cItemGroups");
        if (key->Number()) RaiseListViewError(kLvTypeMismatch, L"cItemGroups");
    } else {
        record->Key = L"C" + std::to_wstring(serial);
    }
    // Before the group at a position (Count + 1: last) or with a key; first without Index.
    std::int32_t position = 1;
    if (index) {
        const std::int32_t last = c.GroupCount() + 1;
        const auto number = index->Number();
        const auto n = number ? ToLong(*number) : std::nullopt;
        position = n && *n == last ? last : c.GroupPosition(*index, L"cItemGroups");
    }

    const auto id = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(record.get()));
    const std::wstring groupKey = record->Key;
    c.groups_[id] = std::move(record);
    bool inserted = false;
    try {
        inserted = c.GroupInsert(header, position - 1, id);
    } catch (...) {
        c.groups_.erase(id);
        throw;
    }
    if (!inserted) {
        c.groups_.erase(id);
        RaiseListViewError(kLvOutOfMemory, L"cItemGroups");
    }
    c.groupKeys_[groupKey] = id;
    c.groupOrder_.insert(c.groupOrder_.begin() + (position - 1), id);
    return cItemGroup(owner_, serial, id);
}

std::int32_t cItemGroups::Count() const { return ResolveOwner().GroupCount(); }

void cItemGroups::Clear() { ResolveOwner().GroupsClear(); }

void cItemGroups::Remove(const ListArg& index) {
    zephListViewCtl& c = ResolveOwner();
    const std::int32_t position = c.GroupPosition(index, L"cItemGroups");
    c.GroupRemove(c.groupOrder_[static_cast<std::size_t>(position - 1)]);
}

bool cItemGroups::Enabled() const { return ResolveOwner().groupsEnabled_; }

void cItemGroups::SetEnabled(bool enabled) { ResolveOwner().SetGroupsEnabled(enabled); }

// ---- cItemGroup ----

cItemGroup::Resolved cItemGroup::ResolveOwner() const {
    zephListViewCtl& c = ListViewOwner(owner_, L"cListItems");
    ItemGroupRecord* record = c.GroupRecord(id_);
    if (!record) RaiseListViewError(kLvNoListItem, L"cListItems");
    // A later group whose record took the same address.
    if (record->Serial != serial_) RaiseListViewError(kLvNoListItem, L"cListItem");
    return {c, *record};
}

LVGROUP cItemGroup::Read(const Resolved& r, UINT mask, wchar_t* header) const {
    LVGROUP g = GroupInfo(mask, id_);
    if (header) {
        g.pszHeader = header;
        g.cchHeader = static_cast<int>(kHeaderMax);
    }
    if (mask & LVGF_STATE) g.stateMask = kGroupStates;
    r.control.Send(LVM_GETGROUPINFO, static_cast<WPARAM>(id_), reinterpret_cast<LPARAM>(&g));
    return g;
}

void cItemGroup::Write(const Resolved& r, LVGROUP& group) {
    r.control.Send(LVM_SETGROUPINFO, static_cast<WPARAM>(id_), reinterpret_cast<LPARAM>(&group));
}

std::wstring cItemGroup::Header() const {
    const Resolved r = ResolveOwner();
    wchar_t buffer[kHeaderMax + 1] = {};
    Read(r, LVGF_HEADER, buffer);
    return std::wstring(buffer, ::wcsnlen(buffer, kHeaderMax));
}

void cItemGroup::SetHeader(const std::wstring& header) {
    const Resolved r = ResolveOwner();
    std::wstring text = header;
    LVGROUP g = GroupInfo(LVGF_HEADER, id_);
    g.pszHeader = text.data();
    g.cchHeader = static_cast<int>(text.size());
    Write(r, g);
}

std::int32_t cItemGroup::Align() const {
    const Resolved r = ResolveOwner();
    return static_cast<std::int32_t>(Read(r, LVGF_ALIGN).uAlign);
}

void cItemGroup::SetAlign(std::int32_t align) {
    const Resolved r = ResolveOwner();
    LVGROUP g = GroupInfo(LVGF_ALIGN, id_);
    g.uAlign = static_cast<UINT>(align);
    Write(r, g);
}

std::int32_t cItemGroup::state() const {
    const Resolved r = ResolveOwner();
    return static_cast<std::int32_t>(Read(r, LVGF_STATE).state & kGroupStates);
}

void cItemGroup::SetState(std::int32_t state) {
    const Resolved r = ResolveOwner();
    LVGROUP g = GroupInfo(LVGF_STATE, id_);
    g.stateMask = kGroupStates;
    g.state = static_cast<UINT>(state) & kGroupStates;
    Write(r, g);
}

std::int32_t cItemGroup::GroupType() const {
    ResolveOwner();
    return 0;
}

void cItemGroup::SetGroupType(std::int32_t) { ResolveOwner(); }

std::wstring cItemGroup::Key() const { return ResolveOwner().record.Key; }

void cItemGroup::SetKey(const std::wstring& key) {
    const Resolved r = ResolveOwner();
    if (r.control.GroupKeyLookup(key)) RaiseListViewError(kLvDuplicateKey, L"cItemGroup");
    r.control.groupKeys_.erase(r.record.Key);
    r.control.groupKeys_[key] = id_;
    r.record.Key = key;
}

// ---- The item's group ----

std::optional<cItemGroup> cListItem::Group() const {
    const Resolved r = ResolveOwner();
    LVITEMW item;
    if (!r.control.GetItemInfo(r.index - 1, LVIF_GROUPID, 0, item) || item.iGroupId == 0) return std::nullopt;
    const ItemGroupRecord* group = r.control.GroupRecord(item.iGroupId);
    if (!group) return std::nullopt;
    return cItemGroup(owner_, group->Serial, item.iGroupId);
}

void cListItem::SetGroup(const cItemGroup& group) {
    const Resolved r = ResolveOwner();
    const std::wstring key = group.Key();
    // A group of another list is not one of this list's, whatever its key.
    if (group.Owner() != owner_) RaiseListViewError(kLvSubscript, L"zephListViewCtl");
    LVITEMW item{};
    item.mask = LVIF_GROUPID;
    item.iItem = r.index - 1;
    item.iGroupId = r.control.GroupIdFromKey(key);
    r.control.SetItemInfo(item);
}

}  // namespace kal
