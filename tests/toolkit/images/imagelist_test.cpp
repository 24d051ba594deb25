#include "toolkit/images/imagelist.h"

#include <gtest/gtest.h>

#include "tests/toolkit/images/gdi_helpers.h"
#include "startup/utility.h"
#include "tests/common/checked.h"

namespace kal {
namespace {

using test::Canvas;
using test::ReadFileBytes;
using test::WriteFileBytes;
using test::ImagePixels;
using test::PatternIcon;
using test::Pixels;

std::wstring TempPath(const wchar_t* name) { return TempFolderPath() + L"kalvenor_images_" + name; }

// Adds opaque pattern icons with the given seeds and keys.
void AddPatterns(ImageListBase& list, std::initializer_list<std::pair<std::uint32_t, const wchar_t*>> images,
                 int size = 16) {
    for (const auto& [seed, key] : images) {
        UniqueIcon icon(PatternIcon(size, seed));
        ASSERT_TRUE(list.AddFromHandle(icon.get(), IMAGE_ICON, key ? std::optional<std::wstring>(key) : std::nullopt));
    }
}

Pixels Expected(std::uint32_t seed, int size = 16) {
    UniqueIcon icon(PatternIcon(size, seed));
    return test::IconPixels(icon.get(), size);
}

// The seeds the list's images were made from, found by their pixels (0 when none matches).
std::vector<std::uint32_t> Seeds(const ImageListBase& list, std::initializer_list<std::uint32_t> candidates, int size = 16) {
    std::vector<std::uint32_t> found;
    for (int i = 0; i < list.ImageCount(); ++i) {
        const Pixels p = ImagePixels(list.hIml(), i, size);
        std::uint32_t seed = 0;
        for (std::uint32_t c : candidates)
            if (p == Expected(c, size)) seed = c;
        found.push_back(seed);
    }
    return found;
}

void ExpectSubscriptError(const std::function<void()>& f) {
    try {
        f();
        ADD_FAILURE() << "no error raised";
    } catch (const ToolkitError& e) {
        EXPECT_EQ(e.Number(), 9);
        EXPECT_EQ(e.Source(), AppExeName() + L".zephImageList");
    }
}

TEST(ImageList, KeysAndLookup) {
    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    AddPatterns(list, {{1, L"one"}, {2, L"12"}, {3, L"x"}, {4, nullptr}});
    ASSERT_EQ(list.ImageCount(), 4);
    EXPECT_EQ(list.ItemIndex(L"one"), 0);
    EXPECT_EQ(list.ItemIndex(L"x"), 2);
    EXPECT_EQ(list.ItemIndex(2), 1);
    EXPECT_EQ(list.ItemIndex(L" 3 "), 2);     // numeric text is a position
    EXPECT_EQ(list.ItemKey(2), L"12");         // stored, but never found by key
    ExpectSubscriptError([&] { list.ItemIndex(L"12"); });
    ExpectSubscriptError([&] { list.ItemIndex(0); });
    ExpectSubscriptError([&] { list.ItemIndex(L"ONE"); });  // exact comparison
    ExpectSubscriptError([&] { list.ItemKey(5); });

    list.SetItemKey(4, L"one");  // held by image 1: refused without an error
    EXPECT_EQ(list.ItemKey(4), L"");
    list.SetItemKey(4, L"four");
    EXPECT_TRUE(list.KeyExists(L"four"));
    EXPECT_FALSE(list.KeyExists(L"Four"));
    EXPECT_EQ(Seeds(list, {1, 2, 3, 4}), (std::vector<std::uint32_t>{1, 2, 3, 4}));

    HICON copy = list.ItemCopyOfIcon(L"x");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(test::IconPixels(copy, 16), Expected(3));
    ::DestroyIcon(copy);
    const PicturePtr picture = list.ItemPicture(L"four");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture.Type(), PICTYPE_ICON);
}

TEST(ImageList, InsertBeforeMovesTheNewImagesThere) {
    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    AddPatterns(list, {{1, L"a"}, {2, L"b"}, {3, L"c"}});
    UniqueIcon d(PatternIcon(16, 4));
    ASSERT_TRUE(list.AddFromHandle(d.get(), IMAGE_ICON, L"d", -1, KeyOrIndex(L"b")));
    EXPECT_EQ(Seeds(list, {1, 2, 3, 4}), (std::vector<std::uint32_t>{1, 4, 2, 3}));
    EXPECT_EQ(list.Keys(), (std::vector<std::wstring>{L"a", L"d", L"b", L"c"}));

    // A strip of three cells inserted before the first image: all three move there in order,
    // only the first gets the key.
    Canvas strip(48, 16);
    for (int cell = 0; cell < 3; ++cell) {
        UniqueIcon icon(PatternIcon(16, 10 + cell));
        ::DrawIconEx(strip.dc(), cell * 16, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL);
    }
    HBITMAP copy = static_cast<HBITMAP>(::CopyImage(strip.bitmap(), IMAGE_BITMAP, 0, 0, 0));
    UniqueBitmap bitmap(copy);
    ASSERT_TRUE(list.AddFromHandle(bitmap.get(), IMAGE_BITMAP, L"s", static_cast<std::int32_t>(0x00FE01FE), KeyOrIndex(1)));
    EXPECT_EQ(list.ImageCount(), 7);
    EXPECT_EQ(Seeds(list, {1, 2, 3, 4, 10, 11, 12}), (std::vector<std::uint32_t>{10, 11, 12, 1, 4, 2, 3}));
    EXPECT_EQ(list.Keys(), (std::vector<std::wstring>{L"s", L"", L"", L"a", L"d", L"b", L"c"}));

    UniqueIcon e(PatternIcon(16, 5));
    ASSERT_TRUE(list.AddFromHandle(e.get(), IMAGE_ICON, L"e", -1, KeyOrIndex(0)));  // 0 appends
    EXPECT_EQ(list.ItemIndex(L"e"), 7);
    ExpectSubscriptError([&] { list.AddFromHandle(e.get(), IMAGE_ICON, L"f", -1, KeyOrIndex(L"nope")); });
    EXPECT_EQ(list.ImageCount(), 8);  // nothing added
}

TEST(ImageList, SwapAndCopyExchangeKeys) {
    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    AddPatterns(list, {{1, L"a"}, {2, L"b"}, {3, L"c"}});
    std::vector<std::wstring> changes;
    list.PropertyChanged = [&](const wchar_t* name) { changes.push_back(name); };

    list.SwapOrCopyImage(L"a", L"c", ILCF_SWAP);
    EXPECT_EQ(Seeds(list, {1, 2, 3}), (std::vector<std::uint32_t>{3, 2, 1}));
    EXPECT_EQ(list.Keys(), (std::vector<std::wstring>{L"c", L"b", L"a"}));
    EXPECT_EQ(list.ImageCount(), 3);
    EXPECT_EQ(changes, (std::vector<std::wstring>{L"Images", L"Size"}));

    list.SwapOrCopyImage(1, 2, ILCF_MOVE);  // image 2 copied over image 1; keys still exchanged
    EXPECT_EQ(Seeds(list, {1, 2, 3}), (std::vector<std::uint32_t>{2, 2, 1}));
    EXPECT_EQ(list.Keys(), (std::vector<std::wstring>{L"b", L"c", L"a"}));
}

TEST(ImageList, SwapKeepsAlphaExactly) {
    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    for (std::uint32_t seed : {1u, 2u}) {
        UniqueIcon icon(test::MakeIcon(16, 16, [seed](int x, int y) {
            const std::uint32_t a = (x == y) ? 0x80 : 0xFF;
            return (a << 24) | ((seed * 40 + static_cast<std::uint32_t>(x)) << 8) | static_cast<std::uint32_t>(y);
        }));
        list.AddFromHandle(icon.get(), IMAGE_ICON);
    }
    const Pixels first = ImagePixels(list.hIml(), 0, 16);
    const Pixels second = ImagePixels(list.hIml(), 1, 16);
    ASSERT_NE(first, second);
    list.SwapOrCopyImage(1, 2, ILCF_SWAP);
    EXPECT_EQ(ImagePixels(list.hIml(), 0, 16), second);
    EXPECT_EQ(ImagePixels(list.hIml(), 1, 16), first);
}

TEST(ImageList, RemoveShiftsKeysAndClearKeepsSizes) {
    zephImageList list;
    list.SetIconSizeX(24);
    list.SetIconSizeY(24);
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    AddPatterns(list, {{1, L"a"}, {2, L"b"}, {3, L"c"}}, 24);
    list.RemoveImage(L"b");
    EXPECT_EQ(Seeds(list, {1, 2, 3}, 24), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(list.Keys(), (std::vector<std::wstring>{L"a", L"c"}));
    list.RemoveImage(1);
    list.RemoveImage(1);
    EXPECT_EQ(list.ImageCount(), 0);
    EXPECT_TRUE(list.Keys().empty());
    UniqueIcon icon(PatternIcon(24, 9));
    list.AddFromHandle(icon.get(), IMAGE_ICON);
    EXPECT_EQ(list.ItemKey(1), L"");  // no key left over from the removed images
    list.Clear();
    EXPECT_EQ(list.ImageCount(), 0);
    EXPECT_EQ(list.IconSizeX(), 24);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list.hIml(), &cx, &cy);
    EXPECT_EQ(cx, 24);
}

TEST(ImageList, WithoutAListMembersDoNothing) {
    zephImageList list;
    EXPECT_EQ(list.ImageCount(), 0);
    UniqueIcon icon(PatternIcon(16, 1));
    EXPECT_FALSE(list.AddFromHandle(icon.get(), IMAGE_ICON, L"k"));
    EXPECT_FALSE(list.SaveToFile(TempPath(L"none.bin")));
    EXPECT_FALSE(list.KeyExists(L"k"));
    EXPECT_FALSE(list.ItemPicture(1));
    list.RemoveImage(1);
    list.InitProperties();
    EXPECT_FALSE(list.AddFromHandle(nullptr, IMAGE_ICON));
    EXPECT_FALSE(list.AddFromHandle(icon.get(), 7));
}

TEST(ImageList, FileRoundTripIsPixelExactWithKeys) {
    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    AddPatterns(list, {{1, L"first"}, {2, L"k"}, {3, nullptr}, {4, L"last"}});
    const std::wstring path = TempPath(L"roundtrip.bin");
    WriteFileBytes(path, Bytes(100000, 0xAB));  // an older, longer file is replaced whole
    ASSERT_TRUE(list.SaveToFile(path));

    const Bytes file = ReadFileBytes(path);
    const std::int32_t version = ProgramImageVersion();
    const std::size_t n = 4 * IconRecordLength(16, 16, version);
    const std::string keys = "first\xFFk\xFF\xFFlast\xFF\xFF";
    ASSERT_EQ(file.size(), 12 + n + 4 + keys.size());
    EXPECT_EQ(GetU32(file.data()), kImageFileMagic);
    EXPECT_EQ(GetI32(file.data() + 4), version);
    EXPECT_EQ(GetU32(file.data() + 8), n);
    EXPECT_EQ(std::string(file.end() - static_cast<std::ptrdiff_t>(keys.size()), file.end()), keys);

    zephImageList back;
    back.SetColourDepth(ILC_COLOR32);
    back.InitProperties();
    AddPatterns(back, {{9, L"k"}});  // loading appends; its key "k" stays with this image
    ASSERT_TRUE(back.LoadFromFile(path));
    ASSERT_EQ(back.ImageCount(), 5);
    EXPECT_EQ(Seeds(back, {1, 2, 3, 4, 9}), (std::vector<std::uint32_t>{9, 1, 2, 3, 4}));
    EXPECT_EQ(back.Keys(), (std::vector<std::wstring>{L"k", L"first", L"", L"", L"last"}));

    zephImageList fresh;
    fresh.SetColourDepth(ILC_COLOR32);
    fresh.InitProperties();
    ASSERT_TRUE(fresh.LoadFromFile(path));
    EXPECT_EQ(fresh.Keys(), (std::vector<std::wstring>{L"first", L"k", L"", L"last"}));
    ::DeleteFileW(path.c_str());
}

TEST(ImageList, ReadsTheOlderLayoutWithTwentyFourBitRecords) {
    UniqueDC dc = CreateDisplayDC();
    Bytes records;
    std::size_t pos = 0;
    for (std::uint32_t seed : {5u, 6u}) {
        UniqueIcon icon(PatternIcon(16, seed));
        std::size_t length = 0;
        ASSERT_TRUE(SerializeIcon(dc.get(), icon.get(), records, pos, length, 0));
        EXPECT_EQ(length, 940u);
        pos += length;
    }
    Bytes file;
    AppendU32(file, static_cast<std::uint32_t>(records.size()));
    file.insert(file.end(), records.begin(), records.end());
    AppendU32(file, 7);
    const std::string keys = "old\xFFok\xFF\xFF";
    file.insert(file.end(), keys.begin(), keys.end());
    const std::wstring path = TempPath(L"old.bin");
    WriteFileBytes(path, file);

    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    ASSERT_TRUE(list.LoadFromFile(path));
    EXPECT_EQ(Seeds(list, {5, 6}), (std::vector<std::uint32_t>{5, 6}));
    EXPECT_EQ(list.Keys(), (std::vector<std::wstring>{L"old", L"ok"}));
    ::DeleteFileW(path.c_str());
}

TEST(ImageList, DamagedFilesAreRefusedOrStopAtTheBadRecord) {
    zephImageList source;
    source.SetColourDepth(ILC_COLOR32);
    source.InitProperties();
    AddPatterns(source, {{1, L"a"}, {2, L"b"}, {3, L"c"}});
    const std::wstring path = TempPath(L"damaged.bin");
    ASSERT_TRUE(source.SaveToFile(path));
    const Bytes good = ReadFileBytes(path);
    const std::size_t record = IconRecordLength(16, 16, ProgramImageVersion());

    // Truncated anywhere: an error or the intact part, never a read past the end.
    for (std::size_t cut = 0; cut < good.size(); cut += 97) {
        WriteFileBytes(path, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut)));
        zephImageList list;
        list.SetColourDepth(ILC_COLOR32);
        list.InitProperties();
        try {
            list.LoadFromFile(path);
            ADD_FAILURE() << "truncated at " << cut << " was accepted";
        } catch (const ToolkitError& e) {
            EXPECT_TRUE(e.Number() == 62 || e.Number() == 9) << e.Number();
        }
        EXPECT_EQ(list.ImageCount(), 0);
    }

    // The second record's colour head claims a huge bitmap: the first image loads, then it stops.
    Bytes bad = good;
    PutU32(bad.data() + 12 + record + 12 + 4, 0x10000);
    WriteFileBytes(path, bad);
    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    ASSERT_TRUE(list.LoadFromFile(path));
    EXPECT_EQ(Seeds(list, {1, 2, 3}), (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(list.Keys(), (std::vector<std::wstring>{L"a"}));

    // An image block length past the end of the file.
    Bytes longN = good;
    PutU32(longN.data() + 8, 0x7FFFFFFF);
    WriteFileBytes(path, longN);
    zephImageList other;
    other.InitProperties();
    EXPECT_THROW(other.LoadFromFile(path), ToolkitError);

    // Every byte of the heads flipped in turn: loading ends without a crash.
    for (std::size_t i = 12; i < 12 + 60; ++i) {
        Bytes flipped = good;
        flipped[i] ^= 0xFF;
        WriteFileBytes(path, flipped);
        zephImageList l;
        l.InitProperties();
        ASSERT_NO_FATAL_FAILURE(l.LoadFromFile(path));
        EXPECT_LE(l.ImageCount(), 3);
    }
    ::DeleteFileW(path.c_str());

    zephImageList missing;
    missing.InitProperties();
    try {
        missing.LoadFromFile(TempPath(L"does-not-exist.bin"));
        ADD_FAILURE();
    } catch (const ToolkitError& e) {
        EXPECT_EQ(e.Number(), 53);
        EXPECT_EQ(e.Source(), AppExeName() + L".zephImageList");
    }
    zephImageList empty;
    empty.InitProperties();
    ExpectSubscriptError([&] { empty.SaveToFile(TempPath(L"empty.bin")); });
    EXPECT_EQ(::GetFileAttributesW(TempPath(L"empty.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ImageList, PropertyBagRoundTripIncludingLargeIcons) {
    zephImageList list;
    list.SetIconSizeX(72);
    list.SetIconSizeY(72);
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    AddPatterns(list, {{1, L"big"}, {2, L"b"}, {3, nullptr}}, 72);
    ImagePropertyBag bag;
    list.WriteProperties(bag);
    EXPECT_EQ(bag.ReadInt(L"Size", 0), 3 * 21660);
    EXPECT_EQ(bag.ReadBytes(L"Images").size(), 3u * 21660);
    EXPECT_EQ(bag.ReadInt(L"Version", 0), ProgramImageVersion());
    EXPECT_EQ(bag.ReadInt(L"KeyCount", 0), 3);
    const std::wstring sep(1, kal::testing::Nth(bag.ReadText(L"Keys", L""), 3));
    EXPECT_EQ(bag.ReadText(L"Keys", L""), L"big" + sep + L"b" + sep);
    EXPECT_EQ(bag.ReadInt(L"IconSizeX", 16), 72);
    EXPECT_EQ(bag.ReadInt(L"ColourDepth", 0), ILC_COLOR32);

    zephImageList back;
    back.ReadProperties(bag);
    EXPECT_EQ(back.IconSizeX(), 72);
    EXPECT_EQ(back.ColourDepth(), ILC_COLOR32);
    EXPECT_EQ(Seeds(back, {1, 2, 3}, 72), (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(back.Keys(), (std::vector<std::wstring>{L"big", L"b", L""}));

    zephImageList none;
    none.InitProperties();
    ImagePropertyBag empty;
    none.WriteProperties(empty);
    EXPECT_EQ(empty.Count(), 0u);  // all at their defaults
    zephImageList fromEmpty;
    fromEmpty.ReadProperties(empty);
    EXPECT_NE(fromEmpty.hIml(), nullptr);
    EXPECT_EQ(fromEmpty.ImageCount(), 0);

    ImagePropertyBag garbage;
    garbage.Write(L"Size", 500);
    garbage.Write(L"Images", Bytes(500, 0x7F));
    garbage.Write(L"Keys", std::wstring(L"lost"));
    zephImageList none2;
    none2.ReadProperties(garbage);  // nothing can be rebuilt: an empty list, no error
    EXPECT_EQ(none2.ImageCount(), 0);
    EXPECT_TRUE(none2.Keys().empty());

    ImagePropertyBag damaged = bag;
    Bytes images = bag.ReadBytes(L"Images");
    images.resize(21660 + 100);
    damaged.Write(L"Images", images);  // "Size" still claims three records
    zephImageList partial;
    partial.ReadProperties(damaged);
    EXPECT_EQ(partial.ImageCount(), 1);
    EXPECT_EQ(partial.Keys(), (std::vector<std::wstring>{L"big"}));
}

TEST(ImageList, DrawStripAndPictureBox) {
    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    AddPatterns(list, {{1, L"a"}, {2, L"b"}, {3, L"c"}});

    Canvas canvas(40, 40, 0xFF000000);
    list.DrawImage(L"b", canvas.dc(), 10, 12);
    EXPECT_EQ(canvas.Area(10, 12, 16, 16), Expected(2));
    EXPECT_EQ(canvas.Rgb(9, 12), 0u);
    Canvas disabled(16, 16, 0xFF000000);
    list.DrawImage(L"b", disabled.dc(), 0, 0, false, false, true);
    EXPECT_NE(disabled.Area(0, 0, 16, 16), Expected(2));
    EXPECT_NE(disabled.Area(0, 0, 16, 16), Pixels(256, 0));

    // Cut: blended with the given colour.
    Canvas cutRed(16, 16, 0xFF000000), cutGreen(16, 16, 0xFF000000);
    list.DrawImage(L"b", cutRed.dc(), 0, 0, false, true, false, 0x0000FF);
    list.DrawImage(L"b", cutGreen.dc(), 0, 0, false, true, false, 0x00FF00);
    EXPECT_NE(cutRed.Area(0, 0, 16, 16), Expected(2));
    EXPECT_NE(cutRed.Area(0, 0, 16, 16), cutGreen.Area(0, 0, 16, 16));

    EXPECT_FALSE(list.ImagePictureStrip(2, 2));
    const PicturePtr strip = list.ImagePictureStrip(2, 3, 0x0000FF);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip.Type(), PICTYPE_BITMAP);
    BITMAP bm{};
    ASSERT_TRUE(::GetObjectW(strip.Handle(), sizeof(bm), &bm));
    EXPECT_EQ(bm.bmWidth, 48);
    EXPECT_EQ(bm.bmHeight, 16);
    Canvas copy(48, 16);
    UniqueDC mem(::CreateCompatibleDC(nullptr));
    {
        SelectGuard sel(mem.get(), strip.Handle());
        ::BitBlt(copy.dc(), 0, 0, 48, 16, mem.get(), 0, 0, SRCCOPY);
    }
    EXPECT_EQ(copy.Rgb(5, 5), 0xFF0000u);  // cell 1 outside the range keeps the background
    EXPECT_EQ(copy.Area(16, 0, 16, 16), Expected(2));
    EXPECT_EQ(copy.Area(32, 0, 16, 16), Expected(3));

    // Cutting cells from a picture.
    Canvas picture(20, 20, 0xFF00FF00);
    picture.Set(0, 0, 0xFF0000FF);
    picture.Set(5, 6, 0xFFFF0000);
    const PictureBoxView view{picture.dc(), picture.bitmap()};
    EXPECT_EQ(list.AddFromPictureBox(picture.dc(), view, L"cut", 5, 6, 0x00FFFFFF), 4);
    Canvas cut(16, 16, 0xFF000000);
    list.DrawImage(L"cut", cut.dc(), 0, 0);
    EXPECT_EQ(cut.Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(cut.Rgb(1, 1), 0x00FF00u);
    EXPECT_EQ(cut.Rgb(15, 15), 0u);  // past the picture's edge: the background, which is transparent
    EXPECT_EQ(list.AddFromPictureBox(picture.dc(), view, L"edge", 30, 30, 0x00FFFFFF), 5);
    Canvas edge(16, 16, 0xFF000000);
    list.DrawImage(5, edge.dc(), 0, 0);
    EXPECT_EQ(edge.Area(0, 0, 16, 16), Pixels(256, 0));
}

TEST(ImageList, AddFromFileAndResource) {
    zephImageList list;
    list.SetColourDepth(ILC_COLOR32);
    list.InitProperties();
    EXPECT_TRUE(list.AddFromResourceID(1, ::GetModuleHandleW(nullptr), IMAGE_ICON, L"res"));
    EXPECT_FALSE(list.AddFromResourceID(999, ::GetModuleHandleW(nullptr), IMAGE_ICON, L"none"));
    EXPECT_EQ(list.ImageCount(), 1);

    // The test icon's 16 x 16 image is blue with its top half transparent.
    HRSRC group = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    Canvas c(16, 16, 0xFF000000);
    list.DrawImage(L"res", c.dc(), 0, 0);
    EXPECT_EQ(c.Rgb(8, 12), 0x0000FFu);
    EXPECT_EQ(c.Rgb(8, 3), 0u);

    std::vector<std::wstring> changes;
    list.PropertyChanged = [&](const wchar_t* name) { changes.push_back(name); };
    EXPECT_FALSE(list.AddFromFile(TempPath(L"missing.ico"), IMAGE_ICON, L"f"));
    EXPECT_EQ(changes, (std::vector<std::wstring>{L"Images", L"Size", L"Keys", L"KeyCount"}));
}

TEST(CImageListClass, CreateSizesRemoveAndDraw) {
    CImageList list;
    ASSERT_TRUE(list.Create(0, 16));
    EXPECT_EQ(list.IconSize(), 16);
    EXPECT_EQ(list.ColourDepth(), ILC_COLOR32);
    ASSERT_TRUE(list.Create(0, 24));
    EXPECT_EQ(list.IconSize(), 32);
    AddPatterns(list, {{1, L"a"}, {2, L"b"}, {3, L"c"}}, 32);
    list.RemoveImage(0);
    EXPECT_EQ(list.ItemKey(1), L"b");  // the keys follow their images
    EXPECT_EQ(list.ItemIndex(L"c"), 1);
    Canvas c(32, 32, 0xFF000000);
    list.DrawImage(-1, c.dc(), 0, 0);
    EXPECT_EQ(c.Area(0, 0, 32, 32), Pixels(32 * 32, 0));
    list.DrawImage(1, c.dc(), 0, 0);
    EXPECT_EQ(c.Area(0, 0, 32, 32), Expected(3, 32));
    list.SwapOrCopyImage(1, 2, ILCF_SWAP);
    EXPECT_EQ(Seeds(list, {2, 3}, 32), (std::vector<std::uint32_t>{3, 2}));
    EXPECT_EQ(list.ItemKey(1), L"c");
    list.RemoveImage(-1);
    EXPECT_EQ(list.ImageCount(), 0);
    EXPECT_TRUE(list.Keys().empty());
    EXPECT_EQ(CImageList::TranslateColor(0xFFFFFFFF), -1);
    EXPECT_EQ(CImageList::TranslateColor(0x80000005), static_cast<std::int32_t>(::GetSysColor(COLOR_WINDOW)));
}

}  // namespace
}  // namespace kal
