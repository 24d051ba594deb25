#include "toolkit/images/imagelist.h"

#include <algorithm>

#include "base/log.h"
#include "startup/utility.h"

namespace kal {

namespace {

constexpr const wchar_t* kSubscriptText = L"Subscript out of range";

// The key separator in text: the character whose ANSI code is 255.
wchar_t KeySeparatorChar() {
    const char ansi = kKeySeparatorByte;
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_ACP, 0, &ansi, 1, &wide, 1) != 1) wide = 0xFF;
    return wide;
}

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// Frees a loaded image by its type.
class LoadedImage {
public:
    LoadedImage(HANDLE h, std::int32_t type) : h_(h), type_(type) {}
    LoadedImage(const LoadedImage&) = delete;
    LoadedImage& operator=(const LoadedImage&) = delete;
    ~LoadedImage() {
        if (!h_) return;
        switch (type_) {
            case IMAGE_BITMAP: ::DeleteObject(h_); break;
            case IMAGE_ICON: ::DestroyIcon(static_cast<HICON>(h_)); break;
            case IMAGE_CURSOR: ::DestroyCursor(static_cast<HCURSOR>(h_)); break;
            default: break;
        }
    }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
    std::int32_t type_;
};

// An extra image at the end of the list, removed again by the owner: the meeting place of a swap,
// done as three moves because the system's own swap cannot be relied on.
class SpareSlot {
public:
    explicit SpareSlot(HIMAGELIST list) : list_(list), index_(::ImageList_GetImageCount(list)) {
        if (!::ImageList_SetImageCount(list_, static_cast<UINT>(index_ + 1))) index_ = -1;
    }
    SpareSlot(const SpareSlot&) = delete;
    SpareSlot& operator=(const SpareSlot&) = delete;
    ~SpareSlot() { if (index_ >= 0) ::ImageList_Remove(list_, index_); }
    int Index() const { return index_; }

private:
    HIMAGELIST list_;
    int index_;
};

bool SwapThroughSpare(HIMAGELIST list, int a, int b, const SpareSlot& spare) {
    if (a == b) return true;
    if (spare.Index() < 0) return false;
    return ::ImageList_Copy(list, spare.Index(), list, a, ILCF_MOVE) &&
           ::ImageList_Copy(list, a, list, b, ILCF_MOVE) &&
           ::ImageList_Copy(list, b, list, spare.Index(), ILCF_MOVE);
}

// Reads a whole file; errors are raised as the language's file errors.
Bytes ReadWholeFile(const std::wstring& path, void (*raise)(std::int32_t, const std::wstring&)) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        const DWORD e = ::GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) raise(kErrFileNotFound, L"File not found");
        raise(kErrPathAccess, L"Path/File access error");
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x10000000) raise(kErrPathAccess, L"Path/File access error");
    Bytes data(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!data.empty() && (!::ReadFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr) ||
                          got != data.size()))
        raise(kErrPathAccess, L"Path/File access error");
    return data;
}

}  // namespace

// ---- shared -------------------------------------------------------------------------------

ImageListBase::~ImageListBase() { Destroy(); }

void ImageListBase::Raise(std::int32_t number, const std::wstring& description) {
    throw ToolkitError(number, AppExeName() + L".zephImageList", description);
}

std::int32_t ImageListBase::SystemColourDepth() const {
    UniqueDC dc = CreateDisplayDC();
    return dc ? ::GetDeviceCaps(dc.get(), BITSPIXEL) : 0;
}

bool ImageListBase::Create() {
    Destroy();
    list_ = ::ImageList_Create(sizeX_, sizeY_, static_cast<UINT>(depth_) | ILC_MASK, 4, 4);
    if (list_ == reinterpret_cast<HIMAGELIST>(-1)) list_ = nullptr;
    return list_ != nullptr;
}

void ImageListBase::Destroy() {
    if (list_) ::ImageList_Destroy(list_);
    list_ = nullptr;
    keys_.clear();
}

std::int16_t ImageListBase::ImageCount() const {
    if (!list_) return 0;
    const int n = ::ImageList_GetImageCount(list_);
    if (n > 32767) Raise(kErrOverflow, L"Overflow");
    return static_cast<std::int16_t>(n);
}

std::int32_t ImageListBase::ItemIndex(const KeyOrIndex& key) const {
    const std::int32_t count = ImageCount();
    std::optional<std::int32_t> position;
    if (const auto* n = std::get_if<std::int32_t>(&key.Value())) position = *n;
    const auto* text = std::get_if<std::wstring>(&key.Value());
    if (text) position = NumericKeyValue(*text);
    if (position) {
        if (*position < 1 || *position > count) Raise(kErrSubscript, kSubscriptText);
        return *position - 1;
    }
    const std::size_t limit = std::min(keys_.size(), static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < limit; ++i)
        if (keys_[i] == *text) return static_cast<std::int32_t>(i);
    Raise(kErrSubscript, kSubscriptText);
}

std::wstring ImageListBase::ItemKey(std::int32_t index) const {
    if (index < 1 || index > ImageCount()) Raise(kErrSubscript, kSubscriptText);
    const auto i = static_cast<std::size_t>(index - 1);
    return i < keys_.size() ? keys_[i] : std::wstring();
}

bool ImageListBase::KeyExists(const std::wstring& key) {
    try {
        if (!list_ || ImageCount() == 0) return false;
        ResizeKeys();
        return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
    } catch (const ToolkitError&) {
        LogCaught(L"ImageList.KeyExists");
        return false;
    }
}

PicturePtr ImageListBase::ItemPicture(const KeyOrIndex& key) const {
    if (!list_) return {};
    UniqueIcon icon(::ImageList_GetIcon(list_, ItemIndex(key), ILD_TRANSPARENT));
    if (!icon) return {};
    PicturePtr picture = IconToPicture(icon.get());
    if (picture) icon.release();
    return picture;
}

HICON ImageListBase::ItemCopyOfIcon(const KeyOrIndex& key) const {
    if (!list_) return nullptr;
    return ::ImageList_GetIcon(list_, ItemIndex(key), ILD_TRANSPARENT);
}

void ImageListBase::SetKeyAt(std::int32_t index, const std::optional<std::wstring>& key) {
    if (!list_ || index < 0) return;
    const auto i = static_cast<std::size_t>(index);
    if (i >= keys_.size()) keys_.resize(i + 1);
    if (key) StoreKey(keys_, i, *key);
}

void ImageListBase::ResizeKeys() {
    if (!list_) return;
    try {
        const auto count = static_cast<std::size_t>(ImageCount());
        if (keys_.size() != count) keys_.resize(count);
    } catch (const ToolkitError&) {
        LogCaught(L"ImageList key slots");
    }
}

bool ImageListBase::AddFromHandle(HANDLE image, std::int32_t type, const std::optional<std::wstring>& key,
                                  std::int32_t backColour, const std::optional<KeyOrIndex>& keyAfter) {
    bool result = false;
    if (list_ && image) {
        const std::int32_t old = ImageCount();
        std::optional<std::int32_t> insertAt;
        if (keyAfter && old > 0) {
            const auto* n = std::get_if<std::int32_t>(&keyAfter->Value());
            const auto* text = std::get_if<std::wstring>(&keyAfter->Value());
            const bool append = (n && *n == 0) || (text && NumericKeyValue(*text) == 0);
            if (!append) insertAt = ItemIndex(*keyAfter);
        }
        int first = -1;
        if (type == IMAGE_BITMAP) {
            COLORREF colour = static_cast<COLORREF>(backColour);
            if (backColour == -1) {
                UniqueDC mem(::CreateCompatibleDC(nullptr));
                if (mem) {
                    SelectGuard sel(mem.get(), image);
                    colour = ::GetPixel(mem.get(), 0, 0);
                }
            }
            first = ::ImageList_AddMasked(list_, static_cast<HBITMAP>(image), colour);
        } else if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
            first = ::ImageList_AddIcon(list_, static_cast<HICON>(image));
        }
        if (first >= 0) {
            if (insertAt) {
                ResizeKeys();
                MoveTogether(*insertAt, old, ImageCount() - old);
            }
            SetKeyAt(insertAt ? *insertAt : first, key);
            result = true;
        }
    }
    ResizeKeys();
    return result;
}

void ImageListBase::MoveTogether(std::int32_t insertAt, std::int32_t oldCount, std::int32_t added) {
    if (added <= 0) return;
    SpareSlot spare(list_);
    for (std::int32_t j = oldCount - 1; j >= insertAt; --j) {
        for (std::int32_t i = j; i < j + added; ++i) {
            SwapThroughSpare(list_, i, i + 1, spare);
            std::swap(keys_[static_cast<std::size_t>(i)], keys_[static_cast<std::size_t>(i) + 1]);
        }
    }
}

void ImageListBase::Swap(std::int32_t a, std::int32_t b, bool copyOnly) {
    if (copyOnly) {
        ::ImageList_Copy(list_, a, list_, b, ILCF_MOVE);
    } else {
        SpareSlot spare(list_);
        SwapThroughSpare(list_, a, b, spare);
    }
    const auto needed = static_cast<std::size_t>(std::max(a, b)) + 1;
    if (keys_.size() < needed) keys_.resize(needed);
    std::swap(keys_[static_cast<std::size_t>(a)], keys_[static_cast<std::size_t>(b)]);
}

std::int32_t ImageListBase::TranslateColor(std::uint32_t oleColour, HPALETTE palette) {
    COLORREF rgb = 0;
    if (FAILED(::OleTranslateColor(oleColour, palette, &rgb))) return -1;
    return static_cast<std::int32_t>(rgb);
}

void ImageListBase::DrawCore(std::int32_t index, HDC dc, int x, int y, bool selected, bool cut, bool disabled,
                             COLORREF cutColour, HIMAGELIST external) const {
    HIMAGELIST from = external ? external : list_;
    UINT flags = ILD_TRANSPARENT;
    if (selected || cut) flags |= ILD_SELECTED;
    if (cut) {
        std::int32_t blend = TranslateColor(cutColour);
        if (blend == -1) blend = static_cast<std::int32_t>(::GetSysColor(COLOR_WINDOW));
        ::ImageList_DrawEx(from, index, dc, x, y, 0, 0, CLR_NONE, static_cast<COLORREF>(blend), flags);
    } else if (disabled) {
        UniqueIcon icon(::ImageList_GetIcon(list_, index, ILD_NORMAL));
        if (icon)
            ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, x, y, sizeX_, sizeY_,
                         DST_ICON | DSS_DISABLED);
    } else {
        ::ImageList_Draw(from, index, dc, x, y, flags);
    }
}

std::int32_t ImageListBase::CutFromPicture(HDC source, const PictureBoxView& picture,
                                           const std::optional<std::wstring>& key, std::int32_t left,
                                           std::int32_t top, std::int32_t backColour) {
    std::int32_t result = 0;
    if (list_) {
        UniqueDC mem(::CreateCompatibleDC(source));
        UniqueBitmap cell(mem ? ::CreateCompatibleBitmap(source, sizeX_, sizeY_) : nullptr);
        if (mem && cell) {
            COLORREF colour;
            if (backColour != -1) {
                const std::int32_t t = TranslateColor(static_cast<std::uint32_t>(backColour));
                colour = t == -1 ? RGB(0xC0, 0xC0, 0xC0) : static_cast<COLORREF>(t);
            } else {
                colour = ::GetPixel(picture.hdc, 0, 0);
            }
            {
                SelectGuard sel(mem.get(), cell.get());
                UniqueGdiObject brush(::CreateSolidBrush(colour));
                RECT all{0, 0, sizeX_, sizeY_};
                ::FillRect(mem.get(), &all, static_cast<HBRUSH>(brush.get()));
                BITMAP bm{};
                if (!picture.bitmap || !::GetObjectW(picture.bitmap, sizeof(bm), &bm)) bm = BITMAP{};
                std::int32_t w = sizeX_, h = sizeY_;
                if (left + sizeX_ > bm.bmWidth) w = bm.bmWidth - left;
                if (top + sizeY_ > bm.bmHeight) h = bm.bmHeight - top;
                if (w >= 1 && h >= 1) ::BitBlt(mem.get(), 0, 0, w, h, source, left, top, SRCCOPY);
            }
            const std::int32_t before = ImageCount();
            if (AddFromHandle(cell.get(), IMAGE_BITMAP, key, static_cast<std::int32_t>(colour)) &&
                ImageCount() > before)
                result = ImageCount();
        }
    }
    ResizeKeys();
    return result;
}

PicturePtr ImageListBase::Strip(HDC compatibleWith, const std::optional<KeyOrIndex>& start,
                                const std::optional<KeyOrIndex>& end, std::uint32_t backColour) const {
    if (!list_) return {};
    const std::int32_t count = ImageCount();
    const std::int32_t first = start ? ItemIndex(*start) : 0;
    const std::int32_t last = end ? ItemIndex(*end) : count - 1;
    if (last <= first || last < 0) return {};

    ScreenDC screen;
    HDC like = compatibleWith ? compatibleWith : screen.get();
    UniqueDC mem(::CreateCompatibleDC(like));
    UniqueBitmap strip(mem ? ::CreateCompatibleBitmap(like, count * sizeX_, sizeY_) : nullptr);
    if (!mem || !strip) return {};
    {
        SelectGuard sel(mem.get(), strip.get());
        if (!sel.Ok()) return {};
        UniqueGdiObject brush(::CreateSolidBrush(static_cast<COLORREF>(TranslateColor(backColour))));
        RECT all{0, 0, count * sizeX_, sizeY_};
        ::FillRect(mem.get(), &all, static_cast<HBRUSH>(brush.get()));
        for (std::int32_t i = first; i <= last; ++i)
            ::ImageList_Draw(list_, i, mem.get(), i * sizeX_, 0, ILD_TRANSPARENT);
    }
    PicturePtr picture = BitmapToPicture(strip.get());
    if (picture) strip.release();
    return picture;
}

// ---- zephImageList ------------------------------------------------------------------------

void zephImageList::Changed(std::initializer_list<const wchar_t*> names) const {
    if (!PropertyChanged) return;
    for (const wchar_t* n : names) PropertyChanged(n);
}

void zephImageList::SwapOrCopyImage(const KeyOrIndex& source, const KeyOrIndex& destination, std::int32_t flags) {
    if (!list_) return;
    const std::int32_t a = ItemIndex(source);
    const std::int32_t b = ItemIndex(destination);
    Swap(a, b, (flags & ILCF_SWAP) == 0);
    Changed({L"Images", L"Size"});
}

void zephImageList::DrawImage(const KeyOrIndex& key, HDC dc, int x, int y, bool selected, bool cut, bool disabled,
                              std::uint32_t cutDitherColour, HIMAGELIST external) const {
    if (!list_ && !external) return;
    DrawCore(ItemIndex(key), dc, x, y, selected, cut, disabled, cutDitherColour, external);
}

void zephImageList::SetIconSizeX(std::int32_t v) {
    sizeX_ = v;
    Changed({L"IconSizeX"});
}

void zephImageList::SetIconSizeY(std::int32_t v) {
    sizeY_ = v;
    Changed({L"IconSizeY"});
}

void zephImageList::SetColourDepth(std::int32_t v) {
    depth_ = v;
    Changed({L"ColourDepth"});
}

void zephImageList::RemoveImage(const KeyOrIndex& key) {
    if (!list_) return;
    const std::int32_t index = ItemIndex(key);
    ::ImageList_Remove(list_, index);
    if (static_cast<std::size_t>(index) < keys_.size()) keys_.erase(keys_.begin() + index);
    ResizeKeys();
    Changed({L"Images", L"Size", L"Keys", L"KeyCount"});
}

void zephImageList::SetItemKey(std::int32_t index, const std::wstring& key) {
    if (index < 1 || index > ImageCount()) Raise(kErrSubscript, kSubscriptText);
    SetKeyAt(index - 1, key);
    Changed({L"KeyCount", L"Keys"});
}

void zephImageList::Clear() {
    Create();
    keys_.clear();
    Changed({L"Images", L"Size"});
}

bool zephImageList::AddFromFile(const std::wstring& fileName, std::int32_t type, const std::optional<std::wstring>& key,
                                bool mapSysColors, std::int32_t backColour, const std::optional<KeyOrIndex>& keyAfter) {
    bool result = false;
    if (list_) {
        const int cx = type == IMAGE_BITMAP ? 0 : sizeX_;
        const int cy = type == IMAGE_BITMAP ? 0 : sizeY_;
        LoadedImage image(::LoadImageW(nullptr, fileName.c_str(), static_cast<UINT>(type), cx, cy,
                                       LR_LOADFROMFILE | (mapSysColors ? LR_LOADMAP3DCOLORS : 0)),
                          type);
        result = AddFromHandle(image.get(), type, key, backColour, keyAfter);
    }
    Changed({L"Images", L"Size", L"Keys", L"KeyCount"});
    return result;
}

bool zephImageList::AddFromResourceID(std::int32_t id, HINSTANCE instance, std::int32_t type,
                                      const std::optional<std::wstring>& key, bool mapSysColors,
                                      std::int32_t backColour, const std::optional<KeyOrIndex>& keyAfter) {
    if (!list_) return false;
    LoadedImage image(::LoadImageW(instance, MAKEINTRESOURCEW(id), static_cast<UINT>(type), 0, 0,
                                   mapSysColors ? LR_LOADMAP3DCOLORS : 0),
                      type);
    return AddFromHandle(image.get(), type, key, backColour, keyAfter);
}

std::int32_t zephImageList::AddFromPictureBox(HDC source, const PictureBoxView& picture,
                                              const std::optional<std::wstring>& key, std::int32_t left,
                                              std::int32_t top, std::int32_t backColour) {
    return CutFromPicture(source, picture, key, left, top, backColour);
}

PicturePtr zephImageList::ImagePictureStrip(const std::optional<KeyOrIndex>& start,
                                            const std::optional<KeyOrIndex>& end, std::uint32_t backColour) const {
    return Strip(ContainerHdc, start, end, backColour);
}

Bytes zephImageList::WriteRecords(std::int32_t version, UINT iconFlags, std::vector<std::wstring>& writtenKeys) const {
    Bytes data;
    writtenKeys.clear();
    UniqueDC dc = CreateDisplayDC();
    if (!dc) return data;
    std::size_t pos = 0;
    const std::int32_t count = ImageCount();
    for (std::int32_t i = 0; i < count; ++i) {
        UniqueIcon icon(::ImageList_GetIcon(list_, i, iconFlags));
        if (!icon || icon.get() == reinterpret_cast<HICON>(-1)) {
            if (icon) icon.release();
            continue;
        }
        std::size_t length = 0;
        if (!SerializeIcon(dc.get(), icon.get(), data, pos, length, version)) continue;
        pos += length;
        writtenKeys.push_back(static_cast<std::size_t>(i) < keys_.size() ? keys_[static_cast<std::size_t>(i)] : L"");
    }
    data.resize(pos);  // drops what a failed record left behind
    return data;
}

void zephImageList::AddRecords(std::span<const std::uint8_t> data, std::int32_t version) {
    UniqueDC dc = CreateDisplayDC();
    if (!dc) return;
    std::size_t pos = 0;
    while (pos < data.size()) {
        HICON rebuilt = nullptr;
        std::size_t length = 0;
        if (!DeserializeIcon(dc.get(), rebuilt, data, pos, length, version)) break;
        UniqueIcon icon(rebuilt);
        ::ImageList_AddIcon(list_, icon.get());
        pos += length;
    }
}

bool zephImageList::SaveToFile(const std::wstring& file) {
    if (!list_) return false;
    const std::int32_t version = ProgramImageVersion();
    std::vector<std::wstring> keys;
    const Bytes records = WriteRecords(version, ILD_TRANSPARENT, keys);
    if (records.empty()) Raise(kErrSubscript, kSubscriptText);

    std::vector<std::string> ansiKeys;
    for (const auto& k : keys) ansiKeys.push_back(ToAnsi(k));
    const Bytes content = BuildImageFile(version, records, JoinKeyBlock(ansiKeys, kKeySeparatorByte));

    UniqueHandle out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) {
        out.release();
        const DWORD e = ::GetLastError();
        if (e == ERROR_PATH_NOT_FOUND) Raise(76, L"Path not found");
        Raise(kErrPathAccess, L"Path/File access error");
    }
    DWORD written = 0;
    if (!::WriteFile(out.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written != content.size())
        Raise(61, L"Disk full");
    return true;
}

bool zephImageList::LoadFromFile(const std::wstring& file) {
    if (!list_) return false;
    const Bytes content = ReadWholeFile(file, [](std::int32_t n, const std::wstring& d) { Raise(n, d); });
    ImageFileContents parsed;
    switch (ParseImageFile(content, parsed)) {
        case ImageFileProblem::EmptyImageBlock: Raise(kErrSubscript, kSubscriptText);
        case ImageFileProblem::Truncated: Raise(kErrInputPastEnd, L"Input past end of file");
        case ImageFileProblem::None: break;
    }
    const std::int32_t old = ImageCount();
    AddRecords(parsed.records, parsed.version);
    ResizeKeys();
    std::vector<std::wstring> pieces;
    for (const std::string& piece : SplitKeys(parsed.keyText, kKeySeparatorByte)) pieces.push_back(FromAnsi(piece));
    SpreadKeys(keys_, static_cast<std::size_t>(old), pieces);
    return true;
}

void zephImageList::InitProperties() { Create(); }

void zephImageList::ReadProperties(const ImagePropertyBag& bag) {
    SetIconSizeX(bag.ReadInt(L"IconSizeX", 16));
    SetIconSizeY(bag.ReadInt(L"IconSizeY", 16));
    SetColourDepth(bag.ReadInt(L"ColourDepth", 0));
    const std::int32_t version = bag.ReadInt(L"Version", 0);
    if (!Create()) return;
    const std::int32_t size = bag.ReadInt(L"Size", 0);
    if (size < 1) return;
    const Bytes images = bag.ReadBytes(L"Images");
    AddRecords(std::span(images.data(), std::min(images.size(), static_cast<std::size_t>(size))), version);
    keys_.assign(static_cast<std::size_t>(ImageCount()), std::wstring());
    SpreadKeys(keys_, 0, SplitKeys(bag.ReadText(L"Keys", L""), KeySeparatorChar()));
}

void zephImageList::WriteProperties(ImagePropertyBag& bag) const {
    bag.Write(L"IconSizeX", sizeX_, 16);
    bag.Write(L"IconSizeY", sizeY_, 16);
    bag.Write(L"ColourDepth", depth_, 0);
    const std::int32_t count = ImageCount();
    const std::int32_t version = ProgramImageVersion();
    std::vector<std::wstring> keys;
    const Bytes records = count > 0 ? WriteRecords(version, ILD_NORMAL, keys) : Bytes();
    if (!records.empty()) {
        std::wstring joined = JoinKeyBlock(keys, KeySeparatorChar());
        joined.resize(joined.size() - 2);  // no separator after the last key
        bag.Write(L"Size", static_cast<std::int32_t>(records.size()));
        bag.Write(L"Images", records);
        bag.Write(L"Version", version);
        bag.Write(L"KeyCount", count);
        bag.Write(L"Keys", joined);
    } else {
        bag.Write(L"Size", 0, 0);
        bag.Write(L"Images", 0, 0);
        bag.Write(L"KeyCount", 0, 0);
        bag.Write(L"Keys", std::wstring(), std::wstring());
    }
}

// ---- CImageList ---------------------------------------------------------------------------

void CImageList::SwapOrCopyImage(const KeyOrIndex& a, const KeyOrIndex& b, std::int32_t flags) {
    if (!list_) return;
    const std::int32_t ia = ItemIndex(a);
    const std::int32_t ib = ItemIndex(b);
    Swap(ia, ib, (flags & ILCF_SWAP) == 0);
}

bool CImageList::Create(std::int32_t, std::int32_t size) {
    sizeX_ = sizeY_ = size == 16 ? 16 : 32;
    depth_ = ILC_COLOR32;
    return Create2();
}

void CImageList::DrawImage(std::int32_t index, HDC dc, std::int16_t x, std::int16_t y, bool selected, bool cut,
                           bool disabled, HIMAGELIST external) const {
    if (index < 0 || (!list_ && !external)) return;
    DrawCore(index, dc, x, y, selected, cut, disabled, 0xFFFFFFFF, external);
}

std::int16_t CImageList::IconSize() const {
    int cx = 0, cy = 0;
    if (!list_ || !::ImageList_GetIconSize(list_, &cx, &cy)) return 0;
    return static_cast<std::int16_t>(cx);
}

void CImageList::RemoveImage(std::int16_t index) {
    if (!list_) return;
    if (!::ImageList_Remove(list_, index)) return;
    if (index == -1) keys_.clear();
    else if (index >= 0 && static_cast<std::size_t>(index) < keys_.size()) keys_.erase(keys_.begin() + index);
}

void CImageList::SetItemKey(std::int32_t index, const std::wstring& key) {
    if (index < 1 || index > ImageCount()) Raise(kErrSubscript, kSubscriptText);
    SetKeyAt(index - 1, key);
}

bool CImageList::AddFromFile(const std::wstring& fileName, std::int32_t type, bool mapSysColors, std::int32_t backColour) {
    if (!list_) return false;
    LoadedImage image(::LoadImageW(nullptr, fileName.c_str(), static_cast<UINT>(type), 0, 0,
                                   LR_LOADFROMFILE | (mapSysColors ? LR_LOADMAP3DCOLORS : 0)),
                      type);
    return AddFromHandle(image.get(), type, std::nullopt, backColour, std::nullopt);
}

bool CImageList::AddFromResourceID(std::int32_t id, HINSTANCE instance, std::int32_t type,
                                   const std::optional<std::wstring>& key, bool mapSysColors, std::int32_t backColour,
                                   const std::optional<KeyOrIndex>& keyAfter) {
    if (!list_) return false;
    UINT flags = mapSysColors ? LR_LOADMAP3DCOLORS : 0;
    if (!instance) flags |= LR_COPYRETURNORG;
    const int cx = type == IMAGE_BITMAP ? 0 : sizeX_;
    const int cy = type == IMAGE_BITMAP ? 0 : sizeY_;
    LoadedImage image(::LoadImageW(instance, MAKEINTRESOURCEW(id), static_cast<UINT>(type), cx, cy, flags), type);
    return AddFromHandle(image.get(), type, key, backColour, keyAfter);
}

std::int32_t CImageList::AddFromPictureBox(HDC source, const PictureBoxView& picture, std::int32_t left,
                                           std::int32_t top, std::int32_t backColour) {
    return CutFromPicture(source, picture, std::nullopt, left, top, backColour);
}

PicturePtr CImageList::ImagePictureStrip(const std::optional<KeyOrIndex>& start, const std::optional<KeyOrIndex>& end,
                                         std::uint32_t backColour) const {
    return Strip(ownerDc_, start, end, backColour);
}

}  // namespace kal
