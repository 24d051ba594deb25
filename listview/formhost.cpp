#include "listview/formhost.h"

namespace kal {

bool PlaceOnForm(zephListViewCtl& list, Form& form, const TwipsRect& at, const PropertyBag& properties) {
    if (!form.Loaded()) return false;
    const UIFont* ambient = form.Font() ? form.Font() : gUIFont ? &*gUIFont : nullptr;
    form.AddFontMember(list);
    return list.Create(form.hWnd(), TwipsToPixelsX(at.left), TwipsToPixelsY(at.top), TwipsToPixelsX(at.width),
                       TwipsToPixelsY(at.height), properties, ambient);
}

TwipsRect PlacementOf(const zephListViewCtl& list) {
    HWND h = list.hWnd();
    if (!h) return {};
    RECT r{};
    ::GetWindowRect(h, &r);
    ::MapWindowPoints(nullptr, ::GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return {PixelsToTwipsX(r.left), PixelsToTwipsY(r.top), PixelsToTwipsX(r.right - r.left),
            PixelsToTwipsY(r.bottom - r.top)};
}

void MoveTo(zephListViewCtl& list, const TwipsRect& at) {
    list.Move(TwipsToPixelsX(at.left), TwipsToPixelsY(at.top), TwipsToPixelsX(at.width), TwipsToPixelsY(at.height));
}

}  // namespace kal
