#include "tests/toolkit/pages/pagetest.h"

#include <prsht.h>

#include <algorithm>

#include "tests/common/checked.h"

namespace kal::test {
namespace {

using kal::testing::Last;
using kal::testing::Nth;

constexpr std::uint32_t kGrey = 0x808080;  // what an image's transparent pixels show

std::wstring NotLoaded(const std::wstring& path) {
    return L"The file '" + path + L"' could not be loaded.  Please check whether this is a valid image.";
}

class ImagesPage : public PageTest {
protected:
    void OpenImages() { Open(1); }
    bool Click(const wchar_t* name) {
        const bool done = User::Click(Images().Ctl(name));
        Pump();
        return done;
    }
    bool Enabled(const wchar_t* name) { return Images().Ctl(name).Enabled(); }
    TextBox& Box(const wchar_t* name, int index = -1) { return Images().Get<TextBox>(name, index); }
    // Adds files through the dialog, as the user chooses them.
    void AddFiles(const std::vector<std::wstring>& names) {
        dialogs.openFile.push_back(ChooseFiles(folder.Path(), names));
        ASSERT_TRUE(Click(L"cmdAdd"));
    }
    void SetKeysFromNames() {
        ASSERT_TRUE(User::Click(Images().Ctl(L"chkSetKeys")));
        ASSERT_EQ(Images().Get<CheckBox>(L"chkSetKeys").Value(), 1);
    }
    // The colour at the centre of cell i of the strip (no scrolling).
    std::uint32_t StripColour(int i) {
        const RECT& r = Images().StripRect();
        const int cx = list.IconSizeX();
        return Rgb(Images().SurfacePixel(r.left + 2 + i * (cx + 2) + cx / 2, r.top + 4 + list.IconSizeY() / 2));
    }

    TestFolder folder{L"images"};
};

TEST_F(ImagesPage, AddsEveryKindOfFileWithKeysFromTheirNames) {
    folder.Write(L"one.ico", IconFile(16, 0xFF0000));
    folder.Write(L"two.cur", IconFile(16, 0x00FF00, true));
    folder.Write(L"three.bmp", BitmapFile(16, {0x0000FF}));
    folder.Write(L"four.gif", GifFile(16, 0xFFFF00, 0x102030));
    folder.Write(L"five.ani", AnimatedCursorFile(16, {0xFF00FF, 0xFF8000}));
    OpenImages();
    SetKeysFromNames();
    EXPECT_FALSE(ApplyEnabled());
    dialogs.answers = {IDYES};  // all frames of the animated cursor
    AddFiles({L"one.ico", L"two.cur", L"three.bmp", L"four.gif", L"five.ani"});

    ASSERT_EQ(dialogs.openSeen.size(), 1u);
    const OPENFILENAMEW& ofn = dialogs.openSeen[0].ofn;
    EXPECT_EQ(ofn.Flags & (OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST),
              static_cast<DWORD>(OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST));
    EXPECT_EQ(ofn.nMaxFile, 8192u);
    EXPECT_EQ(ofn.nFilterIndex, 1u);
    EXPECT_EQ(dialogs.openSeen[0].title, L"Choose Icon to add");
    EXPECT_EQ(dialogs.openSeen[0].defaultExtension, L"ICO");
    EXPECT_EQ(dialogs.openSeen[0].file, L"");
    EXPECT_EQ(ofn.hwndOwner, Images().Ctl(L"cmdAdd").Window());
    const std::wstring& filter = dialogs.openSeen[0].filter;
    EXPECT_EQ(filter.substr(0, filter.find(L'\0')), L"ImageList Pictures (*.ICO;*.CUR;*.ANI;*.BMP;*.DIB;*.GIF)");
    EXPECT_EQ(std::count(filter.begin(), filter.end(), L'\0'), 11);  // six pairs

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, L"Do you want to load all frames of the animated cursor file '" +
                                            folder.Path() + L"\\five.ani'?");
    // An empty list has no current image: the files are appended in order. The solid bitmap is
    // all of its top-left pixel's colour, so all transparent.
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"ONE", L"TWO", L"THREE", L"FOUR", L"FIVE:1", L"FIVE:2"}));
    EXPECT_EQ(ImageColours(),
              (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, kGrey, 0xFFFF00, 0xFF00FF, 0xFF8000}));
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(Box(L"txtIndex").Text(), L"1 of 6");
    EXPECT_EQ(Box(L"txtKey").Text(), L"ONE");

    // The same frames again go in before the current image, and the keys stay unique.
    dialogs.answers = {IDYES};
    AddFiles({L"five.ani"});
    EXPECT_EQ(list.ImageCount(), 8);
    EXPECT_EQ(Nth(Keys(), 0), L"FIVE:3");
    EXPECT_EQ(Nth(Keys(), 1), L"FIVE:4");
    EXPECT_EQ(Nth(Keys(), 2), L"ONE");
    EXPECT_EQ(ImageColour(0), 0xFF00FFu);
}

TEST_F(ImagesPage, AnimatedCursorAnsweredNoAddsItsFirstFrame) {
    folder.Write(L"spin.ani", AnimatedCursorFile(16, {0x00FFFF, 0x0000FF, 0xFF0000}));
    OpenImages();
    dialogs.answers = {IDNO};
    AddFiles({L"spin.ani"});
    EXPECT_EQ(list.ImageCount(), 1);
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L""}));
}

TEST_F(ImagesPage, PlainCursorCalledAnimatedGivesOneFrame) {
    folder.Write(L"plain.ani", IconFile(16, 0x00FF00, true));
    OpenImages();
    SetKeysFromNames();
    dialogs.answers = {IDYES};
    AddFiles({L"plain.ani"});
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0x00FF00}));
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"PLAIN"}));
}

TEST_F(ImagesPage, BitmapsTakeTheTransparentColourChosen) {
    folder.Write(L"strip.bmp", BitmapFile(16, {0xFF0000, 0x0000FF, 0x00FF00}));
    OpenImages();
    SetKeysFromNames();
    // Automatic: the top-left pixel's colour, red, is transparent.
    AddFiles({L"strip.bmp"});
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{kGrey, 0x0000FF, 0x00FF00}));
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"STRIP:1", L"STRIP:2", L"STRIP:3"}));

    ASSERT_TRUE(User::ChooseOption(Images().Get<OptionButton>(L"optTransparentColour", 1)));
    EXPECT_TRUE(Enabled(L"cmdPickColour"));
    ASSERT_TRUE(User::SetText(Box(L"txtRGB", 0), L"0"));
    ASSERT_TRUE(User::SetText(Box(L"txtRGB", 1), L"0"));
    ASSERT_TRUE(User::SetText(Box(L"txtRGB", 2), L"300"));  // counts as 255
    EXPECT_EQ(Images().SampleColour(), RGB(0, 0, 255));
    list.Clear();
    AddFiles({L"strip.bmp"});
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0xFF0000, kGrey, 0x00FF00}));
}

TEST_F(ImagesPage, PicturesAndFilesThatCannotBeRead) {
    const std::wstring gif = folder.Write(L"sun.gif", GifFile(16, 0xFFFF00, 0x102030));
    const std::wstring bad = folder.Write(L"bad.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 2, 3});
    OpenImages();
    AddFiles({L"bad.gif", L"sun.gif"});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, NotLoaded(bad));
    EXPECT_EQ(dialogs.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    ASSERT_EQ(list.ImageCount(), 1);
    // The corner's colour became transparent, the rest stays.
    Canvas c(16, 16);
    ::ImageList_Draw(list.hIml(), 0, c.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(c.Rgb(0, 0), kGrey);
    EXPECT_EQ(c.Rgb(8, 8), 0xFFFF00u);
    (void)gif;
}

TEST_F(ImagesPage, MultiSelectionWithAOneCharacterName) {
    folder.Write(L"a.ico", IconFile(16, 0xFF0000));
    folder.Write(L"b.cur", IconFile(16, 0x00FF00, true));
    folder.Write(L"x", BitmapFile(16, {0x0000FF}));  // no extension: read as a picture
    OpenImages();
    AddFiles({L"a.ico", L"b.cur", L"x"});
    EXPECT_EQ(list.ImageCount(), 3);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ImagesPage, MovesCarryImagesAndKeys) {
    AddSolid(0xFF0000, L"red");
    AddSolid(0x00FF00, L"green");
    AddSolid(0x0000FF, L"blue");
    OpenImages();
    EXPECT_EQ(Images().CurrentIndex(), 0);
    EXPECT_FALSE(Enabled(L"cmdMoveDown"));
    EXPECT_FALSE(Click(L"cmdMoveDown"));
    EXPECT_EQ(StripColour(0), 0xFF0000u);
    EXPECT_EQ(StripColour(2), 0x0000FFu);

    ASSERT_TRUE(Click(L"cmdMoveUp"));
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0x00FF00, 0xFF0000, 0x0000FF}));
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"green", L"red", L"blue"}));
    EXPECT_EQ(Images().CurrentIndex(), 1);
    EXPECT_EQ(StripColour(0), 0x00FF00u);
    EXPECT_EQ(StripColour(1), 0xFF0000u);
    EXPECT_EQ(Box(L"txtKey").Text(), L"red");
    EXPECT_TRUE(ApplyEnabled());

    ASSERT_TRUE(Click(L"cmdMoveUp"));
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0x00FF00, 0x0000FF, 0xFF0000}));
    EXPECT_FALSE(Enabled(L"cmdMoveUp"));  // the last image
    ASSERT_TRUE(Click(L"cmdMoveDown"));
    ASSERT_TRUE(Click(L"cmdMoveDown"));
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF}));
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"red", L"green", L"blue"}));
    EXPECT_EQ(Images().CurrentIndex(), 0);
    EXPECT_EQ(StripColour(1), 0x00FF00u);
}

TEST_F(ImagesPage, RemovingAndClearing) {
    AddSolid(0xFF0000, L"red");
    AddSolid(0x00FF00, L"green");
    AddSolid(0x0000FF, L"blue");
    OpenImages();
    ASSERT_TRUE(Click(L"cmdNext"));
    ASSERT_TRUE(Click(L"cmdRemove"));
    EXPECT_EQ(ImageColours(), (std::vector<std::uint32_t>{0xFF0000, 0x0000FF}));
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"red", L"blue"}));
    EXPECT_EQ(Box(L"txtIndex").Text(), L"2 of 2");
    EXPECT_FALSE(ApplyEnabled());  // removing does not mark the page

    ASSERT_TRUE(Click(L"cmdRemove"));
    EXPECT_EQ(Images().CurrentIndex(), 0);  // moved to the new last image
    EXPECT_EQ(Box(L"txtKey").Text(), L"red");
    dialogs.answers = {IDNO};
    ASSERT_TRUE(Click(L"cmdClear"));
    EXPECT_EQ(Last(dialogs.messages).text, L"Are you sure you want to remove all icons?");
    EXPECT_EQ(list.ImageCount(), 1);
    dialogs.answers = {IDYES};
    ASSERT_TRUE(Click(L"cmdClear"));
    EXPECT_EQ(list.ImageCount(), 0);
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(Images().CurrentIndex(), -1);
    EXPECT_EQ(Box(L"txtIndex").Text(), L"");
    EXPECT_FALSE(Enabled(L"txtIndex"));
    EXPECT_FALSE(Enabled(L"txtKey"));
    for (const wchar_t* name : {L"cmdBack", L"cmdNext", L"cmdMoveUp", L"cmdMoveDown", L"cmdRemove"})
        EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_FALSE(Images().hscScroll().Enabled());
    EXPECT_EQ(Images().hscScroll().Value(), 0);
}

TEST_F(ImagesPage, KeyEditsAreStoredBeforeMovingOn) {
    AddSolid(0xFF0000, L"red");
    AddSolid(0x00FF00, L"green");
    OpenImages();
    ASSERT_TRUE(User::SetText(Box(L"txtKey"), L"crimson"));
    Pump();
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(list.ItemKey(1), L"red");  // not yet
    ASSERT_TRUE(Click(L"cmdNext"));
    EXPECT_EQ(list.ItemKey(1), L"crimson");
    EXPECT_EQ(Box(L"txtKey").Text(), L"green");

    // A key another image holds is refused; the box shows the key kept.
    ASSERT_TRUE(User::SetText(Box(L"txtKey"), L"crimson"));
    ASSERT_TRUE(Click(L"cmdBack"));
    EXPECT_EQ(list.ItemKey(2), L"green");
    ASSERT_TRUE(Click(L"cmdNext"));
    EXPECT_EQ(Box(L"txtKey").Text(), L"green");

    // Applying stores a pending edit.
    ASSERT_TRUE(User::SetText(Box(L"txtKey"), L"lime"));
    Press(PSBTN_APPLYNOW);
    EXPECT_EQ(list.ItemKey(2), L"lime");
    EXPECT_FALSE(ApplyEnabled());
}

TEST_F(ImagesPage, StripScrollsAndClicksSelect) {
    for (std::uint32_t i = 0; i < 30; ++i) AddSolid(0x010000u * (i * 8) + 0x40);
    OpenImages();
    PageScrollBar& bar = Images().hscScroll();
    ASSERT_TRUE(bar.Enabled());
    const RECT strip = Images().StripRect();
    const int area = (strip.right - 4) - (strip.left + 2);
    const int visible = area / 18;
    EXPECT_EQ(bar.Max(), (30 - visible) * 18);
    EXPECT_EQ(bar.SmallChange(), 18);
    EXPECT_EQ(bar.LargeChange(), 8 * 18);

    for (int i = 0; i < visible + 2; ++i) ASSERT_TRUE(Click(L"cmdNext"));
    EXPECT_EQ(Images().CurrentIndex(), visible + 2);
    EXPECT_GT(bar.Value(), 0);  // followed the current image

    // A click on the third cell selects the image shown there.
    const int value = bar.Value();
    ::SendMessageW(Images().hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(strip.left + 2 * 18 + 5, strip.top + 10));
    Pump();
    EXPECT_EQ(Images().CurrentIndex(), (2 * 18 + 5 + value) / 18);

    // Scrolling to the start shows image 0 in the first cell.
    ::SendMessageW(Images().hWnd(), WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), reinterpret_cast<LPARAM>(bar.hWnd()));
    Pump();
    EXPECT_EQ(bar.Value(), 0);
    EXPECT_EQ(StripColour(0), ImageColour(0));
    EXPECT_EQ(StripColour(1), ImageColour(1));
}

TEST_F(ImagesPage, TransparentColourBoxesAndTheColourDialog) {
    OpenImages();
    EXPECT_TRUE(Images().Get<OptionButton>(L"optTransparentColour", 0).Value());
    EXPECT_FALSE(Enabled(L"cmdPickColour"));
    EXPECT_TRUE(::GetWindowLongW(Box(L"txtRGB", 0).Window(), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(Box(L"txtRGB", 1).Text(), L"255");

    ASSERT_TRUE(User::ChooseOption(Images().Get<OptionButton>(L"optTransparentColour", 1)));
    EXPECT_FALSE(::GetWindowLongW(Box(L"txtRGB", 0).Window(), GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(Images().SampleColour(), RGB(0, 255, 255));
    HWND red = Box(L"txtRGB", 0).Window();
    ::SendMessageW(red, EM_SETSEL, 0, -1);
    ::SendMessageW(red, WM_CHAR, L'x', 0);
    ::SendMessageW(red, WM_CHAR, L'7', 0);
    EXPECT_EQ(Box(L"txtRGB", 0).Text(), L"7");

    COLORREF offered[16] = {};
    dialogs.colours.push_back([&](CHOOSECOLORW& cc) {
        cc.lpCustColors[0] = RGB(1, 2, 3);
        cc.rgbResult = RGB(10, 20, 30);
        return TRUE;
    });
    dialogs.colours.push_back([&](CHOOSECOLORW& cc) {
        std::copy(cc.lpCustColors, cc.lpCustColors + 16, offered);
        return FALSE;
    });
    ASSERT_TRUE(Click(L"cmdPickColour"));
    ASSERT_EQ(dialogs.colourSeen.size(), 1u);
    EXPECT_EQ(dialogs.colourSeen[0].rgbResult, RGB(7, 255, 255));
    EXPECT_EQ(dialogs.colourSeen[0].Flags, static_cast<DWORD>(CC_ANYCOLOR | CC_RGBINIT | CC_FULLOPEN));
    EXPECT_EQ(dialogs.colourSeen[0].hwndOwner, Images().Ctl(L"cmdPickColour").Window());
    EXPECT_EQ(Box(L"txtRGB", 0).Text(), L"10");
    EXPECT_EQ(Box(L"txtRGB", 1).Text(), L"20");
    EXPECT_EQ(Box(L"txtRGB", 2).Text(), L"30");
    EXPECT_EQ(Images().SampleColour(), RGB(10, 20, 30));

    ASSERT_TRUE(Click(L"cmdPickColour"));  // cancelled
    EXPECT_EQ(offered[0], RGB(1, 2, 3));
    EXPECT_EQ(Images().SampleColour(), RGB(10, 20, 30));

    // Automatic again: the numbers stay, locked.
    ASSERT_TRUE(User::ChooseOption(Images().Get<OptionButton>(L"optTransparentColour", 0)));
    EXPECT_EQ(Box(L"txtRGB", 0).Text(), L"10");
    EXPECT_FALSE(Enabled(L"cmdPickColour"));
    EXPECT_EQ(Images().SampleColour(), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_FALSE(ApplyEnabled());  // choosing the colour is no edit of the list
}

TEST_F(ImagesPage, EmptyListShowsNothingToEdit) {
    OpenImages();
    EXPECT_EQ(Images().CurrentIndex(), -1);
    EXPECT_FALSE(Enabled(L"txtKey"));
    EXPECT_FALSE(Enabled(L"cmdRemove"));
    EXPECT_FALSE(Images().hscScroll().Enabled());
    const RECT& strip = Images().StripRect();
    EXPECT_EQ(Images().SurfacePixel(strip.left + 10, strip.top + 10), ::GetSysColor(COLOR_WINDOW));
    EXPECT_FALSE(ApplyEnabled());
}

}  // namespace
}  // namespace kal::test
