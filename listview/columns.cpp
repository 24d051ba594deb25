#include "listview/columns.h"

#include <algorithm>

#include "listview/errors.h"
#include "listview/listview.h"
#include "listview/portable/columnrules.h"

namespace kal {
namespace {

std::int32_t gColumnIds = 0;

}  // namespace

std::int32_t NextColumnId() { return NextSerial(gColumnIds); }

// ---- cColumns ----

zephListViewCtl& cColumns::ResolveOwner() const { return ListViewOwner(owner_, L"cColumns"); }

std::optional<cColumn> cColumns::Add(std::optional<ListArg> index, std::optional<ListArg> key,
                                     const std::wstring& text, std::optional<ListArg> iconIndex, float width) {
    zephListViewCtl& c = ResolveOwner();
    const std::int32_t id = NextColumnId();
    std::wstring columnKey;
    if (key) {
        columnKey = key->Text();
        if (c.ColumnKeyCheck(columnKey)) RaiseListViewError(kLvDuplicateKey, L"cColumns");
        if (key->Number()) RaiseListViewError(kLvTypeMismatch, L"cColumns");
    } else {
        columnKey = L"H" + std::to_wstring(id);
    }
    // Index names the column the new one goes before, by its key.
    const std::int32_t position0 = index ? c.ColumnKeyLookup(index->Text()) - 1 : c.ColumnCount();
    std::int32_t icon = -1;
    if (iconIndex) {
        const auto number = iconIndex->Number();
        const auto value = number ? ToLong(*number) : std::nullopt;
        if (!value) RaiseListViewError(kLvTypeMismatch, L"cColumns");
        icon = *value;
    }
    if (c.ColumnInsert(id, columnKey, position0, text, iconIndex, icon, width) == 0) return std::nullopt;
    return cColumn(owner_, id);
}

void cColumns::Clear() {
    zephListViewCtl& c = ResolveOwner();
    for (std::int32_t n = c.ColumnCount(); n >= 1; --n) c.ColumnRemove(n);
}

std::int32_t cColumns::Count() const { return ResolveOwner().ColumnCount(); }

bool cColumns::Exists(const ListArg& index) const {
    try {
        item(index);
        return true;
    } catch (const ToolkitError&) {
        // No such column: the answer, not a failure.
        return false;
    }
}

cColumn cColumns::item(const ListArg& index) const {
    zephListViewCtl& c = ResolveOwner();
    std::int32_t n = 0;
    if (const auto number = index.Number()) {
        // A column inserted on the list window directly has a header item but no record.
        const std::int32_t count = std::min(c.ColumnCount(), static_cast<std::int32_t>(c.columns_.size()));
        const auto value = ToLong(*number);
        if (!value || *value < 1 || *value > count) RaiseListViewError(kLvNoHeader, L"zephListViewCtl");
        n = *value;
    } else {
        n = c.ColumnKeyLookup(index.Text());
    }
    return cColumn(owner_, c.columns_[static_cast<std::size_t>(n - 1)].id);
}

void cColumns::Remove(const ListArg& index) {
    const cColumn column = item(index);
    ResolveOwner().ColumnRemove(column.index());
}

// ---- cColumn ----

cColumn::Resolved cColumn::ResolveOwner() const {
    zephListViewCtl& c = ListViewOwner(owner_, L"cListItems");
    const std::int32_t n = c.ColumnIndexFromId(id_);
    if (n < 1) RaiseListViewError(kLvNoHeader, L"cListItem");
    return {c, c.columns_[static_cast<std::size_t>(n - 1)], n};
}

LVCOLUMNW cColumn::Read(const Resolved& r, UINT mask) const {
    LVCOLUMNW column{};
    column.mask = mask;
    if (!r.control.GetColumnInfo(r.index, column)) RaiseListViewError(kLvNoHeader, L"zephListViewCtl");
    return column;
}

std::int32_t cColumn::index() const { return ResolveOwner().index; }

float cColumn::Width() const {
    const Resolved r = ResolveOwner();
    return r.control.PixelsToScale(Read(r, LVCF_WIDTH).cx, 0).first;
}

void cColumn::SetWidth(float width) {
    const Resolved r = ResolveOwner();
    LVCOLUMNW column = Read(r, LVCF_WIDTH);
    const std::int32_t pixels = r.control.ScaleToPixels(width, 0).first;
    if (pixels == column.cx) return;
    column.cx = pixels;
    r.control.SetColumnInfo(r.index, column);
}

std::int32_t cColumn::itemData() const { return ResolveOwner().record.itemData; }
void cColumn::SetItemData(std::int32_t value) { ResolveOwner().record.itemData = value; }
std::wstring cColumn::Tag() const { return ResolveOwner().record.Tag; }
void cColumn::SetTag(const std::wstring& tag) { ResolveOwner().record.Tag = tag; }
std::wstring cColumn::Text() const { return ResolveOwner().record.Text; }
void cColumn::SetText(const std::wstring& text) { ResolveOwner().record.Text = text; }
std::wstring cColumn::Key() const { return ResolveOwner().record.Key; }
void cColumn::SetKey(const std::wstring& key) { ResolveOwner().record.Key = key; }
std::int32_t cColumn::SortType() const { return ResolveOwner().record.SortType; }
void cColumn::SetSortType(std::int32_t value) { ResolveOwner().record.SortType = value; }
std::int32_t cColumn::SortOrder() const { return ResolveOwner().record.SortOrder; }

void cColumn::SetSortOrder(std::int32_t value) {
    const Resolved r = ResolveOwner();
    if (value != 0)
        for (ColumnRecord& other : r.control.columns_) other.SortOrder = 0;
    r.record.SortOrder = value;
}

void cColumn::ChangeFormat(UINT clear, UINT set) {
    const Resolved r = ResolveOwner();
    LVCOLUMNW column = Read(r, LVCF_FMT);
    column.fmt = static_cast<int>((static_cast<UINT>(column.fmt) & ~clear) | set);
    r.control.SetColumnInfo(r.index, column);
}

std::int32_t cColumn::IconIndex() const {
    const Resolved r = ResolveOwner();
    const LVCOLUMNW column = Read(r, LVCF_FMT | LVCF_IMAGE);
    return (column.fmt & LVCFMT_IMAGE) ? column.iImage : -1;
}

void cColumn::SetIconIndex(std::int32_t image) {
    if (image == IconIndex()) return;
    const Resolved r = ResolveOwner();
    LVCOLUMNW column = Read(r, LVCF_FMT);
    if (r.control.IsHeaderImageIndexValid(image)) {
        column.mask = LVCF_FMT | LVCF_IMAGE;
        column.fmt |= LVCFMT_IMAGE;
        column.iImage = image;
    } else {
        column.fmt &= ~LVCFMT_IMAGE;
    }
    r.control.SetColumnInfo(r.index, column);
}

bool cColumn::ImageOnRight() const {
    const Resolved r = ResolveOwner();
    return (Read(r, LVCF_FMT).fmt & LVCFMT_BITMAP_ON_RIGHT) != 0;
}

void cColumn::SetImageOnRight(bool value) {
    ChangeFormat(LVCFMT_BITMAP_ON_RIGHT, value ? LVCFMT_BITMAP_ON_RIGHT : 0);
}

std::int32_t cColumn::Alignment() const {
    const Resolved r = ResolveOwner();
    return SwapAlignment(Read(r, LVCF_FMT).fmt & LVCFMT_JUSTIFYMASK);
}

void cColumn::SetAlignment(std::int32_t value) {
    ChangeFormat(LVCFMT_JUSTIFYMASK, static_cast<UINT>(SwapAlignment(value)) & LVCFMT_JUSTIFYMASK);
}

std::int32_t cColumn::Position() const {
    const Resolved r = ResolveOwner();
    return Read(r, LVCF_ORDER).iOrder + 1;
}

void cColumn::SetPosition(std::int32_t position) {
    const Resolved r = ResolveOwner();
    LVCOLUMNW column = Read(r, LVCF_ORDER);
    if (column.iOrder == position - 1) return;
    column.iOrder = position - 1;
    r.control.SetColumnInfo(r.index, column);
}

}  // namespace kal
