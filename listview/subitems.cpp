#include "listview/subitems.h"

#include "listview/errors.h"
#include "listview/listview.h"
#include "listview/portable/columnrules.h"

namespace kal {

// ---- cSubItems ----

std::int32_t cSubItems::Count() const {
    const ResolvedItem r = ResolveItem(owner_, id_, serial_, L"cSubItems", L"cSubItems", L"cSubItems");
    return r.control.ColumnCount() - 1;
}

cSubItem cSubItems::item(std::int32_t index) const {
    const ResolvedItem r = ResolveItem(owner_, id_, serial_, L"cSubItems", L"cSubItems", L"cSubItems");
    if (index < 1 || index >= r.control.ColumnCount()) RaiseListViewError(kLvSubscript, L"cSubItems");
    return cSubItem(owner_, id_, serial_, index);
}

// ---- cSubItem ----

cSubItem::Resolved cSubItem::ResolveOwner() const {
    const ResolvedItem r = ResolveItem(owner_, id_, serial_, L"cSubItem", L"cSubItem", L"cSubItem");
    // Its column is gone.
    if (index_ < 1 || index_ >= r.control.ColumnCount()) RaiseListViewError(kLvNoSubItem, L"cSubItem");
    return {r.control, r.index};
}

std::wstring cSubItem::Caption() const {
    const Resolved r = ResolveOwner();
    return r.control.ItemText(r.item - 1, index_);
}

void cSubItem::SetCaption(const std::wstring& text) {
    const Resolved r = ResolveOwner();
    r.control.SetItemText(r.item - 1, index_, text);
}

std::int32_t cSubItem::IconIndex() const {
    const Resolved r = ResolveOwner();
    LVITEMW item;
    r.control.GetItemInfo(r.item - 1, LVIF_IMAGE, index_, item);
    return item.iImage;
}

void cSubItem::SetIconIndex(std::int32_t image) {
    const Resolved r = ResolveOwner();
    LVITEMW item;
    r.control.GetItemInfo(r.item - 1, LVIF_IMAGE, index_, item);
    item.iImage = image;
    r.control.SetItemInfo(item);
}

std::vector<std::int32_t> cSubItem::TileColumns(const Resolved& r) const {
    // Room for every column; the list says how many it filled.
    std::vector<UINT> buffer(static_cast<std::size_t>(std::max(r.control.ColumnCount(), 1)));
    LVITEMW item{};
    item.mask = LVIF_COLUMNS;
    item.iItem = r.item - 1;
    item.cColumns = static_cast<UINT>(buffer.size());
    item.puColumns = buffer.data();
    if (!r.control.Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
    const std::size_t n = std::min<std::size_t>(item.cColumns, buffer.size());
    return std::vector<std::int32_t>(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
}

bool cSubItem::ShowInTile() const {
    const Resolved r = ResolveOwner();
    if (!HasViewMessage(r.control.Version())) return false;
    const std::vector<std::int32_t> columns = TileColumns(r);
    return std::find(columns.begin(), columns.end(), index_) != columns.end();
}

void cSubItem::SetShowInTile(bool show) {
    const Resolved r = ResolveOwner();
    if (!HasViewMessage(r.control.Version())) return;
    const auto after = TileColumnsAfter(TileColumns(r), index_, show);
    if (!after) return;
    std::vector<UINT> columns(after->begin(), after->end());
    LVITEMW item{};
    item.mask = LVIF_COLUMNS;
    item.iItem = r.item - 1;
    item.cColumns = static_cast<UINT>(columns.size());
    item.puColumns = columns.empty() ? nullptr : columns.data();
    r.control.SetItemInfo(item);
}

}  // namespace kal
