// Sorting the items by the sort settings of the first column that has a sort order. Each
// item's value is read before the list starts sorting, so the comparison sends nothing to the
// list and the list does not change under the sort.
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <map>

#include "listview/listview.h"
#include "listview/portable/sortkey.h"

namespace kal {
namespace {

// Text as a number or a date by the system's conversions in the user's locale.
double NumberOf(std::wstring text) {
    double value = 0;
    return SUCCEEDED(::VarR8FromStr(text.data(), LOCALE_USER_DEFAULT, 0, &value)) ? value : 0;
}

double DateOf(std::wstring text) {
    DATE value = 0;
    return SUCCEEDED(::VarDateFromStr(text.data(), LOCALE_USER_DEFAULT, 0, &value)) ? value : kNoDate;
}

std::wstring UpperOf(std::wstring text) {
    if (!text.empty())
        ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), text.data(),
                       static_cast<int>(text.size()));
    return text;
}

double Truth(bool value) { return value ? -1.0 : 0.0; }

struct SortRun {
    std::map<LPARAM, SortValue> values;
    bool descending = false;
};

int CALLBACK CompareListItems(LPARAM a, LPARAM b, LPARAM run) {
    const auto& r = *reinterpret_cast<const SortRun*>(run);
    const auto x = r.values.find(a), y = r.values.find(b);
    if (x == r.values.end() || y == r.values.end()) return 0;
    return CompareSortValues(x->second, y->second, r.descending);
}

}  // namespace

SortValue zephListViewCtl::SortValueOf(int item0, LPARAM id, std::int32_t sortType, int subItem) const {
    LVITEMW item;
    switch (sortType) {
    case SortTypeText:
        return ItemText(item0, subItem);
    case SortTypeTextNoCase:
        return UpperOf(ItemText(item0, subItem));
    case SortTypeNumeric:
        return NumberOf(ItemText(item0, subItem));
    case SortTypeDate:
        return DateOf(ItemText(item0, subItem));
    case SortTypeIcon:
        return GetItemInfo(item0, LVIF_IMAGE, 0, item) ? static_cast<double>(item.iImage) : -1.0;
    case SortTypeChecked:
        return Truth((static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item0), 0xF000)) & 0x2000) == 0x2000);
    case SortTypeIndent:
        return GetItemInfo(item0, LVIF_INDENT, 0, item) ? static_cast<double>(item.iIndent) : 0.0;
    case SortTypeSelected:
        return Truth(GetItemStateBit(item0, LVIS_SELECTED));
    case SortTypeTag: {
        const ListItemRecord* record = Record(id);
        return record ? record->Tag : std::wstring();
    }
    case SortTypeItemData: {
        const ListItemRecord* record = Record(id);
        return record ? static_cast<double>(record->itemData) : 0.0;
    }
    default:
        return std::monostate{};
    }
}

void zephListViewCtl::ItemsSort() {
    const std::size_t columns = std::min<std::size_t>(static_cast<std::size_t>(ColumnCount()), columns_.size());
    const ColumnRecord* sortColumn = nullptr;
    int subItem = 0;
    for (std::size_t i = 0; i < columns && !sortColumn; ++i)
        if (columns_[i].SortOrder != 0) sortColumn = &columns_[i], subItem = static_cast<int>(i);
    if (!sortColumn) return;

    SortRun run;
    run.descending = IsDescendingOrder(sortColumn->SortOrder);
    const auto count = static_cast<int>(Send(LVM_GETITEMCOUNT));
    for (int i = 0; i < count; ++i) {
        LVITEMW item;
        if (!GetItemInfo(i, LVIF_PARAM, 0, item)) continue;
        run.values.emplace(item.lParam, SortValueOf(i, item.lParam, sortColumn->SortType, subItem));
    }
    Send(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&run), reinterpret_cast<LPARAM>(&CompareListItems));
}

}  // namespace kal
