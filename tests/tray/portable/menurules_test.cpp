// Key masks, capture tags, volume steps, menu captions, balloon addresses and the placement of
// a pop-up next to the tray.
#include <gtest/gtest.h>

#include "tray/portable/menurules.h"

using namespace kal;

namespace {

TEST(MenuRules, ModifierMaskTurnsIntoTheSystemsFlagsAndPrefixes) {
    EXPECT_EQ(ShiftToHotkeyModifiers(kMaskAlt), kModAlt);
    EXPECT_EQ(ShiftToHotkeyModifiers(kMaskCtrl), kModControl);
    EXPECT_EQ(ShiftToHotkeyModifiers(kMaskShift), kModShift);
    EXPECT_EQ(ShiftToHotkeyModifiers(7), 7u);
    EXPECT_EQ(ShiftToHotkeyModifiers(kMaskShift | kMaskAlt), kModShift | kModAlt);
    EXPECT_EQ(ModifierPrefix(7), L"CTRL+ALT+SHIFT+");
    EXPECT_EQ(ModifierPrefix(kMaskShift | kMaskAlt), L"ALT+SHIFT+");
    EXPECT_EQ(ModifierPrefix(0), L"");
}

TEST(MenuRules, CaptureTagRoundTripsToTheStoredBytes) {
    EXPECT_EQ(CaptureTag(0x31, 6), L"31|06");
    EXPECT_EQ(CaptureTag(0xBA, 1), L"BA|01");
    EXPECT_EQ(CaptureTagBytes(L"31|06"), (Bytes{0x31, 0x06}));
    EXPECT_EQ(CaptureTagBytes(L"ba|01"), (Bytes{0xBA, 0x01}));
    EXPECT_EQ(CaptureTagBytes(L""), (Bytes{0, 0}));
    EXPECT_EQ(CaptureTagBytes(L"3106"), std::nullopt);
    EXPECT_EQ(CaptureTagBytes(L"3G|06"), std::nullopt);
}

TEST(MenuRules, CaptureBoxKeepsNavigationKeysAndClearsOnDelete) {
    for (std::uint32_t vk : {8u, 0x21u, 0x24u, 0x28u, 0x2Du, 0x73u, 0x7Bu})
        EXPECT_EQ(ClassifyCaptureKey(vk), CaptureKey::Swallow) << vk;
    EXPECT_EQ(ClassifyCaptureKey(0x2E), CaptureKey::Clear);
    for (std::uint32_t vk : {0x20u, 0x29u, 0x31u, 0x41u, 0x72u, 0x74u, 0x7Au, 0x11u})
        EXPECT_EQ(ClassifyCaptureKey(vk), CaptureKey::Capture) << vk;
    EXPECT_TRUE(IsModifierKey(16) && IsModifierKey(17) && IsModifierKey(18));
    EXPECT_FALSE(IsModifierKey(19));
}

TEST(MenuRules, StepsAreFixedPointAndVolumesStayWithinRange) {
    EXPECT_EQ(ParseStep(L"2"), 2 * kCurrencyScale);
    EXPECT_EQ(ParseStep(L"0.5"), kCurrencyScale / 2);
    EXPECT_EQ(ParseStep(L" 1,25 "), 12500);
    EXPECT_EQ(ParseStep(L"0.123456"), 1234);
    EXPECT_EQ(ParseStep(L"abc"), std::nullopt);
    EXPECT_EQ(ParseStep(L""), std::nullopt);
    EXPECT_EQ(ParseStep(L"1.2.3"), std::nullopt);
    EXPECT_EQ(ParseStep(L"99999999999999"), std::nullopt);
    const Currency two = 2 * kCurrencyScale;
    EXPECT_EQ(StepVolume(99 * kCurrencyScale, two, true), 100 * kCurrencyScale);
    EXPECT_EQ(StepVolume(1 * kCurrencyScale, two, false), 0);
    EXPECT_EQ(StepVolume(50 * kCurrencyScale, kCurrencyScale / 2, true), 505000);
    EXPECT_EQ(StepVolume(50 * kCurrencyScale, two, false), 48 * kCurrencyScale);
}

TEST(MenuRules, AmpersandsInNamesShowLiterally) {
    EXPECT_EQ(MenuCaptionText(L"Rock & Roll"), L"Rock && Roll");
    EXPECT_EQ(MenuCaptionText(L"&&"), L"&&&&");
    EXPECT_EQ(MenuCaptionText(L"Plain"), L"Plain");
}

TEST(MenuRules, OnlyWebAddressesWithoutControlCharactersMayBeOpened) {
    EXPECT_TRUE(IsWebAddress(L"http://127.0.0.1/changes.txt"));
    EXPECT_TRUE(IsWebAddress(L"HTTPS://127.0.0.1/driver"));
    EXPECT_FALSE(IsWebAddress(L"https://"));
    EXPECT_FALSE(IsWebAddress(L"file:///C:/windows/system32/calc.exe"));
    EXPECT_FALSE(IsWebAddress(L"C:\\windows\\system32\\calc.exe"));
    EXPECT_FALSE(IsWebAddress(L"calc.exe http://127.0.0.1/"));
    EXPECT_FALSE(IsWebAddress(L"http://127.0.0.1/\r\nx"));
    EXPECT_FALSE(IsWebAddress(std::wstring(L"http://127.0.0.1/\0x", 19)));
    EXPECT_FALSE(IsWebAddress(L""));
}

TrayPlacement Screen() {
    TrayPlacement p;
    p.monitor = {0, 0, 1024, 768};
    p.work = {0, 0, 1024, 728};
    p.taskbar = {0, 728, 1024, 768};
    p.width = 200;
    p.height = 100;
    return p;
}

TEST(MenuRules, PopupStaysAboveABottomTaskbarAndInsideTheMonitor) {
    TrayPlacement p = Screen();
    p.cursor = {1010, 750};
    const TrayPoint at = PlaceNearTray(p);
    EXPECT_EQ(at.y + p.height, 728);
    EXPECT_EQ(at.x + p.width, 1024);
    // Centred on the cursor where there is room.
    p.cursor = {500, 300};
    const TrayPoint mid = PlaceNearTray(p);
    EXPECT_EQ(mid.x, 400);
    EXPECT_EQ(mid.y, 250);
}

TEST(MenuRules, PopupClearsTopLeftAndRightTaskbars) {
    TrayPlacement p = Screen();
    p.taskbar = {0, 0, 1024, 30};
    p.work = {0, 30, 1024, 768};
    p.cursor = {5, 5};
    TrayPoint at = PlaceNearTray(p);
    EXPECT_EQ(at.y, 30);
    EXPECT_EQ(at.x, 0);
    p.taskbar = {0, 0, 60, 768};
    p.work = {60, 0, 1024, 768};
    at = PlaceNearTray(p);
    EXPECT_EQ(at.x, 60);
    EXPECT_EQ(at.y, 0);
    p.taskbar = {964, 0, 1024, 768};
    p.work = {0, 0, 964, 768};
    p.cursor = {1000, 760};
    at = PlaceNearTray(p);
    EXPECT_EQ(at.x + p.width, 964);
    EXPECT_EQ(at.y + p.height, 768);
}

TEST(MenuRules, WithoutTaskbarRectangleTheWorkAreaGivesTheThickness) {
    TrayPlacement p = Screen();
    p.taskbar = {};
    p.cursor = {1010, 760};
    const TrayPoint at = PlaceNearTray(p);
    EXPECT_EQ(at.y + p.height, 728);
}

TEST(MenuRules, IconInTheOverflowAreaPutsThePopupAboveTheIcon) {
    TrayPlacement p = Screen();
    p.cursor = {900, 650};
    p.icon = TrayRect{890, 640, 910, 660};
    const TrayPoint at = PlaceNearTray(p);
    EXPECT_EQ(at.y + p.height, 640);
    // An icon on the taskbar changes nothing.
    p.icon = TrayRect{890, 740, 910, 760};
    p.cursor = {900, 750};
    EXPECT_EQ(PlaceNearTray(p).y + p.height, 728);
}

TEST(MenuRules, UnknownOrEmptyIconRectangleKeepsThePopupOnScreen) {
    TrayPlacement p = Screen();
    p.cursor = {1000, 750};
    for (const auto& icon : {std::optional<TrayRect>{}, std::optional<TrayRect>{TrayRect{}}}) {
        p.icon = icon;
        const TrayPoint at = PlaceNearTray(p);
        EXPECT_GE(at.y, 0);
        EXPECT_EQ(at.y + p.height, 728);
    }
}

}  // namespace
