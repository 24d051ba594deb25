// The yardstick of the start-up benchmark: the least a tray program does. It registers a
// window class, makes a hidden window, adds a notification-area icon and waits in its message
// loop; with "/exit" it ends right after the icon is added.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(h, msg, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"MinimalTray";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"Minimal tray", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                    nullptr, instance, nullptr);
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = WM_APP;
    data.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    std::wcscpy(data.szTip, L"Minimal tray");
    ::Shell_NotifyIconW(NIM_ADD, &data);
    if (!(commandLine && std::wcsstr(commandLine, L"/exit"))) {
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    }
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    return 0;
}
