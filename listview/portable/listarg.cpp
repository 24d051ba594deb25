#include "listview/portable/listarg.h"

#include <cmath>
#include <cwchar>

namespace kal {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

std::optional<double> ReadNumber(std::wstring_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    const std::wstring_view t = text.substr(b, e - b);
    // Checked by hand: wcstod would also take "inf", "nan" and hexadecimal floats.
    std::size_t i = 0, digits = 0;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == L'.') {
        ++i;
        while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == L'e' || t[i] == L'E')) {
        ++i;
        if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && IsDigit(t[i])) ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    const std::wstring copy(t);
    const double v = std::wcstod(copy.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<std::int32_t> ToLong(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<double> ListArg::Number() const {
    if (const double* d = std::get_if<double>(&value_)) return std::isfinite(*d) ? std::optional(*d) : std::nullopt;
    return ReadNumber(std::get<std::wstring>(value_));
}

std::wstring ListArg::Text() const {
    if (const std::wstring* t = std::get_if<std::wstring>(&value_)) return *t;
    const double d = std::get<double>(value_);
    if (std::trunc(d) == d && std::fabs(d) < 1e15) return std::to_wstring(static_cast<long long>(d));
    wchar_t buffer[40];
    std::swprintf(buffer, 40, L"%.15g", d);
    return buffer;
}

std::int32_t NextSerial(std::int32_t& counter) {
    if (counter >= 2147483646) {
        // The last positive value is handed out; the next draw starts over from the far end.
        counter = -2147483647;
        return 2147483647;
    }
    return ++counter;
}

}  // namespace kal
