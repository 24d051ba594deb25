// The driver transport, card discovery and the setting packets against the simulated card:
// what reaches the driver (its request log) and what it then holds (its settings key).
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <setupapi.h>

#include "device/packets.h"
#include "device/platform.h"
#include "device/transport.h"
#include "sim/driver.h"
#include "sim/simcard.h"
#include "sim/state.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "base/worker.h"
#include "startup/tables.h"
#include "tests/common/checked.h"
#include "tests/common/sim_platform.h"

using namespace kal;
using kal::testing::Last;
using kal::testing::Nth;
using sim::SimRequest;

namespace {

constexpr wchar_t kDX[] = L"82751043";        // Dolby, AEC, no amplifier, no DTS
constexpr wchar_t kD2[] = L"82691043";        // DTS
constexpr wchar_t kSTX[] = L"835C1043";       // headphone amplifier
constexpr wchar_t kSTXII[] = L"85F41043";     // the driver with its own property set
constexpr wchar_t kDG[] = L"84671043";        // no 7.1
constexpr wchar_t kFamilySet[] = L"{51D0011F-CC76-4A8B-9098-D637D44B60CD}";
constexpr wchar_t kStxIISet[] = L"{8F9411EA-DD4F-4FAC-A5E3-8A3A00AB81CF}";

Bytes Hex(const wchar_t* text) { return HexToBytes(text); }

sim::SimCardSetup Variant(bool driverKey, bool probeAnswered, bool extraRefusing) {
    sim::SimCardSetup setup;
    setup.driverKey = driverKey;
    setup.probeAnswered = probeAnswered;
    setup.extraRefusingInterfaces = extraRefusing;
    return setup;
}

class Driver : public ::testing::Test {
protected:
    void SetUp() override {
        BuildCardCatalogue();
        BuildDriverDefaults(false);
        sim::InstallSimulatedCard();
    }
    void TearDown() override {
        gSuspendDriverWrites = false;
        sim::SetSimAcceptedSpeakerConfigs(std::nullopt);
        gPlatform = RealPlatform();
        gCardCaps = nullptr;
        kal::testing::RegisterDefaultSimCard();
    }

    // Registers the card as `setup` says and runs the start-up discovery against it.
    void Card(const wchar_t* subsys, sim::SimCardSetup setup = {}) {
        kal::testing::DiscoverSimCard(subsys, setup);
        sim::ClearSimRequestLog();
    }

    static std::vector<SimRequest> Log() { return sim::SimRequestLog(); }
    static std::wstring Setting(const wchar_t* name) {
        auto v = sim::SimLiveValue(name);
        return v ? BytesToHex(*v) : L"<none>";
    }
    // Bytes of the logged requests, as hex, in order.
    static std::vector<std::wstring> Sent() {
        std::vector<std::wstring> out;
        for (const auto& r : Log()) out.push_back(std::to_wstring(r.id) + L":" + BytesToHex(r.bytes));
        return out;
    }
};

using Strings = std::vector<std::wstring>;

TEST_F(Driver, DiscoveryFindsTheCardItsKeysAndTheTopologyFilter) {
    Card(kDX);
    const std::wstring classKey = sim::SimDriverClassKey();
    ASSERT_FALSE(classKey.empty());
    // Relative to the machine hive, upper-cased.
    EXPECT_TRUE(EqualsNoCase(L"HKEY_LOCAL_MACHINE\\" + gDriverClassKey, classKey));
    EXPECT_EQ(gDriverClassKey.find(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\"), 0u);
    EXPECT_EQ(gDriverSettingsKey, L"Settings");
    EXPECT_EQ(gCardHID, sim::SimCardHardwareId());
    EXPECT_EQ(gCardInstanceId, sim::SimCardInstanceId());
    EXPECT_EQ(gCardInterfacePath, sim::SimTopologyPath());
    EXPECT_EQ(gDriverPropertySet, kPropertySetDefault);
    // The driver's settings are read from its own key.
    sim::SetSimLiveValue(L"SpeakerConfig", Hex(L"06000000"));
    EXPECT_EQ(BytesToHex(LiveDriverValue(L"SpeakerConfig")), L"06000000");
    EXPECT_EQ(BytesToHex(LiveDriverValue(L"ListenerMode")), L"01000000");  // the default
}

TEST_F(Driver, TheStxIIDriverGetsItsOwnPropertySet) {
    Card(kSTXII);
    EXPECT_EQ(gDriverPropertySet, kPropertySetStxII);
    Bytes smart = Hex(L"01000000");
    EXPECT_EQ(ApplySmartVolume(smart), 0u);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].set, kStxIISet);
    // The family's set is not the STX II's driver's.
    gDriverPropertySet = kPropertySetDefault;
    EXPECT_EQ(ApplySmartVolume(smart), 1170u);
}

TEST_F(Driver, DiscoveryVariantsLeaveWhatStartUpReports) {
    // No driver key: the card is found, its keys are not.
    Card(kDX, Variant(false, true, false));
    EXPECT_TRUE(gDriverClassKey.empty());
    EXPECT_EQ(gCardInterfacePath, sim::SimTopologyPath());

    // Every interface refuses the probe: no path, the pattern stays.
    Card(kDX, Variant(true, false, false));
    EXPECT_EQ(gCardInterfacePath, L"");
    EXPECT_EQ(gCardInstanceId, sim::SimCardHardwareId());

    // No card: nothing matches; a known subsystem id completes the pattern.
    sim::RemoveSimCardDevice();
    DiscoverCard(L"VEN_13F6&DEV_8788", L"82751043");
    EXPECT_EQ(gCardHID, L"PCI\\VEN_13F6&DEV_8788&SUBSYS_82751043&REV_00");
    EXPECT_FALSE(FindCardInterface());
    EXPECT_EQ(gCardInterfacePath, L"");

    // A subsystem id outside the catalogue is still found as a device.
    Card(kDX);
    sim::SimCardSetup unknown;
    unknown.subsys = L"12345678";
    sim::InstallSimCardDevice(unknown);
    DiscoverCard(L"VEN_13F6&DEV_8788", L"");
    EXPECT_EQ(gCardHID, L"PCI\\VEN_13F6&DEV_8788&SUBSYS_12345678&REV_00");

    // A recognised but unsupported model answers the probe; its trial accepts nothing.
    Card(L"83141043");
    EXPECT_EQ(gCardInterfacePath, sim::SimTopologyPath());
    EXPECT_EQ(ProbeSpeakerConfig(Hex(L"03000000")), 50u);
}

TEST_F(Driver, AnEarlySearchIsTakenOnceAndOnlyForItsOwnInputs) {
    Card(kDX);
    const std::wstring hid = sim::SimCardHardwareId();
    const std::wstring classKey = gDriverClassKey;
    ASSERT_FALSE(classKey.empty());
    // An early search on the worker for the card's pattern, finished before the card goes.
    auto searchEarlyThenRemoveCard = [] {
        StartCardDiscovery(L"VEN_13F6&DEV_8788", L"");
        RunOnWorker([] {}).wait();
        sim::RemoveSimCardDevice();
    };

    // The search ran before the card went: the discovery with its inputs reports what it found.
    searchEarlyThenRemoveCard();
    gCardHID.clear();
    gDriverClassKey.clear();
    DiscoverCard(L"VEN_13F6&DEV_8788", L"");
    EXPECT_EQ(gCardHID, hid);
    EXPECT_EQ(gDriverClassKey, classKey);

    // Taken once: the next discovery searches again and finds no card.
    DiscoverCard(L"VEN_13F6&DEV_8788", L"");
    EXPECT_EQ(gCardHID, L"");

    // Other inputs search again: an early search for another pattern or subsystem id is not taken.
    // The new search finds no card: the id built from the subsystem id (not the card's), and no
    // driver.
    Card(kDX);
    searchEarlyThenRemoveCard();
    gDriverClassKey.clear();
    DiscoverCard(L"VEN_13F6&DEV_8788", L"12345678");
    EXPECT_EQ(gCardHID, L"PCI\\VEN_13F6&DEV_8788&SUBSYS_12345678&REV_00");
    EXPECT_EQ(gDriverClassKey, L"");
    Card(kDX);
    searchEarlyThenRemoveCard();
    gDriverClassKey.clear();
    DiscoverCard(L"VEN_13F6&DEV_8789", L"");
    EXPECT_EQ(gCardHID, L"");
    EXPECT_EQ(gDriverClassKey, L"");

    // Without a worker thread the discovery searches itself.
    Card(kDX);
    FailWorkerThreadStarts(true);
    StopWorker();
    StartCardDiscovery(L"VEN_13F6&DEV_8788", L"");
    sim::RemoveSimCardDevice();
    DiscoverCard(L"VEN_13F6&DEV_8788", L"");
    FailWorkerThreadStarts(false);
    EXPECT_EQ(gCardHID, L"");
}

TEST_F(Driver, HardwareIdSearchMatchesUpperCasedTextAndEmptiesItWhenNothingMatches) {
    Card(kDX);
    std::wstring text = L"ven_13f6&dev_8788&subsys_82751043";
    EXPECT_EQ(GetDeviceRegistryProperty(SPDRP_HARDWAREID, text), sim::SimCardHardwareId());
    EXPECT_EQ(text, sim::SimCardHardwareId());
    text = L"VEN_FFFF&DEV_0001";
    EXPECT_EQ(GetDeviceRegistryProperty(SPDRP_DRIVER, text), L"");
    EXPECT_EQ(text, L"");
}

TEST_F(Driver, InterfaceSearchModes) {
    Card(kDX, Variant(true, true, true));
    std::wstring text;
    EXPECT_EQ(FindCardInterfacePath(text, 0), L"");
    text = sim::SimCardHardwareId();
    EXPECT_EQ(FindCardInterfacePath(text, 2), L"");
    EXPECT_TRUE(Log().empty());  // nothing enumerated, nothing probed

    // Mode 1: the audio filter path less its reference part; the text is left alone.
    const std::wstring wave = sim::SimAudioPath(L"wave");
    ASSERT_GE(wave.size(), 5u);
    EXPECT_EQ(FindCardInterfacePath(text, 1), wave.substr(0, wave.size() - 5));
    EXPECT_EQ(text, sim::SimCardHardwareId());

    // Mode 0: the refusing filter registered first is probed and passed over.
    EXPECT_EQ(FindCardInterfacePath(text, 0), sim::SimTopologyPath());
    EXPECT_EQ(text, sim::SimCardInstanceId());
    const auto log = Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(EqualsNoCase(log[0].path, sim::SimRefusingPaths().at(0)));
    EXPECT_EQ(log[0].result, 1170u);
    EXPECT_EQ(log[1].id, 1u);
    EXPECT_EQ(log[1].flags, 1u);
    EXPECT_EQ(log[1].result, 0u);
}

TEST_F(Driver, WritesAreStampedExceptTheTrialAndTheLevelBlock) {
    Card(kDX);
    gLastSelfChange = 12345;
    Bytes levels(40, 0);
    ASSERT_EQ(SendDriverProperty(DrvPropPeakMeter, levels, false), 0u);
    ASSERT_EQ(ProbeSpeakerConfig(Hex(L"03000000")), 0u);
    ASSERT_EQ(SendDriverProperty(DrvPropChannelGains, levels, true), 0u);
    EXPECT_EQ(gLastSelfChange, 12345u);

    const DWORD before = ::timeGetTime();
    ASSERT_EQ(ApplySpeakerConfig(Hex(L"04000000")), 0u);
    const DWORD after = ::timeGetTime();
    // Between the two ticks (unsigned differences: a stamp before `before` wraps to a huge one).
    EXPECT_LE(gLastSelfChange - before, after - before);
    // The stamp comes before the request.
    EXPECT_LE(gLastSelfChange - before, Last(Log()).time - before);
}

TEST_F(Driver, SuspensionSendsNothingAndReportsSuccess) {
    Card(kDX);
    gSuspendDriverWrites = true;
    gLastSelfChange = 7;
    Bytes gains(40, 0xAB);
    EXPECT_EQ(SendDriverProperty(DrvPropChannelGains, gains, true), 0u);
    EXPECT_EQ(gains, Bytes(40, 0xAB));
    Bytes value = Hex(L"10");
    EXPECT_EQ(ApplySpDigitalOut(value), 0u);
    EXPECT_EQ(gLastSelfChange, 7u);
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(Setting(L"SpDigitalOut"), L"<none>");
}

TEST_F(Driver, ARemovedCardGivesSixAndNoStamp) {
    Card(kDX);
    const std::wstring classKey = sim::SimDriverClassKey();
    ASSERT_TRUE(RegKeyExists(classKey));
    sim::RemoveSimCardDevice();
    EXPECT_FALSE(RegKeyExists(classKey));
    std::wstring text = L"VEN_13F6&DEV_8788";
    EXPECT_EQ(GetDeviceRegistryProperty(SPDRP_DRIVER, text), L"");
    text = L"VEN_13F6&DEV_8788";
    EXPECT_EQ(FindCardInterfacePath(text, 1), L"");
    gLastSelfChange = 7;
    Bytes value = Hex(L"01");
    EXPECT_EQ(ApplyEqEnable(value), 6u);
    EXPECT_FALSE(DriverQuery38());
    EXPECT_EQ(gLastSelfChange, 7u);
    EXPECT_TRUE(Log().empty());
    // An empty path is no card either.
    gCardInterfacePath.clear();
    EXPECT_EQ(ApplyEqEnable(value), 6u);
}

TEST_F(Driver, TheDriverRefusesWhatItDoesNotKnow) {
    Card(kDX);
    Bytes b(40, 0);
    EXPECT_EQ(SendDriverProperty(77, b, false), 1168u);              // unknown id
    EXPECT_EQ(SendDriverProperty(DrvPropSpDigitalOut, b, true), 1168u);  // write-only
    EXPECT_EQ(SendDriverProperty(DrvPropNeo, b, true), 1168u);        // no DTS on this model
    EXPECT_EQ(SendDriverProperty(DrvPropAEC, b, false), 0u);
    EXPECT_EQ(SendDriverProperty(DrvPropHpAmpGain, b, false), 1168u);  // no amplifier
    Bytes shortBlock(39, 0);
    EXPECT_EQ(SendDriverProperty(DrvPropChannelGains, shortBlock, true), 122u);
    Bytes eq = Hex(L"0B00000000000000");  // no band 11
    EXPECT_EQ(SendDriverProperty(DrvPropEq, eq, false), 87u);
    Bytes empty;
    EXPECT_EQ(SendDriverProperty(DrvPropEq, empty, false), 87u);
    EXPECT_FALSE(DriverQuery38());

    sim::InjectSimFailure(DrvPropSmartVolume, 31);
    const Bytes smart = Hex(L"01000000");
    EXPECT_EQ(ApplySmartVolume(smart), 31u);
    EXPECT_EQ(ApplySmartVolume(smart), 0u);  // once only
    for (const auto& r : Log()) EXPECT_NE(r.result, 6u);

    Card(kD2);
    EXPECT_TRUE(DriverQuery38());
}

TEST_F(Driver, SinglePacketsCarryTheirTemplatesAndLandInSettings) {
    Card(kDX);
    Bytes spdif = Hex(L"1000");
    Bytes format = Hex(L"80BB0000");
    Bytes xear = Hex(L"01000000");
    Bytes eqOn = Hex(L"01000000");
    EXPECT_EQ(ApplySpDigitalOut(spdif), 0u);
    EXPECT_EQ(spdif, Hex(L"10"));  // resized in the caller's array
    EXPECT_EQ(ApplyOutputFormat(format), 0u);
    EXPECT_EQ(format.size(), 8u);
    EXPECT_EQ(ApplyXear3D(xear), 0u);
    EXPECT_EQ(ApplyEqEnable(eqOn), 0u);
    EXPECT_EQ(ApplyAEC(Bytes(39, 1)), 0u);  // wrong size: nothing sent
    EXPECT_EQ(Sent(), (Strings{L"2:102C000000FF000000FF0000", L"105:80BB000000000000",
                               L"10:0800000003000000010000000000000000000000", L"9:0A00000001000000"}));
    // Stored with the length of each value's default.
    EXPECT_EQ(Setting(L"SpDigitalOut"), L"10000000");
    EXPECT_EQ(Setting(L"OutputFormat"), L"80BB0000");
    EXPECT_EQ(Setting(L"EnableXear3D"), L"01000000");
    EXPECT_EQ(Setting(L"EqEnable"), L"01");
}

TEST_F(Driver, PairsKeepThePresentPartnerFor255) {
    Card(kDX);
    Bytes on = Hex(L"01"), mode = Hex(L"06"), keep = Hex(L"FF");
    ASSERT_EQ(ApplyDVS(on, mode), 0u);
    ASSERT_EQ(ApplyDH(on, keep), 0u);
    Bytes bass = Hex(L"01"), corner = Hex(L"50");
    ASSERT_EQ(ApplyBassManagement(bass, corner), 0u);
    ASSERT_EQ(ApplyBassManagement(bass, keep), 0u);
    EXPECT_EQ(Sent(), (Strings{L"31:0100000006000000", L"30:01000000FF000000",
                               L"36:08000000000000000100000050000000", L"36:080000000000000001000000FF000000"}));
    EXPECT_EQ(Setting(L"DVSMode"), L"06000000");
    EXPECT_EQ(Setting(L"DHEnable"), L"01000000");
    EXPECT_EQ(Setting(L"DHRoom"), L"<none>");
    EXPECT_EQ(Setting(L"BassCornerFrequency"), L"50000000");
}

TEST_F(Driver, OutputBlockAndAnalogFlagsMergeTheLiveValues) {
    Card(kDX);
    ASSERT_EQ(ApplySpeakerConfig(Hex(L"07000000")), 0u);  // live values are the defaults
    EXPECT_EQ(Last(Sent()), L"4:010000000700000000000000");
    EXPECT_EQ(ApplySpeakerConfig(Hex(L"070000")), 0u);  // not 4 bytes
    EXPECT_EQ(Log().size(), 1u);

    sim::SetSimLiveValue(L"ListenerMode", Hex(L"02000000"));
    ASSERT_EQ(ApplyCenterBassXchg(Hex(L"01000000")), 0u);
    EXPECT_EQ(Last(Sent()), L"4:020000000700000001000000");
    EXPECT_EQ(Setting(L"SpeakerConfig"), L"07000000");
    EXPECT_EQ(Setting(L"CenterBassXchg"), L"01000000");

    sim::SetSimLiveValue(L"MuteSubwoofer", Hex(L"01000000"));
    ASSERT_EQ(ApplyDual2D(Hex(L"00000000")), 0u);       // default Dual2D is 1 after XP
    ASSERT_EQ(ApplySideRearXchg(Hex(L"01000000")), 0u);
    const Strings sent = Sent();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[sent.size() - 2], L"35:000001010000");
    EXPECT_EQ(sent.back(), L"35:000001010100");
    EXPECT_EQ(Setting(L"Dual2D"), L"00000000");
    EXPECT_EQ(Setting(L"HeadphoneMuteRear"), L"01000000");
}

TEST_F(Driver, ParameterBlocksWithOnlyTheSwitchKeepTheLiveParameters) {
    Card(kD2);
    const Bytes livePl2x = Hex(L"0000000002000000070000000300000000000000");
    sim::SetSimLiveValue(L"Pl2xParam", livePl2x);
    Bytes onOnly(20, 0);
    onOnly[0] = 1;
    ASSERT_EQ(ApplyPl2xParam(onOnly), 0u);
    EXPECT_EQ(Last(Sent()), L"29:0100000002000000070000000300000000000000");
    Bytes full = onOnly;
    full[19] = 5;
    ASSERT_EQ(ApplyPl2xParam(full), 0u);
    EXPECT_EQ(Last(Sent()), L"29:" + BytesToHex(full));
    EXPECT_EQ(Setting(L"Pl2xParam"), BytesToHex(full));
    EXPECT_EQ(ApplyPl2xParam(Bytes(19, 0)), 0u);
    EXPECT_EQ(Log().size(), 2u);

    // NEO with nothing stored: the default parameters go with the switch.
    Bytes neoOn(16, 0);
    neoOn[0] = 1;
    ASSERT_EQ(ApplyNeoParam(neoOn), 0u);
    EXPECT_EQ(Last(Sent()),
              L"38:0100000002000000"
              L"2449123F07000000");
}

TEST_F(Driver, PanelConfigSendsTheGainOnlyWhenItCan) {
    Card(kSTX);
    Bytes front = Hex(L"01000000");
    ASSERT_EQ(ApplyPanelConfig(front, Hex(L"02000000")), 0u);
    EXPECT_EQ(front, Hex(L"01"));
    EXPECT_EQ(Sent(), (Strings{L"49:01", L"118:02000000"}));
    EXPECT_EQ(Setting(L"PanelConfig"), L"01000000");
    EXPECT_EQ(Setting(L"HpImpedanceModeFront"), L"02000000");
    EXPECT_EQ(Setting(L"HpImpedanceModeRear"), L"<none>");

    sim::ClearSimRequestLog();
    Bytes rear = Hex(L"00");
    ASSERT_EQ(ApplyPanelConfig(rear, Hex(L"FF000000")), 0u);  // "don't change" gain
    sim::InjectSimFailure(DrvPropPanelConfig, 31);
    EXPECT_EQ(ApplyPanelConfig(rear, Hex(L"01000000")), 31u);  // failed panel: no gain
    EXPECT_EQ(Sent(), (Strings{L"49:00", L"49:00"}));

    Card(kDX);  // no amplifier
    ASSERT_EQ(ApplyPanelConfig(rear, Hex(L"01000000")), 0u);
    EXPECT_EQ(Sent(), (Strings{L"49:00"}));
}

TEST_F(Driver, ChannelByChannelBuilders) {
    Card(kDX);
    Bytes mask = Hex(L"81000000");
    EXPECT_EQ(ApplySpeakerSize(mask), 0u);
    Strings expected;
    for (int c = 0; c < 8; ++c) {
        const bool large = c == 0 || c == 7;
        expected.push_back(L"36:0" + std::to_wstring(c) + L"000000" L"00000000" + (large ? L"01" : L"00") +
                           L"000000" L"00000000");
    }
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(Setting(L"SpeakerSize"), L"81000000");
    EXPECT_EQ(ApplySpeakerSizeChannel(8, true), 0u);
    EXPECT_EQ(Log().size(), 8u);

    sim::ClearSimRequestLog();
    EXPECT_EQ(ApplyEqBand(10, Hex(L"0000FEFF")), 0u);
    EXPECT_TRUE(Log().empty());
    const Bytes gains = HexToBytes(gEqPresetGains[1]);
    EXPECT_EQ(ApplyEqGain(gains), 0u);
    ASSERT_EQ(Log().size(), 10u);
    EXPECT_EQ(Nth(Sent(), 9), L"9:09000000" + BytesToHex(Bytes(gains.begin() + 36, gains.end())));
    EXPECT_EQ(Setting(L"EqGain"), BytesToHex(gains));

    sim::ClearSimRequestLog();
    sim::InjectSimFailure(DrvPropEq, 31);
    EXPECT_EQ(ApplyEqGain(gains), 31u);  // stops at the first failure
    EXPECT_EQ(Log().size(), 1u);
}

TEST_F(Driver, ChannelGainReplacesOneDwordOfTheLiveBlock) {
    Card(kDX);
    sim::SetSimLiveValue(L"WaveOutVolL", Hex(L"0000FAFF"));
    ASSERT_EQ(ApplyChannelGain(L"CentreVol", Hex(L"0000F4FF")), 0u);
    const auto log = Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].flags, 1u);
    EXPECT_EQ(log[1].flags, 2u);
    Bytes expected(40, 0);
    expected[2] = 0xFA, expected[3] = 0xFF, expected[10] = 0xF4, expected[11] = 0xFF;
    EXPECT_EQ(log[1].bytes, expected);
    EXPECT_EQ(Setting(L"CentreVol"), L"0000F4FF");
    EXPECT_EQ(Setting(L"WaveOutVolL"), L"0000FAFF");

    sim::ClearSimRequestLog();
    EXPECT_EQ(ApplyChannelGain(L"centrevol", Hex(L"0000F4FF")), 0u);  // exact names only
    sim::InjectSimFailure(DrvPropChannelGains, 31);
    EXPECT_EQ(ApplyChannelGain(L"LfeVol", Hex(L"0000F4FF")), 31u);  // failed read: no write
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].flags, 1u);
}

TEST_F(Driver, SpeakerLayoutNeedsAllEightRecords) {
    Card(kDX);
    const Bytes layout = HexToBytes(gDriverDefaults.At(L"VSpeakerPos"));
    EXPECT_EQ(ApplyVSpeakerPos(Bytes(layout.begin(), layout.end() - 1)), 0u);
    EXPECT_TRUE(Log().empty());
    Bytes moved = layout;
    moved[16 * 7] ^= 0x10;
    ASSERT_EQ(ApplyVSpeakerPos(moved), 0u);
    const auto log = Log();
    ASSERT_EQ(log.size(), 8u);
    for (std::uint8_t i = 0; i < 8; ++i) {
        Bytes expected(8, 0);
        expected[0] = i;
        expected.insert(expected.end(), moved.begin() + 16 * i, moved.begin() + 16 * i + 12);
        EXPECT_EQ(log[i].bytes, expected) << int(i);
    }
    EXPECT_EQ(Setting(L"VSpeakerPos"), BytesToHex(moved));
}

TEST_F(Driver, SpeakerTrialFollowsTheModelAndChangesTheBlock) {
    Card(kDG);
    EXPECT_EQ(ProbeSpeakerConfig(Hex(L"03000000")), 0u);
    EXPECT_EQ(ProbeSpeakerConfig(Hex(L"06000000")), 0u);
    EXPECT_EQ(ProbeSpeakerConfig(Hex(L"07000000")), 50u);
    EXPECT_EQ(Setting(L"SpeakerConfig"), L"06000000");
    EXPECT_EQ(Last(Log()).id, 6u);

    sim::SetSimAcceptedSpeakerConfigs(std::vector<std::uint8_t>{7});
    EXPECT_EQ(ProbeSpeakerConfig(Hex(L"03000000")), 50u);
    EXPECT_EQ(ProbeSpeakerConfig(Hex(L"07000000")), 0u);
}

TEST_F(Driver, LevelBlockReportsLevelsOnlyWhileMeteringIsOn) {
    Card(kDX);
    Bytes block(40, 0xEE);
    ASSERT_EQ(SendDriverProperty(DrvPropPeakMeter, block, true), 0u);
    EXPECT_EQ(block, Bytes(40, 0));
    Bytes on(40, 0);
    on[0] = 1;
    ASSERT_EQ(SendDriverProperty(DrvPropPeakMeter, on, false), 0u);
    EXPECT_TRUE(sim::SimMeteringOn());
    ASSERT_EQ(SendDriverProperty(DrvPropPeakMeter, block, true), 0u);
    EXPECT_EQ(BytesToUInt32(block, 36), static_cast<std::uint32_t>(-96 * 65536));  // silence
    sim::SetSimLevels({-20 * 65536, -6 * 65536});
    ASSERT_EQ(SendDriverProperty(DrvPropPeakMeter, block, true), 0u);
    EXPECT_EQ(static_cast<std::int32_t>(BytesToUInt32(block, 4)), -6 * 65536);
    Bytes off(40, 0);
    ASSERT_EQ(SendDriverProperty(DrvPropPeakMeter, off, false), 0u);
    EXPECT_FALSE(sim::SimMeteringOn());
}

}  // namespace

TEST(DriverDevice, InterfaceIsOpenedForReadingOnly) {
    // A device that others hold without write sharing still opens for a read-only request,
    // as it does for a user who is granted read access alone.
    wchar_t folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    ASSERT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(::GetTempFileNameW(folder, L"kdv", 0, file), 0u);
    HANDLE holder = ::CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const Platform real = RealPlatform();
    HANDLE opened = real.OpenDeviceInterface(file);
    EXPECT_NE(opened, INVALID_HANDLE_VALUE) << "error " << ::GetLastError();
    if (opened != INVALID_HANDLE_VALUE) real.CloseDeviceInterface(opened);
    ::CloseHandle(holder);
    ::DeleteFileW(file);
}
