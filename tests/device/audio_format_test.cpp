// Device format and speakers against the simulated card: the policy-config client's format,
// the format-support test of the path, and DirectSound's speaker configuration on XP.
#include <gtest/gtest.h>

#include <windows.h>
#include <dsound.h>

#include <cstring>
#include <optional>
#include <stdexcept>

#include "device/audio.h"
#include "device/platform.h"
#include "sim/audio_card.h"
#include "sim/audio_format.h"
#include "sim/dsound.h"
#include "sim/parts.h"
#include "sim/state.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "tests/common/sim_platform.h"

namespace kal {
namespace {

std::wstring Id(const wchar_t* key) {
    return sim::SimAudioEndpoints()[static_cast<std::size_t>(sim::FindSimEndpoint(key))].id;
}
int Ep(const wchar_t* key) { return sim::FindSimEndpoint(key); }

constexpr wchar_t kModel96k[] = L"84671043";   // a card whose rates end at 96 kHz
constexpr wchar_t kModel192k[] = L"82751043";  // one that goes to 192 kHz

class AudioFormatTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedModel_ = RegReadText(sim::kSimRoot, L"Model");
        sim::ResetSimAudioState();
        sim::ResetSimSpeakerConfig();
        sim::SetSimModel(kModel192k);
        CreateAudioObject();
    }
    void TearDown() override {
        ReleaseAudioObject();
        sim::WaitForSimNotifications();
        sim::ResetSimAudioState();
        sim::ResetSimSpeakerConfig();
        if (savedModel_) sim::SetSimModel(*savedModel_);
        else RegDeleteValue(sim::kSimRoot, L"Model");
    }
    // A fresh audio object on the XP path (no Core Audio objects).
    void UseXP() {
        ReleaseAudioObject();
        gIsXP = true;
        CreateAudioObject();
    }
    CAudio& A() { return *gAudio; }

    testing::SimPlatformScope platform_;
    std::optional<std::wstring> savedModel_;
};

TEST_F(AudioFormatTest, FormatRoundTripsThroughThePolicyClient) {
    const std::wstring speakers = Id(L"speakers");
    DeviceFormat f = A().GetDeviceFormat(speakers);
    EXPECT_EQ(f.Format.wFormatTag, WAVE_FORMAT_EXTENSIBLE);
    EXPECT_EQ(f.Format.nChannels, 2);
    EXPECT_EQ(f.Format.nSamplesPerSec, 48000u);
    EXPECT_EQ(f.Format.wBitsPerSample, 24);

    // Rate and depth change; block align, byte rate and mask follow.
    A().SetDeviceFormat(speakers, 96000, 16, 0);
    f = A().GetDeviceFormat(speakers);
    EXPECT_EQ(f.Format.nSamplesPerSec, 96000u);
    EXPECT_EQ(f.Format.wBitsPerSample, 16);
    EXPECT_EQ(f.Samples.wValidBitsPerSample, 16);
    EXPECT_EQ(f.Format.nBlockAlign, 4);
    EXPECT_EQ(f.Format.nAvgBytesPerSec, 384000u);
    EXPECT_EQ(f.dwChannelMask, 0x3u);
    EXPECT_EQ(f.Format.cbSize, 22);
    const auto stored = sim::SimDeviceFormat(Ep(L"speakers"));
    EXPECT_EQ(std::memcmp(&stored, &f, sizeof f), 0);

    // A capture endpoint has a format of its own.
    A().SetDeviceFormat(Id(L"line"), 44100, 24, 0);
    EXPECT_EQ(A().GetDeviceFormat(Id(L"line")).Format.nSamplesPerSec, 44100u);
    EXPECT_EQ(A().GetDeviceFormat(speakers).Format.nSamplesPerSec, 96000u);

    // Unknown endpoints give the empty record.
    const DeviceFormat none = A().GetDeviceFormat(L"{0.0.0.00000000}.{nothing}");
    EXPECT_EQ(none.Format.nChannels, 0);
    EXPECT_EQ(A().GetSpeakersVista(L"{0.0.0.00000000}.{nothing}"), 0u);
}

// The endpoint's property store shows the format the policy client keeps.
TEST_F(AudioFormatTest, PropertyStoreFollowsTheWrittenFormat) {
    const std::wstring speakers = Id(L"speakers");
    A().SetSpeakers(speakers, 4);
    const DeviceFormat written = A().GetDeviceFormat(speakers);
    ComPtr<IMMDeviceEnumerator> enumerator;
    ASSERT_HRESULT_SUCCEEDED(gPlatform.CreateDeviceEnumerator(enumerator.put()));
    ComPtr<IMMDevice> device;
    ASSERT_HRESULT_SUCCEEDED(enumerator->GetDevice(speakers.c_str(), device.put()));
    ComPtr<IPropertyStore> store;
    ASSERT_HRESULT_SUCCEEDED(device->OpenPropertyStore(STGM_READ, store.put()));
    PROPVARIANT value;
    ::PropVariantInit(&value);
    ASSERT_HRESULT_SUCCEEDED(store->GetValue(PROPERTYKEY{kPropDeviceFormatGuid, 0}, &value));
    ASSERT_EQ(value.vt, VT_BLOB);
    ASSERT_EQ(value.blob.cbSize, sizeof written);
    EXPECT_EQ(std::memcmp(value.blob.pBlobData, &written, sizeof written), 0);
    EXPECT_EQ(written.Format.nChannels, 4);
    ::PropVariantClear(&value);
}

TEST_F(AudioFormatTest, SpeakersOnVistaRewriteTheChannelLayoutOnly) {
    const std::wstring speakers = Id(L"speakers");
    A().SetSpeakers(speakers, 6);
    DeviceFormat f = A().GetDeviceFormat(speakers);
    EXPECT_EQ(f.Format.nChannels, 6);
    EXPECT_EQ(f.Format.nBlockAlign, 18);
    EXPECT_EQ(f.Format.nAvgBytesPerSec, 864000u);
    EXPECT_EQ(f.dwChannelMask, 0x60Fu);
    EXPECT_EQ(f.Format.nSamplesPerSec, 48000u);
    EXPECT_EQ(f.Format.wBitsPerSample, 24);
    EXPECT_EQ(A().GetSpeakers(speakers), 6);

    for (std::int16_t channels : {8, 4, 2}) {
        A().SetSpeakers(speakers, channels);
        EXPECT_EQ(A().GetSpeakersVista(speakers), static_cast<std::uint32_t>(channels));
    }
    EXPECT_EQ(A().GetDeviceFormat(speakers).dwChannelMask, 0x3u);

    // A rate change alone keeps the channels and their mask.
    A().SetSpeakers(speakers, 8);
    A().SetDeviceFormat(speakers, 96000, 0, 0);
    f = A().GetDeviceFormat(speakers);
    EXPECT_EQ(f.Format.nChannels, 8);
    EXPECT_EQ(f.dwChannelMask, 0x63Fu);
    EXPECT_EQ(f.Format.nAvgBytesPerSec, 96000u * 24u);
}

TEST_F(AudioFormatTest, RatesAboveTheCardsMaximumAreRefused) {
    const std::wstring speakers = Id(L"speakers");
    sim::SetSimModel(kModel96k);
    EXPECT_TRUE(A().FormatSupported(speakers, 0, 96000, 24, 2));
    EXPECT_FALSE(A().FormatSupported(speakers, 0, 192000, 24, 2));
    EXPECT_FALSE(A().FormatSupported(speakers, 0, 48000, 20, 2));
    EXPECT_TRUE(A().FormatSupported(speakers, 0, 48000, 16, 6));
    EXPECT_TRUE(A().FormatSupported(Id(L"mic"), 1, 48000, 16, 1));
    const long refused = sim::SimFormatWritesRefused();
    A().SetDeviceFormat(speakers, 192000, 0, 0);
    EXPECT_EQ(sim::SimFormatWritesRefused(), refused + 1);
    EXPECT_EQ(A().GetDeviceFormat(speakers).Format.nSamplesPerSec, 48000u);

    sim::SetSimModel(kModel192k);
    EXPECT_TRUE(A().FormatSupported(speakers, 0, 192000, 24, 2));
    A().SetDeviceFormat(speakers, 192000, 0, 0);
    EXPECT_EQ(A().GetDeviceFormat(speakers).Format.nSamplesPerSec, 192000u);

    // Another device's endpoint has limits of its own; a line without the part has no answer.
    EXPECT_FALSE(A().FormatSupported(Id(L"other_speakers"), 0, 96000, 16, 2));
    EXPECT_FALSE(A().FormatSupported(L"", 0, 48000, 16, 2));
}

TEST_F(AudioFormatTest, NothingIsWrittenWhenThePresentFormatCannotBeRead) {
    const std::wstring speakers = Id(L"speakers");
    const long writes = sim::SimFormatWrites();
    sim::FailNextSimFormatRead();
    A().SetDeviceFormat(speakers, 96000, 0, 0);
    A().SetSpeakers(L"{0.0.0.00000000}.{nothing}", 6);
    EXPECT_EQ(sim::SimFormatWrites(), writes);
    EXPECT_EQ(A().GetDeviceFormat(speakers).Format.nSamplesPerSec, 48000u);
}

TEST_F(AudioFormatTest, AShortFormatBlockIsReadOnlyAsFarAsItReaches) {
    // A plain wave format in front of stale bytes: the record keeps zeros past its 18 bytes.
    WAVEFORMATEXTENSIBLE f{};
    f.Format.wFormatTag = WAVE_FORMAT_PCM;
    f.Format.nChannels = 2;
    f.Format.nSamplesPerSec = 44100;
    f.Format.wBitsPerSample = 16;
    f.Format.nBlockAlign = 4;
    f.Format.nAvgBytesPerSec = 176400;
    f.Samples.wValidBitsPerSample = 16;
    f.dwChannelMask = 0x3F;
    sim::SetSimDeviceFormat(Ep(L"speakers"), f);
    const DeviceFormat read = A().GetDeviceFormat(Id(L"speakers"));
    EXPECT_EQ(read.Format.nSamplesPerSec, 44100u);
    EXPECT_EQ(read.Samples.wValidBitsPerSample, 0);
    EXPECT_EQ(read.dwChannelMask, 0u);
}

TEST_F(AudioFormatTest, WithoutPolicyClientThereIsNoFormat) {
    ReleaseAudioObject();
    gPlatform.CreatePolicyConfig = [](IUnknown** out) -> HRESULT {
        *out = nullptr;
        return REGDB_E_CLASSNOTREG;
    };
    CreateAudioObject();
    EXPECT_FALSE(A().HasPolicyConfig());
    EXPECT_EQ(A().GetSpeakers(Id(L"speakers")), 0);
    A().SetSpeakers(Id(L"speakers"), 6);
    EXPECT_EQ(sim::SimDeviceFormat(Ep(L"speakers")).Format.nChannels, 2);
}

TEST_F(AudioFormatTest, SpeakerConfigurationOnXPGoesThroughDirectSound) {
    UseXP();
    const long live = sim::SimDirectSoundLiveObjects();
    const struct {
        std::int16_t channels;
        DWORD config;
    } cases[] = {{2, DSSPEAKER_STEREO}, {4, DSSPEAKER_QUAD}, {6, DSSPEAKER_5POINT1}, {8, DSSPEAKER_7POINT1_SURROUND}};
    for (const auto& c : cases) {
        A().SetSpeakers(L"", c.channels);
        EXPECT_EQ(DSSPEAKER_CONFIG(sim::SimSpeakerConfig()), c.config) << c.channels;
        EXPECT_EQ(A().GetSpeakers(L""), c.channels);
    }
    // Other counts write direct out, which reads as the default of two.
    A().SetSpeakers(L"", 5);
    EXPECT_EQ(sim::SimSpeakerConfig(), static_cast<DWORD>(DSSPEAKER_DIRECTOUT));
    EXPECT_EQ(A().GetSpeakersXP(), 2);
    EXPECT_THROW(A().SetSpeakers(L"", 256), std::overflow_error);
    EXPECT_THROW(A().SetSpeakers(L"", -1), std::overflow_error);

    // Configurations set elsewhere (the control panel's wide 7.1, 5.1 surround, headphones).
    sim::SetSimSpeakerConfig(DSSPEAKER_5POINT1_SURROUND);
    EXPECT_EQ(A().GetSpeakersXP(), 6);
    sim::SetSimSpeakerConfig(DSSPEAKER_7POINT1);
    EXPECT_EQ(A().GetSpeakersXP(), 8);
    sim::SetSimSpeakerConfig(DSSPEAKER_HEADPHONE);
    EXPECT_EQ(A().GetSpeakersXP(), 2);
    sim::SetSimSpeakerConfig(DSSPEAKER_MONO);
    EXPECT_EQ(A().GetSpeakersXP(), 1);
    sim::SetSimSpeakerConfig(DSSPEAKER_COMBINED(DSSPEAKER_STEREO, DSSPEAKER_GEOMETRY_NARROW));
    EXPECT_EQ(A().GetSpeakersXP(), 2);
    EXPECT_EQ(sim::SimDirectSoundLiveObjects(), live);

    // The XP path asks no format of the policy client (there is none) and tests no format.
    EXPECT_FALSE(A().FormatSupported(Id(L"speakers"), 0, 48000, 16, 2));
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 7) {
        ++*reinterpret_cast<int*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(AudioFormatTest, XPSpeakerReadRetriesAZeroConfigurationAndLetsMessagesRun) {
    UseXP();
    sim::SetSimSpeakerConfig(DSSPEAKER_5POINT1);
    // Zero for the first reads, as right after the device comes up.
    sim::SetSimSpeakerConfigZeroReads(4);
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KalvenorFormatTestWindow";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    int handled = 0;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handled));
    ::PostMessageW(window, WM_APP + 7, 0, 0);
    EXPECT_EQ(A().GetSpeakersXP(), 6);
    EXPECT_EQ(handled, 1);

    // A configuration that stays 0 is given up after ten reads.
    sim::SetSimSpeakerConfigZeroReads(10);
    EXPECT_EQ(A().GetSpeakersXP(), 2);
    sim::SetSimSpeakerConfigZeroReads(9);
    EXPECT_EQ(A().GetSpeakersXP(), 6);
    ::DestroyWindow(window);
    ::UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

TEST_F(AudioFormatTest, WithoutDirectSoundXPReportsStereo) {
    gPlatform.DirectSoundCreate8 = [](LPCGUID, IDirectSound8** out, IUnknown*) -> HRESULT {
        *out = nullptr;
        return DSERR_NODRIVER;
    };
    UseXP();
    sim::SetSimSpeakerConfig(DSSPEAKER_5POINT1);
    EXPECT_EQ(A().GetSpeakers(L""), 2);
    A().SetSpeakers(L"", 8);
    EXPECT_EQ(sim::SimSpeakerConfig(), static_cast<DWORD>(DSSPEAKER_5POINT1));
}

}  // namespace
}  // namespace kal
