#include "tray/traywindows.h"

#include <shellapi.h>

#include <cwchar>

#include "base/dyncalls.h"
#include "startup/globals.h"
#include "startup/utility.h"
#include "toolkit/utility.h"
#include "tray/portable/menurules.h"

namespace kal {

namespace {

TrayRect ToTrayRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Keeps the file-system redirection of a 32-bit process on 64-bit Windows off while it lives,
// so the system folder is the 64-bit one.
class NoFsRedirection {
public:
    NoFsRedirection() {
        const auto disable = dyn::Wow64DisableWow64FsRedirection();
        if (!disable || !IsWow64()) return;
        revert_ = dyn::Wow64RevertWow64FsRedirection();
        if (!revert_ || !disable(&old_)) revert_ = nullptr;
    }
    ~NoFsRedirection() {
        if (revert_) revert_(old_);
    }
    NoFsRedirection(const NoFsRedirection&) = delete;
    NoFsRedirection& operator=(const NoFsRedirection&) = delete;

private:
    BOOL(WINAPI* revert_)(void*) = nullptr;
    void* old_ = nullptr;
};

ULONGLONG ProcessTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!process || !::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    auto value = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return value(kernel) + value(user);
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessWindowEnumProc(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && (::GetWindowLongW(window, GWL_STYLE) & WS_SYSMENU)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void PositionNearTray(HWND window, bool besideIcon) {
    if (!window || !::IsWindow(window)) return;
    TrayPlacement p;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    p.cursor = {cursor.x, cursor.y};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &info);
    p.monitor = ToTrayRect(info.rcMonitor);
    p.work = ToTrayRect(info.rcWork);
    RECT own{};
    ::GetWindowRect(window, &own);
    p.width = own.right - own.left;
    p.height = own.bottom - own.top;
    APPBARDATA bar{};
    bar.cbSize = sizeof bar;
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) p.taskbar = ToTrayRect(bar.rc);
    if (besideIcon) {
        // A failed query (the shell restarting, or no such function) leaves the rectangle empty,
        // which counts as no icon.
        const TrayRect icon = ToTrayRect(GetNotifyIconRect());
        if (!icon.Empty()) p.icon = icon;
    }
    const TrayPoint at = PlaceNearTray(p);
    ::SetWindowPos(window, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(window);
}

DWORD RunProcess(const std::wstring& path, WORD showWindow, UniqueHandle* process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 0;
    ::CloseHandle(info.hThread);
    if (process) process->reset(info.hProcess);
    else ::CloseHandle(info.hProcess);
    return info.dwProcessId;
}

HWND FindProcessWindow(DWORD processId) {
    WindowSearch search{processId, nullptr};
    ::EnumWindows(&FindProcessWindowEnumProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ShowSystemMixer() {
    SetMouseCursor(SystemCursor::Wait);
    const std::wstring exe = gIsXP ? L"sndvol32.exe" : L"sndvol.exe";
    UniqueHandle process;
    DWORD id = FindProcessId(exe);
    if (!id) {
        wchar_t windir[MAX_PATH] = {};
        ::GetEnvironmentVariableW(L"WINDIR", windir, MAX_PATH);
        std::wstring path = std::wstring(windir) + L"\\system32\\" + exe;
        for (std::size_t at; (at = path.find(L"\\\\")) != std::wstring::npos;) path.erase(at, 1);
        NoFsRedirection redirection;
        id = RunProcess(path, SW_HIDE, &process);
    }
    if (!id) {
        SetMouseCursor(SystemCursor::Arrow);
        return;
    }
    HWND window = nullptr;
    for (const DWORD start = ::GetTickCount(); !window && ::GetTickCount() - start < 5000;) {
        PumpPendingMessages();
        window = FindProcessWindow(id);
        if (!window) ::Sleep(10);
    }
    if (window) {
        // Waits until the mixer has stopped working on its start (no handle: already running).
        ULONGLONG last = ProcessTime(process.get());
        for (const DWORD start = ::GetTickCount(); process && ::GetTickCount() - start < 5000;) {
            ::Sleep(50);
            PumpPendingMessages();
            const ULONGLONG now = ProcessTime(process.get());
            if (now == last) break;
            last = now;
        }
        ::Sleep(200);
        PositionNearTray(window, false);
    }
    SetMouseCursor(SystemCursor::Arrow);
}

void TrimWorkingSet() {
    ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

}  // namespace kal
