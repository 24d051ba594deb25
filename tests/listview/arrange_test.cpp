// Arranging and scrolling the view, icon spacing, and the image lists the list draws from.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/common/checked.h"
#include "tests/listview/fixture.h"
#include "toolkit/images/imagelist.h"

using namespace kal;
using namespace kal::test;
using kal::testing::Last;

namespace {

SIZE Spacing(HWND list) {
    const auto s = static_cast<DWORD>(::SendMessageW(list, LVM_GETITEMSPACING, FALSE, 0));
    return {LOWORD(s), HIWORD(s)};
}

HIMAGELIST IconList(int size, int count) {
    const HIMAGELIST list = ::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0);
    for (int i = 0; i < count; ++i) ::ImageList_AddIcon(list, ::LoadIconW(nullptr, IDI_WARNING));
    return list;
}

}  // namespace

TEST_F(ListViewTest, IconSpacingSetPerAxisAndBackToTheListsOwn) {
    std::vector<std::wstring> changed;
    lv->PropertyChanged = [&](const std::wstring& name) { changed.push_back(name); };
    lv->SetIconSpaceY(90);  // before the list window exists: kept, reported, applied at creation
    EXPECT_EQ(lv->IconSpaceY(), 90);
    EXPECT_EQ(changed, std::vector<std::wstring>{L"IconSpaceY"});
    Make();
    const SIZE standard = Spacing(List());
    EXPECT_EQ(standard.cy, 90);
    lv->SetIconSpaceY(0);
    const SIZE own = Spacing(List());
    ASSERT_NE(own.cy, 90);

    lv->SetIconSpaceY(80);  // one axis only
    EXPECT_EQ(Spacing(List()).cx, own.cx);
    EXPECT_EQ(Spacing(List()).cy, 80);
    lv->SetIconSpaceX(120);
    EXPECT_EQ(Spacing(List()).cx, 120);
    EXPECT_EQ(Spacing(List()).cy, 80);
    // Below 1: the list's own spacing again, not the spacing that was set.
    lv->SetIconSpaceX(0);
    EXPECT_EQ(Spacing(List()).cx, own.cx);
    EXPECT_EQ(Spacing(List()).cy, 80);
    lv->SetIconSpaceY(-5);
    EXPECT_EQ(Spacing(List()).cy, own.cy);
    EXPECT_EQ(Last(changed), L"IconSpaceY");
}

TEST_F(ListViewTest, ImageListsGoToTheirSlots) {
    Make(ProfilesDesign());
    const HIMAGELIST small = IconList(16, 2), large = IconList(32, 2), state = IconList(16, 2);
    lv->SetImageList(1, small);
    lv->SetImageList(0, large);
    lv->SetImageList(2, state);
    lv->SetImageList(7, IconList(16, 1));  // no such slot: nothing
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_SMALL)), small);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_NORMAL)), large);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_STATE)), state);
    lv->SetImageList(1, static_cast<HIMAGELIST>(nullptr));  // none: the list stays
    lv->SetImageList(1, static_cast<const zephImageList*>(nullptr));
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_SMALL)), small);

    // An image-list control gives its own list.
    zephImageList control;
    ASSERT_TRUE(control.Create());
    control.AddFromHandle(::LoadIconW(nullptr, IDI_QUESTION), kImageIcon, std::wstring(L"q"));
    ASSERT_TRUE(control.hIml());
    lv->SetImageList(1, &control);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_SMALL)), control.hIml());
    lv.reset();
    for (HIMAGELIST l : {small, large, state}) ::ImageList_Destroy(l);
}

TEST_F(ListViewTest, TileListTakesTheNormalSlotInTheTileView) {
    SetComCtlVersionOverride(ComCtlVersion{6, 0, 0});
    lv = std::make_unique<zephListViewCtl>();
    Make();
    const HIMAGELIST large = IconList(32, 1), tile = IconList(48, 1), later = IconList(32, 1);
    lv->SetImageList(0, large);
    lv->SetImageList(0x8001, tile);  // not the tile view yet
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_NORMAL)), large);
    lv->SetView(4);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_NORMAL)), tile);
    lv->SetImageList(0, later);  // kept for the other views, not shown
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_NORMAL)), tile);
    lv->SetView(0);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, LVSIL_NORMAL)), later);
    lv.reset();
    for (HIMAGELIST l : {large, tile, later}) ::ImageList_Destroy(l);
}

TEST_F(ListViewTest, ArrangeAndScroll) {
    PropertyBag bag;
    bag.Write<bool>(L"AutoArrange", false, true);
    Make(bag);
    cListItems items = lv->ListItems();
    for (int i = 0; i < 3; ++i) items.Add({}, {}, L"icon " + std::to_wstring(i));
    cListItem moved = items.item(1);
    const float home = moved.Left();
    moved.SetLeft(home + 1500);
    EXPECT_NEAR(moved.Left(), home + 1500, 15);
    lv->Arrange(LVA_DEFAULT);
    EXPECT_NEAR(moved.Left(), home, 15);

    lv->SetView(1);
    lv->Columns().Add({}, {}, L"Name");
    for (int i = 3; i < 60; ++i) items.Add({}, {}, L"row " + std::to_wstring(i));
    EXPECT_EQ(lv->TopItem()->index(), 1);
    RECT r{};
    r.left = LVIR_BOUNDS;
    Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    lv->Scroll(0, 10 * (r.bottom - r.top));
    EXPECT_EQ(lv->TopItem()->index(), 11);
}
