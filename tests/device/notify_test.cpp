#include "device/notify.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <mutex>
#include <type_traits>
#include <vector>

#include "base/com.h"
#include "device/coreaudio_interfaces.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/trayservices.h"
#include "lines_fixture.h"
#include "sim/audio_objects.h"
#include "sim/driver.h"
#include "sim/xp_mixer.h"
#include "startup/utility.h"
#include "tests/common/child.h"

namespace kal {
namespace {

using testing::SimEp;
using testing::SimId;

constexpr PROPERTYKEY Key(const GUID& g, DWORD pid) { return PROPERTYKEY{g, pid}; }
constexpr GUID kEndpointState = {0x194EF948, 0x7CDB, 0x403E, {0x9F, 0x47, 0x19, 0x41, 0x8F, 0x7B, 0x24, 0xFD}};
constexpr GUID kPhysicalSpeakers = {0x1DA5D803, 0xD492, 0x4EDD, {0x8C, 0x23, 0xE0, 0xC0, 0xFF, 0xEE, 0x7F, 0x0E}};
constexpr GUID kDeviceFormat = {0xF19F064D, 0x082C, 0x4E27, {0xBC, 0x73, 0x68, 0x82, 0xA1, 0xBB, 0x8E, 0x4C}};

// One call the device code made into the user interface, and the thread it came on.
struct Call {
    std::wstring what;
    DWORD thread;
    DWORD tick;
};

class Recorder {
public:
    void Add(std::wstring what) { calls.push_back({std::move(what), ::GetCurrentThreadId(), ::timeGetTime()}); }
    std::size_t Count(const std::wstring& what) const {
        std::size_t n = 0;
        for (const auto& c : calls) n += c.what == what;
        return n;
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (const auto& c : calls) names.push_back(c.what);
        return names;
    }
    std::vector<Call> calls;
};

class RecordingTray : public ITrayServices, public Recorder {
public:
    void SpeakersOutputChanged(bool enabled) override { Add(L"Speakers " + std::to_wstring(enabled)); }
    void RefreshProfilesForm() override { Add(L"Profiles"); }
    void RefreshOpenForms(bool force, bool own) override {
        Add(L"OpenForms " + std::to_wstring(force) + std::to_wstring(own));
    }
    void MasterOutputChanged() override { Add(L"MasterOutput"); }
};

class RecordingEditor : public IInputLineEditor, public Recorder {
public:
    bool realTime = false;
    bool RealTimeMode() const override { return realTime; }
    std::wstring ProfileTag() const override { return L"Evening"; }
    void InputLineStateChanged(int input, bool active) override {
        Add(L"LineState " + std::to_wstring(input) + std::to_wstring(active));
    }
    void ShowRecordingSource(const std::wstring& lineId) override { Add(L"Source " + lineId); }
    void RefreshSpeakersAndFormat() override { Add(L"SpeakersAndFormat"); }
};

// Core Audio's enumerator as the simulation gives it, recording the threads that use it.
std::mutex gEnumeratorLock;
std::vector<DWORD> gEnumeratorThreads;
HRESULT (*gSimCreateEnumerator)(IMMDeviceEnumerator**) = nullptr;

class WatchedEnumerator final : public IMMDeviceEnumerator {
public:
    explicit WatchedEnumerator(IMMDeviceEnumerator* inner) : inner_(inner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidMMDeviceEnumerator)) {
            *out = static_cast<IMMDeviceEnumerator*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) {
            inner_->Release();
            delete this;
        }
        return n;
    }
    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow f, DWORD m, IMMDeviceCollection** d) override {
        Note();
        return inner_->EnumAudioEndpoints(f, m, d);
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow f, ERole r, IMMDevice** d) override {
        Note();
        return inner_->GetDefaultAudioEndpoint(f, r, d);
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR id, IMMDevice** d) override {
        Note();
        return inner_->GetDevice(id, d);
    }
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient* c) override {
        return inner_->RegisterEndpointNotificationCallback(c);
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient* c) override {
        return inner_->UnregisterEndpointNotificationCallback(c);
    }

private:
    static void Note() {
        std::lock_guard lock(gEnumeratorLock);
        gEnumeratorThreads.push_back(::GetCurrentThreadId());
    }
    IMMDeviceEnumerator* inner_;
    std::atomic<ULONG> refs_{1};
};

HRESULT CreateWatchedEnumerator(IMMDeviceEnumerator** out) {
    IMMDeviceEnumerator* inner = nullptr;
    const HRESULT hr = gSimCreateEnumerator(&inner);
    if (FAILED(hr)) return hr;
    *out = new WatchedEnumerator(inner);
    return S_OK;
}

LRESULT CALLBACK StandInMainWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (DispatchNotificationMessage(hwnd, msg, wParam, lParam)) return 0;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateStandInWindow() {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = StandInMainWindow;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KalvenorNotifyTestWindow";
        return ::RegisterClassW(&wc);
    }();
    if (!atom) return nullptr;
    return ::CreateWindowW(L"KalvenorNotifyTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

// Runs the message loop for `ms`, or until `done` holds.
void Pump(DWORD ms, const std::function<bool()>& done = {}) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (done && done()) return;
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= ms) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

// Counted objects: only their last Release deletes them, never a scope's end or a delete.
static_assert(!std::is_destructible_v<CIMMNotificationClient>);
static_assert(!std::is_destructible_v<CEndpointVolumeCallback>);

// The main form hears of the speakers output's loss and return.
const std::wstring kWarning = L"Speakers 0";
const std::wstring kInfo = L"Speakers 1";

class NotifyTest : public testing::CardLinesFixture {
protected:
    void SetUp() override {
        CardLinesFixture::SetUp();
        uiThread_ = ::GetCurrentThreadId();
        window_ = CreateStandInWindow();
        ASSERT_NE(window_, nullptr);
        SetNotificationWindow(window_);
        // The main form is loaded throughout; the editor only where a test opens it.
        WindowRoutes() = {[this] { return &tray_; },
                          [this]() -> IInputLineEditor* { return editorLoaded_ ? &editor_ : nullptr; }};
        NoOwnChange();
        RegisterNotificationClient();
        ASSERT_EQ(sim::SimNotificationClientCount(), 1u);
    }
    void TearDown() override {
        UnregisterNotificationClient();
        sim::WaitForSimNotifications();
        Pump(30);
        ReleaseRegistryWatchers();
        SetNotificationWindow(nullptr);
        if (window_) ::DestroyWindow(window_);
        WindowRoutes() = {};
        CardLinesFixture::TearDown();
    }
    static void NoOwnChange() { gLastSelfChange = ::timeGetTime() - 5000; }
    static bool AnyPending() {
        return gDefaultDevicePending || gPropertyValuePending || gDeviceStatePending || gVolumeNotificationPending;
    }
    // Another program's object of the endpoint's volume (`key` of the simulation); null when
    // the endpoint gives none.
    static ComPtr<IAudioEndpointVolume> OtherProgramsVolume(const wchar_t* key) {
        ComPtr<IMMDeviceEnumerator> enumerator;
        ComPtr<IMMDevice> device;
        ComPtr<IAudioEndpointVolume> volume;
        if (SUCCEEDED(sim::CreateSimDeviceEnumerator(enumerator.put())) &&
            SUCCEEDED(enumerator->GetDevice(SimId(key).c_str(), device.put())))
            device->Activate(kIidAudioEndpointVolume, CLSCTX_ALL, nullptr, volume.put_void());
        return volume;
    }
    // Lets the simulation deliver what it was given, then runs the window's messages and timers.
    void Deliver(DWORD ms = 100) {
        sim::WaitForSimNotifications();
        Pump(ms);
    }
    void ExpectAllOnTheUserInterfaceThread(const Recorder& r) {
        for (const auto& c : r.calls) EXPECT_EQ(c.thread, uiThread_) << c.what;
    }

    HWND window_ = nullptr;
    DWORD uiThread_ = 0;
    RecordingTray tray_;
    bool editorLoaded_ = false;
    RecordingEditor editor_;
};

TEST_F(NotifyTest, LosingAndRegainingTheSpeakersSwitchesTheFeatures) {
    sim::SetSimEndpointState(SimEp(L"speakers"), DEVICE_STATE_UNPLUGGED);
    Deliver();
    EXPECT_EQ(tray_.Names(), (std::vector<std::wstring>{kWarning}));
    EXPECT_FALSE(AnyPending());

    tray_.calls.clear();
    sim::SetSimEndpointState(SimEp(L"speakers"), DEVICE_STATE_ACTIVE);
    Deliver();
    EXPECT_EQ(tray_.Names(), (std::vector<std::wstring>{kInfo}));
    ExpectAllOnTheUserInterfaceThread(tray_);

    // Another device's output changing only refreshes the profile list.
    tray_.calls.clear();
    sim::SetSimEndpointState(SimEp(L"other_speakers"), DEVICE_STATE_DISABLED);
    Deliver();
    EXPECT_EQ(tray_.Names(), std::vector<std::wstring>{L"Profiles"});
}

TEST_F(NotifyTest, RecordingInputsChangingStateUpdateTheOpenEditor) {
    editorLoaded_ = true;
    OnSpeakersOutputChanged(SimId(L"mic"), DEVICE_STATE_DISABLED);
    EXPECT_EQ(editor_.Names(), std::vector<std::wstring>{L"LineState 00"});
    EXPECT_EQ(tray_.Names(), std::vector<std::wstring>{L"Profiles"});

    editor_.calls.clear();
    editor_.realTime = true;
    OnSpeakersOutputChanged(SimId(L"cd"), DEVICE_STATE_ACTIVE);
    EXPECT_EQ(editor_.Names(), std::vector<std::wstring>{L"LineState 51"});

    // With the editor closed, or for a line that is not the card's, only the list is refreshed.
    editor_.calls.clear();
    OnSpeakersOutputChanged(SimId(L"other_mic"), DEVICE_STATE_ACTIVE);
    editorLoaded_ = false;
    tray_.calls.clear();
    OnSpeakersOutputChanged(SimId(L"line"), DEVICE_STATE_NOTPRESENT);
    EXPECT_TRUE(editor_.calls.empty());
    EXPECT_EQ(tray_.Names(), std::vector<std::wstring>{L"Profiles"});
}

// Devices that change state together (two recording devices unplugged at once), beside another
// pending notification: each reaches the editor.
TEST_F(NotifyTest, DevicesChangingStateTogetherEachReachTheEditor) {
    editorLoaded_ = true;
    sim::RaiseSimPropertyValueChanged(SimId(L"speakers"), Key(kDeviceFormat, 0));
    sim::RaiseSimDeviceStateChanged(SimId(L"mic"), DEVICE_STATE_DISABLED);
    sim::RaiseSimDeviceStateChanged(SimId(L"cd"), DEVICE_STATE_DISABLED);
    Deliver(200);
    auto names = editor_.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"LineState 00", L"LineState 50", L"SpeakersAndFormat"}));
    EXPECT_FALSE(gDeviceStatePending);
    ExpectAllOnTheUserInterfaceThread(editor_);
}

// A burst of notifications leaves one run of each kind's timer: a new default recording device
// beside a burst of format changes and a new default playback device reaches the editor too, as
// the device Windows then records from.
TEST_F(NotifyTest, ABurstOfNotificationsLeavesOneRunOfEachKind) {
    editorLoaded_ = true;
    for (int i = 0; i < 10; ++i) sim::RaiseSimPropertyValueChanged(SimId(L"speakers"), Key(kDeviceFormat, 0));
    sim::SetSimDefaultEndpoint(eCapture, eConsole, SimId(L"line"));
    sim::SetSimDefaultEndpoint(eRender, eConsole, SimId(L"other_speakers"));
    Deliver(200);
    auto names = editor_.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Source " + SimId(L"line"), L"SpeakersAndFormat"}));
    EXPECT_EQ(tray_.Names(), (std::vector<std::wstring>{L"Profiles", L"Profiles"}));
    EXPECT_FALSE(AnyPending());

    // Once the run is over the next one is taken.
    editor_.calls.clear();
    sim::SetSimDefaultEndpoint(eCapture, eConsole, SimId(L"aux"));
    Deliver();
    EXPECT_EQ(editor_.Names(), std::vector<std::wstring>{L"Source " + SimId(L"aux")});
    ExpectAllOnTheUserInterfaceThread(editor_);
}

// Within a second of the program's own change a Windows change may be its own or another
// program's: the editor follows it once that second is over, with what Windows then holds.
TEST_F(NotifyTest, WindowsChangesWithinTheOwnSecondAreFollowedAtItsEnd) {
    editorLoaded_ = true;
    SetLineMute(SimId(L"speakers"), 0, -1);
    const std::uint32_t stamp = gLastSelfChange.load();
    EXPECT_TRUE(sim::SimMute(SimEp(L"speakers")));
    EXPECT_EQ(GetLineMute(SimId(L"speakers"), 0), -1);
    sim::SetSimDefaultEndpoint(eCapture, eConsole, SimId(L"aux"));
    sim::RaiseSimPropertyValueChanged(SimId(L"speakers"), Key(kPhysicalSpeakers, 3));
    // The program never changes a device's state: another program's change is taken at once.
    sim::RaiseSimDeviceStateChanged(SimId(L"mic"), DEVICE_STATE_DISABLED);
    Pump(3000, [&] { return editor_.calls.size() >= 3; });
    auto names = editor_.Names();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], L"LineState 00");
    std::sort(names.begin() + 1, names.end());
    EXPECT_EQ(names[1], L"Source " + SimId(L"aux"));
    EXPECT_EQ(names[2], L"SpeakersAndFormat");
    for (std::size_t i = 1; i < editor_.calls.size(); ++i)
        EXPECT_GE(editor_.calls[i].tick - stamp, kOwnChangeWindowMs) << editor_.calls[i].what;
    EXPECT_FALSE(AnyPending());
    editor_.calls.clear();
    tray_.calls.clear();

    // A format change of another endpoint leaves the editor alone.
    sim::RaiseSimPropertyValueChanged(SimId(L"other_speakers"), Key(kDeviceFormat, 0));
    Deliver();
    EXPECT_TRUE(editor_.calls.empty());
    EXPECT_EQ(tray_.Count(L"Profiles"), 1u);
    // A new default playback device only refreshes the list.
    sim::SetSimDefaultEndpoint(eRender, eConsole, SimId(L"other_speakers"));
    Deliver();
    EXPECT_TRUE(editor_.calls.empty());
    EXPECT_EQ(tray_.Count(L"Profiles"), 2u);
}

// Another program's client that takes its time over a property: the notification thread is busy.
class SlowClient final : public IMMNotificationClient {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IMMNotificationClient)) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
        ::Sleep(300);
        return S_OK;
    }
};

// The speakers' mute and volume changed by another program reach the main form once per burst,
// without keeping a device notification out; the program's own changes do not. The speakers
// leave service while the notification thread is still busy: the changes made before still come.
TEST_F(NotifyTest, SpeakersVolumeChangesFromOutsideReachTheMainForm) {
    ComPtr<IAudioEndpointVolume> speakers = OtherProgramsVolume(L"speakers"), mic = OtherProgramsVolume(L"mic");
    ASSERT_TRUE(speakers && mic);
    SlowClient slow;
    sim::AddSimNotificationClient(&slow);
    sim::RaiseSimPropertyValueChanged(SimId(L"speakers"), Key(GUID{0x1, 0, 0, {}}, 1));  // watched by no one else
    const GUID mixer = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (int i = 0; i < 5; ++i) speakers->SetMasterVolumeLevelScalar(0.1f * static_cast<float>(i), &mixer);
    speakers->SetMute(TRUE, nullptr);
    sim::SetSimEndpointState(SimEp(L"speakers"), DEVICE_STATE_UNPLUGGED);
    // A loaded machine may take a while to deliver; a second delivery would come right after.
    sim::WaitForSimNotifications();
    Pump(3000, [&] { return tray_.Count(L"MasterOutput") > 0 && tray_.Count(kWarning) > 0; });
    Pump(100);
    EXPECT_EQ(tray_.Count(L"MasterOutput"), 1u) << "volume notification pending " << gVolumeNotificationPending
                                                << ", volume callbacks " << sim::SimVolumeCallbackCount();
    EXPECT_EQ(tray_.Count(kWarning), 1u);
    ExpectAllOnTheUserInterfaceThread(tray_);
    EXPECT_FALSE(gVolumeNotificationPending);
    sim::RemoveSimNotificationClient(&slow);

    tray_.calls.clear();
    NoOwnChange();
    SetLineMute(SimId(L"speakers"), 0, 0);
    SetVolumeBalance(30 * kCurrencyScale, 0, 0, 0);
    mic->SetMute(TRUE, nullptr);
    Deliver();
    EXPECT_TRUE(tray_.calls.empty());
    EXPECT_FALSE(sim::SimMute(SimEp(L"speakers")));
}

// The simulation's notification thread where the system has no room for another thread: the
// speakers' mute that another program sets stands, nothing fails or waits for a delivery that
// can't come, and once a thread can start the next change reaches the main form. Run by the test
// below in a process of its own, where nothing has started that thread yet; skipped otherwise.
constexpr wchar_t kNoThreadsChild[] = L"KALVENOR_NO_THREADS_CHILD";

class NotifyWithoutThreads : public NotifyTest {
protected:
    void SetUp() override {
        if (!::GetEnvironmentVariableW(kNoThreadsChild, nullptr, 0)) GTEST_SKIP();
        sim::FailSimThreadStarts(true);
        NotifyTest::SetUp();
    }
    void TearDown() override {
        sim::FailSimThreadStarts(false);
        if (!IsSkipped()) NotifyTest::TearDown();
    }
};

TEST_F(NotifyWithoutThreads, Child) {
    ComPtr<IAudioEndpointVolume> speakers = OtherProgramsVolume(L"speakers");
    ASSERT_TRUE(speakers);
    EXPECT_EQ(sim::SimVolumeCallbackCount(), 1u);
    EXPECT_EQ(speakers->SetMute(TRUE, nullptr), S_OK);
    EXPECT_TRUE(sim::SimMute(SimEp(L"speakers")));
    Deliver();
    EXPECT_EQ(tray_.Count(L"MasterOutput"), 0u);

    sim::FailSimThreadStarts(false);
    EXPECT_EQ(speakers->SetMute(FALSE, nullptr), S_OK);
    Deliver();
    EXPECT_EQ(tray_.Count(L"MasterOutput"), 1u);
    wchar_t done[MAX_PATH] = {};
    ::GetEnvironmentVariableW(kNoThreadsChild, done, MAX_PATH);
    HANDLE file = ::CreateFileW(done, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
}

TEST(NotifyThreads, AChangeStandsWhenNoNotificationThreadCanStart) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring done = std::wstring(temp) + L"kalvenor-no-threads.done";
    ::DeleteFileW(done.c_str());
    ::SetEnvironmentVariableW(kNoThreadsChild, done.c_str());
    const kaltest::ChildRun run = kaltest::RunChild(
        kaltest::OwnExecutable(), L"--gtest_filter=NotifyWithoutThreads.Child", {.timeoutMs = 120000});
    ::SetEnvironmentVariableW(kNoThreadsChild, nullptr);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(::DeleteFileW(done.c_str())) << "the child did not reach its end";
}

TEST_F(NotifyTest, OtherNotificationsAreIgnored) {
    editorLoaded_ = true;
    sim::RaiseSimPropertyValueChanged(SimId(L"speakers"), Key(kPhysicalSpeakers, 4));
    sim::RaiseSimPropertyValueChanged(SimId(L"speakers"), Key(kEndpointState, 2));
    sim::RaiseSimDeviceAdded(SimId(L"speakers"));
    sim::RaiseSimDeviceRemoved(SimId(L"speakers"));
    Deliver();
    EXPECT_TRUE(tray_.calls.empty());
    EXPECT_TRUE(editor_.calls.empty());
    EXPECT_FALSE(AnyPending());
}

TEST_F(NotifyTest, AFailedPostClearsThePendingFlag) {
    HWND gone = CreateStandInWindow();
    ASSERT_TRUE(::DestroyWindow(gone));
    for (HWND target : {gone, static_cast<HWND>(nullptr)}) {
        SetNotificationWindow(target);
        sim::RaiseSimDeviceStateChanged(SimId(L"speakers"), DEVICE_STATE_DISABLED);
        Deliver();
        EXPECT_FALSE(AnyPending());
    }
    EXPECT_TRUE(tray_.calls.empty());

    SetNotificationWindow(window_);
    sim::RaiseSimDeviceStateChanged(SimId(L"speakers"), DEVICE_STATE_DISABLED);
    Deliver();
    EXPECT_EQ(tray_.Count(kWarning), 1u);
}

TEST_F(NotifyTest, TheWorkIsDoneOnTheUserInterfaceThreadNotTheNotifyingOne) {
    // A fresh audio object on an enumerator that notes who calls it.
    UnregisterNotificationClient();
    ReleaseAudioObject();
    gSimCreateEnumerator = gPlatform.CreateDeviceEnumerator;
    gPlatform.CreateDeviceEnumerator = CreateWatchedEnumerator;
    CreateAudioObject();
    RegisterNotificationClient();
    {
        std::lock_guard lock(gEnumeratorLock);
        gEnumeratorThreads.clear();
    }

    // The endpoint's state is read back when this property changes.
    sim::SetSimEndpointState(SimEp(L"speakers"), DEVICE_STATE_DISABLED);
    Deliver();
    tray_.calls.clear();
    sim::RaiseSimPropertyValueChanged(SimId(L"speakers"), Key(kEndpointState, 1));
    Deliver();
    EXPECT_EQ(tray_.Count(kWarning), 1u);
    ExpectAllOnTheUserInterfaceThread(tray_);
    std::lock_guard lock(gEnumeratorLock);
    EXPECT_FALSE(gEnumeratorThreads.empty());
    for (DWORD t : gEnumeratorThreads) EXPECT_EQ(t, uiThread_);
}

TEST_F(NotifyTest, TheMainFormStartsAndStopsTheWatchers) {
    const std::wstring saved = gDriverSettingsKey;
    gDriverSettingsKey = L"Settings";
    UnregisterNotificationClient();
    StartChangeWatchers(window_);
    EXPECT_EQ(sim::SimNotificationClientCount(), 1u);
    EXPECT_EQ(sim::SimVolumeCallbackCount(), 1u);
    EXPECT_EQ(RegistryWatcherCount(), 1u);
    StopChangeWatchers();
    EXPECT_EQ(sim::SimNotificationClientCount(), 0u);
    EXPECT_EQ(sim::SimVolumeCallbackCount(), 0u);
    EXPECT_EQ(RegistryWatcherCount(), 0u);
    EXPECT_EQ(NotificationWindow(), nullptr);

    // Without a user interface nothing is watched.
    gNoUI = true;
    StartChangeWatchers(window_);
    gNoUI = false;
    gDriverSettingsKey = saved;
    EXPECT_EQ(sim::SimNotificationClientCount(), 0u);
    EXPECT_EQ(RegistryWatcherCount(), 0u);
}

TEST_F(NotifyTest, OnWindowsXPTheRecordingSourceFollowsTheMixer) {
    UnregisterNotificationClient();
    ReleaseAudioObject();
    sim::EnsureSimCardDevice();
    gCardInstanceId = sim::SimCardInstanceId();
    gIsXP = true;
    CreateAudioObject();
    testing::ClearCardLines();
    FindCardLines();
    ASSERT_NE(gAudio->InputMuxControlID, 0u);
    const std::wstring saved = gDriverSettingsKey;
    gDriverSettingsKey = L"Settings";
    StartChangeWatchers(window_);
    gDriverSettingsKey = saved;
    EXPECT_EQ(RegistryWatcherCount(), 2u);
    EXPECT_EQ(sim::SimNotificationClientCount(), 0u);
    editorLoaded_ = true;

    // Another program picks the line input: the editor shows it, the list is refreshed.
    const std::wstring before = AudioValueText(gAudio->SelectedInputLineID());
    const UINT card = sim::kSimCardMixer;
    auto mux = sim::SimMixerValues(card, gAudio->InputMuxControlID);
    ASSERT_EQ(mux.size(), 8u);
    std::fill(mux.begin(), mux.end(), 0);
    mux[1] = 1;
    ASSERT_TRUE(sim::SetSimMixerValues(card, gAudio->InputMuxControlID, mux));
    Pump(200, [&] { return !editor_.calls.empty(); });
    Pump(50);
    const std::wstring selected = AudioValueText(gAudio->SelectedInputLineID());
    EXPECT_NE(selected, before);
    EXPECT_NE(InputLineIndex(selected), -1);
    EXPECT_EQ(editor_.Names(), std::vector<std::wstring>{L"Source " + selected});
    EXPECT_EQ(tray_.Count(L"Profiles"), 1u);

    // Another control's change leaves the editor alone; the program's own selection, or another
    // program's within its second, is followed once that second is over.
    editor_.calls.clear();
    const DWORD micLine = MixerLineId(gInputLineIds[0]);
    ASSERT_TRUE(sim::SetSimMixerValues(card, sim::SimMixerControlIdByName(card, micLine, L"Mic Boost"), {1}));
    Pump(200, [&] { return tray_.Count(L"MasterOutput") != 0; });
    EXPECT_TRUE(editor_.calls.empty());
    StampSelfChange();
    const std::uint32_t stamp = gLastSelfChange.load();
    mux.assign(8, 0);
    mux[0] = 1;
    ASSERT_TRUE(sim::SetSimMixerValues(card, gAudio->InputMuxControlID, mux));
    Pump(3000, [&] { return !editor_.calls.empty(); });
    ASSERT_EQ(editor_.calls.size(), 1u);
    EXPECT_EQ(editor_.calls[0].what, L"Source " + AudioValueText(gAudio->SelectedInputLineID()));
    EXPECT_GE(editor_.calls[0].tick - stamp, kOwnChangeWindowMs);

    // Another program mutes the master output: the main form hears of it; of its own mute only
    // once its second is over.
    const DWORD master = sim::SimMixerControlId(card, MixerLineId(gPlaybackLineIds[0]), MIXERCONTROL_CONTROLTYPE_MUTE);
    NoOwnChange();
    tray_.calls.clear();
    ASSERT_TRUE(sim::SetSimMixerValues(card, master, {1}));
    Pump(200, [&] { return tray_.Count(L"MasterOutput") != 0; });
    EXPECT_EQ(tray_.Names(), std::vector<std::wstring>{L"MasterOutput"});
    tray_.calls.clear();
    SetLineMute(gPlaybackLineIds[0], 0, 0);
    Pump(3000, [&] { return !tray_.calls.empty(); });
    ASSERT_EQ(tray_.Names(), std::vector<std::wstring>{L"MasterOutput"});
    EXPECT_GE(tray_.calls[0].tick - gLastSelfChange.load(), kOwnChangeWindowMs);

    editor_.calls.clear();
    StopChangeWatchers();
    NoOwnChange();
    mux.assign(8, 0);
    mux[2] = 1;
    ASSERT_TRUE(sim::SetSimMixerValues(card, gAudio->InputMuxControlID, mux));
    Pump(100);
    EXPECT_TRUE(editor_.calls.empty());
}

class RegistryWatchTest : public NotifyTest {
protected:
    void SetUp() override {
        NotifyTest::SetUp();
        savedClass_ = gDriverClassKey;
        savedSettings_ = gDriverSettingsKey;
        gDriverClassKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{KalvenorTests-Lines}\\0000";
        gDriverSettingsKey = L"Settings";
        ASSERT_TRUE(RegWrite(Settings(), L"SpeakerConfig", Bytes{4, 0, 0, 0}));
    }
    void TearDown() override {
        ReleaseRegistryWatchers();
        RegDeleteTree(L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class", L"{KalvenorTests-Lines}");
        gDriverClassKey = savedClass_;
        gDriverSettingsKey = savedSettings_;
        NotifyTest::TearDown();
    }
    static std::wstring Settings() { return L"HKEY_LOCAL_MACHINE\\" + gDriverClassKey + L"\\Settings"; }
    static DWORD RunReg(const std::wstring& args) {
        return kaltest::RunChild(L"reg.exe", args, {.creationFlags = CREATE_NO_WINDOW}).exitCode;
    }
    std::size_t Runs() const { return tray_.Count(L"OpenForms 00"); }

    std::wstring savedClass_, savedSettings_;
};

TEST_F(RegistryWatchTest, AChangeByAnotherProcessRestartsTheRefresh) {
    WatchRegistryKey(L"");
    EXPECT_EQ(RegistryWatcherCount(), 0u);
    WatchRegistryKey(gDriverSettingsKey);
    EXPECT_EQ(RegistryWatcherCount(), 1u);
    Pump(50);
    ASSERT_EQ(RunReg(L"add \"HKLM\\" + gDriverClassKey + L"\\Settings\" /v SpeakerConfig /t REG_BINARY /d 06000000 /f"), 0u);
    Pump(3000, [&] { return Runs() > 0; });
    Pump(100);
    EXPECT_EQ(tray_.Names(), (std::vector<std::wstring>{L"Profiles", L"OpenForms 00"}));
    ExpectAllOnTheUserInterfaceThread(tray_);

    // Re-armed after each change.
    tray_.calls.clear();
    ASSERT_EQ(RunReg(L"delete \"HKLM\\" + gDriverClassKey + L"\\Settings\" /v SpeakerConfig /f"), 0u);
    Pump(3000, [&] { return Runs() > 0; });
    EXPECT_EQ(tray_.Names(), (std::vector<std::wstring>{L"Profiles", L"OpenForms 00"}));
    // A change within a second of the program's own may be another program's as well: the
    // menus, the tip, the icon and the profile list show it at once; the refresh of the open
    // forms runs once the second is over, and they tell their own sends apart.
    tray_.calls.clear();
    StampSelfChange();
    const std::uint32_t stamp = gLastSelfChange.load();
    RegWrite(Settings(), L"SpeakerConfig", Bytes{7, 0, 0, 0});
    Pump(3000, [&] { return Runs() > 0; });
    EXPECT_EQ(tray_.Names(), (std::vector<std::wstring>{L"Profiles", L"Profiles", L"OpenForms 00"}));
    ASSERT_EQ(tray_.calls.size(), 3u);
    EXPECT_LT(tray_.calls.front().tick - stamp, kOwnChangeWindowMs / 2);
    EXPECT_GE(tray_.calls.back().tick - stamp, kOwnChangeWindowMs);

    // Released watchers see nothing.
    ReleaseRegistryWatchers();
    EXPECT_EQ(RegistryWatcherCount(), 0u);
    tray_.calls.clear();
    RegWrite(Settings(), L"SpeakerConfig", Bytes{2, 0, 0, 0});
    Pump(200);
    EXPECT_TRUE(tray_.calls.empty());
}

TEST_F(RegistryWatchTest, ABurstOfChangesRunsTheRefreshOnceAfterTheLast) {
    WatchRegistryKey(L"HKEY_LOCAL_MACHINE\\" + gDriverClassKey + L"\\Settings");
    WatchRegistryKey(L"HKEY_LOCAL_MACHINE\\SYSTEM\\KalvenorTestsMissingKey");
    Pump(50);
    // A burst is changes closer together than the refresh's 20 ms; a stall of a loaded machine
    // can split one, so the burst is made again until its changes came that close (a machine
    // loaded well past its cores splits most).
    for (int attempt = 0; attempt < 100; ++attempt) {
        tray_.calls.clear();
        bool burst = true;
        DWORD last = ::timeGetTime();
        for (std::uint8_t i = 0; i < 10; ++i) {
            RegWrite(Settings(), L"EqGain", Bytes{static_cast<std::uint8_t>((attempt * 10 + i) & 0xFF)});
            const DWORD now = ::timeGetTime();
            burst = burst && now - last < 15;
            last = now;
            Pump(5);
        }
        Pump(3000, [&] { return Runs() > 0; });
        Pump(150);
        if (!burst) continue;
        EXPECT_EQ(Runs(), 1u);
        ASSERT_FALSE(tray_.calls.empty());
        EXPECT_GE(tray_.calls.back().tick - last, 15u);
        return;
    }
    FAIL() << "no burst of changes came within the refresh's delay";
}

}  // namespace
}  // namespace kal
