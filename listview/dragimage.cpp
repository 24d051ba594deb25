#include "listview/dragimage.h"

namespace kal {

void pcImageListDrag::StartDrag(int index, int x, int y) {
    CompleteDrag();
    if (list_ && ::ImageList_BeginDrag(list_, index, x, y)) dragging_ = needsEnter_ = true;
}

void pcImageListDrag::DragDrop() {
    if (!dragging_) return;
    POINT p{};
    ::GetCursorPos(&p);
    if (needsEnter_) {
        ::ImageList_DragEnter(lock_, p.x, p.y);
        needsEnter_ = false;
    }
    ::ImageList_DragMove(p.x, p.y);
}

void pcImageListDrag::CompleteDrag() {
    if (!dragging_) return;
    // The image leaves the screen before it goes.
    ::ImageList_DragLeave(lock_);
    ::ImageList_EndDrag();
    lock_ = nullptr;
    dragging_ = false;
}

void pcImageListDrag::HideDragImage(bool hide) {
    if (!dragging_) return;
    if (hide) {
        ::ImageList_DragLeave(lock_);
        needsEnter_ = true;
    } else {
        DragDrop();
    }
}

}  // namespace kal
