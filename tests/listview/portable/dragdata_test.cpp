#include "listview/portable/dragdata.h"

#include <gtest/gtest.h>

#include <string>

using namespace kal;

namespace {

std::optional<std::int32_t> Decode(const std::u16string& text, bool oddByte = false) {
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
    if (oddByte) bytes.push_back('9');
    return DecodeDragData(bytes.data(), bytes.size());
}

}  // namespace

TEST(DragData, AnItemsOwnDataNamesItsId) {
    const auto bytes = EncodeDragData(-1234567);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string("I\0:\0-\0" "1\0" "2\0" "3\0" "4\0" "5\0" "6\0" "7\0", 20));
    EXPECT_EQ(DecodeDragData(bytes.data(), bytes.size()), -1234567);
    for (std::int32_t id : {1, 2147483647, -2147483647 - 1}) {
        const auto b = EncodeDragData(id);
        EXPECT_EQ(DecodeDragData(b.data(), b.size()), id);
    }
}

TEST(DragData, ForeignBytesNameNothingOrOnlyANumber) {
    EXPECT_EQ(Decode(u"junk I: 42 "), 42);
    EXPECT_EQ(Decode(u"I:42", true), 42);  // a stray last byte
    EXPECT_EQ(Decode(u"I:2.5"), 2);        // half to even
    for (const char16_t* text : {u"", u"I", u"I:", u"i:42", u"I:0", u"I:42x", u"I:0x10", u"I:2147483648", u"I:1e99",
                                 u"I:nan", u"X:42"})
        EXPECT_FALSE(Decode(text)) << std::string(text, text + std::char_traits<char16_t>::length(text));
    EXPECT_FALSE(DecodeDragData(nullptr, 10));
    const std::uint8_t one = 'I';
    EXPECT_FALSE(DecodeDragData(&one, 1));
}
