// Texts and value rules of profiles that need no Windows: layouts, effect availability, the
// comparison with the live state, number texts, the tooltip and the profile summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "device/portable/audio_levels.h"
#include "device/portable/texts.h"
#include "device/portable/texts_values.h"
#include "startup/catalogue.h"
#include "startup/tables.h"

using namespace kal;

namespace {

Bytes Hex(std::wstring_view text) { return HexToBytes(text); }

// The layout with a 32-bit word replaced.
Bytes WithWord(std::wstring_view layout, std::size_t offset, std::uint32_t word) {
    Bytes b = Hex(layout);
    PutUInt32(b, offset, word);
    return b;
}

const CardModel* Card(const wchar_t* subsys) { return gCardModels.At(subsys).get(); }

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override {
        BuildCardCatalogue();
        BuildDriverDefaults(false);
    }
};

TEST(Layouts, CompareOnlyTheSpeakersPositions) {
    // Heights and flag words of every speaker may differ.
    Bytes changed = WithWord(kVssDefaultLayout, 4, 0x3F800000);
    PutUInt32(changed, 16 * 7 + 12, 7);
    EXPECT_TRUE(VssLayoutsEqual(changed, kVssDefaultLayout));
    EXPECT_TRUE(VssLayoutsEqual(std::wstring(kVssDefaultLayout), Hex(kVssDefaultLayout)));
    // x of the last speaker, y of the first.
    EXPECT_FALSE(VssLayoutsEqual(WithWord(kVssDefaultLayout, 16 * 7, 0x3DE357DB), kVssDefaultLayout));
    EXPECT_FALSE(VssLayoutsEqual(WithWord(kVssDefaultLayout, 8, 0x3E9B2578), kVssDefaultLayout));
    // The two stored forms of one layout differ in their last bits.
    EXPECT_FALSE(VssLayoutsEqual(kVssDefaultLayout, kVssDefaultLayoutAlt));
    EXPECT_FALSE(VssLayoutsEqual(kVssPositionalLayout, kVssPositionalLayoutAlt));
    EXPECT_FALSE(VssLayoutsEqual(kVssDefaultLayoutAlt, kVssPositionalLayoutAlt));
    // Compared as numbers: minus zero equals zero.
    EXPECT_TRUE(VssLayoutsEqual(WithWord(kVssPositionalLayoutAlt, 16 * 3 + 8, 0), kVssPositionalLayoutAlt));
    // Only 128-byte layouts compare.
    Bytes longer = Hex(kVssDefaultLayout);
    longer.push_back(0);
    EXPECT_FALSE(VssLayoutsEqual(longer, longer));
    EXPECT_FALSE(VssLayoutsEqual(Bytes{}, Bytes{}));
    EXPECT_FALSE(VssLayoutsEqual(L"not hex at all", kVssDefaultLayout));
}

TEST_F(Catalogue, BuiltInPresetsAreNamed) {
    EXPECT_EQ(BuiltInVssPresetName(WithWord(kVssDefaultLayoutAlt, 12, 9)), L"Default Preset");
    EXPECT_EQ(BuiltInVssPresetName(Hex(kVssDefaultLayout)), L"Default Preset");
    EXPECT_EQ(BuiltInVssPresetName(Hex(kVssPositionalLayout)), L"Vantor's Preset");
    EXPECT_EQ(BuiltInVssPresetName(Hex(kVssPositionalLayoutAlt)), L"Vantor's Preset");
    EXPECT_EQ(BuiltInVssPresetName(WithWord(kVssDefaultLayout, 0, 0)), L"");
    EXPECT_EQ(BuiltInEqPresetName(Hex(gEqPresetGains[1])), L"Bass Preset");
    EXPECT_EQ(BuiltInEqPresetName(Hex(gEqPresetGains[11])), L"H-Metal Preset");
    Bytes almost = Hex(gEqPresetGains[5]);
    almost[39] ^= 1;
    EXPECT_EQ(BuiltInEqPresetName(almost), L"");
}

TEST(ChannelCounts, FollowTheConfigurationUnlessTheDigitalOutputEncodes) {
    EXPECT_EQ(SpeakerChannelCount(Hex(L"01000000")), 2);
    EXPECT_EQ(SpeakerChannelCount(Hex(L"04000000")), 2);
    EXPECT_EQ(SpeakerChannelCount(Hex(L"03000000")), 4);
    EXPECT_EQ(SpeakerChannelCount(Hex(L"06000000")), 6);
    EXPECT_EQ(SpeakerChannelCount(Hex(L"07000000")), 8);
    EXPECT_EQ(SpeakerChannelCount(Hex(L"05000000")), std::nullopt);
    EXPECT_EQ(SpeakerChannelCount(Bytes{}), std::nullopt);
    const Bytes dolby = Hex(L"10000000"), dts = Hex(L"20"), plain = Hex(L"00000000"), none;
    EXPECT_EQ(SpeakerChannelCount(Hex(L"07000000"), &dolby), 6);
    EXPECT_EQ(SpeakerChannelCount(Hex(L"05000000"), &dts), 6);
    EXPECT_EQ(SpeakerChannelCount(Hex(L"07000000"), &plain), 8);
    EXPECT_EQ(SpeakerChannelCount(Hex(L"05000000"), &none), std::nullopt);
}

TEST_F(Catalogue, EffectBehaviorReadsTheCardsTableField) {
    const CardModel* dx = Card(L"82751043");  // entry "201" holds 210
    EXPECT_EQ(EffectBehavior(L"VSS", 2, L"1", dx), 2);
    EXPECT_EQ(EffectBehavior(L"PL2X", 2, L"01", dx), 2);
    EXPECT_EQ(EffectBehavior(L"DH", 2, L"1", dx), 3);
    EXPECT_EQ(EffectBehavior(L"DVS", 2, L"1", dx), 0);
    // "204" holds 1538: DVS 3, VSS 2.
    EXPECT_EQ(EffectBehavior(L"DVS", 2, L"4", dx), 3);
    // Every field of a word with all six set: 98331 = SUM 3, DH 0, PL2X 3, VSS 3.
    EXPECT_EQ(EffectBehavior(L"SUM", 2, L"03", dx), 3);
    EXPECT_EQ(EffectBehavior(L"PL2X", 2, L"03", dx), 3);
    EXPECT_EQ(EffectBehavior(L"SUM", 6, L"Dolby", dx), 3);
    // Invalid requests and missing keys.
    EXPECT_EQ(EffectBehavior(L"vss", 2, L"1", dx), 0);
    EXPECT_EQ(EffectBehavior(L"VSS", 0, L"1", dx), 0);
    EXPECT_EQ(EffectBehavior(L"VSS", 2, L"", dx), 0);
    EXPECT_EQ(EffectBehavior(L"SUM", 2, L"DTS", dx), 0);  // no DTS on this card
    EXPECT_EQ(EffectBehavior(L"SUM", 2, L"DTS", Card(L"82691043")), 3);
    EXPECT_EQ(EffectBehavior(L"NEO", 2, L"DTS", Card(L"82691043")), 3);
    EXPECT_EQ(EffectBehavior(L"VSS", 2, L"1", Card(L"83141043")), 0);  // no table
    EXPECT_EQ(EffectBehavior(L"VSS", 2, L"1", nullptr), 0);
}

TEST(StoredAgainstLive, ProgramValuesAndTheMasterVolume) {
    for (const wchar_t* own : {L"Shortcut", L"CustomIcon", L"VolIgnoreForValidation", L"NoVolChangeOnSameOut"})
        EXPECT_TRUE(StoredValueMatchesLive(own, Hex(L"01"), Hex(L"02"), false)) << own;
    EXPECT_FALSE(StoredValueMatchesLive(L"_mixer00000", Hex(L"3C"), Hex(L"3D"), false));
    EXPECT_FALSE(StoredValueMatchesLive(L"_mixer00010", Hex(L"3C"), Hex(L"3D"), false));
    EXPECT_TRUE(StoredValueMatchesLive(L"_mixer00010", Hex(L"3C"), Hex(L"3D"), true));
    EXPECT_TRUE(StoredValueMatchesLive(L"_mixer00000", Hex(L"FF"), Hex(L"3D"), false));
    EXPECT_TRUE(StoredValueMatchesLive(L"_mixer00000", Hex(L"3D"), Hex(L"3D"), false));
    // Other lines' volumes are ordinary values.
    EXPECT_FALSE(StoredValueMatchesLive(L"_mixer10000", Hex(L"3C"), Hex(L"3D"), true));
    EXPECT_FALSE(StoredValueMatchesLive(L"_mixer10000", Hex(L"FF"), Hex(L"3D"), false));
}

TEST(StoredAgainstLive, SystemSpeakersAndPlainValues) {
    EXPECT_TRUE(StoredValueMatchesLive(L"SystemSpeakers", Hex(L"00"), Hex(L"08"), false));
    EXPECT_TRUE(StoredValueMatchesLive(L"SystemSpeakers", Hex(L"06"), Hex(L"06"), false));
    EXPECT_FALSE(StoredValueMatchesLive(L"SystemSpeakers", Hex(L"06"), Hex(L"02"), false));
    EXPECT_FALSE(StoredValueMatchesLive(L"SystemSpeakers", Hex(L"06"), Hex(L"0106"), false));
    // Plain values compare as texts: a different length never matches.
    EXPECT_TRUE(StoredValueMatchesLive(L"SpeakerConfig", Hex(L"06000000"), Hex(L"06000000"), false));
    EXPECT_FALSE(StoredValueMatchesLive(L"SpeakerConfig", Hex(L"06"), Hex(L"06000000"), false));
    EXPECT_FALSE(StoredValueMatchesLive(L"EqEnable", Hex(L"01"), Hex(L"00"), true));
}

TEST(StoredAgainstLive, ParameterBlocksAsTheDriverReportsThem) {
    const std::wstring zeros30(30, L'0');
    // Pro Logic IIx off in both: its parameters do not count.
    EXPECT_TRUE(StoredValueMatchesLive(L"Pl2xParam", Hex(L"0000000002000000070000000300000000000000"),
                                       Hex(L"0000000001000000050000000100000000000000"), false));
    EXPECT_FALSE(StoredValueMatchesLive(L"Pl2xParam", Hex(L"0100000002000000070000000300000000000000"),
                                        Hex(L"0100000001000000050000000100000000000000"), false));
    // NEO off in both; NEO stored without parameters; the width's lowest byte 24 against 25.
    const Bytes live = Hex(L"01000000020000002449123F07000000");
    EXPECT_TRUE(StoredValueMatchesLive(L"NeoParam", Hex(L"00000000020000002549123F07000000"),
                                       Hex(L"00000000030000002449123F07000000"), false));
    EXPECT_TRUE(StoredValueMatchesLive(L"NeoParam", Hex(L"01" + zeros30), live, false));
    EXPECT_FALSE(StoredValueMatchesLive(L"NeoParam", Hex(L"00" + zeros30), live, false));
    EXPECT_TRUE(StoredValueMatchesLive(L"NeoParam", Hex(L"01000000020000002549123F07000000"), live, false));
    EXPECT_FALSE(StoredValueMatchesLive(L"NeoParam", Hex(L"01000000020000002649123F07000000"), live, false));
    EXPECT_FALSE(StoredValueMatchesLive(L"NeoParam", Hex(L"01000000020000002549123F08000000"), live, false));
    // The two forms of one built-in layout match; forms of different layouts do not.
    EXPECT_TRUE(StoredValueMatchesLive(L"VSpeakerPos", Hex(kVssDefaultLayout), Hex(kVssDefaultLayoutAlt), false));
    EXPECT_TRUE(StoredValueMatchesLive(L"VSpeakerPos", Hex(kVssDefaultLayoutAlt), Hex(kVssDefaultLayout), false));
    EXPECT_TRUE(StoredValueMatchesLive(L"VSpeakerPos", Hex(kVssPositionalLayoutAlt), Hex(kVssPositionalLayout), false));
    EXPECT_FALSE(StoredValueMatchesLive(L"VSpeakerPos", Hex(kVssPositionalLayout), Hex(kVssDefaultLayoutAlt), false));
    EXPECT_TRUE(StoredValueMatchesLive(L"VSpeakerPos", WithWord(kVssDefaultLayout, 12, 5), Hex(kVssDefaultLayout), false));
}

TEST(Names, ModesRoomsAndTheHeadphoneGainValue) {
    EXPECT_EQ(HpImpedanceValueName(Hex(L"01000000")), L"HpImpedanceModeFront");
    EXPECT_EQ(HpImpedanceValueName(Hex(L"00000000")), L"HpImpedanceModeRear");
    EXPECT_EQ(HpImpedanceValueName(Hex(L"02")), L"HpImpedanceModeFront");
    EXPECT_EQ(DVSModeName(5), L"Reference");
    EXPECT_EQ(DVSModeName(6), L"Wide");
    EXPECT_EQ(DVSModeName(4), L"");
    EXPECT_EQ(DHRoomName(1), L"DH-1 Studio");
    EXPECT_EQ(DHRoomName(2), L"DH-2 Cinema");
    EXPECT_EQ(DHRoomName(3), L"DH-3 Hall");
    EXPECT_EQ(DHRoomName(0), L"");
}

TEST(Numbers, WrittenWithTheLocalesSeparatorAndNoTrailingZeros) {
    EXPECT_EQ(Fixed4Text(-131000, L"."), L"-13.1");
    EXPECT_EQ(Fixed4Text(-5000, L","), L"-0,5");
    EXPECT_EQ(Fixed4Text(420000, L"."), L"42");
    EXPECT_EQ(Fixed4Text(12345, L"."), L"1.2345");
    EXPECT_EQ(Fixed4Text(0, L"."), L"0");
    EXPECT_EQ(NumberText(44.1, L","), L"44,1");
    EXPECT_EQ(NumberText(96, L"."), L"96");
    EXPECT_EQ(NumberText(1.0 / 3.0, L"."), L"0.333333333333333");
}

TEST(ChannelGain, PercentOfTheWholeDecibels) {
    EXPECT_EQ(ChannelGainPercentOf(Hex(L"0000A0FF")), 0);    // -96 dB
    EXPECT_EQ(ChannelGainPercentOf(Hex(L"FFFF0000")), 45);   // 0 dB and a fraction
    EXPECT_EQ(ChannelGainPercentOf(Hex(L"00000C00")), 100);  // +12 dB
    EXPECT_EQ(ChannelGainPercentOf(Hex(L"0000FAFF")), 31);   // -6 dB
    EXPECT_EQ(ChannelGainPercentOf(Hex(L"000C00")), 0);
    EXPECT_EQ(ChannelGainPercentOf(Hex(L"00000080")), 0);    // -32768 dB
    EXPECT_GT(ChannelGainPercentOf(Hex(L"0000FF7F")), 255);  // far above the card's range, no overflow
}

TEST(Tooltip, LevelLineAndTheProfileOrTheLiveOutput) {
    TooltipFacts f;
    f.speakerConfig = Hex(L"07000000");
    f.panelConfig = Hex(L"01000000");
    f.spDigitalOut = Hex(L"00000000");
    EXPECT_EQ(BuildTooltipText(f, L"."), L"Master volume: Unknown\r\n7.1 Speakers on Front Panel");
    f.levelKnown = true;
    f.muted = true;
    f.speakerConfig = Hex(L"06000000");
    f.panelConfig = Hex(L"00000000");
    EXPECT_EQ(BuildTooltipText(f, L"."), L"Master volume: Muted\r\n5.1 Speakers on Rear Panel");
    f.muted = false;
    f.percent = 42;
    f.dB = -131000;
    f.activeProfile = L"Movies";
    EXPECT_EQ(BuildTooltipText(f, L","), L"Master volume: 42% (-13,1dB)\r\nActive Profile: Movies");
    f.dB.reset();  // Windows XP
    f.activeProfile.reset();
    f.spDigitalOut = Hex(L"10000000");
    EXPECT_EQ(BuildTooltipText(f, L"."), L"Master volume: 42%\r\nDolby Digital Live on Rear Panel");
    f.spDigitalOut = Hex(L"20000000");
    f.speakerConfig = Hex(L"01000000");
    EXPECT_EQ(BuildTooltipText(f, L"."), L"Master volume: 42%\r\nDTS Interactive on Rear Panel");
    f.spDigitalOut = Hex(L"00000000");
    EXPECT_EQ(BuildTooltipText(f, L"."), L"Master volume: 42%\r\nHeadphones on Rear Panel");
    f.speakerConfig = Hex(L"05000000");
    EXPECT_EQ(BuildTooltipText(f, L"."), L"Master volume: 42%\r\n on Rear Panel");
}

// A profile held in memory, with the program's defaults for what it lacks.
class FakeProfile final : public SummarySource {
public:
    std::map<std::wstring, Bytes> values;
    const CardModel* card = nullptr;
    bool xp = false;

    bool Holds(std::wstring_view name) override { return values.count(std::wstring(name)) != 0; }
    Bytes Value(std::wstring_view name) override {
        if (auto it = values.find(std::wstring(name)); it != values.end()) return it->second;
        if (auto* hex = gDriverDefaults.Find(name)) return HexToBytes(*hex);
        return Bytes{0};
    }
    Currency LineVolume(int flow, int line) override {
        wchar_t l[3];
        std::swprintf(l, 3, L"%02X", line);
        const std::wstring base = L"_mixer" + std::to_wstring(flow) + l;
        const Bytes left = Value(base + L"00"), right = Value(base + L"10");
        return std::max(left[0], right[0]) * kCurrencyScale;
    }
    std::optional<Currency> LineDB(int flow, int, std::int16_t percent) override {
        if (xp) return std::nullopt;
        return DeviceDBFromRange(static_cast<std::uint32_t>(flow), percent, -96.0f, 0.0f);
    }
    const CardModel* Card() override { return card; }
    std::wstring EqPresetName(const Bytes& gains) override {
        auto name = BuiltInEqPresetName(gains);
        return name.empty() && gains == Hex(L"01" + std::wstring(78, L'0')) ? L"Mine" : name;
    }
    std::wstring VssPresetName(const Bytes& layout) override { return BuiltInVssPresetName(layout); }
    std::wstring DecimalSeparator() override { return L"."; }
};

class Summary : public Catalogue {
protected:
    FakeProfile p;
    std::wstring Text() { return BuildProfileSummary(p); }
};

TEST_F(Summary, AProfileOfOneOutputSettingShowsOnlyTheVolumePart) {
    p.values[L"SpeakerConfig"] = Hex(L"06000000");
    EXPECT_EQ(Text(), L"Vol.: Don't Change");
    // Values held at their defaults add nothing either.
    p.values[L"DVSEnable"] = Hex(L"00000000");
    p.values[L"BassManagement"] = Hex(L"00000000");
    EXPECT_EQ(Text(), L"Vol.: Don't Change");
}

TEST_F(Summary, MasterVolumeFixedRememberedOrKeptOnTheSameOutput) {
    p.values[L"_mixer00000"] = Hex(L"2A");
    p.values[L"_mixer00010"] = Hex(L"28");
    EXPECT_EQ(Text(), L"Vol.: 42% (-13.1dB)");
    p.xp = true;
    EXPECT_EQ(Text(), L"Vol.: 42%");
    p.values[L"NoVolChangeOnSameOut"] = Hex(L"01");
    EXPECT_EQ(Text(), L"Vol.: 42% (Don't Change On Same Output)");
    p.xp = false;
    p.values[L"_mixer00000"] = Hex(L"FF");
    p.values[L"_mixer00010"] = Hex(L"FF");
    EXPECT_EQ(Text(), L"Vol.: Last (Don't Change On Same Output)");
}

TEST_F(Summary, WindowsFormatAndCardSampleRate) {
    p.values[L"_mixerBitDepth"] = Hex(L"18");
    p.values[L"_mixerSampleRate"] = Hex(L"00770100");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | Sys Playback: 24 bit, 96 KHz");
    p.values.erase(L"_mixerBitDepth");
    p.values[L"OutputFormat"] = Hex(L"44AC0000");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | Sys Playback: 96 KHz | Card Sample: 44.1 KHz");
    p.values.erase(L"_mixerSampleRate");
    p.values[L"SystemSpeakers"] = Hex(L"06");
    p.values[L"SmartVolumeParams"] = Hex(L"01000000");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | SVN: ON | Channels: 6 | Card Sample: 44.1 KHz");
}

TEST_F(Summary, DolbyCardWithEffectsChannelGainsAndInputs) {
    p.card = Card(L"82751043");
    p.values[L"Dual2D"] = Hex(L"00000000");
    p.values[L"SideRearXchg"] = Hex(L"01000000");
    p.values[L"DVSEnable"] = Hex(L"01000000");
    p.values[L"DVSMode"] = Hex(L"06000000");
    p.values[L"Pl2xParam"] = Hex(L"0100000002000000070000010300000000000000");  // hidden by DVS
    p.values[L"DHEnable"] = Hex(L"01000000");
    p.values[L"DHRoom"] = Hex(L"09000000");  // no room name: no brackets
    p.values[L"EnableXear3D"] = Hex(L"01000000");
    p.values[L"LfeVol"] = Hex(L"0000FAFF");
    p.values[L"_mixerInputLineSel"] = Hex(L"01");
    p.values[L"_mixer10100"] = Hex(L"32");
    p.values[L"EqEnable"] = Hex(L"01");
    p.values[L"EqGain"] = Hex(gEqPresetGains[5]);
    p.values[L"BassManagement"] = Hex(L"01000000");
    p.values[L"BassCornerFrequency"] = Hex(L"50000000");
    p.values[L"AEC"] = Hex(L"000000000000000001000000000000000000A0400000004200002040000080420F00000400000000");
    EXPECT_EQ(Text(),
              L"Vol.: Don't Change | Stereo Upmix: OFF | Side-Rear Surr. Exchg: ON | DVS: ON (Wide) | DH: ON"
              L" | 7.1 VSS: ON (Default Preset) | Woofer Vol.: 31% (-6dB) | Input Sel.: Line In"
              L" | Line In Vol.: 50% (-6db) | EQ: ON (Rock Preset) | FlexBass: ON (CF:80Hz) | AEC: ON");
}

TEST_F(Summary, DtsCardWithTheUpmixersModes) {
    p.card = Card(L"82691043");
    p.values[L"Pl2xParam"] = Hex(L"0100000002000000070000000300000000000000");
    p.values[L"NeoParam"] = Hex(L"01000000020000002449123F07000000");
    p.values[L"EqEnable"] = Hex(L"01");
    p.values[L"EqGain"] = Hex(L"01" + std::wstring(78, L'0'));
    EXPECT_EQ(Text(), L"Vol.: Don't Change | PLIIx: ON (Music Mode) | NEO:PC: ON (Music Mode) | EQ: ON (Mine)");
    p.values[L"Pl2xParam"] = Hex(L"0100000002000000070000010300000000000000");
    p.values[L"NeoParam"] = Hex(L"01000000010000002449123F07000000");
    p.values[L"EqEnable"] = Hex(L"00");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | PLIIx: ON (Movie Mode) | NEO:PC: ON (Movie Mode) | EQ: OFF");
    p.values[L"EqEnable"] = Hex(L"FF");
    p.values[L"AEC"] = Hex(L"0000000000000000010000");  // not an AEC block
    EXPECT_EQ(Text(), L"Vol.: Don't Change | PLIIx: ON (Movie Mode) | NEO:PC: ON (Movie Mode)");
}

TEST_F(Summary, HeadphoneAmplifierGainOnlyForHeadphonesOnACardWithTheAmplifier) {
    p.values[L"SpeakerConfig"] = Hex(L"01000000");
    p.values[L"PanelConfig"] = Hex(L"01000000");
    p.values[L"HpImpedanceModeFront"] = Hex(L"01000000");
    p.values[L"HpImpedanceModeRear"] = Hex(L"02000000");
    p.card = Card(L"82751043");  // no amplifier
    EXPECT_EQ(Text(), L"Vol.: Don't Change");
    p.card = Card(L"835C1043");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | HP Amp Mode: High Gain");
    p.values[L"PanelConfig"] = Hex(L"00000000");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | HP Amp Mode: Extra High Gain");
    p.card = Card(L"84671043");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | HP Amp Mode: Exciter");
    // A gain beyond the card's modes names none: the segment is left out, the rest stays.
    p.values[L"HpImpedanceModeRear"] = Hex(L"03000000");
    p.values[L"SmartVolumeParams"] = Hex(L"00000000");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | SVN: OFF");
    p.card = Card(L"84281043");  // the fourth mode exists on this card
    EXPECT_EQ(Text(), L"Vol.: Don't Change | SVN: OFF | HP Amp Mode: Sennheiser");
    p.values[L"HpImpedanceModeRear"] = Hex(L"FF000000");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | SVN: OFF");
    p.values[L"SpeakerConfig"] = Hex(L"04000000");
    p.values[L"HpImpedanceModeRear"] = Hex(L"00000000");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | SVN: OFF");
}

TEST_F(Summary, InvalidInputSelectionAndExtremeGainsAreLeftOut) {
    p.values[L"_mixerInputLineSel"] = Hex(L"08");
    p.values[L"WaveOutVolL"] = Hex(L"0000FF7F");
    p.values[L"WaveOutVolR"] = Hex(L"00000C00");
    p.values[L"_mixer10700"] = Hex(L"64");
    EXPECT_EQ(Text(), L"Vol.: Don't Change | Right Vol.: 100% (12dB) | SPDIF In Vol.: 100% (0db)");
}

}  // namespace
