// The image that follows the cursor while a list item is dragged: drawn on the desktop through
// the common controls' drag-image functions, so it can follow the cursor over any window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "toolkit/images/imagelist.h"

namespace kal {

// The image list of an item's drag, made by the list view for it.
using DragImageList = UniqueImageList;

class pcImageListDrag {
public:
    pcImageListDrag() = default;
    pcImageListDrag(const pcImageListDrag&) = delete;
    pcImageListDrag& operator=(const pcImageListDrag&) = delete;
    ~pcImageListDrag() { CompleteDrag(); }

    // The list the image comes from; the caller keeps it alive while dragging.
    void SethImageList(HIMAGELIST list) { list_ = list; }
    // Ends a drag under way and starts one with an image of the list, its hot spot at (x, y).
    void StartDrag(int index, int x, int y);
    // Moves the image to the cursor, showing it first when it is hidden.
    void DragDrop();
    void CompleteDrag();
    // Hides the image (so that the window under it can paint) or shows it again.
    void HideDragImage(bool hide);
    bool Dragging() const { return dragging_; }

private:
    HIMAGELIST list_ = nullptr;
    HWND lock_ = nullptr;  // none: the desktop
    bool dragging_ = false;
    bool needsEnter_ = false;
};

}  // namespace kal
