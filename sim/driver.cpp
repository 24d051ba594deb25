// The simulated card's kernel-streaming driver: answers the private property set on the card's
// interfaces and mirrors every accepted write into its settings key before it returns.
#include <windows.h>
#include <mmsystem.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "base/log.h"
#include "device/audio.h"
#include "sim/driver.h"
#include "sim/driver_state.h"
#include "sim/parts.h"
#include "sim/state.h"
#include "startup/catalogue.h"
#include "startup/globals.h"
#include "base/keyed.h"
#include "base/registry.h"
#include "startup/tables.h"

namespace kal::sim {

bool CreateRegKey(const std::wstring& path) {
    std::wstring sub = path;
    HKEY hive = SplitRegPath(sub);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool WriteDword(const std::wstring& path, const std::wstring& name, std::uint32_t value) {
    std::wstring sub = path;
    HKEY hive = SplitRegPath(sub);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(hive, sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD v = value;
    const bool ok = ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
                    ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
}

namespace {

// {51D0011F-CC76-4A8B-9098-D637D44B60CD} and, for the STX II's driver,
// {8F9411EA-DD4F-4FAC-A5E3-8A3A00AB81CF}.
constexpr GUID kSetFamily = {0x51D0011F, 0xCC76, 0x4A8B, {0x90, 0x98, 0xD6, 0x37, 0xD4, 0x4B, 0x60, 0xCD}};
constexpr GUID kSetStxII = {0x8F9411EA, 0xDD4F, 0x4FAC, {0xA5, 0xE3, 0x8A, 0x3A, 0x00, 0xAB, 0x81, 0xCF}};

constexpr std::int32_t kSilence = -96 * 65536;  // -96 dB in 16.16
constexpr std::uint32_t kLogLimit = 4096;

std::mutex gLock;
std::map<HANDLE, std::wstring> gOpen;  // open handles -> interface path

// The catalogue and the default values as the driver knows them, taken once.
struct Knowledge {
    KeyedCollection<std::shared_ptr<const CardModel>> models;
    KeyedCollection<std::wstring> defaults;
};

const Knowledge& Known() {
    static const Knowledge k = [] {
        Knowledge out;
        const bool hadModels = !gCardModels.Empty();
        if (!hadModels) BuildCardCatalogue();
        for (const auto& [key, model] : gCardModels) out.models.Add(key, model);
        if (!hadModels) gCardModels.Clear();
        const bool hadDefaults = !gDriverDefaults.Empty();
        if (!hadDefaults) BuildDriverDefaults(gIsXP);
        for (const auto& [key, value] : gDriverDefaults) out.defaults.Add(key, value);
        if (!hadDefaults) gDriverDefaults.Clear();
        return out;
    }();
    return k;
}

std::shared_ptr<const CardModel> Model() {
    const auto* m = Known().models.Find(SimModel());
    return m ? *m : nullptr;
}

std::uint32_t Dword(const std::uint8_t* data, std::size_t at) {
    return data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) | (static_cast<std::uint32_t>(data[at + 3]) << 24);
}

// --- the driver's settings ---

Bytes DefaultOf(const std::wstring& name) {
    if (const std::wstring* hex = Known().defaults.Find(name)) return HexToBytes(*hex);
    return {};
}

Bytes ReadSetting(const std::wstring& name) {
    if (auto v = RegReadBytes(SimDriverSettingsKey(), name)) return *v;
    return DefaultOf(name);
}

// Stored with the length of the value's default, so stored and live texts compare exactly.
void StoreSetting(const std::wstring& name, Bytes value) {
    const Bytes def = DefaultOf(name);
    if (!def.empty()) value.resize(def.size(), 0);
    const std::wstring key = SimDriverSettingsKey();
    if (!key.empty()) RegWrite(key, name, value);
}

void StoreByte(const std::wstring& name, std::uint8_t b) { StoreSetting(name, Bytes{b}); }

// A partner byte of 255 keeps the present value.
void StorePartner(const std::wstring& name, std::uint8_t b) {
    if (b != 255) StoreByte(name, b);
}

// --- requests ---

struct Request {
    std::uint32_t id;
    bool get;
    std::uint8_t* data;
    std::size_t size;
};

bool SpeakerConfigAccepted(std::uint32_t code) {
    if (auto list = RegReadBytes(SimDriverStateKey(), L"AcceptedConfigs"))
        return code <= 0xFF && std::find(list->begin(), list->end(), static_cast<std::uint8_t>(code)) != list->end();
    const auto model = Model();
    if (!model || code > 0xFF) return false;
    wchar_t mode[3];
    ::swprintf(mode, 3, L"%02X", static_cast<unsigned>(code));
    for (const wchar_t* channels : {L"2", L"4", L"6", L"8"})
        if (model->Behavior(std::wstring(channels) + mode)) return true;
    return false;
}

void StoreOutputBlock(const Request& r) {
    StoreSetting(L"ListenerMode", Bytes(r.data, r.data + 4));
    StoreSetting(L"SpeakerConfig", Bytes(r.data + 4, r.data + 8));
    StoreSetting(L"CenterBassXchg", Bytes(r.data + 8, r.data + 12));
}

std::uint32_t ChannelGains(const Request& r) {
    const std::wstring state = SimDriverStateKey();
    if (r.get) {
        Bytes block;
        for (auto name : gChannelVolumeValues) {
            Bytes v = ReadSetting(std::wstring(name));
            v.resize(4, 0);
            block.insert(block.end(), v.begin(), v.end());
        }
        Bytes extra = RegReadBytes(state, L"ExtraGains").value_or(Bytes{});
        extra.resize(8, 0);
        block.insert(block.end(), extra.begin(), extra.end());
        std::copy(block.begin(), block.end(), r.data);
        return 0;
    }
    for (std::size_t i = 0; i < gChannelVolumeValues.size(); ++i)
        StoreSetting(std::wstring(gChannelVolumeValues[i]), Bytes(r.data + 4 * i, r.data + 4 * i + 4));
    RegWrite(state, L"ExtraGains", Bytes(r.data + 32, r.data + 40));
    return 0;
}

std::uint32_t PeakMeter(const Request& r) {
    const std::wstring state = SimDriverStateKey();
    if (!r.get) {
        RegWrite(state, L"Metering", std::wstring(r.data[0] != 0 ? L"1" : L"0"));
        return 0;
    }
    std::memset(r.data, 0, 40);
    if (!SimMeteringOn()) return 0;
    Bytes levels = RegReadBytes(state, L"Levels").value_or(Bytes{});
    if (levels.size() != 40) {
        levels.clear();
        for (int i = 0; i < 10; ++i)
            for (int b = 0; b < 4; ++b) levels.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(kSilence) >> (8 * b)));
    }
    std::copy(levels.begin(), levels.end(), r.data);
    return 0;
}

// Size, directions and availability of each property.
struct PropertyInfo {
    std::uint32_t id;
    std::size_t size;
    bool get, set;
};
constexpr PropertyInfo kProperties[] = {
    {1, 12, true, false},  {2, 12, false, true},  {3, 40, true, true},   {4, 12, false, true},
    {6, 12, false, true},  {9, 8, false, true},   {10, 20, false, true}, {29, 20, false, true},
    {30, 8, false, true},  {31, 8, false, true},  {33, 40, true, true},  {35, 6, false, true},
    {36, 16, false, true}, {38, 16, true, true},  {49, 1, false, true},  {64, 4, false, true},
    {100, 40, false, true}, {105, 8, false, true}, {118, 1, false, true},
};

bool Available(std::uint32_t id, const CardModel* model) {
    switch (id) {
        case 38: return model && model->DTS;
        case 100: return model && model->AEC;
        case 118: return model && model->HPAmp;
        default: return true;
    }
}

std::uint32_t Dispatch(const Request& r) {
    const std::uint8_t* d = r.data;
    switch (r.id) {
        case 1:
            std::memset(r.data, 0, 12);
            return 0;
        case 2:
            StoreByte(L"SpDigitalOut", d[0]);
            return 0;
        case 3:
            return ChannelGains(r);
        case 4:
            StoreOutputBlock(r);
            return 0;
        case 6:
            if (!SpeakerConfigAccepted(Dword(d, 4))) return ERROR_NOT_SUPPORTED;
            StoreOutputBlock(r);
            return 0;
        case 9: {
            const std::uint32_t index = Dword(d, 0);
            if (index == 10) {
                StoreByte(L"EqEnable", d[4]);
                return 0;
            }
            if (index > 10) return ERROR_INVALID_PARAMETER;
            Bytes gains = ReadSetting(L"EqGain");
            gains.resize(40, 0);
            std::copy(d + 4, d + 8, gains.begin() + 4 * index);
            StoreSetting(L"EqGain", gains);
            return 0;
        }
        case 10: {
            const std::uint32_t selector = Dword(d, 0), sub = Dword(d, 4);
            if (selector < 8 && sub == 0) {
                Bytes layout = ReadSetting(L"VSpeakerPos");
                layout.resize(128, 0);
                std::copy(d + 8, d + 20, layout.begin() + 16 * selector);
                StoreSetting(L"VSpeakerPos", layout);
                return 0;
            }
            if (selector == 8 && sub == 3) {
                StoreByte(L"EnableXear3D", d[8]);
                return 0;
            }
            return ERROR_INVALID_PARAMETER;
        }
        case 29:
            StoreSetting(L"Pl2xParam", Bytes(d, d + 20));
            return 0;
        case 30:
            StoreByte(L"DHEnable", d[0]);
            StorePartner(L"DHRoom", d[4]);
            return 0;
        case 31:
            StoreByte(L"DVSEnable", d[0]);
            StorePartner(L"DVSMode", d[4]);
            return 0;
        case 33:
            return PeakMeter(r);
        case 35: {
            const wchar_t* names[] = {L"HeadphoneLRXchg", L"Dual2D", L"MuteSubwoofer", L"HeadphoneMuteRear",
                                      L"SideRearXchg"};
            for (int i = 0; i < 5; ++i) StoreByte(names[i], d[i]);
            return 0;
        }
        case 36: {
            const std::uint32_t selector = Dword(d, 0);
            if (selector < 8) {
                Bytes mask = ReadSetting(L"SpeakerSize");
                if (mask.empty()) mask.push_back(0);
                const std::uint8_t bit = static_cast<std::uint8_t>(1u << selector);
                mask[0] = static_cast<std::uint8_t>(d[8] ? (mask[0] | bit) : (mask[0] & ~bit));
                StoreSetting(L"SpeakerSize", mask);
                return 0;
            }
            if (selector == 8) {
                StoreByte(L"BassManagement", d[8]);
                StorePartner(L"BassCornerFrequency", d[12]);
                return 0;
            }
            return ERROR_INVALID_PARAMETER;
        }
        case 38:
            if (r.get) {
                Bytes neo = ReadSetting(L"NeoParam");
                neo.resize(16, 0);
                std::copy(neo.begin(), neo.end(), r.data);
            } else {
                StoreSetting(L"NeoParam", Bytes(d, d + 16));
            }
            return 0;
        case 49:
            StoreByte(L"PanelConfig", d[0]);
            return 0;
        case 64:
            StoreSetting(L"SmartVolumeParams", Bytes(d, d + 4));
            return 0;
        case 100:
            StoreSetting(L"AEC", Bytes(d, d + 40));
            return 0;
        case 105:
            StoreSetting(L"OutputFormat", Bytes(d, d + 8));
            return 0;
        case 118: {
            const Bytes panel = ReadSetting(L"PanelConfig");
            const bool rear = panel.empty() || panel[0] == 0;
            StoreSetting(rear ? L"HpImpedanceModeRear" : L"HpImpedanceModeFront", Bytes(d, d + r.size));
            return 0;
        }
        default:
            return ERROR_NOT_FOUND;
    }
}

std::uint32_t Handle(const std::wstring& path, const GUID& set, Request& r, std::uint32_t flags) {
    if (RegReadText(SimInterfacesKey(), path).value_or(L"") != L"answers") return ERROR_SET_NOT_FOUND;
    const std::wstring state = SimDriverStateKey();
    if (auto fail = RegReadBytes(state, L"FailNext"); fail && fail->size() == 8 && Dword(fail->data(), 0) == r.id) {
        RegDeleteValue(state, L"FailNext");
        return Dword(fail->data(), 4);
    }
    const auto model = Model();
    const bool stxII = model && EqualsNoCase(model->Subsys, L"85F41043");
    if (!::IsEqualGUID(set, stxII ? kSetStxII : kSetFamily)) return ERROR_SET_NOT_FOUND;
    if (flags != 1 && flags != 2) return ERROR_NOT_FOUND;
    const auto* info = std::find_if(std::begin(kProperties), std::end(kProperties),
                                    [&](const PropertyInfo& p) { return p.id == r.id; });
    if (info == std::end(kProperties) || !Available(r.id, model.get()) || (r.get ? !info->get : !info->set))
        return ERROR_NOT_FOUND;
    if (r.size < info->size) return ERROR_INSUFFICIENT_BUFFER;
    return Dispatch(r);
}

void Log(const std::wstring& path, const GUID& set, std::uint32_t id, std::uint32_t flags, const Bytes& bytes,
         std::uint32_t result) {
    const std::wstring key = SimDriverStateKey() + L"\\Log";
    std::uint32_t next = 0;
    if (auto n = RegReadBytes(SimDriverStateKey(), L"LogNext"); n && n->size() == 4) next = Dword(n->data(), 0);
    wchar_t name[16];
    ::swprintf(name, 16, L"%08u", next);
    const std::wstring line = path + L"|" + StringFromGUID(set) + L"|" + std::to_wstring(id) + L"|" + std::to_wstring(flags) +
                              L"|" + BytesToHex(bytes) + L"|" + std::to_wstring(result) + L"|" +
                              std::to_wstring(::timeGetTime());
    RegWrite(key, name, line);
    // The log keeps the latest requests only: the level meter polls every 20 ms.
    if (next >= kLogLimit) {
        ::swprintf(name, 16, L"%08u", next - kLogLimit);
        RegDeleteValue(key, name);
    }
    ++next;
    RegWrite(SimDriverStateKey(), L"LogNext",
             Bytes{static_cast<std::uint8_t>(next), static_cast<std::uint8_t>(next >> 8),
                   static_cast<std::uint8_t>(next >> 16), static_cast<std::uint8_t>(next >> 24)});
}

HANDLE OpenInterface(const wchar_t* path) {
    const std::wstring wanted = path ? path : L"";
    for (const std::wstring& known : RegEnumValues(SimInterfacesKey())) {
        if (wanted.empty() || !EqualsNoCase(known, wanted)) continue;
        HANDLE h = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!h) return INVALID_HANDLE_VALUE;
        std::lock_guard lock(gLock);
        gOpen[h] = known;
        return h;
    }
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

DWORD KsProperty(HANDLE device, void* property, DWORD propertySize, void* data, DWORD dataSize, DWORD* returned) {
    if (returned) *returned = 0;
    std::wstring path;
    {
        std::lock_guard lock(gLock);
        auto it = gOpen.find(device);
        if (it == gOpen.end()) return ERROR_INVALID_FUNCTION;
        path = it->second;
    }
    if (!property || propertySize < 24 || !data || dataSize == 0) return ERROR_INVALID_PARAMETER;
    const auto* header = static_cast<const std::uint8_t*>(property);
    GUID set;
    std::memcpy(&set, header, sizeof set);
    const std::uint32_t id = Dword(header, 16), flags = Dword(header, 20);
    auto* bytes = static_cast<std::uint8_t*>(data);
    Request r{id, flags == 1, bytes, dataSize};
    const Bytes before(bytes, bytes + dataSize);
    std::uint32_t result;
    std::lock_guard lock(gLock);
    try {
        result = Handle(path, set, r, flags);
    } catch (...) {
        LogCaught(L"simulated driver request");
        result = ERROR_GEN_FAILURE;
    }
    if (result == 0 && r.get && returned) *returned = dataSize;
    try {
        Log(path, set, id, flags, r.get && result == 0 ? Bytes(bytes, bytes + dataSize) : before, result);
    } catch (...) {
        LogCaught(L"simulated driver request log");
    }
    return result;
}

void CloseInterface(HANDLE device) {
    {
        std::lock_guard lock(gLock);
        gOpen.erase(device);
    }
    ::CloseHandle(device);
}

}  // namespace

std::vector<SimRequest> SimRequestLog() {
    const std::wstring key = SimDriverStateKey() + L"\\Log";
    std::vector<std::wstring> names = RegEnumValues(key);
    std::sort(names.begin(), names.end());
    std::vector<SimRequest> log;
    for (const std::wstring& name : names) {
        const std::wstring line = RegReadText(key, name).value_or(L"");
        std::vector<std::wstring> f;
        for (std::size_t start = 0;;) {
            const std::size_t bar = line.find(L'|', start);
            f.push_back(line.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start));
            if (bar == std::wstring::npos) break;
            start = bar + 1;
        }
        if (f.size() != 7) continue;
        SimRequest r;
        r.path = f[0];
        r.set = f[1];
        r.id = static_cast<std::uint32_t>(std::stoul(f[2]));
        r.flags = static_cast<std::uint32_t>(std::stoul(f[3]));
        r.bytes = HexToBytes(f[4]);
        r.result = static_cast<std::uint32_t>(std::stoul(f[5]));
        r.time = static_cast<std::uint32_t>(std::stoul(f[6]));
        log.push_back(std::move(r));
    }
    return log;
}

void ClearSimRequestLog() {
    RegDeleteTree(SimDriverStateKey(), L"Log");
    RegDeleteValue(SimDriverStateKey(), L"LogNext");
}

void InjectSimFailure(std::uint32_t id, std::uint32_t code) {
    Bytes b(8, 0);
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<std::uint8_t>(id >> (8 * i));
        b[4 + i] = static_cast<std::uint8_t>(code >> (8 * i));
    }
    RegWrite(SimDriverStateKey(), L"FailNext", b);
}

std::optional<Bytes> SimLiveValue(const std::wstring& name) {
    const std::wstring key = SimDriverSettingsKey();
    return key.empty() ? std::nullopt : RegReadBytes(key, name);
}

void SetSimLiveValue(const std::wstring& name, const Bytes& value) {
    const std::wstring key = SimDriverSettingsKey();
    if (!key.empty()) RegWrite(key, name, value);
}

void SetSimAcceptedSpeakerConfigs(const std::optional<std::vector<std::uint8_t>>& codes) {
    if (codes)
        RegWrite(SimDriverStateKey(), L"AcceptedConfigs", Bytes(codes->begin(), codes->end()));
    else
        RegDeleteValue(SimDriverStateKey(), L"AcceptedConfigs");
}

bool SimMeteringOn() { return RegReadText(SimDriverStateKey(), L"Metering").value_or(L"0") == L"1"; }

void SetSimLevels(const std::array<std::int32_t, 10>& levels) {
    Bytes b;
    for (std::int32_t level : levels)
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(level) >> (8 * i)));
    RegWrite(SimDriverStateKey(), L"Levels", b);
}

void InstallSimDriver(Platform& p) {
    EnsureSimCardDevice();
    // The card's ASIO driver is an in-process class of this process; registering it needs COM,
    // which the program initialises on this thread again (a nested initialisation).
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(com)) InstallSimASIODriver();
    p.OpenDeviceInterface = OpenInterface;
    p.KsProperty = KsProperty;
    p.CloseDeviceInterface = CloseInterface;
}

}  // namespace kal::sim
