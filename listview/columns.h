// The report view's columns as objects. The header lives in the list view; beside it the
// control keeps one ColumnRecord per header column (its id, key, stored caption, tag and sort
// settings), in the order of the header's column indexes. cColumns and cColumn are light
// proxies like the item objects (items.h): they find their control again on every call.
// Column keys compare exactly, with letter case.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>

#include "listview/portable/listarg.h"

namespace kal {

class zephListViewCtl;

struct ColumnRecord {
    std::int32_t id = 0;
    std::wstring Key;  // never empty
    std::wstring Text;  // the caption given to Add; changing it leaves the header alone
    std::wstring Tag;
    std::int32_t itemData = 0;
    std::optional<ListArg> iconArgument;  // Add's IconIndex, as given
    std::int32_t SortOrder = 0;  // 0 none, 2 descending, other ascending
    std::int32_t SortType = 0;
};

class cColumn;

class cColumns {
public:
    explicit cColumns(HWND owner) : owner_(owner) {}

    // Inserts a column before the column keyed Index (appends without Index); Width is in the
    // control's ScaleMode units. Without Key the key is "H" and the column's id. Errors: 5 for
    // a key in use, 4 for a numeric key, 8 for an Index that is no column's key. Nothing when
    // the header refuses the column.
    std::optional<cColumn> Add(std::optional<ListArg> index = {}, std::optional<ListArg> key = {},
                               const std::wstring& text = {}, std::optional<ListArg> iconIndex = {},
                               float width = 1440);
    // Removes every column.
    void Clear();
    std::int32_t Count() const;
    bool Exists(const ListArg& index) const;
    // A number is a position from 1 to Count, anything else a key; error 8 when none matches.
    cColumn item(const ListArg& index) const;
    // Removes the column that `item` would give.
    void Remove(const ListArg& index);

private:
    zephListViewCtl& ResolveOwner() const;

    HWND owner_;
};

class cColumn {
public:
    cColumn(HWND owner, std::int32_t id) : owner_(owner), id_(id) {}

    // In the control's ScaleMode units.
    float Width() const;
    void SetWidth(float width);
    std::int32_t itemData() const;
    void SetItemData(std::int32_t value);
    std::wstring Tag() const;
    void SetTag(const std::wstring& tag);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    std::wstring Key() const;
    // No duplicate check.
    void SetKey(const std::wstring& key);
    // -1 when the column shows no image; an index outside the header's image list removes it.
    std::int32_t IconIndex() const;
    void SetIconIndex(std::int32_t image);
    bool ImageOnRight() const;
    void SetImageOnRight(bool value);
    // 0 left, 1 centre, 2 right.
    std::int32_t Alignment() const;
    void SetAlignment(std::int32_t value);
    std::int32_t SortOrder() const;
    // A value other than 0 clears the sort order of every other column.
    void SetSortOrder(std::int32_t value);
    std::int32_t SortType() const;
    void SetSortType(std::int32_t value);
    // Display position, 1-based.
    std::int32_t Position() const;
    void SetPosition(std::int32_t position);
    // The current 1-based column index.
    std::int32_t index() const;

    std::int32_t Id() const { return id_; }

private:
    struct Resolved {
        zephListViewCtl& control;
        ColumnRecord& record;
        std::int32_t index;  // 1-based
    };
    Resolved ResolveOwner() const;
    LVCOLUMNW Read(const Resolved& r, UINT mask) const;
    void ChangeFormat(UINT clear, UINT set);

    HWND owner_;
    std::int32_t id_;
};

// The next column id: counts up from 1 and wraps past the largest Long like the item serials.
std::int32_t NextColumnId();

}  // namespace kal
