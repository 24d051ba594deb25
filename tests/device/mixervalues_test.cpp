#include "device/mixervalues.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <cwctype>

#include "device/linevalues.h"
#include "device/portable/audio_levels.h"
#include "lines_fixture.h"

namespace kal {
namespace {

using testing::SimEp;
using testing::SimId;

const std::wstring kProfiles = L"HKEY_CURRENT_USER\\Software\\KalvenorTests\\Lines\\Profiles";

UINT MonitorPartId(const wchar_t* input) {
    for (const auto& part : sim::SimAudioEndpoints()[static_cast<std::size_t>(SimEp(input))].path)
        if (part.name == L"Monitor") return part.localId;
    return 0;
}

Bytes Read(const std::wstring& name, Bytes data = {0}) {
    MixerValue(name, data, false);
    return data;
}

Bytes Write(const std::wstring& name, Bytes data) {
    MixerValue(name, data, true);
    return data;
}

class MixerValuesTest : public testing::CardLinesFixture {
protected:
    void SetUp() override {
        CardLinesFixture::SetUp();
        savedProfiles_ = gRegProfiles;
        gRegProfiles = kProfiles;
        RegDeleteTree(L"HKEY_CURRENT_USER\\Software\\KalvenorTests", L"Lines");
        ASSERT_EQ(gPlaybackLineIds[0], SimId(L"speakers"));
    }
    void TearDown() override {
        RegDeleteTree(L"HKEY_CURRENT_USER\\Software\\KalvenorTests", L"Lines");
        gRegProfiles = savedProfiles_;
        CardLinesFixture::TearDown();
    }
    std::wstring savedProfiles_;
};

TEST_F(MixerValuesTest, ChannelVolumesAreWrittenAndReadInPercent) {
    EXPECT_EQ(Write(L"_mixer00000", {50}), Bytes{50});
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(SimEp(L"speakers"), 0), 0.5f);
    sim::SetSimChannelLevel(SimEp(L"speakers"), 1, 0.5f);
    EXPECT_EQ(Read(L"_mixer00010"), Bytes{50});

    // A recording line's right channel; extra bytes are dropped.
    Write(L"_mixer10110", {29, 7, 7});
    EXPECT_EQ(Read(L"_MIXER10110", {0, 0}), Bytes{29});
    EXPECT_NEAR(sim::SimChannelLevel(SimEp(L"line"), 1), 0.29f, 1e-6f);
    EXPECT_NEAR(sim::SimChannelLevel(SimEp(L"line"), 0), 0.5f, 1e-6f);

    // Above 100 is no level: nothing changes and the bytes stay as passed.
    EXPECT_EQ(Write(L"_mixer00000", {255}), Bytes{255});
    EXPECT_FLOAT_EQ(sim::SimChannelLevel(SimEp(L"speakers"), 0), 0.5f);
}

TEST_F(MixerValuesTest, ExtraControlsSwitchByNumber) {
    const std::wstring monitor = MixerValueName(1, 0, 0, gInputLineMonitorControl[0]);
    EXPECT_EQ(Write(monitor, {7}), Bytes{1});
    EXPECT_TRUE(sim::SimAgcEnabled(SimEp(L"mic"), MonitorPartId(L"mic")));
    EXPECT_EQ(Read(monitor), Bytes{1});
    EXPECT_EQ(Read(L"_mixer10001"), Bytes{0});  // the boost switch is another control
    Write(monitor, {0});
    EXPECT_FALSE(sim::SimAgcEnabled(SimEp(L"mic"), MonitorPartId(L"mic")));
    EXPECT_EQ(Read(monitor, {1}), Bytes{0});

    // A control the line lacks, and a line the card lacks, leave the data as it was.
    EXPECT_EQ(Read(L"_mixer10009", {1}), Bytes{1});
    gInputLineIds[6].clear();
    EXPECT_EQ(Read(L"_mixer10601", {1}), Bytes{1});
    EXPECT_EQ(Read(L"_mixer19901", {1}), Bytes{1});
    EXPECT_EQ(Read(L"_mixer00101", {1}), Bytes{1});
}

TEST_F(MixerValuesTest, InputSelectionByIndexOfTheCardsLines) {
    Write(L"_mixerInputLineSel", {3});
    EXPECT_EQ(sim::SimDefaultEndpoint(eCapture, eConsole), SimId(L"wave_in"));
    EXPECT_EQ(sim::SimSelectedInputKey(), L"wave_in");
    EXPECT_EQ(Read(L"_mixerInputLineSel", {9, 9}), Bytes{3});

    Write(L"_mixerInputLineSel", {8});
    EXPECT_EQ(Read(L"_mixerInputLineSel"), Bytes{3});
    // The name is compared exactly: another spelling is a channel name that does not parse.
    EXPECT_EQ(Read(L"_mixerinputlinesel", {5}), Bytes{5});

    // Another device's input selected reads as 0.
    sim::SetSimDefaultEndpoint(eCapture, eConsole, SimId(L"other_mic"));
    EXPECT_EQ(Read(L"_mixerInputLineSel", {4}), Bytes{0});
}

TEST_F(MixerValuesTest, BitDepthAndSampleRateOfTheSpeakersFormat) {
    Write(L"_mixerBitDepth", {24});
    EXPECT_EQ(Read(L"_mixerBitDepth"), Bytes{24});
    Write(L"_mixerSampleRate", {0x00, 0x77, 0x01, 0x00});  // 96000
    EXPECT_EQ(Read(L"_mixerSampleRate"), (Bytes{0x00, 0x77, 0x01, 0x00}));
    EXPECT_EQ(gAudio->GetDeviceFormat(gPlaybackLineIds[0]).Format.wBitsPerSample, 24);

    // Windows XP has no shared-mode format: neither read nor written.
    gIsXP = true;
    Write(L"_mixerSampleRate", {0x44, 0xAC, 0x00, 0x00});
    EXPECT_EQ(Read(L"_mixerSampleRate", {1, 2}), (Bytes{1, 2}));
    gIsXP = false;
    EXPECT_EQ(Read(L"_mixerSampleRate"), (Bytes{0x00, 0x77, 0x01, 0x00}));
}

TEST_F(MixerValuesTest, EveryWriteStampsTheOwnChangeEvenWhenItFails) {
    gLastSelfChange = ::timeGetTime() - 5000;
    ASSERT_FALSE(IsSelfChange());
    Write(L"_mixer09900", {10});
    EXPECT_TRUE(IsSelfChange());

    gLastSelfChange = ::timeGetTime() - 5000;
    Read(L"_mixer00000");
    Write(L"EqGain", {10});
    EXPECT_FALSE(IsSelfChange());
}

TEST_F(MixerValuesTest, VolumeAndBalanceOfLiveAndStoredValues) {
    SetVolumeBalance(60 * kCurrencyScale, -kCurrencyScale / 2, 0, 0);
    EXPECT_NEAR(sim::SimChannelLevel(SimEp(L"speakers"), 0), 0.60f, 1e-6f);
    EXPECT_NEAR(sim::SimChannelLevel(SimEp(L"speakers"), 1), 0.30f, 1e-6f);
    Currency volume = 0, balance = 0;
    GetProfileVolumeBalance(volume, balance, 0, 0, L"");
    EXPECT_EQ(volume, 60 * kCurrencyScale);
    EXPECT_EQ(balance, -kCurrencyScale / 2);

    // A profile holding only the right channel takes the live left one.
    RegWrite(kProfiles + L"\\Quiet", L"_mixer00010", Bytes{90});
    GetProfileVolumeBalance(volume, balance, 0, 0, L"Quiet");
    EXPECT_EQ(volume, 90 * kCurrencyScale);
    EXPECT_EQ(balance, ToFixed4(30.0 / 90.0));
    EXPECT_EQ(MixerProfileValue(L"Quiet", L"_mixer00000"), Bytes{60});

    // Nothing remembered (255) reaches both channels unset.
    SetVolumeBalance(255 * kCurrencyScale, 0, 0, 0);
    EXPECT_NEAR(sim::SimChannelLevel(SimEp(L"speakers"), 0), 0.60f, 1e-6f);
}

TEST_F(MixerValuesTest, InputLineIndexMatchesExactly) {
    EXPECT_EQ(InputLineIndex(SimId(L"cd")), 5);
    std::wstring lower = SimId(L"cd");
    for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    EXPECT_EQ(InputLineIndex(lower), -1);
    EXPECT_EQ(InputLineIndex(SimId(L"other_mic")), -1);
    gInputLineIds[2].clear();
    EXPECT_EQ(InputLineIndex(L""), -1);
}

}  // namespace
}  // namespace kal
