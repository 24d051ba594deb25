// The control frame: the windows it creates from its stored properties, what each property
// changes in the list window, and the version gate of the view.
#include <string>
#include <vector>

#include "base/raii.h"
#include "tests/listview/fixture.h"
#include "base/propstore.h"

using namespace kal;
using namespace kal::test;

namespace {

std::wstring FaceOf(HFONT font) {
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof lf, &lf);
    return lf.lfFaceName;
}

int Dpi(int axis) { return ::GetDeviceCaps(ScreenDC().get(), axis); }

}  // namespace

TEST_F(ListViewTest, DefaultsGiveASunkenIconListWithEditableLabels) {
    Make();
    wchar_t cls[64] = {};
    ::GetClassNameW(List(), cls, 64);
    EXPECT_STREQ(cls, L"SysListView32");
    EXPECT_TRUE(::IsWindowUnicode(List()));
    EXPECT_EQ(::GetParent(List()), lv->hWnd());
    EXPECT_EQ(::GetParent(lv->hWnd()), form.hWnd());
    EXPECT_EQ(GetWindowProp(List(), kListViewObjectProp), reinterpret_cast<std::intptr_t>(lv.get()));

    const DWORD style = Style();
    EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_ICON));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | LVS_SHAREIMAGELISTS), WS_CHILD | WS_VISIBLE | LVS_SHAREIMAGELISTS);
    EXPECT_TRUE(style & LVS_SINGLESEL);   // MultiSelect false
    EXPECT_TRUE(style & LVS_EDITLABELS);  // LabelEdit true
    EXPECT_TRUE(style & LVS_AUTOARRANGE);
    EXPECT_FALSE(style & (LVS_SHOWSELALWAYS | LVS_NOSCROLL | LVS_NOCOLUMNHEADER | WS_BORDER));
    EXPECT_FALSE(ExStyle() & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    EXPECT_TRUE(HostExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_EQ(ListEx(), static_cast<DWORD>(LVS_EX_INFOTIP));

    EXPECT_EQ(static_cast<COLORREF>(Send(LVM_GETBKCOLOR)), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(static_cast<COLORREF>(Send(LVM_GETTEXTBKCOLOR)), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(static_cast<COLORREF>(Send(LVM_GETTEXTCOLOR)), ::GetSysColor(COLOR_WINDOWTEXT));
    // No font of its own: the form's layer gives none, so the default face.
    EXPECT_EQ(FaceOf(reinterpret_cast<HFONT>(Send(WM_GETFONT))), L"Arial");

    RECT host{}, list{};
    ::GetClientRect(lv->hWnd(), &host);
    ::GetWindowRect(List(), &list);
    EXPECT_EQ(list.right - list.left, host.right);
    EXPECT_EQ(list.bottom - list.top, host.bottom);
}

TEST_F(ListViewTest, ProfileManagerDesignGivesAFlatReportList) {
    Make(ProfilesDesign());
    const DWORD style = Style();
    EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
    EXPECT_FALSE(style & LVS_EDITLABELS);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_TRUE(style & WS_BORDER);  // flat, fixed single: a plain line on the list
    EXPECT_FALSE(HostExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(ExStyle() & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    EXPECT_EQ(ListEx(), static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP));
    HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
    ASSERT_TRUE(header);
    EXPECT_FALSE(::GetWindowLongW(header, GWL_STYLE) & (HDS_BUTTONS | HDS_HOTTRACK));
    EXPECT_EQ(FaceOf(reinterpret_cast<HFONT>(Send(WM_GETFONT))), L"MS Sans Serif");
    EXPECT_EQ(lv->Font().size, 8.25);

    lv->SetHeaderButtons(true);
    lv->SetHeaderTrackSelect(true);
    EXPECT_EQ(::GetWindowLongW(header, GWL_STYLE) & (HDS_BUTTONS | HDS_HOTTRACK), HDS_BUTTONS | HDS_HOTTRACK);
}

TEST_F(ListViewTest, PropertiesRoundTripThroughTheBagWithDefaultsLeftOut) {
    Make();
    PropertyBag none;
    lv->WriteProperties(none);
    EXPECT_EQ(none.Count(), 0u);
    lv.reset();

    lv = std::make_unique<zephListViewCtl>();
    Make(ProfilesDesign());
    lv->SetHeaderButtons(true);
    lv->SetBackColor(0x00336699);
    UIFont bold = lv->Font();
    bold.bold = true;
    lv->SetFont(bold);
    PropertyBag written;
    lv->WriteProperties(written);
    EXPECT_EQ(written.Count(), 9u);
    EXPECT_EQ(written.Read<std::wstring>(L"Font", L""), L"MS Sans Serif;8.25;b");

    zephListViewCtl again;
    ASSERT_TRUE(PlaceOnForm(again, form, {0, 0, 3000, 2000}, written));
    EXPECT_TRUE(again.HeaderButtons());
    EXPECT_FALSE(again.HeaderTrackSelect());
    EXPECT_FALSE(again.HideSelection());
    EXPECT_EQ(again.View(), 1);
    EXPECT_EQ(again.Appearance(), 0);
    EXPECT_TRUE(again.Font().bold);
    EXPECT_EQ(static_cast<COLORREF>(::SendMessageW(again.hWndListView(), LVM_GETBKCOLOR, 0, 0)), 0x00336699u);
    PropertyBag rewritten;
    again.WriteProperties(rewritten);
    EXPECT_EQ(rewritten.Count(), written.Count());
    EXPECT_TRUE(rewritten.Read<bool>(L"HeaderButtons", false));
}

TEST_F(ListViewTest, BelowVersionSixTheViewIsTheStyleAndTileFallsBackToIcons) {
    SetComCtlVersionOverride(ComCtlVersion{5, 81, 0});
    lv = std::make_unique<zephListViewCtl>();
    Make();
    lv->SetView(3);
    EXPECT_EQ(Style() & LVS_TYPEMASK, static_cast<DWORD>(LVS_LIST));
    const DWORD others = Style() & ~LVS_TYPEMASK;
    lv->SetView(4);
    EXPECT_EQ(Style() & LVS_TYPEMASK, static_cast<DWORD>(LVS_ICON));
    EXPECT_EQ(Style() & ~LVS_TYPEMASK, others);
    EXPECT_EQ(lv->View(), 4);
}

TEST_F(ListViewTest, FromVersionSixTheViewGoesThroughTheViewMessage) {
    SetComCtlVersionOverride(ComCtlVersion{6, 0, 0});
    lv = std::make_unique<zephListViewCtl>();
    Make();
    lv->SetView(2);
    EXPECT_EQ(Send(LVM_GETVIEW), LV_VIEW_SMALLICON);
    lv->SetView(1);
    EXPECT_EQ(Send(LVM_GETVIEW), LV_VIEW_DETAILS);
}

TEST_F(ListViewTest, BordersColoursAndEnabling) {
    Make();
    lv->SetBorderStyle(2);
    EXPECT_FALSE(HostExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_EQ(ExStyle() & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), static_cast<DWORD>(WS_EX_STATICEDGE));
    lv->SetBorderStyle(0);
    EXPECT_FALSE(ExStyle() & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    EXPECT_FALSE(Style() & WS_BORDER);
    lv->SetBorderStyle(1);
    EXPECT_TRUE(HostExStyle() & WS_EX_CLIENTEDGE);
    RECT host{}, list{};
    ::GetClientRect(lv->hWnd(), &host);
    ::GetWindowRect(List(), &list);
    EXPECT_EQ(list.right - list.left, host.right);  // the list still fills the control

    lv->SetBackColor(0xFFFFFFFF);
    EXPECT_EQ(Send(LVM_GETBKCOLOR), static_cast<LRESULT>(CLR_NONE));
    EXPECT_EQ(Send(LVM_GETTEXTBKCOLOR), static_cast<LRESULT>(CLR_NONE));
    lv->SetForeColor(0x8000000F);  // button face, a system colour
    EXPECT_EQ(static_cast<COLORREF>(Send(LVM_GETTEXTCOLOR)), ::GetSysColor(COLOR_BTNFACE));
    lv->SetBackColor(0x000000FF);
    lv->SetBackgroundPicture(L"C:\\nothing.bmp");
    EXPECT_EQ(Send(LVM_GETBKCOLOR), 0x000000FF);
    EXPECT_EQ(Send(LVM_GETTEXTBKCOLOR), static_cast<LRESULT>(CLR_NONE));  // text over the picture
    // A new text colour keeps the text over the picture, also when the list draws it itself.
    lv->SetCustomDraw(false);
    lv->SetForeColor(0x00008000);
    EXPECT_EQ(Send(LVM_GETTEXTCOLOR), 0x00008000);
    EXPECT_EQ(Send(LVM_GETTEXTBKCOLOR), static_cast<LRESULT>(CLR_NONE));
    EXPECT_EQ(Send(LVM_GETBKCOLOR), 0x000000FF);
    lv->SetBackgroundPicture(L"");  // the picture goes, item texts get their background back
    EXPECT_EQ(Send(LVM_GETTEXTBKCOLOR), 0x000000FF);

    lv->SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(List()));
    EXPECT_FALSE(::IsWindowEnabled(lv->hWnd()));
}

TEST_F(ListViewTest, StyleSettersReachTheListAndReportTheirNames) {
    Make();
    std::vector<std::wstring> changed;
    lv->PropertyChanged = [&](const std::wstring& name) { changed.push_back(name); };
    lv->SetMultiSelect(true);
    EXPECT_FALSE(Style() & LVS_SINGLESEL);
    lv->SetHideSelection(false);  // not reported
    EXPECT_TRUE(Style() & LVS_SHOWSELALWAYS);
    lv->SetNoColumnHeaders(true);
    EXPECT_TRUE(Style() & LVS_NOCOLUMNHEADER);
    lv->SetGridLines(true);
    lv->SetCheckBoxes(true);
    lv->SetInfoTips(false);
    EXPECT_EQ(ListEx(), static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES));
    lv->SetTileBackgroundPicture(true);  // its present value: nothing happens
    lv->SetTileBackgroundPicture(false);
    EXPECT_EQ(changed, (std::vector<std::wstring>{L"MultiSelect", L"NoColumnHeaders", L"GridLines", L"CheckBoxes",
                                                  L"InfoTips", L"TileBackgroundPicture"}));
}

TEST_F(ListViewTest, ScaleFollowsScaleMode) {
    Make();
    RECT client{};
    ::GetClientRect(lv->hWnd(), &client);
    const int dpi = Dpi(LOGPIXELSX);
    EXPECT_NEAR(lv->ScaleWidth(), client.right * 1440.0 / dpi, 0.01);
    lv->SetScaleMode(3);
    EXPECT_EQ(lv->ScaleWidth(), client.right);
    EXPECT_EQ(lv->ScaleHeight(), client.bottom);
    lv->SetScaleMode(1);
    const auto [x, y] = lv->ScaleToPixels(1440.0, 720.0);
    EXPECT_EQ(x, dpi);
    EXPECT_EQ(y, Dpi(LOGPIXELSY) / 2);
}

TEST(ComCtlVersion, DetectedFromTheLibraryUnlessOverridden) {
    const ComCtlVersion detected = GetComCtlVersion();
    EXPECT_GE(detected.major, 5);  // the library's own answer, not the 4.0 of a missing export
    SetComCtlVersionOverride(ComCtlVersion{6, 0, 0});
    EXPECT_EQ(GetComCtlVersion().major, 6);
    EXPECT_EQ(zephListViewCtl().Version().major, 6);
    SetComCtlVersionOverride(std::nullopt);
    EXPECT_EQ(GetComCtlVersion().major, detected.major);
}
