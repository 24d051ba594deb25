// Profile values against the simulated card: reading stored and live values, applying a profile
// value by value (what reaches the driver's request log), validation of the active profile and
// the per-output volume memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <windows.h>
#include <mmsystem.h>
#include <sddl.h>

#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/portable/texts_values.h"
#include "device/validation.h"
#include "device/volumememory.h"
#include "profilevalues_fixture.h"
#include "base/raii.h"

namespace kal {
namespace {

using testing::SimEndpoint;

const std::wstring kAec40 = L"000000000000000001000000000000000000A0400000004200002040000080420F00000400000000";

class ProfileValues : public testing::ValuesFixture {
protected:
    // Every value the editor writes, each different from a fresh card's, for the present card.
    void StoreFullProfile(const std::wstring& p) {
        Store(p, L"SpeakerConfig", L"07000000");
        Store(p, L"PanelConfig", L"01000000");
        Store(p, L"SpDigitalOut", L"10000000");
        Store(p, L"DVSEnable", L"01000000");
        Store(p, L"DVSMode", L"06000000");
        Store(p, L"DHEnable", L"01000000");
        Store(p, L"DHRoom", L"02000000");
        Store(p, L"EnableXear3D", L"01000000");
        Store(p, L"VSpeakerPos", HexToBytes(kVssPositionalLayout));
        Store(p, L"Pl2xParam", L"0100000002000000070000010300000000000000");
        Store(p, L"EqEnable", L"01");
        Store(p, L"EqGain", HexToBytes(gEqPresetGains[5]));
        Store(p, L"BassManagement", L"01000000");
        Store(p, L"BassCornerFrequency", L"50000000");
        Store(p, L"SpeakerSize", L"05000000");
        Store(p, L"SmartVolumeParams", L"01000000");
        Store(p, L"OutputFormat", L"80BB0000");
        Store(p, L"Dual2D", L"00000000");
        Store(p, L"HeadphoneLRXchg", L"01000000");
        Store(p, L"CenterBassXchg", L"01000000");
        Store(p, L"SideRearXchg", L"01000000");
        const wchar_t* gains[] = {L"0000FAFF", L"0000FBFF", L"0000FCFF", L"0000FDFF",
                                  L"0000FEFF", L"0000FFFF", L"00000100", L"00000200"};
        for (std::size_t i = 0; i < 8; ++i) Store(p, std::wstring(gChannelVolumeValues[i]), gains[i]);
        if (gCardCaps->DTS) Store(p, L"NeoParam", L"01000000020000002449123F05000000");
        if (gCardCaps->AEC) Store(p, L"AEC", HexToBytes(kAec40));
        if (gCardCaps->HPAmp) Store(p, L"HpImpedanceModeFront", L"02000000");
        Store(p, L"SystemSpeakers", L"08");
        Store(p, L"_mixer00000", L"3C");
        Store(p, L"_mixer00010", L"32");
        Store(p, L"_mixerInputLineSel", L"01");
        Store(p, L"_mixerBitDepth", L"18");
        Store(p, L"_mixerSampleRate", L"80BB0000");
        Store(p, L"_mixer10100", L"28");
        Store(p, L"_mixer10110", L"1E");
        Store(p, L"_mixer10001", L"01");
        Store(p, L"Shortcut", L"7102");
        RegWrite(Profile(p), L"CustomIcon", std::wstring(L"C:\\icons\\movie.ico|1"));
    }

    void ExpectLiveEqualsStored(const std::wstring& p) {
        for (const auto& name : RegEnumValues(Profile(p))) {
            if (name == L"Shortcut" || name == L"CustomIcon") continue;
            EXPECT_EQ(Live(name), Stored(p, name)) << "value " << std::string(name.begin(), name.end());
        }
    }

    void FullProfileRoundTrip(const wchar_t* card) {
        UseCard(card);
        StoreFullProfile(L"Full");
        ApplyWhole(L"Full");
        ExpectLiveEqualsStored(L"Full");

        // Each setting went once; partners travelled inside their main value's packet.
        auto counts = WriteCounts();
        EXPECT_EQ(counts[DrvPropDolbyVirtualSpeaker], 1);
        EXPECT_EQ(counts[DrvPropDolbyHeadphone], 1);
        EXPECT_EQ(counts[DrvPropSpeakers], 9);           // eight speaker sizes, FlexBass once
        EXPECT_EQ(counts[DrvPropEq], 11);                // on/off, ten bands
        EXPECT_EQ(counts[DrvPropVss], 9);                // on/off, eight speakers
        EXPECT_EQ(counts[DrvPropChannelGains], 8);
        EXPECT_EQ(counts[DrvPropOutputBlock], 2);        // speaker configuration, centre/bass exchange
        EXPECT_EQ(counts[DrvPropAnalogFlags], 3);
        EXPECT_EQ(counts[DrvPropPanelConfig], 1);
        EXPECT_EQ(counts[DrvPropHpAmpGain], gCardCaps->HPAmp ? 1 : 0);
        EXPECT_EQ(counts[DrvPropNeo], gCardCaps->DTS ? 1 : 0);
        EXPECT_EQ(counts[DrvPropAEC], gCardCaps->AEC ? 1 : 0);

        // A second application finds nothing to change: nothing reaches the driver or Windows.
        sim::ClearSimRequestLog();
        gLastSelfChange = 0;
        ApplyWhole(L"Full");
        EXPECT_TRUE(sim::SimRequestLog().empty()) << sim::SimRequestLog().size() << " requests";
        EXPECT_EQ(gLastSelfChange.load(), 0u);
    }
};

TEST_F(ProfileValues, StoredValuesFallBackToTheDefaultsAndTheLiveStateToTheDriverKey) {
    Store(L"P", L"SpeakerConfig", L"06000000");
    RegWrite(Profile(L"P"), L"CustomIcon", std::wstring(L"ab"));
    EXPECT_EQ(Stored(L"P", L"SpeakerConfig"), L"06000000");
    EXPECT_EQ(Stored(L"P", L"DVSMode"), L"05000000");        // the default
    EXPECT_EQ(Stored(L"P", L"NoSuchValue"), L"00");          // no default: one zero byte
    EXPECT_EQ(Stored(L"P", L"CustomIcon"), L"61006200");     // text as its UTF-16 bytes
    EXPECT_EQ(Stored(L"Missing profile", L"BassCornerFrequency"), L"78000000");
    EXPECT_TRUE(ProfileValueExists(L"P", L"CustomIcon"));
    EXPECT_FALSE(ProfileValueExists(L"P", L"DVSMode"));
    EXPECT_FALSE(ProfileValueExists(L"", L"SpeakerConfig"));

    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"03000000"));
    EXPECT_EQ(Live(L"SpeakerConfig"), L"03000000");
    EXPECT_EQ(Live(L"DHRoom"), L"01000000");
    EXPECT_EQ(Live(L"NoSuchValue"), L"00");

    // Windows' speaker channels as one byte; a profile's own byte, or 00.
    gAudio->SetSpeakers(gPlaybackLineIds[0], 6);
    EXPECT_EQ(Live(L"SystemSpeakers"), L"06");
    EXPECT_EQ(Stored(L"P", L"SystemSpeakers"), L"00");

    // A mixer value the profile lacks reads as live.
    sim::SetSimChannelLevel(SimEndpoint(L"speakers"), 1, 0.25f);
    EXPECT_EQ(Live(L"_mixer00010"), L"19");
    EXPECT_EQ(Stored(L"P", L"_mixer00010"), L"19");
    Store(L"P", L"_mixer00010", L"50");
    EXPECT_EQ(Stored(L"P", L"_mixer00010"), L"50");
}

TEST_F(ProfileValues, FullProfileOnADolbyCardWithAec) { FullProfileRoundTrip(testing::kValuesDX); }
TEST_F(ProfileValues, FullProfileOnADtsCard) { FullProfileRoundTrip(testing::kValuesD2); }
TEST_F(ProfileValues, FullProfileOnACardWithAHeadphoneAmplifier) { FullProfileRoundTrip(testing::kValuesSTX); }

TEST_F(ProfileValues, AMissingValueLeavesTheSettingAsItWas) {
    sim::SetSimLiveValue(L"DVSEnable", HexToBytes(L"01000000"));
    sim::SetSimLiveValue(L"EqEnable", HexToBytes(L"01"));
    sim::SetSimChannelLevel(SimEndpoint(L"speakers"), 0, 0.7f);
    Store(L"Only", L"SpeakerConfig", L"06000000");
    ApplyWhole(L"Only");
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"4:010000000600000000000000"}));
    EXPECT_EQ(Live(L"DVSEnable"), L"01000000");
    EXPECT_EQ(Live(L"EqEnable"), L"01");
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(SimEndpoint(L"speakers"), 0), 0.7f);

    // A profile without values changes nothing at all.
    sim::ClearSimRequestLog();
    ApplyWhole(L"Nothing");
    ApplyProfileValue(L"Only", L"", L"", false);
    EXPECT_TRUE(sim::SimRequestLog().empty());
}

TEST_F(ProfileValues, PartnersTravelWithTheirMainValue) {
    // Only the mode differs: the pair is sent again.
    sim::SetSimLiveValue(L"DVSEnable", HexToBytes(L"01000000"));
    Store(L"P", L"DVSEnable", L"01000000");
    Store(L"P", L"DVSMode", L"06000000");
    ApplyProfileValue(L"P", L"DVSEnable", L"DVSMode", false);
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"31:0100000006000000"}));
    // The partner alone sends nothing; both equal sends nothing.
    sim::ClearSimRequestLog();
    ApplyProfileValue(L"P", L"DVSMode", L"", false);
    ApplyProfileValue(L"P", L"DVSEnable", L"DVSMode", false);
    EXPECT_TRUE(Writes().empty());

    // A missing partner is sent as 255 (keep) and never counts as a difference.
    Store(L"Q", L"DHEnable", L"01000000");
    sim::SetSimLiveValue(L"DHRoom", HexToBytes(L"03000000"));
    ApplyProfileValue(L"Q", L"DHEnable", L"DHRoom", false);
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"30:01000000FF000000"}));
    EXPECT_EQ(Live(L"DHRoom"), L"03000000");
    sim::ClearSimRequestLog();
    ApplyProfileValue(L"Q", L"DHEnable", L"DHRoom", false);
    EXPECT_TRUE(Writes().empty());

    // FlexBass with its corner frequency.
    Store(L"Q", L"BassManagement", L"01000000");
    Store(L"Q", L"BassCornerFrequency", L"50000000");
    ApplyProfileValue(L"Q", L"BassManagement", L"BassCornerFrequency", false);
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"36:08000000000000000100000050000000"}));
}

TEST_F(ProfileValues, PanelAndHeadphoneGainOnACardWithTheAmplifier) {
    UseCard(testing::kValuesSTX);
    // The gain of the stored panel is compared: the rear one here.
    Store(L"HP", L"PanelConfig", L"00000000");
    Store(L"HP", L"HpImpedanceModeRear", L"01000000");
    Store(L"HP", L"HpImpedanceModeFront", L"02000000");
    ApplyProfileValue(L"HP", L"PanelConfig", L"HpImpedanceMode", false);
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"49:00", L"118:01000000"}));
    EXPECT_EQ(Live(L"HpImpedanceModeRear"), L"01000000");
    EXPECT_EQ(Live(L"HpImpedanceModeFront"), L"00000000");
    sim::ClearSimRequestLog();
    ApplyProfileValue(L"HP", L"PanelConfig", L"HpImpedanceMode", false);
    EXPECT_TRUE(Writes().empty());

    // Front panel: its own gain goes with it.
    Store(L"HP", L"PanelConfig", L"01000000");
    ApplyProfileValue(L"HP", L"PanelConfig", L"HpImpedanceMode", false);
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"49:01", L"118:02000000"}));

    // Without a stored gain the panel alone is sent.
    sim::ClearSimRequestLog();
    Store(L"Panel", L"PanelConfig", L"00000000");
    ApplyProfileValue(L"Panel", L"PanelConfig", L"HpImpedanceMode", false);
    EXPECT_EQ(Writes(), (std::vector<std::wstring>{L"49:00"}));
}

TEST_F(ProfileValues, SystemSpeakersZeroLeavesWindowsAlone) {
    gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    Store(L"S", L"SystemSpeakers", L"00");
    ApplyProfileValue(L"S", L"SystemSpeakers", L"", false);
    EXPECT_EQ(Live(L"SystemSpeakers"), L"02");
    Store(L"S", L"SystemSpeakers", L"06");
    gLastSelfChange = ::timeGetTime() - 5000;
    ApplyProfileValue(L"S", L"SystemSpeakers", L"", false);
    EXPECT_EQ(Live(L"SystemSpeakers"), L"06");
    EXPECT_TRUE(IsSelfChange());
    EXPECT_TRUE(sim::SimRequestLog().empty());  // not a driver setting
}

TEST_F(ProfileValues, MasterVolumeFromTheProfileTheMemoryOrNotAtAll) {
    const int speakers = SimEndpoint(L"speakers");
    sim::SetSimChannelLevel(speakers, 0, 0.5f);
    sim::SetSimChannelLevel(speakers, 1, 0.5f);
    Store(L"V", L"_mixer00000", L"3C");
    Store(L"V", L"_mixer00010", L"3C");
    ApplyProfileValue(L"V", L"_mixer00000", L"", true);  // skipped on request
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(speakers, 0), 0.5f);
    ApplyProfileValue(L"V", L"_mixer00000", L"", false);
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(speakers, 0), 0.6f);

    // Kept on its own output when that output's volume was saved last; LastOutput compares the
    // stored forms of both values.
    Store(L"V", L"NoVolChangeOnSameOut", L"01");
    Store(L"V", L"PanelConfig", L"00000000");
    Store(L"V", L"SpeakerConfig", L"06000000");
    RegWrite(gRegRoot, L"LastOutput", HexToBytes(L"0000000006000000"));
    ApplyProfileValue(L"V", L"_mixer00010", L"", false);
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(speakers, 1), 0.5f);
    RegWrite(gRegRoot, L"LastOutput", HexToBytes(L"0006000000"));
    ApplyProfileValue(L"V", L"_mixer00010", L"", false);
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(speakers, 1), 0.6f);

    // 255: the volume remembered for the profile's output, even with the flag.
    RegWrite(gRegRoot, L"LastOutput", HexToBytes(L"0000000006000000"));
    Store(L"V", L"_mixer00000", L"FF");
    Store(L"V", L"_mixer00010", L"FF");
    ApplyWhole(L"V");  // nothing remembered: unchanged
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(speakers, 0), 0.6f);
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(speakers, 1), 0.6f);
    RegWrite(gRegRoot, L"LastVolume06", Bytes{40});
    RegWrite(gRegRoot, L"LastBalance06", Bytes{150});
    ApplyWhole(L"V");
    EXPECT_NEAR(sim::SimChannelLevel(speakers, 0), 0.2f, 1e-6f);
    EXPECT_NEAR(sim::SimChannelLevel(speakers, 1), 0.4f, 1e-6f);
    // Unless the caller skips the master volume.
    sim::SetSimChannelLevel(speakers, 0, 0.9f);
    ApplyWhole(L"V", true);
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(speakers, 0), 0.9f);
}

TEST_F(ProfileValues, ValidationFollowsTheCardAfterApplying) {
    EXPECT_FALSE(ValidateActiveProfile(false));  // no active profile
    StoreFullProfile(L"Full");
    RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"Full"));
    EXPECT_FALSE(ValidateActiveProfile(false));
    ApplyWhole(L"Full");
    EXPECT_TRUE(ValidateActiveProfile(false));

    // The master volume changed elsewhere: only a check that skips the volume still holds.
    const int speakers = SimEndpoint(L"speakers");
    sim::SetSimChannelLevel(speakers, 0, 0.61f);
    EXPECT_FALSE(ValidateActiveProfile(false));
    EXPECT_TRUE(ValidateActiveProfile(true));
    Store(L"Full", L"VolIgnoreForValidation", L"01");
    EXPECT_TRUE(ValidateActiveProfile(false));

    // The card changed behind the program's back.
    sim::SetSimLiveValue(L"DHRoom", HexToBytes(L"03000000"));
    EXPECT_FALSE(ValidateActiveProfile(true));
    ApplyWhole(L"Full");
    EXPECT_TRUE(ValidateActiveProfile(true));
    gAudio->SetSpeakers(gPlaybackLineIds[0], 2);
    EXPECT_FALSE(ValidateActiveProfile(true));
    Store(L"Full", L"SystemSpeakers", L"00");
    EXPECT_TRUE(ValidateActiveProfile(true));

    // The driver reports the other form of a built-in layout, and NEO's parameters kept.
    Store(L"Full", L"VSpeakerPos", HexToBytes(kVssPositionalLayoutAlt));
    EXPECT_TRUE(ValidateActiveProfile(true));
    Store(L"Full", L"VSpeakerPos", HexToBytes(kVssDefaultLayout));
    EXPECT_FALSE(ValidateActiveProfile(true));
}

// Inside a scope each question is answered once per active profile; the answers go with it.
TEST_F(ProfileValues, ValidationScopeAnswersOncePerProfile) {
    StoreFullProfile(L"Full");
    Store(L"Other", L"SpeakerConfig", L"01000000");
    RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"Full"));
    ApplyWhole(L"Full");
    {
        ValidationScope outer;
        EXPECT_TRUE(ValidateActiveProfile(false));
        sim::SetSimLiveValue(L"DHRoom", HexToBytes(L"03000000"));
        {
            ValidationScope inner;  // nested: the outer one's answers still count
        }
        EXPECT_TRUE(ValidateActiveProfile(false));
        EXPECT_FALSE(ValidateActiveProfile(true));  // asked for the first time
        RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"Other"));
        EXPECT_FALSE(ValidateActiveProfile(false));
        RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"Full"));
    }
    EXPECT_FALSE(ValidateActiveProfile(false));
    ApplyWhole(L"Full");
    EXPECT_TRUE(ValidateActiveProfile(false));
}

TEST_F(ProfileValues, ValidationOfProfilesWithoutComparableValues) {
    RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"Keys"));
    Store(L"Keys", L"Shortcut", L"7102");
    RegWrite(Profile(L"Keys"), L"CustomIcon", std::wstring(L"x.ico"));
    EXPECT_TRUE(ValidateActiveProfile(false));
    RegDeleteTree(gRegProfiles, L"Keys");
    EXPECT_FALSE(ValidateActiveProfile(false));
    RegWrite(Profile(L"Keys"), L"", Bytes{});  // a key that exists
    RegDeleteValue(Profile(L"Keys"), L"");
    EXPECT_FALSE(ValidateActiveProfile(false));
}

TEST_F(ProfileValues, VolumeMemoryPerOutput) {
    const int speakers = SimEndpoint(L"speakers");
    sim::SetSimLiveValue(L"PanelConfig", HexToBytes(L"00000000"));
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"06000000"));
    sim::SetSimChannelLevel(speakers, 0, 0.4f);
    sim::SetSimChannelLevel(speakers, 1, 0.3f);  // balance -0.25
    Currency volume = 7, balance = 7;
    OutputVolumeMemory(L"", volume, balance, true);
    EXPECT_EQ(volume, 7);  // the caller's arguments are untouched
    EXPECT_EQ(BytesToHex(RegReadBytes(gRegRoot, L"LastOutput").value_or(Bytes{})), L"0000000006000000");
    EXPECT_EQ(RegReadBytes(gRegRoot, L"LastVolume06"), Bytes{40});
    EXPECT_EQ(RegReadBytes(gRegRoot, L"LastBalance06"), Bytes{75});

    // Headphones on the front panel: a memory of its own.
    sim::SetSimLiveValue(L"PanelConfig", HexToBytes(L"01000000"));
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"01000000"));
    sim::SetSimChannelLevel(speakers, 0, 0.8f);
    sim::SetSimChannelLevel(speakers, 1, 1.0f);
    OutputVolumeMemory(L"", volume, balance, true);
    EXPECT_EQ(RegReadBytes(gRegRoot, L"LastVolume11"), Bytes{100});
    EXPECT_EQ(RegReadBytes(gRegRoot, L"LastBalance11"), Bytes{120});
    EXPECT_EQ(RegReadBytes(gRegRoot, L"LastVolume06"), Bytes{40});

    // Loading goes by the profile's output.
    Store(L"Rear51", L"SpeakerConfig", L"06000000");
    OutputVolumeMemory(L"Rear51", volume, balance, false);
    EXPECT_EQ(volume, 40 * kCurrencyScale);
    EXPECT_EQ(balance, -2500);
    Store(L"FrontHP", L"SpeakerConfig", L"01000000");
    Store(L"FrontHP", L"PanelConfig", L"01000000");
    OutputVolumeMemory(L"FrontHP", volume, balance, false);
    EXPECT_EQ(volume, 100 * kCurrencyScale);
    EXPECT_EQ(balance, 2000);
    Store(L"Rear4", L"SpeakerConfig", L"03000000");
    OutputVolumeMemory(L"Rear4", volume, balance, false);
    EXPECT_EQ(volume, 255 * kCurrencyScale);
    EXPECT_EQ(balance, 0);
}

TEST_F(ProfileValues, OneReadingOfAProfileAnswersAsTheSingleReads) {
    const std::wstring p = L"Mixed";
    Store(p, L"SpeakerConfig", L"06000000");
    Store(p, L"eqenable", L"01");                              // another letter case
    Store(p, L"_mixer00000", L"14");                           // its right channel is missing
    Store(p, L"_mixer10000", L"1414");                         // damaged: two bytes
    Store(p, L"Pl2xParam", L"0100");                           // damaged: too short
    Store(p, L"EqGain", Bytes(70000, 0x11));                   // damaged: far too long
    RegWrite(Profile(p), L"DVSEnable", std::wstring(L"1"));    // damaged: text where bytes belong
    RegWrite(Profile(p), L"CustomIcon", std::wstring(L"a\0b", 3));  // text up to its null
    {
        // Odd-sized text and the key's unnamed value.
        std::wstring path = Profile(p);
        const HKEY hive = SplitRegPath(path);
        UniqueHKey key;
        ASSERT_EQ(::RegOpenKeyExW(hive, path.c_str(), 0, KEY_SET_VALUE, key.put()), ERROR_SUCCESS);
        const BYTE odd[] = {0x61, 0x00, 0x62};
        ASSERT_EQ(::RegSetValueExW(key.get(), L"Shortcut", 0, REG_SZ, odd, 3), ERROR_SUCCESS);
        const BYTE one[] = {0x01};
        ASSERT_EQ(::RegSetValueExW(key.get(), nullptr, 0, REG_BINARY, one, 1), ERROR_SUCCESS);
    }
    sim::SetSimChannelLevel(SimEndpoint(L"speakers"), 1, 0.42f);

    const ProfileSnapshot snapshot(p);
    EXPECT_EQ(BytesToHex(snapshot.Value(L"EqEnable")), L"01");
    EXPECT_EQ(BytesToHex(snapshot.Value(L"_mixer00010")), L"2A");  // live
    EXPECT_EQ(snapshot.Value(L"_mixer10000"), GetProfileValue(L"", L"_mixer10000"));  // damaged: live
    EXPECT_EQ(BytesToHex(snapshot.Value(L"CustomIcon")), L"6100");
    EXPECT_EQ(BytesToHex(snapshot.Value(L"Shortcut")), L"6100");
    EXPECT_EQ(BytesToHex(snapshot.Value(L"")), L"01");
    EXPECT_FALSE(snapshot.Holds(L"DVSEnable"));
    for (const wchar_t* name :
         {L"SpeakerConfig", L"SPEAKERCONFIG", L"EqEnable", L"_mixer00000", L"_mixer00010", L"_mixer10000", L"Pl2xParam",
          L"EqGain", L"DVSEnable", L"DVSMode", L"SystemSpeakers", L"CustomIcon", L"Shortcut", L"", L"NoSuchValue"}) {
        EXPECT_EQ(snapshot.Stored(name), StoredProfileValue(p, name)) << name;
        EXPECT_EQ(snapshot.Holds(name), ProfileValueExists(p, name)) << name;
        EXPECT_EQ(snapshot.Value(name), GetProfileValue(p, name)) << name;
    }
    std::vector<std::wstring> accepted;
    for (const auto& [name, value] : snapshot.Accepted()) {
        accepted.push_back(name);
        EXPECT_EQ(value, GetProfileValue(p, name)) << name;
    }
    std::sort(accepted.begin(), accepted.end());
    EXPECT_EQ(accepted, (std::vector<std::wstring>{L"", L"CustomIcon", L"Shortcut", L"SpeakerConfig", L"_mixer00000",
                                                   L"eqenable"}));

    // A profile without a key holds nothing; "" answers with the live state.
    const ProfileSnapshot missing(L"No such profile"), live(L"");
    EXPECT_FALSE(missing.Holds(L"SpeakerConfig"));
    EXPECT_TRUE(missing.Accepted().empty());
    EXPECT_EQ(missing.Value(L"DVSMode"), GetProfileValue(L"No such profile", L"DVSMode"));
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"03000000"));
    EXPECT_EQ(BytesToHex(live.Value(L"SpeakerConfig")), L"03000000");
    EXPECT_FALSE(live.Holds(L"SpeakerConfig"));
}

// Every profile read in one call; a profile's key that has not changed since an earlier call may
// be answered from that call, so each change must show at the next call.
TEST_F(ProfileValues, ReadingEveryProfileFollowsEachChangeOfTheKeys) {
    auto read = [] {
        std::map<std::wstring, ProfileSnapshot> byName;
        for (ProfileSnapshot& snapshot : ReadProfileSnapshots()) byName.emplace(snapshot.Profile(), snapshot);
        return byName;
    };
    Store(L"Music", L"SpeakerConfig", L"06000000");
    Store(L"Movie", L"EqEnable", L"01");
    auto profiles = read();
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(BytesToHex(profiles.at(L"Music").Value(L"SpeakerConfig")), L"06000000");
    EXPECT_TRUE(profiles.at(L"Movie").Holds(L"EqEnable"));

    // Keys written long enough ago are kept from this reading on.
    ::Sleep(2100);
    profiles = read();
    ASSERT_EQ(profiles.size(), 2u);
    Store(L"Music", L"SpeakerConfig", L"07000000");
    RegDeleteValue(Profile(L"Movie"), L"EqEnable");
    Store(L"Games", L"EqGain", L"0102");  // damaged: too short
    profiles = read();
    ASSERT_EQ(profiles.size(), 3u);
    EXPECT_EQ(BytesToHex(profiles.at(L"Music").Value(L"SpeakerConfig")), L"07000000");
    EXPECT_FALSE(profiles.at(L"Movie").Holds(L"EqEnable"));
    EXPECT_FALSE(profiles.at(L"Games").Holds(L"EqGain"));

    // Writes right after a reading, and a profile deleted and made again under its name.
    ::Sleep(2100);
    read();
    Store(L"Music", L"SpeakerConfig", L"01000000");
    EXPECT_EQ(BytesToHex(read().at(L"Music").Value(L"SpeakerConfig")), L"01000000");
    Store(L"Music", L"SpeakerConfig", L"04000000");
    EXPECT_EQ(BytesToHex(read().at(L"Music").Value(L"SpeakerConfig")), L"04000000");
    RegDeleteTree(gRegProfiles, L"Movie");
    Store(L"Movie", L"DHEnable", L"01000000");
    profiles = read();
    EXPECT_FALSE(profiles.at(L"Movie").Holds(L"EqEnable"));
    EXPECT_TRUE(profiles.at(L"Movie").Holds(L"DHEnable"));
    RegDeleteTree(gRegProfiles, L"Games");
    EXPECT_EQ(read().count(L"Games"), 0u);

    // The stored spelling of a profile's name follows the same reading.
    EXPECT_EQ(FindProfileKey(L"MUSIC"), L"Music");
    EXPECT_EQ(FindProfileKey(L"games"), L"");
    EXPECT_EQ(FindProfileKey(L""), L"");
    Store(L"Home Cinema", L"SpeakerConfig", L"06000000");
    EXPECT_EQ(FindProfileKey(L"home cinema"), L"Home Cinema");
    EXPECT_EQ(FindProfileKey(L"Home"), L"");

    // One profile from the standing reading, under the name it is asked by; a change shows.
    read();
    ProfileSnapshot kept = ProfileSnapshot::Kept(L"HOME CINEMA");
    EXPECT_EQ(kept.Profile(), L"HOME CINEMA");
    EXPECT_EQ(BytesToHex(kept.Value(L"SpeakerConfig")), L"06000000");
    Store(L"Home Cinema", L"SpeakerConfig", L"01000000");
    EXPECT_EQ(BytesToHex(ProfileSnapshot::Kept(L"Home Cinema").Value(L"SpeakerConfig")), L"01000000");
    EXPECT_FALSE(ProfileSnapshot::Kept(L"Nobody").Holds(L"SpeakerConfig"));

    // The whole profiles key deleted and made again.
    read();
    RegDeleteTree(gRegRoot, L"Profiles");
    EXPECT_TRUE(read().empty());
    Store(L"Solo", L"EqEnable", L"00");
    profiles = read();
    ASSERT_EQ(profiles.size(), 1u);
    EXPECT_EQ(BytesToHex(profiles.at(L"Solo").Value(L"EqEnable")), L"00");
}

TEST_F(ProfileValues, AProfileKeyMadeAgainByAnotherProgramDuringASwitchReadsAsItStands) {
    const auto holds = [](const wchar_t* name) {
        for (const ProfileSnapshot& snapshot : ReadProfileSnapshots())
            if (snapshot.Profile() == L"Night") return snapshot.Holds(name);
        return false;
    };
    Store(L"Night", L"EqEnable", L"01");
    std::wstring sub = Profile(L"Night");
    const HKEY hive = SplitRegPath(sub);
    {
        RegistryKeyScope switching;
        EXPECT_TRUE(holds(L"EqEnable"));  // the profile's key is kept from here on
        Store(L"Night", L"DHEnable", L"00000000");
        // An import replaces the key between two reads of the switch.
        ASSERT_EQ(::RegDeleteKeyW(hive, sub.c_str()), ERROR_SUCCESS);
        UniqueHKey remade;
        ASSERT_EQ(::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, remade.put(), nullptr),
                  ERROR_SUCCESS);
        const BYTE six[] = {6, 0, 0, 0};
        ASSERT_EQ(::RegSetValueExW(remade.get(), L"SpeakerConfig", 0, REG_BINARY, six, 4), ERROR_SUCCESS);
        EXPECT_TRUE(holds(L"SpeakerConfig"));
        Store(L"Night", L"DHEnable", L"01000000");
    }
    // Neither the reading nor the write went to the key that is gone.
    EXPECT_TRUE(holds(L"SpeakerConfig"));
    EXPECT_EQ(BytesToHex(GetProfileValue(L"Night", L"DHEnable")), L"01000000");
    EXPECT_FALSE(holds(L"EqEnable"));
}

// Sets the key's access list from its text form; false when that fails.
bool SetKeyAccess(const std::wstring& path, const wchar_t* sddl) {
    std::wstring sub = path;
    const HKEY hive = SplitRegPath(sub);
    UniqueHKey key;
    if (::RegOpenKeyExW(hive, sub.c_str(), 0, WRITE_DAC, key.put()) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return false;
    const bool set = ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    ::LocalFree(sd);
    return set;
}

// A profile whose key could not be read to its end (here: it refuses to be read) is read again
// next time, and the reading that missed it does not stand.
TEST_F(ProfileValues, AProfileReadShortIsReadAgainNextTime) {
    const auto holds = [](const wchar_t* profile) {
        for (const ProfileSnapshot& snapshot : ReadProfileSnapshots())
            if (snapshot.Profile() == profile) return snapshot.Holds(L"EqEnable");
        return false;
    };
    Store(L"Locked", L"EqEnable", L"01");
    Store(L"Open", L"EqEnable", L"00");
    struct Unlock {
        ~Unlock() { SetKeyAccess(Profile(L"Locked"), L"D:(A;;KA;;;WD)"); }
    } unlock;
    ASSERT_TRUE(SetKeyAccess(Profile(L"Locked"), L"D:(D;;0x1;;;WD)(A;;KA;;;WD)"));
    EXPECT_FALSE(holds(L"Locked"));
    EXPECT_TRUE(holds(L"Open"));
    ASSERT_TRUE(SetKeyAccess(Profile(L"Locked"), L"D:(A;;KA;;;WD)"));
    EXPECT_TRUE(holds(L"Locked"));
}

TEST_F(ProfileValues, PresetNamesBuiltInFirstThenTheUsersOwn) {
    const std::wstring eq = gRegRoot + L"\\Presets\\EQ", vss = gRegRoot + L"\\Presets\\VSS";
    const Bytes bass = HexToBytes(gEqPresetGains[1]);
    Bytes mine = bass;
    mine[2] = 1;
    EXPECT_EQ(EqPresetName(mine), L"");
    RegWrite(eq, L"Same as Bass", bass);
    RegWrite(eq, L"Mine", mine);
    EXPECT_EQ(EqPresetName(bass), L"Bass Preset");
    EXPECT_EQ(EqPresetName(mine), L"Mine");

    Bytes layout = HexToBytes(kVssDefaultLayout);
    PutUInt32(layout, 0, 0xBF000000);  // front left moved
    EXPECT_EQ(VssPresetName(layout), L"");
    Bytes flagged = layout;
    PutUInt32(flagged, 12, 0);
    RegWrite(vss, L"Wide left", flagged);
    RegWrite(vss, L"Short", Bytes(64, 0));
    EXPECT_EQ(VssPresetName(layout), L"Wide left");
    EXPECT_EQ(VssPresetName(HexToBytes(kVssPositionalLayoutAlt)), L"Vantor's Preset");
}

}  // namespace
}  // namespace kal
