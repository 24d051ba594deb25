// Work areas: rectangles of the icon views within which the list places its items. The
// control keeps them in a table of its own (with a key, a tag and a number each) and gives the
// whole set to the list after every change. cWorkAreas and cWorkArea are light proxies like
// the item objects (items.h). Work-area keys compare exactly, with letter case.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "listview/portable/listarg.h"

namespace kal {

class zephListViewCtl;

struct WorkAreaRecord {
    std::int32_t id = 0;  // from the item serials
    std::int32_t itemData = 0;
    std::wstring Key;  // never empty
    std::wstring Tag;
    RECT rect{};  // pixels
};

class cWorkArea;

class cWorkAreas {
public:
    explicit cWorkAreas(HWND owner) : owner_(owner) {}

    std::int32_t Count() const;
    // Adds an area before the Index-th (1 to Count; last without Index), its edges in the
    // control's ScaleMode units; an edge not given is 0 (right and bottom: left and top plus
    // Width and Height when given). Without Key the key is "W" and the area's id. Errors: 4 for
    // a numeric key, 5 for a key in use, 6 for an Index out of range or when the list already
    // has the most areas it can take (16).
    cWorkArea Add(std::optional<ListArg> index = {}, std::optional<ListArg> key = {},
                  std::optional<float> left = {}, std::optional<float> top = {}, std::optional<float> width = {},
                  std::optional<float> height = {});
    void Clear();
    // A number from 1 to Count, or a key (the last area with it).
    bool Exists(const ListArg& index);
    // Nothing, without an error, when Index names no area.
    std::optional<cWorkArea> item(const ListArg& index);
    // Nothing, without an error, when Index names no area.
    void Remove(const ListArg& index);

private:
    zephListViewCtl& ResolveOwner() const;

    HWND owner_;
    std::int32_t found_ = 0;  // the position the last Exists found
};

class cWorkArea {
public:
    cWorkArea(HWND owner, std::int32_t id) : owner_(owner), id_(id) {}

    std::wstring Key() const;
    // No duplicate check.
    void SetKey(const std::wstring& key);
    std::int32_t itemData() const;
    void SetItemData(std::int32_t value);
    std::wstring Tag() const;
    void SetTag(const std::wstring& tag);
    // Edges and size in the control's ScaleMode units. Moving the left or top edge keeps the
    // opposite edge where it is; a new width or height moves the right or bottom edge.
    float Left() const;
    void SetLeft(float left);
    float Top() const;
    void SetTop(float top);
    float Width() const;
    void SetWidth(float width);
    float Height() const;
    void SetHeight(float height);
    // The current 1-based position.
    std::int32_t index() const;

    std::int32_t Id() const { return id_; }

private:
    struct Resolved {
        zephListViewCtl& control;
        WorkAreaRecord& record;
        std::int32_t index;  // 1-based
    };
    Resolved ResolveOwner() const;
    // Changes the rectangle and gives the list the whole set.
    template <typename F>
    void Reshape(F change);

    HWND owner_;
    std::int32_t id_;
};

}  // namespace kal
