#include "toolkit/images/iconfiledata.h"

#include <gtest/gtest.h>

#include <random>

#include "toolkit/images/imageformat.h"

namespace kal {
namespace {

TEST(IconFileData, AddImageLayoutAndDuplicates) {
    IconFileData icon;
    ASSERT_TRUE(icon.AddImage(32, 32, 16));
    ASSERT_EQ(icon.Count(), 1u);
    EXPECT_EQ(icon.header.type, 1);
    EXPECT_EQ(icon.header.count, 1);
    const IconDirEntry& e = icon.directory[0];
    EXPECT_EQ(e.imageOffset, 22u);
    EXPECT_EQ(e.bitCount, 4);
    EXPECT_EQ(e.colourCount, 16);
    EXPECT_EQ(e.bytesInRes, 744u);
    ASSERT_EQ(icon.images[0].size(), 744u);
    EXPECT_EQ(GetU32(icon.images[0].data()), 40u);
    EXPECT_EQ(GetU32(icon.images[0].data() + 8), 64u);  // twice the height

    EXPECT_FALSE(icon.AddImage(32, 32, 16));
    EXPECT_EQ(icon.Count(), 1u);

    ASSERT_TRUE(icon.AddImage(16, 16, 2));
    ASSERT_TRUE(icon.AddImage(48, 48, 1 << 24));
    ASSERT_EQ(icon.Count(), 3u);
    EXPECT_EQ(icon.directory[0].imageOffset, 22u + 32);
    EXPECT_EQ(icon.directory[1].imageOffset, 54u + 744);
    EXPECT_EQ(icon.directory[1].bytesInRes, 40u + 8 + 4 * 16 + 4 * 16);
    EXPECT_EQ(icon.images[1][44], 255);  // 1-bit palette: black, then white
    EXPECT_EQ(icon.images[1][47], 0);
    EXPECT_EQ(icon.directory[2].bitCount, 24);
    EXPECT_EQ(icon.ColourCount(2), 16777216.0);
    EXPECT_EQ(icon.directory[2].imageOffset, icon.directory[1].imageOffset + icon.directory[1].bytesInRes);
}

TEST(IconFileData, RoundTripsAndRemoves) {
    IconFileData icon;
    icon.AddImage(16, 16, 16);
    icon.AddImage(32, 32, 256);
    icon.AddImage(24, 24, 0);
    ASSERT_EQ(icon.Count(), 3u);
    icon.images[2][100] = 0x5A;
    const Bytes file = icon.Serialize();

    IconFileData back;
    ASSERT_EQ(back.Parse(file), IconLoadProblem::None);
    ASSERT_EQ(back.Count(), 3u);
    EXPECT_EQ(back.images, icon.images);
    EXPECT_EQ(back.Serialize(), file);

    back.RemoveImage(1);
    ASSERT_EQ(back.Count(), 2u);
    EXPECT_EQ(back.directory[0].imageOffset, 6u + 32);
    EXPECT_EQ(back.directory[1].imageOffset, 38u + back.directory[0].bytesInRes);
    EXPECT_EQ(back.images[1][100], 0x5A);
    back.RemoveImage(0);
    back.RemoveImage(3);
    EXPECT_EQ(back.Count(), 2u);
    back.RemoveImage(2);
    back.RemoveImage(1);
    EXPECT_EQ(back.Count(), 0u);
    EXPECT_EQ(back.header.count, 0);
}

TEST(IconFileData, SavingRecomputesOffsetsOfAScatteredFile) {
    IconFileData icon;
    icon.AddImage(16, 16, 16);
    icon.AddImage(32, 32, 16);
    ASSERT_EQ(icon.Count(), 2u);
    Bytes file = icon.Serialize();
    // Move the second image's data 50 bytes further, leaving a gap.
    const std::size_t second = icon.directory[1].imageOffset;
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(second), 50, 0xEE);
    PutU32(file.data() + 6 + 16 + 12, static_cast<std::uint32_t>(second + 50));

    IconFileData loaded;
    ASSERT_EQ(loaded.Parse(file), IconLoadProblem::None);
    ASSERT_EQ(loaded.Count(), 2u);
    EXPECT_EQ(loaded.directory[1].imageOffset, second + 50);
    EXPECT_EQ(loaded.images, icon.images);
    EXPECT_EQ(loaded.Serialize(), icon.Serialize());
}

TEST(IconFileData, RefusesBadHeadersAndShortData) {
    IconFileData icon;
    icon.AddImage(16, 16, 16);
    const Bytes good = icon.Serialize();
    IconFileData d;

    Bytes cursor = good;
    cursor[2] = 2;
    EXPECT_EQ(d.Parse(cursor), IconLoadProblem::NotIconType);
    EXPECT_EQ(IconLoadReason(IconLoadProblem::NotIconType), L"File is not icon type (idType <> IMAGE_ICON)");
    Bytes reserved = good;
    reserved[0] = 1;
    EXPECT_EQ(d.Parse(reserved), IconLoadProblem::ReservedNotZero);
    EXPECT_EQ(IconLoadReason(IconLoadProblem::ReservedNotZero), L"File is not icon type (reserved member is 0)");
    Bytes empty = good;
    empty[4] = 0;
    EXPECT_EQ(d.Parse(empty), IconLoadProblem::NoImages);

    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        const auto p = d.Parse(std::span(good.data(), cut));
        EXPECT_NE(p, IconLoadProblem::None) << cut;
        EXPECT_EQ(d.Count(), 0u);
        if (cut >= 6 && cut < 22) {
            EXPECT_EQ(p, IconLoadProblem::DirectoryCorrupt) << cut;
        }
        if (cut >= 22) {
            EXPECT_EQ(p, IconLoadProblem::ImagesCorrupt) << cut;
        }
    }
    Bytes farOffset = good;
    PutU32(farOffset.data() + 6 + 12, 0xFFFFFFF0);
    EXPECT_EQ(d.Parse(farOffset), IconLoadProblem::ImagesCorrupt);
    Bytes hugeSize = good;
    PutU32(hugeSize.data() + 6 + 8, 0xFFFFFFF0);
    EXPECT_EQ(d.Parse(hugeSize), IconLoadProblem::ImagesCorrupt);

    // Entries that all name the same bytes would hold the file many times over: the images
    // together can't be larger than the file.
    Bytes aliased(kIconHeaderSize + kIconEntrySize * 4096 + good.size());
    WriteIconHeader(aliased.data(), {0, 1, 4096});
    const auto whole = static_cast<std::uint32_t>(aliased.size());
    for (std::size_t i = 0; i < 4096; ++i)
        WriteIconEntry(aliased.data() + kIconHeaderSize + kIconEntrySize * i, {16, 16, 16, 0, 1, 4, whole, 0});
    EXPECT_EQ(d.Parse(aliased), IconLoadProblem::ImagesCorrupt);
    EXPECT_EQ(d.Count(), 0u);
}

TEST(CheckDibImage, PlainBitmapsOnly) {
    IconFileData icon;
    icon.AddImage(32, 32, 16);
    icon.AddImage(16, 16, 0);
    ASSERT_EQ(icon.Count(), 2u);
    const auto l = CheckDibImage(icon.images[0]);
    ASSERT_TRUE(l);
    EXPECT_EQ(l->width, 32);
    EXPECT_EQ(l->height, 32);
    EXPECT_EQ(l->headerSize, 104u);
    EXPECT_EQ(l->maskOffset, 104u + 512);
    EXPECT_TRUE(CheckDibImage(icon.images[1]));

    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                       0, 0, 1, 0, 0, 0, 1, 0, 8, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(CheckDibImage(png));
    Bytes compressed = icon.images[0];
    PutU32(compressed.data() + 16, 1);
    EXPECT_FALSE(CheckDibImage(compressed));
    Bytes shortBits = icon.images[0];
    shortBits.resize(shortBits.size() - 1);
    EXPECT_FALSE(CheckDibImage(shortBits));
    Bytes palette = icon.images[0];
    PutU32(palette.data() + 32, 100000);
    EXPECT_FALSE(CheckDibImage(palette));
    Bytes tall = icon.images[0];
    PutU32(tall.data() + 8, 0x40000000);
    EXPECT_FALSE(CheckDibImage(tall));
}

TEST(IconGroup, EntriesAndIdsWithinTheResource) {
    Bytes group = {0, 0, 1, 0, 2, 0};
    const std::uint8_t e1[14] = {16, 16, 16, 0, 1, 0, 4, 0, 40, 1, 0, 0, 7, 0};
    const std::uint8_t e2[14] = {32, 32, 0, 0, 1, 0, 32, 0, 0x28, 0x10, 0, 0, 0xFF, 0xFF};
    group.insert(group.end(), e1, e1 + 14);
    group.insert(group.end(), e2, e2 + 14);
    const auto g = ParseIconGroup(group);
    ASSERT_TRUE(g);
    ASSERT_EQ(g->entries.size(), 2u);
    EXPECT_EQ(g->entries[0].bytesInRes, 296u);
    EXPECT_EQ(g->ids[0], 7);
    EXPECT_EQ(g->ids[1], 0xFFFF);
    EXPECT_EQ(g->entries[1].bitCount, 32);
    EXPECT_FALSE(ParseIconGroup(std::span(group.data(), group.size() - 1)));
    EXPECT_FALSE(ParseIconGroup(std::span(group.data(), 5)));
}

}  // namespace
}  // namespace kal

namespace kal {
namespace {

// Random damage to valid data: every reader stays inside its buffer (checked by the sanitizers
// in the native build) and either refuses the data or describes it consistently.
TEST(RandomDamage, ReadersStayInsideTheirBuffers) {
    std::mt19937 random(20261207);
    IconFileData icon;
    icon.AddImage(16, 16, 2);
    icon.AddImage(32, 32, 16);
    icon.AddImage(24, 24, 0);
    const Bytes iconFile = icon.Serialize();

    Bytes records;
    for (int side : {16, 32}) {
        Bytes r(IconRecordLength(side, side, 65536), 0);
        WriteBitmapHead(r.data() + 12, BitmapHead{0, side, side, side * 4, 1, 32, 0});
        WriteBitmapHead(r.data() + 12 + 24 + BitmapBlockLength(side, side, false, 65536),
                        BitmapHead{0, side, side, 4, 1, 1, 0});
        records.insert(records.end(), r.begin(), r.end());
    }
    const Bytes imageFile = BuildImageFile(65536, records, "a\xFF" "bc\xFF\xFF");

    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = round % 2 ? iconFile : imageFile;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int f = 0; f < flips; ++f) damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        if (random() % 4 == 0) damaged.resize(random() % damaged.size());

        IconFileData parsed;
        if (parsed.Parse(damaged) == IconLoadProblem::None) {
            ASSERT_EQ(parsed.images.size(), parsed.directory.size());
            for (std::size_t i = 0; i < parsed.Count(); ++i) {
                ASSERT_EQ(parsed.images[i].size(), parsed.directory[i].bytesInRes);
                if (const auto l = CheckDibImage(parsed.images[i])) {
                    ASSERT_LE(l->maskOffset, parsed.images[i].size());
                }
            }
        } else {
            ASSERT_EQ(parsed.Count(), 0u);
        }

        ImageFileContents contents;
        if (ParseImageFile(damaged, contents) == ImageFileProblem::None) {
            std::size_t pos = 0;
            while (pos < contents.records.size()) {
                const auto layout = MeasureIconRecord(contents.records, pos, contents.version);
                if (!layout) break;
                ASSERT_LE(pos + layout->length, contents.records.size());
                pos += layout->length;
            }
            std::vector<std::wstring> keys(4);
            std::vector<std::wstring> pieces;
            for (const auto& p : SplitKeys(contents.keyText, kKeySeparatorByte))
                pieces.emplace_back(p.begin(), p.end());
            SpreadKeys(keys, 1, pieces);
            ASSERT_EQ(keys.size(), 4u);
        }
    }
}

}  // namespace
}  // namespace kal
