// Notifications from the list window, routed by code to the control's handlers. The list view
// of a Unicode window sends the W forms of the codes that differ between A and W.
#include "listview/listview.h"

namespace kal {

LRESULT zephListViewCtl::OnNotify(NMHDR* header) {
    if (!header || !list_ || header->hwndFrom != list_) return 0;
    using Handler = LRESULT (zephListViewCtl::*)(NMHDR*);
    struct Route {
        UINT code;
        Handler handler;
    };
    static constexpr Route kRoutes[] = {
        {LVN_DELETEITEM, &zephListViewCtl::OnDeleteItem},
        // LVN_DELETEALLITEMS is answered with 0, so that each item is reported by itself.
        {NM_CLICK, &zephListViewCtl::OnClick},
        {NM_RCLICK, &zephListViewCtl::OnClick},
        {NM_DBLCLK, &zephListViewCtl::OnDblClick},
        {NM_CUSTOMDRAW, &zephListViewCtl::OnCustomDraw},
        {LVN_ITEMCHANGED, &zephListViewCtl::OnItemChanged},
        {LVN_BEGINLABELEDITW, &zephListViewCtl::OnBeginLabelEdit},
        {LVN_ENDLABELEDITW, &zephListViewCtl::OnEndLabelEdit},
        {LVN_COLUMNCLICK, &zephListViewCtl::OnColumnClick},
        {LVN_GETINFOTIPW, &zephListViewCtl::OnGetInfoTip},
        {LVN_BEGINDRAG, &zephListViewCtl::OnBeginDrag},
    };
    for (const Route& r : kRoutes)
        if (r.code == header->code) return (this->*r.handler)(header);
    return 0;
}

// An item is gone, however it went: its key entry and record go with it. An id this control
// does not hold is left alone.
LRESULT zephListViewCtl::OnDeleteItem(NMHDR* header) {
    auto* item = reinterpret_cast<NMLISTVIEW*>(header);
    if (item->lParam && Record(item->lParam)) {
        ReleaseRecord(item->lParam);
        item->lParam = 0;
    }
    return 0;
}

}  // namespace kal
