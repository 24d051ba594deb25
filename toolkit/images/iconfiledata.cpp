#include "toolkit/images/iconfiledata.h"

#include <cmath>

#include "toolkit/images/imageformat.h"

namespace kal {

IconHeader ReadIconHeader(const std::uint8_t* p) {
    return IconHeader{GetU16(p), GetU16(p + 2), GetU16(p + 4)};
}

void WriteIconHeader(std::uint8_t* p, const IconHeader& h) {
    PutU16(p, h.reserved);
    PutU16(p + 2, h.type);
    PutU16(p + 4, h.count);
}

IconDirEntry ReadIconEntry(const std::uint8_t* p, bool withOffset) {
    IconDirEntry e;
    e.width = p[0];
    e.height = p[1];
    e.colourCount = p[2];
    e.reserved = p[3];
    e.planes = GetU16(p + 4);
    e.bitCount = GetU16(p + 6);
    e.bytesInRes = GetU32(p + 8);
    e.imageOffset = withOffset ? GetU32(p + 12) : 0;
    return e;
}

void WriteIconEntry(std::uint8_t* p, const IconDirEntry& e) {
    p[0] = e.width;
    p[1] = e.height;
    p[2] = e.colourCount;
    p[3] = e.reserved;
    PutU16(p + 4, e.planes);
    PutU16(p + 6, e.bitCount);
    PutU32(p + 8, e.bytesInRes);
    PutU32(p + 12, e.imageOffset);
}

std::uint32_t RowBytes(std::uint32_t bits) { return ((bits + 31) / 32) * 4; }

std::uint32_t PaletteEntries(std::uint16_t bitCount, std::uint32_t coloursUsed) {
    if (coloursUsed != 0) return coloursUsed;
    switch (bitCount) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

std::wstring_view IconLoadReason(IconLoadProblem problem) {
    switch (problem) {
        case IconLoadProblem::ReservedNotZero: return L"File is not icon type (reserved member is 0)";
        case IconLoadProblem::NotIconType: return L"File is not icon type (idType <> IMAGE_ICON)";
        case IconLoadProblem::NoImages: return L"Icon contains no images.";
        case IconLoadProblem::DirectoryCorrupt: return L"Icon Directory Array is Corrupt.";
        case IconLoadProblem::ImagesCorrupt: return L"Icon Images Array is Corrupt.";
        case IconLoadProblem::None: break;
    }
    return L"";
}

std::optional<DibImageLayout> CheckDibImage(std::span<const std::uint8_t> image) {
    if (image.size() < kDibHeaderBase) return std::nullopt;
    const std::uint8_t* p = image.data();
    if (GetU32(p) != kDibHeaderBase || GetU32(p + 16) != 0 /* BI_RGB */) return std::nullopt;
    DibImageLayout l;
    l.width = GetI32(p + 4);
    const std::int32_t fullHeight = GetI32(p + 8);
    l.planes = GetU16(p + 12);
    l.bitCount = GetU16(p + 14);
    const std::uint32_t coloursUsed = GetU32(p + 32);
    if (l.width < 1 || l.width > 1024 || fullHeight < 2 || fullHeight > 2048 || l.planes != 1) return std::nullopt;
    switch (l.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return std::nullopt;
    }
    if (coloursUsed > 256) return std::nullopt;
    l.height = fullHeight / 2;
    l.headerSize = kDibHeaderBase + 4 * PaletteEntries(l.bitCount, coloursUsed);
    const auto w = static_cast<std::uint64_t>(l.width);
    const auto h = static_cast<std::uint64_t>(l.height);
    const std::uint64_t colourBytes = h * RowBytes(static_cast<std::uint32_t>(w * l.planes * l.bitCount));
    const std::uint64_t maskBytes = h * RowBytes(static_cast<std::uint32_t>(w));
    if (l.headerSize + colourBytes + maskBytes > image.size()) return std::nullopt;
    l.maskOffset = static_cast<std::uint32_t>(l.headerSize + colourBytes);
    return l;
}

void IconFileData::Clear() {
    header = {};
    directory.clear();
    images.clear();
}

IconLoadProblem IconFileData::Parse(std::span<const std::uint8_t> file) {
    Clear();
    std::uint8_t head[kIconHeaderSize] = {};  // a short file reads as zeros past its end
    for (std::size_t i = 0; i < kIconHeaderSize && i < file.size(); ++i) head[i] = file[i];
    header = ReadIconHeader(head);

    IconLoadProblem problem = IconLoadProblem::None;
    if (header.reserved != 0) problem = IconLoadProblem::ReservedNotZero;
    else if (header.type != 1) problem = IconLoadProblem::NotIconType;
    else if (header.count < 1) problem = IconLoadProblem::NoImages;
    else if (file.size() < kIconHeaderSize + kIconEntrySize * header.count) problem = IconLoadProblem::DirectoryCorrupt;
    if (problem == IconLoadProblem::None) {
        for (std::size_t i = 0; i < header.count; ++i)
            directory.push_back(ReadIconEntry(file.data() + kIconHeaderSize + kIconEntrySize * i));
        // Entries may name overlapping bytes; together they hold no more than the file has, so
        // a small file can't claim a copy of itself per entry.
        std::uint64_t total = 0;
        for (const IconDirEntry& e : directory) {
            total += e.bytesInRes;
            if (e.imageOffset > file.size() || e.bytesInRes > file.size() - e.imageOffset || total > file.size()) {
                problem = IconLoadProblem::ImagesCorrupt;
                break;
            }
            images.emplace_back(file.begin() + e.imageOffset, file.begin() + e.imageOffset + e.bytesInRes);
        }
    }
    if (problem != IconLoadProblem::None) {
        directory.clear();
        images.clear();
        header.count = 0;
    }
    return problem;
}

void IconFileData::LayOut() {
    auto offset = static_cast<std::uint32_t>(kIconHeaderSize + kIconEntrySize * directory.size());
    for (std::size_t i = 0; i < directory.size(); ++i) {
        directory[i].bytesInRes = static_cast<std::uint32_t>(images[i].size());
        directory[i].imageOffset = offset;
        offset += directory[i].bytesInRes;
    }
}

Bytes IconFileData::Serialize() {
    LayOut();
    header.count = static_cast<std::uint16_t>(images.size());
    Bytes out(kIconHeaderSize + kIconEntrySize * directory.size());
    WriteIconHeader(out.data(), header);
    for (std::size_t i = 0; i < directory.size(); ++i)
        WriteIconEntry(out.data() + kIconHeaderSize + kIconEntrySize * i, directory[i]);
    for (const Bytes& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

bool IconFileData::AddImage(std::int32_t width, std::int32_t height, std::int32_t colours) {
    std::uint32_t offset = kIconHeaderSize + kIconEntrySize;
    if (!images.empty()) {
        std::size_t last = 0;
        for (std::size_t i = 0; i < directory.size(); ++i) {
            if (directory[i].width == width && directory[i].height == height && ColourCount(i) == colours)
                return false;
            if (directory[i].imageOffset > directory[last].imageOffset) last = i;
        }
        offset = directory[last].imageOffset + directory[last].bytesInRes;
        for (IconDirEntry& e : directory) e.imageOffset += kIconEntrySize;
        offset += kIconEntrySize;
    } else {
        header.reserved = 0;
        header.type = 1;
    }

    IconDirEntry e;
    std::uint32_t paletteBytes = 0;
    switch (colours) {
        case 2: e.bitCount = 1; e.colourCount = 2; paletteBytes = 8; break;
        case 16: e.bitCount = 4; e.colourCount = 16; paletteBytes = 64; break;
        case 256: e.bitCount = 8; e.colourCount = 0; paletteBytes = 1024; break;
        default: e.bitCount = 24; e.colourCount = 0; break;
    }
    e.planes = 1;
    e.width = static_cast<std::uint8_t>(width);
    e.height = static_cast<std::uint8_t>(height);
    e.imageOffset = offset;
    const auto w = static_cast<std::uint32_t>(e.width);
    const auto h = static_cast<std::uint32_t>(e.height);
    e.bytesInRes = static_cast<std::uint32_t>(kDibHeaderBase) + paletteBytes + RowBytes(e.bitCount * w) * h + RowBytes(w) * h;

    Bytes image(e.bytesInRes, 0);
    PutU32(image.data(), kDibHeaderBase);
    PutU32(image.data() + 4, w);
    PutU32(image.data() + 8, h * 2);
    PutU16(image.data() + 12, 1);
    PutU16(image.data() + 14, e.bitCount);
    if (e.bitCount == 1) {  // black, then white
        image[44] = image[45] = image[46] = 255;
    }
    directory.push_back(e);
    images.push_back(std::move(image));
    header.count = static_cast<std::uint16_t>(images.size());
    return true;
}

void IconFileData::RemoveImage(std::int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > images.size()) return;
    if (images.size() < 2) {
        directory.clear();
        images.clear();
        header.count = 0;
        return;
    }
    const auto removed = static_cast<std::size_t>(index - 1);
    const std::uint32_t gone = directory[removed].bytesInRes;
    for (std::size_t i = removed + 1; i < directory.size(); ++i) directory[i].imageOffset -= gone;
    directory.erase(directory.begin() + static_cast<std::ptrdiff_t>(removed));
    images.erase(images.begin() + static_cast<std::ptrdiff_t>(removed));
    for (IconDirEntry& e : directory) e.imageOffset -= kIconEntrySize;
    header.count = static_cast<std::uint16_t>(images.size());
}

double IconFileData::ColourCount(std::size_t i) const {
    const IconDirEntry& e = directory.at(i);
    if (e.colourCount != 0) return e.colourCount;
    return std::ldexp(1.0, e.bitCount);
}

std::optional<IconGroup> ParseIconGroup(std::span<const std::uint8_t> resource) {
    if (resource.size() < kIconHeaderSize) return std::nullopt;
    IconGroup g;
    g.header = ReadIconHeader(resource.data());
    if (resource.size() < kIconHeaderSize + kIconGroupEntrySize * g.header.count) return std::nullopt;
    for (std::size_t i = 0; i < g.header.count; ++i) {
        const std::uint8_t* p = resource.data() + kIconHeaderSize + kIconGroupEntrySize * i;
        g.entries.push_back(ReadIconEntry(p, false));
        g.ids.push_back(GetU16(p + 12));
    }
    return g;
}

}  // namespace kal
