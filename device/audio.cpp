#include "device/audio.h"

#include <cwctype>
#include <stdexcept>

#include "base/log.h"
#include "device/platform.h"
#include "device/portable/audio_levels.h"
#include "startup/globals.h"
#include "base/keyed.h"

namespace kal {

std::unique_ptr<CAudio> gAudio;

CAudio& CreateAudioObject() {
    gAudio = std::make_unique<CAudio>();
    return *gAudio;
}

void ReleaseAudioObject() { gAudio.reset(); }

const GUID& AudioEventContext() {
    static const GUID context = [] {
        GUID made{};
        if (SUCCEEDED(::CoCreateGuid(&made))) return made;
        // No generator: the process id and its start tick tell the processes apart well enough.
        made.Data1 = ::GetCurrentProcessId();
        const DWORD tick = ::GetTickCount();
        made.Data2 = static_cast<USHORT>(tick >> 16);
        made.Data3 = static_cast<USHORT>(tick);
        made.Data4[0] = 0x8A;
        return made;
    }();
    return context;
}

namespace {

// A faulty topology (a part list leading back to an earlier part) must not keep a walk going:
// no real signal path comes near this many steps.
constexpr int kMaxPathSteps = 256;


std::wstring PartName(IPart* part) {
    CoTaskText name;
    if (!part || FAILED(part->GetName(name.put()))) return L"";
    return name.str();
}

std::wstring PartSubtypeText(IPart* part) {
    GUID subtype{};
    if (!part || FAILED(part->GetSubType(&subtype))) return L"";
    return StringFromGUID(subtype);
}

// The first part of the list that follows `part` along the flow: outgoing for recording,
// incoming for playback.
ComPtr<IPart> NextPart(IPart* part, std::uint32_t flow) {
    ComPtr<IPartsList> list;
    const HRESULT hr = flow == 1 ? part->EnumPartsOutgoing(list.put()) : part->EnumPartsIncoming(list.put());
    ComPtr<IPart> next;
    if (FAILED(hr) || !list || FAILED(list->GetPart(0, next.put()))) return {};
    return next;
}

// The part at the far end of a connector, or none when the walk ends at this connector.
ComPtr<IPart> AcrossConnector(IConnector* connector) {
    ConnectorType type = Unknown_Connector;
    connector->GetType(&type);
    if (type == Software_IO) return {};
    BOOL connected = FALSE;
    if (FAILED(connector->IsConnected(&connected)) || !connected) return {};
    ComPtr<IConnector> other;
    if (FAILED(connector->GetConnectedTo(other.put())) || !other) return {};
    return other.As<IPart>(kIidPart);
}

std::int16_t AsBool16(BOOL b) { return b ? -1 : 0; }
BOOL FromBool16(std::int16_t v) { return v < 0 ? -v : v; }

}  // namespace

std::wstring AudioValueText(const AudioValue& value) {
    if (const auto* s = std::get_if<std::wstring>(&value)) return *s;
    if (const auto* n = std::get_if<std::int32_t>(&value)) return std::to_wstring(*n);
    return L"";
}

GUID GUIDFromString(const std::wstring& text) {
    GUID guid{};
    if (FAILED(::IIDFromString(text.c_str(), &guid))) guid = GUID{};
    return guid;
}

std::wstring StringFromGUID(const GUID& guid) {
    wchar_t buffer[40] = {};
    ::StringFromGUID2(guid, buffer, 40);
    return ToUpper(buffer);
}

CAudio::CAudio() {
    comInitialised_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (gIsXP) return;
    if (!gPlatform.CreateDeviceEnumerator) return;
    if (FAILED(gPlatform.CreateDeviceEnumerator(enumerator_.put()))) enumerator_.reset();
    if (!enumerator_ || !gPlatform.CreatePolicyConfig) return;
    ComPtr<IUnknown> policy;
    if (SUCCEEDED(gPlatform.CreatePolicyConfig(policy.put())) && policy)
        policyConfig_ = policy.As<IPolicyConfig>(kIidPolicyConfig);
}

CAudio::~CAudio() {
    // Every COM reference goes before COM itself.
    UnregisterVolumeNotificationCallback();
    CustomControls.Clear();
    policyConfig_.reset();
    enumerator_.reset();
    if (mixer_ && gPlatform.mixerClose) gPlatform.mixerClose(mixer_);
    mixer_ = nullptr;
    if (comInitialised_) ::CoUninitialize();
}

Currency CAudio::DBFromLinear(std::int16_t percent, std::int16_t factor, std::int16_t minDB, std::int16_t maxDB) const {
    return kal::DBFromLinear(percent, factor, minDB, maxDB);
}

Currency CAudio::LinearFromDB(Currency dB, std::int16_t factor, std::int16_t minDB, std::int16_t maxDB) const {
    return kal::LinearFromDB(dB, factor, minDB, maxDB);
}

Currency CAudio::DeviceDBFromLinear(const std::wstring& line, std::uint32_t flow, std::int16_t percent) {
    if (percent < 0 || percent > 100) return 0;
    float minDB = 0, maxDB = 0, step = 0;
    GetDeviceVolumeRange(line, minDB, maxDB, step);
    return DeviceDBFromRange(flow, percent, minDB, maxDB);
}

void CAudio::GetDeviceVolumeRange(const std::wstring& line, float& minDB, float& maxDB, float& stepDB) {
    auto volume = GetEndpointVolume(line);
    if (!volume) return;
    float lo = 0, hi = 0, step = 0;
    if (FAILED(volume->GetVolumeRange(&lo, &hi, &step))) return;
    minDB = lo, maxDB = hi, stepDB = step;
}

void CAudio::ChannelsBalance(Currency& left, Currency& right, Currency& volume, Currency& balance, bool toLR) const {
    kal::ChannelsBalance(left, right, volume, balance, toLR);
}

std::uint32_t CAudio::DeviceSubtypeToComponentType(const std::wstring& subtype, std::uint32_t flow) const {
    return kal::DeviceSubtypeToComponentType(subtype, flow);
}

ComPtr<IMMDevice> CAudio::GetDevice(const std::wstring& line) const {
    ComPtr<IMMDevice> device;
    if (!enumerator_ || FAILED(enumerator_->GetDevice(line.c_str(), device.put()))) return {};
    return device;
}

ComPtr<IAudioEndpointVolume> CAudio::GetEndpointVolume(const std::wstring& line) const {
    auto device = GetDevice(line);
    ComPtr<IAudioEndpointVolume> volume;
    if (!device || FAILED(device->Activate(kIidAudioEndpointVolume, kClsCtxAll, nullptr, volume.put_void()))) return {};
    return volume;
}

namespace {

ComPtr<IConnector> FirstConnector(IMMDevice* device) {
    ComPtr<IDeviceTopology> topology;
    if (!device || FAILED(device->Activate(kIidDeviceTopology, kClsCtxAll, nullptr, topology.put_void())) || !topology)
        return {};
    ComPtr<IConnector> connector;
    if (FAILED(topology->GetConnector(0, connector.put()))) return {};
    return connector;
}

}  // namespace

ComPtr<IPart> CAudio::GetAdapterConnectorPart(const std::wstring& line) const {
    auto connector = FirstConnector(GetDevice(line).get());
    if (!connector) return {};
    ComPtr<IConnector> other;
    if (FAILED(connector->GetConnectedTo(other.put())) || !other) return {};
    return other.As<IPart>(kIidPart);
}

// The signal path from the endpoint: across each connector to the part at its far end, then from
// part to part (outgoing for recording, incoming for playback), following only the first part of
// each list. With activate it collects what the parts activate for the interface guidText (with
// firstWithPrevious only the first, preceded by the part before it); without, the parts whose node
// type text is guidText.
std::vector<ComPtr<IUnknown>> CAudio::ActivatePartInterface(const std::wstring& line, std::uint32_t flow,
                                                            const std::wstring& guidText, bool activate,
                                                            bool firstWithPrevious) const {
    std::vector<ComPtr<IUnknown>> found;
    auto connector = FirstConnector(GetDevice(line).get());
    if (!connector) return found;
    const GUID iid = activate ? GUIDFromString(guidText) : GUID{};

    int steps = 0;
    while (connector && ++steps <= kMaxPathSteps) {
        ComPtr<IPart> prev = AcrossConnector(connector.get());
        connector.reset();
        while (prev && ++steps <= kMaxPathSteps) {
            ComPtr<IPart> next = NextPart(prev.get(), flow);
            if (!next) break;
            PartType type = Subunit;
            if (FAILED(next->GetPartType(&type))) type = Subunit;
            if (activate) {
                ComPtr<IUnknown> object;
                if (SUCCEEDED(next->Activate(kClsCtxAll, iid, object.put_void())) && object) {
                    if (firstWithPrevious) {
                        found.push_back(prev.As<IUnknown>(IID_IUnknown));
                        found.push_back(object);
                        return found;
                    }
                    found.push_back(object);
                }
            } else if (PartSubtypeText(next.get()) == guidText) {
                found.push_back(next.As<IUnknown>(IID_IUnknown));
            }
            if (type == Connector) {
                connector = next.As<IConnector>(kIidConnector);
                break;
            }
            prev = next;
        }
    }
    return found;
}

std::wstring CAudio::ExploreLine(const std::wstring& line, std::uint32_t flow) {
    std::wstring text, indent;
    auto connector = FirstConnector(GetDevice(line).get());
    if (!connector) return text;
    auto describe = [&](IPart* part, const wchar_t* partType) {
        const std::wstring subtype = PartSubtypeText(part);
        if (subtype == kNullGuidText) return;
        text += indent + PartName(part) + L"\r\n";
        text += indent + L"Node Type: " + subtype + L"\r\n";
        text += indent + L"Part Type: " + partType + L"\r\n";
    };
    int steps = 0;
    while (connector && ++steps <= kMaxPathSteps) {
        indent += L'\t';
        ComPtr<IPart> prev = AcrossConnector(connector.get());
        connector.reset();
        if (!prev) break;
        describe(prev.get(), L"Connector");
        while (++steps <= kMaxPathSteps) {
            indent += L'\t';
            ComPtr<IPart> next = NextPart(prev.get(), flow);
            if (!next) break;
            PartType type = Subunit;
            if (FAILED(next->GetPartType(&type))) type = Subunit;
            if (type == Connector) {
                connector = next.As<IConnector>(kIidConnector);
                break;
            }
            describe(next.get(), L"Subpart");
            prev = next;
        }
    }
    return text;
}

std::vector<std::wstring> CAudio::LinesFromHID(const std::wstring& hid, std::uint32_t flow) {
    CustomControls = KeyedCollection<AudioControlList>();
    if (gIsXP) return LinesFromHIDXP(hid, flow);
    std::vector<std::wstring> lines;
    // Every hardware id contains the empty text: an empty id names no card.
    if (!enumerator_ || hid.empty()) return lines;
    const EDataFlow dataFlow = flow == 1 ? eCapture : eRender;
    ComPtr<IMMDeviceCollection> devices;
    HRESULT hr = enumerator_->EnumAudioEndpoints(dataFlow, kEndpointStateMask, devices.put());
    // Some enumerators refuse the unpublished bit of the mask: ask for the published states.
    if (hr == E_INVALIDARG) hr = enumerator_->EnumAudioEndpoints(dataFlow, kEndpointStatesPublished, devices.put());
    if (FAILED(hr) || !devices) return lines;
    UINT count = 0;
    if (FAILED(devices->GetCount(&count))) return lines;
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        if (FAILED(devices->Item(i, device.put())) || !device) break;
        CoTaskText id;
        if (FAILED(device->GetId(id.put()))) continue;
        const std::wstring lineId = id.str();
        if (!ContainsNoCase(AudioValueText(GetDeviceProperty(lineId, kPropHardwareIdentity)), hid)) continue;
        lines.push_back(lineId);
        if (flow == 1 && !CustomControls.Contains(lineId)) CustomControls.Add(lineId, LineCustomControls(lineId));
    }
    return lines;
}

AudioControlList CAudio::LineCustomControls(const std::wstring& line) {
    if (gIsXP) return LineCustomControlsXP(line);
    AudioControlList controls;
    for (auto& part : ActivatePartInterface(line, 1, kNodeTypeAgcText, false, false))
        controls.push_back(AudioControlHandle{part.As<IPart>(kIidPart), 0});
    return controls;
}

std::wstring CAudio::ControlName(const std::wstring& line, std::int32_t index) {
    const auto& list = CustomControls.At(line);
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) throw std::out_of_range("control index");
    if (gIsXP) return ControlNameXP(list[index - 1].mixerControlId);
    return PartName(list[index - 1].part.get());
}

void CAudio::ControlValue(const std::wstring& line, std::int32_t index, std::int16_t& value, bool isSet) {
    const auto& list = CustomControls.At(line);
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) throw std::out_of_range("control index");
    SwitchControlOperation(list[index - 1], 1, value, isSet);
}

void CAudio::SwitchControlOperation(const AudioControlHandle& handle, std::int32_t kind, std::int16_t& value, bool isSet) {
    if (gIsXP) return SwitchControlOperationXP(handle.mixerControlId, value, isSet);
    if (!enumerator_ || kind != 1 || !handle.part) return;
    ComPtr<IAudioAutoGainControl> agc;
    if (FAILED(handle.part->Activate(kClsCtxAll, kIidAudioAutoGainControl, agc.put_void())) || !agc) return;
    if (isSet) {
        agc->SetEnabled(FromBool16(value), &AudioEventContext());
    } else {
        BOOL enabled = FALSE;
        if (SUCCEEDED(agc->GetEnabled(&enabled))) value = AsBool16(enabled);
    }
}

void CAudio::LineMuteOperation(const std::wstring& line, std::uint32_t flow, std::int16_t& value, bool isSet) {
    if (gIsXP) return LineMuteOperationXP(flow, value, isSet);
    auto volume = GetEndpointVolume(line);
    if (!volume) return;
    if (isSet) {
        volume->SetMute(FromBool16(value), &AudioEventContext());
    } else {
        BOOL mute = FALSE;
        if (SUCCEEDED(volume->GetMute(&mute))) value = AsBool16(mute);
    }
}

std::wstring CAudio::DeviceSubtype(const std::wstring& line) {
    auto part = GetAdapterConnectorPart(line);
    return part ? PartSubtypeText(part.get()) : L"";
}

void CAudio::SelectInputLine(const std::wstring& line) {
    if (gIsXP) {
        AudioValue wanted = line;
        RecordingMuxOperation(wanted, true);
        return;
    }
    if (!enumerator_ || !policyConfig_) return;
    policyConfig_->SetDefaultEndpoint(line.c_str(), eConsole);
    auto pair = ActivatePartInterface(line, 1, StringFromGUID(kIidAudioInputSelector), true, true);
    if (pair.size() < 2) return;
    auto selector = pair.back().As<IAudioInputSelector>(kIidAudioInputSelector);
    auto part = pair[pair.size() - 2].As<IPart>(kIidPart);
    if (!selector || !part) return;
    UINT id = 0;
    if (SUCCEEDED(part->GetLocalId(&id))) selector->SetSelection(id, &AudioEventContext());
}

AudioValue CAudio::SelectedInputLineID() {
    if (gIsXP) {
        AudioValue line;
        RecordingMuxOperation(line, false);
        return line;
    }
    return DefaultDeviceID(1);
}

AudioValue CAudio::GetDeviceProperty(const std::wstring& line, const std::wstring& key) {
    auto device = GetDevice(line);
    ComPtr<IPropertyStore> store;
    if (!device || FAILED(device->OpenPropertyStore(STGM_READ, store.put())) || !store) return {};
    PROPVARIANT value;
    ::PropVariantInit(&value);
    AudioValue result;
    if (SUCCEEDED(store->GetValue(StringToPKEY(key), &value))) {
        if (value.vt == VT_LPWSTR) result = std::wstring(value.pwszVal ? value.pwszVal : L"");
        else result = static_cast<std::int32_t>(value.lVal);
    }
    ::PropVariantClear(&value);
    return result;
}

std::uint32_t CAudio::DeviceState(const std::wstring& line) {
    auto device = GetDevice(line);
    DWORD state = 0;
    if (!device || FAILED(device->GetState(&state))) return 0;
    return state;
}

std::wstring CAudio::LineDescription(const std::wstring& line, std::uint32_t flow) {
    if (gIsXP) return LineDescriptionXP(line, flow);
    return AudioValueText(GetDeviceProperty(line, kPropDeviceDesc));
}

std::wstring CAudio::DefaultDeviceID(std::uint32_t flow) {
    if (!enumerator_) return L"";
    ComPtr<IMMDevice> device;
    if (FAILED(enumerator_->GetDefaultAudioEndpoint(flow == 1 ? eCapture : eRender, eConsole, device.put())) || !device)
        return L"";
    CoTaskText id;
    if (FAILED(device->GetId(id.put()))) return L"";
    return id.str();
}

PROPERTYKEY CAudio::StringToPKEY(const std::wstring& text) {
    PROPERTYKEY key{};
    const auto comma = text.find(L',');
    if (comma == std::wstring::npos) return key;
    key.fmtid = GUIDFromString(text.substr(0, comma));
    std::wstring digits = L"0" + text.substr(comma + 1);
    const auto next = digits.find(L',');
    if (next != std::wstring::npos) digits.resize(next);
    try {
        key.pid = static_cast<DWORD>(std::stoul(digits));
    } catch (const std::exception&) {
        LogCaught(L"CAudio.StringToPKEY");
        key.pid = 0;
    }
    return key;
}

std::wstring CAudio::PKEYToString(const PROPERTYKEY& key) {
    return StringFromGUID(key.fmtid) + L"," + std::to_wstring(key.pid);
}

float CAudio::GetLineMasterVolume(const std::wstring& line, std::uint32_t flow) {
    float level = 0;
    std::int32_t channel = 0;
    LineChannelVolumeOperation(line, channel, level, flow, false, false);
    Currency left = ToFixed4(level);
    channel = 1;
    LineChannelVolumeOperation(line, channel, level, flow, false, false);
    Currency right = ToFixed4(level);
    Currency volume = 0, balance = 0;
    kal::ChannelsBalance(left, right, volume, balance, false);
    return static_cast<float>(Fixed4ToDouble(volume));
}

void CAudio::LineChannelVolumeOperation(const std::wstring& line, std::int32_t& channel, float& level,
                                        std::uint32_t flow, bool isSet, bool countOnly) {
    if (line.empty()) return;
    if (gIsXP) return LineChannelVolumeOperationXP(line, channel, level, flow, isSet, countOnly);
    auto endpoint = GetEndpointVolume(line);
    if (!endpoint) return;
    auto levels = ActivatePartInterface(line, flow, StringFromGUID(kIidAudioVolumeLevel), true, false);
    if (levels.empty()) return;
    auto partLevel = levels.front().As<IAudioVolumeLevel>(kIidAudioVolumeLevel);
    if (!partLevel) return;
    UINT count = 0;
    if (FAILED(partLevel->GetChannelCount(&count))) return;
    if (countOnly) {
        channel = static_cast<std::int32_t>(count);
    } else if (isSet) {
        endpoint->SetChannelVolumeLevelScalar(static_cast<UINT>(channel), level, &AudioEventContext());
    } else {
        float read = 0;
        if (SUCCEEDED(endpoint->GetChannelVolumeLevelScalar(static_cast<UINT>(channel), &read))) level = read;
    }
}

void CAudio::RegisterEndpointNotificationCallback(IMMNotificationClient* client) {
    if (enumerator_ && client) enumerator_->RegisterEndpointNotificationCallback(client);
}

void CAudio::UnregisterEndpointNotificationCallback(IMMNotificationClient* client) {
    if (enumerator_ && client) enumerator_->UnregisterEndpointNotificationCallback(client);
}

void CAudio::RegisterVolumeNotificationCallback(const std::wstring& line, IAudioEndpointVolumeCallback* callback) {
    UnregisterVolumeNotificationCallback();
    if (!callback || line.empty()) return;
    ComPtr<IAudioEndpointVolume> volume = GetEndpointVolume(line);
    if (!volume || FAILED(volume->RegisterControlChangeNotify(callback))) return;
    volumeCallback_ = ComPtr<IAudioEndpointVolumeCallback>(callback);
    watchedVolume_ = std::move(volume);
}

void CAudio::UnregisterVolumeNotificationCallback() {
    if (watchedVolume_ && volumeCallback_) watchedVolume_->UnregisterControlChangeNotify(volumeCallback_.get());
    watchedVolume_.reset();
    volumeCallback_.reset();
}

}  // namespace kal
