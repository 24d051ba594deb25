// Owners for Win32 handles.
#pragma once
#include <windows.h>

#include <utility>

namespace kal {

// A handle closed by `Close` when it is not `Invalid`.
template <typename H, H Invalid, auto Close>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(H h) : h_(h) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& o) noexcept : h_(std::exchange(o.h_, Invalid)) {}
    UniqueResource& operator=(UniqueResource&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Invalid));
        return *this;
    }
    ~UniqueResource() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Invalid; }
    H* put() { reset(); return &h_; }
    H release() { return std::exchange(h_, Invalid); }
    void reset(H h = Invalid) {
        if (h_ != Invalid) Close(h_);
        h_ = h;
    }

private:
    H h_ = Invalid;
};

inline void CloseKey(HKEY k) { ::RegCloseKey(k); }
inline void CloseHandleChecked(HANDLE h) { ::CloseHandle(h); }

using UniqueHKey = UniqueResource<HKEY, nullptr, CloseKey>;
using UniqueHandle = UniqueResource<HANDLE, nullptr, CloseHandleChecked>;

// GDI, icon, menu, cursor and module handles.
inline void DestroyIconChecked(HICON h) { ::DestroyIcon(h); }
inline void DestroyCursorChecked(HCURSOR h) { ::DestroyCursor(h); }
inline void DestroyMenuChecked(HMENU h) { ::DestroyMenu(h); }
inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void DeleteDcChecked(HDC h) { ::DeleteDC(h); }
inline void ReleaseModuleHandle(HMODULE h) { ::FreeLibrary(h); }

using UniqueIcon = UniqueResource<HICON, nullptr, DestroyIconChecked>;
using UniqueCursor = UniqueResource<HCURSOR, nullptr, DestroyCursorChecked>;
using UniqueMenu = UniqueResource<HMENU, nullptr, DestroyMenuChecked>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, nullptr, DeleteGdiObject>;
using UniqueDC = UniqueResource<HDC, nullptr, DeleteDcChecked>;
using UniqueModule = UniqueResource<HMODULE, nullptr, ReleaseModuleHandle>;

// A bitmap owner that hands out the typed handle.
class UniqueBitmap {
public:
    UniqueBitmap() = default;
    explicit UniqueBitmap(HBITMAP h) : h_(h) {}
    HBITMAP get() const { return static_cast<HBITMAP>(h_.get()); }
    HBITMAP release() { return static_cast<HBITMAP>(h_.release()); }
    void reset(HBITMAP h = nullptr) { h_.reset(h); }
    explicit operator bool() const { return static_cast<bool>(h_); }

private:
    UniqueGdiObject h_;
};

// An object selected into a device context for the owner's lifetime.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() { Restore(); }
    bool Ok() const { return old_ != nullptr && old_ != HGDI_ERROR; }
    void Restore() {
        if (Ok()) ::SelectObject(dc_, old_);
        old_ = nullptr;
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The screen's device context, released by the owner.
class ScreenDC {
public:
    ScreenDC() : dc_(::GetDC(nullptr)) {}
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    ~ScreenDC() { if (dc_) ::ReleaseDC(nullptr, dc_); }
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

}  // namespace kal
