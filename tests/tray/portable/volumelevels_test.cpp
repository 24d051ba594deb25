// The level meter's reading of the driver's block: little-endian 16.16 dB fields, the loudest
// shown, silence and a switched-off meter as nothing, and no arithmetic blow-up at the extremes.
#include "tray/portable/volumelevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "device/portable/audio_levels.h"

using namespace kal;

namespace {

// Ten fields, each the same level except `field`, stored little-endian.
Bytes Block(std::int32_t others, int field = -1, std::int32_t level = 0) {
    Bytes b;
    for (int i = 0; i < 10; ++i) {
        const auto v = static_cast<std::uint32_t>(i == field ? level : others);
        for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    }
    return b;
}

constexpr std::int32_t DB(int decibels) { return decibels * 65536; }

// The slider scale of a level: 35 dB per decade between -96 dB and 0 dB.
double Scale(double dB) {
    const double a = std::pow(10.0, -96.0 / 35.0);
    return (100.0 * std::pow(10.0, dB / 35.0) - a) / (1.0 - a);
}

TEST(MeterLevel, LoudestLittleEndianFieldOnTheSliderScale) {
    const Currency level = MeterLevel(Block(DB(-96), 4, DB(-20)));
    EXPECT_NEAR(Fixed4ToDouble(level), Scale(-20), 1e-4);
    // A half decibel is carried by the low half of the field.
    EXPECT_NEAR(Fixed4ToDouble(MeterLevel(Block(DB(-96), 0, DB(-20) + 32768))), Scale(-19.5), 1e-4);
    EXPECT_EQ(MeterBarHeight(level, 134), static_cast<int>(std::nearbyint(Scale(-20) * 134 / 100)));
}

TEST(MeterLevel, SilenceOffAndMalformedBlocksReadNothing) {
    EXPECT_EQ(std::nearbyint(Fixed4ToDouble(MeterLevel(Block(DB(-96))))), 0.0);
    EXPECT_EQ(MeterBarHeight(MeterLevel(Block(DB(-96))), 134), 0);
    EXPECT_EQ(MeterLevel(Bytes(40, 0)), 0);  // metering switched off
    EXPECT_EQ(MeterLevel(Bytes(39, 0xFF)), 0);
    EXPECT_EQ(MeterLevel(Bytes{}), 0);
}

TEST(MeterLevel, ExtremeFieldsClampWithoutOverflow) {
    EXPECT_EQ(MeterLevel(Block(DB(-96), 9, DB(6))), 100 * kCurrencyScale);
    EXPECT_EQ(MeterLevel(Block(std::numeric_limits<std::int32_t>::max())), 100 * kCurrencyScale);
    EXPECT_EQ(MeterLevel(Block(std::numeric_limits<std::int32_t>::min())), 0);
}

TEST(MeterBars, MasterAttenuationLowersTheSecondBarOnly) {
    const Currency level = 50 * kCurrencyScale;
    EXPECT_EQ(AttenuatedBarHeight(60, level, 0), 60);
    EXPECT_EQ(AttenuatedBarHeight(60, level, 35 * kCurrencyScale), 6);
    // Never taller than the level bar, never below level 1, never from an absurd volume.
    EXPECT_EQ(AttenuatedBarHeight(60, level, -35 * kCurrencyScale), 60);
    EXPECT_EQ(AttenuatedBarHeight(60, kCurrencyScale - 1, 0), 0);
    EXPECT_EQ(AttenuatedBarHeight(60, level, std::numeric_limits<std::int32_t>::min() * kCurrencyScale), 60);
    EXPECT_EQ(AttenuatedBarHeight(60, level, std::numeric_limits<std::int32_t>::max() * kCurrencyScale), 0);
}

}  // namespace
