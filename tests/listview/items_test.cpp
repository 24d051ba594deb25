// List items: adding, finding, changing and removing rows through the item objects, and the
// records behind them.
#include <string>

#include "listview/items.h"
#include "base/raii.h"
#include "tests/listview/fixture.h"

using namespace kal;
using namespace kal::test;

namespace {

class ListItemsTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        PropertyBag bag;
        bag.Write<std::int32_t>(L"View", 3, 0);  // a plain list
        Make(bag);
    }
    cListItems Items() const { return lv->ListItems(); }
};

}  // namespace

TEST_F(ListItemsTest, KeysAreCaseInsensitiveAndGeneratedFromSerials) {
    const std::size_t before = ListItemRecord::LiveCount();
    cListItem a = Items().Add({}, {}, L"First");
    cListItem b = Items().Add({}, L"Music", L"Second");
    cListItem c = Items().Add({}, {}, L"Third");
    EXPECT_EQ(a.Key(), L"C" + std::to_wstring(a.Serial()));
    EXPECT_EQ(c.Serial(), b.Serial() + 1);
    EXPECT_EQ(ListItemRecord::LiveCount(), before + 3);
    EXPECT_EQ(lv->RecordCount(), 3u);

    EXPECT_EQ(Items().Count(), 3);
    EXPECT_EQ(Items().item(L"MUSIC").Text(), L"Second");
    EXPECT_EQ(Items().item(L"music").index(), 2);
    EXPECT_EQ(Items().item(3).Text(), L"Third");
    EXPECT_EQ(Items().item(L"3").Text(), L"Third");  // numeric text is a position
    EXPECT_TRUE(Items().Exists(L"mUsIc"));
    EXPECT_FALSE(Items().Exists(L"Movie"));
    EXPECT_FALSE(Items().Exists(4));

    Items().Remove(L"Music");
    EXPECT_EQ(Items().Count(), 2);
    EXPECT_FALSE(Items().Exists(L"Music"));
    EXPECT_EQ(c.index(), 2);
    EXPECT_EQ(lv->RecordCount(), 2u);
    Items().Clear();
    EXPECT_EQ(Items().Count(), 0);
    EXPECT_EQ(lv->RecordCount(), 0u);
    EXPECT_EQ(ListItemRecord::LiveCount(), before);
    Items().Add({}, L"music", L"Again");  // the keys are free at once
    EXPECT_TRUE(Items().Exists(L"MUSIC"));
    Items().Add({}, L"Жанр", L"Genre");  // letters beyond ASCII too
    EXPECT_TRUE(Items().Exists(L"жАНР"));
}

TEST_F(ListItemsTest, KeyRules) {
    cListItem first = Items().Add({}, L"C5", L"one");
    cListItem second = Items().Add({}, {}, L"two");
    auto e = Raised([&] { second.SetKey(L"c5"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 457);
    EXPECT_EQ(e->Source(), L"listview_tests.cListItem");
    e = Raised([&] { first.SetKey(L"c5"); });  // its own key, in another case
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 457);
    e = Raised([&] { Items().Add({}, L"C5", L"three"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 457);
    EXPECT_EQ(e->Source(), L"listview_tests.cListItems");
    e = Raised([&] { Items().Add({}, L"12", L"three"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 13);
    e = Raised([&] { Items().Add({}, 12, L"three"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 13);
    EXPECT_EQ(Items().Count(), 2);
    EXPECT_EQ(lv->RecordCount(), 2u);

    second.SetKey(L"12");  // the key setter takes a numeric key
    EXPECT_EQ(second.Key(), L"12");
    EXPECT_FALSE(Items().Exists(L"12"));  // ... which item() takes as a position
    e = Raised([&] { Items().item(L"12"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 9);
    EXPECT_EQ(e->Source(), L"listview_tests.cListItems");
    first.SetKey(L"Renamed");
    EXPECT_EQ(Items().item(L"renamed").Text(), L"one");
    e = Raised([&] { Items().item(L"C5"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 9);
    EXPECT_EQ(e->Source(), L"listview_tests.zephListViewCtl");
}

TEST_F(ListItemsTest, IndexRulesOfAdd) {
    Items().Add({}, L"a", L"a");
    Items().Add({}, L"b", L"b");
    cListItem x = Items().Add(2, L"x", L"x");
    EXPECT_EQ(x.index(), 2);
    EXPECT_EQ(Items().item(3).Key(), L"b");
    cListItem y = Items().Add(L"1", {}, L"y");
    EXPECT_EQ(y.index(), 1);
    cListItem z = Items().Add(2.5, {}, L"z");  // rounds half to even
    EXPECT_EQ(z.index(), 2);
    for (const ListArg& bad : {ListArg(L"abc"), ListArg(1e12)}) {
        auto e = Raised([&] { Items().Add(bad, {}, L"no"); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->Number(), 13);
    }
    EXPECT_EQ(Items().Count(), 5);
    EXPECT_EQ(lv->RecordCount(), 5u);
}

TEST_F(ListItemsTest, RefusedInsertionIsOutOfMemoryAndLeavesNothing) {
    Items().Add({}, L"a", L"a");
    auto e = Raised([&] { Items().Add(-5, L"neg", L"no"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), 7);
    EXPECT_EQ(e->Description(), L"Out of Memory.");
    EXPECT_EQ(e->Source(), L"listview_tests.cListItems");
    EXPECT_EQ(Items().Count(), 1);
    EXPECT_EQ(lv->RecordCount(), 1u);
    EXPECT_FALSE(Items().Exists(L"neg"));
}

TEST_F(ListItemsTest, NonAnsiTextRoundTripsThroughTheListWindow) {
    const std::wstring name = L"Профиль \U0001F3A7 Кино";
    cListItem item = Items().Add({}, {}, name);
    EXPECT_EQ(RawText(0), name);
    EXPECT_EQ(item.Text(), name);
    item.SetText(L"Ελληνικά 日本語");
    EXPECT_EQ(RawText(0), L"Ελληνικά 日本語");
    const std::wstring longText(700, L'Ж');
    item.SetText(longText);
    EXPECT_EQ(item.Text(), longText);
}

TEST_F(ListItemsTest, RecordFieldsAndItemState) {
    lv->SetCheckBoxes(true);
    cListItem a = Items().Add({}, {}, L"a", 3);
    cListItem b = Items().Add({}, {}, L"b");
    EXPECT_EQ(a.IconIndex(), 3);
    EXPECT_EQ(b.IconIndex(), -1);
    EXPECT_EQ(a.BackColor(), 0xFFFFFFFFu);
    EXPECT_EQ(a.ForeColor(), 0xFFFFFFFFu);
    EXPECT_FALSE(a.Font());
    a.SetTag(L"tag");
    a.SetToolTipText(L"tip");
    a.SetItemData(-7);
    a.SetForeColor(0x0000FF);
    UIFont f;
    f.bold = true;
    a.SetFont(f);
    a.SetIconIndex(1);
    a.SetIndent(2);
    cListItem again = Items().item(1);
    EXPECT_EQ(again.Tag(), L"tag");
    EXPECT_EQ(again.ToolTipText(), L"tip");
    EXPECT_EQ(again.itemData(), -7);
    EXPECT_EQ(again.ForeColor(), 0x0000FFu);
    ASSERT_TRUE(again.Font());
    EXPECT_TRUE(again.Font()->bold);
    EXPECT_EQ(again.IconIndex(), 1);
    EXPECT_EQ(again.Indent(), 2);

    a.SetChecked(true);
    a.SetChecked(true);
    EXPECT_TRUE(a.Checked());
    EXPECT_FALSE(b.Checked());
    EXPECT_EQ(a.StateIconIndex(), 2);
    a.SetChecked(false);
    EXPECT_FALSE(a.Checked());
    b.SetStateIconIndex(2);
    EXPECT_TRUE(b.Checked());

    b.SetSelected(true);
    EXPECT_TRUE(b.Selected());
    EXPECT_EQ(Send(LVM_GETITEMSTATE, 1, LVIS_FOCUSED | LVIS_SELECTED), LVIS_FOCUSED | LVIS_SELECTED);
    ASSERT_TRUE(lv->SelectedItem());
    EXPECT_EQ(lv->SelectedItem()->Text(), L"b");
    b.SetSelected(false);
    EXPECT_EQ(Send(LVM_GETITEMSTATE, 1, LVIS_FOCUSED | LVIS_SELECTED), 0);
    EXPECT_FALSE(lv->SelectedItem());

    a.SetCut(true);
    EXPECT_TRUE(a.Cut());
    EXPECT_FALSE(b.Cut());
    a.SetHot(true);
    EXPECT_TRUE(a.Hot());
    b.SetHot(false);  // changes nothing
    EXPECT_TRUE(a.Hot());

    ASSERT_TRUE(lv->TopItem());
    EXPECT_EQ(lv->TopItem()->Text(), L"a");
    a.StartEdit();
    EXPECT_TRUE(lv->hWndEdit());
}

TEST_F(ListItemsTest, PositionsInScaleUnitsMoveOneAxisAtATime) {
    cListItem a = Items().Add({}, {}, L"a");
    Items().Add({}, {}, L"b");
    // Hit tests in the plain list, in pixels and in twips.
    lv->SetScaleMode(3);
    RECT label{LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(Send(LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&label)));
    const float cx = (label.left + label.right) / 2.0f, cy = (label.top + label.bottom) / 2.0f;
    ASSERT_TRUE(lv->HitTest(cx, cy));
    EXPECT_EQ(lv->HitTest(cx, cy)->Text(), L"b");
    EXPECT_FALSE(lv->HitTest(cx + 1000, cy + 1000));
    lv->SetScaleMode(1);
    const double dpiX = ::GetDeviceCaps(ScreenDC().get(), LOGPIXELSX);
    const double dpiY = ::GetDeviceCaps(ScreenDC().get(), LOGPIXELSY);
    ASSERT_TRUE(lv->HitTest(static_cast<float>(cx * 1440.0 / dpiX), static_cast<float>(cy * 1440.0 / dpiY)));

    lv->SetView(0);
    lv->SetAutoArrange(false);
    lv->SetScaleMode(3);
    const float left = a.Left();
    a.SetTop(150);
    EXPECT_EQ(a.Top(), 150);
    EXPECT_EQ(a.Left(), left);
    a.SetLeft(200);
    EXPECT_EQ(a.Left(), 200);
    EXPECT_EQ(a.Top(), 150);
    lv->SetScaleMode(1);
    EXPECT_NEAR(a.Left(), 200 * 1440.0 / dpiX, 0.01);
}
