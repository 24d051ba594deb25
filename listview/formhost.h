// A list-view control on a form of the form layer: the form keeps the control as a member and
// places it from its OnLoad, in twips in the form's client area like the rows of its table,
// with the control's stored properties; the form's font is the ambient font. Unloading the
// form destroys the control's windows (the control lets its item records go then); the next
// load places it again.
#pragma once
#include "listview/listview.h"
#include "toolkit/forms.h"

namespace kal {

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// False when the form is not loaded or a window can't be created.
bool PlaceOnForm(zephListViewCtl& list, Form& form, const TwipsRect& at, const PropertyBag& properties = {});
// The control's rectangle in its container, in twips.
TwipsRect PlacementOf(const zephListViewCtl& list);
void MoveTo(zephListViewCtl& list, const TwipsRect& at);

}  // namespace kal
