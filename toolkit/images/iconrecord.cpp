#include "toolkit/images/iconrecord.h"

#include <algorithm>
#include <cstring>

#include "startup/utility.h"
#include "toolkit/images/imageformat.h"

namespace kal {

namespace {

// BITMAPINFO with room for a two-entry colour table.
struct MonoBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
};

MonoBitmapInfo RecordBitmapInfo(std::int32_t width, std::int32_t height, bool mask, std::int32_t version) {
    MonoBitmapInfo bi{};
    bi.header.biSize = sizeof(BITMAPINFOHEADER);
    bi.header.biWidth = width;
    bi.header.biHeight = height;
    bi.header.biPlanes = 1;
    bi.header.biCompression = BI_RGB;
    bi.header.biBitCount = mask ? 1 : (version < 1 ? 24 : 32);
    return bi;
}

bool FitsIn(std::size_t size, std::size_t pos, std::size_t length) {
    return pos <= size && length <= size - pos;
}

}  // namespace

UniqueDC CreateDisplayDC() { return UniqueDC(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)); }

short PicturePtr::Type() const {
    short type = 0;
    if (p_ && FAILED(p_->get_Type(&type))) type = 0;
    return type;
}

HANDLE PicturePtr::Handle() const {
    OLE_HANDLE h = 0;
    if (p_ && FAILED(p_->get_Handle(&h))) h = 0;
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(h));
}

namespace {

PicturePtr MakePicture(PICTDESC& desc) {
    IPicture* picture = nullptr;
    if (FAILED(::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, reinterpret_cast<void**>(&picture))))
        return {};
    return PicturePtr(picture);
}

}  // namespace

PicturePtr IconToPicture(HICON icon) {
    if (!icon) return {};
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(PICTDESC);
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    return MakePicture(desc);
}

PicturePtr BitmapToPicture(HBITMAP bitmap) {
    if (!bitmap) return {};
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(PICTDESC);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    desc.bmp.hpal = nullptr;
    return MakePicture(desc);
}

bool SerializeBitmap(HDC dc, HBITMAP bitmap, bool mask, Bytes& data, std::size_t pos, std::size_t& length,
                     std::int32_t version) {
    BITMAP bm{};
    if (!bitmap || ::GetObjectW(bitmap, sizeof(bm), &bm) != static_cast<int>(sizeof(bm))) return false;
    if (bm.bmWidth < 1 || bm.bmHeight < 1 || bm.bmWidth > kMaxRecordSide || bm.bmHeight > kMaxRecordSide)
        return false;
    const std::size_t block = BitmapBlockLength(bm.bmWidth, bm.bmHeight, mask, version);
    if (data.size() < pos + kBitmapRecordHead + block) data.resize(pos + kBitmapRecordHead + block);

    BitmapHead head;
    head.type = bm.bmType;
    head.width = bm.bmWidth;
    head.height = bm.bmHeight;
    head.widthBytes = bm.bmWidthBytes;
    head.planes = bm.bmPlanes;
    head.bitsPixel = bm.bmBitsPixel;
    head.bits = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(bm.bmBits));
    WriteBitmapHead(data.data() + pos, head);

    std::uint8_t* bits = data.data() + pos + kBitmapRecordHead;
    std::fill(bits, bits + block, std::uint8_t{0});
    MonoBitmapInfo bi = RecordBitmapInfo(bm.bmWidth, bm.bmHeight, mask, version);
    const int lines = ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), bits,
                                  reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    if (lines <= 0) return false;
    length = kBitmapRecordHead + block;
    return true;
}

bool SerializeIcon(HDC dc, HICON icon, Bytes& data, std::size_t pos, std::size_t& length, std::int32_t version) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return false;
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);

    if (data.size() < pos + kIconRecordHead) data.resize(pos + kIconRecordHead);
    PutU32(data.data() + pos, static_cast<std::uint32_t>(info.fIcon));
    PutU32(data.data() + pos + 4, info.xHotspot);
    PutU32(data.data() + pos + 8, info.yHotspot);

    std::size_t colourLength = 0, maskLength = 0;
    if (!SerializeBitmap(dc, colour.get(), false, data, pos + kIconRecordHead, colourLength, version)) return false;
    if (!SerializeBitmap(dc, mask.get(), true, data, pos + kIconRecordHead + colourLength, maskLength, version))
        return false;
    length = kIconRecordHead + colourLength + maskLength;
    return true;
}

bool DeserializeBitmap(HDC dc, HBITMAP& bitmap, bool mask, std::span<const std::uint8_t> data, std::size_t pos,
                       std::size_t& length, std::int32_t version) {
    if (!FitsIn(data.size(), pos, kBitmapRecordHead)) return false;
    const BitmapHead head = ReadBitmapHead(data.data() + pos);
    if (head.width < 1 || head.height < 1 || head.width > kMaxRecordSide || head.height > kMaxRecordSide) return false;
    if (mask && (head.planes != 1 || head.bitsPixel != 1)) return false;
    const std::size_t block = BitmapBlockLength(head.width, head.height, mask, version);
    if (!FitsIn(data.size(), pos, kBitmapRecordHead + block)) return false;

    UniqueBitmap made;
    if (mask) {
        BITMAP bm{};
        bm.bmType = head.type;
        bm.bmWidth = head.width;
        bm.bmHeight = head.height;
        bm.bmWidthBytes = head.widthBytes;
        bm.bmPlanes = head.planes;
        bm.bmBitsPixel = head.bitsPixel;
        made.reset(::CreateBitmapIndirect(&bm));
    } else {
        made.reset(::CreateCompatibleBitmap(dc, head.width, head.height));
    }
    if (!made) return false;

    MonoBitmapInfo bi = RecordBitmapInfo(head.width, head.height, mask, version);
    if (mask) bi.colours[1] = RGBQUAD{255, 255, 255, 0};
    length = kBitmapRecordHead + block;
    const int lines = ::SetDIBits(dc, made.get(), 0, static_cast<UINT>(head.height),
                                  data.data() + pos + kBitmapRecordHead, reinterpret_cast<BITMAPINFO*>(&bi),
                                  DIB_RGB_COLORS);
    if (lines <= 0) return false;
    bitmap = made.release();
    return true;
}

bool DeserializeIcon(HDC dc, HICON& icon, std::span<const std::uint8_t> data, std::size_t pos, std::size_t& length,
                     std::int32_t version) {
    const auto layout = MeasureIconRecord(data, pos, version);
    if (!layout) return false;
    ICONINFO info{};
    info.fIcon = TRUE;  // every record comes back as an icon
    info.xHotspot = static_cast<DWORD>(layout->xHotspot);
    info.yHotspot = static_cast<DWORD>(layout->yHotspot);

    std::size_t colourLength = 0, maskLength = 0;
    HBITMAP colourHandle = nullptr, maskHandle = nullptr;
    if (!DeserializeBitmap(dc, colourHandle, false, data, pos + kIconRecordHead, colourLength, version)) return false;
    UniqueBitmap colour(colourHandle);
    if (!DeserializeBitmap(dc, maskHandle, true, data, pos + kIconRecordHead + colourLength, maskLength, version))
        return false;
    UniqueBitmap mask(maskHandle);

    info.hbmColor = colour.get();
    info.hbmMask = mask.get();
    HICON made = ::CreateIconIndirect(&info);
    if (!made) return false;
    icon = made;
    length = kIconRecordHead + colourLength + maskLength;
    return true;
}

std::wstring TempFolderPath() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (n > 0 && n <= MAX_PATH) return std::wstring(buffer, n);
    return AppFolder();
}

std::wstring GetTempFileNameWithPrefix(const std::wstring& prefix) {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(TempFolderPath().c_str(), prefix.c_str(), 0, buffer)) return {};
    return StripNulls(std::wstring(buffer, MAX_PATH + 1));
}

std::wstring StripNulls(const std::wstring& text) {
    const auto nul = text.find(L'\0');
    return nul == std::wstring::npos ? text : text.substr(0, nul);
}

}  // namespace kal
