#include "startup/names.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace kal {

std::wstring MenuCaptionName(const std::wstring& caption) {
    const auto tab = caption.find(L'\t');
    return tab == std::wstring::npos ? caption : caption.substr(0, tab);
}

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

std::array<std::uint8_t, 16> ParseGUID(const std::wstring& text) {
    std::array<std::uint8_t, 16> out{};
    // {8-4-4-4-12}: 38 characters with the braces.
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return out;
    std::wstring hex;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const bool dashPlace = i == 9 || i == 14 || i == 19 || i == 24;
        if (dashPlace) {
            if (text[i] != L'-') return out;
            continue;
        }
        if (HexDigit(text[i]) < 0) return out;
        hex += text[i];
    }
    auto byteAt = [&](std::size_t pos) {
        return static_cast<std::uint8_t>(HexDigit(hex[pos]) * 16 + HexDigit(hex[pos + 1]));
    };
    std::array<std::uint8_t, 16> parsed{};
    // Data1 (4 bytes), Data2 and Data3 (2 bytes each) are stored little-endian, Data4 as is.
    for (int i = 0; i < 4; ++i) parsed[i] = byteAt(static_cast<std::size_t>(2 * (3 - i)));
    for (int i = 0; i < 2; ++i) parsed[4 + i] = byteAt(static_cast<std::size_t>(8 + 2 * (1 - i)));
    for (int i = 0; i < 2; ++i) parsed[6 + i] = byteAt(static_cast<std::size_t>(12 + 2 * (1 - i)));
    for (int i = 0; i < 8; ++i) parsed[8 + i] = byteAt(static_cast<std::size_t>(16 + 2 * i));
    return parsed;
}

std::wstring LiveProfileNameFor(float secondsSinceMidnight, const std::wstring& decimalSeparator) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(secondsSinceMidnight));
    std::wstring text;
    for (const char* p = buf; *p; ++p) {
        if (*p == '.') text += decimalSeparator;
        else text += static_cast<wchar_t>(*p);
    }
    if (!decimalSeparator.empty()) {
        for (auto pos = text.find(decimalSeparator); pos != std::wstring::npos;
             pos = text.find(decimalSeparator, pos)) {
            text.erase(pos, decimalSeparator.size());
        }
    }
    return text + L"~Live";
}

bool IsLiveProfileName(const std::wstring& name) {
    return name.find(L"~Live") != std::wstring::npos;
}

bool IsRestorePointName(const std::wstring& name) {
    constexpr std::size_t kMark = 5;  // "~Live"
    if (name.size() <= kMark || !IsReservedProfileName(name.substr(name.size() - kMark))) return false;
    for (std::size_t i = 0; i + kMark < name.size(); ++i)
        if (name[i] < L'0' || name[i] > L'9') return false;
    return true;
}

bool IsReservedProfileName(const std::wstring& name) {
    std::wstring lower = name;
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower.find(L"~live") != std::wstring::npos;
}

// Within the registry's 255 characters of a key's name, a long name cut short.
std::wstring StagingProfileName(const std::wstring& name) { return L"~" + name.substr(0, 255 - 6) + L"~Live"; }

void SplitCustomIcon(const std::wstring& text, std::wstring& iconFile, bool& volumeOverlay) {
    const auto bar = text.find(L'|');
    iconFile = text.substr(0, bar);
    volumeOverlay = false;
    if (bar == std::wstring::npos) return;
    const auto next = text.find(L'|', bar + 1);
    volumeOverlay = text.substr(bar + 1, next == std::wstring::npos ? std::wstring::npos
                                                                    : next - bar - 1) == L"1";
}

std::int16_t ParseDefaultVolume(const std::wstring& text) {
    // Surrounding spaces are tolerated, as a numeric conversion of text would.
    std::size_t b = 0, e = text.size();
    while (b < e && std::iswspace(text[b])) ++b;
    while (e > b && std::iswspace(text[e - 1])) --e;
    if (b == e) return -1;
    bool negative = false;
    if (text[b] == L'+' || text[b] == L'-') {
        negative = text[b] == L'-';
        if (++b == e) return -1;
    }
    long value = 0;
    for (std::size_t i = b; i < e; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return -1;
        value = value * 10 + (text[i] - L'0');
        if (value > 32768) return -1;
    }
    if (negative) value = -value;
    if (value > 32767 || value < -32768) return -1;
    return static_cast<std::int16_t>(value);
}

std::int16_t ParseWheelIncrement(const std::wstring& text) {
    constexpr std::int16_t kDefault = 1;
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    const double value = std::wcstod(begin, &end);
    if (end == begin) return kDefault;
    while (*end && std::iswspace(*end)) ++end;
    if (*end) return kDefault;
    const double whole = std::nearbyint(value);
    if (!(whole >= -32768.0 && whole <= 32767.0)) return kDefault;
    return static_cast<std::int16_t>(whole);
}

std::wstring FormatUserAgent(const std::wstring& title, unsigned major, unsigned minor,
                             unsigned revision, unsigned winMajor, unsigned winMinor, bool wow64) {
    return title + L"/" + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." +
           std::to_wstring(revision) + L" (Windows NT " + std::to_wstring(winMajor) + L"." +
           std::to_wstring(winMinor) + (wow64 ? L"; WOW64" : L"") + L")";
}

}  // namespace kal
