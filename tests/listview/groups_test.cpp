// Item groups and work areas: the control's own bookkeeping (keys, serials, order, errors) and
// what it sends to the list window. The emulated common controls keep neither groups nor work
// areas, so what the list does with them is not observable here.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "listview/groups.h"
#include "listview/workareas.h"
#include "base/raii.h"
#include "tests/common/checked.h"
#include "tests/listview/fixture.h"

using namespace kal;
using namespace kal::test;
using kal::testing::Last;
using kal::testing::Nth;

namespace {

using Error = std::pair<std::int32_t, std::wstring>;
constexpr std::int32_t kGone = -2147196502;     // "ListItem does not exist."
constexpr std::int32_t kAreaGone = -2147196500;  // "Failed to set group enable state."

class GroupsTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        SetComCtlVersionOverride(ComCtlVersion{6, 0, 0});
        lv = std::make_unique<zephListViewCtl>();
        Make();
        groups = *lv->ItemGroups();
        spy = std::make_unique<MessageSpy>(
            List(),
            std::vector<UINT>{LVM_INSERTGROUP, LVM_SETGROUPINFO, LVM_ENABLEGROUPVIEW, LVM_REMOVEGROUP, LVM_SETITEMW},
            [](UINT msg, WPARAM, LPARAM lParam, MessageSpy::Seen& seen) {
                if (msg == LVM_INSERTGROUP) {
                    const auto* g = reinterpret_cast<const LVGROUP*>(lParam);
                    seen.data = {static_cast<LONG>(g->cbSize), g->iGroupId};
                    seen.text = g->pszHeader;
                } else if (msg == LVM_SETGROUPINFO) {
                    const auto* g = reinterpret_cast<const LVGROUP*>(lParam);
                    if (g->mask & LVGF_HEADER) {
                        seen.data = {g->cchHeader};
                        seen.text = g->pszHeader;
                    }
                } else if (msg == LVM_SETITEMW) {
                    const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
                    if (item->mask & LVIF_GROUPID) seen.data = {item->iItem, item->iGroupId};
                }
            });
    }
    void TearDown() override {
        spy.reset();
        ListViewTest::TearDown();
    }
    std::vector<MessageSpy::Seen> Sent(UINT msg) const {
        std::vector<MessageSpy::Seen> out;
        for (const auto& s : spy->seen)
            if (s.msg == msg) out.push_back(s);
        return out;
    }

    std::optional<cItemGroups> groups;
    std::unique_ptr<MessageSpy> spy;
};

}  // namespace

TEST_F(ListViewTest, GroupsNeedCommonControlsSix) {
    Make();  // the emulated library reports 5.81
    EXPECT_FALSE(lv->ItemGroups());
}

TEST_F(GroupsTest, GroupsWithoutIndexGoFirstAndIndexPlacesThem) {
    cItemGroup a = groups->Add({}, {}, L"First");
    cItemGroup b = groups->Add({}, L"Music", L"Second");
    cItemGroup c = groups->Add({}, {}, L"Third");
    EXPECT_EQ(a.Key(), L"C" + std::to_wstring(a.Serial()));
    EXPECT_EQ(c.Serial(), b.Serial() + 1);
    EXPECT_EQ(groups->Count(), 3);
    EXPECT_TRUE(groups->Enabled());  // adding switches group view on

    // Each went before the others, with its record's id and the short form of the group record.
    const auto inserts = Sent(LVM_INSERTGROUP);
    ASSERT_EQ(inserts.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(inserts[i].wParam, 0u);
        EXPECT_EQ(Nth(inserts[i].data, 0), sizeof(void*) == 4 ? 40 : 52);  // the short form's size
    }
    EXPECT_EQ(Nth(inserts[1].data, 1), b.Id());
    EXPECT_EQ(inserts[1].text, L"Second");
    EXPECT_NE(a.Id(), b.Id());

    // Order now: c, Music, a. Before the first group, before the group keyed Music, and last.
    cItemGroup d = groups->Add(1, L"D", L"Fourth");
    cItemGroup e = groups->Add(L"MUSIC", L"E", L"Fifth");
    cItemGroup f = groups->Add(6, L"F", L"Sixth");  // Count + 1: last
    EXPECT_EQ(Nth(Sent(LVM_INSERTGROUP), 3).wParam, 0u);
    EXPECT_EQ(Nth(Sent(LVM_INSERTGROUP), 4).wParam, 2u);
    EXPECT_EQ(Nth(Sent(LVM_INSERTGROUP), 5).wParam, 5u);
    // Order now: D, c, E, Music, a, F. Removing by position shows it.
    groups->Remove(1);
    EXPECT_EQ(ErrorOf([&] { d.Key(); }), (Error{kGone, L"cListItems"}));
    groups->Remove(1);
    EXPECT_EQ(ErrorOf([&] { c.Key(); }), (Error{kGone, L"cListItems"}));
    groups->Remove(1);
    EXPECT_EQ(ErrorOf([&] { e.Key(); }), (Error{kGone, L"cListItems"}));
    groups->Remove(L"music");
    EXPECT_EQ(Last(Sent(LVM_REMOVEGROUP)).wParam, static_cast<WPARAM>(b.Id()));
    EXPECT_EQ(groups->Count(), 2);
    groups->Remove(2);
    EXPECT_EQ(ErrorOf([&] { f.Key(); }), (Error{kGone, L"cListItems"}));
    EXPECT_EQ(a.Key(), L"C" + std::to_wstring(a.Serial()));
    groups->Add({}, L"music", L"Again");  // its key is free again
}

TEST_F(GroupsTest, KeyAndIndexErrorsLeaveNothingBehind) {
    cItemGroup a = groups->Add({}, L"Alpha", L"A");
    const std::int32_t next = groups->Add({}, {}, L"B").Serial() + 1;
    EXPECT_EQ(ErrorOf([&] { groups->Add({}, L"ALPHA", L"x"); }), (Error{457, L"cItemGroups"}));
    EXPECT_EQ(ErrorOf([&] { groups->Add({}, L"12", L"x"); }), (Error{13, L"cItemGroups"}));
    EXPECT_EQ(ErrorOf([&] { groups->Add(0, {}, L"x"); }), (Error{9, L"cItemGroups"}));
    EXPECT_EQ(ErrorOf([&] { groups->Add(4, {}, L"x"); }), (Error{9, L"cItemGroups"}));
    EXPECT_EQ(ErrorOf([&] { groups->Add(L"Omega", {}, L"x"); }), (Error{9, L"zephListViewCtl"}));
    EXPECT_EQ(ErrorOf([&] { groups->Remove(3); }), (Error{9, L"cItemGroups"}));
    EXPECT_EQ(ErrorOf([&] { groups->Remove(L"Omega"); }), (Error{9, L"zephListViewCtl"}));
    EXPECT_EQ(groups->Count(), 2);
    EXPECT_EQ(Sent(LVM_INSERTGROUP).size(), 2u);
    // Refused adds drew serials all the same; none is handed out twice.
    EXPECT_GT(groups->Add({}, {}, L"C").Serial(), next);

    EXPECT_EQ(ErrorOf([&] { a.SetKey(L"alpha"); }), (Error{457, L"cItemGroup"}));  // its own key
    a.SetKey(L"Beta");
    EXPECT_EQ(a.Key(), L"Beta");
    groups->Add({}, L"alpha", L"D");  // the old key is free
    EXPECT_EQ(ErrorOf([&] { groups->Add({}, L"BETA", L"x"); }), (Error{457, L"cItemGroups"}));
}

TEST_F(GroupsTest, ClearForgetsEveryGroupAndKeepsGroupView) {
    cItemGroup a = groups->Add({}, L"A", std::wstring(300, L'h'));
    EXPECT_EQ(Nth(Sent(LVM_INSERTGROUP), 0).text, std::wstring(260, L'h'));  // the header is cut
    // A header set later goes whole.
    a.SetHeader(std::wstring(300, L'k'));
    ASSERT_EQ(Sent(LVM_SETGROUPINFO).size(), 1u);
    EXPECT_EQ(Nth(Sent(LVM_SETGROUPINFO), 0).text, std::wstring(300, L'k'));
    EXPECT_EQ(Nth(Sent(LVM_SETGROUPINFO), 0).data, std::vector<LONG>{300});
    groups->Clear();
    EXPECT_EQ(groups->Count(), 0);
    EXPECT_TRUE(groups->Enabled());
    EXPECT_EQ(ErrorOf([&] { a.Header(); }), (Error{kGone, L"cListItems"}));
    EXPECT_EQ(ErrorOf([&] { a.SetKey(L"B"); }), (Error{kGone, L"cListItems"}));
    groups->Add({}, L"A", L"again");

    groups->SetEnabled(false);
    EXPECT_FALSE(groups->Enabled());
    EXPECT_EQ(Last(Sent(LVM_ENABLEGROUPVIEW)).wParam, 0u);
    EXPECT_EQ(groups->Count(), 1);
}

TEST_F(GroupsTest, AnItemJoinsOnlyAGroupOfItsOwnList) {
    cListItem item = lv->ListItems().Add({}, {}, L"one");
    lv->ListItems().Add({}, {}, L"two");
    EXPECT_FALSE(item.Group());  // in no group
    cItemGroup music = groups->Add({}, L"Music", L"Music");
    item.SetGroup(music);
    const auto sets = Sent(LVM_SETITEMW);
    ASSERT_FALSE(sets.empty());
    EXPECT_EQ(sets.back().data, (std::vector<LONG>{0, music.Id()}));

    // A group of another list with a key this list also has.
    zephListViewCtl other;
    ASSERT_TRUE(PlaceOnForm(other, form, {120, 3200, 2000, 400}));
    cItemGroup foreign = other.ItemGroups()->Add({}, L"Music", L"Elsewhere");
    const std::size_t before = Sent(LVM_SETITEMW).size();
    EXPECT_EQ(ErrorOf([&] { item.SetGroup(foreign); }), (Error{9, L"zephListViewCtl"}));
    groups->Clear();
    EXPECT_EQ(ErrorOf([&] { item.SetGroup(music); }), (Error{kGone, L"cListItems"}));
    EXPECT_EQ(Sent(LVM_SETITEMW).size(), before);
}

// ---- Work areas ----

namespace {

class WorkAreasTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        Make();
        spy = std::make_unique<MessageSpy>(List(), std::vector<UINT>{LVM_SETWORKAREAS},
                                           [](UINT, WPARAM count, LPARAM lParam, MessageSpy::Seen& seen) {
                                               const auto* r = reinterpret_cast<const RECT*>(lParam);
                                               for (WPARAM i = 0; r && i < count; ++i)
                                                   seen.data.insert(seen.data.end(),
                                                                    {r[i].left, r[i].top, r[i].right, r[i].bottom});
                                           });
    }
    void TearDown() override {
        spy.reset();
        ListViewTest::TearDown();
    }
    // The set the list was last given, four edges per area, in pixels.
    std::vector<LONG> LastSet() const { return spy->seen.empty() ? std::vector<LONG>{} : spy->seen.back().data; }
    // Twips as pixels of the screen.
    static LONG Px(int twips) { return static_cast<LONG>(twips * ::GetDeviceCaps(ScreenDC().get(), LOGPIXELSX) / 1440); }

    cWorkAreas areas() const { return lv->WorkAreas(); }
    std::unique_ptr<MessageSpy> spy;
};

}  // namespace

TEST_F(WorkAreasTest, AreasInTwipsReachTheListAsAWholeSetAfterEachChange) {
    cWorkAreas list = areas();
    cWorkArea a = list.Add({}, {}, 1440, 720);  // only left and top
    EXPECT_EQ(a.Key(), L"W" + std::to_wstring(a.Id()));
    EXPECT_EQ(LastSet(), (std::vector<LONG>{Px(1440), Px(720), 0, 0}));
    cWorkArea b = list.Add({}, L"b", 0, 0, 4320, 2880);
    EXPECT_EQ(LastSet(), (std::vector<LONG>{Px(1440), Px(720), 0, 0, 0, 0, Px(4320), Px(2880)}));
    EXPECT_FLOAT_EQ(b.Width(), 4320);
    EXPECT_FLOAT_EQ(b.Height(), 2880);

    // Before the first: the former first is second; the new one starts empty.
    cWorkArea c = list.Add(1, L"c", 0, 0, 1440, 1440);
    EXPECT_EQ(c.index(), 1);
    EXPECT_EQ(a.index(), 2);
    EXPECT_EQ(c.itemData(), 0);
    EXPECT_EQ(c.Tag(), L"");
    EXPECT_EQ(LastSet().size(), 12u);
    EXPECT_EQ(Nth(LastSet(), 4), Px(1440));

    // Moving the left edge keeps the right edge: narrower by as much.
    b.SetLeft(1440);
    EXPECT_FLOAT_EQ(b.Left(), 1440);
    EXPECT_FLOAT_EQ(b.Width(), 2880);
    EXPECT_EQ(Nth(LastSet(), 8), Px(1440));
    EXPECT_EQ(Nth(LastSet(), 10), Px(4320));
    b.SetHeight(720);
    EXPECT_EQ(Nth(LastSet(), 11), Px(720));
    b.SetTop(360);  // the bottom edge stays
    EXPECT_FLOAT_EQ(b.Height(), 360);
    b.SetItemData(7);
    b.SetTag(L"t");
    EXPECT_EQ(list.item(L"b")->itemData(), 7);
    EXPECT_EQ(list.item(3)->Tag(), L"t");

    list.Remove(L"c");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(a.index(), 1);
    EXPECT_EQ(LastSet().size(), 8u);
    const std::size_t sent = spy->seen.size();
    EXPECT_FALSE(list.item(L"B"));  // keys compare with letter case
    list.Remove(L"nothing");
    EXPECT_EQ(spy->seen.size(), sent);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(LastSet().empty());
    EXPECT_EQ(Last(spy->seen).wParam, 0u);
    EXPECT_EQ(ErrorOf([&] { a.Left(); }), (Error{kAreaGone, L"cWorkArea"}));
}

TEST_F(WorkAreasTest, KeyIndexAndLimitErrors) {
    cWorkAreas list = areas();
    list.Add({}, L"a");
    list.Add({}, L"A");  // another key: letter case counts
    EXPECT_EQ(ErrorOf([&] { list.Add({}, L"a"); }), (Error{457, L"cWorkAreas"}));
    EXPECT_EQ(ErrorOf([&] { list.Add({}, L"3"); }), (Error{13, L"cWorkAreas"}));
    EXPECT_EQ(ErrorOf([&] { list.Add(3); }), (Error{9, L"cWorkAreas"}));
    EXPECT_EQ(ErrorOf([&] { list.Add(L"a"); }), (Error{9, L"cWorkAreas"}));
    for (int i = 2; i < 16; ++i) list.Add();
    EXPECT_EQ(LastSet().size(), 16u * 4);
    // The list takes 16 areas at most: a 17th is refused, not silently dropped.
    const std::size_t sent = spy->seen.size();
    EXPECT_EQ(ErrorOf([&] { list.Add({}, L"seventeenth"); }), (Error{9, L"cWorkAreas"}));
    EXPECT_EQ(list.Count(), 16);
    EXPECT_FALSE(list.Exists(L"seventeenth"));
    EXPECT_EQ(spy->seen.size(), sent);
    list.Remove(16);
    list.Add({}, L"again");
    EXPECT_EQ(list.Count(), 16);
}
