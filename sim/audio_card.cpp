#include "sim/audio_card.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "sim/driver.h"
#include "sim/state.h"
#include "base/keyed.h"
#include "base/registry.h"

namespace kal::sim {
namespace {

constexpr GUID G(unsigned long a, unsigned short b, unsigned short c, unsigned long long d) {
    return GUID{a, b, c,
                {static_cast<unsigned char>(d >> 56), static_cast<unsigned char>(d >> 48),
                 static_cast<unsigned char>(d >> 40), static_cast<unsigned char>(d >> 32),
                 static_cast<unsigned char>(d >> 24), static_cast<unsigned char>(d >> 16),
                 static_cast<unsigned char>(d >> 8), static_cast<unsigned char>(d)}};
}

// Node types of the parts.
constexpr GUID kSpeaker = G(0xDFF21CE1, 0xF70F, 0x11D0, 0xB91700A0C9223196);
constexpr GUID kSpdif = G(0xDFF21FE5, 0xF70F, 0x11D0, 0xB91700A0C9223196);
constexpr GUID kMicrophone = G(0xDFF21BE1, 0xF70F, 0x11D0, 0xB91700A0C9223196);
constexpr GUID kLineConnector = G(0xDFF21FE3, 0xF70F, 0x11D0, 0xB91700A0C9223196);
constexpr GUID kCdPlayer = G(0xDFF220E3, 0xF70F, 0x11D0, 0xB91700A0C9223196);
constexpr GUID kAux = G(0xAF24C5CC, 0xA32D, 0x479F, 0x9FFBBFD00E135BA9);
constexpr GUID kWave = G(0x209A9FAC, 0x0A88, 0x4EC9, 0xAEF484C01BD5477F);
constexpr GUID kMix = G(0x3EC8502B, 0x5D89, 0x4D2D, 0xA78AFF45CA18A3B7);
constexpr GUID kAlt = G(0xF35C2296, 0x20FF, 0x46E8, 0xBDAF56B5DDFC9CFB);
constexpr GUID kSpdifIn = G(0x5AEA5794, 0xAA8A, 0x4AAF, 0xAB8B4854C97B5D90);
constexpr GUID kVolume = G(0x3A5ACC00, 0xC557, 0x11D0, 0x8A2B00A0C9255AC1);
constexpr GUID kMute = G(0x02B223C0, 0xC557, 0x11D0, 0x8A2B00A0C9255AC1);
constexpr GUID kAgc = G(0xE88C9BA0, 0xC557, 0x11D0, 0x8A2B00A0C9255AC1);
constexpr GUID kMux = G(0x2CEAF780, 0xC556, 0x11D0, 0x8A2B00A0C9255AC1);
// Bridge pins carry no node type.
constexpr GUID kNone = GUID{};

constexpr UINT kSelectorId = 0x0001FF00;
constexpr wchar_t kMonitorName[] = L"Monitor";
constexpr wchar_t kCardInstanceSuffix[] = L"\\4&2F6A1C0B&0&00E4";

std::wstring EndpointId(EDataFlow flow, int n) {
    wchar_t text[80];
    ::swprintf(text, 80, L"{0.0.%d.00000000}.{5B7C1E%02X-3A4D-4E21-9F60-7D2C81A4%04X}", flow == eCapture ? 1 : 0, n,
               0x1000 + n);
    return text;
}

struct Builder {
    std::vector<SimEndpointDesc> list;

    SimEndpointDesc& Add(const wchar_t* key, EDataFlow flow, bool onCard, const wchar_t* description,
                         const wchar_t* filter, UINT channels, const wchar_t* jackName, GUID jackType) {
        const int n = static_cast<int>(list.size());
        SimEndpointDesc e{key, EndpointId(flow, n), flow, onCard, description,
                          std::wstring(description) + (onCard ? L" (Simulated Card)" : L" (Other Device)"),
                          filter, channels, {}};
        e.path.push_back({SimPartKind::Connector, jackName, Id(n, 0), jackType});
        list.push_back(std::move(e));
        return list.back();
    }
    static UINT Id(int endpoint, int part) {
        return 0x00010000u + static_cast<UINT>(endpoint) * 16u + static_cast<UINT>(part);
    }
    void Part(SimPartKind kind, const std::wstring& name, GUID type) {
        auto& e = list.back();
        const UINT id = kind == SimPartKind::Selector ? kSelectorId
                                                      : Id(static_cast<int>(list.size()) - 1, static_cast<int>(e.path.size()));
        e.path.push_back({kind, name, id, type});
    }
    void Bridge(const wchar_t* name) { Part(SimPartKind::Connector, name, kNone); }

    void Input(const wchar_t* key, const wchar_t* description, UINT channels, const wchar_t* jack, GUID jackType,
               bool boost) {
        Add(key, eCapture, true, description, L"cp_topo", channels, jack, jackType);
        Part(SimPartKind::Volume, std::wstring(jack) + L" Volume", kVolume);
        Part(SimPartKind::Mute, std::wstring(jack) + L" Mute", kMute);
        if (boost) Part(SimPartKind::Agc, L"Mic Boost", kAgc);
        Part(SimPartKind::Agc, kMonitorName, kAgc);
        Part(SimPartKind::Selector, L"Input Select", kMux);
        Bridge(L"Capture");
    }
};

std::vector<SimEndpointDesc> BuildEndpoints() {
    Builder b;
    // Render. A speakers endpoint on the wave filter comes first: card-line discovery skips it.
    b.Add(L"wave", eRender, true, L"Speakers", L"cp_wave", 2, L"Wave Out", kSpeaker);
    b.Part(SimPartKind::Volume, L"Wave Volume", kVolume);
    b.Bridge(L"Wave");
    b.Add(L"other_speakers", eRender, false, L"Speakers", L"topology", 2, L"Speakers", kSpeaker);
    b.Part(SimPartKind::Volume, L"Master Volume", kVolume);
    b.Bridge(L"Playback");
    b.Add(L"speakers", eRender, true, L"Speakers", L"cp_topo", 2, L"Speakers", kSpeaker);
    b.Part(SimPartKind::Mute, L"Master Mute", kMute);
    b.Part(SimPartKind::Volume, L"Master Volume", kVolume);
    b.Bridge(L"Playback");
    // No volume on the digital output.
    b.Add(L"spdif", eRender, true, L"SPDIF Interface", L"cp_topo", 2, L"SPDIF Out", kSpdif);
    b.Part(SimPartKind::Mute, L"SPDIF Mute", kMute);
    b.Bridge(L"Digital");

    // Capture: another device's microphone, then the card's inputs in slot order.
    b.Add(L"other_mic", eCapture, false, L"Microphone", L"topology", 1, L"Microphone", kMicrophone);
    b.Part(SimPartKind::Volume, L"Microphone Volume", kVolume);
    b.Bridge(L"Capture");
    b.Input(L"mic", L"Microphone", 1, L"Mic", kMicrophone, true);
    b.Input(L"line", L"Line In", 2, L"Line In", kLineConnector, false);
    b.Input(L"aux", L"Aux", 2, L"Aux", kAux, false);
    b.Input(L"wave_in", L"Wave", 2, L"Wave", kWave, false);
    b.Input(L"mix", L"Stereo Mix", 2, L"Stereo Mix", kMix, false);
    b.Input(L"cd", L"CD Audio", 2, L"CD In", kCdPlayer, false);
    b.Input(L"alt", L"Alt In", 2, L"Alt", kAlt, false);
    b.Input(L"spdif_in", L"SPDIF In", 2, L"SPDIF In", kSpdifIn, false);
    return b.list;
}

std::wstring EndpointKey(int endpoint) {
    return RegJoin(SimAudioStateKey(), SimAudioEndpoints()[static_cast<std::size_t>(endpoint)].key);
}

std::wstring Hex(UINT v) {
    wchar_t text[16];
    ::swprintf(text, 16, L"%08X", v);
    return text;
}

std::wstring CardInstanceId() {
    // The card's registration (the driver side of the simulation) names the instance; without it
    // the same form is built here.
    auto registered = RegReadText(RegJoin(kSimRoot, L"Driver"), L"InstanceId");
    if (registered && !registered->empty()) return *registered;
    return L"PCI\\VEN_13F6&DEV_8788&SUBSYS_" + SimModel() + L"&REV_00" + kCardInstanceSuffix;
}

bool ReadFlag(const std::wstring& key, const std::wstring& name, bool def) {
    auto b = RegReadBytes(key, name);
    return b && !b->empty() ? (*b)[0] != 0 : def;
}

std::wstring RoleName(EDataFlow flow, ERole role) {
    return std::wstring(L"Default") + (flow == eCapture ? L"Capture" : L"Render") + std::to_wstring(static_cast<int>(role));
}

}  // namespace

const std::vector<SimEndpointDesc>& SimAudioEndpoints() {
    static const std::vector<SimEndpointDesc> list = BuildEndpoints();
    return list;
}

int FindSimEndpoint(const std::wstring& idOrKey) {
    const auto& list = SimAudioEndpoints();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (EqualsNoCase(list[i].id, idOrKey) || list[i].key == idOrKey) return static_cast<int>(i);
    return -1;
}

std::wstring SimEndpointHardwareIdentity(const SimEndpointDesc& e) {
    if (e.onCard) return L"{1}." + CardInstanceId();
    if (e.flow == eRender) return L"{1}.HDAUDIO\\FUNC_01&VEN_10EC&DEV_0887&SUBSYS_10438445&REV_1003\\4&1D3E9A2&0&0001";
    return L"{1}.USB\\VID_046D&PID_0825&MI_02\\7&2C4F1B3&0&0002";
}

std::wstring SimEndpointFilterReference(const SimEndpointDesc& e) {
    std::wstring instance = SimEndpointHardwareIdentity(e).substr(4);
    for (auto& c : instance)
        if (c == L'\\') c = L'#';
    return L"\\\\?\\" + instance + L"#{6994AD04-93EF-11D0-A3CC-00A0C9223196}\\" + e.filter;
}

UINT SimSelectorLocalId() { return kSelectorId; }

const std::vector<SimMediaCategory>& SimMediaCategories() {
    static const std::vector<SimMediaCategory> list = {
        {L"{AF24C5CC-A32D-479F-9FFB-BFD00E135BA9}", L"Aux"},
        {L"{209A9FAC-0A88-4EC9-AEF4-84C01BD5477F}", L"Wave"},
        {L"{3EC8502B-5D89-4D2D-A78A-FF45CA18A3B7}", L"Stereo Mix"},
        {L"{F35C2296-20FF-46E8-BDAF-56B5DDFC9CFB}", L"Alt In"},
        {L"{5AEA5794-AA8A-4AAF-AB8B-4854C97B5D90}", L"SPDIF In"},
        {L"{E23E291E-1B5B-4657-B046-0190383ABCA1}", kMonitorName},
    };
    return list;
}

void WriteSimMediaCategories() {
    const std::wstring root = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaCategories";
    for (const auto& c : SimMediaCategories()) {
        const std::wstring key = RegJoin(root, c.guid);
        if (RegReadText(key, L"Name").value_or(L"") != c.name) RegWrite(key, L"Name", std::wstring(c.name));
    }
}

std::wstring SimAudioStateKey() { return RegJoin(kSimRoot, L"Audio"); }

void ResetSimAudioState() {
    RegDeleteTree(kSimRoot, L"Audio");
    WriteSimMasterVolume();
}

float SimChannelLevel(int endpoint, UINT channel) {
    const auto& e = SimAudioEndpoints()[static_cast<std::size_t>(endpoint)];
    auto b = RegReadBytes(EndpointKey(endpoint), L"Level" + std::to_wstring(channel));
    if (b && b->size() == 4) {
        float v;
        std::memcpy(&v, b->data(), 4);
        return v;
    }
    return e.flow == eRender ? 0.8f : 0.5f;
}

void SetSimChannelLevel(int endpoint, UINT channel, float level) {
    Bytes b(4);
    std::memcpy(b.data(), &level, 4);
    RegWrite(EndpointKey(endpoint), L"Level" + std::to_wstring(channel), b);
    if (endpoint == FindSimEndpoint(L"speakers") && channel < 2) WriteSimMasterVolume();
}

void WriteSimMasterVolume() {
    // A removed card's driver keeps nothing.
    const std::wstring settings = SimDriverSettingsKey();
    if (settings.empty() || !RegKeyExists(settings)) return;
    const int speakers = FindSimEndpoint(L"speakers");
    const wchar_t* const names[] = {L"MasterVolL", L"MasterVolR"};
    for (UINT ch = 0; ch < 2; ++ch) {
        const double attenuation = -ScalarToDB(SimChannelLevel(speakers, ch));
        const auto fixed = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(attenuation * 65536.0)));
        Bytes b;
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(fixed >> (8 * i)));
        RegWrite(settings, names[ch], b);
    }
}

bool SimMute(int endpoint) { return ReadFlag(EndpointKey(endpoint), L"Mute", false); }
void SetSimMute(int endpoint, bool mute) { RegWrite(EndpointKey(endpoint), L"Mute", Bytes{static_cast<std::uint8_t>(mute)}); }

bool SimAgcEnabled(int endpoint, UINT localId) { return ReadFlag(EndpointKey(endpoint), L"Agc" + Hex(localId), false); }
void SetSimAgcEnabled(int endpoint, UINT localId, bool enabled) {
    RegWrite(EndpointKey(endpoint), L"Agc" + Hex(localId), Bytes{static_cast<std::uint8_t>(enabled)});
}

UINT SimSelectorSelection() {
    auto b = RegReadBytes(SimAudioStateKey(), L"Selector");
    if (b && b->size() == 4) return BytesToUInt32(*b);
    // The microphone's path enters the selector at start.
    const auto& mic = SimAudioEndpoints()[static_cast<std::size_t>(FindSimEndpoint(L"mic"))];
    for (std::size_t k = 1; k < mic.path.size(); ++k)
        if (mic.path[k].kind == SimPartKind::Selector) return mic.path[k - 1].localId;
    return 0;
}

void SetSimSelectorSelection(UINT localId) {
    Bytes b(4);
    PutUInt32(b, 0, localId);
    RegWrite(SimAudioStateKey(), L"Selector", b);
}

std::wstring SimSelectedInputKey() {
    const UINT selection = SimSelectorSelection();
    for (const auto& e : SimAudioEndpoints()) {
        for (std::size_t k = 1; k < e.path.size(); ++k)
            if (e.path[k].kind == SimPartKind::Selector && e.path[k - 1].localId == selection) return e.key;
    }
    return L"";
}

DWORD SimEndpointState(int endpoint) {
    // A card taken out of the system (the driver side's removal) leaves its endpoints not present.
    if (SimAudioEndpoints()[static_cast<std::size_t>(endpoint)].onCard &&
        RegReadText(RegJoin(kSimRoot, L"Driver"), L"Removed").value_or(L"") == L"1")
        return DEVICE_STATE_NOTPRESENT;
    auto b = RegReadBytes(EndpointKey(endpoint), L"State");
    return b && b->size() == 4 ? BytesToUInt32(*b) : DEVICE_STATE_ACTIVE;
}

void SetSimEndpointState(int endpoint, DWORD state) {
    Bytes b(4);
    PutUInt32(b, 0, state);
    RegWrite(EndpointKey(endpoint), L"State", b);
    if (state != DEVICE_STATE_ACTIVE) DropSimVolumeCallbacks(endpoint);
    RaiseSimDeviceStateChanged(SimAudioEndpoints()[static_cast<std::size_t>(endpoint)].id, state);
}

std::wstring SimDefaultEndpoint(EDataFlow flow, ERole role) {
    auto v = RegReadText(SimAudioStateKey(), RoleName(flow, role));
    if (v) return *v;
    return SimAudioEndpoints()[static_cast<std::size_t>(FindSimEndpoint(flow == eCapture ? L"mic" : L"speakers"))].id;
}

void SetSimDefaultEndpoint(EDataFlow flow, ERole role, const std::wstring& id) {
    RegWrite(SimAudioStateKey(), RoleName(flow, role), id);
    RaiseSimDefaultDeviceChanged(flow, role, id);
}

void SetSimTopologyLoop(const std::wstring& key) {
    if (key.empty()) RegDeleteValue(SimAudioStateKey(), L"LoopingPath");
    else RegWrite(SimAudioStateKey(), L"LoopingPath", key);
}

bool SimTopologyLoops(int endpoint) {
    auto v = RegReadText(SimAudioStateKey(), L"LoopingPath");
    return v && *v == SimAudioEndpoints()[static_cast<std::size_t>(endpoint)].key;
}

}  // namespace kal::sim
