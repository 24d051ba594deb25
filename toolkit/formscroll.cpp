// A form's window on a screen too short for it: as tall as the work area, with a vertical
// scroll bar over its content, moved by the bar, the wheel and the keyboard's focus.
#include <algorithm>

#include "toolkit/forms.h"
#include "toolkit/utility.h"

namespace kal {
namespace {

int ClientHeight(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return client.bottom;
}

// A line of the scroll bar's arrows: 20 pixels at 96 dots per inch.
int LinePixels() { return TwipsToPixelsY(300); }

}  // namespace

void Form::SetContentHeight(int twips) {
    if (!hwnd_) return;
    contentHeight_ = TwipsToPixelsY(twips);
    FitToWorkArea();
}

void Form::FitToWorkArea() {
    if (!hwnd_ || (layout_.style & WS_CHILD)) return;
    RECT outer{};
    ::GetWindowRect(hwnd_, &outer);
    const RECT work = WorkAreaOf(hwnd_);
    const int frame = (outer.bottom - outer.top) - ClientHeight(hwnd_);
    const int workHeight = work.bottom - work.top;
    const bool scrolls = frame + contentHeight_ > workHeight;
    const LONG style = ::GetWindowLongW(hwnd_, GWL_STYLE);
    const bool hadBar = (style & WS_VSCROLL) != 0;
    // Content that fits again shows from its top before the bar goes.
    if (!scrolls) ScrollTo(0);
    int width = outer.right - outer.left;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (scrolls != hadBar) {
        // The bar takes its width beside the client area, which keeps the design's width.
        ::SetWindowLongW(hwnd_, GWL_STYLE, scrolls ? style | WS_VSCROLL : style & ~WS_VSCROLL);
        width += (scrolls ? 1 : -1) * ::GetSystemMetrics(SM_CXVSCROLL);
        flags |= SWP_FRAMECHANGED;
    }
    const int height = scrolls ? workHeight : frame + contentHeight_;
    // Only a window that scrolls is placed: on the work area from its top edge.
    const int top = scrolls ? work.top : outer.top;
    ::SetWindowPos(hwnd_, nullptr, outer.left, top, width, height, flags);
    if (!scrolls) return;
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    bar.nMax = contentHeight_ - 1;
    bar.nPage = static_cast<UINT>(ClientHeight(hwnd_));
    bar.nPos = scrollTop_;
    ::SetScrollInfo(hwnd_, SB_VERT, &bar, TRUE);
    // Within the range of content that shrank.
    ScrollTo(scrollTop_);
}

void Form::ScrollTo(int top) {
    if (!hwnd_) return;
    top = std::clamp(top, 0, std::max(0, contentHeight_ - ClientHeight(hwnd_)));
    if (top == scrollTop_) return;
    const int moved = scrollTop_ - top;
    scrollTop_ = top;
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_POS;
    bar.nPos = top;
    ::SetScrollInfo(hwnd_, SB_VERT, &bar, TRUE);
    ::ScrollWindowEx(hwnd_, 0, moved, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void Form::ScrollIntoView(HWND window) {
    if (!hwnd_ || !window || !::IsChild(hwnd_, window) || !(::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VSCROLL)) return;
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const int height = ClientHeight(hwnd_);
    if (r.top < 0)
        ScrollTo(scrollTop_ + r.top);
    else if (r.bottom > height)
        ScrollTo(scrollTop_ + std::min(r.bottom - height, r.top));
}

bool Form::Scroll(UINT msg, WPARAM wParam) {
    if (!(::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VSCROLL)) return false;
    const int page = ClientHeight(hwnd_);
    if (msg == WM_MOUSEWHEEL) {
        // The user's lines per notch; a notch turns a page where the setting says so.
        UINT lines = 3;
        ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        const int notch = lines == WHEEL_PAGESCROLL ? page : static_cast<int>(lines) * LinePixels();
        ScrollTo(scrollTop_ - GET_WHEEL_DELTA_WPARAM(wParam) * notch / WHEEL_DELTA);
        return true;
    }
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_TRACKPOS;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: ScrollTo(scrollTop_ - LinePixels()); break;
    case SB_LINEDOWN: ScrollTo(scrollTop_ + LinePixels()); break;
    case SB_PAGEUP: ScrollTo(scrollTop_ - page); break;
    case SB_PAGEDOWN: ScrollTo(scrollTop_ + page); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(contentHeight_); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        if (::GetScrollInfo(hwnd_, SB_VERT, &bar)) ScrollTo(bar.nTrackPos);
        break;
    default: break;
    }
    return true;
}

namespace {

// Whether the wheel turned over `over` belongs to the focused control: `over` is that control or
// holds it (an editable list's edit part), or is a part of it (a list's header). A container
// with the focus keeps no wheel from the controls inside it.
bool FocusedControlKeepsWheel(HWND over, HWND focus) {
    if (!focus) return false;
    if (over == focus || ::IsChild(over, focus)) return true;
    return ::IsChild(focus, over) && !(::GetWindowLongW(focus, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
}

}  // namespace

bool FormDialogMessage(MSG& msg) {
    HWND top = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    const auto formOf = [top] {
        const std::vector<Form*> forms = LoadedForms();
        const auto it = std::find_if(forms.begin(), forms.end(), [top](Form* f) { return f->hWnd() == top; });
        return it == forms.end() ? nullptr : *it;
    };
    Form* const form = top ? formOf() : nullptr;
    if (!form) return false;
    const HWND focus = ::GetFocus();
    // The system gives the wheel to the window under the pointer: a list or a slider that the
    // user has not picked would change its value on the way down a window that scrolls.
    if (msg.message == WM_MOUSEWHEEL && msg.hwnd != top && !FocusedControlKeepsWheel(msg.hwnd, focus) &&
        form->Scroll(WM_MOUSEWHEEL, msg.wParam))
        return true;
    if (!::IsDialogMessageW(top, &msg)) return false;
    // Only a key that moved the focus scrolls (the dialog manager takes the mouse's messages
    // too), and only while the form is loaded: the key may have closed it (a mnemonic of its
    // Cancel button).
    const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    if (Form* loaded = formOf(); loaded && key && ::GetFocus() != focus) loaded->ScrollIntoView(::GetFocus());
    return true;
}

}  // namespace kal
