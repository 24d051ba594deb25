#include "startup/tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "base/hextext.h"

using namespace kal;

namespace {

float FloatAt(const Bytes& b, std::size_t offset) {
    const std::uint32_t bits = BytesToUInt32(b, offset);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Band i of a gains text in whole dB.
int BandDb(std::wstring_view gains, int band) {
    const Bytes b = HexToBytes(gains);
    return static_cast<std::int32_t>(BytesToUInt32(b, static_cast<std::size_t>(band) * 4)) / 65536;
}

}  // namespace

TEST(EqPresets, NamesGainsAndExtremes) {
    EXPECT_EQ(gEqPresetNames[0], L"Default");
    EXPECT_EQ(gEqPresetNames[11], L"H-Metal");
    std::set<std::wstring_view> distinct(gEqPresetGains.begin(), gEqPresetGains.end());
    EXPECT_EQ(distinct.size(), 12u);
    for (auto g : gEqPresetGains) {
        ASSERT_EQ(g.size(), 80u);
        for (int band = 0; band < 10; ++band) {
            EXPECT_GE(BandDb(g, band), -14);
            EXPECT_LE(BandDb(g, band), 14);
        }
    }
    EXPECT_EQ(BandDb(gEqPresetGains[1], 0), 11);
    EXPECT_EQ(BandDb(gEqPresetGains[1], 6), -10);
    EXPECT_EQ(BandDb(gEqPresetGains[2], 9), 14);
    EXPECT_EQ(BandDb(gEqPresetGains[11], 0), -14);
    EXPECT_EQ(BandDb(gEqPresetGains[8], 4), -13);
}

TEST(NameTables, InputsAndChannels) {
    EXPECT_EQ(gInputLineNames[0], L"MIC");
    EXPECT_EQ(gInputLineNames[7], L"SPDIF In");
    EXPECT_EQ(gChannelNames[2], L"Center");
    EXPECT_EQ(gChannelVolumeValues[2], L"CentreVol");
    EXPECT_EQ(gChannelVolumeValues[7], L"SideVolR");
}

class Defaults : public ::testing::Test {
protected:
    void SetUp() override { BuildDriverDefaults(false); }
    static std::wstring Get(const wchar_t* name) { return gDriverDefaults.At(name); }
};

TEST_F(Defaults, ThirtyEightEntriesLookedUpWithoutRegardToCase) {
    EXPECT_EQ(gDriverDefaults.Count(), 38u);
    EXPECT_EQ(Get(L"speakerconfig"), L"04000000");
    EXPECT_EQ(BytesToUInt32(HexToBytes(Get(L"OutputFormat"))), 44100u);
    EXPECT_EQ(BytesToUInt32(HexToBytes(Get(L"BassCornerFrequency"))), 120u);
    EXPECT_EQ(gDriverDefaults.Find(L"NoSuchValue"), nullptr);
}

TEST_F(Defaults, Dual2DFollowsTheXpFlag) {
    EXPECT_EQ(Get(L"Dual2D"), L"01000000");
    BuildDriverDefaults(true);
    EXPECT_EQ(Get(L"Dual2D"), L"00000000");
    EXPECT_EQ(gDriverDefaults.Count(), 38u);
}

TEST_F(Defaults, TemplatesAreFilledIn) {
    EXPECT_EQ(Get(L"Pl2xParam"), L"0000000002000000070000000300000000000000");
    EXPECT_EQ(Get(L"NeoParam"), L"00000000020000002449123F07000000");
    EXPECT_NEAR(FloatAt(HexToBytes(Get(L"NeoParam")), 8), 0.5714285f, 1e-7f);
}

TEST_F(Defaults, EqualizerMatchesTheDefaultPreset) {
    EXPECT_EQ(Get(L"EqGain"), gEqPresetGains[0]);
    EXPECT_EQ(HexToBytes(Get(L"EqGain")), Bytes(40, 0));
}

TEST_F(Defaults, ChannelGainsUnderTheChannelValueNames) {
    for (auto name : gChannelVolumeValues) EXPECT_EQ(Get(std::wstring(name).c_str()), L"00000000");
}

TEST_F(Defaults, SpeakerLayoutAndEchoCancellationDecode) {
    const Bytes layout = HexToBytes(Get(L"VSpeakerPos"));
    ASSERT_EQ(layout.size(), 128u);
    EXPECT_NEAR(FloatAt(layout, 0), -0.30302f, 1e-5f);
    EXPECT_NEAR(FloatAt(layout, 4), 0.05f, 1e-7f);
    EXPECT_EQ(BytesToUInt32(layout, 12), 1u);
    EXPECT_NEAR(FloatAt(layout, 3 * 16), 0.4286f, 1e-4f);
    EXPECT_NEAR(FloatAt(layout, 7 * 16 + 8), -0.414028f, 1e-6f);
    EXPECT_EQ(BytesToUInt32(layout, 7 * 16 + 12), 0u);

    const Bytes aec = HexToBytes(Get(L"AEC"));
    ASSERT_EQ(aec.size(), 40u);
    EXPECT_EQ(FloatAt(aec, 16), 5.0f);
    EXPECT_EQ(FloatAt(aec, 20), 32.0f);
    EXPECT_EQ(FloatAt(aec, 24), 2.5f);
    EXPECT_EQ(FloatAt(aec, 28), 64.0f);
}

TEST(ReplaceAll, ReplacesEveryOccurrenceCaseSensitively) {
    EXPECT_EQ(ReplaceAll(L"M2xxM2m2", L"M2", L"00"), L"00xx00m2");
    EXPECT_EQ(ReplaceAll(L"aaa", L"a", L"aa"), L"aaaaaa");
    EXPECT_EQ(ReplaceAll(L"abc", L"", L"x"), L"abc");
}
