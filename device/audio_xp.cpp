// The audio object's Windows XP path: the card's winmm mixer (found by the device interface name
// its driver reports), its lines, volumes, mutes, switches and recording source, and the change
// messages of the mixer.
#include <windows.h>
#include <mmsystem.h>
#include <mmddk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <stdexcept>

#include "device/audio.h"
#include "device/platform.h"
#include "startup/globals.h"
#include "base/keyed.h"

namespace kal {
namespace {

constexpr DWORD kDstSpeakers = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
constexpr DWORD kDstWaveIn = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
constexpr DWORD kCustomControlBit = 0x20000000;
// Every query names the mixer by its handle.
constexpr DWORD kByHandle = MIXER_OBJECTF_HMIXER;

DWORD DestinationType(std::uint32_t flow) { return flow == 1 ? kDstWaveIn : kDstSpeakers; }


// Channels a control's details are read with: one for a uniform control, else the line's.
DWORD DetailChannels(const MIXERCONTROLW& control, const MIXERLINEW& line) {
    return (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : std::max<DWORD>(1, line.cChannels);
}

DWORD ItemsPerChannel(const MIXERCONTROLW& control) {
    return (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? std::max<DWORD>(1, control.cMultipleItems) : 1;
}

DWORD Item(const std::vector<std::uint8_t>& items, std::size_t i) {
    DWORD v = 0;
    if ((i + 1) * sizeof v <= items.size()) std::memcpy(&v, items.data() + i * sizeof v, sizeof v);
    return v;
}

void PutItem(std::vector<std::uint8_t>& items, std::size_t i, DWORD v) {
    if ((i + 1) * sizeof v <= items.size()) std::memcpy(items.data() + i * sizeof v, &v, sizeof v);
}

}  // namespace

std::wstring MixerLineText(std::uint32_t id) { return std::to_wstring(static_cast<std::int32_t>(id)); }

std::uint32_t MixerLineId(const std::wstring& text) {
    std::size_t used = 0;
    long long v = 0;
    try {
        v = std::stoll(text, &used, 10);
    } catch (const std::exception&) {
        throw std::invalid_argument("mixer line identifier is not a number");
    }
    while (used < text.size() && std::iswspace(text[used])) ++used;
    if (used != text.size() || v < -2147483648LL || v > 0xFFFFFFFFLL)
        throw std::invalid_argument("mixer line identifier is not a number");
    return static_cast<std::uint32_t>(v);
}

bool CAudio::OpenMixerByHID(const std::wstring& hid) {
    // An empty id would match the first mixer of any device.
    if (hid.empty() || !gPlatform.mixerGetNumDevs || !gPlatform.mixerMessage || !gPlatform.mixerOpen) return false;
    const UINT count = gPlatform.mixerGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        const auto device = reinterpret_cast<HMIXER>(static_cast<UINT_PTR>(i));
        DWORD size = 0;
        if (gPlatform.mixerMessage(device, DRV_QUERYDEVICEINTERFACESIZE, reinterpret_cast<DWORD_PTR>(&size), 0) != 0)
            continue;
        // Room for the size the driver named and a terminator it might leave out.
        std::vector<wchar_t> name(size / sizeof(wchar_t) + 1, L'\0');
        if (size && gPlatform.mixerMessage(device, DRV_QUERYDEVICEINTERFACE, reinterpret_cast<DWORD_PTR>(name.data()),
                                           size) != 0)
            continue;
        if (!ContainsNoCase(name.data(), hid)) continue;
        HMIXER opened = nullptr;
        if (gPlatform.mixerOpen(&opened, i, 0, 0, MIXER_OBJECTF_MIXER) == MMSYSERR_NOERROR) mixer_ = opened;
        break;
    }
    return mixer_ != nullptr;
}

void CAudio::RegisterMixerCallback(HWND window) {
    if (!mixer_ || !gPlatform.mixerOpen) return;
    HMIXER opened = nullptr;
    if (gPlatform.mixerOpen(&opened, static_cast<UINT>(reinterpret_cast<UINT_PTR>(mixer_)),
                            reinterpret_cast<DWORD_PTR>(window), 0, CALLBACK_WINDOW | MIXER_OBJECTF_HMIXER) != MMSYSERR_NOERROR ||
        !opened)
        return;  // the present handle stays in use
    const HMIXER previous = mixer_;
    mixer_ = opened;
    if (gPlatform.mixerClose) gPlatform.mixerClose(previous);
}

bool CAudio::GetMixerLineInfo(std::uint32_t id, std::uint32_t componentType, std::uint32_t flags, MIXERLINEW& line) {
    if (!mixer_) return false;
    const auto mixer = reinterpret_cast<HMIXEROBJ>(mixer_);
    line = MIXERLINEW{};
    line.cbStruct = sizeof line;
    line.dwComponentType = componentType;
    if (gPlatform.mixerGetLineInfoW(mixer, &line, kByHandle | MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR)
        return false;
    // The destination of that component type itself.
    if (id == 0 && flags != MIXER_GETLINEINFOF_DESTINATION && flags != MIXER_GETLINEINFOF_SOURCE) return true;
    if (flags & MIXER_GETLINEINFOF_LINEID) line.dwLineID = id;
    else if (flags & MIXER_GETLINEINFOF_SOURCE) line.dwSource = id;
    else line.dwDestination = id;
    return gPlatform.mixerGetLineInfoW(mixer, &line, kByHandle | flags) == MMSYSERR_NOERROR;
}

bool CAudio::GetMixerLineControls(const MIXERLINEW& line, std::uint32_t controlType,
                                  std::vector<MIXERCONTROLW>& controls, bool all) {
    controls.clear();
    if (!mixer_) return false;
    const DWORD count = all ? line.cControls : 1;
    if (count == 0) return false;
    controls.assign(count, MIXERCONTROLW{});
    MIXERLINECONTROLSW lc{};
    lc.cbStruct = sizeof lc;
    lc.dwLineID = line.dwLineID;
    lc.dwControlType = controlType;
    lc.cControls = count;
    lc.cbmxctrl = sizeof(MIXERCONTROLW);
    lc.pamxctrl = controls.data();
    const DWORD flags = all ? MIXER_GETLINECONTROLSF_ALL : MIXER_GETLINECONTROLSF_ONEBYTYPE;
    if (gPlatform.mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer_), &lc, kByHandle | flags) != MMSYSERR_NOERROR) {
        controls.clear();
        return false;
    }
    return true;
}

bool CAudio::GetMixerLineControl(std::uint32_t controlId, MIXERCONTROLW& control) {
    control = MIXERCONTROLW{};
    if (!mixer_) return false;
    MIXERLINECONTROLSW lc{};
    lc.cbStruct = sizeof lc;
    lc.dwControlID = controlId;
    lc.cControls = 1;
    lc.cbmxctrl = sizeof control;
    lc.pamxctrl = &control;
    return gPlatform.mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer_), &lc,
                                           kByHandle | MIXER_GETLINECONTROLSF_ONEBYID) == MMSYSERR_NOERROR;
}

bool CAudio::GetMixerControlDetails(const MIXERCONTROLW& control, std::uint32_t channels, std::uint32_t itemSize,
                                    std::uint32_t flags, MIXERCONTROLDETAILS& details, std::vector<std::uint8_t>& items) {
    if (!mixer_) return false;
    // The mixer fills channels x items-per-channel items.
    items.assign(static_cast<std::size_t>(channels) * ItemsPerChannel(control) * itemSize, 0);
    details = MIXERCONTROLDETAILS{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = channels;
    details.cMultipleItems = control.cMultipleItems;
    details.cbDetails = itemSize;
    details.paDetails = items.data();
    return gPlatform.mixerGetControlDetailsW(reinterpret_cast<HMIXEROBJ>(mixer_), &details, kByHandle | flags) ==
           MMSYSERR_NOERROR;
}

MMRESULT CAudio::SetMixerControlDetails(MIXERCONTROLDETAILS& details) {
    if (!mixer_) return MMSYSERR_INVALHANDLE;
    return gPlatform.mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                            kByHandle | MIXER_SETCONTROLDETAILSF_VALUE);
}

std::vector<std::wstring> CAudio::LinesFromHIDXP(const std::wstring& hid, std::uint32_t flow) {
    std::vector<std::wstring> lines;
    if (!mixer_) OpenMixerByHID(hid);
    if (!mixer_) return lines;
    const DWORD type = DestinationType(flow);
    MIXERLINEW dest;
    if (!GetMixerLineInfo(0, type, MIXER_GETLINEINFOF_COMPONENTTYPE, dest)) return lines;
    if (flow == 1) {
        std::vector<MIXERCONTROLW> mux;
        if (GetMixerLineControls(dest, MIXERCONTROL_CONTROLTYPE_MUX, mux, false)) InputMuxControlID = mux[0].dwControlID;
    } else {
        // The playback list is the speakers destination itself.
        lines.push_back(MixerLineText(dest.dwLineID));
    }
    const DWORD sources = dest.cConnections;
    for (DWORD j = 0; j < sources; ++j) {
        MIXERLINEW src;
        if (!GetMixerLineInfo(j, type, MIXER_GETLINEINFOF_SOURCE, src) || flow != 1) continue;
        const std::wstring text = MixerLineText(src.dwLineID);
        lines.push_back(text);
        if (!CustomControls.Contains(text)) CustomControls.Add(text, LineCustomControlsXP(text));
    }
    return lines;
}

AudioControlList CAudio::LineCustomControlsXP(const std::wstring& line) {
    AudioControlList controls;
    if (!mixer_) return controls;
    MIXERLINEW l;
    if (!GetMixerLineInfo(MixerLineId(line), kDstWaveIn, MIXER_GETLINEINFOF_LINEID, l) || l.cControls < 1) return controls;
    std::vector<MIXERCONTROLW> all;
    if (!GetMixerLineControls(l, 0, all, true)) return controls;
    for (const auto& c : all)
        if (c.dwControlType & kCustomControlBit) controls.push_back(AudioControlHandle{nullptr, c.dwControlID});
    return controls;
}

std::wstring CAudio::ControlNameXP(std::uint32_t controlId) {
    MIXERCONTROLW control;
    if (!GetMixerLineControl(controlId, control)) return L"";
    control.szName[MIXER_LONG_NAME_CHARS - 1] = L'\0';
    return control.szName;
}

void CAudio::SwitchControlOperationXP(std::uint32_t controlId, std::int16_t& value, bool isSet) {
    MIXERCONTROLW control;
    if (!GetMixerLineControl(controlId, control)) return;
    MIXERCONTROLDETAILS details;
    std::vector<std::uint8_t> items;
    // One channel; a list control brings all its items, the first standing for its state.
    if (!GetMixerControlDetails(control, 1, sizeof(DWORD), MIXER_GETCONTROLDETAILSF_VALUE, details, items)) return;
    if (isSet) {
        PutItem(items, 0, static_cast<DWORD>(std::abs(static_cast<int>(value))));
        SetMixerControlDetails(details);
    } else {
        value = Item(items, 0) != 0 ? -1 : 0;
    }
}

void CAudio::LineMuteOperationXP(std::uint32_t flow, std::int16_t& value, bool isSet) {
    // Always the destination's (master) mute.
    MIXERLINEW dest;
    if (!GetMixerLineInfo(0, DestinationType(flow), MIXER_GETLINEINFOF_COMPONENTTYPE, dest)) return;
    std::vector<MIXERCONTROLW> mute;
    if (!GetMixerLineControls(dest, MIXERCONTROL_CONTROLTYPE_MUTE, mute, false)) return;
    SwitchControlOperationXP(mute[0].dwControlID, value, isSet);
}

void CAudio::RecordingMuxOperation(AudioValue& line, bool isSet) {
    if (!mixer_) return;
    const std::uint32_t wanted = isSet ? MixerLineId(AudioValueText(line)) : 0;
    MIXERLINEW dest;
    if (!GetMixerLineInfo(0, kDstWaveIn, MIXER_GETLINEINFOF_COMPONENTTYPE, dest)) return;
    std::vector<MIXERCONTROLW> mux;
    if (!GetMixerLineControls(dest, MIXERCONTROL_CONTROLTYPE_MUX, mux, false)) return;
    const MIXERCONTROLW& control = mux[0];
    const DWORD n = control.cMultipleItems;
    if (n == 0) return;
    const DWORD channels = DetailChannels(control, dest);
    MIXERCONTROLDETAILS values, texts;
    std::vector<std::uint8_t> valueItems, textItems;
    if (!GetMixerControlDetails(control, channels, sizeof(DWORD), MIXER_GETCONTROLDETAILSF_VALUE, values, valueItems)) return;
    if (!GetMixerControlDetails(control, channels, sizeof(MIXERCONTROLDETAILS_LISTTEXTW),
                                MIXER_GETCONTROLDETAILSF_LISTTEXT, texts, textItems))
        return;
    const auto* text = reinterpret_cast<const MIXERCONTROLDETAILS_LISTTEXTW*>(textItems.data());
    if (!isSet) {
        for (DWORD i = 0; i < n; ++i) {
            if (Item(valueItems, i) == 1) {
                line = static_cast<std::int32_t>(text[i].dwParam1);
                return;
            }
        }
        return;
    }
    DWORD chosen = n;
    for (DWORD i = 0; i < n && chosen == n; ++i)
        if (text[i].dwParam1 == wanted) chosen = i;
    if (chosen == n) return;
    for (DWORD ch = 0; ch < channels; ++ch)
        for (DWORD i = 0; i < n; ++i) PutItem(valueItems, static_cast<std::size_t>(ch) * n + i, i == chosen ? 1 : 0);
    SetMixerControlDetails(values);
}

void CAudio::LineChannelVolumeOperationXP(const std::wstring& line, std::int32_t& channel, float& level,
                                          std::uint32_t flow, bool isSet, bool countOnly) {
    if (!mixer_) return;
    MIXERLINEW l;
    if (!GetMixerLineInfo(MixerLineId(line), DestinationType(flow), MIXER_GETLINEINFOF_LINEID, l)) return;
    std::vector<MIXERCONTROLW> volume;
    if (!GetMixerLineControls(l, MIXERCONTROL_CONTROLTYPE_VOLUME, volume, false)) return;
    const MIXERCONTROLW& control = volume[0];
    if (countOnly) {
        channel = static_cast<std::int32_t>(l.cChannels);
        return;
    }
    if (channel < 0 || static_cast<DWORD>(channel) >= l.cChannels) return;
    const DWORD channels = DetailChannels(control, l);
    const std::size_t index = channels == 1 ? 0 : static_cast<std::size_t>(channel);
    MIXERCONTROLDETAILS details;
    std::vector<std::uint8_t> items;
    if (!GetMixerControlDetails(control, channels, sizeof(DWORD), MIXER_GETCONTROLDETAILSF_VALUE, details, items)) return;
    // Scaled over the control's own range.
    const double lo = control.Bounds.dwMinimum, hi = control.Bounds.dwMaximum;
    if (!(hi > lo)) return;
    if (!isSet) {
        level = static_cast<float>((static_cast<double>(Item(items, index)) - lo) / (hi - lo));
        return;
    }
    const double raw = std::nearbyint(static_cast<double>(level) * (hi - lo) + lo);
    PutItem(items, index, static_cast<DWORD>(std::clamp(raw, lo, hi)));
    SetMixerControlDetails(details);
}

std::wstring CAudio::LineDescriptionXP(const std::wstring& line, std::uint32_t flow) {
    if (!mixer_) return L"";
    MIXERLINEW l;
    if (!GetMixerLineInfo(MixerLineId(line), DestinationType(flow), MIXER_GETLINEINFOF_LINEID, l)) return L"";
    l.szShortName[MIXER_SHORT_NAME_CHARS - 1] = L'\0';
    return l.szShortName;
}

std::uint32_t CAudio::LineType(std::uint32_t id, std::uint32_t flow) {
    MIXERLINEW l;
    if (id == 0 || !GetMixerLineInfo(id, DestinationType(flow), MIXER_GETLINEINFOF_LINEID, l)) return 0;
    return l.dwComponentType;
}

}  // namespace kal
