// What tests ask of the window system about the process: its live GDI and USER objects, whether
// a global shortcut key is free and what a window paints; windows with a procedure of the
// test's own; and the host's files as Windows paths.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kal::testing {

// Live GDI and USER objects of this process. Wine does not count them (GetGuiResources
// answers 0): there every handle of the process's tables is asked for what it is.
inline std::pair<int, int> GuiObjectCounts() {
    HANDLE self = ::GetCurrentProcess();
    const DWORD gdi = ::GetGuiResources(self, GR_GDIOBJECTS), user = ::GetGuiResources(self, GR_USEROBJECTS);
    if (gdi && user) return {static_cast<int>(gdi), static_cast<int>(user)};
    int users = 0;
    for (std::uintptr_t i = 0; i < 0x8000; ++i) {
        // A high word of 0xFFFF matches any generation of the handle.
        const auto h = reinterpret_cast<HANDLE>(0xFFFF0000u | ((i << 1) + 0x20));
        ICONINFO icon{};
        if (::IsWindow(static_cast<HWND>(h)) || ::IsMenu(static_cast<HMENU>(h))) {
            ++users;
        } else if (::GetIconInfo(static_cast<HICON>(h), &icon)) {
            ++users;
            if (icon.hbmMask) ::DeleteObject(icon.hbmMask);
            if (icon.hbmColor) ::DeleteObject(icon.hbmColor);
        }
    }
    int gdis = 0;
    for (std::uintptr_t i = 1; i < 0x10000; ++i)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++gdis;
    return {gdis, users};
}

// True when another window could take the key now, i.e. nobody holds it.
inline bool KeyIsFree(UINT modifiers, UINT vk) {
    HWND probe = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const bool free = ::RegisterHotKey(probe, 0x7000, modifiers, vk) != 0;
    if (free) ::UnregisterHotKey(probe, 0x7000);
    ::DestroyWindow(probe);
    return free;
}

// What a window painted into a bitmap of its client area's size, row by row.
struct PaintedClient {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Sends the window `message` (WM_PRINTCLIENT, WM_ERASEBKGND) with a memory device context and
// `flags`, and reads back what it painted there.
inline PaintedClient PaintClient(HWND window, UINT message, LPARAM flags = 0) {
    RECT r{};
    ::GetClientRect(window, &r);
    PaintedClient painted{r.right, r.bottom, {}};
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, r.right, r.bottom);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::SendMessageW(window, message, reinterpret_cast<WPARAM>(dc), flags);
    ::SelectObject(dc, old);
    // Top-down rows of 32-bit pixels (blue, green, red, unused).
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<RGBQUAD> bits(static_cast<std::size_t>(r.right) * static_cast<std::size_t>(r.bottom));
    if (!bits.empty()) ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(r.bottom), bits.data(), &info, DIB_RGB_COLORS);
    for (const RGBQUAD& q : bits) painted.pixels.push_back(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue));
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return painted;
}

// A window of a class of its own, registered on first use, whose window procedure is `proc`;
// HWND_MESSAGE as the parent makes a message-only window.
inline HWND CreateProcWindow(const wchar_t* className, WNDPROC proc, DWORD style, int width, int height,
                             HWND parent = nullptr) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, className, L"", style, 0, 0, width, height, parent, nullptr, wc.hInstance, nullptr);
}

// A path of the host's file system as a Windows path: Wine reaches the host's files through
// drive Z:.
inline std::wstring HostPath(const std::string& unixPath) {
    std::wstring path(unixPath.begin(), unixPath.end());
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// A file of the source tree (`sourceDir` its Unix path, `relative` with forward slashes) as a
// Windows path.
inline std::wstring SourceTreePath(const std::string& sourceDir, const std::string& relative) {
    return HostPath(sourceDir + "/" + relative);
}

}  // namespace kal::testing
