#include "listview/portable/columnrules.h"

#include <algorithm>

namespace kal {

std::int32_t SwapAlignment(std::int32_t value) {
    if (value == 1) return 2;
    if (value == 2) return 1;
    return value;
}

std::optional<std::vector<std::int32_t>> TileColumnsAfter(const std::vector<std::int32_t>& columns,
                                                          std::int32_t subItem, bool show) {
    const auto at = std::find(columns.begin(), columns.end(), subItem);
    const bool present = at != columns.end();
    if (show == present) return std::nullopt;
    std::vector<std::int32_t> after = columns;
    if (show)
        after.push_back(subItem);
    else
        after.erase(after.begin() + (at - columns.begin()));
    return after;
}

}  // namespace kal
