// The bytes of the editor's profile values against the stored formats, and their decoding.
#include <gtest/gtest.h>

#include "editor/portable/profilebytes.h"
#include "editor/portable/profilename.h"
#include "startup/tables.h"

using namespace kal;

namespace {

std::wstring Hex(const Bytes& b) { return BytesToHex(b); }

TEST(ProfileBytes, ProLogicParametersFollowTheTemplate) {
    EXPECT_EQ(Hex(EncodePl2xParam(true, false, 3, 7, false)), L"0100000002000000070000000300000000000000");
    EXPECT_EQ(Hex(EncodePl2xParam(false, false, 6, 12, false)), L"00000000020000000C0000000600000000000000");
    // Movie mode stores its own depth and width whatever the sliders show.
    EXPECT_EQ(Hex(EncodePl2xParam(true, true, 6, 12, false)), L"0100000003000000070000800300008000000080");
    // Echo cancellation takes width 5 in either mode.
    EXPECT_EQ(Hex(EncodePl2xParam(false, false, 2, 7, true)), L"0000000002000000070000000500000000000000");
    EXPECT_EQ(Hex(EncodePl2xParam(false, true, 2, 7, true)), L"0000000003000000070000800500008000000080");
    const EffectParams back = DecodePl2xParam(EncodePl2xParam(true, false, 6, 12, false));
    EXPECT_TRUE(back.on);
    EXPECT_FALSE(back.movie);
    EXPECT_EQ(back.width, 6);
    EXPECT_EQ(back.depth, 12);
    EXPECT_TRUE(DecodePl2xParam(EncodePl2xParam(false, true, 1, 1, false)).movie);
}

TEST(ProfileBytes, NeoParametersCarryTheWidthAsAFloatOverSeven) {
    EXPECT_EQ(Hex(EncodeNeoParam(true, false, 4, 7)), L"01000000020000002549123F07000000");
    EXPECT_EQ(Hex(EncodeNeoParam(false, false, 3, 9)), L"0000000002000000B76DDB3E09000000");
    EXPECT_EQ(Hex(EncodeNeoParam(true, true, 1, 1)), L"01000000010000002549123F07000000");
    for (int width = 0; width <= 7; ++width)
        EXPECT_EQ(DecodeNeoParam(EncodeNeoParam(true, false, width, 5)).width, width) << width;
    // A float one step below 4/7 reads 3.99999976 times 7: that is width 4, not 3.
    const EffectParams nearFour = DecodeNeoParam(HexToBytes(L"01000000020000002449123F07000000"));
    EXPECT_EQ(nearFour.width, 4);
    EXPECT_FALSE(nearFour.movie);
    EXPECT_TRUE(DecodeNeoParam(HexToBytes(L"01000000010000002549123F07000000")).movie);
    // A damaged float reads as width 0 instead of an undefined conversion.
    EXPECT_EQ(DecodeNeoParam(HexToBytes(L"0100000002000000FFFFFFFF07000000")).width, 0);
}

TEST(ProfileBytes, EqualizerGainsOfEveryPresetRoundTrip) {
    EXPECT_EQ(Hex(EncodeEqBand(-5)), L"0000FBFF");
    EXPECT_EQ(Hex(EncodeEqBand(5)), L"00000500");
    for (std::size_t i = 0; i < gEqPresetGains.size(); ++i) {
        const Bytes preset = HexToBytes(gEqPresetGains[i]);
        EXPECT_EQ(Hex(EncodeEqGain(DecodeEqGain(preset))), std::wstring(gEqPresetGains[i])) << i;
    }
    // Any other length decodes as all bands at 0 dB.
    EXPECT_EQ(DecodeEqGain(Bytes(39, 0xFF)), (std::array<int, 10>{}));
}

TEST(ProfileBytes, SpeakerSizesSetTheirBitsAndReadBack) {
    EXPECT_EQ(Hex(EncodeSpeakerSize({true, false, false, false})), L"03000000");
    EXPECT_EQ(Hex(EncodeSpeakerSize({false, true, false, false})), L"04000000");
    EXPECT_EQ(Hex(EncodeSpeakerSize({false, false, true, false})), L"30000000");
    EXPECT_EQ(Hex(EncodeSpeakerSize({true, true, true, true})), L"F7000000");
    const std::array<bool, 4> mixed{true, false, true, false};
    EXPECT_EQ(DecodeSpeakerSizes(EncodeSpeakerSize(mixed)), mixed);
    EXPECT_EQ(DecodeSpeakerSizes(HexToBytes(L"F7000000")), (std::array<bool, 4>{true, true, true, true}));
}

TEST(ProfileBytes, ChannelGainsRoundHalvesToEven) {
    EXPECT_EQ(Hex(EncodeChannelGain(0.0)), L"00000000");
    EXPECT_EQ(Hex(EncodeChannelGain(2.5)), L"00000200");
    EXPECT_EQ(Hex(EncodeChannelGain(3.5)), L"00000400");
    EXPECT_EQ(Hex(EncodeChannelGain(-1.5)), L"0000FEFF");
    EXPECT_EQ(Hex(EncodeChannelGain(-0.5)), L"00000000");
    EXPECT_EQ(Hex(EncodeChannelGain(-96.0)), L"0000A0FF");
    EXPECT_EQ(Hex(EncodeChannelGain(12.4)), L"00000C00");
}

TEST(ProfileBytes, VolumePairSplitsTheBalanceAndRoundsHalvesToEven) {
    constexpr Currency k = kCurrencyScale;
    EXPECT_EQ(EncodeVolumePair(80 * k, k / 2, false), (std::pair<std::uint8_t, std::uint8_t>{40, 80}));
    EXPECT_EQ(EncodeVolumePair(80 * k, -k / 2, false), (std::pair<std::uint8_t, std::uint8_t>{80, 40}));
    EXPECT_EQ(EncodeVolumePair(25 * k, k / 2, false), (std::pair<std::uint8_t, std::uint8_t>{12, 25}));  // 12.5
    EXPECT_EQ(EncodeVolumePair(15 * k, -k / 2, false), (std::pair<std::uint8_t, std::uint8_t>{15, 8}));  // 7.5
    EXPECT_EQ(EncodeVolumePair(60 * k, 0, false), (std::pair<std::uint8_t, std::uint8_t>{60, 60}));
    EXPECT_EQ(EncodeVolumePair(60 * k, k / 2, true), (std::pair<std::uint8_t, std::uint8_t>{255, 255}));
}

TEST(ProfileBytes, CodesNumbersShortcutIconAndEchoCancellation) {
    EXPECT_EQ(Hex(EncodeCode(7)), L"07000000");
    EXPECT_EQ(Hex(EncodeFlag(true)), L"01000000");
    EXPECT_EQ(Hex(EncodeNumber(44100)), L"44AC0000");
    EXPECT_EQ(Hex(*EncodeShortcut(L"7A|03")), L"7A03");
    EXPECT_FALSE(EncodeShortcut(L""));
    EXPECT_FALSE(EncodeShortcut(L"7A|0"));
    EXPECT_FALSE(EncodeShortcut(L"ZZ|03"));
    EXPECT_EQ(EncodeCustomIcon(L"C:\\a.ico", true), L"C:\\a.ico|1");
    EXPECT_EQ(Hex(EncodeAEC(false)),
              L"000000000000000000000000000000000000A0400000004200002040000080420F00000400000000");
    EXPECT_EQ(Hex(EncodeAEC(true)),
              L"000000000000000001000000000000000000A0400000004200002040000080420F00000400000000");
}

TEST(ProfileBytes, ChannelsAvailableOnEachOutput) {
    auto available = [](int channels) {
        std::vector<int> out;
        for (int i = 0; i < 8; ++i)
            if (IsChannelAvailable(i, channels)) out.push_back(i);
        return out;
    };
    EXPECT_EQ(available(2), (std::vector<int>{0, 1}));
    EXPECT_EQ(available(4), (std::vector<int>{0, 1, 4, 5}));
    EXPECT_EQ(available(6), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(available(8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(ProfileNameRule, NumericNamesAreRefused) {
    for (const wchar_t* name : {L"12", L"1.5", L" 7 ", L"-3", L"1e3", L"&H1F", L"1,000"})
        EXPECT_TRUE(IsNumericName(name)) << name;
    for (const wchar_t* name : {L"12a", L"", L"  ", L"Movie", L"1.2.3", L"e5", L"-", L"&H"})
        EXPECT_FALSE(IsNumericName(name)) << name;
}

}  // namespace
