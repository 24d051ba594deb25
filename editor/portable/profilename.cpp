#include "editor/portable/profilename.h"

#include <algorithm>
#include <string_view>

namespace kal {

bool IsForbiddenNameChar(wchar_t c) { return std::wstring_view(L"\\/&?*").find(c) != std::wstring_view::npos; }

std::wstring StripForbiddenNameChars(const std::wstring& text) {
    std::wstring out = text;
    out.erase(std::remove_if(out.begin(), out.end(), IsForbiddenNameChar), out.end());
    return out;
}

bool IsNumericName(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return false;
    const std::wstring t = text.substr(first, text.find_last_not_of(L" \t") - first + 1);
    auto digitIn = [](std::wstring_view s, std::wstring_view allowed) {
        return !s.empty() && s.find_first_not_of(allowed) == std::wstring_view::npos;
    };
    if (t.size() > 2 && t[0] == L'&' && (t[1] == L'H' || t[1] == L'h'))
        return digitIn(std::wstring_view(t).substr(2), L"0123456789abcdefABCDEF");
    if (t.size() > 2 && t[0] == L'&' && (t[1] == L'O' || t[1] == L'o'))
        return digitIn(std::wstring_view(t).substr(2), L"01234567");
    std::wstring_view s = t;
    if (s[0] == L'+' || s[0] == L'-') s.remove_prefix(1);
    std::wstring_view exponent;
    if (const auto e = s.find_first_of(L"eEdD"); e != std::wstring_view::npos) {
        exponent = s.substr(e + 1);
        s = s.substr(0, e);
        if (!exponent.empty() && (exponent[0] == L'+' || exponent[0] == L'-')) exponent.remove_prefix(1);
        if (!digitIn(exponent, L"0123456789")) return false;
    }
    // Digits with thousands separators and at most one decimal point.
    if (s.find_first_of(L"0123456789") == std::wstring_view::npos) return false;
    if (s.find_first_not_of(L"0123456789.,") != std::wstring_view::npos) return false;
    return std::count(s.begin(), s.end(), L'.') <= 1;
}

}  // namespace kal
