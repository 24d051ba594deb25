// The simulated card's registration in SetupAPI: device node, hardware ids, driver class key
// and the interfaces of its topology and audio filters.
#include <windows.h>
#include <setupapi.h>

#include "device/audio.h"
#include "sim/audio_card.h"
#include "sim/driver.h"
#include "sim/driver_state.h"
#include "sim/state.h"
#include "base/keyed.h"
#include "base/registry.h"

namespace kal::sim {
namespace {

constexpr GUID kClassMedia = {0x4D36E96C, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
constexpr GUID kKsCategoryTopology = {0xDDA54A40, 0x1E4C, 0x11D1, {0xA0, 0x50, 0x40, 0x57, 0x05, 0xC1, 0x00, 0x00}};
constexpr GUID kKsCategoryAudio = {0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr wchar_t kDeviceClassesKey[] = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\DeviceClasses";
constexpr wchar_t kClassKeyRoot[] = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class";
constexpr wchar_t kInstanceSuffix[] = L"\\4&2F6A1C0B&0&00E4";
// A refusing topology filter of the card, registered before the answering one.
constexpr wchar_t kRefusingReference[] = L"aux";

// Owner of a device list.
class DevList {
public:
    DevList() : set_(::SetupDiCreateDeviceInfoList(&kClassMedia, nullptr)) {}
    DevList(const DevList&) = delete;
    DevList& operator=(const DevList&) = delete;
    ~DevList() {
        if (set_ != INVALID_HANDLE_VALUE) ::SetupDiDestroyDeviceInfoList(set_);
    }
    HDEVINFO get() const { return set_; }

private:
    HDEVINFO set_;
};

std::wstring HardwareIdFor(const std::wstring& subsys) {
    return L"PCI\\VEN_13F6&DEV_8788&SUBSYS_" + subsys + L"&REV_00";
}

// The interface's registry key (found by its device instance) + "\#" + reference.
std::wstring InterfaceKey(const GUID& category, const std::wstring& instance, const std::wstring& reference) {
    const std::wstring classKey = RegJoin(kDeviceClassesKey, StringFromGUID(category));
    for (const std::wstring& sub : RegEnumKeys(classKey)) {
        const std::wstring key = RegJoin(classKey, sub);
        if (EqualsNoCase(RegReadText(key, L"DeviceInstance").value_or(L""), instance))
            return RegJoin(key, L"#" + reference);
    }
    return {};
}

// Creates one interface, links it (Windows sets Control\Linked itself for a started device)
// and returns its path.
std::wstring AddInterface(HDEVINFO set, SP_DEVINFO_DATA& dev, const GUID& category, const std::wstring& instance,
                          const std::wstring& reference) {
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    if (!::SetupDiCreateDeviceInterfaceW(set, &dev, &category, reference.c_str(), 0, &iface)) return {};
    DWORD needed = 0;
    ::SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &needed, nullptr);
    std::vector<BYTE> buffer(needed + sizeof(wchar_t), 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!needed || !::SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, needed, nullptr, nullptr)) return {};
    const std::wstring key = InterfaceKey(category, instance, reference);
    if (!key.empty()) WriteDword(RegJoin(key, L"Control"), L"Linked", 1);
    return detail->DevicePath;
}

void RemoveInstance(const std::wstring& instance) {
    if (instance.empty()) return;
    DevList list;
    SP_DEVINFO_DATA dev{};
    dev.cbSize = sizeof dev;
    if (!::SetupDiOpenDeviceInfoW(list.get(), instance.c_str(), nullptr, 0, &dev)) return;
    // The driver key goes with the device, its Settings subkey too.
    wchar_t driver[200] = {};
    if (::SetupDiGetDeviceRegistryPropertyW(list.get(), &dev, SPDRP_DRIVER, nullptr, reinterpret_cast<BYTE*>(driver),
                                            sizeof driver - 2, nullptr) &&
        driver[0])
        RegDeleteTree(kClassKeyRoot, driver);
    ::SetupDiRemoveDevice(list.get(), &dev);
}

}  // namespace

std::wstring SimCardInstanceId() { return RegReadText(SimDriverStateKey(), L"InstanceId").value_or(L""); }
std::wstring SimCardHardwareId() { return RegReadText(SimDriverStateKey(), L"HardwareId").value_or(L""); }
std::wstring SimDriverClassKey() { return RegReadText(SimDriverStateKey(), L"ClassKey").value_or(L""); }
std::wstring SimDriverSettingsKey() {
    const std::wstring key = SimDriverClassKey();
    return key.empty() ? key : RegJoin(key, L"Settings");
}
std::wstring SimTopologyPath() { return RegReadText(SimDriverStateKey(), L"TopologyPath").value_or(L""); }
std::wstring SimAudioPath(const std::wstring& reference) {
    return RegReadText(SimDriverStateKey(), L"AudioPath_" + reference).value_or(L"");
}
std::vector<std::wstring> SimRefusingPaths() {
    std::vector<std::wstring> paths;
    for (const std::wstring& path : RegEnumValues(SimInterfacesKey()))
        if (RegReadText(SimInterfacesKey(), path).value_or(L"") == L"refuses") paths.push_back(path);
    return paths;
}

bool SimCardDeviceInstalled() { return !SimCardInstanceId().empty(); }

void RemoveSimCardDevice() {
    RemoveInstance(SimCardInstanceId());
    const std::wstring state = SimDriverStateKey();
    for (const wchar_t* name : {L"InstanceId", L"HardwareId", L"ClassKey", L"TopologyPath", L"AudioPath_wave",
                                L"AudioPath_topology"})
        RegDeleteValue(state, name);
    RegDeleteTree(state, L"Interfaces");
    RegWrite(state, L"Removed", std::wstring(L"1"));
}

void InstallSimCardDevice(const SimCardSetup& setup) {
    RemoveSimCardDevice();
    const std::wstring state = SimDriverStateKey();
    const std::wstring subsys = setup.subsys.empty() ? SimModel() : setup.subsys;
    RegWrite(state, L"Subsys", subsys);
    if (!setup.subsys.empty()) SetSimModel(subsys);
    RegWrite(state, L"SetupDriverKey", std::wstring(setup.driverKey ? L"1" : L"0"));
    RegWrite(state, L"SetupProbe", std::wstring(setup.probeAnswered ? L"1" : L"0"));
    RegWrite(state, L"SetupExtra", std::wstring(setup.extraRefusingInterfaces ? L"1" : L"0"));
    RegDeleteValue(state, L"Removed");
    // A fresh card: metering off, silence, no pending failure, the model's own trial answers.
    for (const wchar_t* name : {L"Metering", L"Levels", L"FailNext", L"AcceptedConfigs", L"ExtraGains"})
        RegDeleteValue(state, name);

    const std::wstring hardwareId = HardwareIdFor(subsys);
    const std::wstring instance = hardwareId + kInstanceSuffix;
    RemoveInstance(instance);  // a leftover of an earlier run

    DevList list;
    SP_DEVINFO_DATA dev{};
    dev.cbSize = sizeof dev;
    if (!::SetupDiCreateDeviceInfoW(list.get(), instance.c_str(), &kClassMedia, L"Simulated Xonar", nullptr, 0, &dev))
        return;
    if (!::SetupDiRegisterDeviceInfo(list.get(), &dev, 0, nullptr, nullptr, nullptr)) return;
    std::wstring ids = hardwareId + L'\0' + L"PCI\\VEN_13F6&DEV_8788&SUBSYS_" + subsys + L'\0' +
                       L"PCI\\VEN_13F6&DEV_8788&CC_040100" + L'\0' + L"PCI\\VEN_13F6&DEV_8788" + L'\0' + L'\0';
    ::SetupDiSetDeviceRegistryPropertyW(list.get(), &dev, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(ids.data()),
                                        static_cast<DWORD>(ids.size() * sizeof(wchar_t)));
    RegWrite(state, L"InstanceId", instance);
    RegWrite(state, L"HardwareId", hardwareId);

    if (setup.driverKey) {
        HKEY key = ::SetupDiCreateDevRegKeyW(list.get(), &dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr);
        if (key != INVALID_HANDLE_VALUE) ::RegCloseKey(key);
        wchar_t driver[200] = {};
        if (::SetupDiGetDeviceRegistryPropertyW(list.get(), &dev, SPDRP_DRIVER, nullptr,
                                                reinterpret_cast<BYTE*>(driver), sizeof driver - 2, nullptr)) {
            const std::wstring classKey = RegJoin(kClassKeyRoot, driver);
            const bool stxII = EqualsNoCase(subsys, L"85F41043");
            RegWrite(classKey, L"Driver", std::wstring(stxII ? L"kalsim_stxii.sys" : L"kalsim.sys"));
            RegWrite(classKey, L"DriverVersion", std::wstring(L"8.1.8.1823"));
            RegWrite(classKey, L"DriverDesc", std::wstring(L"Simulated Xonar Audio Device"));
            RegWrite(classKey, L"ProviderName", std::wstring(L"Kalvenor Simulation"));
            RegDeleteTree(classKey, L"Settings");
            CreateRegKey(RegJoin(classKey, L"Settings"));
            RegWrite(state, L"ClassKey", classKey);
            WriteSimMasterVolume();
        }
    }

    const std::wstring interfaces = SimInterfacesKey();
    const std::wstring answers = setup.probeAnswered ? L"answers" : L"refuses";
    if (setup.extraRefusingInterfaces) {
        const std::wstring extra = AddInterface(list.get(), dev, kKsCategoryTopology, instance, kRefusingReference);
        if (!extra.empty()) RegWrite(interfaces, extra, std::wstring(L"refuses"));
    }
    const std::wstring topology = AddInterface(list.get(), dev, kKsCategoryTopology, instance, L"topology");
    if (!topology.empty()) {
        RegWrite(interfaces, topology, answers);
        RegWrite(state, L"TopologyPath", topology);
    }
    for (const wchar_t* reference : {L"wave", L"topology"}) {
        const std::wstring path = AddInterface(list.get(), dev, kKsCategoryAudio, instance, reference);
        if (path.empty()) continue;
        RegWrite(interfaces, path, answers);
        RegWrite(state, std::wstring(L"AudioPath_") + reference, path);
    }
}

void EnsureSimCardDevice() {
    const std::wstring state = SimDriverStateKey();
    if (RegReadText(state, L"Removed").value_or(L"") == L"1") return;
    // Installed as the chosen model: nothing to do. Another model chosen since: re-register.
    if (SimCardDeviceInstalled() && EqualsNoCase(RegReadText(state, L"Subsys").value_or(L""), SimModel())) return;
    SimCardSetup setup;
    setup.subsys = SimModel();
    setup.driverKey = RegReadText(state, L"SetupDriverKey").value_or(L"1") == L"1";
    setup.probeAnswered = RegReadText(state, L"SetupProbe").value_or(L"1") == L"1";
    setup.extraRefusingInterfaces = RegReadText(state, L"SetupExtra").value_or(L"0") == L"1";
    InstallSimCardDevice(setup);
}

}  // namespace kal::sim
