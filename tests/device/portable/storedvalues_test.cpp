#include "device/portable/storedvalues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "startup/tables.h"

using namespace kal;

namespace {

class StoredValues : public ::testing::Test {
protected:
    void SetUp() override { BuildDriverDefaults(false); }
    static bool Ok(const wchar_t* name, const wchar_t* hex) {
        const Bytes b = HexToBytes(hex);
        return IsAcceptableStoredValue(name, &b);
    }
    static bool Ok(const wchar_t* name, const Bytes& b) { return IsAcceptableStoredValue(name, &b); }
};

Bytes Layout(float x) {
    Bytes b = HexToBytes(*gDriverDefaults.Find(L"VSpeakerPos"));
    std::memcpy(b.data() + 16 * 3, &x, sizeof x);
    return b;
}

}  // namespace

TEST_F(StoredValues, WhatTheEditorAndTheCardWriteIsAccepted) {
    for (const wchar_t* code : {L"01000000", L"03000000", L"04000000", L"06000000", L"07000000"})
        EXPECT_TRUE(Ok(L"SpeakerConfig", code)) << code;
    for (const wchar_t* code : {L"00000000", L"02000000", L"10000000", L"20000000"}) EXPECT_TRUE(Ok(L"SpDigitalOut", code));
    for (const wchar_t* rate : {L"44AC0000", L"80BB0000", L"00770100", L"00EE0200"}) EXPECT_TRUE(Ok(L"OutputFormat", rate));
    for (const wchar_t* name : {L"PanelConfig", L"SmartVolumeParams", L"DVSEnable", L"DHEnable", L"EnableXear3D",
                                L"BassManagement", L"Dual2D", L"HeadphoneLRXchg", L"CenterBassXchg", L"SideRearXchg"}) {
        EXPECT_TRUE(Ok(name, L"00000000")) << name;
        EXPECT_TRUE(Ok(name, L"01000000")) << name;
    }
    EXPECT_TRUE(Ok(L"DVSMode", L"06000000"));
    EXPECT_TRUE(Ok(L"DHRoom", L"03000000"));
    EXPECT_TRUE(Ok(L"BassCornerFrequency", L"78000000"));
    EXPECT_TRUE(Ok(L"HpImpedanceModeFront", L"02000000"));
    EXPECT_TRUE(Ok(L"SpeakerSize", L"F7000000"));  // every speaker large
    EXPECT_TRUE(Ok(L"EqEnable", L"01"));
    EXPECT_TRUE(Ok(L"SystemSpeakers", L"06"));
    EXPECT_TRUE(Ok(L"WaveOutVolL", L"0000F4FF"));  // -12 dB
    EXPECT_TRUE(Ok(L"LfeVol", L"00000C00"));       // +12 dB
    for (const auto& preset : gEqPresetGains) EXPECT_TRUE(Ok(L"EqGain", std::wstring(preset).c_str()));
    // Movie mode, and the on/off byte alone.
    EXPECT_TRUE(Ok(L"Pl2xParam", L"0100000003000000070000800300008000000080"));
    EXPECT_TRUE(Ok(L"Pl2xParam", L"0100000000000000000000000000000000000000"));
    EXPECT_TRUE(Ok(L"NeoParam", L"01000000010000009224493F07000000"));
    EXPECT_TRUE(Ok(L"AEC", L"000000000000000001000000000000000000A0400000004200002040000080420F00000400000000"));
    EXPECT_TRUE(Ok(L"VSpeakerPos", Layout(-1.5f)));
    // Every default is itself acceptable.
    for (const auto& [name, hex] : gDriverDefaults) EXPECT_TRUE(Ok(name.c_str(), hex.c_str())) << name.c_str();
    // Windows-side values.
    EXPECT_TRUE(Ok(L"_mixer00000", L"FF"));  // the output's remembered volume
    EXPECT_TRUE(Ok(L"_mixer10310", L"64"));
    EXPECT_TRUE(Ok(L"_mixer10301", L"01"));
    EXPECT_TRUE(Ok(L"_mixerInputLineSel", L"07"));
    EXPECT_TRUE(Ok(L"_mixerBitDepth", L"18"));
    EXPECT_TRUE(Ok(L"_mixerSampleRate", L"80BB0000"));
    // The program's own values and names that reach nothing pass as they are.
    EXPECT_TRUE(IsAcceptableStoredValue(L"CustomIcon", nullptr));
    EXPECT_TRUE(Ok(L"Shortcut", L"7003"));
    EXPECT_TRUE(Ok(L"SomethingElse", L"FF"));
}

TEST_F(StoredValues, DamagedValuesAreRefused) {
    // Codes the settings do not have.
    EXPECT_FALSE(Ok(L"SpeakerConfig", L"FFFFFFFF"));
    EXPECT_FALSE(Ok(L"SpeakerConfig", L"02000000"));
    EXPECT_FALSE(Ok(L"SpeakerConfig", L"04000001"));
    EXPECT_FALSE(Ok(L"OutputFormat", L"FFFFFFFF"));
    EXPECT_FALSE(Ok(L"OutputFormat", L"00000000"));
    EXPECT_FALSE(Ok(L"SmartVolumeParams", L"FFFFFFFF"));
    EXPECT_FALSE(Ok(L"WaveOutVolL", L"FFFFFFFF"));
    EXPECT_FALSE(Ok(L"WaveOutVolL", L"00000D00"));  // +13 dB
    for (const wchar_t* name : {L"DHEnable", L"SpDigitalOut", L"PanelConfig"}) EXPECT_FALSE(Ok(name, L"FF000000")) << name;
    EXPECT_FALSE(Ok(L"SpeakerSize", L"FF000000"));
    EXPECT_FALSE(Ok(L"DVSMode", L"07000000"));
    EXPECT_FALSE(Ok(L"EqEnable", L"02"));
    EXPECT_FALSE(Ok(L"SystemSpeakers", L"03"));
    EXPECT_FALSE(Ok(L"HpImpedanceModeRear", L"FF000000"));
    EXPECT_FALSE(Ok(L"EqGain", (L"FFFF0000" + std::wstring(72, L'0')).c_str()));  // a fraction of a decibel
    EXPECT_FALSE(Ok(L"Pl2xParam", L"0200000000000000000000000000000000000000"));
    EXPECT_FALSE(Ok(L"NeoParam", L"0100000001000000FFFFFFFF07000000"));  // a NaN width
    EXPECT_FALSE(Ok(L"VSpeakerPos", Layout(std::nanf(""))));
    EXPECT_FALSE(Ok(L"VSpeakerPos", Layout(1e30f)));
    EXPECT_FALSE(Ok(L"AEC", L"000000000000000002000000000000000000A0400000004200002040000080420F00000400000000"));
    // Lengths other than the default's, and text where bytes belong.
    EXPECT_FALSE(Ok(L"SpeakerConfig", L"04"));
    EXPECT_FALSE(Ok(L"SpeakerConfig", L"0400000000"));
    EXPECT_FALSE(Ok(L"EqEnable", Bytes{}));
    EXPECT_FALSE(Ok(L"EqGain", Bytes(70000, 0)));
    EXPECT_FALSE(Ok(L"VSpeakerPos", Bytes(127, 0)));
    EXPECT_FALSE(IsAcceptableStoredValue(L"EqEnable", nullptr));
    EXPECT_FALSE(IsAcceptableStoredValue(L"_mixer00000", nullptr));
    EXPECT_FALSE(Ok(L"_mixer00000", L"65"));  // 101 %
    EXPECT_FALSE(Ok(L"_mixer10310", L"FF"));  // only the master remembers
    EXPECT_FALSE(Ok(L"_mixer10301", L"02"));
    EXPECT_FALSE(Ok(L"_mixerInputLineSel", L"08"));
    EXPECT_FALSE(Ok(L"_mixerBitDepth", L"07"));
    EXPECT_FALSE(Ok(L"_mixerSampleRate", L"80BB"));
    EXPECT_FALSE(Ok(L"_mixer00000", L"3232"));
}
