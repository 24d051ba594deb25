// Endpoint notifications of the simulated card, delivered on a thread of their own as the
// system's device enumerator does.
#include <windows.h>
#include <objbase.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "base/log.h"
#include "sim/audio_card.h"

namespace kal::sim {
namespace {

class Notifier {
public:
    void Add(IMMNotificationClient* client) {
        if (!client) return;
        std::lock_guard lock(mutex_);
        client->AddRef();
        clients_.push_back(client);
    }
    void Remove(IMMNotificationClient* client) {
        IMMNotificationClient* removed = nullptr;
        {
            std::lock_guard lock(mutex_);
            for (auto it = clients_.begin(); it != clients_.end(); ++it) {
                if (*it == client) {
                    removed = *it;
                    clients_.erase(it);
                    break;
                }
            }
        }
        if (removed) removed->Release();
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return clients_.size();
    }
    void Post(std::function<void(IMMNotificationClient*)> call) {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        queue_.push_back(std::move(call));
        ++posted_;
        wake_.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        const auto target = posted_;
        done_.wait(lock, [&] { return delivered_ >= target; });
    }

private:
    void Run() {
        // Like the system's notification thread, it lives in the multithreaded apartment.
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        for (;;) {
            std::function<void(IMMNotificationClient*)> call;
            std::vector<IMMNotificationClient*> clients;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return !queue_.empty(); });
                call = std::move(queue_.front());
                queue_.pop_front();
                clients = clients_;
                for (auto* c : clients) c->AddRef();
            }
            for (auto* c : clients) {
                try {
                    call(c);
                } catch (...) {
                    LogCaught(L"simulated notification to a client");
                }
                c->Release();
            }
            {
                std::lock_guard lock(mutex_);
                ++delivered_;
            }
            done_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::deque<std::function<void(IMMNotificationClient*)>> queue_;
    std::vector<IMMNotificationClient*> clients_;
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

void WaitForSimNotifications() { TheNotifier().Wait(); }

}  // namespace kal::sim
