// Columns and sub-items of a report list: the header the column objects build, the records kept
// beside it, the texts under the columns, and fitting the columns to the control's width.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "listview/autosize.h"
#include "listview/columns.h"
#include "base/raii.h"
#include "tests/listview/fixture.h"

using namespace kal;
using namespace kal::test;

namespace {

class ColumnsTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        Make(ProfilesDesign());
    }
    cColumns Columns() const { return lv->Columns(); }
    HWND Header() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER)); }
    std::wstring Caption(int column0) const {
        wchar_t buffer[128] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 128;
        ::SendMessageW(Header(), HDM_GETITEMW, static_cast<WPARAM>(column0), reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    int Format(int column0) const {
        LVCOLUMNW c{};
        c.mask = LVCF_FMT;
        Send(LVM_GETCOLUMNW, static_cast<WPARAM>(column0), reinterpret_cast<LPARAM>(&c));
        return c.fmt;
    }
    int PixelWidth(int column0) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column0))); }
    void AddProfileColumns() {
        for (const wchar_t* name : {L"Name", L"Output", L"Shortcut", L"Description"})
            Columns().Add({}, std::wstring(name), name, {}, 1440);
    }
};

int DpiX() { return ::GetDeviceCaps(ScreenDC().get(), LOGPIXELSX); }

}  // namespace

TEST_F(ColumnsTest, ProfileManagerColumnsAreFourInchWideLeftAlignedColumns) {
    std::vector<std::int32_t> ids;
    for (const wchar_t* name : {L"Name", L"Output", L"Shortcut", L"Description"})
        ids.push_back(Columns().Add({}, std::wstring(name), name, {}, 1440)->Id());
    ASSERT_EQ(Columns().Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(PixelWidth(i), DpiX());  // 1440 twips: one inch, 96 pixels at 96 dpi
        EXPECT_EQ(Format(i) & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
        EXPECT_EQ(ids[i], ids[0] + i);
    }
    EXPECT_EQ(Caption(2), L"Shortcut");
    EXPECT_EQ(Columns().item(L"Output").index(), 2);
    EXPECT_EQ(Columns().item(4).Key(), L"Description");
    EXPECT_NEAR(Columns().item(1).Width(), 1440, 0.01);
    Columns().item(1).SetWidth(2160);
    EXPECT_EQ(PixelWidth(0), DpiX() * 3 / 2);

    // The stored caption is the column's own copy.
    Columns().item(1).SetText(L"Profile");
    EXPECT_EQ(Columns().item(1).Text(), L"Profile");
    EXPECT_EQ(Caption(0), L"Name");
}

TEST_F(ColumnsTest, KeysIdsAndInsertionBeforeAKey) {
    cColumn first = *Columns().Add({}, {}, L"First");
    cColumn second = *Columns().Add({}, {}, L"Second");
    EXPECT_EQ(first.Key(), L"H" + std::to_wstring(first.Id()));
    EXPECT_EQ(second.Id(), first.Id() + 1);
    // Column keys keep their letter case, unlike item keys.
    const std::wstring lower = L"h" + std::to_wstring(second.Id());
    EXPECT_FALSE(Columns().Exists(lower));
    EXPECT_TRUE(Columns().Exists(second.Key()));
    EXPECT_EQ(ErrorOf([&] { Columns().item(lower); }), std::make_pair(-2147196501, std::wstring(L"zephListViewCtl")));

    second.SetTag(L"kept with its column");
    cColumn middle = *Columns().Add(second.Key(), L"Mid", L"Middle");
    EXPECT_EQ(middle.index(), 2);
    EXPECT_EQ(second.index(), 3);
    EXPECT_EQ(Columns().item(3).Tag(), L"kept with its column");
    EXPECT_EQ(Caption(1), L"Middle");
    EXPECT_EQ(Caption(2), L"Second");

    EXPECT_EQ(ErrorOf([&] { Columns().Add({}, L"Mid", L"again"); }), std::make_pair(457, std::wstring(L"cColumns")));
    EXPECT_EQ(ErrorOf([&] { Columns().Add({}, L"12", L"numeric"); }), std::make_pair(13, std::wstring(L"cColumns")));
    EXPECT_EQ(ErrorOf([&] { Columns().Add(L"nothing", {}, L"x"); }).first, -2147196501);
    EXPECT_EQ(ErrorOf([&] { Columns().item(0); }).first, -2147196501);
    EXPECT_EQ(ErrorOf([&] { Columns().item(4); }).first, -2147196501);
    EXPECT_EQ(Columns().Count(), 3);  // the refused Adds left nothing

    Columns().Remove(L"Mid");
    EXPECT_EQ(second.index(), 2);
    EXPECT_EQ(Caption(1), L"Second");
    EXPECT_EQ(ErrorOf([&] { middle.Width(); }), std::make_pair(-2147196501, std::wstring(L"cListItem")));
    Columns().Clear();
    EXPECT_EQ(Columns().Count(), 0);
    EXPECT_EQ(ErrorOf([&] { first.Key(); }).first, -2147196501);
    // The keys are free again.
    Columns().Add({}, L"Mid", L"Middle");
    EXPECT_EQ(Columns().item(L"Mid").index(), 1);
}

TEST_F(ColumnsTest, AColumnInsertedOnTheListDirectlyHasNoColumnObject) {
    AddProfileColumns();
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 50;
    Send(LVM_INSERTCOLUMNW, 4, reinterpret_cast<LPARAM>(&column));
    ASSERT_EQ(Columns().Count(), 5);  // the header's count
    EXPECT_EQ(ErrorOf([&] { Columns().item(5); }), std::make_pair(-2147196501, std::wstring(L"zephListViewCtl")));
    EXPECT_FALSE(Columns().Exists(5));
    EXPECT_EQ(Columns().item(4).Key(), L"Description");
}

TEST_F(ColumnsTest, FormatSortAndPosition) {
    AddProfileColumns();
    cColumn output = Columns().item(L"Output");
    output.SetAlignment(1);
    EXPECT_EQ(Format(1) & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
    EXPECT_EQ(output.Alignment(), 1);
    output.SetAlignment(2);
    EXPECT_EQ(Format(1) & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    EXPECT_EQ(output.Alignment(), 2);
    output.SetImageOnRight(true);
    EXPECT_TRUE(Format(1) & LVCFMT_BITMAP_ON_RIGHT);
    EXPECT_EQ(output.Alignment(), 2);  // other format bits stay

    Columns().item(1).SetSortOrder(1);
    Columns().item(3).SetSortOrder(2);
    EXPECT_EQ(Columns().item(1).SortOrder(), 0);
    EXPECT_EQ(Columns().item(3).SortOrder(), 2);
    Columns().item(3).SetSortType(4);
    EXPECT_EQ(Columns().item(3).SortType(), 4);

    cColumn description = Columns().item(4);
    description.SetPosition(1);
    EXPECT_EQ(description.Position(), 1);
    EXPECT_EQ(Columns().item(1).Position(), 2);
    int order[4] = {};
    Send(LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
    EXPECT_EQ(order[0], 3);
    EXPECT_EQ(description.index(), 4);  // dragging a column keeps its record where it was
}

TEST_F(ColumnsTest, ColumnIconsComeFromTheHeaderImageList) {
    AddProfileColumns();
    cColumn name = Columns().item(1);
    EXPECT_EQ(name.IconIndex(), -1);
    name.SetIconIndex(1);  // no header list yet: no image
    EXPECT_EQ(name.IconIndex(), -1);

    const HIMAGELIST icons = ::ImageList_Create(16, 16, ILC_COLOR32, 3, 0);
    for (int i = 0; i < 3; ++i) ::ImageList_AddIcon(icons, ::LoadIconW(nullptr, IDI_INFORMATION));
    lv->SetImageList(0x8000, icons);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(::SendMessageW(Header(), HDM_GETIMAGELIST, 0, 0)), icons);
    name.SetIconIndex(2);
    EXPECT_EQ(name.IconIndex(), 2);
    EXPECT_TRUE(Format(0) & LVCFMT_IMAGE);
    name.SetIconIndex(5);  // beyond the three images
    EXPECT_EQ(name.IconIndex(), -1);
    EXPECT_FALSE(Format(0) & LVCFMT_IMAGE);

    cColumn iconic = *Columns().Add({}, L"Icon", L"With icon", 0);
    EXPECT_EQ(iconic.IconIndex(), 0);
    lv.reset();  // the list stops using the image list before it goes
    ::ImageList_Destroy(icons);
}

TEST_F(ColumnsTest, SubItemsAreTheTextsUnderTheFurtherColumns) {
    for (const wchar_t* name : {L"Property", L"Value", L"Note"}) Columns().Add({}, {}, name);
    cListItem item = lv->ListItems().Add({}, L"os", L"Operating system");
    cSubItems subItems = item.SubItems();
    EXPECT_EQ(subItems.Count(), 2);
    subItems.item(1).SetCaption(L"Windows XP");
    subItems.item(2).SetCaption(L"Ελληνικά");
    EXPECT_EQ(RawText(0, 1), L"Windows XP");
    EXPECT_EQ(RawText(0, 2), L"Ελληνικά");
    EXPECT_EQ(item.SubItems().item(2).Caption(), L"Ελληνικά");
    EXPECT_EQ(subItems.item(1).index(), 1);
    EXPECT_EQ(item.Text(), L"Operating system");
    EXPECT_EQ(ErrorOf([&] { subItems.item(3); }), std::make_pair(9, std::wstring(L"cSubItems")));
    EXPECT_EQ(ErrorOf([&] { subItems.item(0); }).first, 9);

    lv->SetSubItemImages(true);
    subItems.item(1).SetIconIndex(3);
    EXPECT_EQ(subItems.item(1).IconIndex(), 3);
    EXPECT_EQ(subItems.item(1).Caption(), L"Windows XP");  // the image write kept the text

    // Below common controls 6 there are no tile lines.
    EXPECT_FALSE(subItems.item(1).ShowInTile());
    subItems.item(1).SetShowInTile(true);
    EXPECT_FALSE(subItems.item(1).ShowInTile());

    cSubItem note = subItems.item(2);
    Columns().Remove(3);
    EXPECT_EQ(subItems.Count(), 1);
    EXPECT_EQ(ErrorOf([&] { note.Caption(); }), std::make_pair(-2147196499, std::wstring(L"cSubItem")));
    lv->ListItems().Remove(L"os");
    EXPECT_EQ(ErrorOf([&] { subItems.Count(); }), std::make_pair(-2147196502, std::wstring(L"cSubItems")));
    EXPECT_EQ(ErrorOf([&] { note.Caption(); }), std::make_pair(-2147196502, std::wstring(L"cSubItem")));
}

TEST_F(ColumnsTest, AutoSizeColumnsFillsTheListWidthInTwips) {
    AutoSizeColumns(*lv);  // no columns: nothing to fit
    EXPECT_EQ(Columns().Count(), 0);

    RECT inside{};
    ::GetClientRect(List(), &inside);
    const int insideTwips = PixelsToTwipsX(inside.right);
    EXPECT_LT(insideTwips, PlacementOf(*lv).width);  // the list's border
    Columns().Add({}, {}, L"Only");
    AutoSizeColumns(*lv);
    EXPECT_NEAR(Columns().item(1).Width(), insideTwips, 15);
    Columns().Clear();

    Columns().Add({}, {}, L"Property", {}, 1440);
    Columns().Add({}, {}, L"Value", {}, 1440);
    cListItems items = lv->ListItems();
    items.Add({}, {}, L"Operating system").SubItems().item(1).SetCaption(L"Microsoft Windows XP Professional");
    items.Add({}, {}, L"CPU").SubItems().item(1).SetCaption(L"x86");
    lv->AutoResizeColumn(0);
    const int fitted = PixelWidth(0);
    EXPECT_NE(fitted, DpiX());  // only the first column was sized
    EXPECT_EQ(PixelWidth(1), DpiX());

    AutoSizeColumns(*lv);
    // The first column fits its texts with 75 twips to spare; the last takes the rest.
    EXPECT_NEAR(Columns().item(1).Width(), PixelsToTwipsX(fitted) + 75, 15);
    EXPECT_NEAR(Columns().item(1).Width() + Columns().item(2).Width(), insideTwips, 15);
    EXPECT_FALSE(::GetWindowLongW(List(), GWL_STYLE) & WS_HSCROLL);  // nothing to scroll sideways
}
