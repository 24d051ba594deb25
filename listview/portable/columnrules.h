// Rules of the report view's columns and tile lines that need no window: the public alignment
// values against the header's format bits, and the list of sub-items an item shows in tiles.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

namespace kal {

// Public alignment 0 left, 1 centre, 2 right; the column format's low bits hold 0 left, 1 right,
// 2 centre. The same swap serves both ways; other values pass unchanged.
std::int32_t SwapAlignment(std::int32_t value);

// The tile-line list after showing (`show` true) or hiding a sub-item: the sub-item is appended
// when absent, or taken out with the others kept in their order. None when nothing changes.
std::optional<std::vector<std::int32_t>> TileColumnsAfter(const std::vector<std::int32_t>& columns,
                                                          std::int32_t subItem, bool show);

}  // namespace kal
