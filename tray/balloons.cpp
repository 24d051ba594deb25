#include "tray/balloons.h"

#include <cstddef>
#include <cwchar>

#include "base/log.h"
#include "tray/portable/trayrules.h"

namespace kal {

UINT gTaskbarCreatedMsg = 0;
int gBalloonAction = kBalloonActionNone;

namespace {

static_assert(sizeof(void*) != 4 || kTrayRecordSize == 952, "the 32-bit record up to guidItem");

NOTIFYICONDATAW gTrayIconData{};
HWND gTrayWnd = nullptr;
UINT gTrayIconId = 0;
HICON gTrayIcon = nullptr;
// An add was sent and the icon not removed since. A busy shell may report a time-out for an icon
// it did add, so changes are sent whatever the add returned.
bool gTrayAdded = false;

ITrayEvents* gTrayForm = nullptr;
bool gTrayHooked = false;

ShellNotifyObserver& Observer() {
    static auto* observer = new ShellNotifyObserver;
    return *observer;
}

void CopyField(wchar_t* field, std::size_t chars, const std::wstring& text) {
    const std::wstring fitted = FitField(text, chars);
    std::wmemset(field, L'\0', chars);
    std::wmemcpy(field, fitted.data(), fitted.size());
}

BOOL Notify(DWORD message, NOTIFYICONDATAW& data) {
    const BOOL result = ::Shell_NotifyIconW(message, &data);
    if (const auto& observer = Observer()) {
        try {
            observer(message, data, result);
        } catch (...) {
            LogCaught(L"shell notify observer");
        }
    }
    return result;
}

NOTIFYICONDATAW FreshRecord(UINT flags) {
    NOTIFYICONDATAW data{};
    data.cbSize = kTrayRecordSize;
    data.hWnd = gTrayWnd;
    data.uID = gTrayIconId;
    data.uFlags = flags;
    return data;
}

}  // namespace

bool AddTrayIcon(UINT id, HICON icon, const std::wstring& tip) {
    gTrayIconId = id;
    gTrayIcon = icon;
    gTrayIconData = NOTIFYICONDATAW{};
    gTrayIconData.cbSize = kTrayRecordSize;
    gTrayIconData.hWnd = gTrayWnd;
    gTrayIconData.uID = id;
    gTrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    gTrayIconData.uCallbackMessage = kTrayCallbackMessage;
    gTrayIconData.hIcon = icon;
    CopyField(gTrayIconData.szTip, kTrayTipChars, tip);
    const bool added = Notify(NIM_ADD, gTrayIconData) != FALSE;
    gTrayAdded = true;
    // What the shell shows after a failed add is unknown: the next tip is sent whatever it is.
    if (!added) std::wmemset(gTrayIconData.szTip, L'\0', kTrayTipChars);
    return added;
}

bool SetTrayIcon(HICON icon, const std::wstring* tip) {
    if (!gTrayAdded) return false;  // no icon to change
    gTrayIcon = icon;
    NOTIFYICONDATAW data = FreshRecord(NIF_ICON);
    data.hIcon = icon;
    if (tip) {
        CopyField(data.szTip, kTrayTipChars, *tip);
        if (std::wmemcmp(data.szTip, gTrayIconData.szTip, kTrayTipChars) != 0) data.uFlags |= NIF_TIP;
    }
    const bool changed = Notify(NIM_MODIFY, data) != FALSE;
    if (changed && (data.uFlags & NIF_TIP)) std::wmemcpy(gTrayIconData.szTip, data.szTip, kTrayTipChars);
    return changed;
}

void SetTrayTip(const std::wstring& text) {
    if (!gTrayAdded) return;  // no icon to change
    NOTIFYICONDATAW data = FreshRecord(NIF_TIP);
    CopyField(data.szTip, kTrayTipChars, text);
    // The shell shows this text already.
    if (std::wmemcmp(data.szTip, gTrayIconData.szTip, kTrayTipChars) == 0) return;
    // Kept only once the shell has it: a failed change is sent again at the next one.
    if (Notify(NIM_MODIFY, data)) std::wmemcpy(gTrayIconData.szTip, data.szTip, kTrayTipChars);
}

void ShowBalloon(const std::wstring& title, const std::wstring& text, std::uint32_t style) {
    NOTIFYICONDATAW data = FreshRecord(NIF_INFO);
    CopyField(data.szInfoTitle, kBalloonTitleChars, title);
    CopyField(data.szInfo, kBalloonTextChars, text);
    data.uTimeout = 0;
    data.dwInfoFlags = style;
    Notify(NIM_MODIFY, data);
}

void RemoveTrayIcon() {
    if (!gTrayIconData.hWnd) return;
    Notify(NIM_DELETE, gTrayIconData);
    gTrayIconData = NOTIFYICONDATAW{};
    gTrayIcon = nullptr;
    gTrayAdded = false;
}

bool TrayIconAdded() { return gTrayAdded; }

void HookTrayWindow(HWND window, ITrayEvents* events) {
    if (gTrayHooked || !window) return;
    gTrayForm = events;
    gTrayWnd = window;
    gTrayHooked = true;
}

void UnhookTrayWindow() {
    gTrayForm = nullptr;
    gTrayHooked = false;
}

bool TrayWindowHooked() { return gTrayHooked; }

bool TrayWindowProc(HWND hWnd, UINT msg, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result) {
    ITrayEvents* form = gTrayForm;
    if (!form || hWnd != gTrayWnd) return false;
    if (msg == kTrayCallbackMessage) {
        void (ITrayEvents::*handler)() = nullptr;
        switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONUP: handler = &ITrayEvents::SysTrayLClickEventHandler; break;
        case WM_RBUTTONUP: handler = &ITrayEvents::SysTrayRClickEventHandler; break;
        case WM_LBUTTONDBLCLK: handler = &ITrayEvents::SysTrayDblClickEventHandler; break;
        case NIN_BALLOONUSERCLICK: handler = &ITrayEvents::SysTrayBalloonClickEventHandler; break;
        default: return false;
        }
        try {
            (form->*handler)();
        } catch (...) {
            LogCaught(L"TrayWindowProc");
        }
        result = 0;
        return true;
    }
    // The shell restarted: every program adds its icon again. Handled whenever the icon is in
    // use, whatever state the card is in, since the icon is the only way to the program.
    if (gTaskbarCreatedMsg != 0 && msg == gTaskbarCreatedMsg) {
        try {
            form->TaskbarCreated();
        } catch (...) {
            LogCaught(L"TrayWindowProc");
        }
        result = 0;
        return true;
    }
    return false;
}

void SetShellNotifyObserver(ShellNotifyObserver observer) { Observer() = std::move(observer); }

}  // namespace kal
