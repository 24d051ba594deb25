// What tests ask of the window system about the process: its live GDI and USER objects, and
// whether a global shortcut key is free; and the files of the source tree as Windows paths.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

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

// A file of the source tree (`sourceDir` its Unix path, `relative` with forward slashes) as a
// Windows path through the Z: drive.
inline std::wstring SourceTreePath(const std::string& sourceDir, const std::string& relative) {
    const std::string unixPath = sourceDir + "/" + relative;
    std::wstring path = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

}  // namespace kal::testing
