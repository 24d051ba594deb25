#include "toolkit/slider.h"

#include <commctrl.h>

#include <cmath>

#include "base/log.h"
#include "toolkit/utility.h"

namespace kal {
namespace {

constexpr wchar_t kHostClass[] = L"KalvenorSlider";

}  // namespace

cSlider::~cSlider() {
    if (attached_) {
        MSubclass::DetachMessage(this, host_, WM_NOTIFY);
        MSubclass::DetachMessage(this, trackbar_, WM_MOUSEWHEEL);
        MSubclass::DetachMessage(this, host_, WM_HSCROLL);
        MSubclass::DetachMessage(this, host_, WM_VSCROLL);
        MSubclass::DetachMessage(this, host_, WM_CTLCOLORSTATIC);
        attached_ = false;
    }
    DestroyTrackbar();
    if (host_) {
        ::SetWindowLongPtrW(host_, GWLP_USERDATA, 0);
        ::DestroyWindow(host_);
    }
}

LRESULT CALLBACK cSlider::HostProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<cSlider*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self) {
        if (msg == WM_SIZE) {
            self->Resize();
            return 0;
        }
        if (msg == WM_NCDESTROY) {
            // Destroyed with its parent: the trackbar went with it, and so did the attachments.
            self->host_ = nullptr;
            self->trackbar_ = nullptr;
            self->attached_ = false;
        }
        if (msg == WM_SETFOCUS && self->trackbar_) {
            ::SetFocus(self->trackbar_);
            return 0;
        }
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

bool cSlider::Create(HWND parent, int x, int y, int width, int height, const PropertyBag& bag) {
    if (host_) return false;
    RegisterControlClass(kHostClass, &HostProc, COLOR_BTNFACE);
    host_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                              x, y, width, height, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!host_) return false;
    ::SetWindowLongPtrW(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    SetBackColor(bag.Read<std::uint32_t>(L"BackColor", kSysButtonFace));
    orientation_ = bag.Read<std::int32_t>(L"Orientation", Horizontal);
    tooltip_ = bag.Read<bool>(L"Tooltip", true);
    wheelIncrement_ = bag.Read<std::int16_t>(L"WheelIncrement", 1);
    CreateTrackbar();
    SetEnabled(bag.Read<bool>(L"Enabled", true));
    SetHideFocusRectangle(bag.Read<bool>(L"HideFocusRectangle", false));
    SetMin(bag.Read<std::int32_t>(L"Min", 1));
    SetMax(bag.Read<std::int32_t>(L"Max", 100));
    SetValue(bag.Read<std::int32_t>(L"Value", 1));
    return trackbar_ != nullptr;
}

void cSlider::WriteProperties(PropertyBag& bag) const {
    bag.Write<std::uint32_t>(L"BackColor", backColor_, kSysButtonFace);
    bag.Write<std::int32_t>(L"Orientation", orientation_, Horizontal);
    bag.Write<bool>(L"Enabled", enabled_, true);
    bag.Write<bool>(L"HideFocusRectangle", hideFocus_, false);
    bag.Write<std::int32_t>(L"Min", min_, 1);
    bag.Write<std::int32_t>(L"Max", max_, 100);
    bag.Write<bool>(L"Tooltip", tooltip_, true);
    bag.Write<std::int16_t>(L"WheelIncrement", wheelIncrement_, 1);
    bag.Write<std::int32_t>(L"Value", Value(), 1);
}

void cSlider::CreateTrackbar() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS;
    if (tooltip_) style |= TBS_TOOLTIPS;
    if (orientation_ != Horizontal) style |= TBS_VERT;
    trackbar_ = ::CreateWindowExW(0, TRACKBAR_CLASSW, L"", style, 0, 0, 0, 0, host_, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (!trackbar_) return;
    ::SendMessageW(trackbar_, TBM_SETTICFREQ, 10, 0);
    // The trackbar starts at 0..100; give it the slider's own range at once, so a slider left
    // at its default range can't be moved below its minimum.
    SetRange(min_, max_);
    Resize();
    ::ShowWindow(trackbar_, SW_SHOWNORMAL);

    MSubclass::AttachMessage(this, host_, WM_NOTIFY);
    MSubclass::AttachMessage(this, trackbar_, WM_MOUSEWHEEL);
    MSubclass::AttachMessage(this, host_, WM_HSCROLL);
    MSubclass::AttachMessage(this, host_, WM_VSCROLL);
    MSubclass::AttachMessage(this, host_, WM_CTLCOLORSTATIC);
    attached_ = true;
}

void cSlider::DestroyTrackbar() {
    if (brush_) {
        ::DeleteObject(brush_);
        brush_ = nullptr;
    }
    if (!trackbar_) return;
    ::ShowWindow(trackbar_, SW_HIDE);
    ::DestroyWindow(trackbar_);
    trackbar_ = nullptr;
}

void cSlider::Resize() {
    if (!trackbar_ || !host_) return;
    RECT r{};
    ::GetClientRect(host_, &r);
    ::MoveWindow(trackbar_, 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
}

void cSlider::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (trackbar_) ::EnableWindow(trackbar_, enabled);
    if (host_) ::EnableWindow(host_, enabled);
}

void cSlider::SetBackColor(std::uint32_t oleColour) {
    backColor_ = oleColour;
    if (brush_) ::DeleteObject(brush_);
    const std::int32_t rgb = TranslateColor(oleColour);
    brush_ = rgb == -1 ? nullptr : ::CreateSolidBrush(static_cast<COLORREF>(rgb));
}

void cSlider::SetHideFocusRectangle(bool hide) {
    hideFocus_ = hide;
    if (trackbar_)
        ::SendMessageW(trackbar_, WM_CHANGEUISTATE, MAKEWPARAM(hide ? UIS_SET : UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void cSlider::SetMin(std::int32_t value) {
    if (value == min_) return;
    min_ = value;
    if (max_ < min_) max_ = min_ + 1;
    SetRange(min_, max_);
}

void cSlider::SetMax(std::int32_t value) {
    if (value == max_) return;
    max_ = value;
    if (min_ > max_) min_ = max_ - 1;
    SetRange(min_, max_);
}

void cSlider::SetRange(std::int32_t min, std::int32_t max) {
    if (!trackbar_) return;
    ::SendMessageW(trackbar_, TBM_SETRANGEMIN, TRUE, min);
    ::SendMessageW(trackbar_, TBM_SETRANGEMAX, TRUE, max);
}

std::int32_t cSlider::ValueFromPosition(std::int32_t x) const {
    return orientation_ == VerticalInverted ? max_ + min_ - x : x;
}

std::int32_t cSlider::Value() const {
    const std::int32_t pos =
        trackbar_ ? static_cast<std::int32_t>(::SendMessageW(trackbar_, TBM_GETPOS, 0, 0)) : position_;
    return ValueFromPosition(pos);
}

void cSlider::SetValue(std::int32_t value) {
    if (value == Value()) return;
    position_ = ValueFromPosition(value);
    if (!trackbar_) return;
    ::SendMessageW(trackbar_, TBM_SETPOS, TRUE, position_);
    RaiseChange(value);
}

void cSlider::RaiseChange(std::int32_t value) {
    if (Change) Change(value);
}

LRESULT cSlider::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (iMsg) {
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            if (hdr->code == TTN_GETDISPINFOW) {
                if (tooltip_) {
                    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                    const std::wstring text = std::to_wstring(Value());
                    lstrcpynW(info->szText, text.c_str(), ARRAYSIZE(info->szText));
                    info->lpszText = info->szText;
                }
                return 0;
            }
            if (hdr->code == TTN_GETDISPINFOA) {
                if (tooltip_) {
                    auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
                    const std::string text = std::to_string(Value());
                    lstrcpynA(info->szText, text.c_str(), ARRAYSIZE(info->szText));
                    info->lpszText = info->szText;
                }
                return 0;
            }
            return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
            RaiseChange(Value());
            return 0;
        case WM_CTLCOLORSTATIC:
            if (brush_) return reinterpret_cast<LRESULT>(brush_);
            return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
        case WM_MOUSEWHEEL: {
            const double notches = static_cast<std::int32_t>(wParam) / 65536.0 / 120.0;
            double v = std::nearbyint(Value() + notches * wheelIncrement_);
            if (v < min_) v = min_;
            if (v > max_) v = max_;
            SetValue(static_cast<std::int32_t>(v));
            return 0;
        }
        default:
            return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
        }
    } catch (...) {
        LogCaught(L"slider window procedure");
        return 0;
    }
}

}  // namespace kal
