// Endpoint notifications of the simulated card, delivered on a thread of their own as the
// system's device enumerator does. A change of an endpoint's volume reaches the callbacks of
// every process, as the system's does: each change is also recorded under the simulation's
// registry state, and each process's notification thread watches the records and reports the
// other processes' changes to its own callbacks, with the context they were made with.
#include <windows.h>
#include <endpointvolume.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "base/log.h"
#include "base/raii.h"
#include "base/registry.h"
#include "sim/audio_card.h"
#include "sim/state.h"

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
    // Every callback; the caller releases them.
    std::vector<T*> TakeAll() { return std::exchange(list_, {}); }
    std::vector<T*> Snapshot() const {
        for (T* c : list_) c->AddRef();
        return list_;
    }
    std::size_t Count() const { return list_.size(); }

private:
    std::vector<T*> list_;
};

std::atomic<bool> gFailThreadStarts{false};

// The records of volume changes that every process sees: "Serial" numbers the changes of all
// processes, and "Change<n>" keeps the n-th (modulo kRecordRing) as its serial number, the
// changing process's id, the endpoint and the notification's data.
constexpr std::uint64_t kRecordRing = 32;
constexpr std::size_t kRecordHead = 16;

const std::wstring& RecordsKey() {
    static const std::wstring key = RegJoin(kSimRoot, L"VolumeChanges");
    return key;
}

std::wstring RecordName(std::uint64_t serial) { return L"Change" + std::to_wstring(serial % kRecordRing); }

std::uint64_t RecordedSerial() {
    const auto b = RegReadBytes(RecordsKey(), L"Serial");
    std::uint64_t serial = 0;
    if (b && b->size() == sizeof serial) std::memcpy(&serial, b->data(), sizeof serial);
    return serial;
}

// Processes number their changes in turn, under a mutex that all of them open.
class RecordsLock {
public:
    RecordsLock() {
        const DWORD r = Mutex() ? ::WaitForSingleObject(Mutex(), 5000) : WAIT_FAILED;
        held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    ~RecordsLock() {
        if (held_) ::ReleaseMutex(Mutex());
    }
    RecordsLock(const RecordsLock&) = delete;
    RecordsLock& operator=(const RecordsLock&) = delete;

private:
    static HANDLE Mutex() {
        static const UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, L"KalvenorSimVolumeChanges"));
        return mutex.get();
    }
    bool held_ = false;
};

void RecordChange(int endpoint, const std::vector<std::uint8_t>& data) {
    RecordsLock lock;
    const std::uint64_t serial = RecordedSerial() + 1;
    const DWORD process = ::GetCurrentProcessId();
    const auto index = static_cast<std::int32_t>(endpoint);
    Bytes record(kRecordHead);
    std::memcpy(record.data(), &serial, 8);
    std::memcpy(record.data() + 8, &process, 4);
    std::memcpy(record.data() + 12, &index, 4);
    record.insert(record.end(), data.begin(), data.end());
    // The record first: a reader that sees the serial finds it.
    RegWrite(RecordsKey(), RecordName(serial), record);
    Bytes number(sizeof serial);
    std::memcpy(number.data(), &serial, sizeof serial);
    RegWrite(RecordsKey(), L"Serial", number);
}

struct OtherChange {
    int endpoint;
    std::vector<std::uint8_t> data;
};

// The notification thread's watch on the records: the changes other processes recorded since
// the last look.
class RecordsWatch {
public:
    explicit RecordsWatch(std::uint64_t seen) : seen_(seen), changed_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    // Watches for the next change of the records (made anew when the state was deleted).
    void Arm() {
        armed_ = false;
        for (int attempt = 0; attempt < 2 && changed_ && !armed_; ++attempt) {
            if (!key_) {
                std::wstring sub = RecordsKey();
                const HKEY hive = SplitRegPath(sub);
                if (::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, 0, KEY_NOTIFY, nullptr, key_.put(), nullptr) !=
                    ERROR_SUCCESS)
                    return;
            }
            armed_ = ::RegNotifyChangeKeyValue(key_.get(), FALSE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                               changed_.get(), TRUE) == ERROR_SUCCESS;
            if (!armed_) key_.reset();
        }
    }
    // Signalled by the change Arm watches for; null when nothing is watched.
    HANDLE Event() const { return armed_ ? changed_.get() : nullptr; }

    std::vector<OtherChange> Take() {
        std::vector<OtherChange> changes;
        const std::uint64_t last = RecordedSerial();
        if (last < seen_) seen_ = 0;  // the state was cleared: numbering starts again
        const std::uint64_t first = std::max(seen_ + 1, last > kRecordRing ? last - kRecordRing + 1 : 1);
        for (std::uint64_t serial = first; serial <= last; ++serial) {
            const auto record = RegReadBytes(RecordsKey(), RecordName(serial));
            if (!record || record->size() < kRecordHead + sizeof(AUDIO_VOLUME_NOTIFICATION_DATA)) continue;
            std::uint64_t number = 0;
            DWORD process = 0;
            std::int32_t endpoint = -1;
            std::memcpy(&number, record->data(), 8);
            std::memcpy(&process, record->data() + 8, 4);
            std::memcpy(&endpoint, record->data() + 12, 4);
            if (number != serial || process == ::GetCurrentProcessId()) continue;
            if (endpoint < 0 || static_cast<std::size_t>(endpoint) >= SimAudioEndpoints().size()) continue;
            std::vector<std::uint8_t> data(record->begin() + kRecordHead, record->end());
            const UINT channels = reinterpret_cast<const AUDIO_VOLUME_NOTIFICATION_DATA*>(data.data())->nChannels;
            if (data.size() <
                sizeof(AUDIO_VOLUME_NOTIFICATION_DATA) + (channels > 1 ? channels - 1 : 0) * sizeof(float))
                continue;
            changes.push_back({endpoint, std::move(data)});
        }
        seen_ = last;
        return changes;
    }

private:
    std::uint64_t seen_;
    UniqueHKey key_;
    UniqueHandle changed_;
    bool armed_ = false;
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
        // Other processes' changes are heard from now on (once a thread runs).
        EnsureThread();
    }
    void RemoveVolume(int endpoint, IAudioEndpointVolumeCallback* callback) {
        IAudioEndpointVolumeCallback* removed = nullptr;
        {
            std::lock_guard lock(mutex_);
            removed = volumes_[endpoint].Remove(callback);
        }
        if (removed) removed->Release();
    }
    // In turn after the changes posted before it, which the endpoint's callbacks still hear of:
    // they were made while it was in service.
    void DropVolumes(int endpoint) {
        auto drop = [this, endpoint] {
            std::vector<IAudioEndpointVolumeCallback*> dropped;
            {
                std::lock_guard lock(mutex_);
                dropped = volumes_[endpoint].TakeAll();
            }
            for (IAudioEndpointVolumeCallback* c : dropped) c->Release();
        };
        if (!Queue(drop)) drop();
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
        Queue([this, endpoint, call = std::move(call)] { DeliverVolume(endpoint, call); });
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        const auto target = posted_;
        done_.wait(lock, [&] { return delivered_ >= target; });
    }

private:
    // With mutex_ held. False when no thread runs.
    bool EnsureThread() {
        if (thread_.joinable()) return true;
        if (!wake_) wake_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        // Records made from here on are this process's to hear.
        const std::uint64_t seen = RecordedSerial();
        try {
            if (gFailThreadStarts)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            thread_ = std::thread([this, seen] { Run(seen); });
        } catch (...) {
            // No thread to deliver on: the caller's change stands without its notification.
            LogCaught(L"simulated notification thread");
            return false;
        }
        return true;
    }

    // False when no thread runs to deliver it.
    bool Queue(std::function<void()> delivery) {
        std::lock_guard lock(mutex_);
        if (!EnsureThread()) return false;
        queue_.push_back(std::move(delivery));
        ++posted_;
        ::SetEvent(wake_.get());
        return true;
    }

    void DeliverVolume(int endpoint, const std::function<void(IAudioEndpointVolumeCallback*)>& call) {
        std::vector<IAudioEndpointVolumeCallback*> list;
        {
            std::lock_guard lock(mutex_);
            list = volumes_[endpoint].Snapshot();
        }
        Deliver(list, call);
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

    void Run(std::uint64_t seen) {
        // Like the system's notification thread, it lives in the multithreaded apartment.
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        RecordsWatch others(seen);
        for (bool look = true;;) {
            if (look) {
                // Armed before the look, so that a record made meanwhile wakes the thread again.
                others.Arm();
                for (OtherChange& change : others.Take()) {
                    auto* data = reinterpret_cast<AUDIO_VOLUME_NOTIFICATION_DATA*>(change.data.data());
                    DeliverVolume(change.endpoint, [data](IAudioEndpointVolumeCallback* c) { c->OnNotify(data); });
                }
            }
            const HANDLE handles[] = {wake_.get(), others.Event()};
            look = ::WaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
            for (;;) {
                std::function<void()> delivery;
                {
                    std::lock_guard lock(mutex_);
                    if (queue_.empty()) break;
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
    }

    std::mutex mutex_;
    UniqueHandle wake_;
    std::condition_variable done_;
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
void DropSimVolumeCallbacks(int endpoint) { TheNotifier().DropVolumes(endpoint); }
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
    RecordChange(endpoint, *data);
    TheNotifier().PostVolume(endpoint, [data](IAudioEndpointVolumeCallback* c) {
        c->OnNotify(reinterpret_cast<AUDIO_VOLUME_NOTIFICATION_DATA*>(data->data()));
    });
}

void WaitForSimNotifications() { TheNotifier().Wait(); }

void FailSimThreadStarts(bool fail) { gFailThreadStarts = fail; }

}  // namespace kal::sim
