#include "toolkit/tooltip.h"

#include <gtest/gtest.h>

#include "tests/toolkit/testwindow.h"

using namespace kal;
using kal::test::TestWindow;

namespace {

class ToolTipTest : public ::testing::Test {
protected:
    HWND Button(const wchar_t* text) {
        return ::CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, owner.hWnd(), nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    }
    TestWindow owner;
    clsToolTip tip;
};

TEST_F(ToolTipTest, WithoutWindowEverythingIsEmpty) {
    HWND b = Button(L"b");
    EXPECT_FALSE(tip.AddTool(b, L"text"));
    EXPECT_FALSE(tip.HasToolTip(b));
    EXPECT_EQ(tip.ToolText(b), L"");
    EXPECT_EQ(tip.ToolCount(), 0);
    EXPECT_EQ(tip.Margin(0), 0);
    EXPECT_EQ(tip.MaxTipWidth(), 0);
}

TEST_F(ToolTipTest, ToolsAreAddedOnceAndTheirTextsReadBackWhole) {
    ASSERT_TRUE(tip.Create(owner.hWnd()));
    const HWND window = tip.hWnd();
    EXPECT_TRUE(tip.Create(owner.hWnd()));
    EXPECT_EQ(tip.hWnd(), window);

    HWND a = Button(L"a"), b = Button(L"b");
    EXPECT_TRUE(tip.AddTool(a, L"Lautstärke — 音量"));
    EXPECT_FALSE(tip.AddTool(a, L"second"));
    EXPECT_EQ(tip.ToolText(a), L"Lautstärke — 音量");
    EXPECT_FALSE(tip.AddTool(nullptr, L"x"));

    // Texts far longer than a notification's buffer, and growing after they were added.
    const std::wstring longText(700, L'é');
    EXPECT_TRUE(tip.AddTool(b, L"short"));
    tip.SetToolText(b, longText);
    EXPECT_EQ(tip.ToolText(b), longText);
    EXPECT_EQ(tip.ToolCount(), 2);

    // An empty text removes the tool; a tool-less control is not added by a text write.
    tip.SetToolText(a, L"");
    EXPECT_FALSE(tip.HasToolTip(a));
    tip.SetToolText(a, L"again");
    EXPECT_FALSE(tip.HasToolTip(a));
    EXPECT_EQ(tip.ToolText(a), L"");
    EXPECT_TRUE(tip.RemoveTool(b));
    EXPECT_FALSE(tip.RemoveTool(b));
    EXPECT_EQ(tip.ToolCount(), 0);
}

TEST_F(ToolTipTest, HeaderLeadsEveryLaterText) {
    ASSERT_TRUE(tip.Create(owner.hWnd()));
    HWND a = Button(L"a"), b = Button(L"b");
    tip.SetToolTipHeader(L"Kalvenor");
    EXPECT_TRUE(tip.ToolTipHeaderShow());
    EXPECT_TRUE(tip.AddTool(a, L"body"));
    EXPECT_EQ(tip.ToolText(a), L"Kalvenor\r\nbody");
    tip.SetToolText(a, L"next");
    EXPECT_EQ(tip.ToolText(a), L"Kalvenor\r\nnext");
    tip.SetToolTipHeaderShow(false);
    EXPECT_TRUE(tip.AddTool(b, L"plain"));
    EXPECT_EQ(tip.ToolText(b), L"plain");
}

TEST_F(ToolTipTest, ToolsOfDestroyedControlsAreDropped) {
    ASSERT_TRUE(tip.Create(owner.hWnd()));
    HWND a = Button(L"a"), b = Button(L"b");
    EXPECT_TRUE(tip.AddTool(a, L"a"));
    EXPECT_TRUE(tip.AddTool(b, L"b"));
    ::DestroyWindow(a);
    EXPECT_TRUE(tip.HasToolTip(b));
    EXPECT_EQ(tip.ToolCount(), 1);
    EXPECT_FALSE(tip.HasToolTip(a));
}

TEST_F(ToolTipTest, ColoursDelaysMarginsAndWidth) {
    ASSERT_TRUE(tip.Create(owner.hWnd()));
    tip.SetBackColor(RGB(1, 2, 3));
    tip.SetForeColor(RGB(200, 100, 50));
    EXPECT_EQ(tip.BackColor(), RGB(1, 2, 3));
    EXPECT_EQ(tip.ForeColor(), RGB(200, 100, 50));

    tip.SetDelayTime(6, 1234);  // kind 6 And 3 = 2, the autopop delay
    EXPECT_EQ(tip.DelayTime(TTDT_AUTOPOP), 1234);
    tip.SetDelayTime(TTDT_RESHOW, 0);
    EXPECT_EQ(tip.DelayTime(TTDT_RESHOW), 0);

    tip.SetMargin(0, 3);
    tip.SetMargin(1, 4);
    tip.SetMargin(2, 5);
    tip.SetMargin(3, 6);
    tip.SetMargin(4, 99);
    EXPECT_EQ(tip.Margin(0), 3);
    EXPECT_EQ(tip.Margin(1), 4);
    EXPECT_EQ(tip.Margin(2), 5);
    EXPECT_EQ(tip.Margin(3), 6);
    EXPECT_EQ(tip.Margin(4), 0);

    tip.SetMaxTipWidth(300);
    EXPECT_EQ(tip.MaxTipWidth(), 300);
    tip.SetMaxTipWidth(0);  // no limit: -1, read as its low 16 bits
    EXPECT_EQ(tip.MaxTipWidth(), 0xFFFF);
}

}  // namespace
