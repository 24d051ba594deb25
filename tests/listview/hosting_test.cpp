// A list on a form of the form layer: placed in twips, shown with its rows, and torn down by
// the form before the control object goes.
#include <string>

#include "listview/autosize.h"
#include "listview/columns.h"
#include "listview/items.h"
#include "toolkit/font.h"
#include "tests/common/screenshot.h"
#include "tests/listview/fixture.h"

using namespace kal;
using namespace kal::test;

TEST_F(ListViewTest, HostedOnAFormInTwipsWithItsRows) {
    UIFont font;
    font.name = L"Tahoma";
    font.size = 10;
    form.SetFont(font);  // the ambient font of a control whose bag holds none
    form.SetCaption(L"List view — items");
    PropertyBag bag;
    bag.Write<std::int32_t>(L"View", 3, 0);
    bag.Write<std::int32_t>(L"Appearance", 0, 1);
    ASSERT_TRUE(PlaceOnForm(*lv, form, {240, 240, 4500, 2400}, bag));
    const TwipsRect at = PlacementOf(*lv);
    EXPECT_NEAR(at.left, 240, 15);
    EXPECT_NEAR(at.width, 4500, 15);
    EXPECT_EQ(lv->Font().name, L"Tahoma");
    int resized = 0;
    lv->Resize = [&] { ++resized; };
    MoveTo(*lv, {240, 240, 5400, 3000});
    EXPECT_EQ(resized, 1);
    EXPECT_NEAR(PlacementOf(*lv).width, 5400, 15);
    RECT client{}, list{};
    ::GetClientRect(lv->hWnd(), &client);
    ::GetWindowRect(List(), &list);
    EXPECT_EQ(list.right - list.left, client.right);  // the list follows the control's size

    cListItems items = lv->ListItems();
    for (const wchar_t* name : {L"Music", L"Movie", L"Игры", L"Кино и сериалы", L"Ελληνικά", L"Headphones"})
        items.Add({}, {}, name);
    items.item(L"3").SetSelected(true);
    EXPECT_EQ(RawText(3), L"Кино и сериалы");

    form.Show();
    ::SetWindowPos(form.hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetFocus(lv->hWnd());  // passed on to the list, which then shows its selection
    EXPECT_EQ(::GetFocus(), List());
    EXPECT_TRUE(kal::testing::SaveWindowScreenshot(form.hWnd(), L"listview", L"items"));
}

TEST_F(ListViewTest, FormDestroyingItsWindowsFirstReleasesEveryRecord) {
    const std::size_t before = ListItemRecord::LiveCount();
    Make();
    cListItems items = lv->ListItems();
    cListItem kept = items.Add({}, L"kept", L"kept");
    for (int i = 0; i < 20; ++i) items.Add({}, {}, L"row " + std::to_wstring(i));
    EXPECT_EQ(ListItemRecord::LiveCount(), before + 21);

    form.Unload();  // the control object outlives its windows
    EXPECT_EQ(ListItemRecord::LiveCount(), before);
    EXPECT_EQ(lv->RecordCount(), 0u);
    EXPECT_FALSE(lv->hWnd());
    EXPECT_FALSE(lv->hWndListView());
    const auto e = Raised([&] { kept.Text(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 364);

    // The next load places it again.
    form.Load();
    Make();
    lv->ListItems().Add({}, L"kept", L"again");
    EXPECT_EQ(lv->ListItems().item(L"KEPT").Text(), L"again");
}

TEST_F(ListViewTest, InterfaceFontReachesAListPlacedOnTheFormAndItsColumnsFitIt) {
    struct Reset {
        ~Reset() { gUIFont.reset(); }
    } reset;
    // The profile manager's design names a font of its own, which the interface font replaces.
    ASSERT_TRUE(PlaceOnForm(*lv, form, {240, 240, 7200, 2400}, ProfilesDesign()));
    cColumns columns = lv->Columns();
    columns.Add({}, {}, L"Name");
    columns.Add({}, {}, L"Description");
    const std::wstring name = L"Night listening with headphones";
    lv->ListItems().Add({}, {}, name).SubItems().item(1).SetCaption(L"Quiet");

    UIFont font;
    font.name = L"Liberation Sans";
    font.size = 16;
    gUIFont = font;
    ApplySystemFont(&form);
    EXPECT_EQ(lv->FontName(), L"Liberation Sans");
    EXPECT_EQ(lv->FontSize(), 16.0f);
    const HFONT shown = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    LOGFONTW lf{};
    ASSERT_EQ(::GetObjectW(shown, sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Liberation Sans");

    // The name column, fitted after the font changed, holds the name in the interface font.
    AutoSizeColumns(*lv);
    HDC dc = ::GetDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, gUIFont->Handle());
    SIZE text{};
    ::GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &text);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    EXPECT_GE(Send(LVM_GETCOLUMNWIDTH, 0), text.cx);

    form.Show();
    EXPECT_TRUE(kal::testing::SaveWindowScreenshot(form.hWnd(), L"listview", L"interface-font"));
}
