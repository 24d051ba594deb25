// Icon records (an icon handle as bytes and back), owning picture objects and temporary file
// names.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "base/hextext.h"
#include "base/raii.h"

namespace kal {

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

}  // namespace kal
