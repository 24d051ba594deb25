// Byte layouts of stored image data: icon records, the image-list file with its key block,
// the numeric reading of a key-or-index and a small property bag. No Windows API here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/hextext.h"

namespace kal {

// Version number stamped on stored icon records: (major AND 0x7FFF) x 65536 + minor (signed
// 16-bit). Records below 1 hold 24-bit colour rows, all others 32-bit.
std::int32_t ImageDataVersion(std::int32_t major, std::int32_t minor);
// The number for this build of the program.
std::int32_t ProgramImageVersion();

// Little-endian access; callers check the bounds.
std::uint16_t GetU16(const std::uint8_t* p);
std::uint32_t GetU32(const std::uint8_t* p);
inline std::int32_t GetI32(const std::uint8_t* p) { return static_cast<std::int32_t>(GetU32(p)); }
void PutU16(std::uint8_t* p, std::uint16_t v);
void PutU32(std::uint8_t* p, std::uint32_t v);
void AppendU32(Bytes& out, std::uint32_t v);

// ---- Icon records -------------------------------------------------------------------------

constexpr std::size_t kIconRecordHead = 12;   // fIcon, xHotspot, yHotspot
constexpr std::size_t kBitmapRecordHead = 24;  // the BITMAP structure
// Largest side accepted when reading a record back; icons in image lists are far smaller.
constexpr std::int32_t kMaxRecordSide = 1024;

// The 24-byte BITMAP head of a bitmap record.
struct BitmapHead {
    std::int32_t type = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t widthBytes = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitsPixel = 0;
    std::uint32_t bits = 0;
};
BitmapHead ReadBitmapHead(const std::uint8_t* p);
void WriteBitmapHead(std::uint8_t* p, const BitmapHead& head);

// Bytes reserved per mask row: 4 x ((R + 3) div 4), R = (w + 7) / 8 rounded half to even.
std::size_t MaskRowReserve(std::int32_t width);
// Length of a bitmap record's pixel block (without its 24-byte head).
std::size_t BitmapBlockLength(std::int32_t width, std::int32_t height, bool mask, std::int32_t version);
// Whole record of an icon whose colour and mask bitmaps are width x height.
std::size_t IconRecordLength(std::int32_t width, std::int32_t height, std::int32_t version);

// Where the parts of one stored icon record lie, relative to the record's start.
struct IconRecordLayout {
    std::int32_t xHotspot = 0;
    std::int32_t yHotspot = 0;
    BitmapHead colour;
    BitmapHead mask;
    std::size_t colourBlock = 0;  // pixel bytes after the colour head
    std::size_t maskOffset = 0;   // start of the mask bitmap record
    std::size_t maskBlock = 0;
    std::size_t length = 0;
};
// The layout of the record at `pos`, or nothing when its heads are not those of a colour icon
// (sizes, planes, a 1-bit mask of the same size) or the record runs past the end of `data`.
std::optional<IconRecordLayout> MeasureIconRecord(std::span<const std::uint8_t> data, std::size_t pos,
                                                  std::int32_t version);

// ---- Image-list file --------------------------------------------------------------------

constexpr std::uint32_t kImageFileMagic = 0x5745E456;
constexpr char kKeySeparatorByte = static_cast<char>(0xFF);

// magic, version, N, the records, K, the key block.
Bytes BuildImageFile(std::int32_t version, std::span<const std::uint8_t> records, std::string_view keyBlock);

struct ImageFileContents {
    std::int32_t version = 0;
    Bytes records;
    std::string keyText;  // the key block, ANSI
};
enum class ImageFileProblem { None, EmptyImageBlock, Truncated };
// Reads both layouts: with magic and version, or the older one that starts with N (version 0).
// A file ending right after the image block has no keys.
ImageFileProblem ParseImageFile(std::span<const std::uint8_t> file, ImageFileContents& out);

// Every key followed by the separator, then one more separator.
template <typename Str>
Str JoinKeyBlock(const std::vector<Str>& keys, typename Str::value_type separator) {
    Str text;
    for (const auto& k : keys) {
        text += k;
        text += separator;
    }
    text += separator;
    return text;
}

// Separator-joined keys as pieces; text after the last separator is a piece too (possibly empty).
template <typename Str>
std::vector<Str> SplitKeys(const Str& text, typename Str::value_type separator) {
    std::vector<Str> pieces;
    if (text.empty()) return pieces;
    std::size_t p = 0;
    for (;;) {
        const std::size_t f = text.find(separator, p);
        if (f == Str::npos) {
            pieces.push_back(text.substr(p));
            break;
        }
        pieces.push_back(text.substr(p, f - p));
        p = f + 1;
    }
    return pieces;
}

// Stores `key` at `index` (growing the array) unless another entry, non-blank after trimming
// spaces, already equals it exactly; a refused key changes nothing. Returns whether it was stored.
bool StoreKey(std::vector<std::wstring>& keys, std::size_t index, const std::wstring& key);

// Piece k goes to keys[first + k] through StoreKey while that entry exists; an empty piece leaves
// its entry as it was.
void SpreadKeys(std::vector<std::wstring>& keys, std::size_t first, const std::vector<std::wstring>& pieces);

// ---- Key or index ----------------------------------------------------------------------

// The numeric value of a text that reads as a number (spaces around it, sign, decimals, exponent,
// &H hex, &O octal), rounded half to even and clamped to 32 bits; nothing for any other text.
std::optional<std::int32_t> NumericKeyValue(std::wstring_view text);

// ---- Property bag ------------------------------------------------------------------------

using PropertyValue = std::variant<std::int32_t, std::wstring, Bytes>;

// Named stored properties of a control. Writing a value equal to its default removes it.
class ImagePropertyBag {
public:
    void Write(const std::wstring& name, const PropertyValue& value);
    void Write(const std::wstring& name, const PropertyValue& value, const PropertyValue& defaultValue);
    PropertyValue Read(const std::wstring& name, const PropertyValue& defaultValue) const;
    std::int32_t ReadInt(const std::wstring& name, std::int32_t defaultValue) const;
    std::wstring ReadText(const std::wstring& name, const std::wstring& defaultValue) const;
    Bytes ReadBytes(const std::wstring& name) const;
    bool Contains(const std::wstring& name) const { return values_.count(name) != 0; }
    std::size_t Count() const { return values_.size(); }

private:
    std::map<std::wstring, PropertyValue> values_;
};

}  // namespace kal
