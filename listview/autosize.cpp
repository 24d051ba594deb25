#include "listview/autosize.h"

namespace kal {

void AutoSizeColumns(zephListViewCtl& list) {
    list.AutoResizeColumn(-1);
    cColumns columns = list.Columns();
    const std::int32_t count = columns.Count();
    if (count == 0) return;
    for (std::int32_t i = 1; i < count; ++i) {
        cColumn column = columns.item(i);
        column.SetWidth(column.Width() + 75);
    }
    // The width the columns can fill: the list's inside, without its border and a vertical
    // scroll bar, so that no horizontal scroll bar appears. In the columns' units (twips unless
    // the control's ScaleMode says otherwise).
    RECT inside{};
    ::GetClientRect(list.hWndListView(), &inside);
    cColumn last = columns.item(count);
    last.SetWidth(list.PixelsToScale(inside.right, 0).first);
    for (std::int32_t i = 1; i < count; ++i) last.SetWidth(last.Width() - columns.item(i).Width());
}

}  // namespace kal
