#include "listview/portable/sortkey.h"

namespace kal {

int CompareSortValues(const SortValue& a, const SortValue& b, bool descending) {
    const SortValue& x = descending ? b : a;
    const SortValue& y = descending ? a : b;
    if (x.index() != y.index() || std::holds_alternative<std::monostate>(x)) return 0;
    if (const auto* t = std::get_if<std::wstring>(&x)) {
        // By UTF-16 code unit, with letter case.
        const int c = t->compare(std::get<std::wstring>(y));
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    const double p = std::get<double>(x), q = std::get<double>(y);
    return p < q ? -1 : p > q ? 1 : 0;
}

}  // namespace kal
