#include "toolkit/images/iconrecord.h"

#include <gtest/gtest.h>

#include "tests/toolkit/images/gdi_helpers.h"
#include "toolkit/images/imageformat.h"

namespace kal {
namespace {

using test::PatternIcon;

TEST(IconRecord, WrittenLengthsAndBlocks) {
    UniqueDC dc = CreateDisplayDC();
    ASSERT_TRUE(dc);
    for (int size : {16, 32, 48, 72}) {
        for (std::int32_t version : {0, 65536}) {
            UniqueIcon icon(PatternIcon(size, 3));
            Bytes data;
            std::size_t length = 0;
            ASSERT_TRUE(SerializeIcon(dc.get(), icon.get(), data, 0, length, version)) << size;
            EXPECT_EQ(length, IconRecordLength(size, size, version)) << size << " " << version;
            EXPECT_EQ(data.size(), length);
            const auto layout = MeasureIconRecord(data, 0, version);
            ASSERT_TRUE(layout);
            EXPECT_EQ(layout->length, length);
        }
    }
    // 32 x 32: 8 bytes are reserved per mask row, the rows use 4: the second half stays zero.
    UniqueIcon icon(test::MakeIcon(32, 32, [](int, int) { return 0xFF102030u; }));
    Bytes data(5000, 0xCC);  // stale bytes are overwritten by the record, filler included
    std::size_t length = 0;
    ASSERT_TRUE(SerializeIcon(dc.get(), icon.get(), data, 10, length, 65536));
    EXPECT_EQ(length, 4412u);
    const std::size_t mask = 10 + 12 + 24 + 4096 + 24;
    for (std::size_t i = 128; i < 256; ++i) EXPECT_EQ(data[mask + i], 0) << i;
    EXPECT_EQ(data[10 + 12 + 24], 0x30);  // blue of the first pixel
    EXPECT_EQ(data[10 + 12 + 24 + 3], 0xFF);  // and its alpha
}

TEST(IconRecord, RoundTripAtBothVersions) {
    UniqueDC dc = CreateDisplayDC();
    for (std::int32_t version : {0, 65536, 131075}) {
        UniqueIcon icon(PatternIcon(24, 7));
        Bytes data;
        std::size_t length = 0;
        ASSERT_TRUE(SerializeIcon(dc.get(), icon.get(), data, 0, length, version));
        HICON back = nullptr;
        std::size_t readLength = 0;
        ASSERT_TRUE(DeserializeIcon(dc.get(), back, data, 0, readLength, version));
        UniqueIcon owned(back);
        EXPECT_EQ(readLength, length);
        EXPECT_EQ(test::IconPixels(back, 24), test::IconPixels(icon.get(), 24)) << version;
    }
    // A record written with version 0 does not read with a later version, nor the other way.
    UniqueIcon icon(PatternIcon(16, 1));
    Bytes data;
    std::size_t length = 0;
    ASSERT_TRUE(SerializeIcon(dc.get(), icon.get(), data, 0, length, 0));
    HICON back = nullptr;
    EXPECT_FALSE(DeserializeIcon(dc.get(), back, data, 0, length, 65536));
}

TEST(IconRecord, CursorComesBackAsIcon) {
    UniqueDC dc = CreateDisplayDC();
    Bytes data;
    std::size_t length = 0;
    {
        UniqueIcon icon(PatternIcon(32, 2));
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
        info.fIcon = FALSE;
        info.xHotspot = 5;
        info.yHotspot = 6;
        HICON cursor = ::CreateIconIndirect(&info);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ASSERT_TRUE(SerializeIcon(dc.get(), cursor, data, 0, length, 65536));
        ::DestroyCursor(cursor);
    }
    EXPECT_EQ(GetU32(data.data()), 0u);
    EXPECT_EQ(GetU32(data.data() + 4), 5u);
    HICON back = nullptr;
    std::size_t readLength = 0;
    ASSERT_TRUE(DeserializeIcon(dc.get(), back, data, 0, readLength, 65536));
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(back, &info));
    EXPECT_TRUE(info.fIcon);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DestroyIcon(back);
}

TEST(IconRecord, MonochromeIconAndBadInputFail) {
    UniqueDC dc = CreateDisplayDC();
    std::vector<std::uint8_t> bits(2 * 32 * 2, 0);
    UniqueIcon mono(::CreateIcon(nullptr, 16, 16, 1, 1, bits.data(), bits.data() + 32));
    ASSERT_TRUE(mono);
    Bytes data;
    std::size_t length = 77;
    EXPECT_FALSE(SerializeIcon(dc.get(), mono.get(), data, 0, length, 65536));
    EXPECT_EQ(length, 77u);
    EXPECT_FALSE(SerializeIcon(dc.get(), nullptr, data, 0, length, 65536));
    HICON back = nullptr;
    EXPECT_FALSE(DeserializeIcon(dc.get(), back, Bytes(30, 0), 0, length, 65536));
    EXPECT_FALSE(DeserializeIcon(dc.get(), back, Bytes(), 0, length, 65536));
    EXPECT_EQ(back, nullptr);
}

TEST(Pictures, OwningWrappers) {
    EXPECT_FALSE(IconToPicture(nullptr));
    EXPECT_FALSE(BitmapToPicture(nullptr));
    HICON icon = PatternIcon(16, 4);
    {
        const PicturePtr picture = IconToPicture(icon);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture.Type(), PICTYPE_ICON);
        EXPECT_EQ(picture.Handle(), icon);
        PicturePtr copy = picture;  // a second reference keeps it alive
        EXPECT_EQ(copy.Handle(), icon);
    }
    HBITMAP bitmap = ::CreateBitmap(4, 4, 1, 32, nullptr);
    const PicturePtr picture = BitmapToPicture(bitmap);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture.Type(), PICTYPE_BITMAP);
    BITMAP bm{};
    EXPECT_EQ(::GetObjectW(picture.Handle(), sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
}

TEST(TempFiles, FolderAndNewFile) {
    const std::wstring folder = TempFolderPath();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    const std::wstring file = GetTempFileNameWithPrefix(L"kal");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.find(L'\0'), std::wstring::npos);
    EXPECT_EQ(file.compare(0, folder.size() + 3, folder + L"kal"), 0);
    EXPECT_NE(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    ::DeleteFileW(file.c_str());
    EXPECT_EQ(StripNulls(std::wstring(L"ab\0cd", 5)), L"ab");
    EXPECT_EQ(StripNulls(L"abc"), L"abc");
}

}  // namespace
}  // namespace kal
