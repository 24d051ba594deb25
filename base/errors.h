// The one numbered error that the reusable controls raise: number, source and description.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kal {

class ToolkitError : public std::runtime_error {
public:
    ToolkitError(std::int32_t number, std::wstring source, std::wstring description);
    std::int32_t Number() const { return number_; }
    const std::wstring& Source() const { return source_; }
    const std::wstring& Description() const { return description_; }

private:
    std::int32_t number_;
    std::wstring source_;
    std::wstring description_;
};

// Numbers above 1000 carry the object-error mask 0x80040000; the source is the executable's
// name followed by "." and `where`. Numbers up to 1000 are raised as they are, bare.
[[noreturn]] void RaiseToolkitError(std::int32_t number, const std::wstring& where,
                                    const std::wstring& description);

// Standard error numbers of the image list and the icon file class.
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
