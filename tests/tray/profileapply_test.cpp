// Applying a whole profile: the values reach the card inside a mute of the master output, and
// what is recorded afterwards.
#include "tests/tray/tray_fixture.h"

#include <algorithm>

#include "device/mixervalues.h"
#include "device/transport.h"
#include "device/validation.h"

using namespace kal;
using namespace kal::testing;

namespace {

// The master output's mute state at the moment of each driver write, seen from the driver.
std::vector<bool>* gMutedAtWrites = nullptr;
decltype(Platform::KsProperty) gSimKsProperty = nullptr;
decltype(Platform::OpenDeviceInterface) gSimOpen = nullptr;
decltype(Platform::CloseDeviceInterface) gSimClose = nullptr;
int gOpens = 0, gCloses = 0;

DWORD RecordingKsProperty(HANDLE device, void* property, DWORD propertySize, void* data, DWORD dataSize,
                          DWORD* returned) {
    const auto* header = static_cast<const std::uint8_t*>(property);
    if (gMutedAtWrites && propertySize >= 24 && header[20] == 2)
        gMutedAtWrites->push_back(sim::SimMute(sim::FindSimEndpoint(L"speakers")));
    return gSimKsProperty(device, property, propertySize, data, dataSize, returned);
}

class ProfileApply : public TrayFixture {
protected:
    void SetUp() override {
        TrayFixture::SetUp();
        gSimKsProperty = gPlatform.KsProperty;
        gPlatform.KsProperty = RecordingKsProperty;
        gSimOpen = gPlatform.OpenDeviceInterface;
        gSimClose = gPlatform.CloseDeviceInterface;
        gPlatform.OpenDeviceInterface = [](const wchar_t* path) {
            ++gOpens;
            return gSimOpen(path);
        };
        gPlatform.CloseDeviceInterface = [](HANDLE device) {
            ++gCloses;
            gSimClose(device);
        };
        gMutedAtWrites = &mutedAtWrites_;
        sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"04000000"));
        sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"00"));
        Store(L"Music", L"SpeakerConfig", L"01000000");
        Store(L"Music", L"EqEnable", L"01");
    }
    void TearDown() override {
        gMutedAtWrites = nullptr;
        TrayFixture::TearDown();
    }

    frmKalvenor& Ready() {
        frmKalvenor& form = Load(L"");
        sim::ClearSimRequestLog();
        mutedAtWrites_.clear();
        balloons_.clear();
        return form;
    }

    std::vector<bool> mutedAtWrites_;
};

TEST_F(ProfileApply, WritesHappenWhileTheMasterIsMutedAndTheMuteIsRestored) {
    frmKalvenor& form = Ready();
    ASSERT_FALSE(MasterMuted());
    EXPECT_TRUE(form.SetXonarValues(L"Music", false, false));
    ASSERT_EQ(mutedAtWrites_.size(), 2u);
    for (bool muted : mutedAtWrites_) EXPECT_TRUE(muted);
    EXPECT_FALSE(MasterMuted());
    EXPECT_EQ(sim::SimLiveValue(L"SpeakerConfig"), HexToBytes(L"01000000"));
    EXPECT_EQ(sim::SimLiveValue(L"EqEnable"), HexToBytes(L"01"));
}

TEST_F(ProfileApply, ASwitchOpensTheCardOnceAndClosesItAfter) {
    frmKalvenor& form = Ready();
    gOpens = gCloses = 0;
    EXPECT_TRUE(form.SetXonarValues(L"Music", false, false));
    EXPECT_EQ(sim::SimLiveValue(L"SpeakerConfig"), HexToBytes(L"01000000"));
    EXPECT_EQ(gOpens, 1);
    EXPECT_EQ(gCloses, 1);
    // Outside a switch a request opens and closes the card on its own.
    DriverQuery38();
    EXPECT_EQ(gOpens, 2);
    EXPECT_EQ(gCloses, 2);
}

TEST_F(ProfileApply, AMutedMasterStaysMuted) {
    frmKalvenor& form = Ready();
    sim::SetSimMute(Endpoint(L"speakers"), true);
    form.SetXonarValues(L"Music", false, false);
    EXPECT_EQ(mutedAtWrites_.size(), 2u);
    EXPECT_TRUE(MasterMuted());
}

TEST_F(ProfileApply, ActiveProfileTakesTheKeysSpellingAndTheMenuItsCheck) {
    sim::SetSimLiveValue(L"PanelConfig", HexToBytes(L"01000000"));
    frmKalvenor& form = Ready();
    form.SetXonarValues(L"MUSIC", false, false);
    EXPECT_EQ(ActiveProfile(), L"Music");
    EXPECT_EQ(form.ProfileMenuCaptions(), std::vector<std::wstring>{L"Music"});
    EXPECT_TRUE(form.ProfileItemChecked(0));
    // The output's volume memory was saved for the output active before the switch: the panel
    // and the four speakers.
    EXPECT_EQ(BytesToHex(RegReadBytes(gRegRoot, L"LastOutput").value_or(Bytes{})), L"0100000004000000");
    EXPECT_TRUE(RegReadBytes(gRegRoot, L"LastVolume14").has_value());
}

TEST_F(ProfileApply, TemporaryApplicationRecordsNothing) {
    frmKalvenor& form = Ready();
    form.SetXonarValues(L"Music", true, false);
    EXPECT_EQ(sim::SimLiveValue(L"EqEnable"), HexToBytes(L"01"));
    EXPECT_EQ(ActiveProfile(), L"<none>");
    EXPECT_FALSE(RegReadText(gRegRoot, L"LastOutput").has_value() || RegReadBytes(gRegRoot, L"LastOutput").has_value());
    EXPECT_FALSE(form.ProfileItemChecked(0));
}

TEST_F(ProfileApply, ProfileWithoutValuesChangesNothing) {
    frmKalvenor& form = Ready();
    ASSERT_TRUE(RegWrite(Profile(L"Empty"), L"", Bytes{}));
    RegDeleteValue(Profile(L"Empty"), L"");
    EXPECT_FALSE(form.SetXonarValues(L"Empty", false, false));
    EXPECT_FALSE(form.SetXonarValues(L"Missing", false, false));
    EXPECT_TRUE(sim::SimRequestLog().empty());
    EXPECT_EQ(ActiveProfile(), L"<none>");
}

TEST_F(ProfileApply, ShortcutOnlyProfileSendsNothingButBecomesActive) {
    frmKalvenor& form = Ready();
    Store(L"Keys", L"Shortcut", L"3106");
    EXPECT_TRUE(form.SetXonarValues(L"Keys", false, false));
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(ActiveProfile(), L"Keys");
}

TEST_F(ProfileApply, ValuesEqualToTheCardAreNotSentAgain) {
    frmKalvenor& form = Ready();
    form.SetXonarValues(L"Music", false, false);
    sim::ClearSimRequestLog();
    mutedAtWrites_.clear();
    form.SetXonarValues(L"Music", false, false);
    EXPECT_TRUE(Writes().empty());
    EXPECT_FALSE(MasterMuted());
}

TEST_F(ProfileApply, SkippingTheMasterVolumeKeepsTheLiveVolume) {
    frmKalvenor& form = Ready();
    SetVolumeBalance(70 * kCurrencyScale, 0, 0, 0);
    Store(L"Music", L"_mixer00000", L"14");
    Store(L"Music", L"_mixer00010", L"14");
    form.SetXonarValues(L"Music", false, true);
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    EXPECT_EQ(volume, 70 * kCurrencyScale);
    form.SetXonarValues(L"Music", false, false);
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    EXPECT_EQ(volume, 20 * kCurrencyScale);
}

}  // namespace

namespace {

// One damaged value of each kind, beside well-formed ones.
void StoreDamagedProfile(const std::wstring& profile) {
    const std::wstring key = gRegProfiles + L"\\" + profile;
    RegWrite(key, L"EqEnable", HexToBytes(L"01"));               // well-formed
    RegWrite(key, L"SpeakerConfig", HexToBytes(L"01000000"));    // well-formed
    RegWrite(key, L"OutputFormat", HexToBytes(L"FFFFFFFF"));     // no such rate
    RegWrite(key, L"SmartVolumeParams", HexToBytes(L"FFFFFFFF"));
    RegWrite(key, L"WaveOutVolL", HexToBytes(L"FFFFFFFF"));
    RegWrite(key, L"DHEnable", HexToBytes(L"FF000000"));
    RegWrite(key, L"SpDigitalOut", HexToBytes(L"FF000000"));
    RegWrite(key, L"PanelConfig", HexToBytes(L"FF000000"));
    RegWrite(key, L"SpeakerSize", HexToBytes(L"FF000000"));
    RegWrite(key, L"DVSEnable", std::wstring(L"1"));             // text where bytes belong
    RegWrite(key, L"EqGain", Bytes(70000, 0x11));                // far too long
    RegWrite(key, L"EnableXear3D", Bytes{});                     // empty
    RegWrite(key, L"BassManagement", HexToBytes(L"01"));         // too short
    RegWrite(key, L"VSpeakerPos", Bytes(127, 0));
    RegWrite(key, L"Pl2xParam", HexToBytes(L"0100"));
}

}  // namespace

TEST_F(ProfileApply, DamagedValuesNeverReachTheCardAndTheRestIsApplied) {
    StoreDamagedProfile(L"Damaged");
    frmKalvenor& form = Ready();
    const Bytes speakerSize = sim::SimLiveValue(L"SpeakerSize").value_or(Bytes{});
    EXPECT_TRUE(form.SetXonarValues(L"Damaged", false, false));
    // Only the two well-formed values were sent: the output block and the equalizer switch.
    std::vector<std::wstring> ids;
    for (const auto& w : Writes()) ids.push_back(w.substr(0, w.find(L':')));
    std::sort(ids.begin(), ids.end());  // in the order the registry lists the values
    EXPECT_EQ(ids, (std::vector<std::wstring>{L"4", L"9"}));
    EXPECT_EQ(sim::SimLiveValue(L"SpeakerConfig"), HexToBytes(L"01000000"));
    EXPECT_EQ(sim::SimLiveValue(L"EqEnable"), HexToBytes(L"01"));
    EXPECT_EQ(sim::SimLiveValue(L"SpeakerSize").value_or(Bytes{}), speakerSize);
    // The damaged values count as absent: the card now matches the profile, and applying it
    // again sends nothing.
    EXPECT_EQ(ActiveProfile(), L"Damaged");
    EXPECT_TRUE(ValidateActiveProfile(false));
    sim::ClearSimRequestLog();
    EXPECT_TRUE(form.SetXonarValues(L"Damaged", false, false));
    EXPECT_TRUE(Writes().empty());
}
