// Icon records (an icon handle as bytes and back), owning picture objects, temporary file names
// and small owners for the GDI handles the image code uses.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "startup/hextext.h"
#include "startup/raii.h"

namespace kal {

inline void DestroyIconChecked(HICON h) { ::DestroyIcon(h); }
inline void DeleteGdiObject(HGDIOBJ h) { ::DeleteObject(h); }
inline void DeleteDcChecked(HDC h) { ::DeleteDC(h); }
inline void ReleaseModuleHandle(HMODULE h) { ::FreeLibrary(h); }

using UniqueIcon = UniqueResource<HICON, nullptr, DestroyIconChecked>;
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

// A device context for the display, as the records are written and read through.
UniqueDC CreateDisplayDC();

// An owning reference to an OLE picture object.
class PicturePtr {
public:
    PicturePtr() = default;
    explicit PicturePtr(IPicture* p) : p_(p) {}
    PicturePtr(const PicturePtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    PicturePtr(PicturePtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    PicturePtr& operator=(PicturePtr o) noexcept { std::swap(p_, o.p_); return *this; }
    ~PicturePtr() { if (p_) p_->Release(); }

    IPicture* get() const { return p_; }
    IPicture* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // PICTYPE_ICON, PICTYPE_BITMAP, or 0 for none.
    short Type() const;
    // The icon or bitmap handle the picture owns.
    HANDLE Handle() const;

private:
    IPicture* p_ = nullptr;
};

// A picture that owns the handle from then on; nothing for a 0 handle (the handle is not freed
// when the picture cannot be made, so the caller may still free it).
PicturePtr IconToPicture(HICON icon);
PicturePtr BitmapToPicture(HBITMAP bitmap);

// Records at `pos` of `data`, which grows as needed; `length` is set on success only.
bool SerializeIcon(HDC dc, HICON icon, Bytes& data, std::size_t pos, std::size_t& length, std::int32_t version);
bool SerializeBitmap(HDC dc, HBITMAP bitmap, bool mask, Bytes& data, std::size_t pos, std::size_t& length,
                     std::int32_t version);
// Reading stays inside `data`: a record whose heads are damaged or that runs past the end fails.
// A rebuilt record is always an icon; the caller owns it.
bool DeserializeIcon(HDC dc, HICON& icon, std::span<const std::uint8_t> data, std::size_t pos, std::size_t& length,
                     std::int32_t version);
bool DeserializeBitmap(HDC dc, HBITMAP& bitmap, bool mask, std::span<const std::uint8_t> data, std::size_t pos,
                       std::size_t& length, std::int32_t version);

// The system's temp folder with its trailing backslash, or the program's folder without one.
std::wstring TempFolderPath();
// A new empty file in the temp folder, named by the system with the given prefix.
std::wstring GetTempFileNameWithPrefix(const std::wstring& prefix);
// The text up to its first NUL.
std::wstring StripNulls(const std::wstring& text);

// The program's file name without folder and extension, as error sources begin.
std::wstring ProgramName();

}  // namespace kal
