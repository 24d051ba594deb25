// Sorting the items by a column's sort settings: every sort type both ways on mixed data, read
// back from the list window.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "listview/columns.h"
#include "listview/portable/sortkey.h"
#include "tests/listview/fixture.h"

using namespace kal;
using namespace kal::test;

namespace {

struct Row {
    const wchar_t* name;
    const wchar_t* number;
    const wchar_t* date;
    const wchar_t* tag;
    std::int32_t itemData, icon, indent;
    bool checked, selected;
};

// Names differ in case so that text and text-without-case orders differ; numbers and dates
// include texts that read as none.
const Row kRows[] = {
    {L"banana", L"10", L"2021-06-01", L"x", 3, 2, 1, true, false},
    {L"Apple", L"abc", L"not a date", L"Y", -1, 0, 3, false, true},
    {L"cherry", L"-2.5", L"2019-01-15", L"a", 7, 1, 0, true, false},
    {L"Date", L"9", L"2020-12-31", L"B", 0, 3, 2, false, true},
};

class SortTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        PropertyBag bag = ProfilesDesign();
        bag.Write<bool>(L"MultiSelect", true, false);
        bag.Write<bool>(L"CheckBoxes", true, false);
        Make(bag);
        for (const wchar_t* c : {L"Name", L"Number", L"Date"}) lv->Columns().Add({}, std::wstring(c), c);
        for (const Row& r : kRows) {
            cListItem item = lv->ListItems().Add({}, {}, r.name, r.icon);
            item.SubItems().item(1).SetCaption(r.number);
            item.SubItems().item(2).SetCaption(r.date);
            item.SetTag(r.tag);
            item.SetItemData(r.itemData);
            item.SetIndent(r.indent);
            item.SetChecked(r.checked);
            item.SetSelected(r.selected);
        }
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (int i = 0; i < static_cast<int>(Send(LVM_GETITEMCOUNT)); ++i) names.push_back(RawText(i));
        return names;
    }
    std::vector<std::wstring> Sorted(const wchar_t* column, std::int32_t type, std::int32_t order) {
        cColumn c = lv->Columns().item(std::wstring(column));
        c.SetSortType(type);
        c.SetSortOrder(order);
        lv->ListItems().SortItems();
        return Names();
    }
};

std::vector<std::wstring> Reversed(std::vector<std::wstring> v) {
    std::reverse(v.begin(), v.end());
    return v;
}

using Order = std::vector<std::wstring>;

}  // namespace

TEST_F(SortTest, EverySortTypeBothWays) {
    struct Case {
        const wchar_t* column;
        std::int32_t type;
        Order ascending;
    };
    const Case cases[] = {
        // By character code: capitals before small letters.
        {L"Name", SortTypeText, {L"Apple", L"Date", L"banana", L"cherry"}},
        {L"Name", SortTypeTextNoCase, {L"Apple", L"banana", L"cherry", L"Date"}},
        // abc reads as no number: 0.
        {L"Number", SortTypeNumeric, {L"cherry", L"Apple", L"Date", L"banana"}},
        // A text that reads as no date comes first.
        {L"Date", SortTypeDate, {L"Apple", L"cherry", L"Date", L"banana"}},
        {L"Name", SortTypeIcon, {L"Apple", L"cherry", L"banana", L"Date"}},
        {L"Name", SortTypeIndent, {L"cherry", L"banana", L"Date", L"Apple"}},
        {L"Name", SortTypeTag, {L"Date", L"Apple", L"cherry", L"banana"}},
        {L"Name", SortTypeItemData, {L"Apple", L"Date", L"banana", L"cherry"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(Sorted(c.column, c.type, 1), c.ascending);
        EXPECT_EQ(Sorted(c.column, c.type, 2), Reversed(c.ascending));
        // Any order other than 2 is ascending.
        EXPECT_EQ(Sorted(c.column, c.type, -7), c.ascending);
    }
}

TEST_F(SortTest, CheckedAndSelectedItemsComeFirstInAscendingOrder) {
    const std::set<std::wstring> checked{L"banana", L"cherry"}, selected{L"Apple", L"Date"};
    Order n = Sorted(L"Name", SortTypeChecked, 1);
    EXPECT_EQ(std::set<std::wstring>(n.begin(), n.begin() + 2), checked);
    n = Sorted(L"Name", SortTypeChecked, 2);
    EXPECT_EQ(std::set<std::wstring>(n.begin() + 2, n.end()), checked);
    n = Sorted(L"Name", SortTypeSelected, 1);
    EXPECT_EQ(std::set<std::wstring>(n.begin(), n.begin() + 2), selected);
    n = Sorted(L"Name", SortTypeSelected, 2);
    EXPECT_EQ(std::set<std::wstring>(n.begin() + 2, n.end()), selected);
}

TEST_F(SortTest, OnlyTheColumnWithASortOrderCountsAndProxiesFollowTheirItems) {
    const Order before = Names();
    lv->ListItems().SortItems();  // no column has a sort order
    EXPECT_EQ(Names(), before);

    cListItem cherry = lv->ListItems().item(3);
    ASSERT_EQ(cherry.Text(), L"cherry");
    lv->Columns().item(L"Date").SetSortType(SortTypeDate);
    lv->Columns().item(L"Number").SetSortType(SortTypeNumeric);
    lv->Columns().item(L"Date").SetSortOrder(1);
    // Setting the number column's order takes it from the date column.
    lv->Columns().item(L"Number").SetSortOrder(2);
    lv->ListItems().SortItems();
    EXPECT_EQ(Names(), (Order{L"banana", L"Date", L"Apple", L"cherry"}));
    EXPECT_EQ(cherry.index(), 4);
    EXPECT_EQ(cherry.SubItems().item(1).Caption(), L"-2.5");
    // Sub-item texts moved with their items.
    EXPECT_EQ(RawText(0, 2), L"2021-06-01");
}
