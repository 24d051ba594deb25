#include "listview/portable/dragdata.h"

#include <string>

#include "listview/portable/listarg.h"

namespace kal {

std::vector<std::uint8_t> EncodeDragData(std::int32_t id) {
    const std::string text = "I:" + std::to_string(id);
    std::vector<std::uint8_t> bytes;
    for (char c : text) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
    return bytes;
}

std::optional<std::int32_t> DecodeDragData(const std::uint8_t* data, std::size_t size) {
    if (!data) return std::nullopt;
    std::wstring text;
    text.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const std::size_t at = text.find(L"I:");
    if (at == std::wstring::npos) return std::nullopt;
    const auto number = ReadNumber(std::wstring_view(text).substr(at + 2));
    const auto id = number ? ToLong(*number) : std::nullopt;
    if (!id || *id == 0) return std::nullopt;
    return id;
}

}  // namespace kal
