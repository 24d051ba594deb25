#include "toolkit/images/imageformat.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

TEST(IconRecordLength, SquareSizesAtBothVersions) {
    struct Row { int side; std::size_t current; std::size_t old; };
    const Row rows[] = {{16, 1148, 940}, {24, 2460, 1956}, {32, 4412, 3484}, {48, 9660, 7500}, {72, 21660, 16692}};
    for (const Row& r : rows) {
        EXPECT_EQ(IconRecordLength(r.side, r.side, 65536), r.current) << r.side;
        EXPECT_EQ(IconRecordLength(r.side, r.side, 1), r.current) << r.side;
        EXPECT_EQ(IconRecordLength(r.side, r.side, 0), r.old) << r.side;
        EXPECT_EQ(IconRecordLength(r.side, r.side, -5), r.old) << r.side;
    }
}

TEST(IconRecordLength, MaskRowsReserveRoundedWidth) {
    EXPECT_EQ(MaskRowReserve(16), 4u);
    EXPECT_EQ(MaskRowReserve(24), 4u);
    EXPECT_EQ(MaskRowReserve(32), 8u);  // 4.875 rounds to 5 bytes, padded to 8
    EXPECT_EQ(MaskRowReserve(48), 8u);
    EXPECT_EQ(MaskRowReserve(72), 12u);
    // Never less than the rows a 1-bit DIB really needs.
    for (int w = 1; w <= 300; ++w) EXPECT_GE(MaskRowReserve(w), static_cast<std::size_t>(((w + 31) / 32) * 4)) << w;
    EXPECT_EQ(BitmapBlockLength(16, 16, false, 65536), 1024u);
    EXPECT_EQ(BitmapBlockLength(16, 16, true, 65536), 64u);
    EXPECT_EQ(BitmapBlockLength(16, 16, false, 0), 816u);  // 51 per row
}

TEST(ImageDataVersion, MajorMaskedMinorSigned) {
    EXPECT_EQ(ImageDataVersion(1, 0), 65536);
    EXPECT_EQ(ImageDataVersion(2, 3), 131075);
    EXPECT_EQ(ImageDataVersion(0x8001, 0), 65536);
    EXPECT_EQ(ImageDataVersion(1, 0xFFFF), 65535);  // minor read as -1
    EXPECT_GE(ProgramImageVersion(), 1);
}

// A record of the given size with sane heads and zero pixels.
Bytes MakeRecord(int w, int h, std::int32_t version) {
    Bytes r(IconRecordLength(w, h, version), 0);
    PutU32(r.data(), 1);
    BitmapHead colour{0, w, h, w * 4, 1, 32, 0};
    WriteBitmapHead(r.data() + 12, colour);
    BitmapHead mask{0, w, h, ((w + 15) / 16) * 2, 1, 1, 0};
    WriteBitmapHead(r.data() + 12 + 24 + BitmapBlockLength(w, h, false, version), mask);
    return r;
}

TEST(MeasureIconRecord, FindsEachRecordThroughItsLengths) {
    Bytes data = MakeRecord(16, 16, 65536);
    const Bytes second = MakeRecord(32, 32, 65536);
    data.insert(data.end(), second.begin(), second.end());
    const auto a = MeasureIconRecord(data, 0, 65536);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->length, 1148u);
    EXPECT_EQ(a->maskOffset, 12u + 24 + 1024);
    const auto b = MeasureIconRecord(data, a->length, 65536);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->length, 4412u);
    EXPECT_EQ(a->length + b->length, data.size());
    // Read with the other version the heads no longer line up.
    EXPECT_FALSE(MeasureIconRecord(data, 0, 0));
}

TEST(MeasureIconRecord, RefusesDamagedAndShortRecords) {
    const Bytes good = MakeRecord(16, 16, 65536);
    for (std::size_t cut = 0; cut < good.size(); cut += 37)
        EXPECT_FALSE(MeasureIconRecord(std::span(good.data(), cut), 0, 65536)) << cut;
    EXPECT_FALSE(MeasureIconRecord(good, good.size(), 65536));
    EXPECT_FALSE(MeasureIconRecord(good, good.size() + 10, 65536));

    Bytes huge = good;
    PutU32(huge.data() + 12 + 4, 0x7FFFFFFF);  // colour width
    EXPECT_FALSE(MeasureIconRecord(huge, 0, 65536));
    Bytes negative = good;
    PutU32(negative.data() + 12 + 8, 0xFFFFFFF0);  // colour height
    EXPECT_FALSE(MeasureIconRecord(negative, 0, 65536));
    Bytes mask = good;
    PutU16(mask.data() + 12 + 24 + 1024 + 18, 32);  // mask not 1-bit
    EXPECT_FALSE(MeasureIconRecord(mask, 0, 65536));
}

TEST(ImageFile, LayoutWithMagicVersionAndKeyBlock) {
    const Bytes records = {1, 2, 3, 4, 5};
    const std::string keys = JoinKeyBlock<std::string>({"ab", "", "c"}, kKeySeparatorByte);
    EXPECT_EQ(keys, std::string("ab\xFF\xFF" "c\xFF\xFF"));
    const Bytes file = BuildImageFile(65536, records, keys);
    ASSERT_EQ(file.size(), 12 + 5 + 4 + keys.size());
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 12), (Bytes{0x56, 0xE4, 0x45, 0x57, 0, 0, 1, 0, 5, 0, 0, 0}));
    EXPECT_EQ(GetU32(file.data() + 17), keys.size());

    ImageFileContents c;
    ASSERT_EQ(ParseImageFile(file, c), ImageFileProblem::None);
    EXPECT_EQ(c.version, 65536);
    EXPECT_EQ(c.records, records);
    EXPECT_EQ(c.keyText, keys);
}

TEST(ImageFile, OlderLayoutAndTruncation) {
    Bytes old = {3, 0, 0, 0, 9, 8, 7};  // N first, no magic: version 0, no keys
    ImageFileContents c;
    ASSERT_EQ(ParseImageFile(old, c), ImageFileProblem::None);
    EXPECT_EQ(c.version, 0);
    EXPECT_EQ(c.records, (Bytes{9, 8, 7}));
    EXPECT_TRUE(c.keyText.empty());

    EXPECT_EQ(ParseImageFile(Bytes{0, 0, 0, 0}, c), ImageFileProblem::EmptyImageBlock);
    EXPECT_EQ(ParseImageFile(Bytes{0xFF, 0xFF, 0xFF, 0xFF}, c), ImageFileProblem::EmptyImageBlock);

    const Bytes full = BuildImageFile(65536, Bytes(100, 1), "key\xFF\xFF");
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        const auto problem = ParseImageFile(std::span(full.data(), cut), c);
        const auto expected = cut == 12 + 100 ? ImageFileProblem::None  // ends after the block
                                              : ImageFileProblem::Truncated;
        EXPECT_EQ(problem, expected) << cut;
    }
    Bytes huge = full;
    PutU32(huge.data() + 8, 0x7FFFFFF0);
    EXPECT_EQ(ParseImageFile(huge, c), ImageFileProblem::Truncated);
}

TEST(Keys, SplitAndSpreadKeepShortKeysAndSkipSurplus) {
    const std::wstring sep(1, L'\xFF');
    const auto pieces = SplitKeys<std::wstring>(L"a" + sep + sep + L"second" + sep + L"x" + sep + sep, L'\xFF');
    ASSERT_EQ(pieces.size(), 6u);
    std::vector<std::wstring> keys = {L"keep", L"", L"", L""};
    SpreadKeys(keys, 1, pieces);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"keep", L"a", L"", L"second"}));
    // A key another image holds is refused; blank keys may repeat.
    std::vector<std::wstring> dup = {L"x", L"", L""};
    SpreadKeys(dup, 1, {L"y", L"x"});
    EXPECT_EQ(dup, (std::vector<std::wstring>{L"x", L"y", L""}));
    std::vector<std::wstring> blanks = {L"  ", L""};
    EXPECT_TRUE(StoreKey(blanks, 1, L"  "));
    EXPECT_TRUE(StoreKey(blanks, 3, L"z"));
    EXPECT_EQ(blanks.size(), 4u);
    EXPECT_FALSE(StoreKey(blanks, 0, L"z"));
    EXPECT_EQ(blanks[0], L"  ");
    EXPECT_TRUE(StoreKey(blanks, 3, L"Z"));  // exact comparison, and an image may keep its own key
    std::vector<std::wstring> none(2);
    SpreadKeys(none, 0, SplitKeys<std::wstring>(L"", L'\xFF'));
    EXPECT_EQ(none, (std::vector<std::wstring>(2)));
}

TEST(NumericKeyValue, ReadsNumbersLikeTheLanguageDoes) {
    EXPECT_EQ(NumericKeyValue(L"12"), 12);
    EXPECT_EQ(NumericKeyValue(L"  3 "), 3);
    EXPECT_EQ(NumericKeyValue(L"-2"), -2);
    EXPECT_EQ(NumericKeyValue(L"2.5"), 2);  // half to even
    EXPECT_EQ(NumericKeyValue(L"3.5"), 4);
    EXPECT_EQ(NumericKeyValue(L"1e1"), 10);
    EXPECT_EQ(NumericKeyValue(L"&H10"), 16);
    EXPECT_EQ(NumericKeyValue(L"&o17"), 15);
    EXPECT_EQ(NumericKeyValue(L"99999999999"), 2147483647);
    for (const wchar_t* text : {L"", L"   ", L"a1", L"1a", L".", L"1e", L"&Hxyz"})
        EXPECT_FALSE(NumericKeyValue(text)) << text;
}

TEST(PropertyBag, DefaultsAreNotStored) {
    ImagePropertyBag bag;
    bag.Write(L"IconSizeX", 16, 16);
    EXPECT_FALSE(bag.Contains(L"IconSizeX"));
    EXPECT_EQ(bag.ReadInt(L"IconSizeX", 16), 16);
    bag.Write(L"IconSizeX", 32, 16);
    EXPECT_EQ(bag.ReadInt(L"IconSizeX", 16), 32);
    bag.Write(L"IconSizeX", 16, 16);  // back to the default: removed
    EXPECT_FALSE(bag.Contains(L"IconSizeX"));
    bag.Write(L"Images", Bytes{1, 2});
    EXPECT_EQ(bag.ReadBytes(L"Images"), (Bytes{1, 2}));
    EXPECT_EQ(bag.ReadText(L"Keys", L""), L"");
}

}  // namespace
}  // namespace kal
