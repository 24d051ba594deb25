#include "device/transport.h"

#include <mmsystem.h>
#include <setupapi.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "base/log.h"
#include "device/platform.h"
#include "startup/globals.h"
#include "base/registry.h"
#include "startup/tables.h"
#include "base/worker.h"

namespace kal {

PropertySetId gDriverPropertySet = kPropertySetDefault;
std::wstring gCardInterfacePath;
bool gSuspendDriverWrites = false;
std::atomic<std::uint32_t> gLastSelfChange{0};
std::wstring gCardHID;
std::wstring gCardInstanceId;

namespace {

// The result of a request whose device can't be opened.
constexpr std::uint32_t kDeviceNotOpened = ERROR_INVALID_HANDLE;  // 6

constexpr GUID kKsCategoryTopology = {0xDDA54A40, 0x1E4C, 0x11D1, {0xA0, 0x50, 0x40, 0x57, 0x05, 0xC1, 0x00, 0x00}};
constexpr GUID kKsCategoryAudio = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// Owner of a SetupAPI device list. Freeing a list takes Wine about 1 ms per device, all of it
// on the start-up's way to the tray icon and the "/noui" apply: the list is freed by the worker
// thread instead, after the jobs before it (a list freed while the registry watchers run waits
// for their release).
class UniqueDevInfo {
public:
    explicit UniqueDevInfo(HDEVINFO set) : set_(set) {}
    UniqueDevInfo(const UniqueDevInfo&) = delete;
    UniqueDevInfo& operator=(const UniqueDevInfo&) = delete;
    ~UniqueDevInfo() {
        if (!*this) return;
        const HDEVINFO set = set_;
        try {
            RunOnWorker([set] { ::SetupDiDestroyDeviceInfoList(set); });
        } catch (...) {
            // No worker to take it: freed here.
            LogCaught(L"device list release");
            ::SetupDiDestroyDeviceInfoList(set);
        }
    }
    explicit operator bool() const { return set_ != INVALID_HANDLE_VALUE && set_ != nullptr; }
    HDEVINFO get() const { return set_; }

private:
    HDEVINFO set_;
};

bool IsOpen(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }

// The interfaces the thread's outermost CardInterfaceScope keeps open, by path.
thread_local std::map<std::wstring, HANDLE>* tKeptInterfaces = nullptr;

// An opened card interface, closed through the platform seam, or lent by the thread's scope.
class DeviceHandle {
public:
    explicit DeviceHandle(const std::wstring& path) {
        if (tKeptInterfaces) {
            if (auto kept = tKeptInterfaces->find(path); kept != tKeptInterfaces->end()) {
                h_ = kept->second;
                return;
            }
        }
        h_ = gPlatform.OpenDeviceInterface(path.c_str());
        // Kept only once it opened: a card that comes back is opened at the next request.
        if (tKeptInterfaces && *this) tKeptInterfaces->emplace(path, h_);
        else owned_ = true;
    }
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;
    ~DeviceHandle() {
        if (owned_ && *this) gPlatform.CloseDeviceInterface(h_);
    }
    explicit operator bool() const { return IsOpen(h_); }
    HANDLE get() const { return h_; }

private:
    HANDLE h_ = nullptr;
    bool owned_ = false;
};


// A device registry property as the first string of its data; nullopt when its size is 0 or
// the read fails.
std::optional<std::wstring> ReadDeviceString(HDEVINFO set, SP_DEVINFO_DATA& dev, DWORD code) {
    DWORD size = 0;
    ::SetupDiGetDeviceRegistryPropertyW(set, &dev, code, nullptr, nullptr, 0, &size);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> data(size + 2 * sizeof(wchar_t), 0);
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &dev, code, nullptr, data.data(), size, nullptr))
        return std::nullopt;
    return std::wstring(reinterpret_cast<const wchar_t*>(data.data()));
}

// Whole interface walk of one category; `visit` returns true to stop.
template <typename Visit>
void ForEachInterface(const GUID& category, Visit visit) {
    UniqueDevInfo set(::SetupDiGetClassDevsW(&category, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) return;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof(iface);
        if (!::SetupDiEnumDeviceInterfaces(set.get(), nullptr, &category, index, &iface)) return;
        DWORD needed = 0;
        ::SetupDiGetDeviceInterfaceDetailW(set.get(), &iface, nullptr, 0, &needed, nullptr);
        if (needed == 0) return;
        std::vector<BYTE> buffer(needed + sizeof(wchar_t), 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA dev{};
        dev.cbSize = sizeof(dev);
        if (!::SetupDiGetDeviceInterfaceDetailW(set.get(), &iface, detail, needed, nullptr, &dev)) return;
        const std::wstring path(detail->DevicePath);

        DWORD chars = 0;
        ::SetupDiGetDeviceInstanceIdW(set.get(), &dev, nullptr, 0, &chars);
        if (chars == 0) return;
        std::vector<wchar_t> id(chars + 1, L'\0');
        if (!::SetupDiGetDeviceInstanceIdW(set.get(), &dev, id.data(), chars, nullptr)) return;
        if (visit(path, std::wstring(id.data()))) return;
    }
}

}  // namespace

std::uint32_t SendDriverProperty(std::uint32_t id, Bytes& data, bool isGet, const std::wstring& path) {
    if (gSuspendDriverWrites) return 0;
    if (data.empty()) return ERROR_INVALID_PARAMETER;  // the driver needs a value buffer
    DeviceHandle device(path.empty() ? gCardInterfacePath : path);
    if (!device) return kDeviceNotOpened;
    auto header = KsPropertyHeader(gDriverPropertySet, id, isGet);
    if (!isGet && id != DrvPropOutputBlockProbe && id != DrvPropPeakMeter) gLastSelfChange = ::timeGetTime();
    DWORD returned = 0;
    return gPlatform.KsProperty(device.get(), header.data(), static_cast<DWORD>(header.size()), data.data(),
                                static_cast<DWORD>(data.size()), &returned);
}

std::wstring FindCardInterfacePath(std::wstring& instanceText, int mode) {
    if ((mode != 0 && mode != 1) || instanceText.empty()) return {};
    std::wstring answer;
    try {
        ForEachInterface(mode == 0 ? kKsCategoryTopology : kKsCategoryAudio,
                         [&](const std::wstring& path, const std::wstring& instanceId) {
                             if (!ContainsNoCase(instanceId, instanceText)) return false;
                             if (mode == 0) {
                                 Bytes probe(kProbeSize, 0);
                                 if (SendDriverProperty(DrvPropProbe, probe, true, path) != 0) return false;
                                 answer = path;
                                 instanceText = instanceId;
                                 return true;
                             }
                             answer = AudioFilterBasePath(path);
                             return !answer.empty();
                         });
    } catch (const std::bad_alloc&) {
        LogCaught(L"FindCardInterfacePath");
        return {};
    }
    return answer;
}

std::wstring GetDeviceRegistryProperty(DWORD code, std::wstring& hardwareIdText) {
    std::wstring answer, matched;
    const std::wstring wanted = ToUpper(hardwareIdText);
    UniqueDevInfo set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
    if (set) {
        SP_DEVINFO_DATA dev{};
        dev.cbSize = sizeof(dev);
        for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set.get(), index, &dev); ++index) {
            // A device whose hardware id can't be read is passed over; it must not hide the card.
            auto hardwareId = ReadDeviceString(set.get(), dev, SPDRP_HARDWAREID);
            if (!hardwareId || hardwareId->find(wanted) == std::wstring::npos) continue;
            matched = *hardwareId;
            answer = code == SPDRP_HARDWAREID ? matched : ReadDeviceString(set.get(), dev, code).value_or(L"");
            break;
        }
    }
    hardwareIdText = matched;
    return answer;
}

bool DriverQuery38() {
    Bytes buffer(kNeoSize, 0);
    return SendDriverProperty(DrvPropNeo, buffer, true) == 0;
}

namespace {

// What the device search finds for a pattern, before any of it becomes the program's state.
struct FoundCard {
    std::wstring hid;
    std::wstring classKey;    // "" when the device has no driver
    std::wstring driverText;  // the class key's "Driver" value
};

// Reads the device list and the driver's class key only: safe on any thread.
FoundCard FindCard(const std::wstring& pattern, const std::wstring& subsys) {
    FoundCard found;
    found.hid = pattern;
    const std::wstring driverKey = GetDeviceRegistryProperty(SPDRP_DRIVER, found.hid);
    if (found.hid.empty() && !subsys.empty())
        found.hid = std::wstring(L"PCI\\") + kCardHardwareFamily + L"&SUBSYS_" + subsys + L"&REV_00";
    if (driverKey.empty()) return found;
    found.classKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + ToUpper(driverKey);
    found.driverText = RegReadText(L"HKEY_LOCAL_MACHINE\\" + found.classKey, L"Driver").value_or(L"");
    return found;
}

// A search started ahead on the worker thread, with the inputs it was started for.
struct EarlySearch {
    std::wstring pattern, subsys;
    std::shared_ptr<FoundCard> found;
    std::shared_future<void> done;
};

std::optional<EarlySearch>& PendingSearch() {
    static std::optional<EarlySearch> pending;
    return pending;
}

}  // namespace

void StartCardDiscovery(const std::wstring& pattern, const std::wstring& subsys) {
    auto found = std::make_shared<FoundCard>();
    try {
        std::shared_future<void> done = RunOnWorker([found, pattern, subsys] { *found = FindCard(pattern, subsys); });
        PendingSearch() = EarlySearch{pattern, subsys, found, std::move(done)};
    } catch (...) {
        // No worker (or no room for the job): DiscoverCard searches itself.
        LogCaught(L"early card discovery");
        PendingSearch().reset();
    }
}

void DiscoverCard(const std::wstring& pattern, const std::wstring& subsys) {
    FoundCard found;
    std::optional<EarlySearch> early = std::exchange(PendingSearch(), std::nullopt);
    bool taken = false;
    if (early && early->pattern == pattern && early->subsys == subsys) {
        try {
            early->done.get();
            found = std::move(*early->found);
            taken = true;
        } catch (...) {
            LogCaught(L"early card discovery");
        }
    }
    if (!taken) found = FindCard(pattern, subsys);
    gCardHID = found.hid;
    if (found.classKey.empty()) return;
    gDriverClassKey = found.classKey;
    gDriverSettingsKey = L"Settings";
    gDriverPropertySet = PropertySetForDriver(found.driverText);
}

CardInterfaceScope::CardInterfaceScope() : outermost_(tKeptInterfaces == nullptr) {
    if (outermost_) tKeptInterfaces = &kept_;
}

CardInterfaceScope::~CardInterfaceScope() {
    if (!outermost_) return;
    tKeptInterfaces = nullptr;
    for (const auto& [path, device] : kept_) gPlatform.CloseDeviceInterface(device);
}

bool FindCardInterface() {
    gCardInstanceId = gCardHID;
    gCardInterfacePath = FindCardInterfacePath(gCardInstanceId, 0);
    return !gCardInterfacePath.empty();
}

Bytes LiveDriverValue(std::wstring_view name) {
    Bytes fallback{0};
    if (const std::wstring* hex = gDriverDefaults.Find(name)) {
        try {
            fallback = HexToBytes(*hex);
        } catch (const std::invalid_argument&) {
            LogCaught(L"LiveDriverValue default");
        }
    }
    if (gDriverSettingsKey.empty()) return fallback;
    auto v = RegRead(gDriverSettingsKey, std::wstring(name), fallback);
    if (!v) return fallback;
    if (auto* b = std::get_if<Bytes>(&*v)) return *b;
    const auto& text = std::get<std::wstring>(*v);
    Bytes utf16;
    for (wchar_t c : text) {
        utf16.push_back(static_cast<std::uint8_t>(c & 0xFF));
        utf16.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return utf16;
}

}  // namespace kal
