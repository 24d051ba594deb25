// The contents of an icon (.ico) file: header, directory and image data, with reading,
// writing, adding and removing images, and the checks made before an image is rendered.
// No Windows API here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/hextext.h"

namespace kal {

constexpr std::size_t kIconHeaderSize = 6;
constexpr std::size_t kIconEntrySize = 16;
constexpr std::size_t kIconGroupEntrySize = 14;
constexpr std::size_t kDibHeaderBase = 40;

struct IconHeader {
    std::uint16_t reserved = 0;
    std::uint16_t type = 0;
    std::uint16_t count = 0;
};

struct IconDirEntry {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t colourCount = 0;
    std::uint8_t reserved = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytesInRes = 0;
    std::uint32_t imageOffset = 0;
};

IconHeader ReadIconHeader(const std::uint8_t* p);
void WriteIconHeader(std::uint8_t* p, const IconHeader& h);
// The first 12 bytes are shared by file entries and icon-group entries.
IconDirEntry ReadIconEntry(const std::uint8_t* p, bool withOffset = true);
void WriteIconEntry(std::uint8_t* p, const IconDirEntry& e);

// Whole 32-bit words of a row of `bits` bits, in bytes.
std::uint32_t RowBytes(std::uint32_t bits);
// Palette entries of a DIB header: its colours-used field, else 2, 16 or 256 for 1, 4, 8 bits.
std::uint32_t PaletteEntries(std::uint16_t bitCount, std::uint32_t coloursUsed);

enum class IconLoadProblem { None, ReservedNotZero, NotIconType, NoImages, DirectoryCorrupt, ImagesCorrupt };
// The reason text that follows "Failed to load icon: ".
std::wstring_view IconLoadReason(IconLoadProblem problem);

// A plain BITMAPINFOHEADER image (BI_RGB) whose colour and mask rows lie inside its data.
struct DibImageLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;  // the image's own height: half the header's
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t headerSize = 0;  // 40 + 4 x palette entries
    std::uint32_t maskOffset = 0;
};
// Nothing for data in another encoding (such as a compressed image) or sizes past its end.
std::optional<DibImageLayout> CheckDibImage(std::span<const std::uint8_t> image);

class IconFileData {
public:
    IconHeader header;
    std::vector<IconDirEntry> directory;
    std::vector<Bytes> images;

    void Clear();  // no images, zero header
    std::size_t Count() const { return images.size(); }

    // Reads a whole .ico file. On a problem the object keeps no images.
    IconLoadProblem Parse(std::span<const std::uint8_t> file);

    // Image offsets of the contiguous layout: the first right after the directory.
    void LayOut();
    // The file: header, directory, image data, laid out afresh.
    Bytes Serialize();

    // False, changing nothing, when an image of that width, height and colour count exists.
    bool AddImage(std::int32_t width, std::int32_t height, std::int32_t colours);
    // 1-based; outside 1 .. count removes nothing.
    void RemoveImage(std::int32_t index);

    // 2 to the power of the bit count when the colour count byte is 0.
    double ColourCount(std::size_t i) const;
};

// An icon group resource: header and one 14-byte entry per image (12 entry bytes, resource id).
struct IconGroup {
    IconHeader header;
    std::vector<IconDirEntry> entries;  // offsets 0
    std::vector<std::uint16_t> ids;
};
// Nothing when the resource is shorter than its header and entries claim.
std::optional<IconGroup> ParseIconGroup(std::span<const std::uint8_t> resource);

}  // namespace kal
