#include "toolkit/images/fileicon.h"

#include <algorithm>
#include <cstring>

#include "startup/utility.h"
#include "toolkit/images/imageformat.h"

namespace kal {

namespace {

constexpr LONGLONG kLargestIconFile = 0x4000000;  // 64 MiB; larger files are not icons

std::wstring ResourceName(std::uint32_t id) { return L"#" + std::to_wstring(id); }

}  // namespace

void cFileIcon::Raise(std::int32_t code, const std::wstring& description) {
    throw ToolkitError(code == kErrSubscript ? code : IconErrorNumber(code), AppExeName() + L".cFileIcon", description);
}

const IconDirEntry& cFileIcon::Entry(std::int32_t index) const {
    if (index < 1 || static_cast<std::size_t>(index) > data_.Count()) Raise(kErrSubscript, L"Subscript out of range");
    return data_.directory[static_cast<std::size_t>(index - 1)];
}

void cFileIcon::CloneTo(cFileIcon& target) const {
    if (&target != this) target.CloneFrom(*this);
}

void cFileIcon::CloneFrom(const cFileIcon& source) {
    fileName_ = source.fileName_;
    resourceId_ = source.resourceId_;
    data_.header = source.data_.header;
    data_.directory = source.data_.directory;
    data_.images.clear();
    for (std::size_t i = 0; i < source.data_.Count(); ++i) {
        const Bytes& image = source.data_.images[i];
        const std::size_t n = std::min<std::size_t>(image.size(), source.data_.directory[i].bytesInRes);
        Bytes copy(source.data_.directory[i].bytesInRes, 0);
        std::memcpy(copy.data(), image.data(), n);
        data_.images.push_back(std::move(copy));
    }
}

double cFileIcon::ImageColourCount(std::int32_t index) const {
    Entry(index);
    return data_.ColourCount(static_cast<std::size_t>(index - 1));
}

void cFileIcon::AddImage(std::int32_t width, std::int32_t height, std::int32_t colours) {
    if (!data_.AddImage(width, height, colours)) Raise(1049, L"Icon already exists.");
}

bool cFileIcon::LoadIcon(const std::wstring& fileName) {
    fileName_ = fileName;
    resourceId_ = std::monostate{};
    data_.Clear();

    Bytes content;
    {
        UniqueHandle file(::CreateFileW(fileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            file.release();
            return false;
        }
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.get(), &size)) size.QuadPart = 0;
        content.resize(static_cast<std::size_t>(std::min(size.QuadPart, kLargestIconFile)));
        DWORD got = 0;
        if (!content.empty() &&
            !::ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &got, nullptr))
            got = 0;
        content.resize(got);
    }
    const IconLoadProblem problem = data_.Parse(content);
    if (problem != IconLoadProblem::None)
        Raise(1050, L"Failed to load icon: " + std::wstring(IconLoadReason(problem)));
    return true;
}

bool cFileIcon::LoadIconFromEXE(const std::wstring& path, std::int32_t id, const std::wstring& name) {
    fileName_ = path;
    resourceId_ = std::monostate{};
    data_.Clear();

    UniqueModule module(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) Raise(1054, L"Can't load library.");
    HRSRC found = nullptr;
    if (id != 0) {
        found = ::FindResourceW(module.get(), ResourceName(static_cast<std::uint32_t>(id)).c_str(), RT_GROUP_ICON);
        resourceId_ = id;
    } else {
        found = ::FindResourceW(module.get(), name.c_str(), RT_GROUP_ICON);
        resourceId_ = name;
    }
    if (!found) Raise(1055, L"Can't find resource.");
    HGLOBAL loaded = ::LoadResource(module.get(), found);
    if (!loaded) Raise(1056, L"Can't load resource.");
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(loaded));
    if (!bytes) Raise(1056, L"Can't lock resource.");
    const std::span<const std::uint8_t> groupBytes(bytes, ::SizeofResource(module.get(), found));

    if (groupBytes.size() >= kIconHeaderSize) data_.header = ReadIconHeader(groupBytes.data());
    if (data_.header.count < 1) return false;
    const auto group = ParseIconGroup(groupBytes);
    bool ok = group.has_value();
    if (ok) {
        data_.directory = group->entries;
        auto offset = static_cast<std::uint32_t>(kIconHeaderSize + kIconEntrySize * data_.directory.size());
        for (IconDirEntry& e : data_.directory) {
            e.imageOffset = offset;
            offset += e.bytesInRes;
        }
        for (std::size_t i = 0; ok && i < group->ids.size(); ++i) {
            HRSRC image = ::FindResourceW(module.get(), ResourceName(group->ids[i]).c_str(), RT_ICON);
            HGLOBAL data = image ? ::LoadResource(module.get(), image) : nullptr;
            const DWORD size = image ? ::SizeofResource(module.get(), image) : 0;
            const void* locked = data ? ::LockResource(data) : nullptr;
            ok = locked && size > 0 && size == data_.directory[i].bytesInRes;
            if (ok) {
                const auto* p = static_cast<const std::uint8_t*>(locked);
                data_.images.emplace_back(p, p + size);
            }
        }
    }
    if (!ok) {
        data_.directory.clear();
        data_.images.clear();
        data_.header.count = 0;
        resourceId_ = std::monostate{};
        Raise(1057, L"Failed to read bitmap bits from resource.");
    }
    return true;
}

bool cFileIcon::SaveIcon(const std::wstring& fileName) {
    if (fileName_.empty() && fileName.empty()) Raise(1051, L"No filename specified.");
    if (data_.Count() == 0) Raise(1052, L"Icon contains no images.");
    if (!fileName.empty()) fileName_ = fileName;

    const Bytes content = data_.Serialize();  // offsets of the layout written here
    UniqueHandle file(::CreateFileW(fileName_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        Raise(1052, L"Couldn't open file for writing.");
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written != content.size())
        Raise(1053, L"General failure writing icon.");
    return true;
}

HBITMAP cFileIcon::RenderImage(HDC dc, std::int32_t index, bool mask, bool draw, int x, int y, int width, int height,
                               DWORD rop, bool keep) const {
    Entry(index);
    const Bytes& image = data_.images[static_cast<std::size_t>(index - 1)];
    // Only plain bitmaps whose rows lie inside the data are drawn; compressed images are not.
    const auto layout = CheckDibImage(image);
    if (!layout) return nullptr;
    const int w = layout->width;
    const int h = layout->height;

    UniqueDC mem(::CreateCompatibleDC(mask ? nullptr : dc));
    if (!mem) return nullptr;
    UniqueBitmap bitmap(::CreateCompatibleBitmap(mask ? mem.get() : dc, w, h));
    if (!bitmap) return nullptr;
    SelectGuard select(mem.get(), bitmap.get());
    if (!select.Ok()) return nullptr;

    Bytes info;
    const std::uint8_t* bits = nullptr;
    if (!mask) {
        info.assign(image.begin(), image.begin() + layout->headerSize);
        PutU32(info.data() + 8, static_cast<std::uint32_t>(h));
        bits = image.data() + layout->headerSize;
    } else {
        info.assign(kDibHeaderBase + 8, 0);
        std::memcpy(info.data(), image.data(), 12);  // size, width, height
        PutU32(info.data() + 8, static_cast<std::uint32_t>(h));
        PutU16(info.data() + 12, 1);
        PutU16(info.data() + 14, 1);
        info[kDibHeaderBase + 4] = info[kDibHeaderBase + 5] = info[kDibHeaderBase + 6] = 255;
        bits = image.data() + layout->maskOffset;
    }
    ::SetDIBitsToDevice(mem.get(), 0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0,
                        static_cast<UINT>(h), bits, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);

    if (draw) {
        if (width == 0 && height == 0)
            ::BitBlt(dc, x, y, w, h, mem.get(), 0, 0, rop);
        else
            ::StretchBlt(dc, x, y, width ? width : w, height ? height : h, mem.get(), 0, 0, w, h, rop);
    }
    select.Restore();
    return keep ? bitmap.release() : nullptr;
}

HICON cFileIcon::IconHandle(HDC dc, std::int32_t index) const {
    UniqueBitmap colour(RenderImage(dc, index, false, false, 0, 0, 0, 0, 0, true));
    UniqueBitmap mask(RenderImage(dc, index, true, false, 0, 0, 0, 0, 0, true));
    if (!colour || !mask) return nullptr;
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.get();
    info.hbmColor = colour.get();
    return ::CreateIconIndirect(&info);
}

PicturePtr cFileIcon::IconPicture(HDC dc, std::int32_t index) const {
    UniqueIcon icon(IconHandle(dc, index));
    if (!icon) return {};
    PicturePtr picture = IconToPicture(icon.get());
    if (picture) icon.release();
    return picture;
}

void cFileIcon::DrawIconImage(HDC dc, std::int32_t index, bool mask, int x, int y, int width, int height,
                              DWORD rop) const {
    RenderImage(dc, index, mask, true, x, y, width, height, rop, false);
}

}  // namespace kal
