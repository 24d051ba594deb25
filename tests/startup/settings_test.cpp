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

namespace {

// The stored form of a value: "sz:" and the text, or "bin:" and the bytes in hex; "none" when
// missing.
std::wstring Stored(const std::wstring& name) {
    bool isText = false;
    const auto v = RegRead(kRoot, name, {}, &isText);
    if (!v) return L"none";
    if (isText) return L"sz:" + std::get<std::wstring>(*v);
    return L"bin:" + BytesToHex(std::get<Bytes>(*v));
}

}  // namespace

TEST_F(Settings, WritersStoreEachValueUnderItsNameAndTypeAndReadBack) {
    SetDefaultProfile(L"Movies");
    SetActiveProfile(L"Games");
    SetDefaultVolume(40);
    SetDefaultProfileNotify(false);
    SetDefaultVolumeNotify(true);
    SetWin10LegacyIcons(true);
    SetSliderWheelIncrement(3);
    SetUIFontSetting(UIFontSetting::Face, L"Liberation Sans");
    SetUIFontSetting(UIFontSetting::Size, L"11");
    SetProfilesLastSize(HexToBytes(L"3A98"), HexToBytes(L"189C"));
    SetLastOutput(HexToBytes(L"0000000006000000"));
    SetLastVolume(L"06", 40);
    SetLastBalance(L"06", 150);
    SetUpdatePending();
    EXPECT_EQ(Stored(L"DefaultProfile"), L"sz:Movies");
    EXPECT_EQ(Stored(L"ActiveProfile"), L"sz:Games");
    EXPECT_EQ(Stored(L"DefaultVolume"), L"sz:40");
    EXPECT_EQ(Stored(L"DefaultProfileNotify"), L"bin:00");
    EXPECT_EQ(Stored(L"DefaultVolumeNotify"), L"bin:01");
    EXPECT_EQ(Stored(L"Win10LegacyIcons"), L"bin:01");
    EXPECT_EQ(Stored(L"SliderWheelIncrement"), L"sz:3");
    EXPECT_EQ(Stored(L"UIFont"), L"sz:Liberation Sans");
    EXPECT_EQ(Stored(L"UIFontSize"), L"sz:11");
    EXPECT_EQ(Stored(L"Profiles,LastWidth"), L"bin:3A98");
    EXPECT_EQ(Stored(L"Profiles,LastHeight"), L"bin:189C");
    EXPECT_EQ(Stored(L"LastOutput"), L"bin:0000000006000000");
    EXPECT_EQ(Stored(L"LastVolume06"), L"bin:28");
    EXPECT_EQ(Stored(L"LastBalance06"), L"bin:96");
    EXPECT_EQ(Stored(L"UpdatePending"), L"bin:01");

    EXPECT_FALSE(GetDefaultProfileNotify());
    EXPECT_TRUE(GetDefaultVolumeNotify());
    EXPECT_EQ(GetSliderWheelIncrement(), 3);
    EXPECT_EQ(GetUIFontSetting(UIFontSetting::Face), L"Liberation Sans");
    EXPECT_EQ(GetUIFontSetting(UIFontSetting::Size), L"11");
    EXPECT_EQ(GetProfilesLastWidth(), HexToBytes(L"3A98"));
    EXPECT_EQ(GetProfilesLastHeight(), HexToBytes(L"189C"));
    EXPECT_EQ(GetLastOutput(), RegValue(HexToBytes(L"0000000006000000")));
    EXPECT_EQ(GetLastVolume(L"06"), 40);
    EXPECT_EQ(GetLastBalance(L"06"), 150);
    EXPECT_EQ(GetLastVolume(L"02"), std::nullopt);
    EXPECT_TRUE(GetUpdatePending());

    // Each remover deletes its own value and leaves the others.
    RemoveDefaultProfile();
    RemoveDefaultVolumeNotify();
    RemoveUIFontSetting(UIFontSetting::Size);
    RemoveUpdatePending();
    for (const wchar_t* gone : {L"DefaultProfile", L"DefaultVolumeNotify", L"UIFontSize", L"UpdatePending"})
        EXPECT_EQ(Stored(gone), L"none") << gone;
    EXPECT_EQ(Stored(L"DefaultVolume"), L"sz:40");
    EXPECT_EQ(Stored(L"DefaultProfileNotify"), L"bin:00");
    EXPECT_EQ(Stored(L"UIFont"), L"sz:Liberation Sans");
    RemoveDefaultVolume();
    RemoveDefaultProfileNotify();
    EXPECT_EQ(GetDefaultVolume(), -1);
    EXPECT_TRUE(GetDefaultProfileNotify());
}

TEST_F(Settings, ShortcutKeysAndStepsAreStoredPerAction) {
    for (int action = 0; action < 6; ++action)
        SetShortcutKey(action, Bytes{static_cast<std::uint8_t>(0x70 + action), 0x02});
    for (int action = 0; action < 6; ++action)
        EXPECT_EQ(Stored(L"Shortcut" + std::to_wstring(action)), L"bin:7" + std::to_wstring(action) + L"02");
    EXPECT_EQ(GetShortcutKey(4), HexToBytes(L"7402"));
    RemoveShortcutKey(4);
    EXPECT_EQ(GetShortcutKey(4), std::nullopt);
    EXPECT_EQ(GetShortcutKey(5), HexToBytes(L"7502"));

    const std::pair<int, const wchar_t*> steps[] = {{1, L"PlayBackMasterVolumeIncreaseStep"},
                                                    {2, L"PlayBackMasterVolumeDecreaseStep"},
                                                    {4, L"MicVolumeIncreaseStep"},
                                                    {5, L"MicVolumeDecreaseStep"}};
    for (const auto& [action, name] : steps) {
        EXPECT_EQ(GetShortcutStep(action), L"2") << name;
        SetShortcutStep(action, std::to_wstring(action) + L".5");
        EXPECT_EQ(Stored(name), L"sz:" + std::to_wstring(action) + L".5");
        EXPECT_EQ(GetShortcutStep(action), std::to_wstring(action) + L".5");
    }
    RemoveShortcutStep(2);
    EXPECT_EQ(Stored(L"PlayBackMasterVolumeDecreaseStep"), L"none");
    EXPECT_EQ(GetShortcutStep(2), L"2");
    EXPECT_EQ(GetShortcutStep(1), L"1.5");
}

TEST_F(Settings, ValuesOfTheWrongTypeReadAsMissing) {
    RegWrite(kRoot, L"HID", Bytes{0x13, 0xF6});
    RegWrite(kRoot, L"SliderWheelIncrement", Bytes{0x05});
    RegWrite(kRoot, L"UIFont", Bytes{0x41});
    RegWrite(kRoot, L"Shortcut1", std::wstring(L"7402"));
    RegWrite(kRoot, L"MicVolumeIncreaseStep", Bytes{0x05});
    RegWrite(kRoot, L"Profiles,LastWidth", std::wstring(L"3A98"));
    RegWrite(kRoot, L"LastVolume06", std::wstring(L"40"));
    RegWrite(kRoot, L"LastBalance06", Bytes{});
    EXPECT_EQ(GetCardHID(), L"");
    EXPECT_EQ(GetSliderWheelIncrement(), 1);
    EXPECT_EQ(GetUIFontSetting(UIFontSetting::Face), std::nullopt);
    EXPECT_EQ(GetShortcutKey(1), std::nullopt);
    EXPECT_EQ(GetShortcutStep(4), L"2");
    EXPECT_EQ(GetProfilesLastWidth(), std::nullopt);
    EXPECT_EQ(GetLastVolume(L"06"), std::nullopt);
    EXPECT_EQ(GetLastBalance(L"06"), std::nullopt);
    // The last output keeps a text value as text: its reader compares it as such.
    RegWrite(kRoot, L"LastOutput", std::wstring(L"00"));
    EXPECT_EQ(GetLastOutput(), RegValue(std::wstring(L"00")));

    RegWrite(kRoot, L"HID", std::wstring(L"VEN_13F6&DEV_8788"));
    RegWrite(kRoot, L"SliderWheelIncrement", std::wstring(L"2.5"));
    EXPECT_EQ(GetCardHID(), L"VEN_13F6&DEV_8788");
    EXPECT_EQ(GetSliderWheelIncrement(), 2);
}

TEST_F(Settings, UpdateFlagsAreSetOnlyByOneSingleByteOne) {
    EXPECT_FALSE(GetUpdatePending());
    EXPECT_FALSE(GetUpdateSuccessful());
    for (const RegValue& other :
         {RegValue(Bytes{0x01, 0x00}), RegValue(Bytes{0x02}), RegValue(Bytes{}), RegValue(std::wstring(L"1"))}) {
        RegWrite(kRoot, L"UpdatePending", other);
        RegWrite(kRoot, L"UpdateSuccessful", other);
        EXPECT_FALSE(GetUpdatePending());
        EXPECT_FALSE(GetUpdateSuccessful());
    }
    RegWrite(kRoot, L"UpdateSuccessful", Bytes{0x01});
    EXPECT_TRUE(GetUpdateSuccessful());
    RemoveUpdateSuccessful();
    EXPECT_EQ(Stored(L"UpdateSuccessful"), L"none");
}
