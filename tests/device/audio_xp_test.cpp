// The audio object's Windows XP path against the simulated winmm mixers (another device's
// mixer, then the card's), in this process and, once, in a copy of this executable that Wine
// runs as Windows XP.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>
#include <dsound.h>
#include <malloc.h>

#include <algorithm>
#include <cwctype>
#include <stdexcept>
#include <utility>
#include <vector>

#include "device/audio.h"
#include "device/platform.h"
#include "sim/audio_card.h"
#include "sim/dsound.h"
#include "sim/parts.h"
#include "sim/state.h"
#include "sim/xp_mixer.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "tests/common/child.h"
#include "tests/common/sim_platform.h"
#include "tests/common/window_probes.h"

namespace kal {
namespace {

using sim::kSimCardMixer;
using sim::kSimForeignMixer;
using sim::SimMixerControlId;
using sim::SimMixerControlIdByName;
using sim::SimMixerLineId;
using sim::SimMixerValues;

constexpr DWORD kSpeakersDest = 0xFFFF0000;
constexpr DWORD kRecordingDest = 0xFFFF0001;
constexpr wchar_t kChildVariable[] = L"KALVENOR_XP_CHILD";

bool IsChild() { return ::GetEnvironmentVariableW(kChildVariable, nullptr, 0) != 0; }

// Detail reads whose buffer is smaller than what the mixer fills (channels x items x item size).
// The audio object's buffers come from the heap, so their size can be checked.
MMRESULT (*gRealDetails)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD) = nullptr;
int gOverruns = 0;
MMRESULT CheckedDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS d, DWORD flags) {
    if (d && d->paDetails) {
        const std::size_t needed = static_cast<std::size_t>(d->cChannels) * std::max<DWORD>(1, d->cMultipleItems) * d->cbDetails;
        if (::_msize(d->paDetails) < needed) {
            ++gOverruns;
            return MMSYSERR_INVALPARAM;  // refused before the mixer writes past the buffer
        }
    }
    return gRealDetails(mixer, d, flags);
}

// The card's filter path less its reference part, as card discovery hands it over on XP.
std::wstring CardIdentifier() {
    DWORD size = 0;
    auto device = reinterpret_cast<HMIXER>(static_cast<UINT_PTR>(kSimCardMixer));
    gPlatform.mixerMessage(device, DRV_QUERYDEVICEINTERFACESIZE, reinterpret_cast<DWORD_PTR>(&size), 0);
    std::wstring name(size / sizeof(wchar_t), L'\0');
    gPlatform.mixerMessage(device, DRV_QUERYDEVICEINTERFACE, reinterpret_cast<DWORD_PTR>(name.data()), size);
    name.resize(name.find(L'\0'));
    return name.substr(0, name.rfind(L'\\'));
}

std::wstring Text(DWORD id) { return MixerLineText(id); }

// A window that records the mixer messages it receives.
class MessageWindow {
public:
    struct Received {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    MessageWindow() {
        window_ = testing::CreateProcWindow(L"KalvenorXPMixerTestWindow", Proc, 0, 0, 0, HWND_MESSAGE);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;
    ~MessageWindow() { ::DestroyWindow(window_); }
    HWND get() const { return window_; }
    // Lets the posted messages arrive.
    std::vector<Received> Take() {
        MSG msg;
        while (::PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        return std::exchange(received_, {});
    }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (self && (m == MM_MIXM_CONTROL_CHANGE || m == MM_MIXM_LINE_CHANGE)) {
            self->received_.push_back({m, wp, lp});
            return 0;
        }
        return ::DefWindowProcW(w, m, wp, lp);
    }
    HWND window_ = nullptr;
    std::vector<Received> received_;
};

bool Has(const std::vector<MessageWindow::Received>& list, UINT message, LPARAM lParam) {
    return std::any_of(list.begin(), list.end(), [&](const auto& r) { return r.message == message && r.lParam == lParam; });
}

class AudioXPTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform p = testing::SimPlatform();
        gRealDetails = p.mixerGetControlDetailsW;
        p.mixerGetControlDetailsW = CheckedDetails;
        gPlatform = p;
        gOverruns = 0;
        gIsXP = true;
        if (!IsChild()) sim::ResetSimAudioState();
        handlesBefore_ = sim::SimOpenMixerHandles();
        CreateAudioObject();
    }
    void TearDown() override {
        ReleaseAudioObject();
        // The object closes every handle it opened.
        EXPECT_EQ(sim::SimOpenMixerHandles(), handlesBefore_);
        EXPECT_EQ(gOverruns, 0);
        if (!IsChild()) sim::ResetSimAudioState();
    }
    CAudio& A() { return *gAudio; }
    static DWORD Card(const wchar_t* shortName) { return SimMixerLineId(kSimCardMixer, shortName); }

    testing::SavedPlatform saved_;
    std::size_t handlesBefore_ = 0;
};

TEST_F(AudioXPTest, FindsTheCardsMixerBehindAnotherDevicesMixer) {
    const std::wstring hid = CardIdentifier();
    EXPECT_EQ(A().LinesFromHID(hid, 0), std::vector<std::wstring>{Text(kSpeakersDest)});
    EXPECT_EQ(sim::SimOpenMixerHandles(), handlesBefore_ + 1);
    EXPECT_EQ(A().LineType(kSpeakersDest, 0), static_cast<std::uint32_t>(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS));
    EXPECT_EQ(A().LineType(0, 0), 0u);
    // The card's master volume, not the other device's (which starts elsewhere).
    EXPECT_NEAR(A().GetLineMasterVolume(Text(kSpeakersDest), 0), static_cast<float>(0xC000) / 65535.0f, 1e-4);

    // Recording: the eight inputs in source order, their switch-class controls, the MUX.
    std::wstring lower = hid;
    for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    const auto inputs = A().LinesFromHID(lower, 1);
    const wchar_t* names[] = {L"Mic", L"Line In", L"Aux", L"Wave", L"Stereo Mix", L"CD Audio", L"Alt In", L"SPDIF In"};
    ASSERT_EQ(inputs.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(inputs[i], Text((static_cast<DWORD>(i) << 16) | 1)) << i;
        EXPECT_EQ(A().LineDescription(inputs[i], 1), names[i]) << i;
    }
    EXPECT_EQ(A().InputMuxControlID, SimMixerControlId(kSimCardMixer, kRecordingDest, MIXERCONTROL_CONTROLTYPE_MUX));
    EXPECT_EQ(A().LineType(MixerLineId(inputs[0]), 1), static_cast<std::uint32_t>(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE));
    EXPECT_EQ(A().LineType(MixerLineId(inputs[5]), 1), static_cast<std::uint32_t>(MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC));
    ASSERT_EQ(A().CustomControls.Count(), 8u);
    const auto& mic = A().CustomControls.At(inputs[0]);
    ASSERT_EQ(mic.size(), 4u);
    EXPECT_EQ(A().ControlName(inputs[0], 1), L"Mic Mute");
    EXPECT_EQ(A().ControlName(inputs[0], 2), L"Mic Boost");
    EXPECT_EQ(A().ControlName(inputs[0], 3), L"Mic Source");
    EXPECT_EQ(A().ControlName(inputs[0], 4), L"Monitor");
    EXPECT_EQ(A().CustomControls.At(inputs[1]).size(), 2u);
    EXPECT_THROW(A().ControlName(inputs[0], 5), std::out_of_range);
    EXPECT_THROW(A().LineDescription(L"Mic", 1), std::invalid_argument);
    // Still the one handle.
    EXPECT_EQ(sim::SimOpenMixerHandles(), handlesBefore_ + 1);
}

TEST_F(AudioXPTest, WithoutAMatchingMixerEveryMemberDoesNothing) {
    EXPECT_TRUE(A().LinesFromHID(L"VEN_FFFF&DEV_0001", 0).empty());
    EXPECT_TRUE(A().LinesFromHID(L"VEN_FFFF&DEV_0001", 1).empty());
    // An empty identifier matches no mixer either (it would match the other device's).
    EXPECT_TRUE(A().LinesFromHID(L"", 1).empty());
    EXPECT_EQ(sim::SimOpenMixerHandles(), handlesBefore_);
    std::int16_t mute = 5;
    A().LineMuteOperation(Text(kSpeakersDest), 0, mute, false);
    EXPECT_EQ(mute, 5);
    std::int32_t channel = 0;
    float level = 0.25f;
    A().LineChannelVolumeOperation(Text(kSpeakersDest), channel, level, 0, false, false);
    EXPECT_EQ(level, 0.25f);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(A().SelectedInputLineID()));
    EXPECT_EQ(A().LineDescription(Text(kSpeakersDest), 0), L"");
    EXPECT_EQ(A().LineType(kSpeakersDest, 0), 0u);
    EXPECT_TRUE(A().LineCustomControls(Text(0x00000001)).empty());
    A().RegisterMixerCallback(nullptr);
    EXPECT_EQ(sim::SimOpenMixerHandles(), handlesBefore_);
}

TEST_F(AudioXPTest, VolumesScaleOverEachControlsOwnRange) {
    A().LinesFromHID(CardIdentifier(), 1);
    const std::wstring speakers = Text(kSpeakersDest);
    const DWORD masterVolume = SimMixerControlId(kSimCardMixer, kSpeakersDest, MIXERCONTROL_CONTROLTYPE_VOLUME);
    std::int32_t channel = 0;
    float level = 0.5f;
    A().LineChannelVolumeOperation(speakers, channel, level, 0, true, false);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, masterVolume), (std::vector<LONG>{32768, 0xC000}));
    level = 0;
    A().LineChannelVolumeOperation(speakers, channel, level, 0, false, false);
    EXPECT_FLOAT_EQ(level, 32768.0f / 65535.0f);
    A().LineChannelVolumeOperation(speakers, channel, level, 0, false, true);
    EXPECT_EQ(channel, 2);

    // The microphone: one channel, a volume from 0x1000 to 0xF000.
    const std::wstring mic = Text(Card(L"Mic"));
    const DWORD micVolume = SimMixerControlId(kSimCardMixer, Card(L"Mic"), MIXERCONTROL_CONTROLTYPE_VOLUME);
    channel = 7;
    A().LineChannelVolumeOperation(mic, channel, level, 1, false, true);
    EXPECT_EQ(channel, 1);
    channel = 0;
    A().LineChannelVolumeOperation(mic, channel, level, 1, false, false);
    EXPECT_FLOAT_EQ(level, 0.5f);  // 0x8000 is half way
    level = 1.0f;
    A().LineChannelVolumeOperation(mic, channel, level, 1, true, false);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, micVolume), std::vector<LONG>{0xF000});
    level = 0.0f;
    A().LineChannelVolumeOperation(mic, channel, level, 1, true, false);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, micVolume), std::vector<LONG>{0x1000});
    EXPECT_FLOAT_EQ(A().GetLineMasterVolume(mic, 1), 0.0f);
    // Channel 1 of a mono line reads and writes nothing.
    channel = 1;
    level = 0.75f;
    A().LineChannelVolumeOperation(mic, channel, level, 1, true, false);
    A().LineChannelVolumeOperation(mic, channel, level, 1, false, false);
    EXPECT_EQ(level, 0.75f);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, micVolume), std::vector<LONG>{0x1000});
}

TEST_F(AudioXPTest, MutesAndSwitches) {
    const auto inputs = A().LinesFromHID(CardIdentifier(), 1);
    ASSERT_FALSE(inputs.empty());
    // Any playback line: the speakers destination's mute.
    std::int16_t value = -1;
    A().LineMuteOperation(inputs[2], 0, value, true);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, SimMixerControlId(kSimCardMixer, kSpeakersDest, MIXERCONTROL_CONTROLTYPE_MUTE)),
              std::vector<LONG>{1});
    value = 0;
    A().LineMuteOperation(Text(kSpeakersDest), 0, value, false);
    EXPECT_EQ(value, -1);
    // Recording: the recording destination's.
    value = 0;
    A().LineMuteOperation(inputs[0], 1, value, false);
    EXPECT_EQ(value, 0);

    const DWORD boost = SimMixerControlIdByName(kSimCardMixer, Card(L"Mic"), L"Mic Boost");
    value = -1;
    A().ControlValue(inputs[0], 2, value, true);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, boost), std::vector<LONG>{1});
    value = 0;
    A().ControlValue(inputs[0], 2, value, false);
    EXPECT_EQ(value, -1);
    value = 0;
    A().ControlValue(inputs[0], 2, value, true);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, boost), std::vector<LONG>{0});
    // A list control is read whole; its first item stands for it.
    value = 0;
    A().ControlValue(inputs[0], 3, value, false);
    EXPECT_EQ(value, -1);
    EXPECT_THROW(A().ControlValue(L"12345", 1, value, false), std::out_of_range);
}

TEST_F(AudioXPTest, RecordingSourceIsSetAndReadBack) {
    const auto inputs = A().LinesFromHID(CardIdentifier(), 1);
    ASSERT_EQ(inputs.size(), 8u);
    EXPECT_EQ(AudioValueText(A().SelectedInputLineID()), inputs[0]);
    A().SelectInputLine(inputs[2]);
    EXPECT_EQ(AudioValueText(A().SelectedInputLineID()), inputs[2]);
    // The selector lists the sources last first.
    const auto mux = SimMixerValues(kSimCardMixer, A().InputMuxControlID);
    EXPECT_EQ(mux, (std::vector<LONG>{0, 0, 0, 0, 0, 1, 0, 0}));
    // Lines the selector does not offer change nothing; text that is no number is an error.
    A().SelectInputLine(Text(kSpeakersDest));
    A().SelectInputLine(L"12345");
    EXPECT_EQ(AudioValueText(A().SelectedInputLineID()), inputs[2]);
    EXPECT_THROW(A().SelectInputLine(L"Aux"), std::invalid_argument);
    // The unsigned form of an id names the same line.
    A().SelectInputLine(std::to_wstring(MixerLineId(inputs[7])));
    EXPECT_EQ(std::get<std::int32_t>(A().SelectedInputLineID()), static_cast<std::int32_t>(MixerLineId(inputs[7])));
}

TEST_F(AudioXPTest, ChangeMessagesReachTheRegisteredWindow) {
    MessageWindow window;
    ASSERT_NE(window.get(), nullptr);
    const auto inputs = A().LinesFromHID(CardIdentifier(), 1);
    ASSERT_EQ(inputs.size(), 8u);
    A().RegisterMixerCallback(window.get());
    EXPECT_EQ(sim::SimOpenMixerHandles(), handlesBefore_ + 1);

    A().SelectInputLine(inputs[1]);
    auto got = window.Take();
    EXPECT_TRUE(Has(got, MM_MIXM_CONTROL_CHANGE, static_cast<LPARAM>(A().InputMuxControlID)));
    EXPECT_TRUE(Has(got, MM_MIXM_LINE_CHANGE, static_cast<LPARAM>(MixerLineId(inputs[0]))));
    EXPECT_TRUE(Has(got, MM_MIXM_LINE_CHANGE, static_cast<LPARAM>(MixerLineId(inputs[1]))));
    ASSERT_FALSE(got.empty());
    EXPECT_NE(got[0].wParam, 0u);

    // Another program's change arrives too; the other device's changes do not.
    const DWORD lineVolume = SimMixerControlId(kSimCardMixer, Card(L"Line In"), MIXERCONTROL_CONTROLTYPE_VOLUME);
    EXPECT_TRUE(sim::SetSimMixerValues(kSimCardMixer, lineVolume, {100, 200}));
    const DWORD foreignVolume = SimMixerControlId(kSimForeignMixer, kSpeakersDest, MIXERCONTROL_CONTROLTYPE_VOLUME);
    EXPECT_TRUE(sim::SetSimMixerValues(kSimForeignMixer, foreignVolume, {1, 1}));
    got = window.Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(MM_MIXM_CONTROL_CHANGE));
    EXPECT_EQ(got[0].lParam, static_cast<LPARAM>(lineVolume));

    // A failed reopen keeps the registered handle working.
    A().RegisterMixerCallback(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FFF0)));
    EXPECT_EQ(sim::SimOpenMixerHandles(), handlesBefore_ + 1);
    A().SelectInputLine(inputs[3]);
    EXPECT_TRUE(Has(window.Take(), MM_MIXM_CONTROL_CHANGE, static_cast<LPARAM>(A().InputMuxControlID)));
    EXPECT_EQ(AudioValueText(A().SelectedInputLineID()), inputs[3]);

    // No window: the messages stop.
    A().RegisterMixerCallback(nullptr);
    EXPECT_EQ(sim::SimOpenMixerHandles(), handlesBefore_ + 1);
    A().SelectInputLine(inputs[4]);
    EXPECT_TRUE(window.Take().empty());
    EXPECT_EQ(AudioValueText(A().SelectedInputLineID()), inputs[4]);
}

// Run by RunsForRealOnWindowsXP in a copy of this executable that Wine reports as Windows XP.
TEST_F(AudioXPTest, ChildOnWindowsXP) {
    if (!IsChild()) GTEST_SKIP() << "child of another test";
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)));
    ASSERT_EQ(version.dwMajorVersion, 5u);
    gIsXP = version.dwMajorVersion < 6;
    ReleaseAudioObject();
    CreateAudioObject();
    EXPECT_FALSE(A().HasEnumerator());
    EXPECT_FALSE(A().HasPolicyConfig());

    MessageWindow window;
    const auto inputs = A().LinesFromHID(CardIdentifier(), 1);
    ASSERT_EQ(inputs.size(), 8u);
    A().RegisterMixerCallback(window.get());
    A().SelectInputLine(inputs[6]);
    EXPECT_TRUE(Has(window.Take(), MM_MIXM_CONTROL_CHANGE, static_cast<LPARAM>(A().InputMuxControlID)));
    std::int32_t channel = 1;
    float level = 0.25f;
    A().LineChannelVolumeOperation(inputs[1], channel, level, 1, true, false);
    A().SetSpeakers(L"", 6);
    EXPECT_EQ(A().GetSpeakers(L""), 6);
}

TEST_F(AudioXPTest, RunsForRealOnWindowsXP) {
    if (IsChild()) GTEST_SKIP();
    sim::ResetSimSpeakerConfig();
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring name = L"kalvenor_xp_child.exe";
    const std::wstring copy = std::wstring(temp) + name;
    ASSERT_TRUE(::CopyFileW(kaltest::OwnExecutable().c_str(), copy.c_str(), FALSE));
    kaltest::SetWineVersionFor(name, L"winxp");

    ::SetEnvironmentVariableW(kChildVariable, L"1");
    const kaltest::ChildRun run =
        kaltest::RunChild(copy, L"--gtest_filter=AudioXPTest.ChildOnWindowsXP", {.timeoutMs = 120000});
    ::SetEnvironmentVariableW(kChildVariable, nullptr);
    kaltest::SetWineVersionFor(name, nullptr);
    ::DeleteFileW(copy.c_str());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);

    // What the child set is the card's state now.
    const DWORD mux = SimMixerControlId(kSimCardMixer, kRecordingDest, MIXERCONTROL_CONTROLTYPE_MUX);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, mux), (std::vector<LONG>{0, 1, 0, 0, 0, 0, 0, 0}));
    const DWORD lineVolume = SimMixerControlId(kSimCardMixer, Card(L"Line In"), MIXERCONTROL_CONTROLTYPE_VOLUME);
    EXPECT_EQ(SimMixerValues(kSimCardMixer, lineVolume), (std::vector<LONG>{0x8000, 16384}));
    EXPECT_EQ(sim::SimSpeakerConfig() & 0xFF, static_cast<DWORD>(DSSPEAKER_5POINT1));
    sim::ResetSimSpeakerConfig();
}

}  // namespace
}  // namespace kal
