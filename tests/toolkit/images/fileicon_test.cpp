#include "toolkit/images/fileicon.h"

#include <gtest/gtest.h>

#include "tests/toolkit/images/gdi_helpers.h"
#include "startup/utility.h"
#include "toolkit/images/imageformat.h"

namespace kal {
namespace {

using test::Canvas;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::wstring TempIcon(const wchar_t* name) { return TempFolderPath() + L"kalvenor_fileicon_" + name; }

std::wstring OwnPath() {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return exe;
}

// The raised error's number and description.
template <typename F>
std::pair<std::int32_t, std::wstring> ErrorOf(F f) {
    try {
        f();
    } catch (const ToolkitError& e) {
        EXPECT_EQ(e.Source(), AppExeName() + L".cFileIcon");
        return {e.Number(), e.Description()};
    }
    return {0, L""};
}

TEST(FileIcon, AddImageAndDuplicate) {
    cFileIcon icon;
    icon.AddImage(32, 32, 16);
    ASSERT_EQ(icon.ImageCount(), 1);
    EXPECT_EQ(icon.ImageSize(1), 744);
    EXPECT_EQ(icon.Data().directory[0].imageOffset, 22u);
    EXPECT_EQ(icon.Data().directory[0].bitCount, 4);
    EXPECT_EQ(icon.ImageColourCount(1), 16.0);
    EXPECT_FALSE(icon.ImageHasAlphaChannel(1));
    const auto [number, text] = ErrorOf([&] { icon.AddImage(32, 32, 16); });
    EXPECT_EQ(number, static_cast<std::int32_t>(0x80040419));
    EXPECT_EQ(text, L"Icon already exists.");
    EXPECT_EQ(icon.ImageCount(), 1);
}

TEST(FileIcon, ThreeImagesRoundTripAndSaveRules) {
    cFileIcon icon;
    EXPECT_EQ(ErrorOf([&] { icon.SaveIcon(); }), std::make_pair(IconErrorNumber(1051), std::wstring(L"No filename specified.")));
    EXPECT_EQ(ErrorOf([&] { icon.SaveIcon(TempIcon(L"none.ico")); }),
              std::make_pair(IconErrorNumber(1052), std::wstring(L"Icon contains no images.")));
    icon.AddImage(16, 16, 2);
    icon.AddImage(32, 32, 256);
    icon.AddImage(48, 48, 0);
    const std::wstring path = TempIcon(L"three.ico");
    WriteFileBytes(path, Bytes(200000, 0x55));  // a longer file is replaced whole
    ASSERT_TRUE(icon.SaveIcon(path));
    EXPECT_EQ(icon.FileName(), path);
    const Bytes saved = ReadFileBytes(path);

    cFileIcon back;
    ASSERT_TRUE(back.LoadIcon(path));
    EXPECT_EQ(back.ImageCount(), 3);
    EXPECT_EQ(back.Data().images, icon.Data().images);
    EXPECT_EQ(back.ImageWidth(3), 48);
    EXPECT_EQ(back.ImageColourCount(3), 16777216.0);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(back.ResourceID()));

    back.RemoveImage(1);
    ASSERT_TRUE(back.SaveIcon());  // back to the file it was loaded from
    cFileIcon again;
    ASSERT_TRUE(again.LoadIcon(path));
    ASSERT_EQ(again.ImageCount(), 2);
    EXPECT_EQ(again.Data().directory[0].imageOffset, 38u);
    EXPECT_EQ(again.ImageWidth(1), 32);
    EXPECT_EQ(ReadFileBytes(path).size(), saved.size() - 16 - icon.Data().images[0].size());

    cFileIcon clone;
    again.CloneTo(clone);
    EXPECT_EQ(clone.FileName(), path);
    EXPECT_EQ(clone.Data().images, again.Data().images);
    ::DeleteFileW(path.c_str());
}

TEST(FileIcon, RefusedFiles) {
    cFileIcon icon;
    icon.AddImage(16, 16, 16);
    const std::wstring path = TempIcon(L"bad.ico");
    ASSERT_TRUE(icon.SaveIcon(path));
    const Bytes good = ReadFileBytes(path);

    Bytes cursor = good;
    cursor[2] = 2;
    WriteFileBytes(path, cursor);
    cFileIcon loaded;
    EXPECT_EQ(ErrorOf([&] { loaded.LoadIcon(path); }),
              std::make_pair(IconErrorNumber(1050),
                             std::wstring(L"Failed to load icon: File is not icon type (idType <> IMAGE_ICON)")));
    Bytes reserved = good;
    reserved[0] = 1;
    WriteFileBytes(path, reserved);
    EXPECT_EQ(ErrorOf([&] { loaded.LoadIcon(path); }).second,
              L"Failed to load icon: File is not icon type (reserved member is 0)");

    WriteFileBytes(path, Bytes(good.begin(), good.end() - 1));
    EXPECT_EQ(ErrorOf([&] { loaded.LoadIcon(path); }).second, L"Failed to load icon: Icon Images Array is Corrupt.");
    EXPECT_EQ(loaded.ImageCount(), 0);
    WriteFileBytes(path, Bytes(good.begin(), good.begin() + 10));
    EXPECT_EQ(ErrorOf([&] { loaded.LoadIcon(path); }).second, L"Failed to load icon: Icon Directory Array is Corrupt.");

    EXPECT_FALSE(loaded.LoadIcon(TempIcon(L"missing.ico")));
    EXPECT_EQ(loaded.FileName(), TempIcon(L"missing.ico"));
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(ErrorOf([&] { loaded.ImageWidth(1); }).first, 9);
}

TEST(FileIcon, LoadFromResourcesAndRender) {
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIconFromEXE(OwnPath(), 1, L""));
    ASSERT_EQ(icon.ImageCount(), 2);
    EXPECT_EQ(std::get<std::int32_t>(icon.ResourceID()), 1);
    EXPECT_EQ(icon.FileName(), OwnPath());
    EXPECT_EQ(icon.ImageWidth(1), 16);
    EXPECT_EQ(icon.ImageColourCount(1), 16.0);
    EXPECT_TRUE(icon.ImageHasAlphaChannel(2));
    EXPECT_EQ(icon.ImageColourCount(2), 4294967296.0);
    EXPECT_EQ(icon.Data().directory[0].imageOffset, 6u + 32);
    EXPECT_EQ(icon.Data().directory[1].imageOffset, 38u + icon.Data().directory[0].bytesInRes);

    // The 16 x 16 image is blue with its top half transparent.
    Canvas canvas(64, 64, 0xFF000000);
    HICON handle = icon.IconHandle(canvas.dc(), 1);
    ASSERT_NE(handle, nullptr);
    ::DrawIconEx(canvas.dc(), 0, 0, handle, 16, 16, 0, nullptr, DI_NORMAL);
    ::DestroyIcon(handle);
    EXPECT_EQ(canvas.Rgb(5, 12), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(5, 3), 0u);

    canvas.Fill(0xFF000000);
    icon.DrawIconImage(canvas.dc(), 2, false, 10, 0, 0, 48);  // own width, stretched to 48 high
    EXPECT_EQ(canvas.Rgb(41, 47), 0x00C800u);
    EXPECT_EQ(canvas.Rgb(42, 20), 0u);
    EXPECT_EQ(canvas.Rgb(20, 48), 0u);

    canvas.Fill(0xFF000000);
    icon.DrawIconImage(canvas.dc(), 1, true, 0, 0);  // the mask: white where transparent
    EXPECT_EQ(canvas.Rgb(3, 3), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(3, 12), 0u);

    const PicturePtr picture = icon.IconPicture(canvas.dc(), 2);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture.Type(), PICTYPE_ICON);

    const std::wstring path = TempIcon(L"fromexe.ico");
    ASSERT_TRUE(icon.SaveIcon(path));
    EXPECT_EQ(ReadFileBytes(path).size(), 6u + 32 + icon.ImageSize(1) + icon.ImageSize(2));
    ::DeleteFileW(path.c_str());

    cFileIcon missing;
    EXPECT_EQ(ErrorOf([&] { missing.LoadIconFromEXE(OwnPath(), 77, L""); }),
              std::make_pair(IconErrorNumber(1055), std::wstring(L"Can't find resource.")));
    EXPECT_EQ(ErrorOf([&] { missing.LoadIconFromEXE(OwnPath(), 0, L"NOSUCHICON"); }).first, IconErrorNumber(1055));
    EXPECT_EQ(ErrorOf([&] { missing.LoadIconFromEXE(TempIcon(L"nothing.dll"), 1, L""); }),
              std::make_pair(IconErrorNumber(1054), std::wstring(L"Can't load library.")));
}

TEST(FileIcon, CompressedOrDamagedImagesAreNotRendered) {
    // A file whose second image is a compressed (PNG) image and whose first claims more rows
    // than it holds.
    cFileIcon made;
    made.AddImage(16, 16, 16);
    made.AddImage(32, 32, 0);
    const std::wstring path = TempIcon(L"png.ico");
    ASSERT_TRUE(made.SaveIcon(path));
    Bytes file = ReadFileBytes(path);
    const std::size_t second = GetU32(file.data() + 6 + 16 + 12);
    const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::copy(png, png + 8, file.begin() + static_cast<std::ptrdiff_t>(second));
    PutU32(file.data() + 38 + 8, 64 * 2);  // first image: 64 rows claimed
    WriteFileBytes(path, file);

    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(path));
    Canvas canvas(64, 64, 0xFF123456);
    EXPECT_EQ(icon.IconHandle(canvas.dc(), 1), nullptr);
    EXPECT_EQ(icon.IconHandle(canvas.dc(), 2), nullptr);
    EXPECT_FALSE(icon.IconPicture(canvas.dc(), 2));
    icon.DrawIconImage(canvas.dc(), 2, false, 0, 0);
    EXPECT_EQ(canvas.Rgb(10, 10), 0x123456u);
    ::DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace kal
