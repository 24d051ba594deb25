// Members that act on the view as a whole: arranging, scrolling, icon spacing and the image
// lists the list and its header draw from.
#include "listview/listview.h"
#include "toolkit/images/imagelist.h"

namespace kal {

void zephListViewCtl::Arrange(std::int32_t code) { Send(LVM_ARRANGE, static_cast<WPARAM>(code)); }

void zephListViewCtl::Scroll(std::int32_t x, std::int32_t y) {
    Send(LVM_SCROLL, static_cast<WPARAM>(x), static_cast<LPARAM>(y));
}

void zephListViewCtl::SetIconSpaceX(std::int32_t pixels) {
    iconSpaceX_ = pixels;
    ApplyIconSpacing();
    Changed(L"IconSpaceX");
}

void zephListViewCtl::SetIconSpaceY(std::int32_t pixels) {
    iconSpaceY_ = pixels;
    ApplyIconSpacing();
    Changed(L"IconSpaceY");
}

void zephListViewCtl::ApplyIconSpacing() {
    if (!list_) return;
    // The reset answers the spacing it replaced; the list's own spacing is what a second reset
    // then answers.
    Send(LVM_SETICONSPACING, 0, -1);
    const auto standard = static_cast<DWORD>(Send(LVM_SETICONSPACING, 0, -1));
    const DWORD cx = static_cast<DWORD>(iconSpaceX_ >= 1 ? iconSpaceX_ : LOWORD(standard)) & 0x7FFF;
    const DWORD cy = static_cast<DWORD>(iconSpaceY_ >= 1 ? iconSpaceY_ : HIWORD(standard)) & 0x7FFF;
    Send(LVM_SETICONSPACING, 0, static_cast<LPARAM>(cx | (cy << 16)));
}

void zephListViewCtl::SetImageList(std::int32_t which, const zephImageList* list) {
    // An image-list control has its handle from its first image on.
    if (list) SetImageList(which, list->hIml());
}

void zephListViewCtl::SetImageList(std::int32_t which, HIMAGELIST list) {
    if (!list) return;
    const auto handle = reinterpret_cast<LPARAM>(list);
    switch (which) {
    case 0:
        imageLists_[0] = list;
        // In the tile view a tile list, when set, stays in use.
        if (!(d_.View == 4 && imageLists_[4])) Send(LVM_SETIMAGELIST, LVSIL_NORMAL, handle);
        break;
    case 1:
        imageLists_[1] = list;
        Send(LVM_SETIMAGELIST, LVSIL_SMALL, handle);
        break;
    case 2:
        imageLists_[2] = list;
        Send(LVM_SETIMAGELIST, LVSIL_STATE, handle);
        break;
    case 0x8000:
        imageLists_[3] = list;
        if (HWND header = Header()) ::SendMessageW(header, HDM_SETIMAGELIST, 0, handle);
        break;
    case 0x8001:
        imageLists_[4] = list;
        if (d_.View == 4) Send(LVM_SETIMAGELIST, LVSIL_NORMAL, handle);
        break;
    default:
        break;
    }
}

}  // namespace kal
