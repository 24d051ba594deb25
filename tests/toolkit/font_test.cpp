#include "toolkit/font.h"

#include <gtest/gtest.h>

#include "startup/globals.h"
#include "base/registry.h"
#include "toolkit/forms.h"

using namespace kal;

namespace {

const std::wstring kRoot = L"HKEY_CURRENT_USER\\Software\\KalvenorTests\\ToolkitFont";

class InterfaceFont : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = gRegRoot;
        gRegRoot = kRoot;
        RegDeleteTree(kRoot, L"");
        NONCLIENTMETRICSW m{};
        m.cbSize = sizeof m;
        ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0));
        menu = m.lfMenuFont;
        HDC dc = ::GetDC(nullptr);
        dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
        ::ReleaseDC(nullptr, dc);
    }
    void TearDown() override {
        RegDeleteTree(kRoot, L"");
        gRegRoot = saved_;
        gUIFont.reset();
    }
    void Set(const wchar_t* name, const wchar_t* text) { ASSERT_TRUE(RegWrite(kRoot, name, std::wstring(text))); }
    double SystemSize() const {
        return menu.lfHeight < 1 ? ::MulDiv(-menu.lfHeight, 72, dpi) : menu.lfHeight;
    }

    LOGFONTW menu{};
    int dpi = 96;

private:
    std::wstring saved_;
};

TEST_F(InterfaceFont, NoSettingsGiveTheMenuFaceAtNinePoints) {
    const UIFont f = GetSystemFont();
    EXPECT_EQ(f.name, menu.lfFaceName);
    EXPECT_EQ(f.size, 9);
    EXPECT_EQ(f.bold, menu.lfWeight == 700);
    EXPECT_EQ(f.italic, menu.lfItalic == 1);
}

TEST_F(InterfaceFont, SizeZeroOrNoNumberFallsBackToTheMenuFontHeight) {
    for (const wchar_t* text : {L"0", L"abc", L"", L"12pt"}) {
        Set(L"UIFontSize", text);
        EXPECT_EQ(GetSystemFont().size, SystemSize()) << "UIFontSize " << std::wstring(text).c_str();
    }
    Set(L"UIFontSize", L" 10.5 ");
    EXPECT_EQ(GetSystemFont().size, 10.5);
    // A size whose pixel height does not fit a font's height field is the system size.
    for (const wchar_t* text : {L"3e9", L"1e300"}) {
        Set(L"UIFontSize", text);
        EXPECT_EQ(GetSystemFont().size, SystemSize()) << "UIFontSize " << std::wstring(text).c_str();
    }
    Set(L"UIFontSize", L"400");
    EXPECT_EQ(GetSystemFont().size, 400);
}

TEST_F(InterfaceFont, FaceSettingReplacesFaceAndStyle) {
    Set(L"UIFont", L"Liberation Serif");
    Set(L"UIFontSize", L"12");
    const UIFont f = GetSystemFont();
    EXPECT_EQ(f.name, L"Liberation Serif");
    EXPECT_EQ(f.size, 12);
    EXPECT_FALSE(f.bold || f.italic || f.underline || f.strikethrough);

    // The handle is built from a LOGFONT at the screen's resolution.
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(f.Handle(), sizeof lf, &lf));
    EXPECT_STREQ(lf.lfFaceName, L"Liberation Serif");
    EXPECT_EQ(lf.lfHeight, -::MulDiv(12, dpi, 72));
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    // Copies share one handle; a change makes a new one.
    UIFont copy = f;
    EXPECT_EQ(copy.Handle(), f.Handle());
    copy.bold = true;
    ASSERT_TRUE(::GetObjectW(copy.Handle(), sizeof lf, &lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
}

TEST(InterfaceFontLog, OnlyWeight700IsBoldAndSizesRoundHalfToEven) {
    UIFont f;
    f.size = 7.5;  // 10 px at 96 dpi; 7.5 * 120 / 72 = 12.5 -> 12
    EXPECT_EQ(MakeLogFont(f, 96).lfHeight, -10);
    EXPECT_EQ(MakeLogFont(f, 120).lfHeight, -12);
    f.italic = f.underline = f.strikethrough = true;
    const LOGFONTW lf = MakeLogFont(f, 96);
    EXPECT_TRUE(lf.lfItalic && lf.lfUnderline && lf.lfStrikeOut);
    EXPECT_STREQ(lf.lfFaceName, L"Arial");
    f.size = 3e9;  // no height field holds it: the default height
    EXPECT_EQ(MakeLogFont(f, 96).lfHeight, 0);
}

class ListForm : public Form {
public:
    ListForm() : Form(L"frmFontList") {
        Design({L"Fonts"}, {
            {ControlType::Label, L"lblName", -1, L"Name", 120, 120, 1500, 300},
            {ControlType::TextBox, L"txtName", -1, L"", 120, 480, 1500, 300},
            {ControlType::Slider, L"csliLevel", -1, L"", 120, 900, 2000, 400},
            {ControlType::Timer, L"timerPoll", -1},
            {ControlType::Frame, L"fraGroup", -1, L"Group", 2000, 120, 1500, 900},
        });
    }
    ~ListForm() override { Unload(); }
    void OnFontApplied() override { calls.push_back(L"font applied"); }
    std::vector<std::wstring> calls;
};

TEST_F(InterfaceFont, ApplyPutsTheFontOnEveryWindowedControl) {
    ListForm form;
    form.Load();
    ApplySystemFont(&form);  // nothing while no interface font is set
    EXPECT_TRUE(form.calls.empty());

    Set(L"UIFont", L"Liberation Sans");
    Set(L"UIFontSize", L"11");
    gUIFont = GetSystemFont();
    ApplySystemFont(&form);
    const HFONT h = gUIFont->Handle();
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(form.Ctl(L"txtName").hWnd(), WM_GETFONT, 0, 0)), h);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(form.Ctl(L"lblName").hWnd(), WM_GETFONT, 0, 0)), h);
    ASSERT_NE(form.Ctl(L"csliLevel").Font(), nullptr);
    EXPECT_EQ(form.Ctl(L"csliLevel").Font()->name, L"Liberation Sans");
    EXPECT_EQ(form.Ctl(L"timerPoll").Font(), nullptr);
    ASSERT_NE(form.Font(), nullptr);
    EXPECT_EQ(form.Font()->size, 11);
    ASSERT_NE(form.Ctl(L"fraGroup").Font(), nullptr);
    EXPECT_EQ(form.Ctl(L"fraGroup").Font()->Handle(), h);
    // A shown form is drawn again, so that no control keeps showing the old face.
    form.Show();
    ::UpdateWindow(form.hWnd());
    ::RedrawWindow(form.hWnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Set(L"UIFontSize", L"12");
    gUIFont = GetSystemFont();
    ApplySystemFont(&form);
    for (const wchar_t* name : {L"lblName", L"txtName", L"fraGroup"})
        EXPECT_TRUE(::GetUpdateRect(form.Ctl(name).Window(), nullptr, FALSE)) << name;
    // The form hears of each application, to refresh what depends on the font.
    EXPECT_EQ(form.calls, (std::vector<std::wstring>{L"font applied", L"font applied"}));
    ApplySystemFont(nullptr);
}

}  // namespace
