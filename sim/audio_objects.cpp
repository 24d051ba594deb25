// COM objects of the simulated card's audio side: the device enumerator and everything reached
// from it (collections, devices, property stores, the endpoints' topology with its connectors,
// parts and part lists, endpoint volume and the control interfaces of the parts), and the
// policy-config client. They implement the system's interfaces, so the product's audio code
// runs against them unchanged. The state behind them lives in the registry (sim/audio_card.h).
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/log.h"
#include "device/coreaudio_interfaces.h"
#include "sim/audio_card.h"
#include "sim/audio_format.h"
#include "sim/audio_objects.h"
#include "base/keyed.h"

namespace kal::sim {
namespace {

// The endpoint is no longer usable (AUDCLNT_E_DEVICE_INVALIDATED).
constexpr HRESULT kDeviceInvalidated = static_cast<HRESULT>(0x88890004);

// Nothing may escape a COM method.
template <typename F>
HRESULT Guard(F&& f) noexcept {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        LogCaught(L"simulated audio object method");
        return E_OUTOFMEMORY;
    } catch (...) {
        LogCaught(L"simulated audio object method");
        return E_FAIL;
    }
}

HRESULT CopyText(const std::wstring& text, LPWSTR* out) {
    if (!out) return E_POINTER;
    *out = static_cast<LPWSTR>(::CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (!*out) return E_OUTOFMEMORY;
    std::memcpy(*out, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return S_OK;
}

// Stores `value` through an out pointer.
template <typename T, typename V>
HRESULT Put(T* out, const V& value) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

// Clears an out pointer (when there is one) and fails with `hr`.
template <typename T>
HRESULT Refuse(T** out, HRESULT hr) {
    if (out) *out = nullptr;
    return hr;
}

const SimEndpointDesc& Endpoint(int e) { return SimAudioEndpoints()[static_cast<std::size_t>(e)]; }

std::atomic<long> gLiveObjects{0};
std::atomic<long> gReleasesWithoutCom{0};

// Whether the calling thread has initialised COM itself (resolved at run time: not on every system).
bool ComInitialisedHere() {
    using Fn = HRESULT(WINAPI*)(APTTYPE*, APTTYPEQUALIFIER*);
    static const Fn fn = [] {
        HMODULE ole = ::GetModuleHandleW(L"ole32.dll");
        return ole ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ole, "CoGetApartmentType"))) : nullptr;
    }();
    if (!fn) return true;
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    // A thread that never initialised COM counts as part of the implicit multithreaded apartment
    // while one exists in the process: that is not its own initialisation either.
    if (FAILED(fn(&type, &qualifier))) return false;
    return !(type == APTTYPE_MTA && qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA);
}

// Reference counting and QueryInterface for an object implementing the interfaces I...
// Counts the live objects, and final releases on a thread without COM (a client's fault).
template <typename First, typename... Rest>
class Object : public First, public Rest... {
public:
    Object() { ++gLiveObjects; }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() { --gLiveObjects; }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) {
            if (!ComInitialisedHere()) ++gReleasesWithoutCom;
            delete this;
        }
        return n;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = IsEqualIID(iid, IID_IUnknown) ? static_cast<IUnknown*>(static_cast<First*>(this)) : Cast(iid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }

protected:
    virtual void* Cast(REFIID iid) = 0;

private:
    std::atomic<ULONG> refs_{1};
};

// An object of one endpoint (its index e_) implementing the single interface I.
template <typename I, const IID& Iid>
class EndpointObject : public Object<I> {
public:
    explicit EndpointObject(int e) : e_(e) {}

protected:
    void* Cast(REFIID iid) override { return IsEqualIID(iid, Iid) ? static_cast<I*>(this) : nullptr; }

    const int e_;
};

// Hands a new object (reference count 1) to an out pointer as interface T.
template <typename T, typename O>
HRESULT Give(O* object, T** out) {
    if (!out) {
        object->Release();
        return E_POINTER;
    }
    *out = object;
    return S_OK;
}

HRESULT GiveAs(IUnknown* object, REFIID iid, void** out) {
    if (!out) {
        object->Release();
        return E_POINTER;
    }
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

// ---- control interfaces of the parts ----

class VolumeLevel final : public Object<IAudioVolumeLevel> {
public:
    explicit VolumeLevel(int e) : e_(e) {}
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT* count) override { return Put(count, Endpoint(e_).channels); }
    HRESULT STDMETHODCALLTYPE GetLevelRange(UINT ch, float* lo, float* hi, float* step) override {
        if (!lo || !hi || !step) return E_POINTER;
        if (ch >= Endpoint(e_).channels) return E_INVALIDARG;
        *lo = kSimMinDB, *hi = kSimMaxDB, *step = kSimStepDB;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLevel(UINT ch, float* db) override {
        return Guard([&] {
            if (!db) return E_POINTER;
            if (ch >= Endpoint(e_).channels) return E_INVALIDARG;
            *db = ScalarToDB(SimChannelLevel(e_, ch));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetLevel(UINT ch, float db, LPCGUID ctx) override {
        return Guard([&] {
            if (ch >= Endpoint(e_).channels || db < kSimMinDB || db > kSimMaxDB) return E_INVALIDARG;
            SetSimChannelLevel(e_, ch, DBToScalar(db));
            RaiseSimVolumeChanged(e_, ctx);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetLevelUniform(float db, LPCGUID ctx) override {
        for (UINT ch = 0; ch < Endpoint(e_).channels; ++ch)
            if (HRESULT hr = SetLevel(ch, db, ctx); FAILED(hr)) return hr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetLevelAllChannels(float* levels, ULONG count, LPCGUID ctx) override {
        if (!levels) return E_POINTER;
        if (count != Endpoint(e_).channels) return E_INVALIDARG;
        for (UINT ch = 0; ch < count; ++ch)
            if (HRESULT hr = SetLevel(ch, levels[ch], ctx); FAILED(hr)) return hr;
        return S_OK;
    }

protected:
    void* Cast(REFIID iid) override {
        if (IsEqualIID(iid, kIidAudioVolumeLevel) || IsEqualIID(iid, kIidPerChannelDbLevel))
            return static_cast<IAudioVolumeLevel*>(this);
        return nullptr;
    }

private:
    int e_;
};

class Mute final : public EndpointObject<IAudioMute, kIidAudioMute> {
public:
    using EndpointObject::EndpointObject;
    HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID ctx) override {
        return Guard([&] {
            SetSimMute(e_, mute != FALSE);
            RaiseSimVolumeChanged(e_, ctx);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override {
        return Guard([&] {
            if (!mute) return E_POINTER;
            *mute = SimMute(e_);
            return S_OK;
        });
    }
};

class AutoGain final : public Object<kal::IAudioAutoGainControl> {
public:
    AutoGain(int e, UINT id) : e_(e), id_(id) {}
    HRESULT STDMETHODCALLTYPE GetEnabled(BOOL* enabled) override {
        return Guard([&] {
            if (!enabled) return E_POINTER;
            *enabled = SimAgcEnabled(e_, id_);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetEnabled(BOOL enable, LPCGUID) override {
        return Guard([&] { SetSimAgcEnabled(e_, id_, enable != FALSE); return S_OK; });
    }

protected:
    void* Cast(REFIID iid) override {
        return IsEqualIID(iid, kIidAudioAutoGainControl) ? static_cast<kal::IAudioAutoGainControl*>(this) : nullptr;
    }

private:
    int e_;
    UINT id_;
};

// The card's shared input selector: its inputs are the parts that lead into it on each path.
bool IsSelectorInput(UINT localId) {
    for (const auto& e : SimAudioEndpoints())
        for (std::size_t k = 1; k < e.path.size(); ++k)
            if (e.path[k].kind == SimPartKind::Selector && e.path[k - 1].localId == localId) return true;
    return false;
}

class Selector final : public Object<IAudioInputSelector> {
public:
    HRESULT STDMETHODCALLTYPE GetSelection(UINT* id) override {
        return Guard([&] {
            if (!id) return E_POINTER;
            *id = SimSelectorSelection();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetSelection(UINT id, LPCGUID) override {
        return Guard([&] {
            if (!IsSelectorInput(id)) return E_INVALIDARG;
            SetSimSelectorSelection(id);
            return S_OK;
        });
    }

protected:
    void* Cast(REFIID iid) override {
        return IsEqualIID(iid, kIidAudioInputSelector) ? static_cast<IAudioInputSelector*>(this) : nullptr;
    }
};

// The converter's format support (on the bridge at the end of each path).
class FormatSupport final : public EndpointObject<IKsFormatSupport, kIidKsFormatSupport> {
public:
    using EndpointObject::EndpointObject;
    HRESULT STDMETHODCALLTYPE IsFormatSupported(PKSDATAFORMAT format, DWORD size, BOOL* supported) override {
        return Guard([&] { return SimIsFormatSupported(e_, format, size, supported); });
    }
    HRESULT STDMETHODCALLTYPE GetDevicePreferredFormat(PKSDATAFORMAT* format) override {
        return Refuse(format, E_NOTIMPL);
    }
};

// ---- topology ----

class PartsList final : public Object<IPartsList> {
public:
    explicit PartsList(std::vector<IPart*> parts) : parts_(std::move(parts)) {}
    ~PartsList() override {
        for (auto* p : parts_) p->Release();
    }
    HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override { return Put(count, static_cast<UINT>(parts_.size())); }
    HRESULT STDMETHODCALLTYPE GetPart(UINT i, IPart** part) override {
        if (!part) return E_POINTER;
        *part = nullptr;
        if (i >= parts_.size()) return E_INVALIDARG;
        parts_[i]->AddRef();
        *part = parts_[i];
        return S_OK;
    }

protected:
    void* Cast(REFIID iid) override { return IsEqualIID(iid, kIidPartsList) ? static_cast<IPartsList*>(this) : nullptr; }

private:
    std::vector<IPart*> parts_;
};

IPart* NewPart(int e, int k);

// A part of the adapter's topology on endpoint e's path (index k); connectors are parts too.
class Part final : public Object<IPart, IConnector> {
public:
    Part(int e, int k) : e_(e), k_(k) {}

    // IPart
    HRESULT STDMETHODCALLTYPE GetName(LPWSTR* name) override { return Guard([&] { return CopyText(Desc().name, name); }); }
    HRESULT STDMETHODCALLTYPE GetLocalId(UINT* id) override { return Put(id, Desc().localId); }
    HRESULT STDMETHODCALLTYPE GetGlobalId(LPWSTR* id) override {
        return Guard([&] { return CopyText(L"{2}.sim\\" + std::to_wstring(Desc().localId), id); });
    }
    HRESULT STDMETHODCALLTYPE GetPartType(PartType* type) override {
        return Put(type, Desc().kind == SimPartKind::Connector ? Connector : Subunit);
    }
    HRESULT STDMETHODCALLTYPE GetSubType(GUID* subtype) override { return Put(subtype, Desc().subtype); }
    HRESULT STDMETHODCALLTYPE GetControlInterfaceCount(UINT* count) override {
        return Put(count, Desc().kind == SimPartKind::Connector ? 0 : 1);
    }
    HRESULT STDMETHODCALLTYPE GetControlInterface(UINT, IControlInterface** out) override {
        return Refuse(out, E_NOTIMPL);
    }
    // The walk goes from the jack towards the converter: outgoing for capture, incoming for render.
    HRESULT STDMETHODCALLTYPE EnumPartsIncoming(IPartsList** list) override { return Neighbour(eRender, list); }
    HRESULT STDMETHODCALLTYPE EnumPartsOutgoing(IPartsList** list) override { return Neighbour(eCapture, list); }
    HRESULT STDMETHODCALLTYPE GetTopologyObjects(IDeviceTopology** out) override { return Refuse(out, E_NOTIMPL); }
    HRESULT STDMETHODCALLTYPE Activate(DWORD, REFIID iid, void** out) override {
        return Guard([&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = nullptr;
            const auto& d = Desc();
            IUnknown* control = nullptr;
            if (d.kind == SimPartKind::Volume && (IsEqualIID(iid, kIidAudioVolumeLevel) || IsEqualIID(iid, kIidPerChannelDbLevel)))
                control = static_cast<IAudioVolumeLevel*>(new VolumeLevel(e_));
            else if (d.kind == SimPartKind::Mute && IsEqualIID(iid, kIidAudioMute))
                control = static_cast<IAudioMute*>(new Mute(e_));
            else if (d.kind == SimPartKind::Agc && IsEqualIID(iid, kIidAudioAutoGainControl))
                control = static_cast<kal::IAudioAutoGainControl*>(new AutoGain(e_, d.localId));
            else if (d.kind == SimPartKind::Selector && IsEqualIID(iid, kIidAudioInputSelector))
                control = static_cast<IAudioInputSelector*>(new Selector);
            else if (d.kind == SimPartKind::Connector && k_ > 0 && IsEqualIID(iid, kIidKsFormatSupport))
                control = static_cast<IKsFormatSupport*>(new FormatSupport(e_));
            if (!control) return E_NOINTERFACE;
            return GiveAs(control, iid, out);
        });
    }
    HRESULT STDMETHODCALLTYPE RegisterControlChangeCallback(REFGUID, IControlChangeNotify*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeCallback(IControlChangeNotify*) override { return E_NOTIMPL; }

    // IConnector: the jack is connected to the endpoint; the bridge at the far end is a software
    // connector to the converter, where walks end.
    HRESULT STDMETHODCALLTYPE GetType(ConnectorType* type) override {
        return Put(type, k_ == 0 ? Physical_External : Software_IO);
    }
    HRESULT STDMETHODCALLTYPE GetDataFlow(DataFlow* flow) override {
        return Put(flow, (Endpoint(e_).flow == eCapture) == (k_ == 0) ? In : Out);
    }
    HRESULT STDMETHODCALLTYPE ConnectTo(IConnector*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsConnected(BOOL* connected) override { return Put(connected, k_ == 0); }
    HRESULT STDMETHODCALLTYPE GetConnectedTo(IConnector** out) override;
    HRESULT STDMETHODCALLTYPE GetConnectorIdConnectedTo(LPWSTR* id) override {
        if (k_ != 0) return E_NOTFOUND;
        return Guard([&] { return CopyText(Endpoint(e_).id + L"#connector0", id); });
    }
    HRESULT STDMETHODCALLTYPE GetDeviceIdConnectedTo(LPWSTR* id) override {
        if (k_ != 0) return E_NOTFOUND;
        return Guard([&] { return CopyText(Endpoint(e_).id, id); });
    }

protected:
    void* Cast(REFIID iid) override {
        if (IsEqualIID(iid, kIidPart)) return static_cast<IPart*>(this);
        if (IsEqualIID(iid, kIidConnector) && Desc().kind == SimPartKind::Connector) return static_cast<IConnector*>(this);
        return nullptr;
    }

private:
    const SimPartDesc& Desc() const { return Endpoint(e_).path[static_cast<std::size_t>(k_)]; }

    // Parts one step along the path in the walk's direction; none past the ends.
    HRESULT Neighbour(EDataFlow direction, IPartsList** list) {
        return Guard([&]() -> HRESULT {
            if (!list) return E_POINTER;
            *list = nullptr;
            const auto& path = Endpoint(e_).path;
            const int last = static_cast<int>(path.size()) - 1;
            // Against the flow, the shared selector leads back to every input that enters it.
            if (direction != Endpoint(e_).flow && Desc().kind == SimPartKind::Selector) {
                std::vector<IPart*> inputs;
                const auto& all = SimAudioEndpoints();
                for (std::size_t e = 0; e < all.size(); ++e)
                    for (std::size_t k = 1; k < all[e].path.size(); ++k)
                        if (all[e].path[k].kind == SimPartKind::Selector)
                            inputs.push_back(NewPart(static_cast<int>(e), static_cast<int>(k) - 1));
                return Give(static_cast<IPartsList*>(new PartsList(std::move(inputs))), list);
            }
            int next;
            if (direction == Endpoint(e_).flow) {
                next = k_ + 1;
                // A faulty graph: the step into the bridge leads back to the first part instead.
                if (next == last && SimTopologyLoops(e_)) next = 1;
            } else {
                next = k_ - 1;
            }
            if (next < 0 || next > last) return E_NOTFOUND;
            return Give(static_cast<IPartsList*>(new PartsList({NewPart(e_, next)})), list);
        });
    }

    int e_, k_;
};

IPart* NewPart(int e, int k) { return static_cast<IPart*>(new Part(e, k)); }

// The endpoint device's own connector, leading to the adapter's jack.
class EndpointConnector final : public Object<IConnector, IPart> {
public:
    explicit EndpointConnector(int e) : e_(e) {}

    HRESULT STDMETHODCALLTYPE GetType(ConnectorType* type) override { return Put(type, Software_Fixed); }
    HRESULT STDMETHODCALLTYPE GetDataFlow(DataFlow* flow) override {
        return Put(flow, Endpoint(e_).flow == eCapture ? Out : In);
    }
    HRESULT STDMETHODCALLTYPE ConnectTo(IConnector*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsConnected(BOOL* connected) override { return Put(connected, TRUE); }
    HRESULT STDMETHODCALLTYPE GetConnectedTo(IConnector** out) override {
        return Guard([&] { return Give(static_cast<IConnector*>(new Part(e_, 0)), out); });
    }
    HRESULT STDMETHODCALLTYPE GetConnectorIdConnectedTo(LPWSTR* id) override {
        return Guard([&] { return CopyText(L"{2}.sim\\" + std::to_wstring(Endpoint(e_).path[0].localId), id); });
    }
    HRESULT STDMETHODCALLTYPE GetDeviceIdConnectedTo(LPWSTR* id) override {
        return Guard([&] { return CopyText(SimEndpointFilterReference(Endpoint(e_)), id); });
    }

    HRESULT STDMETHODCALLTYPE GetName(LPWSTR* name) override { return Guard([&] { return CopyText(L"Endpoint", name); }); }
    HRESULT STDMETHODCALLTYPE GetLocalId(UINT* id) override { return Put(id, 0); }
    HRESULT STDMETHODCALLTYPE GetGlobalId(LPWSTR* id) override {
        return Guard([&] { return CopyText(Endpoint(e_).id + L"#connector0", id); });
    }
    HRESULT STDMETHODCALLTYPE GetPartType(PartType* type) override { return Put(type, Connector); }
    HRESULT STDMETHODCALLTYPE GetSubType(GUID* subtype) override { return Put(subtype, GUID{}); }
    HRESULT STDMETHODCALLTYPE GetControlInterfaceCount(UINT* count) override { return Put(count, 0); }
    HRESULT STDMETHODCALLTYPE GetControlInterface(UINT, IControlInterface** out) override {
        return Refuse(out, E_NOTIMPL);
    }
    HRESULT STDMETHODCALLTYPE EnumPartsIncoming(IPartsList** list) override {
        if (list) *list = nullptr;
        return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    HRESULT STDMETHODCALLTYPE EnumPartsOutgoing(IPartsList** list) override { return EnumPartsIncoming(list); }
    HRESULT STDMETHODCALLTYPE GetTopologyObjects(IDeviceTopology** out) override { return Refuse(out, E_NOTIMPL); }
    HRESULT STDMETHODCALLTYPE Activate(DWORD, REFIID, void** out) override { return Refuse(out, E_NOINTERFACE); }
    HRESULT STDMETHODCALLTYPE RegisterControlChangeCallback(REFGUID, IControlChangeNotify*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeCallback(IControlChangeNotify*) override { return E_NOTIMPL; }

protected:
    void* Cast(REFIID iid) override {
        if (IsEqualIID(iid, kIidConnector)) return static_cast<IConnector*>(this);
        if (IsEqualIID(iid, kIidPart)) return static_cast<IPart*>(this);
        return nullptr;
    }

private:
    int e_;
};

HRESULT STDMETHODCALLTYPE Part::GetConnectedTo(IConnector** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (k_ != 0) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    return Guard([&] { return Give(static_cast<IConnector*>(new EndpointConnector(e_)), out); });
}

class EndpointTopology final : public EndpointObject<IDeviceTopology, kIidDeviceTopology> {
public:
    using EndpointObject::EndpointObject;
    HRESULT STDMETHODCALLTYPE GetConnectorCount(UINT* count) override { return Put(count, 1); }
    HRESULT STDMETHODCALLTYPE GetConnector(UINT i, IConnector** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (i != 0) return E_INVALIDARG;
        return Guard([&] { return Give(static_cast<IConnector*>(new EndpointConnector(e_)), out); });
    }
    HRESULT STDMETHODCALLTYPE GetSubunitCount(UINT* count) override { return Put(count, 0); }
    HRESULT STDMETHODCALLTYPE GetSubunit(UINT, ISubUnit** out) override { return Refuse(out, E_INVALIDARG); }
    HRESULT STDMETHODCALLTYPE GetPartById(UINT id, IPart** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (id != 0) return E_INVALIDARG;
        return Guard([&] { return Give(static_cast<IPart*>(new EndpointConnector(e_)), out); });
    }
    HRESULT STDMETHODCALLTYPE GetDeviceId(LPWSTR* id) override { return Guard([&] { return CopyText(Endpoint(e_).id, id); }); }
    HRESULT STDMETHODCALLTYPE GetSignalPath(IPart*, IPart*, BOOL, IPartsList** out) override {
        return Refuse(out, E_NOTIMPL);
    }
};

// ---- endpoint volume ----

class EndpointVolume final : public EndpointObject<IAudioEndpointVolume, kIidAudioEndpointVolume> {
public:
    using EndpointObject::EndpointObject;
    // An endpoint that is not active can't report changes.
    HRESULT STDMETHODCALLTYPE RegisterControlChangeNotify(IAudioEndpointVolumeCallback* callback) override {
        if (!callback) return E_POINTER;
        return Guard([&] {
            if (SimEndpointState(e_) != DEVICE_STATE_ACTIVE) return kDeviceInvalidated;
            AddSimVolumeCallback(e_, callback);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* callback) override {
        if (!callback) return E_POINTER;
        return Guard([&] {
            RemoveSimVolumeCallback(e_, callback);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT* count) override { return Put(count, Channels()); }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(float db, LPCGUID ctx) override {
        if (db < kSimMinDB || db > kSimMaxDB) return E_INVALIDARG;
        return SetMasterVolumeLevelScalar(DBToScalar(db), ctx);
    }
    // The louder channel follows the master level; the others keep their ratio to it.
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float level, LPCGUID ctx) override {
        return Guard([&] {
            if (!(level >= 0.0f && level <= 1.0f)) return E_INVALIDARG;
            const float master = Master();
            for (UINT ch = 0; ch < Channels(); ++ch)
                SetSimChannelLevel(e_, ch, master > 0 ? SimChannelLevel(e_, ch) * level / master : level);
            RaiseSimVolumeChanged(e_, ctx);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(float* db) override {
        return Guard([&] {
            if (!db) return E_POINTER;
            *db = ScalarToDB(Master());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(float* level) override {
        return Guard([&] {
            if (!level) return E_POINTER;
            *level = Master();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT ch, float db, LPCGUID ctx) override {
        if (db < kSimMinDB || db > kSimMaxDB) return E_INVALIDARG;
        return SetChannelVolumeLevelScalar(ch, DBToScalar(db), ctx);
    }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT ch, float level, LPCGUID ctx) override {
        return Guard([&] {
            if (ch >= Channels() || !(level >= 0.0f && level <= 1.0f)) return E_INVALIDARG;
            SetSimChannelLevel(e_, ch, level);
            RaiseSimVolumeChanged(e_, ctx);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT ch, float* db) override {
        return Guard([&] {
            if (!db) return E_POINTER;
            if (ch >= Channels()) return E_INVALIDARG;
            *db = ScalarToDB(SimChannelLevel(e_, ch));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT ch, float* level) override {
        return Guard([&] {
            if (!level) return E_POINTER;
            if (ch >= Channels()) return E_INVALIDARG;
            *level = SimChannelLevel(e_, ch);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID ctx) override {
        return Guard([&] {
            SetSimMute(e_, mute != FALSE);
            RaiseSimVolumeChanged(e_, ctx);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override {
        return Guard([&] {
            if (!mute) return E_POINTER;
            *mute = SimMute(e_);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT* step, UINT* count) override {
        if (!step || !count) return E_POINTER;
        *count = static_cast<UINT>((kSimMaxDB - kSimMinDB) / kSimStepDB) + 1;
        *step = static_cast<UINT>(Master() * static_cast<float>(*count - 1) + 0.5f);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID ctx) override { return Step(+1, ctx); }
    HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID ctx) override { return Step(-1, ctx); }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD* mask) override {
        if (!mask) return E_POINTER;
        *mask = 7;  // volume, mute and meter in hardware
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVolumeRange(float* lo, float* hi, float* step) override {
        if (!lo || !hi || !step) return E_POINTER;
        *lo = kSimMinDB, *hi = kSimMaxDB, *step = kSimStepDB;
        return S_OK;
    }
private:
    UINT Channels() const { return Endpoint(e_).channels; }
    float Master() const {
        float m = 0;
        for (UINT ch = 0; ch < Channels(); ++ch) m = std::max(m, SimChannelLevel(e_, ch));
        return m;
    }
    HRESULT Step(int direction, LPCGUID ctx) {
        float db = 0;
        if (HRESULT hr = GetMasterVolumeLevel(&db); FAILED(hr)) return hr;
        db = std::min(kSimMaxDB, std::max(kSimMinDB, db + direction * kSimStepDB));
        return SetMasterVolumeLevel(db, ctx);
    }
};

// ---- devices ----

constexpr GUID kPropDeviceGuid = {0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}};
constexpr GUID kPropHardwareGuid = {0xB3F8FA53, 0x0004, 0x438E, {0x90, 0x03, 0x51, 0xA4, 0x6E, 0x13, 0x9B, 0xFC}};
constexpr GUID kPropFilterGuid = {0x233164C8, 0x1B2C, 0x4C7D, {0xBC, 0x68, 0xB6, 0x71, 0x68, 0x7A, 0x25, 0x67}};
constexpr GUID kPropEndpointGuid = {0x1DA5D803, 0xD492, 0x4EDD, {0x8C, 0x23, 0xE0, 0xC0, 0xFF, 0xEE, 0x7F, 0x0E}};

struct Property {
    PROPERTYKEY key;
    std::wstring text;  // VT_LPWSTR when number is unused
    bool isNumber;
    DWORD number;
};

std::vector<Property> PropertiesOf(int e) {
    const auto& d = Endpoint(e);
    DWORD formFactor = d.flow == eRender ? 1 : 4;  // speakers, microphone
    if (d.path[0].name.find(L"SPDIF") != std::wstring::npos) formFactor = 8;
    else if (d.flow == eCapture && d.key != L"mic" && d.key != L"other_mic") formFactor = 2;  // line level
    std::vector<Property> props = {
        {{kPropDeviceGuid, 2}, d.description, false, 0},
        {{kPropDeviceGuid, 14}, d.friendlyName, false, 0},
        {{kPropHardwareGuid, 2}, SimEndpointHardwareIdentity(d), false, 0},
        {{kPropFilterGuid, 1}, SimEndpointFilterReference(d), false, 0},
        {{kPropEndpointGuid, 0}, L"", true, formFactor},
    };
    if (d.flow == eRender) props.push_back({{kPropEndpointGuid, 3}, L"", true, d.channels == 2 ? 3u : 0x63Fu});
    return props;
}

class PropertyStore final : public EndpointObject<IPropertyStore, IID_IPropertyStore> {
public:
    using EndpointObject::EndpointObject;
    HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override {
        return Guard([&] {
            if (!count) return E_POINTER;
            *count = static_cast<DWORD>(PropertiesOf(e_).size()) + 1;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD i, PROPERTYKEY* key) override {
        return Guard([&] {
            if (!key) return E_POINTER;
            const auto props = PropertiesOf(e_);
            if (i == props.size()) {
                *key = PROPERTYKEY{kPropDeviceFormatGuid, 0};
                return S_OK;
            }
            if (i >= props.size()) return E_INVALIDARG;
            *key = props[i].key;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override {
        return Guard([&] {
            if (!value) return E_POINTER;
            ::PropVariantInit(value);
            // The shared-mode format, as the policy-config client keeps it.
            if (IsEqualGUID(key.fmtid, kPropDeviceFormatGuid) && key.pid == 0) {
                const WAVEFORMATEXTENSIBLE f = SimDeviceFormat(e_);
                value->blob.pBlobData = static_cast<BYTE*>(::CoTaskMemAlloc(sizeof f));
                if (!value->blob.pBlobData) return E_OUTOFMEMORY;
                std::memcpy(value->blob.pBlobData, &f, sizeof f);
                value->blob.cbSize = sizeof f;
                value->vt = VT_BLOB;
                return S_OK;
            }
            for (const auto& p : PropertiesOf(e_)) {
                if (!IsEqualGUID(p.key.fmtid, key.fmtid) || p.key.pid != key.pid) continue;
                if (p.isNumber) {
                    value->vt = VT_UI4;
                    value->ulVal = p.number;
                    return S_OK;
                }
                if (HRESULT hr = CopyText(p.text, &value->pwszVal); FAILED(hr)) return hr;
                value->vt = VT_LPWSTR;
                return S_OK;
            }
            return S_OK;  // an absent property reads as VT_EMPTY
        });
    }
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY, REFPROPVARIANT) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE Commit() override { return STG_E_ACCESSDENIED; }
};

class Device final : public Object<IMMDevice, IMMEndpoint> {
public:
    explicit Device(int e) : e_(e) {}
    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD, PROPVARIANT*, void** out) override {
        return Guard([&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (IsEqualIID(iid, kIidAudioEndpointVolume))
                return GiveAs(static_cast<IAudioEndpointVolume*>(new EndpointVolume(e_)), iid, out);
            if (IsEqualIID(iid, kIidDeviceTopology))
                return GiveAs(static_cast<IDeviceTopology*>(new EndpointTopology(e_)), iid, out);
            return E_NOINTERFACE;
        });
    }
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD access, IPropertyStore** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (access != STGM_READ) return E_ACCESSDENIED;
        return Guard([&] { return Give(static_cast<IPropertyStore*>(new PropertyStore(e_)), out); });
    }
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override { return Guard([&] { return CopyText(Endpoint(e_).id, id); }); }
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override {
        return Guard([&] {
            if (!state) return E_POINTER;
            *state = SimEndpointState(e_);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetDataFlow(EDataFlow* flow) override { return Put(flow, Endpoint(e_).flow); }

protected:
    void* Cast(REFIID iid) override {
        if (IsEqualIID(iid, __uuidof(IMMDevice))) return static_cast<IMMDevice*>(this);
        if (IsEqualIID(iid, __uuidof(IMMEndpoint))) return static_cast<IMMEndpoint*>(this);
        return nullptr;
    }

private:
    int e_;
};

class Collection final : public Object<IMMDeviceCollection> {
public:
    explicit Collection(std::vector<int> endpoints) : endpoints_(std::move(endpoints)) {}
    HRESULT STDMETHODCALLTYPE GetCount(UINT* count) override {
        return Put(count, static_cast<UINT>(endpoints_.size()));
    }
    HRESULT STDMETHODCALLTYPE Item(UINT i, IMMDevice** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (i >= endpoints_.size()) return E_INVALIDARG;
        return Guard([&] { return Give(static_cast<IMMDevice*>(new Device(endpoints_[i])), out); });
    }

protected:
    void* Cast(REFIID iid) override {
        return IsEqualIID(iid, __uuidof(IMMDeviceCollection)) ? static_cast<IMMDeviceCollection*>(this) : nullptr;
    }

private:
    std::vector<int> endpoints_;
};

class Enumerator final : public Object<IMMDeviceEnumerator> {
public:
    // Like the enumerator of the system this runs on, the published states are the only ones
    // accepted in the mask.
    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow flow, DWORD mask, IMMDeviceCollection** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (flow < eRender || flow > eAll || (mask & ~DEVICE_STATEMASK_ALL)) return E_INVALIDARG;
        return Guard([&] {
            std::vector<int> found;
            const auto& list = SimAudioEndpoints();
            for (int e = 0; e < static_cast<int>(list.size()); ++e)
                if ((flow == eAll || list[static_cast<std::size_t>(e)].flow == flow) && (SimEndpointState(e) & mask))
                    found.push_back(e);
            return Give(static_cast<IMMDeviceCollection*>(new Collection(std::move(found))), out);
        });
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if ((flow != eRender && flow != eCapture) || role < eConsole || role >= ERole_enum_count) return E_INVALIDARG;
        return Guard([&] {
            const int e = FindSimEndpoint(SimDefaultEndpoint(flow, role));
            if (e < 0 || SimEndpointState(e) != DEVICE_STATE_ACTIVE) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
            return Give(static_cast<IMMDevice*>(new Device(e)), out);
        });
    }
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR id, IMMDevice** out) override {
        if (!out || !id) return E_POINTER;
        *out = nullptr;
        return Guard([&] {
            const int e = FindSimEndpoint(id);
            if (e < 0 || !EqualsNoCase(id, Endpoint(e).id)) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
            return Give(static_cast<IMMDevice*>(new Device(e)), out);
        });
    }
    HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        if (!client) return E_POINTER;
        return Guard([&] { AddSimNotificationClient(client); return S_OK; });
    }
    HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        if (!client) return E_POINTER;
        return Guard([&] { RemoveSimNotificationClient(client); return S_OK; });
    }

protected:
    void* Cast(REFIID iid) override {
        return IsEqualIID(iid, kIidMMDeviceEnumerator) ? static_cast<IMMDeviceEnumerator*>(this) : nullptr;
    }
};

// ---- policy-config client ----

class PolicyConfig final : public Object<kal::IPolicyConfig> {
public:
    HRESULT STDMETHODCALLTYPE Unused3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDeviceFormat(LPCWSTR id, INT, WAVEFORMATEX** format) override {
        return Guard([&] { return SimPolicyGetDeviceFormat(id, format); });
    }
    HRESULT STDMETHODCALLTYPE SetDeviceFormat(LPCWSTR id, WAVEFORMATEX* endpointFormat, WAVEFORMATEX* mixFormat) override {
        return Guard([&] { return SimPolicySetDeviceFormat(id, endpointFormat, mixFormat); });
    }
    HRESULT STDMETHODCALLTYPE Unused6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unused11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDefaultEndpoint(LPCWSTR id, ERole role) override {
        if (!id) return E_POINTER;
        if (role < eConsole || role >= ERole_enum_count) return E_INVALIDARG;
        return Guard([&] {
            const int e = FindSimEndpoint(id);
            if (e < 0 || !EqualsNoCase(id, Endpoint(e).id)) return E_INVALIDARG;
            if (SimEndpointState(e) != DEVICE_STATE_ACTIVE) return E_INVALIDARG;
            const auto& d = Endpoint(e);
            if (SimDefaultEndpoint(d.flow, role) != d.id) SetSimDefaultEndpoint(d.flow, role, d.id);
            return S_OK;
        });
    }

protected:
    void* Cast(REFIID iid) override {
        return IsEqualIID(iid, kIidPolicyConfig) ? static_cast<kal::IPolicyConfig*>(this) : nullptr;
    }
};

}  // namespace

long SimAudioLiveObjects() { return gLiveObjects; }
long SimAudioReleasesWithoutCom() { return gReleasesWithoutCom; }

HRESULT CreateSimDeviceEnumerator(IMMDeviceEnumerator** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guard([&] { return Give(static_cast<IMMDeviceEnumerator*>(new Enumerator), out); });
}

HRESULT CreateSimPolicyConfig(IUnknown** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guard([&] { return Give(static_cast<IUnknown*>(static_cast<kal::IPolicyConfig*>(new PolicyConfig)), out); });
}

}  // namespace kal::sim
