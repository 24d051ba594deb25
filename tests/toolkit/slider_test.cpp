#include "toolkit/slider.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "tests/toolkit/testwindow.h"
#include "base/propstore.h"

using namespace kal;
using kal::test::TestWindow;

namespace {

class SliderTest : public ::testing::Test {
protected:
    void Make(const PropertyBag& bag = {}) {
        ASSERT_TRUE(s.Create(parent.hWnd(), 10, 10, 200, 40, bag));
        s.Change = [this](std::int32_t v) { changes.push_back(v); };
    }
    LRESULT Bar(UINT msg, WPARAM w = 0, LPARAM l = 0) { return ::SendMessageW(s.hWnd(), msg, w, l); }
    void Wheel(int delta, WORD keys = 0) {
        ::SendMessageW(s.hWnd(), WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(delta))), 0);
    }
    TestWindow parent;
    cSlider s;
    std::vector<std::int32_t> changes;
};

TEST_F(SliderTest, DefaultRangeReachesTheTrackbar) {
    Make();
    EXPECT_EQ(Bar(TBM_GETRANGEMIN), 1);
    EXPECT_EQ(Bar(TBM_GETRANGEMAX), 100);
    EXPECT_EQ(s.Value(), 1);
    Bar(TBM_SETPOS, TRUE, 0);  // the thumb can't go below the minimum
    EXPECT_EQ(s.Value(), 1);
    EXPECT_TRUE(::GetWindowLongW(s.hWnd(), GWL_STYLE) & TBS_TOOLTIPS);
    EXPECT_FALSE(::GetWindowLongW(s.hWnd(), GWL_STYLE) & TBS_VERT);
}

TEST_F(SliderTest, ValueWritesRaiseChangeOncePerChange) {
    Make();
    s.SetValue(30);
    s.SetValue(30);
    s.SetValue(31);
    EXPECT_EQ(changes, (std::vector<std::int32_t>{30, 31}));
    EXPECT_EQ(Bar(TBM_GETPOS), 31);
}

TEST_F(SliderTest, InvertedVerticalMapsBothWays) {
    PropertyBag bag;
    bag.Write<std::int32_t>(L"Orientation", cSlider::VerticalInverted, 0);
    bag.Write<std::int32_t>(L"Min", 0, 1);
    Make(bag);
    EXPECT_TRUE(::GetWindowLongW(s.hWnd(), GWL_STYLE) & TBS_VERT);
    s.SetValue(30);
    EXPECT_EQ(Bar(TBM_GETPOS), 70);
    Bar(TBM_SETPOS, TRUE, 10);
    EXPECT_EQ(s.Value(), 90);
}

TEST_F(SliderTest, RangeWritesKeepMinBelowMax) {
    Make();
    s.SetMin(150);
    EXPECT_EQ(s.Max(), 151);
    EXPECT_EQ(Bar(TBM_GETRANGEMIN), 150);
    EXPECT_EQ(Bar(TBM_GETRANGEMAX), 151);
    s.SetMin(1);
    s.SetMax(-5);
    EXPECT_EQ(s.Min(), -6);
    EXPECT_EQ(Bar(TBM_GETRANGEMIN), -6);
    EXPECT_EQ(Bar(TBM_GETRANGEMAX), -5);
}

TEST_F(SliderTest, EveryScrollNotificationRaisesChange) {
    Make();
    s.SetValue(50);
    changes.clear();
    // The keyboard moves the real trackbar, which notifies its parent.
    Bar(WM_KEYDOWN, VK_RIGHT, 0);
    Bar(WM_KEYUP, VK_RIGHT, 0);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.front(), 51);
    // A drag's end reports again with the value unchanged.
    changes.clear();
    ::SendMessageW(s.HostWindow(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(s.hWnd()));
    EXPECT_EQ(changes, std::vector<std::int32_t>{51});
}

TEST_F(SliderTest, WheelStepsByTheIncrementAndStopsAtTheEnds) {
    Make();
    s.SetWheelIncrement(5);
    s.SetValue(98);
    changes.clear();
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(s.Value(), 100);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(changes, std::vector<std::int32_t>{100});
    // Key-state bits in the low word don't shift the step.
    Wheel(-WHEEL_DELTA, MK_CONTROL);
    EXPECT_EQ(s.Value(), 95);
    Wheel(-3 * WHEEL_DELTA);
    EXPECT_EQ(s.Value(), 80);
    s.SetValue(3);
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(s.Value(), 1);
    EXPECT_EQ(changes, (std::vector<std::int32_t>{100, 95, 80, 3, 1}));
}

TEST_F(SliderTest, PropertiesPersistWithoutTheirDefaults) {
    Make();
    PropertyBag empty;
    s.WriteProperties(empty);
    EXPECT_EQ(empty.Count(), 0u);

    s.SetMin(-10);
    s.SetMax(10);
    s.SetValue(-3);
    s.SetWheelIncrement(4);
    s.SetTooltip(false);
    s.SetOrientation(cSlider::Vertical);
    PropertyBag bag;
    s.WriteProperties(bag);
    EXPECT_EQ(bag.Read<std::int32_t>(L"min", 0), -10);
    EXPECT_EQ(bag.Read<std::int32_t>(L"Value", 0), -3);

    cSlider copy;
    std::vector<std::int32_t> seen;
    ASSERT_TRUE(copy.Create(parent.hWnd(), 0, 60, 40, 200, bag));
    EXPECT_EQ(copy.Min(), -10);
    EXPECT_EQ(copy.Max(), 10);
    EXPECT_EQ(copy.Value(), -3);
    EXPECT_EQ(copy.WheelIncrement(), 4);
    EXPECT_FALSE(::GetWindowLongW(copy.hWnd(), GWL_STYLE) & TBS_TOOLTIPS);
    EXPECT_TRUE(::GetWindowLongW(copy.hWnd(), GWL_STYLE) & TBS_VERT);
}

TEST_F(SliderTest, TipTextAndBackgroundComeFromTheControl) {
    Make();
    s.SetValue(42);
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = nullptr;
    info.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageW(s.HostWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(info.szText, L"42");

    s.SetTooltip(false);
    NMTTDISPINFOW none{};
    none.hdr.code = TTN_GETDISPINFOW;
    ::SendMessageW(s.HostWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&none));
    EXPECT_STREQ(none.szText, L"");

    HDC dc = ::GetDC(s.HostWindow());
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(s.HostWindow(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(s.hWnd())));
    ::ReleaseDC(s.HostWindow(), dc);
    LOGBRUSH lb{};
    ASSERT_TRUE(::GetObjectW(brush, sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, ::GetSysColor(COLOR_BTNFACE));

    s.SetBackColor(0x00336699);
    dc = ::GetDC(s.HostWindow());
    brush = reinterpret_cast<HBRUSH>(
        ::SendMessageW(s.HostWindow(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(s.hWnd())));
    ::ReleaseDC(s.HostWindow(), dc);
    ASSERT_TRUE(::GetObjectW(brush, sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, 0x00336699u);
}

TEST_F(SliderTest, DisabledSliderDisablesItsTrackbar) {
    Make();
    s.SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(s.hWnd()));
    EXPECT_FALSE(::IsWindowEnabled(s.HostWindow()));
    s.SetEnabled(true);
    EXPECT_TRUE(::IsWindowEnabled(s.hWnd()));
}

TEST(SliderLifetime, EndingTheControlLeavesNoAttachments) {
    TestWindow parent;
    HWND host, bar;
    {
        cSlider s;
        ASSERT_TRUE(s.Create(parent.hWnd(), 0, 0, 100, 30));
        host = s.HostWindow();
        bar = s.hWnd();
        EXPECT_GT(WindowPropCount(host), 0u);
        EXPECT_GT(WindowPropCount(bar), 0u);
    }
    EXPECT_FALSE(::IsWindow(host));
    EXPECT_EQ(WindowPropCount(host), 0u);
    EXPECT_EQ(WindowPropCount(bar), 0u);

    // The parent going first takes the windows; the control's end is then harmless.
    auto s = std::make_unique<cSlider>();
    TestWindow other;
    ASSERT_TRUE(s->Create(other.hWnd(), 0, 0, 100, 30));
    host = s->HostWindow();
    other.Destroy();
    EXPECT_EQ(s->hWnd(), nullptr);
    EXPECT_EQ(WindowPropCount(host), 0u);
    s.reset();
}

TEST(TranslateColour, SystemAndPlainColours) {
    EXPECT_EQ(TranslateColor(kSysButtonFace), static_cast<std::int32_t>(::GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(TranslateColor(0x00123456), 0x00123456);
    EXPECT_EQ(TranslateColor(0xFFFFFFFF), -1);
}

}  // namespace
