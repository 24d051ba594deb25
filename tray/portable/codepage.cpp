#include "tray/portable/codepage.h"

namespace kal {

namespace {

// Bytes 0x80 to 0x9F of Windows-1252; 0 marks the undefined ones.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::vector<char32_t> CodePoints(std::wstring_view text) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = static_cast<char32_t>(text[i]) & 0x1FFFFF;
        if (IsHighSurrogate(c) && i + 1 < text.size()) {
            const char32_t next = static_cast<char32_t>(text[i + 1]);
            if (IsLowSurrogate(next)) {
                out.push_back(0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        out.push_back(c);
    }
    return out;
}

void AppendCodePoint(std::wstring& text, char32_t c) {
    if (c >= 0x10000 && sizeof(wchar_t) == 2) {
        c -= 0x10000;
        text += static_cast<wchar_t>(0xD800 + (c >> 10));
        text += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        text += static_cast<wchar_t>(c);
    }
}

std::wstring WideFromUtf16(std::u16string_view units) {
    std::wstring text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t c = units[i];
        if (IsHighSurrogate(c) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendCodePoint(text, 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            text += static_cast<wchar_t>(c);
        }
    }
    return text;
}

std::u16string Utf16FromWide(std::wstring_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (const char32_t c : CodePoints(text)) {
        if (c >= 0x10000 && c <= 0x10FFFF) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

std::optional<std::uint8_t> Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == c) return static_cast<std::uint8_t>(0x80 + i);
    return std::nullopt;
}

char32_t Cp1252Char(std::uint8_t byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    const char16_t c = kCp1252High[byte - 0x80];
    return c ? c : byte;
}

std::optional<std::u32string> DecodeUtf8(std::string_view bytes, std::size_t* badOffset) {
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    const auto fail = [&](std::size_t at) -> std::optional<std::u32string> {
        if (badOffset) *badOffset = at;
        return std::nullopt;
    };
    while (i < bytes.size()) {
        const auto b0 = static_cast<std::uint8_t>(bytes[i]);
        int extra = 0;
        char32_t c = 0, min = 0;
        if (b0 < 0x80) {
            out += b0;
            ++i;
            continue;
        } else if ((b0 & 0xE0) == 0xC0) {
            extra = 1, c = b0 & 0x1F, min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            extra = 2, c = b0 & 0x0F, min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            extra = 3, c = b0 & 0x07, min = 0x10000;
        } else {
            return fail(i);
        }
        if (bytes.size() - i <= static_cast<std::size_t>(extra)) return fail(i);
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<std::uint8_t>(bytes[i + static_cast<std::size_t>(k)]);
            if ((b & 0xC0) != 0x80) return fail(i);
            c = (c << 6) | (b & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return fail(i);
        out += c;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

}  // namespace kal
