// The further texts of an item under the report view's columns 2 onward: cSubItems of an item
// and cSubItem n, the text under column n + 1. Proxies like cListItem (items.h): they hold the
// item's id and serial and find control and item again on every call.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kal {

class zephListViewCtl;

class cSubItem;

class cSubItems {
public:
    cSubItems(HWND owner, LPARAM id, std::int32_t serial) : owner_(owner), id_(id), serial_(serial) {}

    // Index from 1 to Count; error 6 otherwise.
    cSubItem item(std::int32_t index) const;
    // The columns less the item's own.
    std::int32_t Count() const;

private:
    HWND owner_;
    LPARAM id_;
    std::int32_t serial_;
};

class cSubItem {
public:
    cSubItem(HWND owner, LPARAM id, std::int32_t serial, std::int32_t index)
        : owner_(owner), id_(id), serial_(serial), index_(index) {}

    std::wstring Caption() const;
    void SetCaption(const std::wstring& text);
    std::int32_t IconIndex() const;
    void SetIconIndex(std::int32_t image);
    // Whether the sub-item is one of the item's tile lines; always false below common
    // controls 6, where setting it does nothing.
    bool ShowInTile() const;
    void SetShowInTile(bool show);
    std::int32_t index() const { return index_; }

private:
    struct Resolved {
        zephListViewCtl& control;
        std::int32_t item;  // 1-based
    };
    Resolved ResolveOwner() const;
    std::vector<std::int32_t> TileColumns(const Resolved& r) const;

    HWND owner_;
    LPARAM id_;
    std::int32_t serial_;
    std::int32_t index_;
};

}  // namespace kal
