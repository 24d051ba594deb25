#include "base/hextext.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace kal;

TEST(HexToBytes, ReadsPairsInOrderOrReversed) {
    EXPECT_EQ(HexToBytes(L"44AC0000"), (Bytes{0x44, 0xAC, 0x00, 0x00}));
    EXPECT_EQ(HexToBytes(L"0000AC44", true), (Bytes{0x44, 0xAC, 0x00, 0x00}));
    EXPECT_EQ(HexToBytes(L"0A0B", true), (Bytes{0x0B, 0x0A}));
    EXPECT_EQ(HexToBytes(L"ff7f"), (Bytes{0xFF, 0x7F}));
}

TEST(HexToBytes, OddDigitCountGetsLeadingZero) {
    EXPECT_EQ(HexToBytes(L"7"), (Bytes{0x07}));
    EXPECT_EQ(HexToBytes(L"ABC"), (Bytes{0x0A, 0xBC}));
    EXPECT_EQ(HexToBytes(L"ABC", true), (Bytes{0xBC, 0x0A}));
}

TEST(HexToBytes, EmptyTextGivesNoBytesAndBadDigitsThrow) {
    EXPECT_TRUE(HexToBytes(L"").empty());
    EXPECT_THROW(HexToBytes(L"0G"), std::invalid_argument);
    EXPECT_THROW(HexToBytes(L"12 4"), std::invalid_argument);
}

TEST(BytesToHex, UpperCaseTwoDigitsPerByte) {
    EXPECT_EQ(BytesToHex({0x00, 0x0F, 0xF0}), L"000FF0");
    EXPECT_EQ(BytesToHex({0x00, 0x0F, 0xF0}, true), L"F00F00");
    EXPECT_EQ(BytesToHex({}), L"");
}

TEST(BytesToHex, RoundTripsThroughHexToBytesWithEitherFlag) {
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
    for (bool rev : {false, true}) EXPECT_EQ(HexToBytes(BytesToHex(all, rev), rev), all);
}

TEST(HexPad, PadsTruncatesAndWritesNegativesAsTwosComplement) {
    EXPECT_EQ(HexPad(255, 4), L"00FF");
    EXPECT_EQ(HexPad(-2, 8), L"FFFFFFFE");
    EXPECT_EQ(HexPad(-1, 8), L"FFFFFFFF");
    EXPECT_EQ(HexPad(-1, 10), L"00FFFFFFFF");
    EXPECT_EQ(HexPad(0x1234, 2), L"34");
    EXPECT_EQ(HexPad(4096, 2), L"00");
    EXPECT_EQ(HexPad(0, 2), L"00");
    EXPECT_EQ(HexPad(12345, 0), L"");
}

TEST(HexToNumber, Reads16Dot16SignedWithFourDecimals) {
    EXPECT_EQ(HexToNumber(L"00000000"), 0);
    EXPECT_EQ(HexToNumber(L"FFEC0000"), -20 * kCurrencyScale);
    EXPECT_EQ(HexToNumber(L"00018000"), 15000);
    EXPECT_EQ(HexToNumber(L"FFFF8000"), -5000);
    EXPECT_EQ(HexToNumber(L"80000000"), -32768 * kCurrencyScale);
    EXPECT_EQ(HexToNumber(L"7FFFFFFF"), 327679999 + 1);  // 32767.99998 rounds up to 32768.0000
}

TEST(HexToNumber, RoundsHalfToEven) {
    // 1/65536 units: 0x0003 = 0.0000457..., 0x0008 = 0.0001220... Exact ties occur at
    // multiples of 2048/625: value 0x0800 / 65536 = 0.03125 exactly.
    EXPECT_EQ(HexToNumber(L"00000800"), 312);   // 0.03125 -> 0.0312 (2 is even)
    EXPECT_EQ(HexToNumber(L"00001800"), 938);   // 0.09375 -> 0.0938 (7 is odd, rounds up)
    EXPECT_EQ(HexToNumber(L"FFFFF800"), -312);  // -0.03125 -> -0.0312
    EXPECT_EQ(HexToNumber(L"FFFFE800"), -938);  // -0.09375 -> -0.0938
}

TEST(SixteenBitReinterpretation, ConvertsAndChecksRange) {
    EXPECT_EQ(UIntToInt(65535), -1);
    EXPECT_EQ(UIntToInt(32768), -32768);
    EXPECT_EQ(UIntToInt(32767), 32767);
    EXPECT_THROW(UIntToInt(65536), std::overflow_error);
    EXPECT_THROW(UIntToInt(-1), std::overflow_error);
    EXPECT_EQ(IntToUInt(-32768), 32768);
    EXPECT_EQ(IntToUInt(-1), 65535);
    EXPECT_EQ(IntToUInt(5), 5);
}

TEST(LittleEndianWords, ReadAndWrite) {
    EXPECT_EQ(BytesToUInt32(HexToBytes(L"44AC0000")), 44100u);
    EXPECT_EQ(BytesToUInt32({0x01, 0x02}), 0x0201u);
    Bytes b;
    PutUInt32(b, 4, 0xA1B2C3D4);
    EXPECT_EQ(BytesToHex(b), L"00000000D4C3B2A1");
    EXPECT_EQ(SafeUBound(b), 7);
    EXPECT_EQ(SafeUBound({}), -1);
}
