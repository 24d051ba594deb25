// Item groups (common controls 6 and later): the list view shows its items under group
// headers. cItemGroups and cItemGroup are light proxies like the item objects (items.h): they
// find their control again on every call. The control keeps one record per group (its key and
// serial) and the groups' order; a group's id, which the list view holds, is only ever looked
// up in the control's own records. Group keys compare without regard to letter case.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>

#include "listview/portable/listarg.h"

namespace kal {

class zephListViewCtl;

// What the control keeps for one group, for as long as the group exists.
struct ItemGroupRecord {
    std::wstring Key;  // never empty
    std::int32_t Serial = 0;
};

class cItemGroup;

class cItemGroups {
public:
    explicit cItemGroups(HWND owner) : owner_(owner) {}

    // Adds a group with its header line (at most 260 characters) and switches group view on.
    // Index places it before the Index-th group (a number from 1 to Count + 1) or before the
    // group with that key; without Index it comes first. Without Key the key is "C" and the
    // group's serial. Errors: 5 for a key in use, 4 for a numeric key, 6 for an Index that
    // names no place, 9 when group view can't be switched on, 7 when the list refuses the group.
    cItemGroup Add(std::optional<ListArg> index = {}, std::optional<ListArg> key = {}, const std::wstring& header = {});
    std::int32_t Count() const;
    // Removes every group; group view stays as it is.
    void Clear();
    // Removes the group at a position (1 to Count) or with a key; error 6 when none.
    void Remove(const ListArg& index);
    // Whether group view is on, as last given to the list; error 9 when the list refuses it.
    bool Enabled() const;
    void SetEnabled(bool enabled);

private:
    zephListViewCtl& ResolveOwner() const;

    HWND owner_;
};

class cItemGroup {
public:
    cItemGroup(HWND owner, std::int32_t serial, std::int32_t id) : owner_(owner), serial_(serial), id_(id) {}

    // Read back as at most 260 characters; set whole.
    std::wstring Header() const;
    void SetHeader(const std::wstring& header);
    // The header's alignment (an LVGA_HEADER_ value).
    std::int32_t Align() const;
    void SetAlign(std::int32_t align);
    // The group's collapsed (1) and hidden (2) states.
    std::int32_t state() const;
    void SetState(std::int32_t state);
    // Always 0; setting it changes nothing.
    std::int32_t GroupType() const;
    void SetGroupType(std::int32_t type);
    std::wstring Key() const;
    // Error 5 when the key is in use, by this group too.
    void SetKey(const std::wstring& key);

    HWND Owner() const { return owner_; }
    std::int32_t Serial() const { return serial_; }
    std::int32_t Id() const { return id_; }

private:
    struct Resolved {
        zephListViewCtl& control;
        ItemGroupRecord& record;
    };
    Resolved ResolveOwner() const;
    // The group's fields under `mask`, read from the list.
    LVGROUP Read(const Resolved& r, UINT mask, wchar_t* header = nullptr) const;
    void Write(const Resolved& r, LVGROUP& group);

    HWND owner_;
    std::int32_t serial_;
    std::int32_t id_;
};

}  // namespace kal
