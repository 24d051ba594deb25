// Change notifications: Core Audio's endpoint notifications, the XP mixer's change messages and
// changes of watched registry keys (the driver's live settings). Notification threads never act
// and never call COM: they copy their arguments and post to the main window, whose handler starts
// the deferred-work timer on the user-interface thread, where the work is done.
//
// The main window's side: it calls SetNotificationWindow with itself while loaded and passes every
// message to DispatchNotificationMessage first, which starts and runs the timers below.
#pragma once
#include <windows.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/com.h"

namespace kal {

// Posted by the Core Audio callbacks; wParam is the NotificationKind.
inline constexpr UINT kMsgAudioNotification = WM_APP + 0x4B0;
// Posted by the registry watcher for a change of a watched key.
inline constexpr UINT kMsgRegistryChanged = WM_APP + 0x4B1;
// The XP mixer's change message (MM_MIXM_CONTROL_CHANGE); lParam is the control id.
inline constexpr UINT kMsgMixerControlChange = 0x3D1;

enum class NotificationKind : WPARAM { DefaultDevice = 1, DeviceState = 2, PropertyValue = 3, MasterVolume = 4 };

// Timers on the main window: the three one-shot handlers and the real-time data refresh.
inline constexpr UINT_PTR kTimerOnDefaultDeviceChanged = 0x4B01;
inline constexpr UINT_PTR kTimerOnDeviceStateChanged = 0x4B02;
inline constexpr UINT_PTR kTimerOnPropertyValueChanged = 0x4B03;
inline constexpr UINT_PTR kTimerUpdateRealTimeData = 0x4B04;
inline constexpr UINT_PTR kTimerOnMasterVolumeChanged = 0x4B05;
inline constexpr UINT kNotificationTimerMs = 1;
inline constexpr UINT kRefreshTimerMs = 20;

// Set while notifications of one kind wait for their timer; further ones join them: the default
// recording device, watched properties per device and key, states per device, and the speakers'
// mute and volume (a burst of those while the volume is dragged elsewhere keeps no other kind out).
extern std::atomic<bool> gDefaultDevicePending;
extern std::atomic<bool> gPropertyValuePending;
extern std::atomic<bool> gDeviceStatePending;
extern std::atomic<bool> gVolumeNotificationPending;

// The window notifications are posted to; null while there is none (posts then fail).
void SetNotificationWindow(HWND window);
HWND NotificationWindow();

// Handles the notification messages and timers of the main window; true when the message was one
// of them (it is then not passed on). Never throws.
bool DispatchNotificationMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// The deferred handlers, run on the user-interface thread by the timers; each clears its kind's
// pending flag before it takes what waits. The default-device and property timers wait out the
// own-change second: they show the state Windows holds once it is over, whoever changed it.
void TimerOnDefaultDeviceChanged();
void TimerOnDeviceStateChanged();
void TimerOnPropertyValueChanged();
// Refreshes the profile list and the open forms after the driver's settings changed. Its timer
// runs it once the own-change window is over.
void TimerUpdateRealTimeData();
// Shows the speakers' mute and volume after a change from outside; clears
// gVolumeNotificationPending before it reads them, so a change made meanwhile is seen again.
void TimerOnMasterVolumeChanged();
// XP: a mixer control changed: the recording source selector (the default-device timer follows
// it), or any other control, which may be the master output's mute or volume (the volume timer,
// which on XP waits out the own-change second too).
void MixerControlChanged(std::uint32_t controlId);

// Core Audio's notification client. Every default-device, watched property and device-state
// notification is taken, each kind waiting for its own timer; device-added and device-removed
// are ignored.
class CIMMNotificationClient final : public ComObject<IMMNotificationClient> {
public:
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR deviceId, DWORD newState) override;
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR deviceId) override;
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR deviceId) override;
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR deviceId) override;
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR deviceId, const PROPERTYKEY key) override;

private:
    // Counted: only the last Release deletes it.
    ~CIMMNotificationClient() override = default;
};

// Core Audio's report of a change of the speakers' endpoint volume (mute or levels). Changes
// that carry the program's own event context are left out: the program shows its own changes
// where it makes them.
class CEndpointVolumeCallback final : public ComObject<IAudioEndpointVolumeCallback> {
public:
    HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA data) override;

private:
    ~CEndpointVolumeCallback() override = default;
};

// The one client while the main form is loaded (Vista and later).
extern ComPtr<IMMNotificationClient> gNotificationClient;
// Creates gNotificationClient and registers it with the audio object's enumerator, and a
// CEndpointVolumeCallback with the card's speakers endpoint ...
void RegisterNotificationClient();
// ... and unregisters and releases them.
void UnregisterNotificationClient();
// While the notification client is registered: registers a new CEndpointVolumeCallback with the
// speakers endpoint as it is now, in place of the previous one. An endpoint that was disabled or
// made anew reports through the callback registered when it came back.
void RegisterVolumeCallback();

// The main form's load, once the card's lines are found: unless running without a user interface,
// makes `window` the notification window, watches the driver's settings key and, on XP, the
// card's DirectSound speaker configuration key and the mixer's change messages; on Vista and
// later registers the notification client. Failures are not reported.
void StartChangeWatchers(HWND window);
// The main form's unload: stops all of them (the registrations only when they were made).
void StopChangeWatchers();

// Watches a registry key (a full path, or one relative to the driver's class key) for changes
// of its values for the life of the watchers: each change posts kMsgRegistryChanged. All keys
// are watched on one thread of the watchers' own. An empty path does nothing; a key that can't
// be opened is kept, unwatched, without a report; when the thread can't be started the key is
// not watched and not counted (the failure is logged). Never throws for want of a thread.
void WatchRegistryKey(const std::wstring& path);
// Number of keys given to WatchRegistryKey since the last release.
std::size_t RegistryWatcherCount();
// Stops watching every key and ends the watcher thread.
void ReleaseRegistryWatchers();

}  // namespace kal
