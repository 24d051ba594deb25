// Request header, path and name rules of the driver packets, and the builders against a link
// whose answers are odd (short live values, a shrunken read), which must not read or write
// outside their buffers.
#include "device/portable/packets.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tests/common/checked.h"

using namespace kal;
using kal::testing::Last;

namespace {

struct Recorder final : DriverLink {
    std::vector<std::pair<std::uint32_t, Bytes>> sent;
    std::map<std::wstring, Bytes, std::less<>> live;
    Bytes readAnswer;
    std::uint32_t Send(std::uint32_t id, Bytes& data, bool isGet) override {
        if (isGet) {
            data = readAnswer;
            return 0;
        }
        sent.emplace_back(id, data);
        return 0;
    }
    Bytes Live(std::wstring_view name) override {
        auto it = live.find(name);
        return it == live.end() ? Bytes{} : it->second;
    }
    bool HasHpAmp() override { return true; }
};

TEST(DriverPackets, HeaderIsSetIdAndFlagsLittleEndian) {
    const auto h = KsPropertyHeader(kPropertySetStxII, 0x76, false);
    EXPECT_EQ(BytesToHex(Bytes(h.begin(), h.end())),
              L"EA11948F4FDDAC4FA5E38A3A00AB81CF" L"76000000" L"02000000");
    const auto g = KsPropertyHeader(kPropertySetDefault, 1, true);
    EXPECT_EQ(BytesToHex(Bytes(g.begin(), g.end())),
              L"1F01D05176CC8B4A9098D637D44B60CD" L"01000000" L"01000000");
}

TEST(DriverPackets, StxIIDriverTextInAnyCase) {
    EXPECT_EQ(&PropertySetForDriver(L"cmudax_STXII.sys"), &kPropertySetStxII);
    EXPECT_EQ(&PropertySetForDriver(L"stxii"), &kPropertySetStxII);
    EXPECT_EQ(&PropertySetForDriver(L"stx_ii.sys"), &kPropertySetDefault);
    EXPECT_EQ(&PropertySetForDriver(L""), &kPropertySetDefault);
}

TEST(DriverPackets, AudioFilterBasePathDropsEveryCopyOfTheLastPart) {
    EXPECT_EQ(AudioFilterBasePath(L"\\\\?\\pci#ven_13f6#{6994ad04}\\wave"), L"\\\\?\\pci#ven_13f6#{6994ad04}");
    // Every occurrence of "\" + last part goes, not only the final one.
    EXPECT_EQ(AudioFilterBasePath(L"\\\\?\\a\\wave\\b\\wave"), L"\\\\?\\a\\b");
    EXPECT_EQ(AudioFilterBasePath(L"no-backslash"), L"");
}

TEST(DriverPackets, ChannelNamesAreExact) {
    EXPECT_EQ(ChannelIndex(L"WaveOutVolL"), 0);
    EXPECT_EQ(ChannelIndex(L"CentreVol"), 2);
    EXPECT_EQ(ChannelIndex(L"SideVolR"), 7);
    EXPECT_EQ(ChannelIndex(L"CenterVol"), -1);
    EXPECT_EQ(ChannelIndex(L"wavecutvoll"), -1);
}

TEST(DriverPackets, ShortOrMissingLiveValuesArePaddedNotOverrun) {
    Recorder link;
    link.live[L"SpeakerConfig"] = {6};  // one byte only
    ASSERT_EQ(packets::OutputBlock(link, {7, 0, 0, 0}, 2, false), 0u);
    EXPECT_EQ(Last(link.sent).second, HexToBytes(L"000000000600000007000000"));

    Bytes pl2x(20, 0);
    pl2x[0] = 1;
    ASSERT_EQ(packets::Pl2xParam(link, pl2x), 0u);  // no live parameters at all
    EXPECT_EQ(Last(link.sent).second, Bytes{1});

    ASSERT_EQ(packets::AnalogOutputFlag(link, {1, 0, 0, 0}, 4), 0u);
    EXPECT_EQ(Last(link.sent).second, HexToBytes(L"000000000100"));
    EXPECT_EQ(packets::AnalogOutputFlag(link, {1, 0, 0, 0}, 5), 0u);
    EXPECT_EQ(packets::OutputBlock(link, {1, 0, 0, 0}, 3, false), 0u);
    EXPECT_EQ(link.sent.size(), 3u);
}

TEST(DriverPackets, ChannelGainSurvivesAShortRead) {
    Recorder link;
    link.readAnswer = {1, 2, 3};
    ASSERT_EQ(packets::ChannelGain(link, L"SideVolR", {9, 9, 9, 9}), 0u);
    ASSERT_EQ(link.sent.size(), 1u);
    Bytes expected(40, 0);
    expected[0] = 1, expected[1] = 2, expected[2] = 3;
    std::fill(expected.begin() + 28, expected.begin() + 32, 9);
    EXPECT_EQ(link.sent[0].second, expected);
}

}  // namespace
