#include "toolkit/tooltip.h"

#include <commctrl.h>

#include <vector>

namespace kal {
namespace {

// The record without the reserved field of newer versions, as every version accepts it.
TTTOOLINFOW ToolRecord() {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    return info;
}

}  // namespace

clsToolTip::~clsToolTip() {
    if (tip_) ::DestroyWindow(tip_);
}

LRESULT clsToolTip::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return tip_ ? ::SendMessageW(tip_, msg, wParam, lParam) : 0;
}

bool clsToolTip::Create(HWND owner) {
    if (!tip_) {
        ::InitCommonControls();
        tip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0, owner, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
        if (tip_) ::SetWindowPos(tip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    return tip_ != nullptr;
}

std::wstring clsToolTip::WithHeader(const std::wstring& text) const {
    if (headerShow_ && !header_.empty() && !text.empty()) return header_ + L"\r\n" + text;
    return text;
}

void clsToolTip::NoteLength(const std::wstring& text) {
    if (text.size() + 1 > longest_) longest_ = text.size() + 1;
}

bool clsToolTip::FindTool(HWND control, TTTOOLINFOW& info) {
    for (int i = 0; i < ToolCount();) {
        info = ToolRecord();
        if (!Send(TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info))) return false;
        const HWND tool = reinterpret_cast<HWND>(info.uId);
        if ((info.uFlags & TTF_IDISHWND) && !::IsWindow(tool)) {
            // Its control is gone; a recycled handle must not find it.
            Send(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
            continue;
        }
        if (tool == control) return true;
        ++i;
    }
    return false;
}

bool clsToolTip::AddTool(HWND control, const std::wstring& text) {
    if (!control || !tip_ || !::IsWindow(control)) return false;
    TTTOOLINFOW found;
    if (FindTool(control, found)) return false;
    std::wstring tipText = WithHeader(text);
    TTTOOLINFOW info = ToolRecord();
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = ::GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = tipText.empty() ? nullptr : tipText.data();
    NoteLength(tipText);
    return Send(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

bool clsToolTip::RemoveTool(HWND control) {
    TTTOOLINFOW info;
    if (!tip_ || !FindTool(control, info)) return false;
    Send(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return true;
}

bool clsToolTip::HasToolTip(HWND control) {
    TTTOOLINFOW info;
    return tip_ && FindTool(control, info);
}

int clsToolTip::ToolCount() const { return static_cast<int>(Send(TTM_GETTOOLCOUNT)); }

std::wstring clsToolTip::ToolText(HWND control) {
    TTTOOLINFOW info;
    if (!tip_ || !FindTool(control, info)) return L"";
    // The buffer holds the longest text ever given, so no tool's text can overrun it.
    std::vector<wchar_t> buffer(longest_ + 1, L'\0');
    info.lpszText = buffer.data();
    Send(TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    if (info.lpszText != buffer.data()) return L"";  // a callback or resource text
    buffer.back() = L'\0';
    return buffer.data();
}

void clsToolTip::SetToolText(HWND control, const std::wstring& text) {
    if (!tip_) return;
    if (text.empty()) {
        RemoveTool(control);
        return;
    }
    std::wstring tipText = WithHeader(text);
    TTTOOLINFOW info;
    if (!FindTool(control, info)) return;
    info.lpszText = tipText.data();
    NoteLength(tipText);
    Send(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

COLORREF clsToolTip::BackColor() const { return static_cast<COLORREF>(Send(TTM_GETTIPBKCOLOR)); }
void clsToolTip::SetBackColor(COLORREF colour) { Send(TTM_SETTIPBKCOLOR, colour); }
COLORREF clsToolTip::ForeColor() const { return static_cast<COLORREF>(Send(TTM_GETTIPTEXTCOLOR)); }
void clsToolTip::SetForeColor(COLORREF colour) { Send(TTM_SETTIPTEXTCOLOR, colour); }

int clsToolTip::DelayTime(int which) const { return static_cast<int>(Send(TTM_GETDELAYTIME, which & 3)); }
void clsToolTip::SetDelayTime(int which, int milliseconds) {
    Send(TTM_SETDELAYTIME, which & 3, milliseconds);
}

int clsToolTip::Margin(int side) const {
    if (!tip_) return 0;
    RECT r{};
    Send(TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&r));
    switch (side) {
    case 0: return r.left;
    case 1: return r.top;
    case 2: return r.right;
    case 3: return r.bottom;
    default: return 0;
    }
}

void clsToolTip::SetMargin(int side, int value) {
    if (!tip_) return;
    RECT r{};
    Send(TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&r));
    switch (side) {
    case 0: r.left = value; break;
    case 1: r.top = value; break;
    case 2: r.right = value; break;
    case 3: r.bottom = value; break;
    default: break;
    }
    Send(TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&r));
}

int clsToolTip::MaxTipWidth() const { return static_cast<int>(Send(TTM_GETMAXTIPWIDTH) & 0xFFFF); }
void clsToolTip::SetMaxTipWidth(int width) { Send(TTM_SETMAXTIPWIDTH, 0, width < 1 ? -1 : width); }

void clsToolTip::SetToolTipHeader(const std::wstring& header) {
    header_ = header;
    headerShow_ = true;
}

}  // namespace kal
