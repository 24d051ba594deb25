// The rows of the list-view control as objects. A cListItem or cListItems is a light proxy:
// it holds the list window's handle and the item's id and serial, finds its control again on
// every call (through the window property store) and raises the numbered errors of
// errors.h when the control or the item is gone. Holding a proxy keeps nothing alive.
// Item positions are 1-based; keys compare without regard to letter case.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "listview/groups.h"
#include "listview/portable/listarg.h"
#include "listview/subitems.h"
#include "toolkit/font.h"

namespace kal {

class zephListViewCtl;

// What the control keeps for one list item, for as long as the item exists.
struct ListItemRecord {
    ListItemRecord();
    ~ListItemRecord();
    ListItemRecord(const ListItemRecord&) = delete;
    ListItemRecord& operator=(const ListItemRecord&) = delete;

    std::wstring Key;  // never empty
    std::wstring Tag;
    std::wstring ToolTipText;
    std::uint32_t BackColor = 0xFFFFFFFF;  // -1: transparent
    std::uint32_t ForeColor = 0xFFFFFFFF;  // -1: the control's colour
    std::optional<UIFont> Font;            // none: the control's font
    std::int32_t itemData = 0;
    std::int32_t Serial = 0;

    // Records alive in the process.
    static std::size_t LiveCount();
};

class cListItem;
struct ResolvedItem;

class cListItems {
public:
    explicit cListItems(HWND owner) : owner_(owner) {}

    // Inserts an item before the Index-th (appends without Index). Without Key the key is
    // "C" and the item's serial. Errors: 5 for a key in use, 4 for a numeric key or an Index
    // that is no number that fits a Long, 7 when the list view refuses the item. SmallIcon
    // is accepted and has no effect.
    cListItem Add(std::optional<ListArg> index = {}, std::optional<ListArg> key = {}, const std::wstring& text = {},
                  std::optional<ListArg> icon = {}, std::optional<ListArg> smallIcon = {});
    void Clear();
    std::int32_t Count() const;
    // Whether Index names an item; raises only the owner's error 1.
    bool Exists(const ListArg& index) const;
    // A number (or numeric text) is a position from 1 to Count, anything else a key.
    cListItem item(const ListArg& index) const;
    void Remove(const ListArg& index);
    std::int32_t CountPerPage() const;
    // Sorts the items by the first column with a SortOrder (its SortType says by what);
    // nothing when no column has one.
    void SortItems();

private:
    zephListViewCtl& ResolveOwner() const;
    std::int32_t ResolveIndex(zephListViewCtl& owner, const ListArg& index) const;

    HWND owner_;
};

class cListItem {
public:
    cListItem(HWND owner, LPARAM id, std::int32_t serial) : owner_(owner), id_(id), serial_(serial) {}

    std::wstring ToolTipText() const;
    void SetToolTipText(const std::wstring& text);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    std::wstring Key() const;
    // Error 5 when the key is in use, by this item too.
    void SetKey(const std::wstring& key);
    // The current 1-based position.
    std::int32_t index() const;
    std::int32_t itemData() const;
    void SetItemData(std::int32_t value);
    std::wstring Tag() const;
    void SetTag(const std::wstring& tag);
    std::uint32_t BackColor() const;
    void SetBackColor(std::uint32_t oleColour);
    std::uint32_t ForeColor() const;
    void SetForeColor(std::uint32_t oleColour);
    std::optional<UIFont> Font() const;
    void SetFont(std::optional<UIFont> font);
    std::int32_t IconIndex() const;
    void SetIconIndex(std::int32_t image);
    // The item's state image (0 none; the check boxes use 1 and 2).
    std::int32_t StateIconIndex() const;
    void SetStateIconIndex(std::int32_t image);
    bool Checked() const;
    void SetChecked(bool checked);
    bool Hot() const;
    // True makes the item the hot item; false changes nothing.
    void SetHot(bool hot);
    bool Cut() const;
    void SetCut(bool cut);
    std::int32_t Indent() const;
    void SetIndent(std::int32_t indent);
    void StartEdit();
    void EnsureVisible();
    bool Selected() const;
    // Selection and focus together.
    void SetSelected(bool selected);
    // The item's position in the control's ScaleMode units.
    float Top() const;
    void SetTop(float top);
    float Left() const;
    void SetLeft(float left);
    // The texts under the further columns.
    cSubItems SubItems() const;
    // The group the item is shown in; nothing when it is in none of the control's groups.
    std::optional<cItemGroup> Group() const;
    // Error 6 when the group is not one of this list's.
    void SetGroup(const cItemGroup& group);

    HWND Owner() const { return owner_; }
    std::int32_t Serial() const { return serial_; }

private:
    using Resolved = ResolvedItem;
    Resolved ResolveOwner() const;
    // A number field of the item (image, indent) under its mask.
    std::int32_t ItemNumber(UINT mask, int LVITEMW::*field) const;
    void SetItemNumber(UINT mask, int LVITEMW::*field, std::int32_t value);
    POINT Position(zephListViewCtl& c, std::int32_t index) const;

    HWND owner_;
    LPARAM id_;
    std::int32_t serial_;
};

// A proxy's item found again: its control, record and 1-based index. Error 1 (source
// `unloaded`) when the control is gone, error 3 when the item is gone (source `gone`) or a
// later item took its record's address (source `changed`).
struct ResolvedItem {
    zephListViewCtl& control;
    ListItemRecord& record;
    std::int32_t index;
};
ResolvedItem ResolveItem(HWND owner, LPARAM id, std::int32_t serial, const wchar_t* unloaded, const wchar_t* gone,
                         const wchar_t* changed);

// The next serial of an item (groups and work areas draw from the same counter).
std::int32_t NextItemId();

// The control behind a list window, or error 1 (with `className` as source) when the window
// is gone or carries no control.
zephListViewCtl& ListViewOwner(HWND owner, const wchar_t* className);

}  // namespace kal
