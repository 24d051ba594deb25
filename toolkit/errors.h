// Numbered errors raised by the reusable controls: number, source and description.
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

}  // namespace kal
