// Arguments of the list view's collections, which callers give as a number or as text: a
// number (or text that reads as one) is a position, any other text a key. Also the serial
// counters that tell one object apart from a later one.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kal {

class ListArg {
public:
    ListArg(int value) : value_(static_cast<double>(value)) {}
    ListArg(double value) : value_(value) {}
    ListArg(const wchar_t* text) : value_(std::wstring(text)) {}
    ListArg(std::wstring text) : value_(std::move(text)) {}

    // The number it stands for: a number, or text that reads wholly as a decimal number.
    std::optional<double> Number() const;
    // The text itself, or a number's shortest decimal text.
    std::wstring Text() const;

private:
    std::variant<double, std::wstring> value_;
};

// Decimal text with optional blanks around it, a sign, a fraction and an exponent.
std::optional<double> ReadNumber(std::wstring_view text);
// A number as a 32-bit integer, rounded half to even; none outside that range.
std::optional<std::int32_t> ToLong(double value);

// Draws the next serial from a counter that starts at 0: each draw adds 1; after 2147483647
// the counter goes on from -2147483646, through 0 and upward.
std::int32_t NextSerial(std::int32_t& counter);

}  // namespace kal
