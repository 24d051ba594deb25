#include "device/audio.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <optional>
#include <thread>

#include "device/platform.h"
#include "sim/audio_card.h"
#include "sim/audio_objects.h"
#include "sim/parts.h"
#include "sim/state.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "tests/common/child.h"
#include "tests/common/sim_platform.h"

namespace kal {
namespace {

using sim::FindSimEndpoint;
using sim::SimAudioEndpoints;

std::wstring Id(const wchar_t* key) { return SimAudioEndpoints()[static_cast<std::size_t>(FindSimEndpoint(key))].id; }
int Ep(const wchar_t* key) { return FindSimEndpoint(key); }

std::wstring CardHid() { return L"PCI\\VEN_13F6&DEV_8788&SUBSYS_" + sim::SimModel() + L"&REV_00"; }

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A child process started by a test reads the state its parent left.
        child_ = ::GetEnvironmentVariableW(L"KALVENOR_AUDIO_CHILD", nullptr, 0) != 0;
        if (!child_) sim::ResetSimAudioState();
        CreateAudioObject();
    }
    void TearDown() override {
        ReleaseAudioObject();
        sim::WaitForSimNotifications();
        if (!child_) sim::ResetSimAudioState();
    }
    CAudio& A() { return *gAudio; }

    testing::SimPlatformScope platform_;
    testing::SimCardPresent present_;
    bool child_ = false;
};

TEST_F(AudioTest, FindsTheCardsEndpointsAmongForeignOnesByHardwareId) {
    // The simulated enumerator refuses the first mask as Wine's does; the retry must find them.
    const auto render = A().LinesFromHID(CardHid(), 0);
    EXPECT_EQ(render, (std::vector<std::wstring>{Id(L"wave"), Id(L"speakers"), Id(L"spdif")}));
    EXPECT_TRUE(A().CustomControls.Empty());

    // Case does not matter; flow 1 lists the eight inputs in slot order and collects their switches.
    std::wstring lower = CardHid();
    for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    const auto capture = A().LinesFromHID(lower, 1);
    ASSERT_EQ(capture.size(), 8u);
    const wchar_t* inputs[] = {L"mic", L"line", L"aux", L"wave_in", L"mix", L"cd", L"alt", L"spdif_in"};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(capture[i], Id(inputs[i])) << i;
    EXPECT_EQ(A().CustomControls.Count(), 8u);
    EXPECT_EQ(A().CustomControls.At(Id(L"mic")).size(), 2u);
    EXPECT_EQ(A().CustomControls.At(Id(L"line")).size(), 1u);
    EXPECT_FALSE(A().CustomControls.Contains(Id(L"other_mic")));

    // A playback call replaces the collection.
    A().LinesFromHID(CardHid(), 0);
    EXPECT_TRUE(A().CustomControls.Empty());

    EXPECT_TRUE(A().LinesFromHID(L"PCI\\VEN_13F6&DEV_9999", 0).empty());
    // An empty id is contained in every hardware id; it must name no endpoint at all.
    EXPECT_TRUE(A().LinesFromHID(L"", 0).empty());
    EXPECT_TRUE(A().LinesFromHID(L"", 1).empty());
}

TEST_F(AudioTest, SimulatedEnumeratorRefusesUnpublishedStateBits) {
    ComPtr<IMMDeviceEnumerator> e;
    ASSERT_HRESULT_SUCCEEDED(sim::CreateSimDeviceEnumerator(e.put()));
    ComPtr<IMMDeviceCollection> c;
    EXPECT_EQ(e->EnumAudioEndpoints(eRender, 0x10000003, c.put()), E_INVALIDARG);
    ASSERT_HRESULT_SUCCEEDED(e->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, c.put()));
    UINT n = 0;
    c->GetCount(&n);
    EXPECT_EQ(n, 9u);
}

TEST_F(AudioTest, EndpointsInEveryPublishedStateAreListed) {
    sim::SetSimEndpointState(Ep(L"aux"), DEVICE_STATE_DISABLED);
    sim::SetSimEndpointState(Ep(L"cd"), DEVICE_STATE_UNPLUGGED);
    sim::SetSimEndpointState(Ep(L"alt"), DEVICE_STATE_NOTPRESENT);
    EXPECT_EQ(A().LinesFromHID(CardHid(), 1).size(), 8u);
    EXPECT_EQ(A().DeviceState(Id(L"aux")), static_cast<std::uint32_t>(DEVICE_STATE_DISABLED));
    EXPECT_EQ(A().DeviceState(Id(L"cd")), static_cast<std::uint32_t>(DEVICE_STATE_UNPLUGGED));
    EXPECT_EQ(A().DeviceState(Id(L"line")), static_cast<std::uint32_t>(DEVICE_STATE_ACTIVE));
    EXPECT_EQ(A().DeviceState(L"{0.0.0.00000000}.{nothing}"), 0u);
    EXPECT_EQ(A().DeviceState(L""), 0u);
}

TEST_F(AudioTest, RemovedCardLeavesItsEndpointsNotPresent) {
    RegWrite(testing::SimCardPresent::DriverStateKey(), L"Removed", std::wstring(L"1"));
    EXPECT_EQ(A().DeviceState(Id(L"speakers")), static_cast<std::uint32_t>(DEVICE_STATE_NOTPRESENT));
    EXPECT_EQ(A().DeviceState(Id(L"other_speakers")), static_cast<std::uint32_t>(DEVICE_STATE_ACTIVE));
    // Still listed (the published states are asked for), but no longer a default device.
    EXPECT_EQ(A().LinesFromHID(CardHid(), 0).size(), 3u);
    EXPECT_EQ(A().DefaultDeviceID(0), L"");
    A().SelectInputLine(Id(L"line"));
    EXPECT_EQ(sim::SimDefaultEndpoint(eCapture, eConsole), Id(L"mic"));
}

TEST_F(AudioTest, RecordingInputsMapToTheirSlotsThroughMediaCategories) {
    // The categories the card registers name the inputs that have no standard node type.
    const std::wstring root = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaCategories\\";
    const std::pair<const wchar_t*, int> categories[] = {{L"{AF24C5CC-A32D-479F-9FFB-BFD00E135BA9}", 2},
                                                         {L"{209A9FAC-0A88-4EC9-AEF4-84C01BD5477F}", 3},
                                                         {L"{3EC8502B-5D89-4D2D-A78A-FF45CA18A3B7}", 4},
                                                         {L"{F35C2296-20FF-46E8-BDAF-56B5DDFC9CFB}", 6},
                                                         {L"{5AEA5794-AA8A-4AAF-AB8B-4854C97B5D90}", 7}};
    KeyedCollection<int> slotByName;
    for (const auto& [guid, slot] : categories) {
        auto name = RegReadText(root + guid, L"Name");
        ASSERT_TRUE(name && !name->empty()) << guid;
        slotByName.Add(*name, slot);
    }
    const std::wstring monitor = RegReadText(root + L"{E23E291E-1B5B-4657-B046-0190383ABCA1}", L"Name").value_or(L"");
    ASSERT_FALSE(monitor.empty());

    const auto lines = A().LinesFromHID(CardHid(), 1);
    std::array<std::wstring, 8> slots;
    std::array<int, 8> monitorControl{};
    for (const auto& line : lines) {
        int slot = -1;
        switch (A().DeviceSubtypeToComponentType(A().DeviceSubtype(line), 1)) {
            case 0x1003: slot = 0; break;
            case 0x1002: slot = 1; break;
            case 0x1005: slot = 5; break;
            default:
                if (const int* s = slotByName.Find(A().LineDescription(line, 1))) slot = *s;
        }
        ASSERT_NE(slot, -1) << A().LineDescription(line, 1);
        slots[static_cast<std::size_t>(slot)] = line;
        const auto count = static_cast<std::int32_t>(A().CustomControls.At(line).size());
        for (std::int32_t j = 1; j <= count; ++j) {
            if (A().ControlName(line, j) == monitor) {
                monitorControl[static_cast<std::size_t>(slot)] = j;
                break;
            }
        }
    }
    EXPECT_EQ(slots[0], Id(L"mic"));
    EXPECT_EQ(slots[1], Id(L"line"));
    EXPECT_EQ(slots[2], Id(L"aux"));
    EXPECT_EQ(slots[3], Id(L"wave_in"));
    EXPECT_EQ(slots[4], Id(L"mix"));
    EXPECT_EQ(slots[5], Id(L"cd"));
    EXPECT_EQ(slots[6], Id(L"alt"));
    EXPECT_EQ(slots[7], Id(L"spdif_in"));
    EXPECT_EQ(gInputLineNames.size(), slots.size());
    // The microphone's monitoring switch comes after its boost.
    EXPECT_EQ(monitorControl[0], 2);
    for (std::size_t i = 1; i < 8; ++i) EXPECT_EQ(monitorControl[i], 1) << i;
}

TEST_F(AudioTest, HardwareIdentityNamesTheSimulatedModel) {
    const auto text = AudioValueText(A().GetDeviceProperty(Id(L"speakers"), kPropHardwareIdentity));
    EXPECT_NE(text.find(L"PCI\\VEN_13F6&DEV_8788&SUBSYS_" + sim::SimModel() + L"&REV_00"), std::wstring::npos) << text;
    const auto foreign = AudioValueText(A().GetDeviceProperty(Id(L"other_speakers"), kPropHardwareIdentity));
    EXPECT_EQ(foreign.find(L"VEN_13F6"), std::wstring::npos);
}

TEST_F(AudioTest, DevicePropertiesAsTextNumberOrNothing) {
    const auto desc = A().GetDeviceProperty(Id(L"line"), kPropDeviceDesc);
    ASSERT_TRUE(std::holds_alternative<std::wstring>(desc));
    EXPECT_EQ(std::get<std::wstring>(desc), L"Line In");
    // Form factor: a number (line level).
    const auto form = A().GetDeviceProperty(Id(L"line"), L"{1DA5D803-D492-4EDD-8C23-E0C0FFEE7F0E},0");
    ASSERT_TRUE(std::holds_alternative<std::int32_t>(form));
    EXPECT_EQ(std::get<std::int32_t>(form), 2);
    // An absent property is the number 0, so its description text reads "0".
    const auto absent = A().GetDeviceProperty(Id(L"line"), L"{1DA5D803-D492-4EDD-8C23-E0C0FFEE7F0E},77");
    EXPECT_EQ(AudioValueText(absent), L"0");
    // No device: nothing.
    EXPECT_TRUE(std::holds_alternative<std::monostate>(A().GetDeviceProperty(L"", kPropDeviceDesc)));
    EXPECT_EQ(A().LineDescription(L"{0.0.1.00000000}.{missing}", 1), L"");
}

TEST_F(AudioTest, PropertyKeyText) {
    const auto key = CAudio::StringToPKEY(L"{1da5d803-d492-4edd-8c23-e0c0ffee7f0e},3");
    EXPECT_EQ(key.pid, 3u);
    EXPECT_EQ(CAudio::PKEYToString(key), L"{1DA5D803-D492-4EDD-8C23-E0C0FFEE7F0E},3");
    const auto noComma = CAudio::StringToPKEY(L"{1DA5D803-D492-4EDD-8C23-E0C0FFEE7F0E}");
    EXPECT_EQ(noComma.pid, 0u);
    EXPECT_TRUE(IsEqualGUID(noComma.fmtid, GUID{}));
    const auto emptyPid = CAudio::StringToPKEY(L"{1DA5D803-D492-4EDD-8C23-E0C0FFEE7F0E},");
    EXPECT_EQ(emptyPid.pid, 0u);
    EXPECT_FALSE(IsEqualGUID(emptyPid.fmtid, GUID{}));
    const auto badGuid = CAudio::StringToPKEY(L"not a guid,14");
    EXPECT_TRUE(IsEqualGUID(badGuid.fmtid, GUID{}));
    EXPECT_EQ(badGuid.pid, 14u);
    EXPECT_EQ(CAudio::PKEYToString(PROPERTYKEY{}), L"{00000000-0000-0000-0000-000000000000},0");
}

TEST_F(AudioTest, ChannelVolumeRoundTripsEveryStoredPercent) {
    const std::wstring speakers = Id(L"speakers");
    for (int p = 0; p <= 100; ++p) {
        for (std::int32_t ch = 0; ch < 2; ++ch) {
            float level = static_cast<float>(p) / 100.0f;
            std::int32_t channel = ch;
            A().LineChannelVolumeOperation(speakers, channel, level, 0, true, false);
            float back = -1;
            A().LineChannelVolumeOperation(speakers, channel, back, 0, false, false);
            EXPECT_EQ(back, static_cast<float>(p) / 100.0f) << p;
            EXPECT_EQ(static_cast<int>(std::nearbyint(back * 100.0f)), p);
        }
    }
    // The level is kept where another process sees it.
    float level = 0.25f;
    std::int32_t channel = 1;
    A().LineChannelVolumeOperation(speakers, channel, level, 0, true, false);
    EXPECT_EQ(sim::SimChannelLevel(Ep(L"speakers"), 1), 0.25f);
}

TEST_F(AudioTest, ChannelCountsAndRejectedChannels) {
    std::int32_t channel = -5;
    float level = 0;
    A().LineChannelVolumeOperation(Id(L"speakers"), channel, level, 0, false, true);
    EXPECT_EQ(channel, 2);
    channel = -5;
    A().LineChannelVolumeOperation(Id(L"mic"), channel, level, 1, false, true);
    EXPECT_EQ(channel, 1);

    // A channel the endpoint lacks: the write is refused and the level stays.
    sim::SetSimChannelLevel(Ep(L"mic"), 0, 0.4f);
    channel = 1;
    level = 0.9f;
    A().LineChannelVolumeOperation(Id(L"mic"), channel, level, 1, true, false);
    level = 0.7f;
    A().LineChannelVolumeOperation(Id(L"mic"), channel, level, 1, false, false);
    EXPECT_EQ(level, 0.7f);
    EXPECT_EQ(sim::SimChannelLevel(Ep(L"mic"), 0), 0.4f);

    // No volume part on the digital output's path: nothing happens, even the count.
    channel = 9;
    A().LineChannelVolumeOperation(Id(L"spdif"), channel, level, 0, false, true);
    EXPECT_EQ(channel, 9);
    channel = 0;
    level = 0.1f;
    A().LineChannelVolumeOperation(Id(L"spdif"), channel, level, 0, true, false);
    EXPECT_NE(sim::SimChannelLevel(Ep(L"spdif"), 0), 0.1f);

    channel = 0;
    level = 0.5f;
    A().LineChannelVolumeOperation(L"", channel, level, 0, true, false);
    EXPECT_EQ(level, 0.5f);
}

TEST_F(AudioTest, MasterVolumeIsTheLouderChannel) {
    sim::SetSimChannelLevel(Ep(L"speakers"), 0, 0.5f);
    sim::SetSimChannelLevel(Ep(L"speakers"), 1, 0.25f);
    EXPECT_FLOAT_EQ(A().GetLineMasterVolume(Id(L"speakers"), 0), 0.5f);
    sim::SetSimChannelLevel(Ep(L"speakers"), 1, 0.75f);
    EXPECT_FLOAT_EQ(A().GetLineMasterVolume(Id(L"speakers"), 0), 0.75f);
    // A one-channel line reports its one level.
    sim::SetSimChannelLevel(Ep(L"mic"), 0, 0.3f);
    EXPECT_FLOAT_EQ(A().GetLineMasterVolume(Id(L"mic"), 1), 0.3f);
    EXPECT_EQ(A().GetLineMasterVolume(Id(L"spdif"), 0), 0.0f);
}

TEST_F(AudioTest, DecibelsFollowTheEndpointsRange) {
    float lo = 1, hi = 2, step = 3;
    A().GetDeviceVolumeRange(Id(L"speakers"), lo, hi, step);
    EXPECT_EQ(lo, sim::kSimMinDB);
    EXPECT_EQ(hi, sim::kSimMaxDB);
    EXPECT_EQ(step, sim::kSimStepDB);
    EXPECT_EQ(A().DeviceDBFromLinear(Id(L"speakers"), 0, 50), -105000);
    EXPECT_EQ(A().DeviceDBFromLinear(Id(L"line"), 1, 50), -60000);
    EXPECT_EQ(A().DeviceDBFromLinear(Id(L"speakers"), 0, 101), 0);
    // No endpoint: outputs untouched, a range of 0 to 0.
    lo = 1, hi = 2, step = 3;
    A().GetDeviceVolumeRange(L"", lo, hi, step);
    EXPECT_EQ(lo, 1.0f);
    EXPECT_EQ(hi, 2.0f);
    EXPECT_EQ(A().DeviceDBFromLinear(L"", 0, 50), 0);
}

TEST_F(AudioTest, MuteReadsBackAndPersists) {
    std::int16_t value = -1;
    A().LineMuteOperation(Id(L"speakers"), 0, value, true);
    EXPECT_TRUE(sim::SimMute(Ep(L"speakers")));
    value = 0;
    A().LineMuteOperation(Id(L"speakers"), 0, value, false);
    EXPECT_EQ(value, -1);
    value = 0;
    A().LineMuteOperation(Id(L"speakers"), 0, value, true);
    value = 5;
    A().LineMuteOperation(Id(L"speakers"), 0, value, false);
    EXPECT_EQ(value, 0);
    // Other endpoints are not touched; a recording line mutes on its own endpoint.
    value = -1;
    A().LineMuteOperation(Id(L"line"), 1, value, true);
    EXPECT_TRUE(sim::SimMute(Ep(L"line")));
    EXPECT_FALSE(sim::SimMute(Ep(L"mic")));
    EXPECT_FALSE(sim::SimMute(Ep(L"speakers")));
    // Missing endpoint: value unchanged.
    value = 7;
    A().LineMuteOperation(L"", 0, value, false);
    EXPECT_EQ(value, 7);

    // A new audio object (as in a later process) reads the kept state.
    ReleaseAudioObject();
    CreateAudioObject();
    value = 0;
    A().LineMuteOperation(Id(L"line"), 1, value, false);
    EXPECT_EQ(value, -1);
}

TEST_F(AudioTest, GainSwitchesByNumber) {
    A().LinesFromHID(CardHid(), 1);
    const std::wstring mic = Id(L"mic");
    EXPECT_EQ(A().ControlName(mic, 1), L"Mic Boost");
    EXPECT_EQ(A().ControlName(mic, 2), L"Monitor");
    std::int16_t value = -1;
    A().ControlValue(mic, 2, value, true);
    value = 0;
    A().ControlValue(mic, 2, value, false);
    EXPECT_EQ(value, -1);
    value = 0;
    A().ControlValue(mic, 1, value, false);
    EXPECT_EQ(value, 0);
    // Only the mic's monitoring switch changed.
    const auto& monitorPart = SimAudioEndpoints()[static_cast<std::size_t>(Ep(L"mic"))].path[4];
    EXPECT_TRUE(sim::SimAgcEnabled(Ep(L"mic"), monitorPart.localId));
    value = 0;
    A().ControlValue(Id(L"line"), 1, value, false);
    EXPECT_EQ(value, 0);
    value = 0;
    A().ControlValue(mic, 2, value, true);
    value = -1;
    A().ControlValue(mic, 2, value, false);
    EXPECT_EQ(value, 0);

    EXPECT_THROW(A().ControlName(mic, 3), std::out_of_range);
    EXPECT_THROW(A().ControlName(mic, 0), std::out_of_range);
    EXPECT_THROW(A().ControlValue(Id(L"speakers"), 1, value, false), std::out_of_range);
}

TEST_F(AudioTest, SelectingAnInputSetsDefaultAndSelector) {
    const std::wstring line = Id(L"line");
    A().SelectInputLine(line);
    EXPECT_EQ(A().DefaultDeviceID(1), line);
    EXPECT_EQ(AudioValueText(A().SelectedInputLineID()), line);
    EXPECT_EQ(sim::SimSelectedInputKey(), L"line");
    EXPECT_EQ(sim::SimDefaultEndpoint(eCapture, eConsole), line);
    // Playback default untouched.
    EXPECT_EQ(A().DefaultDeviceID(0), Id(L"speakers"));

    A().SelectInputLine(Id(L"spdif_in"));
    EXPECT_EQ(sim::SimSelectedInputKey(), L"spdif_in");

    // A path without a selector: only the default changes.
    A().SelectInputLine(Id(L"other_mic"));
    EXPECT_EQ(A().DefaultDeviceID(1), Id(L"other_mic"));
    EXPECT_EQ(sim::SimSelectedInputKey(), L"spdif_in");
}

TEST_F(AudioTest, SharedSelectorListsEveryCardInput) {
    ComPtr<IMMDeviceEnumerator> e;
    ASSERT_HRESULT_SUCCEEDED(sim::CreateSimDeviceEnumerator(e.put()));
    ComPtr<IMMDevice> device;
    ASSERT_HRESULT_SUCCEEDED(e->GetDevice(Id(L"cd").c_str(), device.put()));
    ComPtr<IDeviceTopology> topology;
    ASSERT_HRESULT_SUCCEEDED(device->Activate(kIidDeviceTopology, kClsCtxAll, nullptr, topology.put_void()));
    ComPtr<IConnector> connector, jack;
    ASSERT_HRESULT_SUCCEEDED(topology->GetConnector(0, connector.put()));
    ASSERT_HRESULT_SUCCEEDED(connector->GetConnectedTo(jack.put()));
    ComPtr<IPart> part = jack.As<IPart>(kIidPart);
    ComPtr<IAudioInputSelector> selector;
    for (int i = 0; i < 10 && part && !selector; ++i) {
        if (SUCCEEDED(part->Activate(kClsCtxAll, kIidAudioInputSelector, selector.put_void()))) break;
        ComPtr<IPartsList> next;
        ASSERT_HRESULT_SUCCEEDED(part->EnumPartsOutgoing(next.put()));
        ComPtr<IPart> p;
        ASSERT_HRESULT_SUCCEEDED(next->GetPart(0, p.put()));
        part = p;
    }
    ASSERT_TRUE(selector);
    ComPtr<IPartsList> inputs;
    ASSERT_HRESULT_SUCCEEDED(part->EnumPartsIncoming(inputs.put()));
    UINT count = 0;
    inputs->GetCount(&count);
    EXPECT_EQ(count, 8u);
    ComPtr<IPart> first;
    ASSERT_HRESULT_SUCCEEDED(inputs->GetPart(0, first.put()));
    UINT firstId = 0;
    first->GetLocalId(&firstId);
    EXPECT_HRESULT_SUCCEEDED(selector->SetSelection(firstId, nullptr));
    EXPECT_EQ(sim::SimSelectedInputKey(), L"mic");
    // Only a part that enters the selector can be selected.
    UINT selectorId = 0;
    part->GetLocalId(&selectorId);
    EXPECT_EQ(selector->SetSelection(selectorId, nullptr), E_INVALIDARG);
    EXPECT_EQ(sim::SimSelectedInputKey(), L"mic");
}

TEST_F(AudioTest, FaultyTopologyEndsTheWalk) {
    sim::SetSimTopologyLoop(L"line");
    const auto controls = A().LineCustomControls(Id(L"line"));
    EXPECT_GE(controls.size(), 1u);
    EXPECT_LT(controls.size(), 256u);
    const auto text = A().ExploreLine(Id(L"line"), 1);
    EXPECT_FALSE(text.empty());
    std::int32_t channel = 0;
    float level = 0;
    A().LineChannelVolumeOperation(Id(L"line"), channel, level, 1, false, true);
    EXPECT_EQ(channel, 2);
    sim::SetSimTopologyLoop(L"");
    EXPECT_EQ(A().LineCustomControls(Id(L"line")).size(), 1u);
}

TEST_F(AudioTest, ExploreLineDescribesThePath) {
    const std::wstring expected =
        L"\tSpeakers\r\n\tNode Type: {DFF21CE1-F70F-11D0-B917-00A0C9223196}\r\n\tPart Type: Connector\r\n"
        L"\t\tMaster Mute\r\n\t\tNode Type: {02B223C0-C557-11D0-8A2B-00A0C9255AC1}\r\n\t\tPart Type: Subpart\r\n"
        L"\t\t\tMaster Volume\r\n\t\t\tNode Type: {3A5ACC00-C557-11D0-8A2B-00A0C9255AC1}\r\n\t\t\tPart Type: Subpart\r\n";
    EXPECT_EQ(A().ExploreLine(Id(L"speakers"), 0), expected);
    EXPECT_EQ(A().ExploreLine(L"", 0), L"");
}

// Run as a child process by StateOutlivesTheProcess: reads what the parent set.
TEST_F(AudioTest, ChildReadsKeptState) {
    if (!::GetEnvironmentVariableW(L"KALVENOR_AUDIO_CHILD", nullptr, 0)) GTEST_SKIP() << "child of another test";
    std::int16_t mute = 0;
    A().LineMuteOperation(Id(L"line"), 1, mute, false);
    EXPECT_EQ(mute, -1);
    std::int32_t channel = 1;
    float level = 0;
    A().LineChannelVolumeOperation(Id(L"speakers"), channel, level, 0, false, false);
    EXPECT_EQ(level, 0.35f);
    EXPECT_EQ(AudioValueText(A().SelectedInputLineID()), Id(L"aux"));
    A().LinesFromHID(CardHid(), 1);
    std::int16_t monitor = 0;
    A().ControlValue(Id(L"mic"), 2, monitor, false);
    EXPECT_EQ(monitor, -1);
}

TEST_F(AudioTest, StateOutlivesTheProcess) {
    if (::GetEnvironmentVariableW(L"KALVENOR_AUDIO_CHILD", nullptr, 0)) GTEST_SKIP();
    std::int16_t on = -1;
    A().LineMuteOperation(Id(L"line"), 1, on, true);
    std::int32_t channel = 1;
    float level = 0.35f;
    A().LineChannelVolumeOperation(Id(L"speakers"), channel, level, 0, true, false);
    A().SelectInputLine(Id(L"aux"));
    A().LinesFromHID(CardHid(), 1);
    A().ControlValue(Id(L"mic"), 2, on, true);

    ::SetEnvironmentVariableW(L"KALVENOR_AUDIO_CHILD", L"1");
    const kaltest::ChildRun run = kaltest::RunChild(
        kaltest::OwnExecutable(), L"--gtest_filter=AudioTest.ChildReadsKeptState", {.timeoutMs = 120000});
    ::SetEnvironmentVariableW(L"KALVENOR_AUDIO_CHILD", nullptr);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
}

class RecordingClient final : public IMMNotificationClient {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IMMNotificationClient))) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR id, DWORD state) override {
        Note(L"state " + std::wstring(id) + L" " + std::to_wstring(state));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR id) override { Note(L"added " + std::wstring(id)); return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR id) override { Note(L"removed " + std::wstring(id)); return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR id) override {
        Note(L"default " + std::to_wstring(flow) + L" " + std::to_wstring(role) + L" " + std::wstring(id));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR id, const PROPERTYKEY key) override {
        Note(L"property " + std::wstring(id) + L" " + CAudio::PKEYToString(key));
        return S_OK;
    }
    void Note(const std::wstring& s) {
        std::lock_guard lock(mutex);
        events.push_back(s);
        if (::GetCurrentThreadId() == uiThread) onUiThread = true;
    }
    std::vector<std::wstring> Events() {
        std::lock_guard lock(mutex);
        return events;
    }

    std::atomic<ULONG> refs{1};
    std::mutex mutex;
    std::vector<std::wstring> events;
    DWORD uiThread = ::GetCurrentThreadId();
    bool onUiThread = false;
};

TEST_F(AudioTest, NotificationsComeFromTheirOwnThread) {
    RecordingClient client;
    A().RegisterEndpointNotificationCallback(&client);
    EXPECT_EQ(sim::SimNotificationClientCount(), 1u);

    A().SelectInputLine(Id(L"aux"));
    sim::RaiseSimPropertyValueChanged(Id(L"speakers"), CAudio::StringToPKEY(L"{1DA5D803-D492-4EDD-8C23-E0C0FFEE7F0E},3"));
    sim::SetSimEndpointState(Ep(L"cd"), DEVICE_STATE_UNPLUGGED);
    sim::WaitForSimNotifications();
    EXPECT_EQ(client.Events(),
              (std::vector<std::wstring>{L"default 1 0 " + Id(L"aux"),
                                         L"property " + Id(L"speakers") + L" {1DA5D803-D492-4EDD-8C23-E0C0FFEE7F0E},3",
                                         L"state " + Id(L"cd") + L" 8"}));
    EXPECT_FALSE(client.onUiThread);

    // Selecting the present default again reports nothing.
    A().SelectInputLine(Id(L"aux"));
    A().UnregisterEndpointNotificationCallback(&client);
    EXPECT_EQ(sim::SimNotificationClientCount(), 0u);
    sim::RaiseSimDeviceAdded(Id(L"aux"));
    sim::WaitForSimNotifications();
    EXPECT_EQ(client.Events().size(), 3u);
    EXPECT_EQ(client.refs, 1u);
}

TEST(AudioLifetime, ReleasesEveryObjectBeforeComGoes) {
    auto platform = std::make_optional<testing::SimPlatformScope>();
    const long before = sim::SimAudioLiveObjects();
    const long strayBefore = sim::SimAudioReleasesWithoutCom();
    bool hadEnumerator = false, hadPolicy = false, comGone = false;
    std::size_t lines = 0;
    // A thread of its own, without COM: the audio object initialises and uninitialises it.
    std::thread ui([&] {
        CAudio& audio = CreateAudioObject();
        hadEnumerator = audio.HasEnumerator();
        hadPolicy = audio.HasPolicyConfig();
        lines = audio.LinesFromHID(CardHid(), 1).size();  // holds switch parts in CustomControls
        ReleaseAudioObject();
        // Gone, or only the process's implicit multithreaded apartment (another thread's MTA).
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        const HRESULT hr = ::CoGetApartmentType(&type, &qualifier);
        comGone = hr == CO_E_NOTINITIALIZED ||
                  (SUCCEEDED(hr) && type == APTTYPE_MTA && qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA);
    });
    ui.join();
    platform.reset();
    EXPECT_TRUE(hadEnumerator);
    EXPECT_TRUE(hadPolicy);
    EXPECT_EQ(lines, 8u);
    EXPECT_EQ(gAudio, nullptr);
    EXPECT_TRUE(comGone);
    EXPECT_EQ(sim::SimAudioLiveObjects(), before);
    EXPECT_EQ(sim::SimAudioReleasesWithoutCom(), strayBefore);
}

TEST(AudioLifetime, LeavesAnotherApartmentAlone) {
    auto platform = std::make_optional<testing::SimPlatformScope>();
    HRESULT stillThere = E_FAIL;
    APTTYPE type = APTTYPE_STA;
    bool hadEnumerator = false;
    // The thread already lives in the multithreaded apartment: the audio object cannot make it
    // single-threaded, and must not uninitialise what it did not initialise.
    std::thread worker([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            CAudio audio;
            hadEnumerator = audio.HasEnumerator();
        }
        APTTYPEQUALIFIER qualifier;
        stillThere = ::CoGetApartmentType(&type, &qualifier);
        ::CoUninitialize();
    });
    worker.join();
    platform.reset();
    EXPECT_TRUE(hadEnumerator);
    EXPECT_HRESULT_SUCCEEDED(stillThere);
    EXPECT_EQ(type, APTTYPE_MTA);
}

TEST(AudioLifetime, WithoutEnumeratorEverythingIsEmpty) {
    const testing::SavedPlatform saved;
    Platform p = RealPlatform();
    p.CreateDeviceEnumerator = [](IMMDeviceEnumerator** out) -> HRESULT {
        *out = nullptr;
        return REGDB_E_CLASSNOTREG;
    };
    bool policyAsked = false;
    static bool* asked = nullptr;
    asked = &policyAsked;
    p.CreatePolicyConfig = [](IUnknown** out) -> HRESULT {
        *asked = true;
        *out = nullptr;
        return E_FAIL;
    };
    gPlatform = p;
    gIsXP = false;
    {
        CAudio audio;
        EXPECT_FALSE(audio.HasEnumerator());
        EXPECT_FALSE(audio.HasPolicyConfig());
        EXPECT_FALSE(policyAsked);
        EXPECT_TRUE(audio.LinesFromHID(CardHid(), 1).empty());
        EXPECT_EQ(audio.DefaultDeviceID(0), L"");
        EXPECT_TRUE(std::holds_alternative<std::wstring>(audio.SelectedInputLineID()));
        audio.SelectInputLine(L"x");
        std::int16_t v = 3;
        audio.LineMuteOperation(L"x", 0, v, false);
        EXPECT_EQ(v, 3);
        EXPECT_EQ(audio.ExploreLine(L"x", 0), L"");
    }
    // On XP nothing of Core Audio is created.
    gPlatform = testing::SimPlatform();
    gIsXP = true;
    {
        CAudio audio;
        EXPECT_FALSE(audio.HasEnumerator());
    }
}

}  // namespace
}  // namespace kal
