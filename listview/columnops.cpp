// The control's column operations, which the column and sub-item objects call: the header's
// columns and the records kept beside them.
#include "listview/errors.h"
#include "listview/listview.h"

namespace kal {

std::int32_t zephListViewCtl::ColumnCount() const {
    HWND header = Header();
    return header ? static_cast<std::int32_t>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

bool zephListViewCtl::GetColumnInfo(std::int32_t column, LVCOLUMNW& info) const {
    return Send(LVM_GETCOLUMNW, static_cast<WPARAM>(column - 1), reinterpret_cast<LPARAM>(&info)) != 0;
}

bool zephListViewCtl::SetColumnInfo(std::int32_t column, const LVCOLUMNW& info) {
    return Send(LVM_SETCOLUMNW, static_cast<WPARAM>(column - 1), reinterpret_cast<LPARAM>(&info)) != 0;
}

bool zephListViewCtl::ColumnKeyCheck(const std::wstring& key) const {
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(ColumnCount()), columns_.size());
    for (std::size_t i = 0; i < count; ++i)
        if (columns_[i].Key == key) return true;
    return false;
}

std::int32_t zephListViewCtl::ColumnKeyLookup(const std::wstring& key) const {
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(ColumnCount()), columns_.size());
    for (std::size_t i = 0; i < count; ++i)
        if (columns_[i].Key == key) return static_cast<std::int32_t>(i + 1);
    RaiseListViewError(kLvNoHeader, L"zephListViewCtl");
}

std::int32_t zephListViewCtl::ColumnIndexFromId(std::int32_t id) const {
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(ColumnCount()), columns_.size());
    for (std::size_t i = 0; i < count; ++i)
        if (columns_[i].id == id) return static_cast<std::int32_t>(i + 1);
    return 0;
}

std::int32_t zephListViewCtl::ColumnInsert(std::int32_t id, const std::wstring& key, std::int32_t position0,
                                           const std::wstring& text, const std::optional<ListArg>& iconArgument,
                                           std::int32_t icon, float width) {
    if (!list_) return 0;
    std::wstring caption = text;
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    if (icon > -1) {
        column.mask |= LVCF_IMAGE;
        column.fmt |= LVCFMT_IMAGE;
        column.iImage = icon;
    }
    if (!caption.empty()) {
        column.mask |= LVCF_TEXT;
        column.pszText = caption.data();
        column.cchTextMax = static_cast<int>(caption.size() + 1);
    }
    column.cx = ScaleToPixels(width, 0).first;
    const std::int32_t before = ColumnCount();
    Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(position0), reinterpret_cast<LPARAM>(&column));
    const std::int32_t after = ColumnCount();
    if (after <= before) return 0;
    // The header puts a position past the end at the end.
    const std::int32_t at = std::min(position0, before);
    columns_.resize(std::max<std::size_t>(columns_.size(), static_cast<std::size_t>(after)));
    ColumnRecord record;
    record.id = id;
    record.Key = key;
    record.Text = text;
    record.iconArgument = iconArgument;
    columns_.erase(columns_.begin() + before);  // the spare slot at the old end
    columns_.insert(columns_.begin() + at, std::move(record));
    return at + 1;
}

void zephListViewCtl::ColumnRemove(std::int32_t column) {
    const std::int32_t before = ColumnCount();
    Send(LVM_DELETECOLUMN, static_cast<WPARAM>(column - 1));
    const std::int32_t after = ColumnCount();
    if (after >= before) return;
    if (after == 0)
        columns_.clear();
    else if (column >= 1 && static_cast<std::size_t>(column) <= columns_.size())
        columns_.erase(columns_.begin() + (column - 1));
}

bool zephListViewCtl::IsHeaderImageIndexValid(std::int32_t image) const {
    const HIMAGELIST header = imageLists_[3];
    return header && image >= 0 && image < ::ImageList_GetImageCount(header);
}

void zephListViewCtl::AutoResizeColumn(std::int32_t column) {
    if (column == -1) {
        const std::int32_t count = ColumnCount();
        for (std::int32_t i = 0; i < count; ++i) Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), LVSCW_AUTOSIZE_USEHEADER);
    } else {
        Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), LVSCW_AUTOSIZE_USEHEADER);
    }
}

}  // namespace kal
