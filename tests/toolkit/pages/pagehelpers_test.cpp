#include "toolkit/pages/pagehelpers.h"
#include "toolkit/commondialog.h"

#include <gtest/gtest.h>

#include "tests/toolkit/pages/testfiles.h"

namespace kal::test {
namespace {

TEST(PageHelpers, ColourBoxesReadTheirLeadingNumber) {
    EXPECT_EQ(ColourComponent(L"300"), 255);
    EXPECT_EQ(ColourComponent(L""), 0);
    EXPECT_EQ(ColourComponent(L"abc"), 0);
    EXPECT_EQ(ColourComponent(L" 12abc"), 12);
    EXPECT_EQ(ColourComponent(L"-5"), 0);
    EXPECT_EQ(ColourComponent(L"2.5"), 2);  // half to even
    EXPECT_EQ(ColourComponent(L"3.5"), 4);
    EXPECT_EQ(ColourComponent(L"1e2"), 100);
    EXPECT_EQ(ColourComponent(L"99999999999999999999"), 255);
}

TEST(PageHelpers, OnlyDigitsAndBackspacePass) {
    for (std::int32_t code : {static_cast<std::int32_t>(L'0'), static_cast<std::int32_t>(L'9'), 8}) {
        std::int32_t k = code;
        FilterDigitKey(k);
        EXPECT_EQ(k, code);
    }
    for (std::int32_t code : {static_cast<std::int32_t>(L'/'), static_cast<std::int32_t>(L':'),
                              static_cast<std::int32_t>(L'a'), 13, 0x660}) {
        std::int32_t k = code;
        FilterDigitKey(k);
        EXPECT_EQ(k, 0) << code;
    }
}

TEST(PageHelpers, UniqueKeysSkipThoseHeld) {
    const std::vector<std::wstring> held{L"A", L"A:1", L"A:2"};
    auto exists = [&](const std::wstring& k) { return std::find(held.begin(), held.end(), k) != held.end(); };
    std::int32_t counter = 0;
    EXPECT_EQ(UniqueKey(L"B", counter, exists), L"B");
    EXPECT_EQ(UniqueKey(L"A", counter, exists), L"A:3");
    EXPECT_EQ(counter, 3);
    counter = 1;
    EXPECT_EQ(UniqueKey(L"A", counter, exists), L"A:3");
}

TEST(PageHelpers, FileSelections) {
    const std::wstring multi(L"C:\\pics\0a.ico\0b\0", 16);
    EXPECT_EQ(FileBufferText(multi + std::wstring(1, L'\0'), true), std::wstring(L"C:\\pics\0a.ico\0b", 15));
    EXPECT_EQ(SplitFileSelection(std::wstring(L"C:\\pics\0a.ico\0b", 15)),
              (std::vector<std::wstring>{L"C:\\pics\\a.ico", L"C:\\pics\\b"}));
    EXPECT_EQ(SplitFileSelection(std::wstring(L"C:\\\0x", 5)), (std::vector<std::wstring>{L"C:\\x"}));
    EXPECT_EQ(SplitFileSelection(L"C:\\one.bmp"), (std::vector<std::wstring>{L"C:\\one.bmp"}));
    EXPECT_EQ(FileBufferText(std::wstring(L"C:\\one.bmp\0junk", 15), false), L"C:\\one.bmp");
    EXPECT_EQ(FileExtensionPart(L"C:\\dir.v2\\name"), L"");
    EXPECT_EQ(FileExtensionPart(L"C:\\dir\\arrow.cur"), L"cur");
    EXPECT_EQ(FileTitlePart(L"C:\\dir\\my.arrow.cur"), L"my.arrow");
}

TEST(PageHelpers, FilterEntries) {
    const std::wstring nulls = FilterToNulls(L"Icons|*.ICO|Drive c:|*.*");
    EXPECT_EQ(nulls, std::wstring(L"Icons\0*.ICO\0Drive c\0\0*.*\0\0", 26));
    const std::wstring simple = FilterToNulls(L"Icons|*.ICO|All|*.*");
    EXPECT_EQ(FilterEntry(simple, 2), std::wstring(L"All\0*.*", 7));
    EXPECT_EQ(FilterEntry(simple, 3), L"");
    EXPECT_EQ(FilterEntry(simple, 0), L"");
}

TEST(PageHelpers, AnimatedCursorStepsComeFromTheHeader) {
    EXPECT_EQ(AnimatedCursorSteps(AnimatedCursorFile(16, {1, 2, 3})), 3u);
    EXPECT_EQ(AnimatedCursorSteps(AnimatedCursorFile(16, {1, 2}, 5)), 5u);
    EXPECT_EQ(AnimatedCursorSteps(IconFile(16, 1, true)), std::nullopt);
    Bytes cut = AnimatedCursorFile(16, {1});
    cut.resize(30);  // ends inside the header
    EXPECT_EQ(AnimatedCursorSteps(cut), std::nullopt);
    Bytes huge = AnimatedCursorFile(16, {1});
    huge[12] = 'j';   // the header is not found...
    huge[16] = 0xFF;  // ...behind a chunk whose length runs past the end
    huge[17] = 0xFF;
    huge[18] = 0xFF;
    huge[19] = 0x7F;
    EXPECT_EQ(AnimatedCursorSteps(huge), std::nullopt);
}

}  // namespace
}  // namespace kal::test
