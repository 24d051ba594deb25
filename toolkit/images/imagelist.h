// The image-list control `zephImageList` and the plain class `CImageList`: one comctl32 image
// list with a text key beside every image.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/hextext.h"
#include "base/raii.h"
#include "toolkit/images/iconrecord.h"
#include "base/errors.h"
#include "toolkit/images/imageformat.h"

namespace kal {

inline void DestroyImageListChecked(HIMAGELIST list) { ::ImageList_Destroy(list); }
// An image list made for a moment's use (a drag, a picture cut), destroyed with its owner.
using UniqueImageList = UniqueResource<HIMAGELIST, nullptr, DestroyImageListChecked>;

// A 1-based position, or a key; a text that reads as a number is a position.
class KeyOrIndex {
public:
    KeyOrIndex(std::int32_t index) : value_(index) {}
    KeyOrIndex(const wchar_t* key) : value_(std::wstring(key)) {}
    KeyOrIndex(std::wstring key) : value_(std::move(key)) {}
    const std::variant<std::int32_t, std::wstring>& Value() const { return value_; }

private:
    std::variant<std::int32_t, std::wstring> value_;
};

// The picture box an image is cut from: its device context (for the top-left pixel) and the
// bitmap behind it (for its size).
struct PictureBoxView {
    HDC hdc = nullptr;
    HBITMAP bitmap = nullptr;
};

// Image types of the system.
enum ImageType : std::int32_t { kImageBitmap = IMAGE_BITMAP, kImageIcon = IMAGE_ICON, kImageCursor = IMAGE_CURSOR };

// What the control and the class share.
class ImageListBase {
public:
    ImageListBase() = default;
    ImageListBase(const ImageListBase&) = delete;
    ImageListBase& operator=(const ImageListBase&) = delete;
    virtual ~ImageListBase();

    std::int32_t SystemColourDepth() const;
    bool Create();
    void Destroy();

    std::int32_t IconSizeX() const { return sizeX_; }
    std::int32_t IconSizeY() const { return sizeY_; }
    std::int32_t ColourDepth() const { return depth_; }

    std::int16_t ImageCount() const;
    std::int32_t ItemIndex(const KeyOrIndex& key) const;
    std::wstring ItemKey(std::int32_t index) const;
    bool KeyExists(const std::wstring& key);
    PicturePtr ItemPicture(const KeyOrIndex& key) const;
    HICON ItemCopyOfIcon(const KeyOrIndex& key) const;
    bool AddFromHandle(HANDLE image, std::int32_t type, const std::optional<std::wstring>& key = std::nullopt,
                       std::int32_t backColour = -1, const std::optional<KeyOrIndex>& keyAfter = std::nullopt);
    HIMAGELIST hIml() const { return list_; }

    // The keys array as it stands (for callers that show or check it).
    const std::vector<std::wstring>& Keys() const { return keys_; }

    // OLE colour to RGB; -1 when it cannot be translated.
    static std::int32_t TranslateColor(std::uint32_t oleColour, HPALETTE palette = nullptr);

protected:
    [[noreturn]] static void Raise(std::int32_t number, const std::wstring& description);
    void SetKeyAt(std::int32_t index, const std::optional<std::wstring>& key);
    void ResizeKeys();
    void Swap(std::int32_t a, std::int32_t b, bool copyOnly);
    void MoveTogether(std::int32_t insertAt, std::int32_t oldCount, std::int32_t added);
    void DrawCore(std::int32_t index, HDC dc, int x, int y, bool selected, bool cut, bool disabled,
                  COLORREF cutColour, HIMAGELIST external) const;
    std::int32_t CutFromPicture(HDC source, const PictureBoxView& picture, const std::optional<std::wstring>& key,
                                std::int32_t left, std::int32_t top, std::int32_t backColour);
    PicturePtr Strip(HDC compatibleWith, const std::optional<KeyOrIndex>& start,
                     const std::optional<KeyOrIndex>& end, std::uint32_t backColour) const;

    HIMAGELIST list_ = nullptr;
    std::int32_t sizeX_ = 16;
    std::int32_t sizeY_ = 16;
    std::int32_t depth_ = 0;
    std::vector<std::wstring> keys_;
};

class zephImageList : public ImageListBase {
public:
    zephImageList() = default;

    // Raised with the name of a stored property that changed ("Images", "Size", "Keys", ...).
    std::function<void(const wchar_t*)> PropertyChanged;
    // The device context of the container, which the picture strip is made compatible with;
    // the screen when none.
    HDC ContainerHdc = nullptr;

    void SwapOrCopyImage(const KeyOrIndex& source, const KeyOrIndex& destination, std::int32_t flags);
    void DrawImage(const KeyOrIndex& key, HDC dc, int x, int y, bool selected = false, bool cut = false,
                   bool disabled = false, std::uint32_t cutDitherColour = 0xFFFFFFFF, HIMAGELIST external = nullptr) const;
    void SetIconSizeX(std::int32_t v);
    void SetIconSizeY(std::int32_t v);
    void SetColourDepth(std::int32_t v);
    void RemoveImage(const KeyOrIndex& key);
    void SetItemKey(std::int32_t index, const std::wstring& key);
    void Clear();
    bool AddFromFile(const std::wstring& fileName, std::int32_t type, const std::optional<std::wstring>& key = std::nullopt,
                     bool mapSysColors = false, std::int32_t backColour = -1,
                     const std::optional<KeyOrIndex>& keyAfter = std::nullopt);
    bool AddFromResourceID(std::int32_t id, HINSTANCE instance, std::int32_t type,
                           const std::optional<std::wstring>& key = std::nullopt, bool mapSysColors = false,
                           std::int32_t backColour = -1, const std::optional<KeyOrIndex>& keyAfter = std::nullopt);
    std::int32_t AddFromPictureBox(HDC source, const PictureBoxView& picture,
                                   const std::optional<std::wstring>& key = std::nullopt, std::int32_t left = 0,
                                   std::int32_t top = 0, std::int32_t backColour = -1);
    PicturePtr ImagePictureStrip(const std::optional<KeyOrIndex>& start = std::nullopt,
                                 const std::optional<KeyOrIndex>& end = std::nullopt,
                                 std::uint32_t backColour = 0x8000000F) const;
    bool SaveToFile(const std::wstring& file);
    bool LoadFromFile(const std::wstring& file);

    // Stored properties: a newly placed control, reading and writing the bag.
    void InitProperties();
    void ReadProperties(const ImagePropertyBag& bag);
    void WriteProperties(ImagePropertyBag& bag) const;

private:
    void Changed(std::initializer_list<const wchar_t*> names) const;
    // Records of every image that can be written, back to back, and the keys of those images.
    Bytes WriteRecords(std::int32_t version, UINT iconFlags, std::vector<std::wstring>& writtenKeys) const;
    // Adds the records of `data`, stopping at the first one that cannot be rebuilt.
    void AddRecords(std::span<const std::uint8_t> data, std::int32_t version);
};

class CImageList : public ImageListBase {
public:
    CImageList() = default;

    void SetOwnerHDC(HDC dc) { ownerDc_ = dc; }
    void SwapOrCopyImage(const KeyOrIndex& a, const KeyOrIndex& b, std::int32_t flags);
    // Size 16 gives 16 x 16, any other 32 x 32; always 32-bit colour.
    bool Create(std::int32_t unused, std::int32_t size);
    bool Create2() { return ImageListBase::Create(); }
    void DrawImage(std::int32_t index, HDC dc, std::int16_t x, std::int16_t y, bool selected = false,
                   bool cut = false, bool disabled = false, HIMAGELIST external = nullptr) const;
    std::int16_t IconSize() const;
    void SetIconSizeX(std::int32_t v) { sizeX_ = v; }
    void SetIconSizeY(std::int32_t v) { sizeY_ = v; }
    void SetColourDepth(std::int32_t v) { depth_ = v; }
    void RemoveImage(std::int16_t index);
    void SetItemKey(std::int32_t index, const std::wstring& key);
    void Clear() { Create2(); }
    bool AddFromFile(const std::wstring& fileName, std::int32_t type, bool mapSysColors = false,
                     std::int32_t backColour = -1);
    bool AddFromResourceID(std::int32_t id, HINSTANCE instance, std::int32_t type,
                           const std::optional<std::wstring>& key = std::nullopt, bool mapSysColors = false,
                           std::int32_t backColour = -1, const std::optional<KeyOrIndex>& keyAfter = std::nullopt);
    std::int32_t AddFromPictureBox(HDC source, const PictureBoxView& picture, std::int32_t left = 0,
                                   std::int32_t top = 0, std::int32_t backColour = -1);
    PicturePtr ImagePictureStrip(const std::optional<KeyOrIndex>& start = std::nullopt,
                                 const std::optional<KeyOrIndex>& end = std::nullopt,
                                 std::uint32_t backColour = 0x8000000F) const;
    static PicturePtr IconToPicture(HICON icon) { return kal::IconToPicture(icon); }
    static PicturePtr BitmapToPicture(HBITMAP bitmap) { return kal::BitmapToPicture(bitmap); }

private:
    HDC ownerDc_ = nullptr;
};

}  // namespace kal
