// The numbered error that the image-list control and the icon file class raise.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kal {

class ImageError : public std::runtime_error {
public:
    ImageError(std::int32_t number, std::wstring description, std::wstring source)
        : std::runtime_error(Narrow(description)), number_(number), description_(std::move(description)),
          source_(std::move(source)) {}

    std::int32_t Number() const { return number_; }
    const std::wstring& Description() const { return description_; }
    const std::wstring& Source() const { return source_; }

private:
    static std::string Narrow(const std::wstring& text) {
        std::string out;
        for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
        return out;
    }

    std::int32_t number_;
    std::wstring description_;
    std::wstring source_;
};

// Standard error numbers used by the image list.
constexpr std::int32_t kErrOverflow = 6;
constexpr std::int32_t kErrSubscript = 9;
constexpr std::int32_t kErrInputPastEnd = 62;
constexpr std::int32_t kErrFileNotFound = 53;
constexpr std::int32_t kErrPathAccess = 75;
// Icon file class errors: 0x80040000 plus the code.
constexpr std::int32_t IconErrorNumber(std::int32_t code) {
    return static_cast<std::int32_t>(0x80040000u + static_cast<std::uint32_t>(code));
}

}  // namespace kal
