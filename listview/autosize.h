// Fitting a report list's columns to its width: each column to its texts and caption with a
// little room, and the last column taking what the others leave of the list's width.
#pragma once
#include "listview/listview.h"

namespace kal {

// Column widths and the list's width are both taken in twips (the control's ScaleMode units).
void AutoSizeColumns(zephListViewCtl& list);

}  // namespace kal
