#include "device/portable/mixer_names.h"

#include <gtest/gtest.h>

#include "device/linevalues.h"

namespace kal {
namespace {

TEST(MixerNames, BuildsNamesWithTheLineInTwoHexDigits) {
    EXPECT_EQ(MixerValueName(0, 0, 0, 0), L"_mixer00000");
    EXPECT_EQ(MixerValueName(0, 0, 1, 0), L"_mixer00010");
    EXPECT_EQ(MixerValueName(1, 7, 1, 2), L"_mixer10712");
    EXPECT_EQ(MixerValueName(1, 10, 0, 0), L"_mixer10A00");
}

TEST(MixerNames, ReadsNamesBackInAnyCaseWithMissingChannelAndControlAsZero) {
    auto ref = ParseMixerValueName(L"_MIXER10712");
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->flow, 1);
    EXPECT_EQ(ref->line, 7);
    EXPECT_EQ(ref->channel, 1);
    EXPECT_EQ(ref->control, 2);

    ref = ParseMixerValueName(L"_mixer103");
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->line, 3);
    EXPECT_EQ(ref->channel, 0);
    EXPECT_EQ(ref->control, 0);

    // Any flow but 1 is playback; the line is read as a decimal number.
    ref = ParseMixerValueName(L"_mixer71200");
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->flow, 0);
    EXPECT_EQ(ref->line, 12);
}

TEST(MixerNames, RefusesNamesItCannotRead) {
    EXPECT_FALSE(ParseMixerValueName(L"_mixer"));      // no flow
    EXPECT_FALSE(ParseMixerValueName(L"_mixer1"));     // no line
    EXPECT_FALSE(ParseMixerValueName(L"_mixer10A00"));  // line not decimal
    EXPECT_FALSE(ParseMixerValueName(L"_mixer100x0"));
    EXPECT_FALSE(ParseMixerValueName(L"EqGain"));
    EXPECT_TRUE(IsMixerValueName(L"_MixerBitDepth"));
    EXPECT_FALSE(IsMixerValueName(L"_mixe"));
    EXPECT_FALSE(IsMixerValueName(L"mixer00000"));
}

TEST(OwnChangeWindow, HoldsForUnderASecondAcrossTheCounterWrap) {
    const std::uint32_t stamp = 0xFFFFFFFFu - 295;  // 296 ms before the counter wraps
    EXPECT_TRUE(WithinOwnChangeWindow(400, stamp));  // 696 ms later
    EXPECT_FALSE(WithinOwnChangeWindow(800, stamp));  // 1096 ms later
    EXPECT_TRUE(WithinOwnChangeWindow(stamp + 999, stamp));
    EXPECT_FALSE(WithinOwnChangeWindow(stamp + 1000, stamp));
    // Never stamped: false once the counter has passed 1000.
    EXPECT_FALSE(WithinOwnChangeWindow(1000, 0));
    EXPECT_FALSE(WithinOwnChangeWindow(5000000, 0));
}

}  // namespace
}  // namespace kal
