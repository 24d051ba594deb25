#include "startup/settings.h"

#include <gtest/gtest.h>

#include "startup/globals.h"
#include "base/registry.h"
#include "tests/common/settings_root.h"

using namespace kal;

namespace {

const std::wstring kRoot = L"HKEY_CURRENT_USER\\Software\\KalvenorTests\\Startup\\Settings";

class Settings : public ::testing::Test {
protected:
    kal::testing::TestSettingsRoot root_{kRoot};
};

}  // namespace

TEST_F(Settings, DefaultsWithoutSettingsKey) {
    EXPECT_EQ(GetDefaultProfile(), L"");
    EXPECT_EQ(GetDefaultVolume(), -1);
    EXPECT_TRUE(GetDefaultProfileNotify());
    EXPECT_TRUE(GetDefaultVolumeNotify());
    EXPECT_FALSE(GetWin10LegacyIcons());
    EXPECT_EQ(GetActiveProfile(), L"");
    std::wstring file = L"x";
    bool overlay = true;
    GetProfileCustomIcon(L"Music", file, overlay);
    EXPECT_EQ(file, L"");
    EXPECT_FALSE(overlay);
    EXPECT_EQ(FindProfileKey(L"Music"), L"");
}

TEST_F(Settings, StoredValues) {
    RegWrite(kRoot, L"DefaultProfile", std::wstring(L"Movies"));
    RegWrite(kRoot, L"ActiveProfile", std::wstring(L"Games"));
    RegWrite(kRoot, L"DefaultVolume", std::wstring(L"75"));
    RegWrite(kRoot, L"Win10LegacyIcons", Bytes{0x01, 0x00});
    EXPECT_EQ(GetDefaultProfile(), L"Movies");
    EXPECT_EQ(GetActiveProfile(), L"Games");
    EXPECT_EQ(GetDefaultVolume(), 75);
    EXPECT_TRUE(GetWin10LegacyIcons());
}

TEST_F(Settings, VolumeThatIsNoNumber) {
    RegWrite(kRoot, L"DefaultVolume", std::wstring(L"loud"));
    EXPECT_EQ(GetDefaultVolume(), -1);
    RegWrite(kRoot, L"DefaultVolume", Bytes{0x4B});
    EXPECT_EQ(GetDefaultVolume(), -1);
    RegWrite(kRoot, L"DefaultVolume", std::wstring(L"70000"));
    EXPECT_EQ(GetDefaultVolume(), -1);
}

TEST_F(Settings, VolumeOutsidePercentRange) {
    RegWrite(kRoot, L"DefaultVolume", std::wstring(L"250"));
    EXPECT_EQ(GetDefaultVolume(), 100);
    RegWrite(kRoot, L"DefaultVolume", std::wstring(L"100"));
    EXPECT_EQ(GetDefaultVolume(), 100);
    RegWrite(kRoot, L"DefaultVolume", std::wstring(L"0"));
    EXPECT_EQ(GetDefaultVolume(), 0);
    RegWrite(kRoot, L"DefaultVolume", std::wstring(L"-1"));
    EXPECT_EQ(GetDefaultVolume(), -1);
    RegWrite(kRoot, L"DefaultVolume", std::wstring(L"-30"));
    EXPECT_EQ(GetDefaultVolume(), -1);
}

TEST_F(Settings, NotifyFlagsReadTheFirstByte) {
    RegWrite(kRoot, L"DefaultProfileNotify", Bytes{0x02});
    RegWrite(kRoot, L"DefaultVolumeNotify", Bytes{});
    EXPECT_FALSE(GetDefaultProfileNotify());
    EXPECT_TRUE(GetDefaultVolumeNotify());  // empty value: the default
    RegWrite(kRoot, L"DefaultProfileNotify", Bytes{0x01, 0x05});
    RegWrite(kRoot, L"DefaultVolumeNotify", Bytes{0x00});
    EXPECT_TRUE(GetDefaultProfileNotify());
    EXPECT_FALSE(GetDefaultVolumeNotify());
    RegWrite(kRoot, L"Win10LegacyIcons", Bytes{});
    EXPECT_FALSE(GetWin10LegacyIcons());
    // A flag stored as text has no first byte: it reads as its default.
    RegWrite(kRoot, L"DefaultProfileNotify", std::wstring(L"0"));
    RegWrite(kRoot, L"DefaultVolumeNotify", std::wstring(L""));
    RegWrite(kRoot, L"Win10LegacyIcons", std::wstring(L"1"));
    EXPECT_TRUE(GetDefaultProfileNotify());
    EXPECT_TRUE(GetDefaultVolumeNotify());
    EXPECT_FALSE(GetWin10LegacyIcons());
}

TEST_F(Settings, CustomIconOfAProfile) {
    RegWrite(kRoot + L"\\Profiles\\Music", L"CustomIcon", std::wstring(L"C:\\i\\note.ico|1"));
    std::wstring file;
    bool overlay = false;
    GetProfileCustomIcon(L"Music", file, overlay);
    EXPECT_EQ(file, L"C:\\i\\note.ico");
    EXPECT_TRUE(overlay);
    GetProfileCustomIcon(L"Other", file, overlay);
    EXPECT_EQ(file, L"");
    EXPECT_FALSE(overlay);
}

TEST_F(Settings, FindProfileKeyIgnoresCase) {
    RegWrite(kRoot + L"\\Profiles\\Home Cinema", L"SpeakerConfig", Bytes{0x06});
    RegWrite(kRoot + L"\\Profiles\\Music", L"SpeakerConfig", Bytes{0x02});
    EXPECT_EQ(FindProfileKey(L"home cinema"), L"Home Cinema");
    EXPECT_EQ(FindProfileKey(L"MUSIC"), L"Music");
    EXPECT_EQ(FindProfileKey(L"Home"), L"");
    EXPECT_EQ(FindProfileKey(L""), L"");
}
