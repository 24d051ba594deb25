#include "toolkit/pages/pagehelpers.h"

#include <cmath>
#include <cstdlib>

namespace kal {

void FilterDigitKey(std::int32_t& keyCode) {
    if ((keyCode > L'9' || keyCode < L'0') && keyCode != 8) keyCode = 0;
}

std::int32_t ColourComponent(std::wstring_view text) {
    std::size_t p = 0;
    while (p < text.size() && (text[p] == L' ' || text[p] == L'\t')) ++p;
    std::string number;
    if (p < text.size() && (text[p] == L'+' || text[p] == L'-')) number += static_cast<char>(text[p++]);
    bool digits = false;
    while (p < text.size() && text[p] >= L'0' && text[p] <= L'9') {
        number += static_cast<char>(text[p++]);
        digits = true;
    }
    if (p < text.size() && text[p] == L'.') {
        number += '.';
        ++p;
        while (p < text.size() && text[p] >= L'0' && text[p] <= L'9') {
            number += static_cast<char>(text[p++]);
            digits = true;
        }
    }
    if (!digits) return 0;
    if (p + 1 < text.size() && (text[p] == L'e' || text[p] == L'E')) {
        std::string exponent = "e";
        std::size_t q = p + 1;
        if (text[q] == L'+' || text[q] == L'-') exponent += static_cast<char>(text[q++]);
        bool expDigits = false;
        while (q < text.size() && text[q] >= L'0' && text[q] <= L'9') {
            exponent += static_cast<char>(text[q++]);
            expDigits = true;
        }
        if (expDigits) number += exponent;
    }
    const double value = std::nearbyint(std::strtod(number.c_str(), nullptr));
    if (!(value > 0)) return 0;  // also NaN
    if (value > 255) return 255;
    return static_cast<std::int32_t>(value);
}

std::wstring UniqueKey(const std::wstring& base, std::int32_t& counter,
                       const std::function<bool(const std::wstring&)>& exists) {
    std::wstring candidate = counter == 0 ? base : base + L":" + std::to_wstring(counter);
    while (exists(candidate)) {
        ++counter;
        candidate = base + L":" + std::to_wstring(counter);
    }
    return candidate;
}

std::vector<std::wstring> SplitFileSelection(std::wstring_view selection) {
    std::vector<std::wstring> files;
    if (selection.find(L'\0') == std::wstring_view::npos) {
        if (!selection.empty()) files.emplace_back(selection);
        return files;
    }
    std::vector<std::wstring_view> pieces;
    std::size_t p = 0;
    for (;;) {
        const std::size_t nul = selection.find(L'\0', p);
        pieces.push_back(selection.substr(p, nul == std::wstring_view::npos ? std::wstring_view::npos : nul - p));
        if (nul == std::wstring_view::npos) break;
        p = nul + 1;
    }
    std::wstring folder(pieces.front());
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    for (std::size_t i = 1; i < pieces.size(); ++i)
        if (!pieces[i].empty()) files.push_back(folder + std::wstring(pieces[i]));
    return files;
}

std::wstring FileNamePart(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring FileExtensionPart(std::wstring_view path) {
    const std::wstring name = FileNamePart(path);
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

std::wstring FileTitlePart(std::wstring_view path) {
    const std::wstring name = FileNamePart(path);
    const std::size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8 |
           static_cast<std::uint32_t>(d[at + 2]) << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

bool IdIs(std::span<const std::uint8_t> d, std::size_t at, const char (&id)[5]) {
    for (std::size_t i = 0; i < 4; ++i)
        if (d[at + i] != static_cast<std::uint8_t>(id[i])) return false;
    return true;
}

}  // namespace

std::optional<std::uint32_t> AnimatedCursorSteps(std::span<const std::uint8_t> file) {
    if (file.size() < 12 || !IdIs(file, 0, "RIFF") || !IdIs(file, 8, "ACON")) return std::nullopt;
    // The chunks of the RIFF form, each padded to an even length.
    std::size_t p = 12;
    while (p + 8 <= file.size()) {
        const std::uint32_t size = ReadU32(file, p + 4);
        if (IdIs(file, p, "anih")) {
            if (size < 12 || p + 8 + 12 > file.size()) return std::nullopt;
            const std::uint32_t frames = ReadU32(file, p + 8 + 4);
            const std::uint32_t steps = ReadU32(file, p + 8 + 8);
            return steps != 0 ? steps : frames;
        }
        if (size > file.size() - (p + 8)) break;
        p += 8 + size + (size & 1);
    }
    return std::nullopt;
}

}  // namespace kal
