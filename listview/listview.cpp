#include "listview/listview.h"

#include <cmath>
#include <cwchar>
#include <set>

#include "base/log.h"
#include "base/screen.h"
#include "startup/utility.h"
#include "toolkit/colour.h"
#include "base/propstore.h"
#include "toolkit/utility.h"

namespace kal {
namespace {

constexpr wchar_t kHostClass[] = L"KalvenorListView";
// No move, no size, no z-order change, frame changed, no owner z-order.
constexpr UINT kRestyle = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER;

// Controls alive in the process: an address read from a window's property counts only while
// its control is here.
std::set<const zephListViewCtl*>& LiveControls() {
    static auto* live = new std::set<const zephListViewCtl*>;
    return *live;
}

// The stored font: face, size in points, then the letters of its style (b bold, i italic,
// u underline, s strikethrough), separated by ";".
std::wstring FontText(const UIFont& f) {
    wchar_t size[32];
    std::swprintf(size, 32, L"%.9g", f.size);
    std::wstring style;
    if (f.bold) style += L'b';
    if (f.italic) style += L'i';
    if (f.underline) style += L'u';
    if (f.strikethrough) style += L's';
    return f.name + L";" + size + L";" + style;
}

std::optional<UIFont> FontFromText(const std::wstring& text) {
    const auto last = text.rfind(L';');
    if (last == std::wstring::npos || last == 0) return std::nullopt;
    const auto middle = text.rfind(L';', last - 1);
    if (middle == std::wstring::npos || middle == 0) return std::nullopt;
    UIFont f;
    f.name = text.substr(0, middle);
    const std::wstring size = text.substr(middle + 1, last - middle - 1);
    wchar_t* end = nullptr;
    f.size = std::wcstod(size.c_str(), &end);
    if (size.empty() || *end || !std::isfinite(f.size) || f.size <= 0) return std::nullopt;
    const std::wstring style = text.substr(last + 1);
    f.bold = style.find(L'b') != std::wstring::npos;
    f.italic = style.find(L'i') != std::wstring::npos;
    f.underline = style.find(L'u') != std::wstring::npos;
    f.strikethrough = style.find(L's') != std::wstring::npos;
    return f;
}

double TwipsPerPixel(int dpi) { return 1440.0 / dpi; }

}  // namespace

bool IsLiveListView(const zephListViewCtl* control) { return LiveControls().count(control) != 0; }

zephListViewCtl::zephListViewCtl() : version_(GetComCtlVersion()) { LiveControls().insert(this); }

zephListViewCtl::~zephListViewCtl() {
    LiveControls().erase(this);
    DestroyListView();
    if (host_) {
        ::SetWindowLongPtrW(host_, GWLP_USERDATA, 0);
        ::DestroyWindow(host_);
        host_ = nullptr;
    }
}

LRESULT CALLBACK zephListViewCtl::HostProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<zephListViewCtl*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    try {
        switch (msg) {
        case WM_NOTIFY:
            return self->OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_SIZE:
            self->FitList();
            if (self->Resize) self->Resize();
            return 0;
        case WM_SETFOCUS:
            self->PassFocus();
            return 0;
        case WM_DESTROY:
            // Destroyed with its container: the list goes first, letting its records go.
            self->OnHostDestroyed();
            break;
        case WM_NCDESTROY:
            self->host_ = nullptr;
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
        }
    } catch (...) {
        LogCaught(L"list view host window procedure");
        return 0;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

bool zephListViewCtl::Create(HWND parent, int x, int y, int width, int height, const PropertyBag& bag,
                             const UIFont* ambientFont) {
    if (host_) return false;
    RegisterControlClass(kHostClass, &HostProc, COLOR_WINDOW);
    d_.Read(bag);
    const auto stored = FontFromText(bag.Read<std::wstring>(L"Font", L""));
    font_ = stored ? *stored : ambientFont ? *ambientFont : UIFont{};

    const DWORD exStyle = BorderFor(d_.Appearance, d_.BorderStyle).controlSunken ? WS_EX_CLIENTEDGE : 0;
    host_ = ::CreateWindowExW(exStyle, kHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, x, y,
                              width, height, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!host_) return false;
    ::SetWindowLongPtrW(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    creating_ = true;
    if (CreateListView()) ApplyAll();
    creating_ = false;
    return list_ != nullptr;
}

bool zephListViewCtl::CreateListView() {
    DestroyListView();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(host_, GWL_EXSTYLE)) & ~WS_EX_CLIENTEDGE;
    RECT r{};
    ::GetClientRect(host_, &r);
    list_ = ::CreateWindowExW(exStyle, WC_LISTVIEWW, L"", CreationStyle(d_), 0, 0, r.right, r.bottom, host_, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    if (!list_) return false;
    redrawOff_ = false;
    const LRESULT spacing = Send(LVM_SETICONSPACING, 0, -1);
    defaultIconSpaceX_ = LOWORD(spacing);
    defaultIconSpaceY_ = HIWORD(spacing);
    if (TakesVersionMessage(version_)) Send(CCM_SETVERSION, static_cast<WPARAM>(version_.major));
    SetWindowProp(list_, kListViewObjectProp, reinterpret_cast<std::intptr_t>(this));
    AttachListMessages();
    return true;
}

void zephListViewCtl::DestroyListView() {
    if (list_) {
        // Each deletion notice lets its record go.
        Send(LVM_DELETEALLITEMS);
        GroupsClear();
        EndDragImage();
        RevokeDropTarget();
        DetachListMessages();
        RemoveWindowProp(list_, kListViewObjectProp);
        ::ShowWindow(list_, SW_HIDE);
        ::DestroyWindow(list_);
        list_ = nullptr;
    }
    // Whatever the list did not report is gone with it.
    records_.clear();
    itemKeys_.clear();
    columns_.clear();
    GroupsClear();
    groupsEnabled_ = false;
    workAreas_.clear();
    editing_ = false;
}

void zephListViewCtl::OnHostDestroyed() { DestroyListView(); }

void zephListViewCtl::FitList() {
    if (!list_ || !host_) return;
    RECT r{};
    ::GetClientRect(host_, &r);
    ::SetWindowPos(list_, nullptr, 0, 0, r.right, r.bottom, SWP_NOZORDER | SWP_NOOWNERZORDER);
}

void zephListViewCtl::WriteProperties(PropertyBag& bag) const {
    bag.Write<std::wstring>(L"Font", FontText(font_), FontText(UIFont{}));
    d_.Write(bag);
}

void zephListViewCtl::Move(int x, int y, int width, int height) {
    if (host_) ::MoveWindow(host_, x, y, width, height, TRUE);
}

HWND zephListViewCtl::hWndEdit() const { return reinterpret_cast<HWND>(Send(LVM_GETEDITCONTROL)); }

void zephListViewCtl::Changed(const wchar_t* name) {
    if (!creating_ && PropertyChanged) PropertyChanged(name);
}

LRESULT zephListViewCtl::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return list_ ? ::SendMessageW(list_, msg, wParam, lParam) : 0;
}

HWND zephListViewCtl::Header() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }

// ---- Styles ----

void zephListViewCtl::SetStyleBits(DWORD add, DWORD remove) {
    if (!list_) return;
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(list_, GWL_STYLE));
    ::SetWindowLongW(list_, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
    ::SetWindowPos(list_, nullptr, 0, 0, 0, 0, kRestyle);
}

void zephListViewCtl::SetExStyleBits(DWORD add, DWORD remove) {
    if (!list_) return;
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(list_, GWL_EXSTYLE));
    ::SetWindowLongW(list_, GWL_EXSTYLE, static_cast<LONG>((style & ~remove) | add));
    ::SetWindowPos(list_, nullptr, 0, 0, 0, 0, kRestyle);
}

void zephListViewCtl::SetListExStyleBits(DWORD add, DWORD remove) {
    if (!list_) return;
    const auto old = static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE));
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>((old & ~remove) | add));
}

void zephListViewCtl::SetHeaderFlag(DWORD bit, bool set) {
    if (HWND h = Header()) SetWindowStyleBit(h, set, static_cast<LONG>(bit));
}

void zephListViewCtl::ApplyBorder() {
    const ListBorder b = BorderFor(d_.Appearance, d_.BorderStyle);
    if (host_) {
        const DWORD ex = static_cast<DWORD>(::GetWindowLongW(host_, GWL_EXSTYLE));
        const DWORD want = b.controlSunken ? (ex | WS_EX_CLIENTEDGE) : (ex & ~WS_EX_CLIENTEDGE);
        if (want != ex) {
            ::SetWindowLongW(host_, GWL_EXSTYLE, static_cast<LONG>(want));
            ::SetWindowPos(host_, nullptr, 0, 0, 0, 0, kRestyle);
            FitList();
        }
    }
    SetStyleBits(b.styleAdd, b.styleRemove);
    SetExStyleBits(b.exStyleAdd, b.exStyleRemove);
}

void zephListViewCtl::ApplyFont() {
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), 1);
}

void zephListViewCtl::EnableWindows() {
    if (host_) ::EnableWindow(host_, d_.Enabled);
    if (list_) ::EnableWindow(list_, d_.Enabled);
}

// A colour that can't be translated is -1, which the list takes as none.
void zephListViewCtl::ApplyColours() {
    ApplyForeColor();
    ApplyBackColor();
}

// The text colour alone: the text background stays, transparent over a background picture.
void zephListViewCtl::ApplyForeColor() {
    if (!list_) return;
    Send(LVM_SETTEXTCOLOR, 0, TranslateColor(d_.ForeColor));
    ::InvalidateRect(list_, nullptr, TRUE);
}

void zephListViewCtl::ApplyBackColor() {
    if (!list_) return;
    const LPARAM back = d_.BackColor == 0xFFFFFFFF ? static_cast<LPARAM>(CLR_NONE) : TranslateColor(d_.BackColor);
    Send(LVM_SETBKCOLOR, 0, back);
    Send(LVM_SETTEXTBKCOLOR, 0, back);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void zephListViewCtl::ApplyView() {
    if (!list_) return;
    if (!HasViewMessage(version_)) {
        SetStyleBits(ViewStyle(0, d_.View), LVS_TYPEMASK & ~ViewStyle(0, d_.View));
        return;
    }
    Send(LVM_SETVIEW, static_cast<WPARAM>(d_.View));
    const HIMAGELIST tile = imageLists_[4];
    Send(LVM_SETIMAGELIST, LVSIL_NORMAL,
         reinterpret_cast<LPARAM>(tile && d_.View == 4 ? tile : imageLists_[0]));
}

void zephListViewCtl::ApplyBackgroundPicture() {
    if (!list_) return;
    LVBKIMAGEW image{};
    if (d_.BackgroundPicture.empty()) {
        // No picture: the one shown goes, and item texts get their background back.
        image.ulFlags = LVBKIF_SOURCE_NONE;
        Send(LVM_SETBKIMAGEW, 0, reinterpret_cast<LPARAM>(&image));
        ApplyColours();
        return;
    }
    std::wstring name = d_.BackgroundPicture;
    image.ulFlags = LVBKIF_SOURCE_URL | (d_.TileBackgroundPicture ? LVBKIF_STYLE_TILE : 0);
    image.pszImage = name.data();
    image.cchImageMax = static_cast<UINT>(name.size() + 1);
    image.xOffsetPercent = d_.BackgroundPictureXOffset;
    image.yOffsetPercent = d_.BackgroundPictureYOffset;
    Send(LVM_SETBKIMAGEW, 0, reinterpret_cast<LPARAM>(&image));
    // Item texts are drawn over the picture.
    Send(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
}

// Every property reaches the new list window, in the order in which they are stored.
void zephListViewCtl::ApplyAll() {
    ApplyFont();
    ApplyColours();
    ApplyView();
    SetStyleFlag(LVS_SINGLESEL, !d_.MultiSelect);
    SetStyleFlag(LVS_EDITLABELS, d_.LabelEdit);
    SetListExFlag(LVS_EX_GRIDLINES, d_.GridLines);
    SetListExFlag(LVS_EX_FULLROWSELECT, d_.FullRowSelect);
    SetStyleFlag(LVS_AUTOARRANGE, d_.AutoArrange);
    ApplyBackgroundPicture();
    ApplyBorder();
    SetListExFlag(LVS_EX_CHECKBOXES, d_.CheckBoxes);
    SetListExFlag(LVS_EX_TRACKSELECT, d_.TrackSelect);
    EnableWindows();
    SetListExFlag(LVS_EX_FLATSB, d_.FlatScrollBar);
    SetHeaderFlag(HDS_BUTTONS, d_.HeaderButtons);
    SetHeaderFlag(HDS_HOTTRACK, d_.HeaderTrackSelect);
    SetStyleFlag(LVS_SHOWSELALWAYS, !d_.HideSelection);
    SetListExFlag(LVS_EX_INFOTIP, d_.InfoTips);
    SetListExFlag(LVS_EX_LABELTIP, d_.LabelTips);
    SetStyleFlag(LVS_NOSCROLL, d_.NoScrollBar);
    SetListExFlag(LVS_EX_ONECLICKACTIVATE, d_.OneClickActivate);
    SetListExFlag(LVS_EX_BORDERSELECT, d_.ItemBorderSelect);
    SetListExFlag(LVS_EX_DOUBLEBUFFER, d_.DoubleBuffer);
    SetStyleFlag(LVS_NOCOLUMNHEADER, d_.NoColumnHeaders);
    SetListExFlag(LVS_EX_SUBITEMIMAGES, d_.SubItemImages);
    SetListExFlag(LVS_EX_HEADERDRAGDROP, d_.HeaderDragDrop);
    ApplyDropMode();
    // Icon spacing set before the list window existed.
    if (iconSpaceX_ >= 1 || iconSpaceY_ >= 1) ApplyIconSpacing();
}

// ---- Scale ----

std::pair<float, float> zephListViewCtl::PixelsToScale(double x, double y) const {
    const double tx = TwipsPerPixel(ScreenDpiX()), ty = TwipsPerPixel(ScreenDpiY());
    return {static_cast<float>(x * tx / TwipsPerScaleUnit(d_.ScaleMode, false, tx)),
            static_cast<float>(y * ty / TwipsPerScaleUnit(d_.ScaleMode, true, ty))};
}

std::pair<std::int32_t, std::int32_t> zephListViewCtl::ScaleToPixels(double x, double y) const {
    const double tx = TwipsPerPixel(ScreenDpiX()), ty = TwipsPerPixel(ScreenDpiY());
    return {ToLong(x * TwipsPerScaleUnit(d_.ScaleMode, false, tx) / tx).value_or(0),
            ToLong(y * TwipsPerScaleUnit(d_.ScaleMode, true, ty) / ty).value_or(0)};
}

float zephListViewCtl::ScaleWidth() const {
    RECT r{};
    if (host_) ::GetClientRect(host_, &r);
    return PixelsToScale(r.right, 0).first;
}

float zephListViewCtl::ScaleHeight() const {
    RECT r{};
    if (host_) ::GetClientRect(host_, &r);
    return PixelsToScale(0, r.bottom).second;
}

// ---- The rows as a whole ----

std::optional<cListItem> zephListViewCtl::HitTest(float x, float y) const {
    const auto [px, py] = ScaleToPixels(x, y);
    const std::int32_t index = HitTestIndex(px, py);
    return index > 0 ? ItemAt(index - 1) : std::nullopt;
}

std::optional<cListItem> zephListViewCtl::TopItem() const {
    return ItemAt(static_cast<std::int32_t>(Send(LVM_GETTOPINDEX)));
}

std::optional<cListItem> zephListViewCtl::SelectedItem() const {
    return ItemAt(static_cast<std::int32_t>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
}

std::int32_t zephListViewCtl::ListItemsPerPage() const { return static_cast<std::int32_t>(Send(LVM_GETCOUNTPERPAGE)); }

std::int32_t zephListViewCtl::OriginX() const {
    POINT p{};
    Send(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&p));
    return p.x;
}

std::int32_t zephListViewCtl::OriginY() const {
    POINT p{};
    Send(LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&p));
    return p.y;
}

void zephListViewCtl::Refresh() { Send(LVM_UPDATE, 0); }

}  // namespace kal
