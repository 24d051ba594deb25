// The tray tooltip and the profile summaries from stored profiles and the simulated card's live
// state, on cards with and without Dolby, DTS, AEC and a headphone amplifier.
#include <gtest/gtest.h>

#include "device/displaytexts.h"
#include "device/effects.h"
#include "device/portable/texts_values.h"
#include "profilevalues_fixture.h"
#include "startup/utility.h"

namespace kal {
namespace {

using testing::SimEndpoint;

class DisplayTexts : public testing::ValuesFixture {
protected:
    // "-13.1" in the user's locale.
    static std::wstring Dec(const wchar_t* text) {
        std::wstring s = text;
        if (auto dot = s.find(L'.'); dot != std::wstring::npos) s.replace(dot, 1, DecimalSeparator());
        return s;
    }
    void LiveVolume(float left, float right) {
        sim::SetSimChannelLevel(SimEndpoint(L"speakers"), 0, left);
        sim::SetSimChannelLevel(SimEndpoint(L"speakers"), 1, right);
    }
};

TEST_F(DisplayTexts, SummaryOfAMovieProfileOnADolbyCard) {
    const std::wstring p = L"Movie";
    Store(p, L"_mixer00000", L"2A");
    Store(p, L"_mixer00010", L"20");
    Store(p, L"SpeakerConfig", L"06000000");
    Store(p, L"SystemSpeakers", L"06");
    Store(p, L"DVSEnable", L"01000000");
    Store(p, L"DVSMode", L"05000000");
    Store(p, L"Pl2xParam", L"0100000002000000070000010300000000000000");
    Store(p, L"EqEnable", L"01");
    Bytes gains = HexToBytes(gEqPresetGains[3]);
    gains[6] = 9;
    Store(p, L"EqGain", gains);
    RegWrite(gRegRoot + L"\\Presets\\EQ", L"Evening", gains);
    Store(p, L"AEC", HexToBytes(L"000000000000000001000000000000000000A0400000004200002040000080420F00000400000000"));
    Store(p, L"_mixer10100", L"32");
    Store(p, L"_mixer10110", L"14");
    Store(p, L"_mixerInputLineSel", L"01");
    EXPECT_EQ(ProfileSummary(p), L"Vol.: 42% (" + Dec(L"-13.1") + L"dB) | Channels: 6 | DVS: ON (Reference)" +
                                     L" | Input Sel.: Line In | Line In Vol.: 50% (-6db) | EQ: ON (Evening) | AEC: ON");

    // The remembered volume, kept on the same output.
    Store(p, L"_mixer00000", L"FF");
    Store(p, L"_mixer00010", L"FF");
    Store(p, L"NoVolChangeOnSameOut", L"01");
    Store(p, L"DVSEnable", L"00000000");
    EXPECT_EQ(ProfileSummary(p), L"Vol.: Last (Don't Change On Same Output) | Channels: 6 | PLIIx: ON (Movie Mode)"
                                 L" | Input Sel.: Line In | Line In Vol.: 50% (-6db) | EQ: ON (Evening) | AEC: ON");

    // Windows XP shows no decibels.
    gIsXP = true;
    Store(p, L"_mixer00000", L"2A");
    Store(p, L"_mixer00010", L"20");
    EXPECT_EQ(ProfileSummary(p), L"Vol.: 42% (Don't Change On Same Output) | Channels: 6 | PLIIx: ON (Movie Mode)"
                                 L" | Input Sel.: Line In | Line In Vol.: 50% | EQ: ON (Evening) | AEC: ON");
}

TEST_F(DisplayTexts, SummaryOnADtsCardWithFormatsAndGains) {
    UseCard(testing::kValuesD2);
    const std::wstring p = L"Music";
    Store(p, L"SpDigitalOut", L"20000000");
    Store(p, L"NeoParam", L"01000000020000002449123F07000000");
    Store(p, L"_mixerBitDepth", L"18");
    Store(p, L"_mixerSampleRate", L"00770100");
    Store(p, L"OutputFormat", L"44AC0000");
    Store(p, L"SmartVolumeParams", L"01000000");
    Store(p, L"HeadphoneLRXchg", L"00000000");
    Store(p, L"CenterBassXchg", L"01000000");
    Store(p, L"WaveOutVolL", L"0000A0FF");
    Store(p, L"SideVolR", L"00000C00");
    Store(p, L"BassManagement", L"01000000");
    EXPECT_EQ(ProfileSummary(p), L"Vol.: Don't Change | SVN: ON | Sys Playback: 24 bit, 96 KHz | Card Sample: " +
                                     Dec(L"44.1") +
                                     L" KHz | HP L-R Exchg: OFF | Center-Bass Exchg: ON | NEO:PC: ON (Music Mode)"
                                     L" | Left Vol.: 0% (-96dB) | RBack Vol.: 100% (12dB) | FlexBass: ON (CF:120Hz)");
    EXPECT_EQ(GetChannelGainPercent(0, p), 0);
    EXPECT_EQ(GetChannelGainPercent(7, p), 100);
    EXPECT_EQ(GetChannelGainPercent(8, p), 0);
    EXPECT_EQ(GetChannelGainPercent(3, p), 45);  // the default 0 dB
    sim::SetSimLiveValue(L"LfeVol", HexToBytes(L"0000FAFF"));
    EXPECT_EQ(GetChannelGainPercent(3, L""), 31);
}

TEST_F(DisplayTexts, HeadphoneGainOnAmplifierCardsAndAGainTheCardLacks) {
    UseCard(testing::kValuesSTX);
    Store(L"Phones", L"SpeakerConfig", L"01000000");
    Store(L"Phones", L"PanelConfig", L"01000000");
    Store(L"Phones", L"HpImpedanceModeFront", L"01000000");
    Store(L"Phones", L"DHEnable", L"01000000");
    Store(L"Phones", L"DHRoom", L"03000000");
    Store(L"Phones", L"EnableXear3D", L"01000000");
    Store(L"Phones", L"VSpeakerPos", HexToBytes(kVssPositionalLayoutAlt));
    EXPECT_EQ(ProfileSummary(L"Phones"),
              L"Vol.: Don't Change | HP Amp Mode: High Gain | DH: ON (DH-3 Hall) | 7.1 VSS: ON (Vantor's Preset)");
    // A gain byte beyond the card's three modes: that part is left out, the rest is kept.
    Store(L"Phones", L"HpImpedanceModeFront", L"03000000");
    EXPECT_EQ(ProfileSummary(L"Phones"), L"Vol.: Don't Change | DH: ON (DH-3 Hall) | 7.1 VSS: ON (Vantor's Preset)");

    UseCard(testing::kValuesDG);
    Store(L"Phones", L"HpImpedanceModeFront", L"02000000");
    EXPECT_EQ(ProfileSummary(L"Phones"),
              L"Vol.: Don't Change | HP Amp Mode: Exciter | DH: ON (DH-3 Hall) | 7.1 VSS: ON (Vantor's Preset)");
    UseCard(testing::kValuesDX);
    EXPECT_EQ(ProfileSummary(L"Phones"), L"Vol.: Don't Change | DH: ON (DH-3 Hall) | 7.1 VSS: ON (Vantor's Preset)");
    EXPECT_EQ(ProfileSummary(L"No such profile"), L"Vol.: Don't Change");
}

TEST_F(DisplayTexts, TooltipShowsTheLevelAndTheActiveProfileOrTheLiveOutput) {
    LiveVolume(0.42f, 0.3f);
    sim::SetSimLiveValue(L"SpeakerConfig", HexToBytes(L"07000000"));
    sim::SetSimLiveValue(L"PanelConfig", HexToBytes(L"01000000"));
    EXPECT_EQ(TrayTooltipText(), L"Master volume: 42% (" + Dec(L"-13.1") + L"dB)\r\n7.1 Speakers on Front Panel");

    // An active profile that still holds is named; once the card changes, the output is shown.
    Store(L"Cinema", L"SpeakerConfig", L"06000000");
    Store(L"Cinema", L"_mixer00000", L"2A");
    RegWrite(gRegRoot, L"ActiveProfile", std::wstring(L"Cinema"));
    EXPECT_EQ(TrayTooltipText(), L"Master volume: 42% (" + Dec(L"-13.1") + L"dB)\r\n7.1 Speakers on Front Panel");
    ApplyWhole(L"Cinema");
    EXPECT_EQ(TrayTooltipText(), L"Master volume: 42% (" + Dec(L"-13.1") + L"dB)\r\nActive Profile: Cinema");
    sim::SetSimLiveValue(L"SpDigitalOut", HexToBytes(L"10000000"));
    Store(L"Cinema", L"SpDigitalOut", L"00000000");
    EXPECT_EQ(TrayTooltipText(), L"Master volume: 42% (" + Dec(L"-13.1") + L"dB)\r\nDolby Digital Live on Front Panel");

    sim::SetSimMute(SimEndpoint(L"speakers"), true);
    EXPECT_EQ(TrayTooltipText(), L"Master volume: Muted\r\nDolby Digital Live on Front Panel");
    sim::SetSimEndpointState(SimEndpoint(L"speakers"), DEVICE_STATE_UNPLUGGED);
    EXPECT_EQ(TrayTooltipText(), L"Master volume: Unknown\r\nDolby Digital Live on Front Panel");
    sim::SetSimEndpointState(SimEndpoint(L"speakers"), DEVICE_STATE_ACTIVE);
    gDriverSettingsKey.clear();  // no card driver: its values read as the defaults
    EXPECT_EQ(TrayTooltipText(), L"Master volume: Unknown\r\n2 Speakers on Rear Panel");
}

TEST_F(DisplayTexts, SummaryLeavesDamagedValuesOutAndTakesMissingChannelsLive) {
    // The well-formed values, once alone and once beside damaged ones of each kind.
    for (const wchar_t* p : {L"Clean", L"Damaged"}) {
        Store(p, L"_mixer00000", L"14");
        Store(p, L"SpeakerConfig", L"06000000");
        Store(p, L"SystemSpeakers", L"06");
        Store(p, L"eqenable", L"00");  // the registry's names ignore letter case
    }
    const std::wstring d = L"Damaged";
    RegWrite(Profile(d), L"DVSEnable", std::wstring(L"1"));  // text where bytes belong
    Store(d, L"DHEnable", L"FF000000");                     // no such code
    Store(d, L"EnableXear3D", Bytes{});                     // empty
    Store(d, L"Pl2xParam", L"0100");                        // too short
    Store(d, L"BassManagement", L"01");
    Store(d, L"OutputFormat", L"FFFFFFFF");
    Store(d, L"_mixer00010", L"6464");                      // a channel byte too many
    Store(d, L"_mixer10100", L"FFFF");
    Store(d, L"NoVolChangeOnSameOut", HexToBytes(L"01"));   // the program's own: kept
    // The right channel is not stored (or damaged): the louder live one counts.
    LiveVolume(0.1f, 0.42f);
    EXPECT_EQ(ProfileSummary(L"Clean"), L"Vol.: 42% (" + Dec(L"-13.1") + L"dB) | Channels: 6 | EQ: OFF");
    EXPECT_EQ(ProfileSummary(d),
              L"Vol.: 42% (" + Dec(L"-13.1") + L"dB) (Don't Change On Same Output) | Channels: 6 | EQ: OFF");
}

TEST_F(DisplayTexts, EffectAvailabilityOfTheDetectedCard) {
    EXPECT_EQ(EffectBehavior(L"DH", 2, L"1"), 3);
    EXPECT_EQ(EffectBehavior(L"NEO", 6, L"DTS"), 0);
    UseCard(testing::kValuesD2);
    EXPECT_EQ(EffectBehavior(L"NEO", 2, L"DTS"), 3);
    gCardCaps = nullptr;
    EXPECT_EQ(EffectBehavior(L"DH", 2, L"1"), 0);
}

}  // namespace
}  // namespace kal
