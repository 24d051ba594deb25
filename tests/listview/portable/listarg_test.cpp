#include "listview/portable/listarg.h"

#include <gtest/gtest.h>

using namespace kal;

TEST(ListArg, NumbersAndNumericTextAreNumbersEverythingElseIsAKey) {
    EXPECT_EQ(ListArg(12).Number(), 12.0);
    EXPECT_EQ(ListArg(L"12").Number(), 12.0);
    EXPECT_EQ(ListArg(L" -1.5e2 ").Number(), -150.0);
    EXPECT_EQ(ListArg(L".5").Number(), 0.5);
    for (const wchar_t* key : {L"abc", L"C12", L"", L" ", L"1e", L"0x10", L"inf", L"nan", L"1 2", L"+", L"."})
        EXPECT_FALSE(ListArg(key).Number()) << key;
    EXPECT_EQ(ListArg(L"Key").Text(), L"Key");
    EXPECT_EQ(ListArg(17).Text(), L"17");
    EXPECT_EQ(ListArg(2.5).Text(), L"2.5");
}

TEST(ListArg, LongConversionRoundsHalfToEvenAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(ToLong(2.5), 2);
    EXPECT_EQ(ToLong(3.5), 4);
    EXPECT_EQ(ToLong(-2.5), -2);
    EXPECT_EQ(ToLong(2147483647.0), 2147483647);
    EXPECT_EQ(ToLong(-2147483648.0), -2147483647 - 1);
    EXPECT_FALSE(ToLong(2147483647.6));
    EXPECT_FALSE(ToLong(1e20));
}

TEST(ListArg, SerialsCountUpAndWrapPastTheLargestLong) {
    std::int32_t counter = 0;
    EXPECT_EQ(NextSerial(counter), 1);
    EXPECT_EQ(NextSerial(counter), 2);
    counter = 2147483645;
    EXPECT_EQ(NextSerial(counter), 2147483646);
    EXPECT_EQ(NextSerial(counter), 2147483647);
    EXPECT_EQ(NextSerial(counter), -2147483646);
    EXPECT_EQ(NextSerial(counter), -2147483645);
    counter = -2;
    EXPECT_EQ(NextSerial(counter), -1);
    EXPECT_EQ(NextSerial(counter), 0);
    EXPECT_EQ(NextSerial(counter), 1);
}
