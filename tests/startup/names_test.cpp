#include "startup/names.h"

#include <gtest/gtest.h>

using namespace kal;

TEST(MenuCaptionName, CutsAtFirstTab) {
    EXPECT_EQ(MenuCaptionName(L"Movies\tCtrl+Alt+M"), L"Movies");
    EXPECT_EQ(MenuCaptionName(L"A\tB\tC"), L"A");
    EXPECT_EQ(MenuCaptionName(L"No shortcut"), L"No shortcut");
    EXPECT_EQ(MenuCaptionName(L""), L"");
    EXPECT_EQ(MenuCaptionName(L"\tX"), L"");
}

TEST(ParseGUID, MemoryOrderOfThePropertySet) {
    const auto g = ParseGUID(L"{51D0011F-CC76-4A8B-9098-D637D44B60CD}");
    const std::array<std::uint8_t, 16> expected{0x1F, 0x01, 0xD0, 0x51, 0x76, 0xCC, 0x8B, 0x4A,
                                                0x90, 0x98, 0xD6, 0x37, 0xD4, 0x4B, 0x60, 0xCD};
    EXPECT_EQ(g, expected);
    EXPECT_EQ(ParseGUID(L"{8f9411ea-dd4f-4fac-a5e3-8a3a00ab81cf}")[0], 0xEA);
}

TEST(ParseGUID, MalformedTextGivesZeros) {
    const std::array<std::uint8_t, 16> zero{};
    EXPECT_EQ(ParseGUID(L""), zero);
    EXPECT_EQ(ParseGUID(L"51D0011F-CC76-4A8B-9098-D637D44B60CD"), zero);     // no braces
    EXPECT_EQ(ParseGUID(L"{51D0011F-CC76-4A8B-9098-D637D44B60CG}"), zero);   // not hex
    EXPECT_EQ(ParseGUID(L"{51D0011FCC76-4A8B-9098-D637D44B60CD0}"), zero);   // dash misplaced
}

TEST(LiveProfileName, SecondsWithoutSeparator) {
    // 12:34:56.79
    EXPECT_EQ(LiveProfileNameFor(45296.79f, L"."), L"4529679~Live");
    EXPECT_EQ(LiveProfileNameFor(45296.79f, L","), L"4529679~Live");
    EXPECT_EQ(LiveProfileNameFor(45296.0f, L"."), L"45296~Live");
    // Seven significant digits at most.
    EXPECT_EQ(LiveProfileNameFor(86399.99f, L"."), L"8639999~Live");
    EXPECT_EQ(LiveProfileNameFor(3.5f, L","), L"35~Live");
}

TEST(LiveProfileName, RecognisedAnywhereInTheName) {
    EXPECT_TRUE(IsLiveProfileName(L"4529679~Live"));
    EXPECT_TRUE(IsLiveProfileName(L"x~Live y"));
    EXPECT_FALSE(IsLiveProfileName(L"Live"));
    EXPECT_FALSE(IsLiveProfileName(L"~live"));
}

// A restore point is known by its exact form only: digits, then "~Live" (the registry's letter
// case aside); the staging and apply keys and names a backup may bring are none.
TEST(LiveProfileName, ARestorePointIsDigitsThenTheMark) {
    for (const wchar_t* name : {L"4529679~Live", L"0~Live", L"35~LIVE"}) EXPECT_TRUE(IsRestorePointName(name)) << name;
    for (const wchar_t* name : {L"~Live", L"1st~Live set", L"~4529679~Live", L"4529679~Live ", L"45 29~Live",
                                L"4529679", L"x4529679~Live", L"\x0661~Live"})
        EXPECT_FALSE(IsRestorePointName(name)) << name;
    // The staging key of a long name stays within the registry's 255 characters.
    EXPECT_EQ(StagingProfileName(std::wstring(255, L'a')).size(), 255u);
    EXPECT_EQ(StagingProfileName(L"Mine"), L"~Mine~Live");
}

TEST(CustomIcon, SplitIntoFileAndOverlay) {
    const struct {
        const wchar_t* stored;
        const wchar_t* file;
        bool overlay;
    } cases[] = {{L"C:\\icons\\a.ico|1", L"C:\\icons\\a.ico", true},
                 {L"C:\\icons\\a.ico", L"C:\\icons\\a.ico", false},
                 {L"", L"", false},
                 {L"a.ico|1|0", L"a.ico", true},
                 {L"a.ico|0", L"a.ico", false},
                 {L"a.ico|11", L"a.ico", false}};
    for (const auto& c : cases) {
        // Both outputs are replaced, whatever they held.
        std::wstring file = L"stale";
        bool overlay = !c.overlay;
        SplitCustomIcon(c.stored, file, overlay);
        EXPECT_EQ(file, c.file) << c.stored;
        EXPECT_EQ(overlay, c.overlay) << c.stored;
    }
}

TEST(DefaultVolume, NumbersAndEverythingElse) {
    EXPECT_EQ(ParseDefaultVolume(L"75"), 75);
    EXPECT_EQ(ParseDefaultVolume(L" 0 "), 0);
    EXPECT_EQ(ParseDefaultVolume(L"-1"), -1);
    EXPECT_EQ(ParseDefaultVolume(L"32767"), 32767);
    EXPECT_EQ(ParseDefaultVolume(L"-32768"), -32768);
    EXPECT_EQ(ParseDefaultVolume(L"32768"), -1);
    EXPECT_EQ(ParseDefaultVolume(L"99999999999999999999"), -1);
    EXPECT_EQ(ParseDefaultVolume(L"loud"), -1);
    EXPECT_EQ(ParseDefaultVolume(L"7 5"), -1);
    EXPECT_EQ(ParseDefaultVolume(L""), -1);
    EXPECT_EQ(ParseDefaultVolume(L"-"), -1);
}

TEST(WheelIncrement, RoundsHalfToEvenAndFallsBackOutsideSixteenBits) {
    EXPECT_EQ(ParseWheelIncrement(L"5"), 5);
    EXPECT_EQ(ParseWheelIncrement(L" -3 "), -3);
    EXPECT_EQ(ParseWheelIncrement(L"3.7"), 4);
    EXPECT_EQ(ParseWheelIncrement(L"2.5"), 2);
    EXPECT_EQ(ParseWheelIncrement(L"3.5"), 4);
    EXPECT_EQ(ParseWheelIncrement(L"32767"), 32767);
    EXPECT_EQ(ParseWheelIncrement(L"-32768"), -32768);
    for (const wchar_t* bad : {L"40000", L"-32769", L"1e10", L"nan", L"inf", L"", L"two", L"3x"})
        EXPECT_EQ(ParseWheelIncrement(bad), 1) << std::wstring(bad).c_str();
}

TEST(UserAgent, Format) {
    EXPECT_EQ(FormatUserAgent(L"Kalvenor", 0, 9, 661, 10, 0, true), L"Kalvenor/0.9.661 (Windows NT 10.0; WOW64)");
    EXPECT_EQ(FormatUserAgent(L"Kalvenor", 1, 0, 5, 5, 1, false), L"Kalvenor/1.0.5 (Windows NT 5.1)");
}
