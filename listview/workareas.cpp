// Work areas: the area objects and the control's work-area table.
#include "listview/workareas.h"

#include <commctrl.h>

#include <vector>

#include "listview/errors.h"
#include "listview/listview.h"

namespace kal {

// ---- The control's work-area operations ----

std::int32_t zephListViewCtl::WorkAreaIndex(std::int32_t id) const {
    for (std::size_t i = 0; i < workAreas_.size(); ++i)
        if (workAreas_[i].id == id) return static_cast<std::int32_t>(i + 1);
    return 0;
}

void zephListViewCtl::ApplyWorkAreas() {
    std::vector<RECT> rects;
    for (const WorkAreaRecord& area : workAreas_) rects.push_back(area.rect);
    Send(LVM_SETWORKAREAS, rects.size(), rects.empty() ? 0 : reinterpret_cast<LPARAM>(rects.data()));
}

void zephListViewCtl::WorkAreasClear() {
    if (workAreas_.empty()) return;
    workAreas_.clear();
    ApplyWorkAreas();
}

// ---- cWorkAreas ----

zephListViewCtl& cWorkAreas::ResolveOwner() const { return ListViewOwner(owner_, L"cWorkAreas"); }

std::int32_t cWorkAreas::Count() const { return static_cast<std::int32_t>(ResolveOwner().workAreas_.size()); }

cWorkArea cWorkAreas::Add(std::optional<ListArg> index, std::optional<ListArg> key, std::optional<float> left,
                          std::optional<float> top, std::optional<float> width, std::optional<float> height) {
    zephListViewCtl& c = ResolveOwner();
    auto& areas = c.workAreas_;
    std::wstring areaKey;
    if (key) {
        if (key->Number()) RaiseListViewError(kLvTypeMismatch, L"cWorkAreas");
        areaKey = key->Text();
        for (const WorkAreaRecord& area : areas)
            if (area.Key == areaKey) RaiseListViewError(kLvDuplicateKey, L"cWorkAreas");
    }
    std::size_t position = areas.size();
    if (index) {
        const auto number = index->Number();
        const auto n = number ? ToLong(*number) : std::nullopt;
        if (!n || *n < 1 || static_cast<std::size_t>(*n) > areas.size())
            RaiseListViewError(kLvSubscript, L"cWorkAreas");
        position = static_cast<std::size_t>(*n - 1);
    }
    // The list takes no more areas than this; more would silently not be placed.
    if (areas.size() >= LV_MAX_WORKAREAS) RaiseListViewError(kLvSubscript, L"cWorkAreas");

    WorkAreaRecord area;
    area.id = NextItemId();
    area.Key = areaKey.empty() ? L"W" + std::to_wstring(area.id) : areaKey;
    if (left) area.rect.left = c.ScaleToPixels(*left, 0).first;
    if (width) area.rect.right = area.rect.left + c.ScaleToPixels(*width, 0).first;
    if (top) area.rect.top = c.ScaleToPixels(0, *top).second;
    if (height) area.rect.bottom = area.rect.top + c.ScaleToPixels(0, *height).second;
    const std::int32_t id = area.id;
    areas.insert(areas.begin() + static_cast<std::ptrdiff_t>(position), std::move(area));
    c.ApplyWorkAreas();
    return cWorkArea(owner_, id);
}

void cWorkAreas::Clear() { ResolveOwner().WorkAreasClear(); }

bool cWorkAreas::Exists(const ListArg& index) {
    const auto& areas = ResolveOwner().workAreas_;
    if (const auto number = index.Number()) {
        const auto n = ToLong(*number);
        if (!n || *n < 1 || static_cast<std::size_t>(*n) > areas.size()) return false;
        found_ = *n;
        return true;
    }
    const std::wstring key = index.Text();
    std::int32_t match = 0;
    for (std::size_t i = 0; i < areas.size(); ++i)
        if (areas[i].Key == key) match = static_cast<std::int32_t>(i + 1);
    if (match == 0) return false;
    found_ = match;
    return true;
}

std::optional<cWorkArea> cWorkAreas::item(const ListArg& index) {
    if (!Exists(index)) return std::nullopt;
    return cWorkArea(owner_, ResolveOwner().workAreas_[static_cast<std::size_t>(found_ - 1)].id);
}

void cWorkAreas::Remove(const ListArg& index) {
    if (!Exists(index)) return;
    zephListViewCtl& c = ResolveOwner();
    c.workAreas_.erase(c.workAreas_.begin() + (found_ - 1));
    c.ApplyWorkAreas();
}

// ---- cWorkArea ----

cWorkArea::Resolved cWorkArea::ResolveOwner() const {
    zephListViewCtl& c = ListViewOwner(owner_, L"cWorkArea");
    const std::int32_t p = c.WorkAreaIndex(id_);
    if (p < 1) RaiseListViewError(kLvGroupEnable, L"cWorkArea");
    return {c, c.workAreas_[static_cast<std::size_t>(p - 1)], p};
}

template <typename F>
void cWorkArea::Reshape(F change) {
    const Resolved r = ResolveOwner();
    change(r.control, r.record.rect);
    r.control.ApplyWorkAreas();
}

std::wstring cWorkArea::Key() const { return ResolveOwner().record.Key; }
void cWorkArea::SetKey(const std::wstring& key) { ResolveOwner().record.Key = key; }
std::int32_t cWorkArea::itemData() const { return ResolveOwner().record.itemData; }
void cWorkArea::SetItemData(std::int32_t value) { ResolveOwner().record.itemData = value; }
std::wstring cWorkArea::Tag() const { return ResolveOwner().record.Tag; }
void cWorkArea::SetTag(const std::wstring& tag) { ResolveOwner().record.Tag = tag; }
std::int32_t cWorkArea::index() const { return ResolveOwner().index; }

float cWorkArea::Left() const {
    const Resolved r = ResolveOwner();
    return r.control.PixelsToScale(r.record.rect.left, 0).first;
}

float cWorkArea::Top() const {
    const Resolved r = ResolveOwner();
    return r.control.PixelsToScale(0, r.record.rect.top).second;
}

float cWorkArea::Width() const {
    const Resolved r = ResolveOwner();
    return r.control.PixelsToScale(r.record.rect.right - r.record.rect.left, 0).first;
}

float cWorkArea::Height() const {
    const Resolved r = ResolveOwner();
    return r.control.PixelsToScale(0, r.record.rect.bottom - r.record.rect.top).second;
}

void cWorkArea::SetLeft(float left) {
    Reshape([&](zephListViewCtl& c, RECT& rect) { rect.left = c.ScaleToPixels(left, 0).first; });
}

void cWorkArea::SetTop(float top) {
    Reshape([&](zephListViewCtl& c, RECT& rect) { rect.top = c.ScaleToPixels(0, top).second; });
}

void cWorkArea::SetWidth(float width) {
    Reshape([&](zephListViewCtl& c, RECT& rect) { rect.right = rect.left + c.ScaleToPixels(width, 0).first; });
}

void cWorkArea::SetHeight(float height) {
    Reshape([&](zephListViewCtl& c, RECT& rect) { rect.bottom = rect.top + c.ScaleToPixels(0, height).second; });
}

}  // namespace kal
