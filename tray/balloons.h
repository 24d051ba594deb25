// The notification-area icon: adding, changing and removing it, its tip and its balloons, and
// the part of the owning window's handler that turns the icon's callback messages into calls of
// the tray form's handlers. One icon per process, owned by the main form's window.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kal {

// The icon's callback message (WM_USER + 255); lParam carries the mouse or balloon event.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 255;
// The record size the shell is given: up to and including guidItem (Windows XP's layout; 952
// bytes in a 32-bit program).
inline constexpr DWORD kTrayRecordSize = offsetof(NOTIFYICONDATAW, hBalloonIcon);

// "TaskbarCreated", registered while the icon is in use (0 otherwise).
extern UINT gTaskbarCreatedMsg;
// Balloon styles.
inline constexpr std::uint32_t kBalloonInfo = 1;
inline constexpr std::uint32_t kBalloonWarning = 2;
inline constexpr std::uint32_t kBalloonError = 3;

// What a click on the last balloon does (gBalloonAction): nothing, open the driver download page,
// open the changelog.
inline constexpr int kBalloonActionNone = 0;
inline constexpr int kBalloonActionDriverPage = 4;
inline constexpr int kBalloonActionChangelog = 5;
extern int gBalloonAction;

// The tray form's side: the handlers the icon's events reach.
class ITrayEvents {
public:
    virtual void SysTrayLClickEventHandler() = 0;
    virtual void SysTrayRClickEventHandler() = 0;
    virtual void SysTrayDblClickEventHandler() = 0;
    virtual void SysTrayBalloonClickEventHandler() = 0;
    // The shell restarted: the icon must be added again.
    virtual void TaskbarCreated() = 0;

protected:
    ~ITrayEvents() = default;
};

// Adds the icon (id, picture, tip); true when the shell took it.
bool AddTrayIcon(UINT id, HICON icon, const std::wstring& tip);
// Change the picture and the tip of an added icon (whatever its add returned); SetTrayIcon is
// true when the shell took the picture, and carries a changed `tip` in the same request. A tip
// the shell shows already is not sent again.
bool SetTrayIcon(HICON icon, const std::wstring* tip = nullptr);
void SetTrayTip(const std::wstring& text);
// Style: 1 information, 2 warning, 3 error.
void ShowBalloon(const std::wstring& title, const std::wstring& text, std::uint32_t style);
void RemoveTrayIcon();
// True between an AddTrayIcon, whatever the shell answered, and RemoveTrayIcon.
bool TrayIconAdded();

// Makes the window the icon's owner (once) and routes the icon's events to `events` until
// UnhookTrayWindow. The window's procedure is left alone: its handler passes each message to
// TrayWindowProc first.
void HookTrayWindow(HWND window, ITrayEvents* events);
void UnhookTrayWindow();
bool TrayWindowHooked();
// The icon's callback (left, right and double click, balloon click) and "TaskbarCreated" for the
// hooked window: true when the message was handled (its result 0 in `result`); every other
// message, the other callback events included, is left to the caller.
bool TrayWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Sees every record given to the shell, with the message and the shell's answer (tests).
using ShellNotifyObserver = std::function<void(DWORD message, const NOTIFYICONDATAW& data, BOOL result)>;
void SetShellNotifyObserver(ShellNotifyObserver observer);

}  // namespace kal
