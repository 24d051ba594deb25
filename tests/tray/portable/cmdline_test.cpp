// The command line as the main form reads it: a table of argument texts and what they mean.
#include <gtest/gtest.h>

#include "tray/portable/cmdline.h"

using namespace kal;

namespace {

struct Row {
    const wchar_t* arguments;
    const wchar_t* hid;     // nullptr: not given
    const wchar_t* subsys;  // nullptr: not given
    int toggles;
    bool profileGiven;
    const wchar_t* profileList;
    int master;  // -1 none, else MuteMode
    int inputLine;
    int inputMode;
};

constexpr int M = static_cast<int>(MuteMode::Mute), U = static_cast<int>(MuteMode::Unmute),
              T = static_cast<int>(MuteMode::Toggle);

const Row kRows[] = {
    {L"", nullptr, nullptr, 0, false, L"", -1, -1, M},
    {L"/hid=PCI\\VEN_1&DEV_2", L"PCI\\VEN_1&DEV_2", nullptr, 0, false, L"", -1, -1, M},
    // Names in any letter case; values unchanged.
    {L"/HID=AbC /SubSys=8275abcd", L"AbC", L"8275abcd", 0, false, L"", -1, -1, M},
    // Two "=" make the piece void; a switch that needs a value and has none is ignored.
    {L"/hid=x=y /subsys", nullptr, nullptr, 0, false, L"", -1, -1, M},
    {L"/hid=", nullptr, nullptr, 0, false, L"", -1, -1, M},
    {L"/toggleautostart /ToggleAutostart", nullptr, nullptr, 2, false, L"", -1, -1, M},
    {L"/profile", nullptr, nullptr, 0, true, L"", -1, -1, M},
    {L"/profile=", nullptr, nullptr, 0, true, L"", -1, -1, M},
    {L"/profile=Movie Night,Games", nullptr, nullptr, 0, true, L"Movie Night,Games", -1, -1, M},
    {L"/profile=A /profile=B", nullptr, nullptr, 0, true, L"B", -1, -1, M},
    // A later master switch replaces an earlier one.
    {L"/mastermute /MASTERUNMUTE", nullptr, nullptr, 0, false, L"", U, -1, M},
    {L"/mastermutetoggle", nullptr, nullptr, 0, false, L"", T, -1, M},
    // Input switches take a line 0..7.
    {L"/inputmutetoggle=0", nullptr, nullptr, 0, false, L"", -1, 0, T},
    {L"/inputunmute=7", nullptr, nullptr, 0, false, L"", -1, 7, U},
    {L"/inputmute=9", nullptr, nullptr, 0, false, L"", -1, -1, M},
    {L"/inputmute=-1", nullptr, nullptr, 0, false, L"", -1, -1, M},
    {L"/inputmute=two", nullptr, nullptr, 0, false, L"", -1, -1, M},
    {L"/inputmute", nullptr, nullptr, 0, false, L"", -1, -1, M},
    {L"/inputmute= 3 ", nullptr, nullptr, 0, false, L"", -1, 3, M},
    {L"/inputmute=2 /inputmute=x", nullptr, nullptr, 0, false, L"", -1, 2, M},
    {L"/inputmute=2 /inputunmute=5", nullptr, nullptr, 0, false, L"", -1, 5, U},
    // "/noui" and unknown switches are no switches of the form; text before the first " /"
    // is a piece of its own.
    {L"/noui /mastermute /frobnicate=1", nullptr, nullptr, 0, false, L"", M, -1, M},
    {L"junk /mastermute", nullptr, nullptr, 0, false, L"", M, -1, M},
    // Only " /" separates: a slash inside a value stays in it.
    {L"/hid=a/b /subsys=c", L"a/b", L"c", 0, false, L"", -1, -1, M},
    {L"   /mastermute   ", nullptr, nullptr, 0, false, L"", M, -1, M},
};

TEST(CommandLine, TableOfArguments) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(::testing::Message() << "arguments: " << ::testing::PrintToString(std::wstring(row.arguments)));
        const CommandLineSwitches s = ParseCommandLine(row.arguments);
        EXPECT_EQ(s.hid.has_value(), row.hid != nullptr);
        if (row.hid && s.hid) {
            EXPECT_EQ(*s.hid, row.hid);
        }
        EXPECT_EQ(s.subsys.has_value(), row.subsys != nullptr);
        if (row.subsys && s.subsys) {
            EXPECT_EQ(*s.subsys, row.subsys);
        }
        EXPECT_EQ(s.toggleAutostart, row.toggles);
        EXPECT_EQ(s.profileGiven, row.profileGiven);
        EXPECT_EQ(s.profileList, row.profileList);
        EXPECT_EQ(s.master ? static_cast<int>(*s.master) : -1, row.master);
        EXPECT_EQ(s.inputLine, row.inputLine);
        if (row.inputLine >= 0) {
            EXPECT_EQ(static_cast<int>(s.inputMode), row.inputMode);
        }
    }
}

TEST(CommandLine, ProfileCyclingWalksThroughTheListAndWraps) {
    const std::vector<std::wstring> all{L"A", L"B", L"C"};
    EXPECT_EQ(ChooseCycledProfile(all, L"B"), L"C");
    EXPECT_EQ(ChooseCycledProfile(all, L"C"), L"A");
    EXPECT_EQ(ChooseCycledProfile(all, L"Z"), L"A");
    EXPECT_EQ(ChooseCycledProfile(all, L""), L"A");
    // The active profile is compared with case.
    EXPECT_EQ(ChooseCycledProfile(all, L"b"), L"A");
    const auto listed = SplitProfileList(L"B,A");
    EXPECT_EQ(ChooseCycledProfile(listed, L"A"), L"B");
    EXPECT_EQ(ChooseCycledProfile(listed, L"B"), L"A");
    EXPECT_EQ(ChooseCycledProfile({L"Only"}, L"Only"), L"Only");
    EXPECT_EQ(ChooseCycledProfile({}, L"A"), L"");
}

TEST(CommandLine, ProfileListKeepsEmptyAndSpacedEntries) {
    EXPECT_TRUE(SplitProfileList(L"").empty());
    EXPECT_EQ(SplitProfileList(L"Movie Night, Games,"), (std::vector<std::wstring>{L"Movie Night", L" Games", L""}));
}

}  // namespace
