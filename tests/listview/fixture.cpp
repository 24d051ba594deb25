#include "tests/listview/fixture.h"

#include "listview/items.h"

namespace kal::test {

HostForm::HostForm() : Form(L"frmListViewTest") {
    Design(FormLayout(L"List view", 6000, 3600, 600, 600), {});
}

PropertyBag ProfilesDesign() {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"View", 1, 0);
    bag.Write<bool>(L"LabelEdit", false, true);
    bag.Write<bool>(L"FullRowSelect", true, false);
    bag.Write<std::int32_t>(L"Appearance", 0, 1);
    bag.Write<bool>(L"HeaderButtons", false, true);  // its default: not stored
    bag.Write<bool>(L"HeaderTrackSelect", false, true);
    bag.Write<bool>(L"HideSelection", false, true);
    bag.Write<std::wstring>(L"Font", L"MS Sans Serif;8.25;", L"");
    return bag;
}

std::optional<ToolkitError> Raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const ToolkitError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return std::nullopt;
}

void ListViewTest::SetUp() {
    form.Load();
    lv = std::make_unique<zephListViewCtl>();
}

void ListViewTest::TearDown() {
    lv.reset();
    form.Unload();
    SetComCtlVersionOverride(std::nullopt);
    EXPECT_EQ(ListItemRecord::LiveCount(), 0u);
}

void ListViewTest::Make(const PropertyBag& bag) {
    ASSERT_TRUE(PlaceOnForm(*lv, form, {120, 120, 5000, 3000}, bag));
}

std::wstring ListViewTest::RawText(int item0) const {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.pszText = buffer;
    item.cchTextMax = 512;
    Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item0), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

}  // namespace kal::test
