#include "device/notify.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <mutex>
#include <utility>
#include <vector>

#include "device/audio.h"
#include "device/cardlines.h"
#include "device/coreaudio_interfaces.h"
#include "device/linevalues.h"
#include "device/mixervalues.h"
#include "device/trayservices.h"
#include "device/transport.h"
#include "startup/globals.h"
#include "base/log.h"
#include "base/raii.h"
#include "base/registry.h"
#include "base/worker.h"

namespace kal {

std::atomic<bool> gNotificationPending{false};
std::atomic<bool> gDeviceStatePending{false};
std::atomic<bool> gVolumeNotificationPending{false};
ComPtr<IMMNotificationClient> gNotificationClient;

namespace {

std::atomic<HWND> gNotificationWindow{nullptr};

// What an accepted notification hands to its timer. Written by the callback that set
// gNotificationPending, read by the timer that clears it; the lock orders the two threads.
std::mutex gNotifyLock;
std::uint32_t gNotifyDefaultFlow = 0;
std::uint32_t gNotifyDefaultRole = 0;
const wchar_t* gNotifyDefaultDeviceId = nullptr;
// Device states wait per device, under a pending flag of their own: devices unplugged together
// each arrive, however close together, and beside another pending notification.
std::vector<std::pair<std::wstring, std::uint32_t>> gNotifyStates;
const wchar_t* gNotifyPropertyDeviceId = nullptr;
PROPERTYKEY gNotifyPropertyKey{};

// Endpoint properties whose changes are taken.
constexpr GUID kPropEndpointState = {0x194EF948, 0x7CDB, 0x403E, {0x9F, 0x47, 0x19, 0x41, 0x8F, 0x7B, 0x24, 0xFD}};
constexpr GUID kPropPhysicalSpeakers = {0x1DA5D803, 0xD492, 0x4EDD, {0x8C, 0x23, 0xE0, 0xC0, 0xFF, 0xEE, 0x7F, 0x0E}};
constexpr GUID kPropDeviceFormat = {0xF19F064D, 0x082C, 0x4E27, {0xBC, 0x73, 0x68, 0x82, 0xA1, 0xBB, 0x8E, 0x4C}};

bool SameKey(const PROPERTYKEY& key, const GUID& fmtid, DWORD pid) {
    return key.pid == pid && std::memcmp(&key.fmtid, &fmtid, sizeof(GUID)) == 0;
}

bool IsWatchedProperty(const PROPERTYKEY& key) {
    return SameKey(key, kPropEndpointState, 1) || SameKey(key, kPropPhysicalSpeakers, 3) ||
           SameKey(key, kPropDeviceFormat, 0);
}

// Posts to the main window; false when there is none or the post fails.
bool PostToMainWindow(UINT msg, WPARAM wParam) {
    HWND window = gNotificationWindow.load();
    return window && ::PostMessageW(window, msg, wParam, 0);
}

// The common path of the default-device and property callbacks. `copy` stores the arguments once
// the pending flag is ours.
template <typename Copy>
void Accept(NotificationKind kind, Copy&& copy) {
    if (IsSelfChange()) return;
    if (gNotificationPending.exchange(true)) return;
    try {
        {
            std::lock_guard lock(gNotifyLock);
            copy();
        }
        if (PostToMainWindow(kMsgAudioNotification, static_cast<WPARAM>(kind))) return;
        LogError(L"audio notification", L"not posted to the main window", ::GetLastError());
    } catch (...) {
        LogCaught(L"audio notification");
    }
    gNotificationPending.store(false);
}

// Clears gNotificationPending when a timer handler ends, however it ends.
struct PendingClear {
    PendingClear() = default;
    PendingClear(const PendingClear&) = delete;
    PendingClear& operator=(const PendingClear&) = delete;
    ~PendingClear() { gNotificationPending.store(false); }
};

std::wstring Text(const wchar_t* p) { return p ? std::wstring(p) : std::wstring(); }

void RefreshProfiles() {
    if (ITrayServices* tray = TrayServices()) tray->RefreshProfilesForm();
}

// Timers started on the main window and not yet run; a WM_TIMER already queued when a timer was
// killed is not run twice. User-interface thread only.
struct ArmedTimers {
    bool defaultDevice = false, deviceState = false, propertyValue = false, refresh = false, masterVolume = false;
    bool* For(UINT_PTR id) {
        switch (id) {
        case kTimerOnDefaultDeviceChanged: return &defaultDevice;
        case kTimerOnDeviceStateChanged: return &deviceState;
        case kTimerOnPropertyValueChanged: return &propertyValue;
        case kTimerUpdateRealTimeData: return &refresh;
        case kTimerOnMasterVolumeChanged: return &masterVolume;
        default: return nullptr;
        }
    }
};
ArmedTimers gArmed;

UINT_PTR TimerFor(WPARAM kind) {
    switch (static_cast<NotificationKind>(kind)) {
    case NotificationKind::DefaultDevice: return kTimerOnDefaultDeviceChanged;
    case NotificationKind::DeviceState: return kTimerOnDeviceStateChanged;
    case NotificationKind::PropertyValue: return kTimerOnPropertyValueChanged;
    case NotificationKind::MasterVolume: return kTimerOnMasterVolumeChanged;
    }
    return 0;
}

std::atomic<bool>& PendingFlagOf(WPARAM kind) {
    switch (static_cast<NotificationKind>(kind)) {
    case NotificationKind::MasterVolume: return gVolumeNotificationPending;
    case NotificationKind::DeviceState: return gDeviceStatePending;
    default: return gNotificationPending;
    }
}

void RunTimer(UINT_PTR id) {
    switch (id) {
    case kTimerOnDefaultDeviceChanged: TimerOnDefaultDeviceChanged(); break;
    case kTimerOnDeviceStateChanged: TimerOnDeviceStateChanged(); break;
    case kTimerOnPropertyValueChanged: TimerOnPropertyValueChanged(); break;
    case kTimerUpdateRealTimeData: TimerUpdateRealTimeData(); break;
    case kTimerOnMasterVolumeChanged: TimerOnMasterVolumeChanged(); break;
    default: break;
    }
}

}  // namespace

void SetNotificationWindow(HWND window) {
    gNotificationWindow.store(window);
    // States waiting for another window's timer, which won't run now, are dropped with it.
    std::lock_guard lock(gNotifyLock);
    gNotifyStates.clear();
    gDeviceStatePending.store(false);
}
HWND NotificationWindow() { return gNotificationWindow.load(); }

bool DispatchNotificationMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == kMsgAudioNotification) {
            const UINT_PTR id = TimerFor(wParam);
            bool* armed = gArmed.For(id);
            // A timer that can't start would keep every later notification out.
            if (!armed || !::SetTimer(window, id, kNotificationTimerMs, nullptr)) {
                PendingFlagOf(wParam).store(false);
                return true;
            }
            *armed = true;
            return true;
        }
        if (msg == kMsgRegistryChanged) {
            ::KillTimer(window, kTimerUpdateRealTimeData);
            gArmed.refresh = ::SetTimer(window, kTimerUpdateRealTimeData, kRefreshTimerMs, nullptr) != 0;
            return true;
        }
        if (msg == kMsgMixerControlChange) {
            MixerControlChanged(static_cast<std::uint32_t>(lParam));
            return true;
        }
        if (msg == WM_TIMER) {
            bool* armed = gArmed.For(static_cast<UINT_PTR>(wParam));
            if (!armed) return false;
            ::KillTimer(window, static_cast<UINT_PTR>(wParam));
            if (!*armed) return true;
            // The refresh of the open forms waits for the own-change window to end: another
            // program's change may have come within it, and they tell their own sends from it.
            // The menus, the tip, the icon and the profile list show the card at once.
            const std::uint32_t now = ::timeGetTime(), stamp = gLastSelfChange.load();
            if (wParam == kTimerUpdateRealTimeData && WithinOwnChangeWindow(now, stamp) &&
                ::SetTimer(window, kTimerUpdateRealTimeData, kOwnChangeWindowMs - (now - stamp), nullptr)) {
                RefreshProfiles();
                return true;
            }
            *armed = false;
            RunTimer(static_cast<UINT_PTR>(wParam));
            return true;
        }
    } catch (...) {
        LogCaught(L"notification message");
        return true;
    }
    return false;
}

void TimerOnDefaultDeviceChanged() {
    PendingClear clear;
    std::uint32_t flow = 0;
    std::wstring id;
    {
        std::lock_guard lock(gNotifyLock);
        flow = gNotifyDefaultFlow;
        id = Text(gNotifyDefaultDeviceId);
    }
    IInputLineEditor* editor = InputLineEditor();
    if (editor && flow == 1 && !IsSelfChange()) editor->ShowRecordingSource(id);
    RefreshProfiles();
}

void TimerOnDeviceStateChanged() {
    // Cleared before the states are taken: a state that comes meanwhile posts again.
    gDeviceStatePending.store(false);
    std::vector<std::pair<std::wstring, std::uint32_t>> states;
    {
        std::lock_guard lock(gNotifyLock);
        states.swap(gNotifyStates);
    }
    for (const auto& [id, state] : states) OnSpeakersOutputChanged(id, state);
}

void TimerOnPropertyValueChanged() {
    PendingClear clear;
    PROPERTYKEY key{};
    std::wstring id;
    {
        std::lock_guard lock(gNotifyLock);
        key = gNotifyPropertyKey;
        id = Text(gNotifyPropertyDeviceId);
    }
    if (SameKey(key, kPropEndpointState, 1)) {
        OnSpeakersOutputChanged(id, gAudio ? gAudio->DeviceState(id) : 0);
    } else if (SameKey(key, kPropPhysicalSpeakers, 3) || SameKey(key, kPropDeviceFormat, 0)) {
        IInputLineEditor* editor = InputLineEditor();
        if (editor && !IsSelfChange() && id == gPlaybackLineIds[0]) editor->RefreshSpeakersAndFormat();
    }
    RefreshProfiles();
}

void TimerUpdateRealTimeData() {
    ITrayServices* tray = TrayServices();
    if (!tray) return;
    tray->RefreshProfilesForm();
    tray->RefreshOpenForms(false, IsSelfChange());
}

void TimerOnMasterVolumeChanged() {
    gVolumeNotificationPending.store(false);
    if (ITrayServices* tray = TrayServices()) tray->MasterOutputChanged();
}

void MixerControlChanged(std::uint32_t controlId) {
    if (!gAudio) return;
    if (controlId != gAudio->InputMuxControlID) {
        // It may be the master output's mute or volume, changed from outside.
        if (ITrayServices* tray = TrayServices(); tray && !IsSelfChange()) tray->MasterOutputChanged();
        return;
    }
    IInputLineEditor* editor = InputLineEditor();
    if (editor && !IsSelfChange()) editor->ShowRecordingSource(AudioValueText(gAudio->SelectedInputLineID()));
    RefreshProfiles();
}

// The notification client.

// The program never changes an endpoint's state: a state change is never its own.
HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnDeviceStateChanged(LPCWSTR deviceId, DWORD newState) {
    try {
        {
            std::lock_guard lock(gNotifyLock);
            const std::wstring id = deviceId ? deviceId : L"";
            const auto it = std::find_if(gNotifyStates.begin(), gNotifyStates.end(),
                                         [&](const auto& s) { return s.first == id; });
            if (it != gNotifyStates.end())
                it->second = newState;
            else
                gNotifyStates.emplace_back(id, newState);
        }
        // The timer on its way takes this state with the others.
        if (gDeviceStatePending.exchange(true)) return S_OK;
        if (PostToMainWindow(kMsgAudioNotification, static_cast<WPARAM>(NotificationKind::DeviceState))) return S_OK;
        LogError(L"audio notification", L"not posted to the main window", ::GetLastError());
    } catch (...) {
        LogCaught(L"audio notification");
    }
    gDeviceStatePending.store(false);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnDeviceAdded(LPCWSTR) { return S_OK; }
HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnDeviceRemoved(LPCWSTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR deviceId) {
    Accept(NotificationKind::DefaultDevice, [&] {
        gNotifyDefaultFlow = static_cast<std::uint32_t>(flow);
        gNotifyDefaultRole = static_cast<std::uint32_t>(role);
        gNotifyDefaultDeviceId = StringFromPtr(deviceId);
    });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnPropertyValueChanged(LPCWSTR deviceId, const PROPERTYKEY key) {
    if (!IsWatchedProperty(key)) return S_OK;
    Accept(NotificationKind::PropertyValue, [&] {
        gNotifyPropertyKey = key;
        gNotifyPropertyDeviceId = StringFromPtr(deviceId);
    });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEndpointVolumeCallback::OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA data) {
    // Nothing to copy: the timer reads the state it shows.
    if (data && IsEqualGUID(data->guidEventContext, AudioEventContext())) return S_OK;
    if (gVolumeNotificationPending.exchange(true)) return S_OK;
    if (PostToMainWindow(kMsgAudioNotification, static_cast<WPARAM>(NotificationKind::MasterVolume))) return S_OK;
    LogError(L"volume notification", L"not posted to the main window", ::GetLastError());
    gVolumeNotificationPending.store(false);
    return S_OK;
}

void RegisterNotificationClient() {
    if (!gNotificationClient) {
        auto* client = new CIMMNotificationClient;
        gNotificationClient.attach(client);
    }
    if (!gAudio) return;
    gAudio->RegisterEndpointNotificationCallback(gNotificationClient.get());
    RegisterVolumeCallback();
}

void RegisterVolumeCallback() {
    if (!gNotificationClient || !gAudio) return;
    ComPtr<IAudioEndpointVolumeCallback> volume;
    volume.attach(new CEndpointVolumeCallback);
    gAudio->RegisterVolumeNotificationCallback(gPlaybackLineIds[0], volume.get());
}

void UnregisterNotificationClient() {
    if (gNotificationClient && gAudio) gAudio->UnregisterEndpointNotificationCallback(gNotificationClient.get());
    gNotificationClient.reset();
    if (gAudio) gAudio->UnregisterVolumeNotificationCallback();
}

namespace {
// Set while StartChangeWatchers' registrations stand.
bool gWatchersStarted = false;
}  // namespace

void StartChangeWatchers(HWND window) {
    if (gNoUI) return;
    gWatchersStarted = true;
    SetNotificationWindow(window);
    WatchRegistryKey(gDriverSettingsKey);
    if (gIsXP) {
        WatchRegistryKey(L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current\\System\\"
                         L"CurrentControlSet\\Enum\\" + gCardInstanceId + L"\\DirectSound\\Speaker Configuration");
        if (gAudio) gAudio->RegisterMixerCallback(window);
    } else {
        RegisterNotificationClient();
    }
}

void StopChangeWatchers() {
    if (std::exchange(gWatchersStarted, false)) {
        if (gIsXP) {
            if (gAudio) gAudio->RegisterMixerCallback(nullptr);
        } else {
            UnregisterNotificationClient();
        }
    }
    ReleaseRegistryWatchers();
    SetNotificationWindow(nullptr);
}

// The registry watchers: every watched key armed with RegNotifyChangeKeyValue by one job of the
// worker thread (base/worker.h), which waits on all of them and re-arms a key after each
// change, until released. Arming happens on that thread because a notification ends with the
// thread that asked for it; the worker thread lives until the program's end.

namespace {

class RegistryWatchers {
public:
    RegistryWatchers() = default;
    RegistryWatchers(const RegistryWatchers&) = delete;
    RegistryWatchers& operator=(const RegistryWatchers&) = delete;
    ~RegistryWatchers() { Release(); }

    void Add(const std::wstring& path) {
        std::lock_guard lock(mutex_);
        if (!running_.valid()) {
            stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
            wake_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
            if (!stop_ || !wake_) return;
            try {
                running_ = RunOnWorker([this] { Run(); });
            } catch (...) {
                // No thread to watch on: the key goes unwatched.
                LogCaught(L"registry watch");
                return;
            }
        }
        pending_.push_back(path);
        ++count_;
        ::SetEvent(wake_.get());
    }

    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

    void Release() {
        std::shared_future<void> running;
        {
            std::lock_guard lock(mutex_);
            if (running_.valid()) ::SetEvent(stop_.get());
            running = std::exchange(running_, {});
            pending_.clear();
            count_ = 0;
        }
        if (running.valid()) running.wait();
        stop_.reset();
        wake_.reset();
    }

private:
    struct Watch {
        UniqueHKey key;
        UniqueHandle changed;
    };

    static bool Arm(Watch& w) {
        return ::RegNotifyChangeKeyValue(w.key.get(), FALSE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                         w.changed.get(), TRUE) == ERROR_SUCCESS;
    }

    static std::unique_ptr<Watch> Open(std::wstring path) {
        HKEY hive = SplitRegPath(path);
        auto w = std::make_unique<Watch>();
        if (!hive || ::RegOpenKeyExW(hive, path.c_str(), 0, KEY_NOTIFY, w->key.put()) != ERROR_SUCCESS) return nullptr;
        w->changed.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!w->changed || !Arm(*w)) return nullptr;
        return w;
    }

    void Run() {
        std::vector<std::unique_ptr<Watch>> watches;
        for (;;) {
            std::vector<HANDLE> handles{stop_.get(), wake_.get()};
            for (auto& w : watches) handles.push_back(w->changed.get());
            const DWORD n = static_cast<DWORD>(handles.size());
            const DWORD r = ::WaitForMultipleObjects(n, handles.data(), FALSE, INFINITE);
            if (r == WAIT_OBJECT_0) break;
            if (r == WAIT_OBJECT_0 + 1) {
                std::vector<std::wstring> added;
                {
                    std::lock_guard lock(mutex_);
                    added.swap(pending_);
                }
                for (auto& path : added) {
                    if (path.empty()) continue;
                    if (auto w = Open(path)) watches.push_back(std::move(w));
                }
                continue;
            }
            if (r >= WAIT_OBJECT_0 + 2 && r < WAIT_OBJECT_0 + n) {
                const auto at = watches.begin() + (r - WAIT_OBJECT_0 - 2);
                // Re-armed before the post, so a change made meanwhile is not missed. A key that
                // can't be armed again (deleted) is no longer watched.
                if (!Arm(**at)) watches.erase(at);
                PostToMainWindow(kMsgRegistryChanged, 0);
                continue;
            }
            // A handle went bad: nothing sensible is left to wait for.
            break;
        }
    }

    std::mutex mutex_;
    std::shared_future<void> running_;
    UniqueHandle stop_, wake_;
    std::vector<std::wstring> pending_;
    std::size_t count_ = 0;
};

RegistryWatchers& Watchers() {
    static RegistryWatchers watchers;
    return watchers;
}

}  // namespace

void WatchRegistryKey(const std::wstring& path) {
    if (path.empty()) return;
    Watchers().Add(path);
}

std::size_t RegistryWatcherCount() { return Watchers().Count(); }

void ReleaseRegistryWatchers() { Watchers().Release(); }

}  // namespace kal
