#include "device/portable/audio_levels.h"

#include <gtest/gtest.h>

namespace kal {
namespace {

TEST(AudioLevels, DBFromLinearHitsRangeEndsAndTaper) {
    EXPECT_EQ(DBFromLinear(0, 35, -96, 0), -960000);
    EXPECT_EQ(DBFromLinear(100, 35, -96, 0), 0);
    EXPECT_EQ(DBFromLinear(50, 35, -96, 0), -105000);
    EXPECT_EQ(DBFromLinear(100, 35, -96, 12), 120000);
    EXPECT_EQ(DBFromLinear(0, 35, -96, 12), -960000);
    // Rounded to one decimal: no value carries digits past the first decimal.
    for (std::int16_t p = 0; p <= 100; ++p) EXPECT_EQ(DBFromLinear(p, 20, -62, 6) % 1000, 0) << p;
}

TEST(AudioLevels, DBFromLinearRejectsPercentOutsideRange) {
    EXPECT_EQ(DBFromLinear(101, 35, -96, 0), 0);
    EXPECT_EQ(DBFromLinear(-1, 35, -96, 0), 0);
    EXPECT_EQ(DBFromLinear(-1, 35, -96, 12), 0);
}

TEST(AudioLevels, DBFromLinearIsMonotonic) {
    Currency previous = DBFromLinear(0, 35, -96, 0);
    for (std::int16_t p = 1; p <= 100; ++p) {
        const Currency db = DBFromLinear(p, 35, -96, 0);
        EXPECT_GE(db, previous) << p;
        previous = db;
    }
}

TEST(AudioLevels, LinearFromDBKeepsItsConstantOffset) {
    // 99 x A / (B - A) above the exact inverse.
    EXPECT_EQ(LinearFromDB(0, 35, -96, 0), 1001793);
    EXPECT_EQ(LinearFromDB(-960000, 35, -96, 0), 1793);
    EXPECT_EQ(LinearFromDB(120000, 35, -96, 12), 1000813);
    // Recording factor: A = 10^(-96/20) makes the offset tiny but present in the last digit.
    EXPECT_EQ(LinearFromDB(0, 20, -96, 0), 1000016);
    // No clamping above the range.
    EXPECT_GT(LinearFromDB(60000, 35, -96, 0), 1001793);
}

TEST(AudioLevels, DeviceDBUsesFlowFactorAndRoundedRange) {
    EXPECT_EQ(DeviceDBFromRange(0, 50, -96.0f, 0.0f), -105000);
    EXPECT_EQ(DeviceDBFromRange(1, 50, -96.0f, 0.0f), -60000);
    // Any flow other than 1 counts as playback.
    EXPECT_EQ(DeviceDBFromRange(7, 50, -96.0f, 0.0f), -105000);
    // Range ends round half to even: -95.5 -> -96, 0.5 -> 0.
    EXPECT_EQ(DeviceDBFromRange(0, 50, -95.5f, 0.5f), -105000);
    EXPECT_EQ(DeviceDBFromRange(0, 0, -96.4f, 0.0f), -960000);
    EXPECT_EQ(DeviceDBFromRange(0, 101, -96.0f, 0.0f), 0);
    EXPECT_EQ(DeviceDBFromRange(1, -1, -96.0f, 0.0f), 0);
}

TEST(AudioLevels, BalanceFromChannels) {
    Currency left = 5000, right = 2500, volume = 0, balance = 0;
    ChannelsBalance(left, right, volume, balance, false);
    EXPECT_EQ(volume, 5000);
    EXPECT_EQ(balance, -5000);
    EXPECT_EQ(left, 5000);
    EXPECT_EQ(right, 2500);

    left = 2500, right = 10000;
    ChannelsBalance(left, right, volume, balance, false);
    EXPECT_EQ(volume, 10000);
    EXPECT_EQ(balance, 7500);

    left = 0, right = 0, volume = 123, balance = 456;
    ChannelsBalance(left, right, volume, balance, false);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(balance, 0);

    // 1/3 rounds to four decimals.
    left = 3000, right = 1000;
    ChannelsBalance(left, right, volume, balance, false);
    EXPECT_EQ(balance, -6667);
}

TEST(AudioLevels, ChannelsFromBalanceBothSidesOfCentre) {
    struct Case {
        Currency volume, balance, left, right;
    };
    const Case cases[] = {
        {5000, -5000, 5000, 2500},
        {5000, 2500, 3750, 5000},
        {5000, 0, 5000, 5000},
        {5000, 10000, 0, 5000},  // fully right: left silent
        // Products round to four decimals, halves to even: 0.0003 x 0.5 = 0.00015 -> 0.0002,
        // 0.0001 x 0.5 = 0.00005 -> 0.0000.
        {3, 5000, 2, 3},
        {1, -5000, 1, 0},
    };
    for (const Case& c : cases) {
        Currency left = -1, right = -1, volume = c.volume, balance = c.balance;
        ChannelsBalance(left, right, volume, balance, true);
        EXPECT_EQ(left, c.left) << c.volume << " " << c.balance;
        EXPECT_EQ(right, c.right) << c.volume << " " << c.balance;
        // Volume and balance are not changed.
        EXPECT_EQ(volume, c.volume);
        EXPECT_EQ(balance, c.balance);
    }
}

TEST(AudioLevels, BalanceRoundTripsStoredPercentLevels) {
    // Profiles store left and right as whole percents; volume/balance and back must reproduce them.
    for (int l = 0; l <= 100; l += 3) {
        for (int r = 0; r <= 100; r += 7) {
            Currency left = l * 100, right = r * 100, volume = 0, balance = 0;
            ChannelsBalance(left, right, volume, balance, false);
            Currency l2 = 0, r2 = 0;
            ChannelsBalance(l2, r2, volume, balance, true);
            EXPECT_NEAR(static_cast<double>(l2), static_cast<double>(left), 1.0) << l << " " << r;
            EXPECT_NEAR(static_cast<double>(r2), static_cast<double>(right), 1.0) << l << " " << r;
        }
    }
}

TEST(AudioLevels, ComponentTypesOfNodeTypes) {
    EXPECT_EQ(DeviceSubtypeToComponentType(L"", 0), 0u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"", 1), 0u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21CE1-F70F-11D0-B917-00A0C9223196}", 0), 4u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21CE2-F70F-11D0-B917-00A0C9223196}", 0), 5u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21FE5-F70F-11D0-B917-00A0C9223196}", 0), 1u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21FE5-F70F-11D0-B917-00A0C9223196}", 1), 4097u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21BE1-F70F-11D0-B917-00A0C9223196}", 1), 4099u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21FE3-F70F-11D0-B917-00A0C9223196}", 1), 4098u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF220E3-F70F-11D0-B917-00A0C9223196}", 1), 4101u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21EE1-F70F-11D0-B917-00A0C9223196}", 1), 4102u);
    // A microphone is no playback type; a speaker no recording type.
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21BE1-F70F-11D0-B917-00A0C9223196}", 0), 0u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21CE1-F70F-11D0-B917-00A0C9223196}", 1), 4096u);
    // Exact comparison: lower case is an unknown type.
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{dff21ce1-f70f-11d0-b917-00a0c9223196}", 0), 0u);
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{dff21be1-f70f-11d0-b917-00a0c9223196}", 1), 4096u);
    // Flow values other than 1 count as playback.
    EXPECT_EQ(DeviceSubtypeToComponentType(L"{DFF21CE1-F70F-11D0-B917-00A0C9223196}", 2), 4u);
}

TEST(AudioLevels, Fixed4RoundsToNearest) {
    EXPECT_EQ(ToFixed4(0.12345678), 1235);
    EXPECT_EQ(ToFixed4(-0.12344), -1234);
    EXPECT_EQ(ToFixed4(-0.5), -5000);
    EXPECT_EQ(ToFixed4(0.25f), 2500);
}

}  // namespace
}  // namespace kal
