// Endpoint notifications of the simulated card, delivered on a thread of their own as the
// system's device enumerator does.
#include <windows.h>
#include <endpointvolume.h>
#include <objbase.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/log.h"
#include "sim/audio_card.h"

namespace kal::sim {
namespace {

// A list of registered callbacks of one interface, each held with a reference.
template <typename T>
class Callbacks {
public:
    void Add(T* callback) {
        callback->AddRef();
        list_.push_back(callback);
    }
    // The callback, when it was registered; the caller releases it.
    T* Remove(T* callback) {
        for (auto it = list_.begin(); it != list_.end(); ++it) {
            if (*it != callback) continue;
            list_.erase(it);
            return callback;
        }
        return nullptr;
    }
    std::vector<T*> Snapshot() const {
        for (T* c : list_) c->AddRef();
        return list_;
    }
    std::size_t Count() const { return list_.size(); }

private:
    std::vector<T*> list_;
};

class Notifier {
public:
    void Add(IMMNotificationClient* client) {
        if (!client) return;
        std::lock_guard lock(mutex_);
        clients_.Add(client);
    }
    void Remove(IMMNotificationClient* client) {
        IMMNotificationClient* removed = nullptr;
        {
            std::lock_guard lock(mutex_);
            removed = clients_.Remove(client);
        }
        if (removed) removed->Release();
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return clients_.Count();
    }
    void AddVolume(int endpoint, IAudioEndpointVolumeCallback* callback) {
        if (!callback) return;
        std::lock_guard lock(mutex_);
        volumes_[endpoint].Add(callback);
    }
    void RemoveVolume(int endpoint, IAudioEndpointVolumeCallback* callback) {
        IAudioEndpointVolumeCallback* removed = nullptr;
        {
            std::lock_guard lock(mutex_);
            removed = volumes_[endpoint].Remove(callback);
        }
        if (removed) removed->Release();
    }
    std::size_t VolumeCount() {
        std::lock_guard lock(mutex_);
        std::size_t n = 0;
        for (const auto& [endpoint, callbacks] : volumes_) n += callbacks.Count();
        return n;
    }
    // Each client is called on the notification thread.
    void Post(std::function<void(IMMNotificationClient*)> call) {
        Queue([this, call = std::move(call)] {
            std::vector<IMMNotificationClient*> list;
            {
                std::lock_guard lock(mutex_);
                list = clients_.Snapshot();
            }
            Deliver(list, call);
        });
    }
    void PostVolume(int endpoint, std::function<void(IAudioEndpointVolumeCallback*)> call) {
        Queue([this, endpoint, call = std::move(call)] {
            std::vector<IAudioEndpointVolumeCallback*> list;
            {
                std::lock_guard lock(mutex_);
                list = volumes_[endpoint].Snapshot();
            }
            Deliver(list, call);
        });
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        const auto target = posted_;
        done_.wait(lock, [&] { return delivered_ >= target; });
    }

private:
    void Queue(std::function<void()> delivery) {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        queue_.push_back(std::move(delivery));
        ++posted_;
        wake_.notify_all();
    }

    // Calls each callback of the snapshot and releases it.
    template <typename T>
    static void Deliver(const std::vector<T*>& list, const std::function<void(T*)>& call) {
        for (T* c : list) {
            try {
                call(c);
            } catch (...) {
                LogCaught(L"simulated notification to a client");
            }
            c->Release();
        }
    }

    void Run() {
        // Like the system's notification thread, it lives in the multithreaded apartment.
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (;;) {
            std::function<void()> delivery;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return !queue_.empty(); });
                delivery = std::move(queue_.front());
                queue_.pop_front();
            }
            delivery();
            {
                std::lock_guard lock(mutex_);
                ++delivered_;
            }
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<std::function<void()>> queue_;
    Callbacks<IMMNotificationClient> clients_;
    std::map<int, Callbacks<IAudioEndpointVolumeCallback>> volumes_;
    std::thread thread_;
    unsigned long long posted_ = 0, delivered_ = 0;
};

// Lives for the whole process: its thread runs until the process ends.
Notifier& TheNotifier() {
    static Notifier* n = new Notifier;
    return *n;
}

}  // namespace

void AddSimNotificationClient(IMMNotificationClient* client) { TheNotifier().Add(client); }
void RemoveSimNotificationClient(IMMNotificationClient* client) { TheNotifier().Remove(client); }
std::size_t SimNotificationClientCount() { return TheNotifier().Count(); }

void RaiseSimDefaultDeviceChanged(EDataFlow flow, ERole role, const std::wstring& id) {
    TheNotifier().Post([=](IMMNotificationClient* c) { c->OnDefaultDeviceChanged(flow, role, id.c_str()); });
}

void RaiseSimDeviceStateChanged(const std::wstring& id, DWORD state) {
    TheNotifier().Post([=](IMMNotificationClient* c) { c->OnDeviceStateChanged(id.c_str(), state); });
}

void RaiseSimPropertyValueChanged(const std::wstring& id, const PROPERTYKEY& key) {
    TheNotifier().Post([=](IMMNotificationClient* c) { c->OnPropertyValueChanged(id.c_str(), key); });
}

void RaiseSimDeviceAdded(const std::wstring& id) {
    TheNotifier().Post([=](IMMNotificationClient* c) { c->OnDeviceAdded(id.c_str()); });
}

void RaiseSimDeviceRemoved(const std::wstring& id) {
    TheNotifier().Post([=](IMMNotificationClient* c) { c->OnDeviceRemoved(id.c_str()); });
}

void AddSimVolumeCallback(int endpoint, IAudioEndpointVolumeCallback* callback) {
    TheNotifier().AddVolume(endpoint, callback);
}
void RemoveSimVolumeCallback(int endpoint, IAudioEndpointVolumeCallback* callback) {
    TheNotifier().RemoveVolume(endpoint, callback);
}
std::size_t SimVolumeCallbackCount() { return TheNotifier().VolumeCount(); }

void RaiseSimVolumeChanged(int endpoint, LPCGUID context) {
    // The state as the change left it, copied for the notification thread.
    const UINT channels = SimAudioEndpoints()[static_cast<std::size_t>(endpoint)].channels;
    auto data = std::make_shared<std::vector<std::uint8_t>>(sizeof(AUDIO_VOLUME_NOTIFICATION_DATA) +
                                                            (channels > 1 ? channels - 1 : 0) * sizeof(float));
    auto* d = reinterpret_cast<AUDIO_VOLUME_NOTIFICATION_DATA*>(data->data());
    d->guidEventContext = context ? *context : GUID{};
    d->bMuted = SimMute(endpoint);
    d->nChannels = channels;
    for (UINT ch = 0; ch < channels; ++ch) {
        d->afChannelVolumes[ch] = SimChannelLevel(endpoint, ch);
        d->fMasterVolume = std::max(d->fMasterVolume, d->afChannelVolumes[ch]);
    }
    TheNotifier().PostVolume(endpoint, [data](IAudioEndpointVolumeCallback* c) {
        c->OnNotify(reinterpret_cast<AUDIO_VOLUME_NOTIFICATION_DATA*>(data->data()));
    });
}

void WaitForSimNotifications() { TheNotifier().Wait(); }

}  // namespace kal::sim
