// The one place where the editor's handlers reach the card and Windows: a handler changes its
// controls, then asks for the values it touched to be sent. Each value goes part by part: the
// parts the user changed, and any other part the card holds as the editor last saw it but not as
// the controls show it; every other part stays as the card holds it now, so that another
// program's change of it survives and shows once the own-change second is over. A value the
// driver takes together with a partner takes the partner as the card holds it, unless the send
// names the partner too. Only the parts sent are noted as the editor's own.
#include <map>

#include "base/keyed.h"
#include "base/log.h"
#include "device/mixervalues.h"
#include "device/packets.h"
#include "device/portable/texts.h"
#include "device/profilevalues.h"
#include "editor/portable/profilebytes.h"
#include "editor/portable/valueparts.h"
#include "editor/profileform.h"
#include "startup/tables.h"

namespace kal {
namespace {

constexpr std::uint8_t kNoGain = 255;

bool IsHpGain(const std::wstring& name) {
    return name == L"HpImpedanceModeRear" || name == L"HpImpedanceModeFront";
}

bool IsChannelGain(const std::wstring& name) {
    for (std::wstring_view channel : gChannelVolumeValues)
        if (name == channel) return true;
    return false;
}

// The first value of the driver request that carries `name`: a partner's request is its own.
std::wstring RequestOf(const std::wstring& name) {
    if (name == L"DHRoom") return L"DHEnable";
    if (name == L"DVSMode") return L"DVSEnable";
    if (name == L"BassCornerFrequency") return L"BassManagement";
    if (IsHpGain(name)) return L"PanelConfig";
    return name;
}

// The request of a value the driver takes alone; null for any other.
using Single = std::uint32_t (*)(const Bytes&);
Single SingleRequest(const std::wstring& name) {
    static const std::pair<const wchar_t*, Single> requests[] = {
        {L"Pl2xParam", &ApplyPl2xParam},
        {L"NeoParam", &ApplyNeoParam},
        {L"EnableXear3D", [](const Bytes& v) { Bytes b = v; return ApplyXear3D(b); }},
        {L"VSpeakerPos", &ApplyVSpeakerPos},
        {L"EqEnable", [](const Bytes& v) { Bytes b = v; return ApplyEqEnable(b); }},
        {L"SmartVolumeParams", &ApplySmartVolume},
        {L"AEC", &ApplyAEC},
        {L"OutputFormat", [](const Bytes& v) { Bytes b = v; return ApplyOutputFormat(b); }},
        {L"Dual2D", &ApplyDual2D},
        {L"SpDigitalOut", [](const Bytes& v) { Bytes b = v; return ApplySpDigitalOut(b); }},
        {L"SpeakerConfig", &ApplySpeakerConfig},
        {L"HeadphoneLRXchg", &ApplyHeadphoneLRXchg},
        {L"CenterBassXchg", &ApplyCenterBassXchg},
        {L"SideRearXchg", &ApplySideRearXchg},
        {L"SystemSpeakers", [](const Bytes& v) { return ApplySystemSpeakers(v), 0u; }},
    };
    for (const auto& [n, request] : requests)
        if (name == n) return request;
    return nullptr;
}

}  // namespace

const std::vector<std::size_t> frmProfile::kWholeValue{SIZE_MAX};

void frmProfile::SendToCard(const std::vector<ToSend>& values) {
    if (liveProfileName_.empty()) return;
    struct Out {
        Bytes value;  // what goes: the card's value with the parts to send as shown
        Bytes mask;   // the parts that go
    };
    std::map<std::wstring, Out, CaseInsensitiveLess> out;
    std::vector<std::wstring> order;
    for (const ToSend& v : values) {
        const Bytes card = GetProfileValue(L"", v.name);
        const std::vector<Bytes> parts = ValueParts(v.name, v.shown.size());
        Bytes mask(v.shown.size(), 0);
        const bool whole = v.own == kWholeValue;
        if (whole) {
            mask.assign(v.shown.size(), 0xFF);
        } else {
            mask = record_.PartsToSend(v.name, v.shown, card, parts, v.own.empty() ? parts.size() : v.own.front());
            for (std::size_t p : v.own)
                if (p < parts.size()) mask = MergeParts(mask, parts[p], parts[p]);
        }
        if (!AnyBit(mask)) continue;
        out[v.name] = Out{whole ? v.shown : MergeParts(card, v.shown, mask), mask};
        order.push_back(v.name);
    }
    // A partner the send doesn't name goes as the card holds it.
    auto value = [&](const std::wstring& name) {
        const auto it = out.find(name);
        return it != out.end() ? it->second.value : GetProfileValue(L"", name);
    };
    std::set<std::wstring, CaseInsensitiveLess> sent;
    for (const std::wstring& name : order) {
        const std::wstring request = RequestOf(name);
        if (!sent.insert(request).second) continue;
        const Out& o = out.at(name);
        if (request == L"DHEnable") {
            Bytes enable = value(L"DHEnable"), room = value(L"DHRoom");
            ApplyDH(enable, room);
        } else if (request == L"DVSEnable") {
            Bytes enable = value(L"DVSEnable"), mode = value(L"DVSMode");
            ApplyDVS(enable, mode);
        } else if (request == L"BassManagement") {
            Bytes enable = value(L"BassManagement"), corner = value(L"BassCornerFrequency");
            ApplyBassManagement(enable, corner);
        } else if (request == L"PanelConfig") {
            // The gain goes to the panel the request sets, when the send names that panel's gain.
            Bytes panel = value(L"PanelConfig");
            const auto gain = out.find(HpImpedanceValueName(panel));
            ApplyPanelConfig(panel, gain != out.end() ? gain->second.value : Bytes{kNoGain, 0, 0, 0});
        } else if (name == L"EqGain") {
            for (std::uint8_t b = 0; b < 10 && 4u * b + 4 <= o.value.size(); ++b)
                if (o.mask[4u * b] != 0)
                    ApplyEqBand(b, Bytes(o.value.begin() + 4 * b, o.value.begin() + 4 * b + 4));
        } else if (name == L"SpeakerSize") {
            for (std::uint8_t channel = 0; channel < 8; ++channel)
                if ((FirstByte(o.mask) >> channel) & 1) ApplySpeakerSizeChannel(channel, (FirstByte(o.value) >> channel) & 1);
        } else if (const auto single = SingleRequest(name)) {
            single(o.value);
        } else if (IsChannelGain(name)) {
            ApplyChannelGain(name, o.value);
        } else if (IsMixerValueName(name)) {
            Bytes data = o.value;
            MixerValue(name, data, true);
        } else {
            LogLine(L"SendToCard", L"no request sends " + name);
        }
    }
    for (const auto& [name, o] : out) NoteOwnPart(name, o.mask);
}

void frmProfile::SendVolumeBalance(int flow, int line, Currency volume, Currency balance, bool ownVolume,
                                   bool ownBalance) {
    if (liveProfileName_.empty()) return;
    const std::wstring left = MixerValueName(flow, line, 0, 0), right = MixerValueName(flow, line, 1, 0);
    Currency cardVolume = 0, cardBalance = 0;
    GetProfileVolumeBalance(cardVolume, cardBalance, flow, line, L"");
    // Each of the two as shown where the user changed it, or where the card holds what the
    // editor last saw but not what is shown; else as the card holds it.
    const auto seenLeft = record_.SeenCard(left), seenRight = record_.SeenCard(right);
    bool volumeOutside = false, balanceOutside = false;
    if (seenLeft && seenRight) {
        Currency seenVolume = 0, seenBalance = 0;
        GetProfileVolumeBalance(seenVolume, seenBalance, flow, line,
                                [&](const std::wstring& name) { return name == left ? *seenLeft : *seenRight; });
        volumeOutside = seenVolume != cardVolume;
        balanceOutside = seenBalance != cardBalance;
    }
    const bool keepVolume = !ownVolume && volumeOutside, keepBalance = !ownBalance && balanceOutside;
    SetVolumeBalance(keepVolume ? cardVolume : volume, keepBalance ? cardBalance : balance, flow, line);
    // A part kept as another program set it is not the editor's own: the follow shows it.
    if (!keepVolume && !keepBalance) NoteOwnSend({left, right});
}

}  // namespace kal
