// OLE drag and drop of list items: an item dragged out of the list carries its id as drag data
// and an image under the cursor; a list that takes drops scrolls near its edges while one of
// its own items is dragged over it, and a move-drop of one of its own items moves that item:
// into the group of the item it is dropped on in group view, else to the drop point. Data of
// any other origin is passed to the events and otherwise left alone.
#include <windows.h>
#include <ole2.h>

#include <limits>

#include "base/log.h"
#include "listview/comobject.h"
#include "listview/dataobject.h"
#include "listview/listview.h"
#include "listview/portable/dragdata.h"

namespace kal {
namespace {

// The zone along a list's edges in which a drag over it scrolls the list, in pixels.
constexpr LONG kScrollZone = 24;
// The drag-over states: entering the list, leaving it, moving over it.
constexpr std::int16_t kDragEnter = 0, kDragLeave = 1, kDragOver = 2;

std::int16_t ButtonOf(DWORD keys) {
    std::int16_t button = 0;
    if (keys & MK_LBUTTON) button |= 1;
    if (keys & MK_RBUTTON) button |= 2;
    if (keys & MK_MBUTTON) button |= 4;
    return button;
}

std::int16_t ShiftOf(DWORD keys) {
    std::int16_t shift = 0;
    if (keys & MK_SHIFT) shift |= 1;
    if (keys & MK_CONTROL) shift |= 2;
    if (keys & MK_ALT) shift |= 4;
    return shift;
}

}  // namespace

// The drag source of an item dragged out of the list.
class ListDropSource final : public ComObject<IDropSource> {
public:
    explicit ListDropSource(zephListViewCtl* owner) : owner_(owner) {}

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        if (!IsLiveListView(owner_)) return DRAGDROP_S_USEDEFAULTCURSORS;
        return owner_->OnGiveFeedback(effect) ? DRAGDROP_S_USEDEFAULTCURSORS : S_OK;
    }

private:
    zephListViewCtl* owner_;
};

// The drop target of a list that takes drops; lets go of its control when the list goes.
class ListDropTarget final : public ComObject<IDropTarget> {
public:
    explicit ListDropTarget(zephListViewCtl* owner) : owner_(owner) {}
    void Detach() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
        return Over(data, keys, pt, effect, kDragEnter);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) override {
        return Over(nullptr, keys, pt, effect, kDragOver);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        if (owner_) owner_->OnDragLeave();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
        if (!effect) return E_INVALIDARG;
        *effect = owner_ ? owner_->OnDrop(data, keys, pt, *effect) : DROPEFFECT_NONE;
        return S_OK;
    }

private:
    HRESULT Over(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect, std::int16_t state) {
        if (!effect) return E_INVALIDARG;
        *effect = owner_ ? owner_->OnDragOver(data, keys, pt, *effect, state) : DROPEFFECT_NONE;
        return S_OK;
    }

    zephListViewCtl* owner_;
};

// ---- The control as drop target ----

void zephListViewCtl::ApplyDropMode() {
    RevokeDropTarget();
    if (!list_ || d_.OLEDropMode == 0) return;
    auto* target = new ListDropTarget(this);
    if (SUCCEEDED(::RegisterDragDrop(list_, target)))
        dropTarget_ = target;
    else
        target->Release();
}

void zephListViewCtl::RevokeDropTarget() {
    if (!dropTarget_) return;
    if (list_) ::RevokeDragDrop(list_);
    dropTarget_->Detach();
    dropTarget_->Release();
    dropTarget_ = nullptr;
    dropData_.reset();
}

std::optional<zephListViewCtl::DraggedItemInfo> zephListViewCtl::DraggedItem(const DataObject& data) const {
    const auto bytes = data.GetData(kListItemDragFormat);
    const auto id = bytes ? DecodeDragData(bytes->data(), bytes->size()) : std::nullopt;
    if (!id) return std::nullopt;
    // Only a live item of this very list counts; the number is never followed as an address.
    const auto lParam = static_cast<LPARAM>(*id);
    const ListItemRecord* record = Record(lParam);
    const std::int32_t index = record ? ItemIndexFromId(lParam) : 0;
    if (index < 1) return std::nullopt;
    return DraggedItemInfo{lParam, record->Serial, index};
}

std::optional<cListItem> zephListViewCtl::ItemFromDragData(const DataObject& data) const {
    const auto item = DraggedItem(data);
    if (!item) return std::nullopt;
    return cListItem(list_, item->id, item->serial);
}

DWORD zephListViewCtl::OnDragOver(IDataObject* data, DWORD keys, POINTL pt, DWORD allowed, std::int16_t state) {
    try {
        if (data) dropData_ = ComPtr<IDataObject>(data);
        DataObject wrapped(dropData_);
        POINT client{pt.x, pt.y};
        ::ScreenToClient(list_, &client);
        const auto [x, y] = PixelsToScale(client.x, client.y);
        auto effect = static_cast<std::int32_t>(allowed);
        Raise(OLEDragOver, wrapped, effect, ButtonOf(keys), ShiftOf(keys), x, y, state);
        if (DraggedItem(wrapped)) ScrollNearEdges({pt.x, pt.y});
        return static_cast<DWORD>(effect) & allowed;
    } catch (...) {
        LogCaught(L"list view DragOver");
        return DROPEFFECT_NONE;
    }
}

void zephListViewCtl::OnDragLeave() {
    try {
        DataObject wrapped(dropData_);
        POINT p{};
        ::GetCursorPos(&p);
        ::ScreenToClient(list_, &p);
        const auto [x, y] = PixelsToScale(p.x, p.y);
        std::int32_t effect = DROPEFFECT_NONE;
        Raise(OLEDragOver, wrapped, effect, std::int16_t{0}, std::int16_t{0}, x, y, kDragLeave);
    } catch (...) {
        LogCaught(L"list view DragLeave");
    }
    dropData_.reset();
}

DWORD zephListViewCtl::OnDrop(IDataObject* data, DWORD keys, POINTL pt, DWORD allowed) {
    try {
        EndDragImage();
        DataObject wrapped{ComPtr<IDataObject>(data)};
        dropData_.reset();
        POINT client{pt.x, pt.y};
        ::ScreenToClient(list_, &client);
        const auto [x, y] = PixelsToScale(client.x, client.y);
        auto effect = static_cast<std::int32_t>(allowed);
        Raise(OLEDragDrop, wrapped, effect, ButtonOf(keys), ShiftOf(keys), x, y);
        const DWORD result = static_cast<DWORD>(effect) & allowed;
        // Only the item the data names moves, and only when it is a live item of this list.
        if (result & DROPEFFECT_MOVE)
            if (const auto item = DraggedItem(wrapped)) MoveDroppedItem(item->index, client);
        return result;
    } catch (...) {
        LogCaught(L"list view Drop");
        return DROPEFFECT_NONE;
    }
}

void zephListViewCtl::ScrollNearEdges(POINT screen) {
    RECT r{};
    ::GetWindowRect(list_, &r);
    const auto style = static_cast<DWORD>(::GetWindowLongW(list_, GWL_STYLE));
    UINT msg = 0;
    WPARAM code = 0;
    if (style & WS_VSCROLL) {
        if (screen.y - r.top < kScrollZone)
            msg = WM_VSCROLL, code = SB_LINEUP;
        else if (r.bottom - screen.y < kScrollZone)
            msg = WM_VSCROLL, code = SB_LINEDOWN;
    } else if (style & WS_HSCROLL) {
        if (screen.x - r.left < kScrollZone)
            msg = WM_HSCROLL, code = SB_LINELEFT;
        else if (r.right - screen.x < kScrollZone)
            msg = WM_HSCROLL, code = SB_LINERIGHT;
    }
    if (!msg) return;
    // One line per drag-over; the image is lifted while the list paints.
    dragImage_.HideDragImage(true);
    Send(msg, code);
    dragImage_.HideDragImage(false);
}

void zephListViewCtl::MoveDroppedItem(std::int32_t index, POINT client) {
    if (!(groupsEnabled_ && HasViewMessage(version_))) {
        Send(LVM_SETITEMPOSITION32, static_cast<WPARAM>(index - 1), reinterpret_cast<LPARAM>(&client));
        return;
    }
    LVHITTESTINFO hit{};
    hit.pt = client;
    std::int32_t target = static_cast<std::int32_t>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) + 1;
    if (target < 1 && (hit.flags & LVHT_NOWHERE)) target = NearestItemIndex(client);
    if (target < 1 || target == index) return;
    LVITEMW over, dragged;
    if (!GetItemInfo(target - 1, LVIF_GROUPID, 0, over) || !GetItemInfo(index - 1, LVIF_GROUPID, 0, dragged)) return;
    if (over.iGroupId == dragged.iGroupId) return;
    dragged.iGroupId = over.iGroupId;
    SetItemInfo(dragged);
}

std::int32_t zephListViewCtl::NearestItemIndex(POINT p) const {
    const auto count = static_cast<std::int32_t>(Send(LVM_GETITEMCOUNT));
    std::int32_t nearest = -1;
    auto best = std::numeric_limits<long long>::max();
    for (std::int32_t i = 0; i < count; ++i) {
        RECT r{};
        r.left = LVIR_BOUNDS;
        if (!Send(LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
        const long long dx = r.left + (r.right - r.left) / 2 - p.x, dy = r.top + (r.bottom - r.top) / 2 - p.y;
        if (dx * dx + dy * dy < best) best = dx * dx + dy * dy, nearest = i + 1;
    }
    return nearest;
}

// ---- The control as drag source ----

LRESULT zephListViewCtl::OnBeginDrag(NMHDR* header) {
    draggedIndex_ = reinterpret_cast<const NMLISTVIEW*>(header)->iItem;
    RunItemDrag();
    return 0;
}

void zephListViewCtl::EndDragImage() {
    dragImage_.CompleteDrag();
    dragImage_.SethImageList(nullptr);
    dragList_.reset();
}

bool zephListViewCtl::OnGiveFeedback(DWORD effect) {
    bool defaultCursors = true;
    Raise(OLEGiveFeedback, static_cast<std::int32_t>(effect), defaultCursors);
    dragImage_.DragDrop();
    return defaultCursors;
}

void zephListViewCtl::RunItemDrag() {
    EndDragImage();
    LVITEMW item;
    const ListItemRecord* record =
        draggedIndex_ >= 0 && GetItemInfo(draggedIndex_, LVIF_PARAM, 0, item) ? Record(item.lParam) : nullptr;
    if (!record) return;  // no item of the control's: no drag

    ComPtr<ListDataObject> object = ListDataObject::Create();
    object->Set(kListItemDragFormat, EncodeDragData(static_cast<std::int32_t>(item.lParam)));
    DataObject data{ComPtr<IDataObject>(object.get())};
    // A target may ask during the drag, when a handler may have closed the list.
    object->supply = [this, &data](std::uint16_t format) {
        if (IsLiveListView(this)) Raise(OLESetData, data, format);
    };
    std::int32_t allowed = DROPEFFECT_NONE;
    if (d_.OLEDragMode == 2) allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    Raise(OLEStartDrag, data, allowed);
    if (allowed == DROPEFFECT_NONE) {
        object->supply = nullptr;
        return;
    }

    POINT origin{};
    dragList_.reset(reinterpret_cast<HIMAGELIST>(
        Send(LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(draggedIndex_), reinterpret_cast<LPARAM>(&origin))));
    dragImage_.SethImageList(dragList_.get());
    dragImage_.StartDrag(0, -8, -8);

    auto* source = new ListDropSource(this);
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = ::DoDragDrop(object.get(), source, static_cast<DWORD>(allowed), &effect);
    source->Release();
    object->supply = nullptr;
    if (result != DRAGDROP_S_DROP) effect = DROPEFFECT_NONE;
    if (!IsLiveListView(this)) return;
    EndDragImage();
    Raise(OLECompleteDrag, static_cast<std::int32_t>(effect));
}

}  // namespace kal
