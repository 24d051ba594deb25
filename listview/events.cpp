// The control's events: the list window's input messages (through subclassing) and its
// notifications to the control window, turned into the control's events; item drawing with
// per-item colours and fonts; label editing; info tips; and the keys the list takes before a
// dialog manager does.
#include <algorithm>
#include <cwchar>
#include <utility>

#include "base/log.h"
#include "listview/comobject.h"
#include "listview/listview.h"
#include "toolkit/colour.h"
#include "base/errors.h"

namespace kal {
namespace {

// The input messages of the list window that the control watches.
constexpr UINT kListMessages[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_KEYDOWN,
                                  WM_CHAR,      WM_KEYUP,       WM_GETDLGCODE,  WM_SETREDRAW};

std::int16_t ShiftState() {
    std::int16_t shift = 0;
    if (::GetAsyncKeyState(VK_SHIFT) & 0x8000) shift |= 1;
    if (::GetAsyncKeyState(VK_CONTROL) & 0x8000) shift |= 2;
    if (::GetAsyncKeyState(VK_MENU) & 0x8000) shift |= 4;
    return shift;
}

// The button a mouse move is made with: left before right before middle.
std::int16_t MoveButton(WPARAM keys) {
    if (keys & MK_LBUTTON) return 1;
    if (keys & MK_RBUTTON) return 2;
    if (keys & MK_MBUTTON) return 4;
    return 0;
}

POINT PointOf(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

// ---- Subclassing of the list window ----

void zephListViewCtl::AttachListMessages() {
    for (UINT m : kListMessages) {
        try {
            MSubclass::AttachMessage(this, list_, m);
        } catch (const ToolkitError&) {
            // Not attached: the list works without this event.
            LogCaught(L"list view message hook");
        }
    }
}

void zephListViewCtl::DetachListMessages() {
    for (UINT m : kListMessages) MSubclass::DetachMessage(this, list_, m);
    if (edit_) {
        MSubclass::DetachMessage(this, edit_, WM_GETDLGCODE);
        edit_ = nullptr;
    }
}

std::int32_t zephListViewCtl::MsgResponse() const {
    switch (MSubclass::CurrentMessage()) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return MsgResponsePostProcess;  // the list acts on the press after the event
    default:
        return MsgResponseConsume;  // the handler passes the message on itself
    }
}

bool zephListViewCtl::IsListKey(const MSG* message) {
    if (!message || (message->message != WM_KEYDOWN && message->message != WM_KEYUP)) return false;
    const WORD key = LOWORD(message->wParam);
    return key == VK_RETURN || (key >= VK_PRIOR && key <= VK_DOWN);
}

LRESULT zephListViewCtl::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    switch (iMsg) {
    case WM_CHAR: {
        // The whole UTF-16 unit: ideographs, Hangul and surrogate halves lie above U+7FFF.
        auto code = static_cast<wchar_t>(wParam);
        Raise(KeyPress, code);
        return MSubclass::CallOldWindowProc(hWnd, iMsg, static_cast<WPARAM>(code), lParam);
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
        auto code = static_cast<std::int16_t>(wParam & 0x7FFF);
        auto shift = ShiftState();
        Raise(iMsg == WM_KEYDOWN ? KeyDown : KeyUp, code, shift);
        return MSubclass::CallOldWindowProc(hWnd, iMsg, static_cast<WPARAM>(static_cast<std::uint16_t>(code)), lParam);
    }
    case WM_MOUSEMOVE: {
        const LRESULT result = MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
        const POINT p = PointOf(lParam);
        const auto [x, y] = PixelsToScale(p.x, p.y);
        Raise(MouseMove, MoveButton(wParam), ShiftState(), x, y);
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnButtonDown(hWnd, iMsg, lParam);
    case WM_SETREDRAW:
        redrawOff_ = wParam == 0;
        return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
    case WM_GETDLGCODE: {
        // A dialog manager asks before it takes a key for the dialog's buttons: Enter and the
        // navigation keys go to the list, or to its open edit box, instead.
        LRESULT code = MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
        if (IsListKey(reinterpret_cast<const MSG*>(lParam))) code |= DLGC_WANTMESSAGE;
        return code;
    }
    default:
        return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
    }
}

LRESULT zephListViewCtl::OnButtonDown(HWND, UINT iMsg, LPARAM lParam) {
    const std::int16_t button = iMsg == WM_LBUTTONDOWN ? 1 : iMsg == WM_RBUTTONDOWN ? 2 : 4;
    lastMouse_ = PointOf(lParam);
    const auto [x, y] = PixelsToScale(lastMouse_.x, lastMouse_.y);
    Raise(MouseDown, button, ShiftState(), x, y);
    lastButton_ = button;
    return 0;
}

void zephListViewCtl::PassFocus() {
    if (editing_ && edit_ && ::IsWindow(edit_))
        ::SetFocus(edit_);
    else if (list_)
        ::SetFocus(list_);
}

std::optional<cListItem> zephListViewCtl::ItemAtCursor(POINT& p) const {
    ::GetCursorPos(&p);
    ::ScreenToClient(list_, &p);
    const std::int32_t index = HitTestIndex(p.x, p.y);
    return index > 0 ? ItemAt(index - 1) : std::nullopt;
}

// ---- Notifications ----

LRESULT zephListViewCtl::OnClick(NMHDR*) {
    POINT p{};
    if (const auto item = ItemAtCursor(p))
        Raise(ItemClick, *item);
    else
        Raise(Click);
    lastMouse_ = p;
    const auto [x, y] = PixelsToScale(p.x, p.y);
    Raise(MouseUp, lastButton_, ShiftState(), x, y);
    return 0;
}

LRESULT zephListViewCtl::OnDblClick(NMHDR*) {
    POINT p{};
    if (const auto item = ItemAtCursor(p))
        Raise(ItemDblClick, *item);
    else
        Raise(DblClick);
    return 0;
}

LRESULT zephListViewCtl::OnItemChanged(NMHDR* header) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    const bool was = (change->uOldState & LVIS_SELECTED) != 0;
    const bool now = (change->uNewState & LVIS_SELECTED) != 0;
    if (now && !was)
        Raise(ItemSelected, change->iItem + 1);
    else if (was && !now)
        Raise(ItemUnselected, change->iItem + 1);
    return 0;
}

LRESULT zephListViewCtl::OnColumnClick(NMHDR* header) {
    const auto* click = reinterpret_cast<const NMLISTVIEW*>(header);
    const auto at = static_cast<std::size_t>(click->iSubItem);
    if (click->iSubItem >= 0 && at < columns_.size()) Raise(ColumnClick, cColumn(list_, columns_[at].id));
    return 0;
}

LRESULT zephListViewCtl::OnBeginLabelEdit(NMHDR* header) {
    const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(header);
    bool cancel = false;
    if (const auto item = ItemAt(info->item.iItem)) Raise(BeforeLabelEdit, cancel, *item);
    if (cancel) return 1;
    editing_ = true;
    // The edit box takes Enter from a dialog manager too.
    HWND edit = reinterpret_cast<HWND>(Send(LVM_GETEDITCONTROL));
    if (edit && edit != edit_) {
        try {
            MSubclass::AttachMessage(this, edit, WM_GETDLGCODE);
            edit_ = edit;
        } catch (const ToolkitError&) {
            // The label edit still works; Enter from a dialog manager may not reach it.
            LogCaught(L"list view label edit hook");
        }
    }
    return 0;
}

LRESULT zephListViewCtl::OnEndLabelEdit(NMHDR* header) {
    const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(header);
    editing_ = false;
    if (edit_) {
        MSubclass::DetachMessage(this, edit_, WM_GETDLGCODE);
        edit_ = nullptr;
    }
    // The user cancelled the edit: there is no new text, and the label stays.
    if (!info->item.pszText) return 0;
    const std::wstring text(info->item.pszText, ::wcsnlen(info->item.pszText, 260));
    bool cancel = false;
    if (const auto item = ItemAt(info->item.iItem)) Raise(AfterLabelEdit, cancel, text, *item);
    return cancel ? 0 : 1;
}

LRESULT zephListViewCtl::OnGetInfoTip(NMHDR* header) {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(header);
    LVITEMW item;
    const ListItemRecord* record =
        GetItemInfo(tip->iItem, LVIF_PARAM, 0, item) ? Record(item.lParam) : nullptr;
    // Without a text of the item's own the list's tip stays.
    if (!record || record->ToolTipText.empty() || !tip->pszText || tip->cchTextMax < 1) return 0;
    const std::size_t n = std::min<std::size_t>(record->ToolTipText.size(), static_cast<std::size_t>(tip->cchTextMax - 1));
    std::copy_n(record->ToolTipText.data(), n, tip->pszText);
    tip->pszText[n] = L'\0';
    return 0;
}

LRESULT zephListViewCtl::OnCustomDraw(NMHDR* header) {
    if (!d_.CustomDraw) return CDRF_DODEFAULT;
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const ListItemRecord* record = Record(static_cast<LPARAM>(draw->nmcd.lItemlParam));
        // The list selects its font once for all items: an item without a font of its own
        // gets the control's back from the item drawn before it.
        ::SelectObject(draw->nmcd.hdc, record && record->Font ? record->Font->Handle() : font_.Handle());
        if (!record) return CDRF_NOTIFYSUBITEMDRAW;
        const std::uint32_t fore = record->ForeColor == 0xFFFFFFFF ? d_.ForeColor : record->ForeColor;
        draw->clrText = static_cast<COLORREF>(TranslateColor(fore));
        std::uint32_t back = kSysButtonFace;
        if (d_.Enabled) back = record->BackColor == 0xFFFFFFFF ? d_.BackColor : record->BackColor;
        // Over a background picture the text is drawn transparently.
        draw->clrTextBk = d_.BackgroundPicture.empty() ? static_cast<COLORREF>(TranslateColor(back)) : CLR_NONE;
        return CDRF_NOTIFYSUBITEMDRAW;
    }
    case CDDS_ITEMPOSTPAINT:
        return CDRF_NEWFONT;
    default:
        return CDRF_DODEFAULT;
    }
}

}  // namespace kal
