#include "editor/hooks.h"

#include <windowsx.h>

#include "base/log.h"
#include "editor/portable/profilename.h"

namespace kal {

frmProfile::Hooks::~Hooks() {
    for (const auto& [window, message] : attached_) MSubclass::DetachMessage(this, window, message);
    for (const auto& [colour, brush] : brushes_) ::DeleteObject(brush);
}

void frmProfile::Hooks::Watch(HWND window, Kind kind, int index, std::initializer_list<UINT> messages) {
    if (!window) return;
    targets_[window] = {kind, index};
    for (UINT message : messages) {
        MSubclass::AttachMessage(this, window, message);
        attached_.emplace_back(window, message);
    }
}

void frmProfile::Hooks::Tint(HWND control, COLORREF colour) {
    if (!control) return;
    HWND container = ::GetParent(control);
    if (!targets_.count(container)) Watch(container, Kind::Tinted, -1, {WM_CTLCOLORSTATIC, WM_CTLCOLORBTN});
    tints_[control] = colour;
    ::InvalidateRect(control, nullptr, TRUE);
}

HBRUSH frmProfile::Hooks::BrushFor(COLORREF colour) {
    auto it = brushes_.find(colour);
    if (it != brushes_.end()) return it->second;
    HBRUSH brush = ::CreateSolidBrush(colour);
    brushes_[colour] = brush;
    return brush;
}

LRESULT frmProfile::Hooks::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    try {
        const auto it = targets_.find(hWnd);
        if (it == targets_.end()) return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
        const Target target = it->second;
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        switch (iMsg) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const auto tint = tints_.find(reinterpret_cast<HWND>(lParam));
            if (tint == tints_.end()) break;
            ::SetBkColor(reinterpret_cast<HDC>(wParam), tint->second);
            return reinterpret_cast<LRESULT>(BrushFor(tint->second));
        }
        case WM_MOUSEMOVE:
            if (target.kind == Kind::Speaker) form_.VSSSpeaker_MouseMove(target.index, x, y);
            break;
        case WM_LBUTTONDOWN:
            if (target.kind == Kind::Speaker) {
                ::SetFocus(hWnd);
                ::SetCapture(hWnd);
                form_.VSSSpeaker_MouseDown(target.index, x, y);
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (target.kind == Kind::Speaker) {
                if (::GetCapture() == hWnd) ::ReleaseCapture();
                form_.VSSSpeaker_MouseUp(target.index);
                return 0;
            }
            break;
        case WM_SETCURSOR:
            // The hand set while the pointer is over a speaker stays.
            if (target.kind == Kind::Speaker) return TRUE;
            break;
        case WM_KILLFOCUS:
            if (target.kind == Kind::Speaker) form_.VSSSpeaker_LostFocus(target.index);
            break;
        case WM_SETFOCUS:
            if (target.kind == Kind::NameBox) {
                const LRESULT r = MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
                ::SendMessageW(hWnd, EM_SETSEL, 0, ::GetWindowTextLengthW(hWnd));
                return r;
            }
            if (target.kind == Kind::EffectBox) {
                const LRESULT r = MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
                form_.EffectBox_GotFocus(target.index);
                return r;
            }
            break;
        case WM_CHAR:
            if (target.kind == Kind::NameBox && IsForbiddenNameChar(static_cast<wchar_t>(wParam))) {
                ::MessageBeep(MB_OK);
                return 0;
            }
            break;
        default: break;
        }
        return MSubclass::CallOldWindowProc(hWnd, iMsg, wParam, lParam);
    } catch (...) {
        LogCaught(L"frmProfile hooks window procedure");
        return 0;
    }
}

}  // namespace kal
