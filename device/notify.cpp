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

std::atomic<bool> gDefaultDevicePending{false};
std::atomic<bool> gPropertyValuePending{false};
std::atomic<bool> gDeviceStatePending{false};
std::atomic<bool> gVolumeNotificationPending{false};
ComPtr<IMMNotificationClient> gNotificationClient;

namespace {

std::atomic<HWND> gNotificationWindow{nullptr};

// What the notifications bring, waiting for their timers: written by the notification threads
// (and the XP mixer's message), taken by the timers; the lock orders them. Nothing is dropped:
// a notification that comes while its kind's timer is on its way joins what that timer takes.
std::mutex gNotifyLock;
// The default recording device changed; the timer shows the one Windows records from then.
bool gNotifyCapture = false;
// Watched properties that changed, once per device and key.
std::vector<std::pair<std::wstring, PROPERTYKEY>> gNotifyProperties;
// The latest state of each device that changed.
std::vector<std::pair<std::wstring, std::uint32_t>> gNotifyStates;

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

std::atomic<bool>& PendingFlagOf(NotificationKind kind) {
    switch (kind) {
    case NotificationKind::DefaultDevice: return gDefaultDevicePending;
    case NotificationKind::DeviceState: return gDeviceStatePending;
    case NotificationKind::PropertyValue: return gPropertyValuePending;
    case NotificationKind::MasterVolume: break;
    }
    return gVolumeNotificationPending;
}

// The common path of every notification: `note` stores what it brings, under the lock; unless
// its kind's timer is already on its way, the main window is asked to start that timer.
template <typename Note>
void Take(NotificationKind kind, Note&& note) {
    std::atomic<bool>& pending = PendingFlagOf(kind);
    bool ours = false, posted = false;
    try {
        {
            std::lock_guard lock(gNotifyLock);
            note();
        }
        ours = !pending.exchange(true);
        if (!ours) return;
        posted = PostToMainWindow(kMsgAudioNotification, static_cast<WPARAM>(kind));
        if (!posted) LogError(L"audio notification", L"not posted to the main window", ::GetLastError());
    } catch (...) {
        LogCaught(L"audio notification");
    }
    // What was noted waits for the next notification's timer.
    if (ours && !posted) pending.store(false);
}

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

UINT_PTR TimerFor(NotificationKind kind) {
    switch (kind) {
    case NotificationKind::DefaultDevice: return kTimerOnDefaultDeviceChanged;
    case NotificationKind::DeviceState: return kTimerOnDeviceStateChanged;
    case NotificationKind::PropertyValue: return kTimerOnPropertyValueChanged;
    case NotificationKind::MasterVolume: return kTimerOnMasterVolumeChanged;
    }
    return 0;
}

// Timers whose work waits for the own-change second to end: the change they follow may be the
// program's own or another program's, and only the state once that second is over tells. A
// device's state is never the program's own change, and on Vista and later the speakers' volume
// tells the program's own changes by their event context.
bool WaitsOutOwnChange(UINT_PTR id) {
    return id == kTimerUpdateRealTimeData || id == kTimerOnDefaultDeviceChanged ||
           id == kTimerOnPropertyValueChanged || (id == kTimerOnMasterVolumeChanged && gIsXP);
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
    // What waits for another window's timers, which won't run now, is dropped with them.
    std::lock_guard lock(gNotifyLock);
    gNotifyCapture = false;
    gNotifyProperties.clear();
    gNotifyStates.clear();
    for (auto* pending : {&gDefaultDevicePending, &gPropertyValuePending, &gDeviceStatePending,
                          &gVolumeNotificationPending})
        pending->store(false);
}
HWND NotificationWindow() { return gNotificationWindow.load(); }

bool DispatchNotificationMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == kMsgAudioNotification) {
            const auto kind = static_cast<NotificationKind>(wParam);
            const UINT_PTR id = TimerFor(kind);
            bool* armed = gArmed.For(id);
            if (!armed) return true;
            // A timer that can't start would keep every later notification of its kind out.
            if (!::SetTimer(window, id, kNotificationTimerMs, nullptr)) {
                PendingFlagOf(kind).store(false);
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
            const auto id = static_cast<UINT_PTR>(wParam);
            bool* armed = gArmed.For(id);
            if (!armed) return false;
            ::KillTimer(window, id);
            if (!*armed) return true;
            // Within the own-change second the work waits for its end; the menus, the tip, the
            // icon and the profile list show the card's settings at once.
            const std::uint32_t now = ::timeGetTime(), stamp = gLastSelfChange.load();
            if (WaitsOutOwnChange(id) && WithinOwnChangeWindow(now, stamp) &&
                ::SetTimer(window, id, kOwnChangeWindowMs - (now - stamp), nullptr)) {
                if (id != kTimerOnMasterVolumeChanged) RefreshProfiles();
                return true;
            }
            *armed = false;
            RunTimer(id);
            return true;
        }
    } catch (...) {
        LogCaught(L"notification message");
        return true;
    }
    return false;
}

// Each timer clears its kind's pending flag before it takes what waits: a notification that
// comes meanwhile asks for the timer again.

void TimerOnDefaultDeviceChanged() {
    gDefaultDevicePending.store(false);
    bool capture = false;
    {
        std::lock_guard lock(gNotifyLock);
        capture = std::exchange(gNotifyCapture, false);
    }
    IInputLineEditor* editor = InputLineEditor();
    if (editor && capture && gAudio) editor->ShowRecordingSource(AudioValueText(gAudio->SelectedInputLineID()));
    RefreshProfiles();
}

void TimerOnDeviceStateChanged() {
    gDeviceStatePending.store(false);
    std::vector<std::pair<std::wstring, std::uint32_t>> states;
    {
        std::lock_guard lock(gNotifyLock);
        states.swap(gNotifyStates);
    }
    for (const auto& [id, state] : states) OnSpeakersOutputChanged(id, state);
}

void TimerOnPropertyValueChanged() {
    gPropertyValuePending.store(false);
    std::vector<std::pair<std::wstring, PROPERTYKEY>> changed;
    {
        std::lock_guard lock(gNotifyLock);
        changed.swap(gNotifyProperties);
    }
    bool speakers = false;
    for (const auto& [id, key] : changed) {
        if (SameKey(key, kPropEndpointState, 1))
            OnSpeakersOutputChanged(id, gAudio ? gAudio->DeviceState(id) : 0);
        else
            speakers = speakers || id == gPlaybackLineIds[0];
    }
    // The speakers' channels or format: the editor reads both anew.
    if (IInputLineEditor* editor = InputLineEditor(); editor && speakers) editor->RefreshSpeakersAndFormat();
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
    // The recording source selector, or any other control, which may be the master output's
    // mute or volume.
    if (controlId == gAudio->InputMuxControlID)
        Take(NotificationKind::DefaultDevice, [] { gNotifyCapture = true; });
    else
        Take(NotificationKind::MasterVolume, [] {});
}

// The notification client.

HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnDeviceStateChanged(LPCWSTR deviceId, DWORD newState) {
    Take(NotificationKind::DeviceState, [&] {
        const std::wstring id = deviceId ? deviceId : L"";
        const auto it = std::find_if(gNotifyStates.begin(), gNotifyStates.end(),
                                     [&](const auto& s) { return s.first == id; });
        if (it != gNotifyStates.end())
            it->second = newState;
        else
            gNotifyStates.emplace_back(id, newState);
    });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnDeviceAdded(LPCWSTR) { return S_OK; }
HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnDeviceRemoved(LPCWSTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnDefaultDeviceChanged(EDataFlow flow, ERole, LPCWSTR) {
    Take(NotificationKind::DefaultDevice, [&] { gNotifyCapture = gNotifyCapture || flow == eCapture; });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIMMNotificationClient::OnPropertyValueChanged(LPCWSTR deviceId, const PROPERTYKEY key) {
    if (!IsWatchedProperty(key)) return S_OK;
    Take(NotificationKind::PropertyValue, [&] {
        const std::wstring id = deviceId ? deviceId : L"";
        const auto same = [&](const auto& p) { return p.first == id && SameKey(p.second, key.fmtid, key.pid); };
        if (std::none_of(gNotifyProperties.begin(), gNotifyProperties.end(), same))
            gNotifyProperties.emplace_back(id, key);
    });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEndpointVolumeCallback::OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA data) {
    // Nothing to note: the timer reads the state it shows.
    if (data && IsEqualGUID(data->guidEventContext, AudioEventContext())) return S_OK;
    Take(NotificationKind::MasterVolume, [] {});
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
