// Handlers of the effect panels of the Output page: effects on and off with their modes and
// graph sliders, the Dolby virtualizers gating the effects that run after them, and every
// change sent at once in live mode. The panels' expanding and drawing are in graphs.cpp.
#include "device/packets.h"
#include "editor/controlvalues.h"
#include "editor/hooks.h"
#include "editor/portable/profilebytes.h"
#include "editor/profileform.h"

namespace kal {
namespace {

struct GraphEffect {
    const wchar_t* prefix;  // PL2x or NEO
    const wchar_t* check;
    const wchar_t* expand;
    int width;  // the fixed values of Movie mode
    int depth;
};
// The effect boxes whose focus opens their panel, with the panel's expand box.
constexpr std::pair<const wchar_t*, const wchar_t*> kPanelOfBox[3] = {
    {L"chkDolby", L"chkPL2xExpand"}, {L"chkNeo", L"chkNEOExpand"}, {L"chkVSS", L"chkVSSExpand"}};

constexpr GraphEffect kGraphEffects[2] = {{L"PL2x", L"chkDolby", L"chkPL2xExpand", 3, 7},
                                          {L"NEO", L"chkNeo", L"chkNEOExpand", 4, 7}};

std::wstring Part(const GraphEffect& e, const wchar_t* part) { return e.prefix + std::wstring(part); }

}  // namespace

void frmProfile::SendGraphEffect(bool pl2x) {
    if (liveProfileName_.empty()) return;
    if (pl2x)
        ApplyPl2xParam(EncodePl2xParam());
    else
        ApplyNeoParam(EncodeNeoParam());
}

void frmProfile::SendDolbyHeadphones() {
    if (liveProfileName_.empty()) return;
    Bytes enable = EncodeFlag(Get<CheckBox>(L"chkDolbyHeadphones").Value() == 1);
    Bytes room = DHRoom();
    ApplyDH(enable, room);
}

void frmProfile::SendDolbyVirtualSpeaker() {
    if (liveProfileName_.empty()) return;
    Bytes enable = EncodeFlag(Get<CheckBox>(L"chkDolbyVirtualSpeaker").Value() == 1);
    Bytes mode = DVSMode();
    ApplyDVS(enable, mode);
}

// The shifter, ProLogic IIx and NEO:PC run after a Dolby virtualizer: only while it is on.
void frmProfile::UpdateVirtualizerControls(const std::wstring& box) {
    const bool on = Get<CheckBox>(box).Value() == 1;
    for (const wchar_t* name : {L"chkVSS", L"chkDolby", L"chkNeo"}) {
        if (!on) Get<CheckBox>(name).SetValue(0);
        Ctl(name).SetEnabled(on);
    }
    const std::wstring stem = box.substr(3);
    Ctl(L"lbl" + stem + L"Mode").SetEnabled(on);
    SetComboEnabled(Get<ComboBox>(L"cbo" + stem + L"Mode"), on);
}

void frmProfile::GraphEffectChanged(bool pl2x, bool modeChanged) {
    const GraphEffect& e = kGraphEffects[pl2x ? 0 : 1];
    const bool on = Get<CheckBox>(e.check).Value() == 1;
    const bool music = OptionSelected(*this, L"opt" + Part(e, L"Mode"), 0);
    const bool active = modeChanged ? music && on : on;
    SetSliderEnabled(Get<Slider>(L"csli" + Part(e, L"Width")), active, e.width);
    SetSliderEnabled(Get<Slider>(L"csli" + Part(e, L"Depth")), active, e.depth);
    if (!modeChanged) {
        for (Control* c : ControlArray(L"opt" + Part(e, L"Mode"))) c->SetEnabled(on);
        for (const wchar_t* label : {L"WidthNarrow", L"WidthWide", L"DepthFront", L"DepthRear"})
            Ctl(L"lbl" + Part(e, label)).SetEnabled(on);
    }
    pl2x ? DrawPL2xGraph() : DrawNEOGraph();
    SendGraphEffect(pl2x);
}

void frmProfile::WireEffectEvents() {
    Ctl(L"chkDolbyHeadphones").Click = [this] {
        SendDolbyHeadphones();
        UpdateVirtualizerControls(L"chkDolbyHeadphones");
    };
    Ctl(L"cboDolbyHeadphonesMode").Click = [this] { SendDolbyHeadphones(); };
    Ctl(L"chkDolbyVirtualSpeaker").Click = [this] {
        SendDolbyVirtualSpeaker();
        UpdateVirtualizerControls(L"chkDolbyVirtualSpeaker");
    };
    Ctl(L"cboDolbyVirtualSpeakerMode").Click = [this] { SendDolbyVirtualSpeaker(); };
    Ctl(L"chkVSS").Click = [this] {
        if (liveProfileName_.empty()) return;
        Bytes on = EncodeFlag(Get<CheckBox>(L"chkVSS").Value() == 1);
        ApplyXear3D(on);
        ApplyVSpeakerPos(EncodeVSpeakerPos());
        ApplyPl2xParam(EncodePl2xParam());
    };
    // The expand boxes show what a click would do next.
    for (const wchar_t* name : {L"chkVSSExpand", L"chkPL2xExpand", L"chkNEOExpand"}) {
        auto& box = Get<CheckBox>(name);
        box.Click = [&box, expand = box.Click] {
            box.SetCaption(box.Value() == 1 ? L"-" : L"+");
            if (expand) expand();
        };
    }
    // An effect's box taking the focus opens its panel.
    for (int i = 0; i < 3; ++i)
        hooks_->Watch(Ctl(kPanelOfBox[i].first).Window(), Hooks::Kind::EffectBox, i, {WM_SETFOCUS});
    for (const GraphEffect& e : kGraphEffects) {
        const bool pl2x = &e == &kGraphEffects[0];
        Ctl(e.check).Click = [this, pl2x] { GraphEffectChanged(pl2x, false); };
        // The mode buttons keep their panel's layout (graphs.cpp), then enable and send.
        for (Control* c : ControlArray(L"opt" + Part(e, L"Mode"))) {
            c->Click = [this, pl2x, layout = c->Click] {
                if (layout) layout();
                GraphEffectChanged(pl2x, true);
            };
        }
        for (const wchar_t* slider : {L"Width", L"Depth"}) {
            Ctl(L"csli" + Part(e, slider)).Change = [this, pl2x] {
                pl2x ? DrawPL2xGraph() : DrawNEOGraph();
                SendGraphEffect(pl2x);
            };
        }
    }
}

void frmProfile::EffectBox_GotFocus(int index) {
    if (index < 0 || index > 2) return;
    auto& expand = Get<CheckBox>(kPanelOfBox[index].second);
    if (expand.Value() != 1) expand.SetValue(1);
}

}  // namespace kal
