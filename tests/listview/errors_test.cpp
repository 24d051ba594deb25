// The numbered errors of the object model, and the owner look-up that stale or foreign
// objects fail.
#include <functional>
#include <vector>

#include "listview/columns.h"
#include "listview/errors.h"
#include "listview/items.h"
#include "tests/listview/fixture.h"
#include "base/propstore.h"

using namespace kal;
using namespace kal::test;

namespace {

void ExpectError(const std::function<void()>& f, std::int32_t number, const wchar_t* source) {
    const auto e = Raised(f);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Number(), number);
    EXPECT_EQ(e->Source(), std::wstring(L"listview_tests.") + source);
}

}  // namespace

TEST(ListViewErrors, EveryCodeRaisesItsNumberDescriptionAndSource) {
    struct Expected {
        int code;
        std::int32_t number;
        const wchar_t* description;
    };
    const std::vector<Expected> table = {
        {1, 364, L"Object has been unloaded."},
        {2, -2147196503, L"ListBar does not exist."},
        {3, -2147196502, L"ListItem does not exist."},
        {4, 13, L"Type Mismatch."},
        {5, 457, L"This key is already associated with an element of this collection."},
        {6, 9, L"Subscript out of range."},
        {7, 7, L"Out of Memory."},
        {8, -2147196501, L"Header does not exist."},
        {9, -2147196500, L"Failed to set group enable state."},
        {10, -2147196499, L"SubItem does not exist."},
    };
    for (const Expected& x : table) {
        const auto e = Raised([&] { RaiseListViewError(x.code, L"cListItems"); });
        ASSERT_TRUE(e) << x.code;
        EXPECT_EQ(e->Number(), x.number) << x.code;
        EXPECT_EQ(e->Description(), x.description) << x.code;
        EXPECT_EQ(e->Source(), L"listview_tests.cListItems") << x.code;
    }
}

TEST_F(ListViewTest, RemovedItemsAndWrongSerialsAreNoItems) {
    Make();
    cListItems items = lv->ListItems();
    cListItem a = items.Add({}, L"a", L"a");
    cListItem b = items.Add({}, L"b", L"b");
    items.Remove(L"a");
    EXPECT_FALSE(items.Exists(L"a"));
    ExpectError([&] { a.Text(); }, -2147196502, L"cListItems");
    ExpectError([&] { a.SetTag(L"x"); }, -2147196502, L"cListItems");
    ExpectError([&] { a.index(); }, -2147196502, L"cListItems");

    // Another object for b's row that carries a different serial: a later item that took the
    // address of an earlier one.
    LVITEMW row{};
    row.mask = LVIF_PARAM;
    ASSERT_TRUE(Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row)));
    const cListItem older(b.Owner(), row.lParam, b.Serial() - 1);
    ExpectError([&] { older.Key(); }, -2147196502, L"cListItem");
    EXPECT_EQ(b.Key(), L"b");
}

TEST_F(ListViewTest, ForeignRowsAndIdsAreNeverFollowed) {
    Make();
    cListItems items = lv->ListItems();
    items.Add({}, L"own", L"own");
    // A row put in behind the control's back, carrying a value that is no record of it.
    std::wstring text = L"foreign";
    LVITEMW row{};
    row.mask = LVIF_TEXT | LVIF_PARAM;
    row.iItem = 1;
    row.pszText = text.data();
    row.lParam = 0x12345678;
    ASSERT_EQ(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)), 1);
    EXPECT_EQ(items.Count(), 2);
    ExpectError([&] { items.item(2); }, -2147196502, L"cListItems");
    const cListItem stray(lv->hWndListView(), 0x12345678, 1);
    ExpectError([&] { stray.Text(); }, -2147196502, L"cListItems");
    const cListItem nowhere(lv->hWndListView(), 0x0BADF00D, 1);
    ExpectError([&] { nowhere.Text(); }, -2147196502, L"cListItems");
    lv->SetView(3);
    items.Remove(2);
    EXPECT_EQ(items.Count(), 1);
    EXPECT_EQ(lv->RecordCount(), 1u);
    items.Clear();
    EXPECT_EQ(lv->RecordCount(), 0u);
}

TEST_F(ListViewTest, ObjectsOfAGoneControlReportItUnloaded) {
    Make();
    cListItems items = lv->ListItems();
    cColumns columns = lv->Columns();
    cColumn name = *columns.Add({}, {}, L"Name");
    columns.Add({}, {}, L"Value");
    cListItem a = items.Add({}, {}, L"a");
    cSubItems subItems = a.SubItems();
    cSubItem value = subItems.item(1);
    HWND list = lv->hWndListView();
    lv.reset();
    EXPECT_FALSE(::IsWindow(list));
    EXPECT_EQ(GetWindowProp(list, kListViewObjectProp), 0);
    ExpectError([&] { a.Text(); }, 364, L"cListItems");
    ExpectError([&] { items.Count(); }, 364, L"cListItems");
    ExpectError([&] { items.Exists(1); }, 364, L"cListItems");  // the one error Exists reports
    ExpectError([&] { items.Add({}, {}, L"b"); }, 364, L"cListItems");
    ExpectError([&] { columns.Count(); }, 364, L"cColumns");
    ExpectError([&] { name.Width(); }, 364, L"cListItems");
    ExpectError([&] { subItems.Count(); }, 364, L"cSubItems");
    ExpectError([&] { value.Caption(); }, 364, L"cSubItem");
    const auto e = Raised([&] { a.SetKey(L"k"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Description(), L"Object has been unloaded.");
}
