// What list items are sorted by: one value per item under the sort column's sort type, taken
// from every item before the sort starts, and how two values compare.
#pragma once
#include <cstdint>
#include <string>
#include <variant>

namespace kal {

enum ESortType : std::int32_t {
    SortTypeText = 0,        // the column's text, by character code
    SortTypeTextNoCase = 1,  // the text in upper case
    SortTypeNumeric = 2,     // the text as a number; 0 when it reads as none
    SortTypeDate = 3,        // the text as a date; 1 January 100 when it reads as none
    SortTypeIcon = 4,        // the item's image
    SortTypeChecked = 5,     // checked items first in ascending order
    SortTypeIndent = 6,
    SortTypeSelected = 7,    // selected items first in ascending order
    SortTypeTag = 8,         // the item's Tag, by character code
    SortTypeItemData = 9,
};

// A text, a number (true counts as -1), or nothing for a sort type that has no value, which
// compares equal to everything.
using SortValue = std::variant<std::monostate, std::wstring, double>;

// 1 January 100 as a date number: what a text that reads as no date counts as.
inline constexpr double kNoDate = -657434.0;

// A column's sort order: 0 none, 2 descending, any other value ascending.
inline bool IsDescendingOrder(std::int32_t order) { return order == 2; }

// -1, 0 or 1; descending exchanges the two values first.
int CompareSortValues(const SortValue& a, const SortValue& b, bool descending);

}  // namespace kal
