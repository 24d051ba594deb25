#include "toolkit/tabstrip.h"

#include <windowsx.h>

#include "base/log.h"
#include "base/raii.h"
#include "toolkit/colour.h"
#include "toolkit/forms.h"

namespace kal {
namespace {

// How much lower the tabs behind the current one stand.
constexpr int kBehind = 2;

COLORREF Rgb(std::uint32_t oleColour) {
    const std::int32_t rgb = TranslateColor(oleColour);
    return rgb < 0 ? ::GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(rgb);
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    const UniqueGdiObject brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
}

}  // namespace

TabStrip::TabStrip(Form& form) : form_(form) {}

TabStrip::~TabStrip() {
    Detach();
    for (const auto& [colour, brush] : brushes_) ::DeleteObject(brush);
}

// The strip serves any form that follows its naming of the tab arrays (see the header): the
// names are the strip's contract with the form, not a form's own controls.
int TabStrip::Count() const { return static_cast<int>(form_.ControlArray(L"imgTab").size()); }

PictureBox* TabStrip::Tab(int index) const { return dynamic_cast<PictureBox*>(form_.Find(L"imgTab", index)); }
PictureBox* TabStrip::Page(int index) const {
    return dynamic_cast<PictureBox*>(form_.Find(L"pctTabContent", index));
}

void TabStrip::Watch(HWND window, UINT message) {
    if (!window) return;
    try {
        MSubclass::AttachMessage(this, window, message);
        attached_.emplace_back(window, message);
    } catch (...) {
        // Without it the tab only misses its highlight or its caption's colour.
        LogCaught(L"tab strip watching a tab");
    }
}

void TabStrip::Attach(int current, COLORREF edge) {
    Detach();
    current_ = current;
    hovered_ = -1;
    edge_ = edge;
    for (int i = 0; i < Count(); ++i) {
        PictureBox* tab = Tab(i);
        PictureBox* page = Page(i);
        if (!tab || !page) continue;
        tab->Click = [this, i] { Select(i); };
        tabs_[tab->Window()] = i;
        pages_[page->Window()] = i;
        for (UINT message : {WM_MOUSEMOVE, WM_CTLCOLORSTATIC, WM_ENABLE}) Watch(tab->Window(), message);
        Watch(page->Window(), WM_MOUSEMOVE);
        if (Control* caption = form_.Find(L"lblTab", i)) {
            HWND h = caption->Window();
            ::SetWindowLongW(h, GWL_STYLE, ::GetWindowLongW(h, GWL_STYLE) & ~SS_NOTIFY);
        }
        page->SetVisible(i == current_);
        PaintPage(i);
        Paint(i);
    }
}

void TabStrip::Detach() {
    for (const auto& [window, message] : attached_) MSubclass::DetachMessage(this, window, message);
    attached_.clear();
    tabs_.clear();
    pages_.clear();
}

void TabStrip::Select(int index) {
    ResetHover();
    if (index == current_ || index < 0 || index >= Count() || !Tab(index) || !Page(index)) return;
    const int previous = current_;
    Page(index)->SetVisible(true);
    if (PictureBox* old = Page(previous)) old->SetVisible(false);
    current_ = index;
    Paint(previous);
    Paint(index);
    if (Switched) Switched(previous, index);
}

void TabStrip::SetHover(int index) {
    if (index == hovered_) return;
    const int previous = hovered_;
    hovered_ = index;
    for (int i : {previous, index}) {
        if (i < 0) continue;
        Paint(i);
        if (HighlightChanged) HighlightChanged(i);
    }
}

void TabStrip::ResetHover() { SetHover(-1); }

void TabStrip::MouseOverTab(int index, int x, int y) {
    PictureBox* tab = Tab(index);
    if (!tab || index == current_ || !tab->Enabled()) return;
    RECT r{};
    ::GetClientRect(tab->Window(), &r);
    if (x >= 0 && x < r.right && y >= 0 && y < r.bottom) SetHover(index);
    else ResetHover();
}

COLORREF TabStrip::TabFill(int index) const {
    if (index == current_) {
        const PictureBox* page = Page(index);
        return page ? page->BackColor() : ::GetSysColor(COLOR_BTNFACE);
    }
    return Rgb(Highlight(index));
}

void TabStrip::Paint(int index) {
    PictureBox* tab = Tab(index);
    if (!tab || !tab->Window()) return;
    RECT r{};
    ::GetClientRect(tab->Window(), &r);
    // Behind the current tab: lower, the window's colour above it.
    const int top = index == current_ ? 0 : kBehind;
    tab->SetBackColor(::GetSysColor(COLOR_BTNFACE));
    HDC dc = tab->hDC();
    Fill(dc, RECT{0, top, r.right, r.bottom}, TabFill(index));
    // Top and sides; the bottom is the page's edge, open under the current tab.
    Fill(dc, RECT{0, top, r.right, top + 1}, edge_);
    Fill(dc, RECT{0, top, 1, r.bottom}, edge_);
    Fill(dc, RECT{r.right - 1, top, r.right, r.bottom}, edge_);
    tab->Refresh();
    if (Control* caption = form_.Find(L"lblTab", index)) ::InvalidateRect(caption->Window(), nullptr, TRUE);
}

void TabStrip::PaintPage(int index) {
    PictureBox* page = Page(index);
    PictureBox* tab = Tab(index);
    if (!page || !page->Window()) return;
    RECT r{};
    ::GetClientRect(page->Window(), &r);
    HDC dc = page->hDC();
    Fill(dc, RECT{0, 0, 1, r.bottom}, edge_);
    Fill(dc, RECT{r.right - 1, 0, r.right, r.bottom}, edge_);
    Fill(dc, RECT{0, r.bottom - 1, r.right, r.bottom}, edge_);
    // The top edge, open between the sides of its tab.
    LONG openLeft = r.right, openRight = r.right;
    if (tab && tab->Window()) {
        RECT t{};
        ::GetClientRect(tab->Window(), &t);
        ::MapWindowPoints(tab->Window(), page->Window(), reinterpret_cast<POINT*>(&t), 2);
        openLeft = t.left + 1;
        openRight = t.right - 1;
    }
    Fill(dc, RECT{0, 0, openLeft, 1}, edge_);
    Fill(dc, RECT{openRight, 0, r.right, 1}, edge_);
    page->Refresh();
}

HBRUSH TabStrip::BrushFor(COLORREF colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second;
    HBRUSH brush = ::CreateSolidBrush(colour);
    brushes_[colour] = brush;
    return brush;
}

LRESULT TabStrip::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    try {
        const auto tab = tabs_.find(hWnd);
        switch (iMsg) {
        case WM_MOUSEMOVE:
            if (tab != tabs_.end()) MouseOverTab(tab->second, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            else if (pages_.count(hWnd)) ResetHover();
            break;
        case WM_CTLCOLORSTATIC:
            // The caption on its tab's colour, grey while the tab is disabled.
            if (tab != tabs_.end()) {
                const COLORREF fill = TabFill(tab->second);
                HDC dc = reinterpret_cast<HDC>(wParam);
                ::SetBkColor(dc, fill);
                ::SetTextColor(dc, ::GetSysColor(::IsWindowEnabled(hWnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
                return reinterpret_cast<LRESULT>(BrushFor(fill));
            }
            break;
        case WM_ENABLE: {
            const LRESULT result = MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
            if (tab != tabs_.end()) {
                if (!wParam && tab->second == hovered_) ResetHover();
                Paint(tab->second);
            }
            return result;
        }
        default: break;
        }
    } catch (...) {
        LogCaught(L"tab strip window procedure");
    }
    return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
}

}  // namespace kal
