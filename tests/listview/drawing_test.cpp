// What the list shows: item colours and fonts drawn by the control, checked by their pixels, and
// the report lists of the profile manager and the About box as a user sees them.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "listview/autosize.h"
#include "base/raii.h"
#include "tests/common/screenshot.h"
#include "tests/listview/fixture.h"

using namespace kal;
using namespace kal::test;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);

// The pixels of a client rectangle of a window, as the screen shows them.
std::vector<COLORREF> Pixels(HWND window, RECT r) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(100);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const ScreenDC screen;
    std::vector<COLORREF> out;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(::GetPixel(screen.get(), x, y));
    return out;
}

int Count(const std::vector<COLORREF>& pixels, const std::function<bool(COLORREF)>& f) {
    int n = 0;
    for (COLORREF c : pixels) n += f(c) ? 1 : 0;
    return n;
}

class DrawingTest : public ListViewTest {
protected:
    void SetUp() override {
        ListViewTest::SetUp();
        Make(ProfilesDesign());
        lv->Columns().Add({}, {}, L"Name", {}, 3000);
        for (int i = 0; i < 3; ++i) lv->ListItems().Add({}, {}, L"Sample text");
        ShowInFront();
    }
    RECT Label(int item0) const {
        RECT r{};
        r.left = LVIR_LABEL;
        Send(LVM_GETITEMRECT, static_cast<WPARAM>(item0), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    std::vector<COLORREF> LabelPixels(int item0) const { return Pixels(List(), Label(item0)); }
    // Text drawn on the window colour.
    static bool Ink(COLORREF c) { return c != ::GetSysColor(COLOR_WINDOW); }
};

}  // namespace

TEST_F(DrawingTest, ItemColoursAndFontsAreDrawnByTheControl) {
    cListItem coloured = lv->ListItems().item(1), bold = lv->ListItems().item(2);
    coloured.SetForeColor(0x000000FF);  // OLE colours: red, yellow
    coloured.SetBackColor(0x0000FFFF);
    UIFont font = lv->Font();
    font.bold = true;
    bold.SetFont(font);

    const auto first = LabelPixels(0), second = LabelPixels(1), plain = LabelPixels(2);
    const auto is = [](COLORREF want) { return [want](COLORREF c) { return c == want; }; };
    EXPECT_GT(Count(first, is(kYellow)), static_cast<int>(first.size()) / 2);
    EXPECT_GT(Count(first, is(kRed)), 10);
    EXPECT_EQ(Count(plain, is(kYellow)) + Count(plain, is(kRed)), 0);
    EXPECT_GT(Count(plain, is(::GetSysColor(COLOR_WINDOW))), static_cast<int>(plain.size()) / 2);
    // The same text, heavier in bold.
    EXPECT_GT(Count(second, Ink), Count(plain, Ink) * 6 / 5);

    // A disabled control draws every item's background in the button face, its text colours stay.
    lv->SetEnabled(false);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const auto disabledFirst = LabelPixels(0), disabledPlain = LabelPixels(2);
    EXPECT_GT(Count(disabledPlain, is(face)), static_cast<int>(disabledPlain.size()) / 2);
    EXPECT_GT(Count(disabledFirst, is(face)), static_cast<int>(disabledFirst.size()) / 2);
    EXPECT_EQ(Count(disabledFirst, is(kYellow)), 0);
    EXPECT_GT(Count(disabledFirst, is(kRed)), 10);
    lv->SetEnabled(true);

    // Without custom drawing the list's own colours and font.
    lv->SetCustomDraw(false);
    const auto undrawn = LabelPixels(0), undrawnBold = LabelPixels(1), undrawnPlain = LabelPixels(2);
    EXPECT_EQ(Count(undrawn, is(kYellow)) + Count(undrawn, is(kRed)), 0);
    EXPECT_LT(Count(undrawnBold, Ink), Count(second, Ink));
    // The bold font of one item does not reach the item drawn after it.
    EXPECT_EQ(Count(undrawnPlain, Ink), Count(plain, Ink));
}

TEST_F(ListViewTest, ProfileManagerAndAboutBoxReportLists) {
    form.SetCaption(L"List view — report");
    Make(ProfilesDesign());
    UIFont arial;
    arial.size = 9;
    lv->SetFont(arial);
    MoveTo(*lv, {90, 90, 5820, 1800});
    for (const wchar_t* name : {L"Name", L"Output", L"Shortcut", L"Description"})
        lv->Columns().Add({}, std::wstring(name), name, {}, 1440);
    const HIMAGELIST icons = ::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0);
    for (LPCWSTR id : {IDI_INFORMATION, IDI_WARNING, IDI_QUESTION})
        ::ImageList_AddIcon(icons, static_cast<HICON>(::LoadImageW(nullptr, id, IMAGE_ICON, 16, 16, LR_SHARED)));
    lv->SetImageList(1, icons);
    lv->SetImageList(0, icons);
    struct Row {
        const wchar_t *name, *output, *shortcut, *description;
        int icon;
    };
    const Row rows[] = {{L"Music", L"2 Speakers", L"CTRL+ALT+M", L"EQ on, Dolby PLIIx", 0},
                        {L"Movie", L"Headphones", L"", L"Dolby Headphones", 1},
                        {L"Игры", L"7.1 Speakers", L"SHIFT+F9", L"Xear 3D", 2}};
    for (const Row& row : rows) {
        cListItem item = lv->ListItems().Add({}, std::wstring(row.name), row.name, row.icon);
        item.SubItems().item(1).SetCaption(row.output);
        item.SubItems().item(2).SetCaption(row.shortcut);
        item.SubItems().item(3).SetCaption(row.description);
    }
    UIFont active = lv->Font();
    active.bold = true;
    lv->ListItems().item(L"Music").SetFont(active);  // the active profile
    lv->ListItems().item(2).SetSelected(true);
    EXPECT_EQ(RawText(2, 3), L"Xear 3D");
    EXPECT_EQ(lv->ListItems().item(3).IconIndex(), 2);

    // The About box's system information below it: two columns fitted to the control.
    zephListViewCtl about;
    PropertyBag bag = ProfilesDesign();
    bag.Write<std::wstring>(L"Font", L"Arial;9;", L"");
    ASSERT_TRUE(PlaceOnForm(about, form, {90, 2010, 5820, 1500}, bag));
    about.Columns().Add({}, {}, L"Property", {}, 1440);
    about.Columns().Add({}, {}, L"Value", {}, 1440);
    const std::pair<const wchar_t*, const wchar_t*> info[] = {
        {L"Operating system", L"Microsoft Windows 10 Pro"}, {L"Card", L"ASUS Xonar Essence STX"},
        {L"Driver version", L"8.1.8.1823"}};
    for (const auto& [property, value] : info)
        about.ListItems().Add({}, {}, property).SubItems().item(1).SetCaption(value);
    AutoSizeColumns(about);

    ShowInFront();
    EXPECT_TRUE(kal::testing::SaveWindowScreenshot(form.hWnd(), L"listview", L"report"));
    form.Unload();
    ::ImageList_Destroy(icons);
}
