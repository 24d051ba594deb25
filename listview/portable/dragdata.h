// The drag data of a list item: the UTF-16 text "I:" and the item's id in decimal, as bytes
// without a terminator, in a clipboard format of its own. Data from a drop can come from
// anywhere: the reader accepts any bytes and only ever yields a number, which the list must
// then find among its own live items before it acts on it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kal {

// The data format's number (-16624 as a 16-bit identifier).
inline constexpr std::uint16_t kListItemDragFormat = 0xBF10;

std::vector<std::uint8_t> EncodeDragData(std::int32_t id);

// The id after the first "I:" of the bytes read as UTF-16 text (an odd last byte is ignored),
// blanks around it allowed; none when there is no "I:", the rest is no number that fits a
// 32-bit integer (rounded half to even), or the number is 0.
std::optional<std::int32_t> DecodeDragData(const std::uint8_t* data, std::size_t size);

}  // namespace kal
