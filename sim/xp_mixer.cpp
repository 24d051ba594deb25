#include "sim/xp_mixer.h"

#include <mmddk.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "base/log.h"
#include "sim/audio_card.h"
#include "sim/driver.h"
#include "sim/state.h"
#include "base/hextext.h"
#include "base/registry.h"

namespace kal::sim {
namespace {

struct Control {
    DWORD id = 0;
    DWORD type = 0;
    DWORD flags = 0;  // MIXERCONTROL_CONTROLF_*
    DWORD items = 0;  // cMultipleItems of a multiple-item control
    std::wstring shortName, name;
    LONG minimum = 0, maximum = 0;
    LONG initial = 0;  // every channel's value; for a list, the selected item
};

struct Line {
    DWORD destination = 0, source = 0;
    bool isSource = false;
    DWORD id = 0;
    DWORD type = 0;
    DWORD channels = 0;
    std::wstring shortName, name;
    DWORD targetType = MIXERLINE_TARGETTYPE_UNDEFINED;
    std::vector<Control> controls;
};

struct Mixer {
    std::wstring product;
    WORD mid = 0, pid = 0;
    std::vector<Line> destinations;
    std::vector<std::vector<Line>> sources;  // per destination
};

constexpr DWORD kUnitsMask = 0x00FF0000;
constexpr DWORD kClassMask = 0xF0000000;
constexpr DWORD kUnitsBoolean = MIXERCONTROL_CT_UNITS_BOOLEAN;
constexpr DWORD kClassList = MIXERCONTROL_CT_CLASS_LIST;

class Builder {
public:
    Mixer mixer;

    Line& Destination(DWORD type, DWORD channels, const wchar_t* shortName, const wchar_t* name, DWORD target) {
        Line l;
        l.destination = static_cast<DWORD>(mixer.destinations.size());
        l.id = 0xFFFF0000u | l.destination;
        l.type = type, l.channels = channels, l.shortName = shortName, l.name = name, l.targetType = target;
        mixer.destinations.push_back(l);
        mixer.sources.emplace_back();
        return mixer.destinations.back();
    }
    Line& Source(DWORD type, DWORD channels, const wchar_t* shortName, const wchar_t* name) {
        const DWORD dest = static_cast<DWORD>(mixer.destinations.size()) - 1;
        auto& list = mixer.sources[dest];
        Line l;
        l.isSource = true;
        l.destination = dest;
        l.source = static_cast<DWORD>(list.size());
        l.id = (l.source << 16) | dest;
        l.type = type, l.channels = channels, l.shortName = shortName, l.name = name;
        if (type == MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT && mixer.destinations[dest].type == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS)
            l.targetType = MIXERLINE_TARGETTYPE_WAVEOUT;
        list.push_back(l);
        return list.back();
    }
    void Volume(Line& l, LONG minimum, LONG maximum, LONG initial) {
        Add(l, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 0, L"Volume", l.name + L" Volume", minimum, maximum, initial);
    }
    void Switch(Line& l, DWORD type, const std::wstring& name, LONG initial) {
        Add(l, type, MIXERCONTROL_CONTROLF_UNIFORM, 0, name.substr(0, 15), name, 0, 1, initial);
    }
    void List(Line& l, DWORD type, const std::wstring& name, DWORD items, LONG selected) {
        Add(l, type, MIXERCONTROL_CONTROLF_UNIFORM | MIXERCONTROL_CONTROLF_MULTIPLE, items, name.substr(0, 15), name, 0,
            static_cast<LONG>(items) - 1, selected);
    }

private:
    void Add(Line& l, DWORD type, DWORD flags, DWORD items, const std::wstring& shortName, const std::wstring& name,
             LONG minimum, LONG maximum, LONG initial) {
        Control c;
        c.id = ++nextControl_;
        c.type = type, c.flags = flags, c.items = items, c.shortName = shortName, c.name = name;
        c.minimum = minimum, c.maximum = maximum, c.initial = initial;
        l.controls.push_back(c);
    }
    DWORD nextControl_ = 0;
};

Mixer BuildForeign() {
    Builder b;
    b.mixer.product = L"Realtek HD Audio output";
    b.mixer.mid = 0x00EC, b.mixer.pid = 0x0104;
    auto& speakers = b.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, 2, L"Volume Control", L"Volume Control",
                                   MIXERLINE_TARGETTYPE_WAVEOUT);
    b.Volume(speakers, 0, 65535, 0x4000);
    b.Switch(speakers, MIXERCONTROL_CONTROLTYPE_MUTE, L"Mute", 1);
    auto& recording = b.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, 2, L"Recording Contr", L"Recording Control",
                                    MIXERLINE_TARGETTYPE_WAVEIN);
    b.List(recording, MIXERCONTROL_CONTROLTYPE_MUX, L"Recording Source", 1, 0);
    auto& mic = b.Source(MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 1, L"Microphone", L"Microphone");
    b.Volume(mic, 0, 65535, 0x4000);
    return b.mixer;
}

Mixer BuildCard() {
    Builder b;
    b.mixer.product = L"Xonar Audio Device (Simulated)";
    b.mixer.mid = 0x0001, b.mixer.pid = 0x8788;
    auto& speakers = b.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, 2, L"Master Volume", L"Master Volume",
                                   MIXERLINE_TARGETTYPE_WAVEOUT);
    b.Volume(speakers, 0, 65535, 0xC000);
    b.Switch(speakers, MIXERCONTROL_CONTROLTYPE_MUTE, L"Master Mute", 0);
    auto& wave = b.Source(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 2, L"Wave", L"Wave");
    b.Volume(wave, 0, 65535, 0xFFFF);
    b.Switch(wave, MIXERCONTROL_CONTROLTYPE_MUTE, L"Wave Mute", 0);

    struct Input {
        DWORD type;
        DWORD channels;
        const wchar_t* shortName;
        const wchar_t* name;
    };
    // The card's inputs in slot order; the description (short name) of those the category names
    // identify is that name.
    const Input inputs[] = {
        {MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, 1, L"Mic", L"Microphone"},
        {MIXERLINE_COMPONENTTYPE_SRC_LINE, 2, L"Line In", L"Line In"},
        {MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, 2, L"Aux", L"Aux"},
        {MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 2, L"Wave", L"Wave"},
        {MIXERLINE_COMPONENTTYPE_SRC_ANALOG, 2, L"Stereo Mix", L"Stereo Mix"},
        {MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, 2, L"CD Audio", L"CD Audio"},
        {MIXERLINE_COMPONENTTYPE_SRC_ANALOG, 2, L"Alt In", L"Alt In"},
        {MIXERLINE_COMPONENTTYPE_SRC_DIGITAL, 2, L"SPDIF In", L"SPDIF In"},
    };
    auto& recording = b.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, 2, L"Recording", L"Recording Control",
                                    MIXERLINE_TARGETTYPE_WAVEIN);
    // The selector lists the sources last first; the microphone is chosen at start.
    b.List(recording, MIXERCONTROL_CONTROLTYPE_MUX, L"Recording Source", std::size(inputs), std::size(inputs) - 1);
    b.Switch(recording, MIXERCONTROL_CONTROLTYPE_MUTE, L"Recording Mute", 0);
    for (const auto& in : inputs) {
        auto& l = b.Source(in.type, in.channels, in.shortName, in.name);
        // The microphone's volume does not start at 0.
        if (in.type == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE) b.Volume(l, 0x1000, 0xF000, 0x8000);
        else b.Volume(l, 0, 65535, 0x8000);
        b.Switch(l, MIXERCONTROL_CONTROLTYPE_MUTE, std::wstring(in.shortName) + L" Mute", 0);
        if (in.type == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE) {
            b.Switch(l, MIXERCONTROL_CONTROLTYPE_ONOFF, L"Mic Boost", 0);
            b.List(l, MIXERCONTROL_CONTROLTYPE_SINGLESELECT, L"Mic Source", 2, 0);
        }
        b.Switch(l, MIXERCONTROL_CONTROLTYPE_ONOFF, L"Monitor", 0);
    }
    return b.mixer;
}

const Mixer& MixerOf(UINT device) {
    static const Mixer foreign = BuildForeign();
    static const Mixer card = BuildCard();
    return device == kSimCardMixer ? card : foreign;
}

bool CardPresent() { return RegReadText(RegJoin(kSimRoot, L"Driver"), L"Removed").value_or(L"") != L"1"; }

UINT DeviceCount() { return CardPresent() ? 2 : 1; }

std::wstring InterfaceName(UINT device) {
    if (device == kSimCardMixer) {
        // The card's wave filter, as its registration names it.
        std::wstring path = SimAudioPath(L"wave");
        if (!path.empty()) return path;
        std::wstring instance = L"PCI\\VEN_13F6&DEV_8788&SUBSYS_" + SimModel() + L"&REV_00\\4&2F6A1C0B&0&00E4";
        for (auto& c : instance)
            if (c == L'\\') c = L'#';
        return L"\\\\?\\" + instance + L"#{6994AD04-93EF-11D0-A3CC-00A0C9223196}\\wave";
    }
    return L"\\\\?\\hdaudio#func_01&ven_10ec&dev_0887&subsys_10438445&rev_1003#4&1d3e9a2&0&0001#"
           L"{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\rearlineoutwave";
}

// ---- lookup ----

const Line* FindLine(const Mixer& m, DWORD id) {
    for (const auto& d : m.destinations)
        if (d.id == id) return &d;
    for (const auto& list : m.sources)
        for (const auto& s : list)
            if (s.id == id) return &s;
    return nullptr;
}

const Control* FindControl(const Mixer& m, DWORD id, const Line** owner = nullptr) {
    auto search = [&](const Line& l) -> const Control* {
        for (const auto& c : l.controls)
            if (c.id == id) {
                if (owner) *owner = &l;
                return &c;
            }
        return nullptr;
    };
    for (const auto& d : m.destinations)
        if (const Control* c = search(d)) return c;
    for (const auto& list : m.sources)
        for (const auto& s : list)
            if (const Control* c = search(s)) return c;
    return nullptr;
}

DWORD StoredChannels(const Control& c, const Line& l) { return (c.flags & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : l.channels; }
DWORD ItemsOf(const Control& c) { return (c.flags & MIXERCONTROL_CONTROLF_MULTIPLE) ? c.items : 1; }
bool IsList(const Control& c) { return (c.type & kClassMask) == kClassList; }

// ---- state ----

std::wstring StateKey(UINT device) { return RegJoin(SimAudioStateKey(), L"XPMixer\\" + std::to_wstring(device)); }

std::wstring ValueName(DWORD controlId) {
    wchar_t text[24];
    ::swprintf(text, 24, L"Control%08X", static_cast<unsigned>(controlId));
    return text;
}

// channels x items values, channel by channel.
std::vector<LONG> Load(UINT device, const Control& c, const Line& l) {
    const std::size_t count = static_cast<std::size_t>(StoredChannels(c, l)) * ItemsOf(c);
    auto b = RegReadBytes(StateKey(device), ValueName(c.id));
    std::vector<LONG> v(count, 0);
    if (b && b->size() == count * sizeof(LONG)) {
        std::memcpy(v.data(), b->data(), b->size());
        return v;
    }
    for (std::size_t ch = 0; ch < StoredChannels(c, l); ++ch) {
        if (IsList(c)) v[ch * ItemsOf(c) + static_cast<std::size_t>(c.initial)] = 1;
        else v[ch] = c.initial;
    }
    return v;
}

void Store(UINT device, const Control& c, const std::vector<LONG>& v) {
    Bytes b(v.size() * sizeof(LONG));
    std::memcpy(b.data(), v.data(), b.size());
    RegWrite(StateKey(device), ValueName(c.id), b);
}

// ---- handles ----

struct Handle {
    UINT device;
    HWND window;  // null: no messages
};

std::mutex gLock;
std::map<HMIXER, Handle> gHandles;
UINT_PTR gNextHandle = 0x4D00;

// The device named by a mixer object under `flags`; false with the error in `error`.
bool Resolve(HMIXEROBJ object, DWORD flags, UINT& device, MMRESULT& error) {
    const DWORD kind = flags & (MIXER_OBJECTF_HANDLE | 0x70000000);
    std::lock_guard lock(gLock);
    if (kind == MIXER_OBJECTF_HMIXER) {
        const auto it = gHandles.find(reinterpret_cast<HMIXER>(object));
        if (it == gHandles.end()) {
            error = MMSYSERR_INVALHANDLE;
            return false;
        }
        device = it->second.device;
        return true;
    }
    if (kind != MIXER_OBJECTF_MIXER) {
        error = MMSYSERR_NOTSUPPORTED;  // wave and MIDI objects are not simulated
        return false;
    }
    // A mixer id; an open handle is taken too, as winmm does.
    const auto it = gHandles.find(reinterpret_cast<HMIXER>(object));
    if (it != gHandles.end()) {
        device = it->second.device;
        return true;
    }
    const UINT_PTR id = reinterpret_cast<UINT_PTR>(object);
    if (id >= DeviceCount()) {
        error = MMSYSERR_BADDEVICEID;
        return false;
    }
    device = static_cast<UINT>(id);
    return true;
}

void Post(UINT device, UINT message, DWORD id) {
    std::vector<std::pair<HMIXER, HWND>> targets;
    {
        std::lock_guard lock(gLock);
        for (const auto& [h, info] : gHandles)
            if (info.device == device && info.window) targets.emplace_back(h, info.window);
    }
    for (const auto& [h, window] : targets)
        ::PostMessageW(window, message, reinterpret_cast<WPARAM>(h), static_cast<LPARAM>(id));
}

DWORD SelectedItem(const std::vector<LONG>& v, DWORD items) {
    for (DWORD i = 0; i < items && i < v.size(); ++i)
        if (v[i]) return i;
    return items;
}

// Checks and stores new values (channels x items as given by the caller); posts the messages.
MMRESULT Apply(UINT device, const Control& c, const Line& l, DWORD channels, const LONG* given) {
    const DWORD items = ItemsOf(c);
    const DWORD stored = StoredChannels(c, l);
    const bool boolean = (c.type & kUnitsMask) == kUnitsBoolean;
    for (DWORD ch = 0; ch < channels; ++ch) {
        DWORD selected = 0;
        for (DWORD i = 0; i < items; ++i) {
            const LONG v = given[ch * items + i];
            if (boolean ? (v != 0 && v != 1) : (v < c.minimum || v > c.maximum)) return MMSYSERR_INVALPARAM;
            selected += v != 0;
        }
        // A single-select list (the MUX among them) has exactly one item chosen.
        if (IsList(c) && !(c.type & MIXERCONTROL_CT_SC_LIST_MULTIPLE) && selected != 1) return MMSYSERR_INVALPARAM;
    }
    const std::vector<LONG> before = Load(device, c, l);
    std::vector<LONG> after(before.size());
    for (DWORD ch = 0; ch < stored; ++ch) {
        // One channel given sets them all; a uniform control takes the first channel's values.
        const DWORD from = channels == 1 ? 0 : std::min(ch, channels - 1);
        for (DWORD i = 0; i < items; ++i) after[ch * items + i] = given[from * items + i];
    }
    if (after == before) return MMSYSERR_NOERROR;
    Store(device, c, after);
    Post(device, MM_MIXM_CONTROL_CHANGE, c.id);
    if (c.type == MIXERCONTROL_CONTROLTYPE_MUX) {
        // The selected source becomes the active line: both lines change state.
        const auto& sources = MixerOf(device).sources[l.destination];
        const DWORD was = SelectedItem(before, items), now = SelectedItem(after, items);
        for (DWORD item : {was, now}) {
            const DWORD index = static_cast<DWORD>(sources.size()) - 1 - item;  // items list the sources in reverse
            if (item < items && index < sources.size()) Post(device, MM_MIXM_LINE_CHANGE, sources[index].id);
        }
    }
    return MMSYSERR_NOERROR;
}

bool SourceActive(UINT device, const Line& l) {
    const Mixer& m = MixerOf(device);
    const Line& dest = m.destinations[l.destination];
    if (dest.type != MIXERLINE_COMPONENTTYPE_DST_WAVEIN) return true;
    for (const auto& c : dest.controls) {
        if (c.type != MIXERCONTROL_CONTROLTYPE_MUX) continue;
        const DWORD item = SelectedItem(Load(device, c, dest), c.items);
        return item < c.items && m.sources[l.destination].size() - 1 - item == l.source;
    }
    return true;
}

void FillLine(UINT device, const Line& l, MIXERLINEW& out) {
    const Mixer& m = MixerOf(device);
    const DWORD size = out.cbStruct;
    std::memset(&out, 0, sizeof out);
    out.cbStruct = size;
    out.dwDestination = l.destination;
    out.dwSource = l.isSource ? l.source : 0;
    out.dwLineID = l.id;
    if (l.isSource) out.fdwLine = MIXERLINE_LINEF_SOURCE | (SourceActive(device, l) ? MIXERLINE_LINEF_ACTIVE : 0);
    else out.fdwLine = MIXERLINE_LINEF_ACTIVE;
    out.dwComponentType = l.type;
    out.cChannels = l.channels;
    out.cConnections = l.isSource ? 0 : static_cast<DWORD>(m.sources[l.destination].size());
    out.cControls = static_cast<DWORD>(l.controls.size());
    l.shortName.copy(out.szShortName, MIXER_SHORT_NAME_CHARS - 1);
    l.name.copy(out.szName, MIXER_LONG_NAME_CHARS - 1);
    out.Target.dwType = l.targetType;
    out.Target.dwDeviceID = device;
    out.Target.wMid = m.mid;
    out.Target.wPid = m.pid;
    out.Target.vDriverVersion = 0x0501;
    m.product.copy(out.Target.szPname, MAXPNAMELEN - 1);
}

void FillControl(const Control& c, MIXERCONTROLW& out) {
    std::memset(&out, 0, sizeof out);
    out.cbStruct = sizeof out;
    out.dwControlID = c.id;
    out.dwControlType = c.type;
    out.fdwControl = c.flags;
    out.cMultipleItems = (c.flags & MIXERCONTROL_CONTROLF_MULTIPLE) ? c.items : 0;
    c.shortName.copy(out.szShortName, MIXER_SHORT_NAME_CHARS - 1);
    c.name.copy(out.szName, MIXER_LONG_NAME_CHARS - 1);
    out.Bounds.lMinimum = c.minimum;
    out.Bounds.lMaximum = c.maximum;
    out.Metrics.cSteps = (c.type & kUnitsMask) == kUnitsBoolean ? 0 : 192;
}

// ---- the platform functions ----

UINT SimGetNumDevs() { return DeviceCount(); }

MMRESULT SimOpen(LPHMIXER out, UINT id, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    if (!out) return MMSYSERR_INVALPARAM;
    *out = nullptr;
    const DWORD callbackType = flags & CALLBACK_TYPEMASK;
    if (callbackType != CALLBACK_NULL && callbackType != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
    if (flags & ~(CALLBACK_TYPEMASK | MIXER_OBJECTF_HANDLE | 0x70000000)) return MMSYSERR_INVALFLAG;
    const auto window = reinterpret_cast<HWND>(callback);
    if (callbackType == CALLBACK_WINDOW && window && !::IsWindow(window)) return MMSYSERR_INVALPARAM;
    UINT device = 0;
    MMRESULT error = MMSYSERR_NOERROR;
    if (!Resolve(reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(id)), flags & (MIXER_OBJECTF_HANDLE | 0x70000000), device,
                 error))
        return error;
    std::lock_guard lock(gLock);
    const auto h = reinterpret_cast<HMIXER>(gNextHandle);
    gNextHandle += 4;
    gHandles[h] = Handle{device, callbackType == CALLBACK_WINDOW ? window : nullptr};
    *out = h;
    return MMSYSERR_NOERROR;
}

MMRESULT SimClose(HMIXER h) {
    std::lock_guard lock(gLock);
    return gHandles.erase(h) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

MMRESULT SimGetDevCaps(UINT_PTR id, LPMIXERCAPSW caps, UINT size) {
    if (!caps || size == 0) return MMSYSERR_INVALPARAM;
    UINT device = 0;
    MMRESULT error = MMSYSERR_NOERROR;
    if (!Resolve(reinterpret_cast<HMIXEROBJ>(id), MIXER_OBJECTF_MIXER, device, error)) return error;
    const Mixer& m = MixerOf(device);
    MIXERCAPSW c{};
    c.wMid = m.mid;
    c.wPid = m.pid;
    c.vDriverVersion = 0x0501;
    m.product.copy(c.szPname, MAXPNAMELEN - 1);
    c.cDestinations = static_cast<DWORD>(m.destinations.size());
    std::memcpy(caps, &c, std::min<std::size_t>(size, sizeof c));
    return MMSYSERR_NOERROR;
}

MMRESULT SimGetID(HMIXEROBJ object, UINT* id, DWORD flags) {
    if (!id) return MMSYSERR_INVALPARAM;
    UINT device = 0;
    MMRESULT error = MMSYSERR_NOERROR;
    if (!Resolve(object, flags, device, error)) return error;
    *id = device;
    return MMSYSERR_NOERROR;
}

MMRESULT SimGetLineInfo(HMIXEROBJ object, LPMIXERLINEW line, DWORD flags) {
    if (!line || line->cbStruct < sizeof(MIXERLINEW)) return MMSYSERR_INVALPARAM;
    const DWORD query = flags & MIXER_GETLINEINFOF_QUERYMASK;
    if (flags & ~(MIXER_GETLINEINFOF_QUERYMASK | MIXER_OBJECTF_HANDLE | 0x70000000)) return MMSYSERR_INVALFLAG;
    UINT device = 0;
    MMRESULT error = MMSYSERR_NOERROR;
    if (!Resolve(object, flags, device, error)) return error;
    const Mixer& m = MixerOf(device);
    const Line* found = nullptr;
    switch (query) {
    case MIXER_GETLINEINFOF_DESTINATION:
        if (line->dwDestination < m.destinations.size()) found = &m.destinations[line->dwDestination];
        break;
    case MIXER_GETLINEINFOF_SOURCE:
        if (line->dwDestination < m.destinations.size() && line->dwSource < m.sources[line->dwDestination].size())
            found = &m.sources[line->dwDestination][line->dwSource];
        break;
    case MIXER_GETLINEINFOF_LINEID:
        found = FindLine(m, line->dwLineID);
        break;
    case MIXER_GETLINEINFOF_COMPONENTTYPE:
        for (const auto& d : m.destinations)
            if (!found && d.type == line->dwComponentType) found = &d;
        for (const auto& list : m.sources)
            for (const auto& s : list)
                if (!found && s.type == line->dwComponentType) found = &s;
        break;
    case MIXER_GETLINEINFOF_TARGETTYPE:
        return MMSYSERR_NOTSUPPORTED;
    default:
        return MMSYSERR_INVALFLAG;
    }
    if (!found) return MIXERR_INVALLINE;
    FillLine(device, *found, *line);
    return MMSYSERR_NOERROR;
}

MMRESULT SimGetLineControls(HMIXEROBJ object, LPMIXERLINECONTROLSW lc, DWORD flags) {
    if (!lc || lc->cbStruct < sizeof(MIXERLINECONTROLSW) || !lc->pamxctrl || lc->cbmxctrl < sizeof(MIXERCONTROLW) ||
        lc->cControls == 0)
        return MMSYSERR_INVALPARAM;
    const DWORD query = flags & MIXER_GETLINECONTROLSF_QUERYMASK;
    if (flags & ~(MIXER_GETLINECONTROLSF_QUERYMASK | MIXER_OBJECTF_HANDLE | 0x70000000)) return MMSYSERR_INVALFLAG;
    UINT device = 0;
    MMRESULT error = MMSYSERR_NOERROR;
    if (!Resolve(object, flags, device, error)) return error;
    const Mixer& m = MixerOf(device);
    auto at = [&](DWORD i) {
        return reinterpret_cast<MIXERCONTROLW*>(reinterpret_cast<std::uint8_t*>(lc->pamxctrl) + i * lc->cbmxctrl);
    };
    switch (query) {
    case MIXER_GETLINECONTROLSF_ALL: {
        const Line* l = FindLine(m, lc->dwLineID);
        if (!l) return MIXERR_INVALLINE;
        if (lc->cControls != l->controls.size()) return MMSYSERR_INVALPARAM;
        for (DWORD i = 0; i < lc->cControls; ++i) FillControl(l->controls[i], *at(i));
        return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINECONTROLSF_ONEBYID: {
        if (lc->cControls != 1) return MMSYSERR_INVALPARAM;
        const Line* owner = nullptr;
        const Control* c = FindControl(m, lc->dwControlID, &owner);
        if (!c) return MIXERR_INVALCONTROL;
        lc->dwLineID = owner->id;
        FillControl(*c, *at(0));
        return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINECONTROLSF_ONEBYTYPE: {
        if (lc->cControls != 1) return MMSYSERR_INVALPARAM;
        const Line* l = FindLine(m, lc->dwLineID);
        if (!l) return MIXERR_INVALLINE;
        for (const auto& c : l->controls)
            if (c.type == lc->dwControlType) {
                FillControl(c, *at(0));
                return MMSYSERR_NOERROR;
            }
        return MIXERR_INVALCONTROL;
    }
    default:
        return MMSYSERR_INVALFLAG;
    }
}

// The checks both detail calls make; on success the control and its line.
MMRESULT CheckDetails(HMIXEROBJ object, LPMIXERCONTROLDETAILS d, DWORD flags, UINT& device, const Control*& control,
                      const Line*& line) {
    if (!d || d->cbStruct < sizeof(MIXERCONTROLDETAILS) || !d->paDetails) return MMSYSERR_INVALPARAM;
    if (flags & ~(MIXER_GETCONTROLDETAILSF_QUERYMASK | MIXER_OBJECTF_HANDLE | 0x70000000)) return MMSYSERR_INVALFLAG;
    MMRESULT error = MMSYSERR_NOERROR;
    if (!Resolve(object, flags, device, error)) return error;
    control = FindControl(MixerOf(device), d->dwControlID, &line);
    if (!control) return MIXERR_INVALCONTROL;
    // One channel, or the line's channel count.
    if (d->cChannels != 1 && d->cChannels != line->channels) return MMSYSERR_INVALPARAM;
    const bool multiple = (control->flags & MIXERCONTROL_CONTROLF_MULTIPLE) != 0;
    if (d->cMultipleItems != (multiple ? control->items : 0)) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

MMRESULT SimGetControlDetails(HMIXEROBJ object, LPMIXERCONTROLDETAILS d, DWORD flags) {
    UINT device = 0;
    const Control* c = nullptr;
    const Line* l = nullptr;
    if (MMRESULT r = CheckDetails(object, d, flags, device, c, l); r != MMSYSERR_NOERROR) return r;
    const DWORD items = ItemsOf(*c);
    switch (flags & MIXER_GETCONTROLDETAILSF_QUERYMASK) {
    case MIXER_GETCONTROLDETAILSF_VALUE: {
        if (d->cbDetails != sizeof(LONG)) return MMSYSERR_INVALPARAM;
        const std::vector<LONG> v = Load(device, *c, *l);
        const DWORD stored = StoredChannels(*c, *l);
        auto* out = static_cast<LONG*>(d->paDetails);
        // Exactly cChannels x items values are written, as the caller's buffer must hold.
        for (DWORD ch = 0; ch < d->cChannels; ++ch)
            for (DWORD i = 0; i < items; ++i) out[ch * items + i] = v[std::min(ch, stored - 1) * items + i];
        return MMSYSERR_NOERROR;
    }
    case MIXER_GETCONTROLDETAILSF_LISTTEXT: {
        if (!(c->flags & MIXERCONTROL_CONTROLF_MULTIPLE) || d->cbDetails != sizeof(MIXERCONTROLDETAILS_LISTTEXTW))
            return MMSYSERR_INVALPARAM;
        const Mixer& m = MixerOf(device);
        auto* out = static_cast<MIXERCONTROLDETAILS_LISTTEXTW*>(d->paDetails);
        for (DWORD ch = 0; ch < d->cChannels; ++ch) {
            for (DWORD i = 0; i < items; ++i) {
                MIXERCONTROLDETAILS_LISTTEXTW t{};
                if (c->type == MIXERCONTROL_CONTROLTYPE_MUX) {
                    // The sources of the destination, last first.
                    const auto& sources = m.sources[l->destination];
                    const Line& s = sources[sources.size() - 1 - i];
                    t.dwParam1 = s.id;
                    t.dwParam2 = s.type;
                    s.name.copy(t.szName, MIXER_LONG_NAME_CHARS - 1);
                } else {
                    t.dwParam1 = i;
                    (i == 0 ? std::wstring(L"Front") : std::wstring(L"Rear")).copy(t.szName, MIXER_LONG_NAME_CHARS - 1);
                }
                out[ch * items + i] = t;
            }
        }
        return MMSYSERR_NOERROR;
    }
    default:
        return MMSYSERR_INVALFLAG;
    }
}

MMRESULT SimSetControlDetails(HMIXEROBJ object, LPMIXERCONTROLDETAILS d, DWORD flags) {
    UINT device = 0;
    const Control* c = nullptr;
    const Line* l = nullptr;
    if (MMRESULT r = CheckDetails(object, d, flags, device, c, l); r != MMSYSERR_NOERROR) return r;
    if ((flags & MIXER_SETCONTROLDETAILSF_QUERYMASK) != MIXER_SETCONTROLDETAILSF_VALUE) return MMSYSERR_NOTSUPPORTED;
    if (d->cbDetails != sizeof(LONG)) return MMSYSERR_INVALPARAM;
    return Apply(device, *c, *l, d->cChannels, static_cast<const LONG*>(d->paDetails));
}

DWORD SimMessage(HMIXER h, UINT message, DWORD_PTR param1, DWORD_PTR param2) {
    UINT device = 0;
    MMRESULT error = MMSYSERR_NOERROR;
    if (!Resolve(reinterpret_cast<HMIXEROBJ>(h), MIXER_OBJECTF_MIXER, device, error)) return error;
    const std::wstring name = InterfaceName(device);
    const DWORD bytes = static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t));
    switch (message) {
    case DRV_QUERYDEVICEINTERFACESIZE:
        if (!param1) return MMSYSERR_INVALPARAM;
        *reinterpret_cast<ULONG*>(param1) = bytes;
        return MMSYSERR_NOERROR;
    case DRV_QUERYDEVICEINTERFACE:
        if (!param1 || param2 < bytes) return MMSYSERR_INVALPARAM;
        std::memcpy(reinterpret_cast<void*>(param1), name.c_str(), bytes);
        return MMSYSERR_NOERROR;
    default:
        return MMSYSERR_NOTSUPPORTED;
    }
}

}  // namespace

// Nothing may escape into the caller, as from the system's own functions.
template <typename F>
MMRESULT Safe(F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        LogCaught(L"simulated mixer function");
        return MMSYSERR_NOMEM;
    }
}

void InstallSimMixer(Platform& p) {
    p.mixerGetNumDevs = [] { return Safe([] { return static_cast<MMRESULT>(SimGetNumDevs()); }); };
    p.mixerOpen = [](LPHMIXER h, UINT id, DWORD_PTR cb, DWORD_PTR inst, DWORD fl) {
        return Safe([&] { return SimOpen(h, id, cb, inst, fl); });
    };
    p.mixerClose = [](HMIXER h) { return Safe([&] { return SimClose(h); }); };
    p.mixerGetDevCapsW = [](UINT_PTR id, LPMIXERCAPSW c, UINT n) { return Safe([&] { return SimGetDevCaps(id, c, n); }); };
    p.mixerGetID = [](HMIXEROBJ m, UINT* id, DWORD f) { return Safe([&] { return SimGetID(m, id, f); }); };
    p.mixerGetLineInfoW = [](HMIXEROBJ m, LPMIXERLINEW l, DWORD f) { return Safe([&] { return SimGetLineInfo(m, l, f); }); };
    p.mixerGetLineControlsW = [](HMIXEROBJ m, LPMIXERLINECONTROLSW c, DWORD f) {
        return Safe([&] { return SimGetLineControls(m, c, f); });
    };
    p.mixerGetControlDetailsW = [](HMIXEROBJ m, LPMIXERCONTROLDETAILS d, DWORD f) {
        return Safe([&] { return SimGetControlDetails(m, d, f); });
    };
    p.mixerSetControlDetails = [](HMIXEROBJ m, LPMIXERCONTROLDETAILS d, DWORD f) {
        return Safe([&] { return SimSetControlDetails(m, d, f); });
    };
    p.mixerMessage = [](HMIXER h, UINT msg, DWORD_PTR a, DWORD_PTR b) -> DWORD {
        return Safe([&] { return static_cast<MMRESULT>(SimMessage(h, msg, a, b)); });
    };
}

DWORD SimMixerLineId(UINT device, const std::wstring& shortName) {
    const Mixer& m = MixerOf(device);
    for (const auto& d : m.destinations)
        if (d.shortName == shortName) return d.id;
    for (const auto& list : m.sources)
        for (const auto& s : list)
            if (s.shortName == shortName) return s.id;
    return 0;
}

DWORD SimMixerControlId(UINT device, DWORD lineId, DWORD controlType) {
    const Line* l = FindLine(MixerOf(device), lineId);
    if (l)
        for (const auto& c : l->controls)
            if (c.type == controlType) return c.id;
    return 0;
}

DWORD SimMixerControlIdByName(UINT device, DWORD lineId, const std::wstring& name) {
    const Line* l = FindLine(MixerOf(device), lineId);
    if (l)
        for (const auto& c : l->controls)
            if (c.name == name) return c.id;
    return 0;
}

std::vector<LONG> SimMixerValues(UINT device, DWORD controlId) {
    const Line* l = nullptr;
    const Control* c = FindControl(MixerOf(device), controlId, &l);
    return c ? Load(device, *c, *l) : std::vector<LONG>{};
}

bool SetSimMixerValues(UINT device, DWORD controlId, const std::vector<LONG>& values) {
    const Line* l = nullptr;
    const Control* c = FindControl(MixerOf(device), controlId, &l);
    if (!c || values.size() != static_cast<std::size_t>(StoredChannels(*c, *l)) * ItemsOf(*c)) return false;
    return Apply(device, *c, *l, StoredChannels(*c, *l), values.data()) == MMSYSERR_NOERROR;
}

std::size_t SimOpenMixerHandles() {
    std::lock_guard lock(gLock);
    return gHandles.size();
}

}  // namespace kal::sim
