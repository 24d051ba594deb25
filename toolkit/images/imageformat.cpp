#include "toolkit/images/imageformat.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "resources/version.h"

namespace kal {

std::int32_t ImageDataVersion(std::int32_t major, std::int32_t minor) {
    const auto high = static_cast<std::uint32_t>(major & 0x7FFF) << 16;
    return static_cast<std::int32_t>(high) + static_cast<std::int16_t>(minor);
}

std::int32_t ProgramImageVersion() {
    return ImageDataVersion(KALVENOR_VERSION_MAJOR, KALVENOR_VERSION_MINOR);
}

std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void AppendU32(Bytes& out, std::uint32_t v) {
    std::uint8_t b[4];
    PutU32(b, v);
    out.insert(out.end(), b, b + 4);
}

BitmapHead ReadBitmapHead(const std::uint8_t* p) {
    BitmapHead h;
    h.type = GetI32(p);
    h.width = GetI32(p + 4);
    h.height = GetI32(p + 8);
    h.widthBytes = GetI32(p + 12);
    h.planes = GetU16(p + 16);
    h.bitsPixel = GetU16(p + 18);
    h.bits = GetU32(p + 20);
    return h;
}

void WriteBitmapHead(std::uint8_t* p, const BitmapHead& h) {
    PutU32(p, static_cast<std::uint32_t>(h.type));
    PutU32(p + 4, static_cast<std::uint32_t>(h.width));
    PutU32(p + 8, static_cast<std::uint32_t>(h.height));
    PutU32(p + 12, static_cast<std::uint32_t>(h.widthBytes));
    PutU16(p + 16, h.planes);
    PutU16(p + 18, h.bitsPixel);
    PutU32(p + 20, h.bits);
}

std::size_t MaskRowReserve(std::int32_t width) {
    const auto r = static_cast<std::int64_t>(std::nearbyint((static_cast<double>(width) + 7.0) / 8.0));
    const std::int64_t s = 4 * ((r + 3) / 4);
    return s > 0 ? static_cast<std::size_t>(s) : 0;
}

std::size_t BitmapBlockLength(std::int32_t width, std::int32_t height, bool mask, std::int32_t version) {
    if (width <= 0 || height <= 0) return 0;
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    if (mask) return h * MaskRowReserve(width);
    if (version < 1) return h * (3 * w + 3);
    return 4 * w * h;
}

std::size_t IconRecordLength(std::int32_t width, std::int32_t height, std::int32_t version) {
    return kIconRecordHead + 2 * kBitmapRecordHead + BitmapBlockLength(width, height, false, version) +
           BitmapBlockLength(width, height, true, version);
}

std::optional<IconRecordLayout> MeasureIconRecord(std::span<const std::uint8_t> data, std::size_t pos,
                                                  std::int32_t version) {
    const std::size_t size = data.size();
    auto fits = [&](std::size_t offset, std::size_t length) {
        return pos <= size && offset <= size - pos && length <= size - pos - offset;
    };
    if (!fits(0, kIconRecordHead + kBitmapRecordHead)) return std::nullopt;
    const std::uint8_t* rec = data.data() + pos;

    IconRecordLayout l;
    l.xHotspot = GetI32(rec + 4);
    l.yHotspot = GetI32(rec + 8);
    l.colour = ReadBitmapHead(rec + kIconRecordHead);
    const auto saneSide = [](std::int32_t v) { return v >= 1 && v <= kMaxRecordSide; };
    if (!saneSide(l.colour.width) || !saneSide(l.colour.height) || l.colour.planes != 1) return std::nullopt;
    l.colourBlock = BitmapBlockLength(l.colour.width, l.colour.height, false, version);
    l.maskOffset = kIconRecordHead + kBitmapRecordHead + l.colourBlock;

    if (!fits(l.maskOffset, kBitmapRecordHead)) return std::nullopt;
    l.mask = ReadBitmapHead(rec + l.maskOffset);
    if (l.mask.width != l.colour.width || l.mask.height != l.colour.height || l.mask.planes != 1 ||
        l.mask.bitsPixel != 1)
        return std::nullopt;
    l.maskBlock = BitmapBlockLength(l.mask.width, l.mask.height, true, version);
    l.length = l.maskOffset + kBitmapRecordHead + l.maskBlock;
    if (!fits(0, l.length)) return std::nullopt;
    return l;
}

Bytes BuildImageFile(std::int32_t version, std::span<const std::uint8_t> records, std::string_view keyBlock) {
    Bytes out;
    out.reserve(16 + records.size() + keyBlock.size());
    AppendU32(out, kImageFileMagic);
    AppendU32(out, static_cast<std::uint32_t>(version));
    AppendU32(out, static_cast<std::uint32_t>(records.size()));
    out.insert(out.end(), records.begin(), records.end());
    AppendU32(out, static_cast<std::uint32_t>(keyBlock.size()));
    out.insert(out.end(), keyBlock.begin(), keyBlock.end());
    return out;
}

ImageFileProblem ParseImageFile(std::span<const std::uint8_t> file, ImageFileContents& out) {
    out = {};
    std::size_t pos = 0;
    auto take32 = [&](std::int32_t& v) {
        if (file.size() - pos < 4) return false;
        v = GetI32(file.data() + pos);
        pos += 4;
        return true;
    };
    std::int32_t first = 0, n = 0;
    if (!take32(first)) return ImageFileProblem::Truncated;
    if (static_cast<std::uint32_t>(first) == kImageFileMagic) {
        if (!take32(out.version) || !take32(n)) return ImageFileProblem::Truncated;
    } else {
        n = first;  // the older layout: no magic, no version
    }
    if (n < 1) return ImageFileProblem::EmptyImageBlock;
    if (file.size() - pos < static_cast<std::size_t>(n)) return ImageFileProblem::Truncated;
    out.records.assign(file.begin() + pos, file.begin() + pos + n);
    pos += static_cast<std::size_t>(n);

    std::int32_t k = 0;
    if (pos == file.size()) return ImageFileProblem::None;
    if (!take32(k) || (k > 0 && file.size() - pos < static_cast<std::size_t>(k))) {
        out = {};
        return ImageFileProblem::Truncated;
    }
    if (k <= 0) return ImageFileProblem::None;
    out.keyText.assign(reinterpret_cast<const char*>(file.data() + pos), static_cast<std::size_t>(k));
    return ImageFileProblem::None;
}

bool StoreKey(std::vector<std::wstring>& keys, std::size_t index, const std::wstring& key) {
    if (index >= keys.size()) keys.resize(index + 1);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i == index) continue;
        const std::wstring& other = keys[i];
        if (other.find_first_not_of(L' ') == std::wstring::npos) continue;  // blank keys may repeat
        if (other == key) return false;
    }
    keys[index] = key;
    return true;
}

void SpreadKeys(std::vector<std::wstring>& keys, std::size_t first, const std::vector<std::wstring>& pieces) {
    for (std::size_t k = 0; k < pieces.size() && first + k < keys.size(); ++k) {
        if (!pieces[k].empty()) StoreKey(keys, first + k, pieces[k]);
    }
}

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::optional<double> ParseRadix(std::wstring_view digits, int radix) {
    if (digits.empty() || digits.size() > 11) return std::nullopt;
    std::uint64_t v = 0;
    for (wchar_t c : digits) {
        int d = -1;
        if (c >= L'0' && c <= L'9') d = c - L'0';
        else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
        if (d < 0 || d >= radix) return std::nullopt;
        v = v * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
    }
    // Hex and octal literals of up to 32 bits are signed 32-bit values (&HFFFFFFFF is -1).
    if (v <= 0xFFFFFFFFull) return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
    return static_cast<double>(v);
}

std::optional<double> ParseDecimal(std::wstring_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    std::string ascii;
    bool digits = false;
    while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') { ascii += static_cast<char>(s[i++]); digits = true; }
    if (i < s.size() && s[i] == L'.') {
        ascii += '.';
        ++i;
        while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') { ascii += static_cast<char>(s[i++]); digits = true; }
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
        ascii += 'e';
        ++i;
        if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ascii += static_cast<char>(s[i++]);
        bool exp = false;
        while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') { ascii += static_cast<char>(s[i++]); exp = true; }
        if (!exp) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    const double v = std::strtod(ascii.c_str(), nullptr);
    return negative ? -v : v;
}

}  // namespace

std::optional<std::int32_t> NumericKeyValue(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    std::optional<double> v;
    if (text.size() > 2 && text[0] == L'&' && (text[1] == L'H' || text[1] == L'h')) v = ParseRadix(text.substr(2), 16);
    else if (text.size() > 2 && text[0] == L'&' && (text[1] == L'O' || text[1] == L'o')) v = ParseRadix(text.substr(2), 8);
    else v = ParseDecimal(text);
    if (!v || std::isnan(*v)) return std::nullopt;
    const double r = std::nearbyint(*v);
    if (r < static_cast<double>(std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (r > static_cast<double>(std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

void ImagePropertyBag::Write(const std::wstring& name, const PropertyValue& value) { values_[name] = value; }

void ImagePropertyBag::Write(const std::wstring& name, const PropertyValue& value, const PropertyValue& defaultValue) {
    if (value == defaultValue) values_.erase(name);
    else values_[name] = value;
}

PropertyValue ImagePropertyBag::Read(const std::wstring& name, const PropertyValue& defaultValue) const {
    const auto it = values_.find(name);
    return it == values_.end() ? defaultValue : it->second;
}

std::int32_t ImagePropertyBag::ReadInt(const std::wstring& name, std::int32_t defaultValue) const {
    const PropertyValue v = Read(name, defaultValue);
    if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
    if (const auto* s = std::get_if<std::wstring>(&v)) return NumericKeyValue(*s).value_or(defaultValue);
    return defaultValue;
}

std::wstring ImagePropertyBag::ReadText(const std::wstring& name, const std::wstring& defaultValue) const {
    const PropertyValue v = Read(name, defaultValue);
    if (const auto* s = std::get_if<std::wstring>(&v)) return *s;
    if (const auto* i = std::get_if<std::int32_t>(&v)) return std::to_wstring(*i);
    return defaultValue;
}

Bytes ImagePropertyBag::ReadBytes(const std::wstring& name) const {
    const PropertyValue v = Read(name, Bytes{});
    if (const auto* b = std::get_if<Bytes>(&v)) return *b;
    return {};
}

}  // namespace kal
